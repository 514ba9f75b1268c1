// The event table editor, its filter dialog and the Event Editor command:
// menus and columns, edits reaching the table (a bad date refused), the
// add-new row, the Delete key, the type list and its placement, the date
// picker's start date and unchanged-cell rule, the filter text to the
// character with the rows it leaves, and the windows opened from the editor.

#include "app/Calendar.h"
#include "editing/frmSingle.h"
#include "editor/Editor.h"
#include "editor/EventTableModel.h"
#include "editor/FilterText.h"
#include "editor/GridDates.h"
#include "editor/GridDelegate.h"
#include "editor/OpenEditor.h"
#include "editor/frmFilter.h"
#include "platform/Modal.h"
#include "platform/Twips.h"
#include "store/Literals.h"
#include "store/Repair.h"
#include "store/SharedDb.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <functional>
#include <memory>

namespace {

void addEvent(const QString &values)
{
    dbConnection.Execute("INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) VALUES (" +
                         values + ')');
}

// A fresh event database in dbConnection, with rsEditor opened on it as the
// Event Editor command opens it.
struct EditorDb
{
    TestEnv env;

    EditorDb()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QString path = env.path(QStringLiteral("Almarik.MDB"));
        CreateDatabase(path);
        dbConnection.Open(Connection::connectionStringFor(path));
        for (const char *values : {"#03/10/1990#,'birthday','Ann','likes tea',False",
                                   "#01/05/2024#,'doctor','Dentist',Null,True",
                                   "#12/25/2000#,'holiday','Christmas','',False",
                                   "#07/04/2026#,'birthday','O''Brien party',Null,True",
                                   "#02/29/2024#,'memorial','Rob o''boyle',Null,False"})
            addEvent(QLatin1String(values));
        rsEditor.setCursorLocation(adUseClient);
        rsEditor.Open(QStringLiteral("SELECT * FROM Calendar ORDER BY Dates"), dbConnection,
                      adOpenDynamic, adLockOptimistic);
    }

    ~EditorDb()
    {
        rsEditor.Close();
        dbConnection.Close();
    }
};

// A field of an event as the table holds it, by description ("" for a null
// description).
QVariant storedField(const QString &description, const QString &field)
{
    RecordSet rs;
    rs.Open("SELECT * FROM Calendar WHERE Description " +
                (description.isEmpty() ? QStringLiteral("IS NULL")
                                       : "= '" + QuoteSql(description) + '\''),
            dbConnection);
    return rs.isEOF() ? QVariant(QStringLiteral("<no such event>")) : rs.Fields(field);
}

int eventCount()
{
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM Calendar"), dbConnection);
    return rs.RecordCount();
}

const QStringList kAll = {"Ann", "Christmas", "Dentist", "Rob o'boyle", "O'Brien party"};

// The events the grid shows, by description, without the add-new row.
QStringList shownEvents(const Editor &editor)
{
    QStringList rows;
    for (int r = 0; r < editor.model()->addNewRow(); ++r)
        rows << editor.model()->cellText(r, EventTableModel::DescriptionColumn);
    return rows;
}

// The grid row of an event, or the add-new row for "*".
int rowOf(const Editor &editor, const QString &description)
{
    return description == QLatin1String("*") ? editor.model()->addNewRow()
                                             : int(shownEvents(editor).indexOf(description));
}

// Menu texts, a disabled item marked "(off)".
QStringList menuTexts(const QList<QAction *> &actions)
{
    QStringList texts;
    for (const QAction *a : actions)
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text()) +
                     (a->isEnabled() ? "" : " (off)");
    return texts;
}

// What the user does in the filter dialog.
struct Answer
{
    int typeIndex = -1; // the item picked from Combo1's list, -1 for none
    QString typedType;  // text typed over Combo1 afterwards ("" leaves it)
    QString descr;
    bool once = false;
    int button = 0; // 0 Apply, 1 Cancel, -1 the close box
};

// Combo1 as the dialog opened: "text=item data" of each item, then the
// selected index.
QStringList g_offered;

void answerFilterDialog(const Answer &a)
{
    setModalHandler([a](QDialog &d) {
        auto &dlg = dynamic_cast<frmFilter &>(d);
        g_offered.clear();
        for (int i = 0; i < dlg.Combo1->count(); ++i)
            g_offered << dlg.Combo1->itemText(i) + '=' + dlg.Combo1->itemData(i).toString();
        g_offered << QString::number(dlg.Combo1->currentIndex());
        if (a.typeIndex >= 0)
            dlg.Combo1->setCurrentIndex(a.typeIndex);
        if (!a.typedType.isEmpty())
            dlg.Combo1->setEditText(a.typedType);
        dlg.txt->setText(a.descr);
        dlg.Check1->setChecked(a.once);
        if (a.button >= 0)
            dlg.cmd_Click(a.button);
        else
            dlg.close();
        return dlg.result();
    });
}

} // namespace

Q_DECLARE_METATYPE(Answer)

class TestEditor : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void menusAndColumns();
    void cellEdits_data();
    void cellEdits();
    void deleteKey_data();
    void deleteKey();
    void dropDowns_data();
    void dropDowns();
    void typeListPlacementRule();
    void typeListNearTheBottom();
    void dropDownButtonsAndLayout();
    void filterDialog();
    void applyFilter_data();
    void applyFilter();
    void refreshKeepsAndRemoveClears();
    void windowsOpenedFromTheEditor_data();
    void windowsOpenedFromTheEditor();
    void eventEditorCommand_data();
    void eventEditorCommand();

private:
    std::unique_ptr<EditorDb> m_db;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<Editor> m_editor;
    EventTableModel *m = nullptr;
};

void TestEditor::init()
{
    m_db = std::make_unique<EditorDb>();
    m_prompts = std::make_unique<ScriptedPrompts>();
    setModalHandler([](QDialog &d) {
        QTest::qFail(qPrintable("unexpected window " + d.windowTitle()), __FILE__, __LINE__);
        return 0;
    });
    m_editor = std::make_unique<Editor>();
    m_editor->refresh_Data();
    m = m_editor->model();
}

void TestEditor::cleanup()
{
    m_editor.reset();
    setModalHandler({});
    m_prompts.reset();
    m_db.reset();
}

void TestEditor::menusAndColumns()
{
    Editor &editor = *m_editor;
    QCOMPARE(editor.windowTitle(), QStringLiteral("Almarik Editor"));
    QCOMPARE(menuTexts(editor.menuBar->actions()),
             (QStringList{"File", "Tools", "Filter", "Advanced", "&Refresh"}));
    QCOMPARE(menuTexts(editor.mnuFiles->actions() + editor.mnuTool->actions() +
                       editor.mnuEdits->actions() + editor.mnuAdvanced->actions()),
             (QStringList{"New Event", "Exit", "Export Outlook File (Office 97) (off)",
                          "Export Outlook File (Office 2000, XP) (off)", "- (off)",
                          "Export Almarik Share File (off)", "Import Almarik Share File (off)",
                          "Apply Filter", "Remove Filter", "SQL"}));
    QStringList columns, row0;
    for (int c = 0; c < m->columnCount(); ++c) {
        columns << m->headerData(c, Qt::Horizontal).toString() + ' ' +
                       QString::number(editor.DataGrid1->columnWidth(c)) +
                       ((m->flags(m->index(0, c)) & Qt::ItemIsEditable) ? "" : " locked");
        row0 << m->cellText(0, c);
    }
    QCOMPARE(columns, (QStringList{"Dates " + QString::number(twipsToPixels(1739.9)),
                                   "Type " + QString::number(twipsToPixels(1094.7)) + " locked",
                                   "Description " + QString::number(twipsToPixels(2505.3)),
                                   "Details " + QString::number(twipsToPixels(1739.9))}));
    QCOMPARE(row0, (QStringList{"3/10/1990", "birthday", "Ann", "likes tea"}));
    // refresh_Data puts the defined widths back.
    editor.DataGrid1->setColumnWidth(2, 10);
    editor.refresh_Data();
    QCOMPARE(editor.DataGrid1->columnWidth(2), twipsToPixels(2505.3));
}

void TestEditor::cellEdits_data()
{
    QTest::addColumn<QString>("event");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QVariant>("stored"); // the field afterwards
    QTest::addColumn<QString>("cell");    // the cell afterwards; "" for a refused date
    auto row = [](const char *name, const char *event, int column, const char *typed,
                  const QVariant &stored, const char *cell) {
        QTest::newRow(name) << QString(event) << column << QString(typed) << stored
                            << QString(cell);
    };
    row("description", "Ann", 2, "Ann B.", "Ann B.", "Ann B.");
    row("details keep line breaks", "Ann", 3, "two\nlines", "two\nlines", "two\nlines");
    row("details emptied", "Ann", 3, "", {}, "");
    row("date and time", "Ann", 0, "7/4/2026 18:30:00", QDateTime(QDate(2026, 7, 4), QTime(18, 30)),
        "7/4/2026 18:30:00");
    row("under a filter, the row shown", "O'Brien party", 3, "cake", "cake", "cake");
    row("add-new row: typing creates the event", "*", 2, "Garden", "Garden", "Garden");
    row("30 February refused", "Dentist", 0, "2/30/2024", QDate(2024, 1, 5), "");
    row("emptied date refused", "Dentist", 0, "", QDate(2024, 1, 5), "");
    row("add-new row: a bad date creates nothing", "*", 0, "soon", "<no such event>", "");
}

void TestEditor::cellEdits()
{
    QFETCH(QString, event);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QVariant, stored);
    QFETCH(QString, cell);
    if (event == QLatin1String("O'Brien party")) {
        rsEditor.setFilter(QStringLiteral("ShowOnce = True")); // Dentist, O'Brien party
        m_editor->refresh_Data();
    }
    const int row = rowOf(*m_editor, event);
    const bool refused = cell.isEmpty() && column == 0;
    QCOMPARE(m->setData(m->index(row, column), typed), !refused);
    const QString description = column == 2 ? typed : event;
    QCOMPARE(storedField(description, EventTableModel::field(column)), stored);
    QCOMPARE(m->cellText(row, column), refused && event != "*" ? cellDateText(stored) : cell);
    const int events = event == "*" && !refused ? 6 : 5;
    QCOMPARE(eventCount(), events);
    QCOMPARE(m->rowCount(), shownEvents(*m_editor).size() + 1);
    QCOMPARE(m->headerData(m->rowCount() - 1, Qt::Vertical).toString(), QStringLiteral("*"));
    QCOMPARE(m_prompts->boxes.size(), refused ? 1 : 0);
    if (refused) {
        const RecordedBox &box = m_prompts->boxes.first();
        QCOMPARE(box.text, "'" + typed + "' is not a date. The event was left as it was.");
        QVERIFY(box.icon == MsgIcon::Critical && box.title == QLatin1String("Almarik"));
    }
}

void TestEditor::deleteKey_data()
{
    QTest::addColumn<QStringList>("selected"); // the first is the current cell
    QTest::addColumn<int>("answer");           // a MsgResult; 0 the close box
    QTest::addColumn<QString>("question");     // "" for none
    QTest::addColumn<QStringList>("left");
    const int ok = int(MsgResult::Ok);
    const QStringList noChristmas = {"Ann", "Dentist", "Rob o'boyle", "O'Brien party"};
    const QString christmas = QStringLiteral("Delete the event \"Christmas\"?");
    QTest::newRow("OK deletes") << QStringList{"Christmas"} << ok << christmas << noChristmas;
    QTest::newRow("Cancel keeps") << QStringList{"Christmas"} << int(MsgResult::Cancel) << christmas
                                  << kAll;
    QTest::newRow("box closed keeps") << QStringList{"Christmas"} << 0 << christmas << kAll;
    QTest::newRow("several rows, the add-new row left out")
        << QStringList{"Ann", "Dentist", "*"} << ok << "Delete these 2 events?"
        << QStringList{"Christmas", "Rob o'boyle", "O'Brien party"};
    QTest::newRow("add-new row alone asks nothing") << QStringList{"*"} << ok << "" << kAll;
}

void TestEditor::deleteKey()
{
    QFETCH(QStringList, selected);
    QFETCH(int, answer);
    QFETCH(QString, question);
    QFETCH(QStringList, left);
    QTableView *grid = m_editor->DataGrid1;
    grid->setCurrentIndex(m->index(rowOf(*m_editor, selected.first()), 3));
    for (const QString &event : selected.mid(1))
        grid->selectionModel()->select(m->index(rowOf(*m_editor, event), 0),
                                       QItemSelectionModel::Select);
    if (!question.isEmpty())
        m_prompts->answer(answer ? QVariant::fromValue(MsgResult(answer)) : QVariant());
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(m_prompts->boxes.size(), question.isEmpty() ? 0 : 1);
    if (!question.isEmpty()) {
        QCOMPARE(m_prompts->boxes.first().text, question);
        QVERIFY(m_prompts->boxes.first().buttons == MsgButtons::OkCancel);
    }
    QCOMPARE(shownEvents(*m_editor), left);
    QCOMPARE(eventCount(), left.size());
}

void TestEditor::typeListPlacementRule()
{
    // Column 1's left edge, the row's top, the list's and the window's height.
    QCOMPARE(typeListPlacement(1000, 500, 2000, 6000), QPointF(1050, 740));   // room below
    QCOMPARE(typeListPlacement(1000, 3760, 2000, 6000), QPointF(1050, 4000)); // just fits
    QCOMPARE(typeListPlacement(1000, 4500, 2000, 6000), QPointF(1050, 3100)); // near the bottom
    QCOMPARE(typeListPlacement(0, 300, 2000, 2500), QPointF(50, 400));        // |2500 - 2000 - 900|
}

void TestEditor::typeListNearTheBottom()
{
    for (int i = 0; i < 40; ++i)
        addEvent("#01/01/2030#,Null,'Filler " + QString::number(i) + "',Null,False");
    Editor &editor = *m_editor;
    editor.refresh_Data();
    editor.resize(twipsToPixels(9000), twipsToPixels(4500));
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QTableView *grid = editor.DataGrid1;
    const int row = grid->rowAt(grid->viewport()->height() - 1) - 1; // lowest whole row in view
    grid->setCurrentIndex(m->index(row, 1));
    QWidget *client = editor.ListView1->parentWidget();
    const QPoint cell = grid->viewport()->mapTo(
        client, QPoint(grid->columnViewportPosition(1), grid->rowViewportPosition(row)));
    const double outer = pixelsToTwips(editor.frameGeometry().height());
    const double list = pixelsToTwips(editor.ListView1->height());
    QVERIFY(outer < pixelsToTwips(cell.y()) + 240 + list); // the rule applies
    editor.DataGrid1_ButtonClick(1);
    QCOMPARE(editor.ListView1->pos(), QPoint(twipsToPixels(pixelsToTwips(cell.x()) + 50),
                                             twipsToPixels(std::abs(outer - list - 900))));
    QVERIFY(editor.ListView1->y() < cell.y());
}

void TestEditor::dropDowns_data()
{
    QTest::addColumn<QString>("event"); // "*" for the add-new row
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("pick"); // a type key, or a day (none: the picker closed)
    QTest::addColumn<QDate>("start");  // the picker's start date
    QTest::addColumn<QVariant>("stored");
    const QDate today = QDate::currentDate();
    const QDate xmas(2000, 12, 25);
    auto row = [](const char *name, const char *event, int column, const char *pick, QDate start,
                  QVariant stored) {
        QTest::newRow(name) << QString(event) << column << QString(pick) << start << stored;
    };
    row("type picked", "Ann", 1, "memorial", {}, "memorial");
    row("type unknown empties the cell", "Ann", 1, "unknown", {}, {});
    row("type on the add-new row: a new event", "*", 1, "holiday", {}, "holiday");
    row("existing date, closed: untouched", "Christmas", 0, "", xmas, xmas);
    row("existing date, picked", "Christmas", 0, "2001-01-02", xmas, QDate(2001, 1, 2));
    row("date with a time, closed: the day alone", "Timed", 0, "", QDate(2024, 3, 1),
        QDate(2024, 3, 1));
    row("no date, closed: today", "Dateless", 0, "", today, today);
    row("add-new row, closed: today", "*", 0, "", today, today);
    row("add-new row, picked", "*", 0, "2028-02-29", today, QDate(2028, 2, 29));
}

void TestEditor::dropDowns()
{
    QFETCH(QString, event);
    QFETCH(int, column);
    QFETCH(QString, pick);
    QFETCH(QDate, start);
    QFETCH(QVariant, stored);
    addEvent(QStringLiteral("#03/01/2024 14:30#,Null,'Timed',Null,False"));
    addEvent(QStringLiteral("Null,Null,'Dateless',Null,False"));
    m_editor->refresh_Data();
    m_editor->show();
    const int r = rowOf(*m_editor, event);
    m_editor->DataGrid1->setCurrentIndex(m->index(r, column));
    QList<QDate> opened; // Calendar1's date and DateVal as the picker opened
    setModalHandler([&](QDialog &d) {
        auto &picker = dynamic_cast<Calendar &>(d);
        opened << picker.Calendar1->selectedDate() << picker.DateVal;
        if (!pick.isEmpty())
            picker.Calendar1_DateClick(QDate::fromString(pick, Qt::ISODate));
        return picker.result();
    });
    m_editor->DataGrid1_ButtonClick(short(column));
    QListWidget *list = m_editor->ListView1;
    QCOMPARE(list->isVisible(), column == 1);
    if (column == 1) {
        QStringList keys;
        for (int i = 0; i < list->count(); ++i)
            keys << list->item(i)->text() + (list->item(i)->icon().isNull() ? " no icon" : "");
        QCOMPARE(keys, (QStringList{"birthday", "anniversary", "car_race", "bike_race", "unknown",
                                    "reminder", "memorial", "holiday", "doctor"}));
        m_editor->ListView1_ItemClick(list->item(int(keys.indexOf(pick))));
        QVERIFY(!list->isVisible());
    } else {
        QCOMPARE(opened, (QList<QDate>{start, start}));
    }
    QCOMPARE(m->cellText(r, column), column == 0 ? cellDateText(stored) : stored.toString());
    QCOMPARE(storedField(event == "*" ? QString() : event, EventTableModel::field(column)), stored);
    QCOMPARE(eventCount(), event == "*" ? 8 : 7);
    QCOMPARE(m_prompts->boxes.size(), 0);
}

void TestEditor::dropDownButtonsAndLayout()
{
    Editor &editor = *m_editor;
    editor.resize(700, 500);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QTableView *grid = editor.DataGrid1;
    QWidget *client = grid->parentWidget();
    QCOMPARE(grid->size(), QSize(client->width() - twipsToPixels(10), client->height()));
    const QRect typeCell = grid->visualRect(m->index(2, 1));
    // Beside the button a click only selects; on it, the type list opens.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, typeCell.topLeft() + QPoint(3, 3));
    QCoreApplication::processEvents();
    QVERIFY(!editor.ListView1->isVisible());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      GridDelegate::buttonRect(typeCell).center());
    QTRY_VERIFY(editor.ListView1->isVisible());
    QTest::keyClick(editor.ListView1, Qt::Key_Escape); // closes the list, not the editor
    QVERIFY(!editor.ListView1->isVisible() && editor.isVisible());
    editor.DataGrid1_ButtonClick(1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(m->index(3, 2)).center());
    QVERIFY(!editor.ListView1->isVisible()); // a click in the grid closes it too

    int pickers = 0;
    setModalHandler([&](QDialog &d) { return pickers += dynamic_cast<Calendar *>(&d) != nullptr; });
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      GridDelegate::buttonRect(grid->visualRect(m->index(3, 0))).center());
    QTRY_COMPARE(pickers, 1);
    QCOMPARE(grid->currentIndex(), m->index(3, 0));
    QTest::keyClick(grid, Qt::Key_F4); // the keyboard's drop-down
    QCOMPARE(pickers, 2);
    QCOMPARE(storedField(QStringLiteral("Dentist"), QStringLiteral("icon")),
             QVariant(QStringLiteral("doctor")));
}

void TestEditor::filterDialog()
{
    frmFilter dlg;
    QCOMPARE(
        (QStringList{dlg.windowTitle(), dlg.Label3->text(), dlg.Label1->text(), dlg.Label2->text(),
                     dlg.Check1->text(), dlg.cmd[0]->text(), dlg.cmd[1]->text()}),
        (QStringList{"Filter",
                     "Select an Event Type and/or any part of the description to filter by:",
                     "Event Type", "Description", "Only Show Once events", "Apply", "Cancel"}));
    // Left over from an earlier use: showing the dialog starts it afresh.
    dlg.filtertype = dlg.filterdescr = QStringLiteral("old");
    dlg.filterOnce = true;
    answerFilterDialog(Answer{-1, {}, {}, false, -1});
    showModal(dlg);
    QCOMPARE(dlg.filtertype + '|' + dlg.filterdescr + '|' + QString::number(dlg.filterOnce),
             QStringLiteral("||0"));
    // A type key is used as it is, the description part quote-doubled.
    QCOMPARE(BuildFilterText(QStringLiteral("o'k"), QStringLiteral("a'b"), false),
             QStringLiteral("Description like '*a''b*' and icon = 'o'k'"));
}

void TestEditor::applyFilter_data()
{
    QTest::addColumn<Answer>("first"); // applied before a birthday "Cleo" is added
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("rows");
    const Answer none, birthdays{0, {}, {}, false, 0};
    QTest::newRow("all three")
        << none << Answer{0, {}, "o'b", true, 0}
        << "Description like '*o''b*' and icon = 'birthday' and ShowOnce = True"
        << QStringList{"O'Brien party"};
    QTest::newRow("description part, any case")
        << none << Answer{-1, {}, "o'b", false, 0} << "Description like '*o''b*'"
        << QStringList{"Rob o'boyle", "O'Brien party"};
    QTest::newRow("type only") << none << Answer{7, {}, {}, false, 0} << "icon = 'holiday'"
                               << QStringList{"Christmas"};
    QTest::newRow("picked then typed over is not taken")
        << none << Answer{0, "birth", "Chris", false, 0} << "Description like '*Chris*'"
        << QStringList{"Christmas"};
    QTest::newRow("show once alone, typed type ignored")
        << none << Answer{-1, "doctor", {}, true, 0} << "ShowOnce = True"
        << QStringList{"Dentist", "O'Brien party"};
    QTest::newRow("wild cards typed act as wild cards")
        << none << Answer{-1, {}, "C*s", false, 0} << "Description like '*C*s*'"
        << QStringList{"Christmas"};
    const QStringList allBirthdays = {"Ann", "Cleo", "O'Brien party"};
    QTest::newRow("cancel keeps the filter, refreshed")
        << birthdays << Answer{2, {}, "x", true, 1} << "icon = 'birthday'" << allBirthdays;
    QTest::newRow("close box keeps the filter, refreshed")
        << birthdays << Answer{2, {}, "x", true, -1} << "icon = 'birthday'" << allBirthdays;
    QTest::newRow("nothing chosen keeps the filter, refreshed")
        << birthdays << none << "icon = 'birthday'" << allBirthdays;
}

void TestEditor::applyFilter()
{
    QFETCH(Answer, first);
    QFETCH(Answer, answer);
    QFETCH(QString, filter);
    QFETCH(QStringList, rows);
    Editor &editor = *m_editor;
    QCOMPARE(editor.currentFilterText(), QString());
    answerFilterDialog(first);
    editor.mnuEdit_Click(0);
    addEvent(QStringLiteral("#06/01/2025#,'birthday','Cleo',Null,False"));
    answerFilterDialog(answer);
    editor.mnuEdit_Click(0);
    QCOMPARE(g_offered,
             (QStringList{"birthday=0", "anniversary=1", "car_race=2", "bike_race=3", "unknown=4",
                          "reminder=5", "memorial=6", "holiday=7", "doctor=8", "-1"}));
    QCOMPARE(editor.currentFilterText(), filter);
    QCOMPARE(rsEditor.Filter(), filter);
    QCOMPARE(shownEvents(editor), rows);
    QCOMPARE(m_prompts->boxes.size(), 0);
}

void TestEditor::refreshKeepsAndRemoveClears()
{
    Editor &editor = *m_editor;
    answerFilterDialog(Answer{-1, {}, "an", false, 0});
    editor.mnuEdit_Click(0);
    addEvent(QStringLiteral("#06/01/1999#,Null,'Hannah',Null,False"));
    addEvent(QStringLiteral("#06/01/1998#,Null,'Zed',Null,False"));
    editor.refreshData_Click();
    QCOMPARE(shownEvents(editor), (QStringList{"Ann", "Hannah"}));
    QCOMPARE(editor.currentFilterText(), QStringLiteral("Description like '*an*'"));

    setModalHandler([](QDialog &) { return QTest::qFail("no dialog", __FILE__, __LINE__), 0; });
    editor.mnuEdit_Click(1);
    QCOMPARE(editor.currentFilterText(), QString());
    QCOMPARE(rsEditor.Filter(), QString());
    QCOMPARE(shownEvents(editor), (QStringList{"Ann", "Zed", "Hannah", "Christmas", "Dentist",
                                               "Rob o'boyle", "O'Brien party"}));
}

void TestEditor::windowsOpenedFromTheEditor_data()
{
    QTest::addColumn<int>("command");  // 0 New Event, 1 SQL, 2 double-click
    QTest::addColumn<QString>("cell"); // "row,column" current before the command
    QTest::addColumn<QString>("opened");
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    QTest::newRow("New Event: empty") << 0 << QString("0,0") << "Single " + today + " ";
    QTest::newRow("SQL") << 1 << QString("0,0") << QString("SQL Builder");
    QTest::newRow("double-click: the row's event, its column kept")
        << 2 << QString("4,3") << QString("Single 2026-07-04 O'Brien party 4,3");
    QTest::newRow("double-click on the add-new row: nothing, column 0")
        << 2 << QString("5,2") << QString();
}

void TestEditor::windowsOpenedFromTheEditor()
{
    QFETCH(int, command);
    QFETCH(QString, cell);
    QFETCH(QString, opened);
    QTableView *grid = m_editor->DataGrid1;
    grid->setCurrentIndex(m->index(cell.section(',', 0, 0).toInt(), cell.section(',', 1).toInt()));
    QString seen;
    auto where = [grid]() -> QString {
        return QString::number(grid->currentIndex().row()) + ',' +
               QString::number(grid->currentIndex().column());
    };
    setModalHandler([&](QDialog &d) {
        seen = d.windowTitle();
        if (auto *single = dynamic_cast<frmSingle *>(&d)) {
            seen = "Single " + single->oriDates.toDate().toString(Qt::ISODate) + ' ' +
                   single->oriDescription.toString() +
                   (command == 2 ? QString(' ' + where()) : QString());
        }
        // Whatever the window changed shows in the grid afterwards.
        addEvent(QStringLiteral("#05/05/2025#,Null,'Made meanwhile',Null,False"));
        return 0;
    });
    const std::function<void()> commands[] = {[&] { m_editor->mnuFile_Click(0); },
                                              [&] { m_editor->mnuSQL_Click(); },
                                              [&] { m_editor->DataGrid1_DblClick(); }};
    commands[command]();
    QCOMPARE(seen, opened);
    QCOMPARE(shownEvents(*m_editor).contains("Made meanwhile"), !opened.isEmpty());
    if (opened.isEmpty())
        QCOMPARE(where(), QStringLiteral("5,0"));
}

void TestEditor::eventEditorCommand_data()
{
    QTest::addColumn<bool>("database");
    QTest::newRow("every event by date, no filter") << true;
    QTest::newRow("no database: failing steps skipped silently") << false;
}

void TestEditor::eventEditorCommand()
{
    QFETCH(bool, database);
    m_editor.reset();
    rsEditor.Close();
    rsEditor.setCursorLocation(adUseServer);
    addEvent(QStringLiteral("#01/01/1980#,Null,'Earliest',Null,False"));
    if (!database)
        dbConnection.Close();
    QString seen;
    setModalHandler([&](QDialog &d) {
        auto &editor = dynamic_cast<Editor &>(d);
        seen = editor.windowTitle() + ": " + shownEvents(editor).join(", ") + " | " +
               rsEditor.Filter();
        return 0;
    });
    openEventEditor(nullptr);
    QCOMPARE(seen, database ? QStringLiteral("Almarik Editor: Earliest, Ann, Christmas, Dentist, "
                                             "Rob o'boyle, O'Brien party | ")
                            : QStringLiteral("Almarik Editor:  | "));
    QVERIFY(!rsEditor.isOpen());
    QCOMPARE(rsEditor.cursorLocation(), adUseClient);
    QCOMPARE(m_prompts->boxes.size(), 0);
}

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
