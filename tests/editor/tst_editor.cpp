// The event table editor, its filter dialog and the Event Editor command:
// edits reaching the table (typed, from the type list and from the date
// picker, a bad date refused), the Delete key, the drop-down buttons, the
// filter text to the character with the rows it leaves, and the windows
// opened from the editor.

#include "editing/EventTypes.h"
#include "editing/ui/frmSingle.h"
#include "editor/EventTableModel.h"
#include "editor/FilterText.h"
#include "editor/GridDates.h"
#include "editor/ui/Editor.h"
#include "editor/ui/GridDelegate.h"
#include "editor/ui/OpenEditor.h"
#include "editor/ui/frmFilter.h"
#include "store/Connection.h"
#include "store/RecordSet.h"
#include "store/Repair.h"
#include "support/CalendarRows.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"
#include "widgets/Calendar.h"
#include "widgets/Modal.h"
#include "widgets/Twips.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <memory>
#include <sqlite3.h>
#include <utility>

namespace {

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

void refuseWindows()
{
    setModalHandler([](QDialog &d) {
        QTest::qFail(qPrintable("unexpected window " + d.windowTitle()), __FILE__, __LINE__);
        return 0;
    });
}

// What the user does in the filter dialog: the item picked from Combo1's
// list (-1 none), a text typed over Combo1 afterwards ("" none), the
// description part, the check box, and the button (0 Apply, 1 Cancel, -1
// the close box; 2 means the Refresh command instead of the dialog).
struct Answer
{
    int typeIndex = -1;
    QString typedType, descr;
    bool once = false;
    int button = 0;
};

void answerFilterDialog(const Answer &a)
{
    setModalHandler([a](QDialog &d) {
        auto &dlg = dynamic_cast<frmFilter &>(d);
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
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void init();
    void cleanup();
    void cellChanges_data();
    void cellChanges();
    void addNewRow();
    void deleteKey_data();
    void deleteKey();
    void deleteMany();
    void dropDowns();
    void filterDialog();
    void applyFilter_data();
    void applyFilter();
    void windowsOpened();
    void eventEditorCommand();

private:
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<Editor> m_editor;
    EventTableModel *m = nullptr;
    Connection m_db;
    RecordSet m_rs;
};

namespace {

// The editor's clock: new events and the date picker start on its day.
const QDateTime kNow(QDate(2026, 12, 6), QTime(10, 0));
QDateTime fixedNow()
{
    return kNow;
}

} // namespace

// A fresh event database in m_db, m_rs opened on it as the Event
// Editor command opens it, and the editor over it.
void TestEditor::init()
{
    m_env = std::make_unique<TestEnv>();
    const QString path = m_env->path(QStringLiteral("Almarik.MDB"));
    CreateDatabase(path);
    m_db.Open(Connection::connectionStringFor(path));
    addEvents(m_db, {"(#03/10/1990#,'birthday','Ann','likes tea',False)",
                     "(#01/05/2024#,'doctor','Dentist',Null,True)",
                     "(#12/25/2000#,'holiday','Christmas','',False)",
                     "(#07/04/2026#,'birthday','O''Brien party',Null,True)",
                     "(#02/29/2024#,'memorial','Rob o''boyle',Null,False)"});
    m_rs.setCursorLocation(adUseClient);
    m_rs.Open(QStringLiteral("SELECT * FROM Calendar ORDER BY Dates"), m_db, adOpenDynamic,
              adLockOptimistic);
    m_prompts = std::make_unique<ScriptedPrompts>();
    refuseWindows();
    m_editor = std::make_unique<Editor>(m_db, m_rs, *m_prompts, fixedNow);
    m_editor->refresh_Data();
    m = m_editor->model();
}

void TestEditor::cleanup()
{
    const QStringList boxes = m_prompts->takeBoxes(); // a test takes the boxes it expects
    m_editor.reset();
    setModalHandler({});
    m_prompts.reset();
    m_rs.Close();
    m_db.Close();
    m_env.reset();
    QCOMPARE(boxes, QStringList());
}

void TestEditor::cellChanges_data()
{
    QTest::addColumn<QString>("event"); // "*" for the add-new row
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("input");   // typed; a type key picked; a day picked ("" closed)
    QTest::addColumn<QDate>("start");     // the picker's start date; none: column 0 typed into
    QTest::addColumn<QString>("changed"); // the event's row afterwards, "" for none
    QTest::addColumn<QString>("cell");    // the cell afterwards
    QTest::addColumn<QString>("refusal"); // the box of a refused cell, before the common ending
    auto row = [](const char *name, const char *event, int column, const QString &input,
                  QDate start, const QString &changed, const QString &cell,
                  const QString &refusal = {}) {
        QTest::newRow(name) << QString(event) << column << input << start << changed << cell
                            << refusal;
    };
    const QDate today = kNow.date(), xmas(2000, 12, 25);
    const QString todayText = cellDateText(today);
    const QString fifty(50, QLatin1Char('x')), details(3999, QLatin1Char('d'));
    row("details: line breaks stored as CR LF", "Ann", 3, "two\nlines\rthree", {},
        "1990-03-10|birthday|Ann|two\r\nlines\r\nthree|false", "two\r\nlines\r\nthree");
    row("details: 3,999 and a line break is over 4,000", "Ann", 3, details + "\n", {}, "",
        "likes tea", "The details may hold at most 4000 characters.");
    row("description of 50", "Ann", 2, fifty, {},
        "1990-03-10|birthday|" + fifty + "|likes tea|false", fifty);
    row("description of 51 refused", "Ann", 2, fifty + "y", {}, "", "Ann",
        "The description may hold at most 50 characters.");
    row("emptied description refused", "Ann", 2, "", {}, "", "Ann", "Description not complete.");
    row("under a filter, the row shown", "O'Brien party", 3, "cake", {},
        "2026-07-04|birthday|O'Brien party|cake|true", "cake");
    row("30 February refused", "Dentist", 0, "2/30/2024", {}, "", "1/5/2024",
        "'2/30/2024' is not a date.");
    row("type picked", "Ann", 1, "memorial", {}, "1990-03-10|memorial|Ann|likes tea|false",
        "memorial");
    row("type unknown empties the cell", "Ann", 1, "unknown", {},
        "1990-03-10|-|Ann|likes tea|false", "");
    row("existing date, picked", "Christmas", 0, "2001-01-02", xmas,
        "2001-01-02|holiday|Christmas||false", "1/2/2001");
    row("date with a time, closed: the day alone", "Timed", 0, "", QDate(2024, 3, 1),
        "2024-03-01|-|Timed|-|false", "3/1/2024");
    row("no date, closed: today", "Dateless", 0, "", today,
        today.toString(Qt::ISODate) + "|-|Dateless|-|false", todayText);
    // The add-new row holds what it is given until it has a day and a
    // description: no nameless or dateless event is created.
    row("add-new row: a description alone is held", "*", 2, "Garden", {}, "", "Garden");
    row("add-new row, picked 29 February: held", "*", 0, "2028-02-29", today, "", "2/29/2028");
}

void TestEditor::cellChanges()
{
    QFETCH(QString, event);
    QFETCH(int, column);
    QFETCH(QString, input);
    QFETCH(QDate, start);
    QFETCH(QString, changed);
    QFETCH(QString, cell);
    QFETCH(QString, refusal);
    addEvents(m_db, {"(#03/01/2024 14:30#,Null,'Timed',Null,False)",
                     "(Null,Null,'Dateless',Null,False)"});
    if (event == QLatin1String("O'Brien party"))
        m_rs.setFilter(QStringLiteral("ShowOnce = True")); // Dentist, O'Brien party
    m_editor->refresh_Data();
    m_editor->show();
    const QStringList before = calendarRows(m_db);
    const int r = rowOf(*m_editor, event);
    m_editor->DataGrid1->setCurrentIndex(m->index(r, column));
    QList<QDate> opened; // Calendar1's date and DateVal as the picker opened
    setModalHandler([&](QDialog &d) {
        auto &picker = dynamic_cast<Calendar &>(d);
        opened << picker.Calendar1->selectedDate() << picker.DateVal;
        if (!input.isEmpty())
            picker.Calendar1_DateClick(QDate::fromString(input, Qt::ISODate));
        return picker.result();
    });
    QListWidget *list = m_editor->ListView1;
    if (column == 1 || start.isValid()) {
        m_editor->DataGrid1_ButtonClick(short(column));
        QCOMPARE(list->isVisible(), column == 1);
        QCOMPARE(opened, column == 1 ? QList<QDate>() : (QList<QDate>{start, start}));
    }
    if (column == 1) {
        m_editor->ListView1_ItemClick(list->findItems(input, Qt::MatchExactly).value(0));
        QVERIFY(!list->isVisible());
    } else if (!start.isValid()) {
        QCOMPARE(m->setData(m->index(r, column), input), refusal.isEmpty());
        QCOMPARE(m_prompts->takeBoxes(), refusal.isEmpty()
                                             ? QStringList()
                                             : QStringList{"Almarik (critical, OK): " + refusal +
                                                           " The event was left as it was."});
    }
    QCOMPARE(m->cellText(r, column), cell);
    const QStringList after = calendarRows(m_db);
    QStringList added;
    for (const QString &row : after)
        if (!before.contains(row))
            added << row;
    QCOMPARE(added, changed.isEmpty() ? QStringList() : QStringList{changed});
    QCOMPARE(after.size(), before.size());
}

void TestEditor::addNewRow()
{
    // A day (its time dropped), a type, then a refused empty description;
    // the description given at last creates the event with all of them.
    const int r = m->addNewRow();
    QVERIFY(m->setData(m->index(r, 0), QStringLiteral("7/4/2026 9:15")));
    QVERIFY(m->setData(m->index(r, 1), QStringLiteral("holiday")));
    QVERIFY(m->setData(m->index(r, 3), QStringLiteral("a\nb")));
    QCOMPARE(calendarRows(m_db).size(), 5);
    QVERIFY(m->setData(m->index(r, 2), QStringLiteral("Garden")));
    QCOMPARE(calendarRows(m_db, QStringLiteral("Description = 'Garden'")),
             QStringList{"2026-07-04|holiday|Garden|a\r\nb|false"});
    // The event is a row of its own now; the add-new row is empty again.
    QCOMPARE(m->addNewRow(), r + 1);
    QCOMPARE(m->cellText(r, 2) + '|' + m->cellText(r + 1, 0) + m->cellText(r + 1, 1) +
                 m->cellText(r + 1, 2) + m->cellText(r + 1, 3),
             QStringLiteral("Garden|"));
}

void TestEditor::deleteKey_data()
{
    QTest::addColumn<QStringList>("selected"); // the first is the current cell
    QTest::addColumn<int>("answer");           // a MsgResult
    QTest::addColumn<QString>("question");     // "" for none
    QTest::addColumn<QStringList>("left");
    const int ok = int(MsgResult::Ok);
    const QStringList all = {"Ann", "Christmas", "Dentist", "Rob o'boyle", "O'Brien party"};
    const QString christmas = "Almarik (question, OK/Cancel): Delete the event \"Christmas\"?";
    QTest::newRow("OK deletes") << QStringList{"Christmas"} << ok << christmas
                                << QStringList{"Ann", "Dentist", "Rob o'boyle", "O'Brien party"};
    QTest::newRow("Cancel keeps") << QStringList{"Christmas"} << int(MsgResult::Cancel) << christmas
                                  << all;
    QTest::newRow("several rows, the add-new row left out")
        << QStringList{"Ann", "Dentist", "*"} << ok
        << "Almarik (question, OK/Cancel): Delete these 2 events?"
        << QStringList{"Christmas", "Rob o'boyle", "O'Brien party"};
    QTest::newRow("add-new row alone asks nothing") << QStringList{"*"} << ok << "" << all;
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
        m_prompts->answer(QVariant::fromValue(MsgResult(answer)));
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(m_prompts->takeBoxes(), question.isEmpty() ? QStringList() : QStringList{question});
    QCOMPARE(shownEvents(*m_editor), left);
    QCOMPARE(calendarRows(m_db).size(), left.size());
}

void TestEditor::deleteMany()
{
    // Overlapping ranges of a filtered grid, deleted at once; a failure on
    // any row leaves every row in place.
    for (int i = 0; i < 300; ++i)
        addEvents(m_db, {QStringLiteral("(#01/01/2030#,Null,'Filler %1',Null,False)")
                             .arg(i, 3, 10, QLatin1Char('0'))});
    m_rs.setFilter(QStringLiteral("Description like 'Filler*'"));
    m_editor->refresh_Data();
    QTableView *grid = m_editor->DataGrid1;
    const auto select = [&](int from, int to, int column) {
        grid->selectionModel()->select(QItemSelection(m->index(from, column), m->index(to, column)),
                                       QItemSelectionModel::Select);
    };
    grid->selectionModel()->setCurrentIndex(m->index(5, 2), QItemSelectionModel::NoUpdate);
    select(10, 209, 0);
    select(200, 250, 3);
    m_prompts->answer(QVariant::fromValue(MsgResult::Ok));
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(m_prompts->takeBoxes(),
             QStringList{"Almarik (question, OK/Cancel): Delete these 241 events?"});
    QCOMPARE(m->rowCount(), 59 + 1);
    QCOMPARE(m->cellText(9, 2) + ' ' + m->cellText(10, 2), QStringLiteral("Filler 009 Filler 251"));
    QCOMPARE(grid->currentIndex().row(), 10);
    QCOMPARE(calendarRows(m_db).size(), 5 + 59);

    QVERIFY(sqlite3_exec(m_db.handle(),
                         "CREATE TRIGGER refuse BEFORE DELETE ON Calendar WHEN "
                         "OLD.Description = 'Filler 299' BEGIN SELECT RAISE(ABORT, 'disk is on "
                         "fire'); END",
                         nullptr, nullptr, nullptr) == SQLITE_OK);
    grid->clearSelection();
    select(0, 58, 1);
    m_prompts->answer(QVariant::fromValue(MsgResult::Ok));
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(m_prompts->takeBoxes(),
             (QStringList{"Almarik (question, OK/Cancel): Delete these 59 events?",
                          "Almarik (critical, OK): disk is on fire"}));
    QCOMPARE(m->rowCount(), 59 + 1);
    QCOMPARE(calendarRows(m_db).size(), 5 + 59);
}

void TestEditor::dropDowns()
{
    // The mouse on a cell's button, and F4, open the type list or the date
    // picker; Escape closes the list, not the editor.
    Editor &editor = *m_editor;
    editor.resize(twipsToPixels(9000), twipsToPixels(4500));
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QTableView *grid = editor.DataGrid1;
    const auto button = [&](int row, int column) {
        return GridDelegate::buttonRect(grid->visualRect(m->index(row, column))).center();
    };
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, button(2, 1));
    QTRY_VERIFY(editor.ListView1->isVisible());
    QTest::keyClick(editor.ListView1, Qt::Key_Escape);
    QVERIFY(!editor.ListView1->isVisible() && editor.isVisible());
    int pickers = 0;
    setModalHandler([&](QDialog &d) {
        pickers += dynamic_cast<Calendar *>(&d) != nullptr;
        return 0;
    });
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, button(3, 0));
    QTRY_COMPARE(pickers, 1);
    QCOMPARE(grid->currentIndex(), m->index(3, 0));
    QTest::keyClick(grid, Qt::Key_F4);
    QCOMPARE(pickers, 2);
}

void TestEditor::filterDialog()
{
    frmFilter dlg;
    // Left over from an earlier use: showing the dialog starts it afresh.
    dlg.filtertype = dlg.filterdescr = QStringLiteral("old");
    dlg.filterOnce = true;
    answerFilterDialog(Answer{-1, {}, {}, false, -1});
    showModal(dlg);
    QCOMPARE(dlg.filtertype + '|' + dlg.filterdescr + '|' + QString::number(dlg.filterOnce),
             QStringLiteral("||0"));
    // A type typed in full is not picked, even with Enter, which applies.
    for (const QString &key : typeKeys())
        dlg.Combo1->addItem(key);
    dlg.Form_Load();
    dlg.show();
    QTest::keyClicks(dlg.Combo1, QStringLiteral("memorial"));
    QTest::keyClick(dlg.Combo1, Qt::Key_Return);
    QCOMPARE(dlg.filtertype + '|' + QString::number(dlg.result()), QStringLiteral("|1"));
    QVERIFY(!dlg.isVisible());
    // A type key is used as it is, the description part quote-doubled.
    QCOMPARE(BuildFilterText(QStringLiteral("o'k"), QStringLiteral("a'b"), false),
             QStringLiteral("Description like '*a''b*' and icon = 'o'k'"));
}

void TestEditor::applyFilter_data()
{
    QTest::addColumn<Answer>("answer"); // given after birthdays are shown and "Cleo" is added
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("rows");
    auto row = [](const char *name, const Answer &a, const char *filter, const QStringList &rows) {
        QTest::newRow(name) << a << QString(filter) << rows;
    };
    row("all three", {0, {}, "o'b", true, 0},
        "Description like '*o''b*' and icon = 'birthday' and ShowOnce = True", {"O'Brien party"});
    row("description part, any case", {-1, {}, "o'b", false, 0}, "Description like '*o''b*'",
        {"Rob o'boyle", "O'Brien party"});
    row("type only", {7, {}, {}, false, 0}, "icon = 'holiday'", {"Christmas"});
    row("show once alone, typed type ignored", {-1, "doctor", {}, true, 0}, "ShowOnce = True",
        {"Dentist", "O'Brien party"});
    const QStringList birthdays = {"Ann", "Cleo", "O'Brien party"};
    row("cancel keeps the filter, refreshed", {2, {}, "x", true, 1}, "icon = 'birthday'",
        birthdays);
    row("nothing chosen keeps the filter, refreshed", {}, "icon = 'birthday'", birthdays);
    row("Refresh keeps the filter", {-1, {}, {}, false, 2}, "icon = 'birthday'", birthdays);
}

void TestEditor::applyFilter()
{
    QFETCH(Answer, answer);
    QFETCH(QString, filter);
    QFETCH(QStringList, rows);
    Editor &editor = *m_editor;
    answerFilterDialog(Answer{0, {}, {}, false, 0});
    editor.mnuEdit_Click(0);
    addEvents(m_db, {"(#06/01/2025#,'birthday','Cleo',Null,False)"});
    answerFilterDialog(answer);
    answer.button == 2 ? editor.refreshData_Click() : editor.mnuEdit_Click(0);
    QCOMPARE(editor.currentFilterText(), filter);
    QCOMPARE(m_rs.Filter(), filter);
    QCOMPARE(shownEvents(editor), rows);

    refuseWindows();
    editor.mnuEdit_Click(1); // Remove Filter
    QCOMPARE(editor.currentFilterText() + '|' + m_rs.Filter(), QStringLiteral("|"));
    QCOMPARE(shownEvents(editor),
             (QStringList{"Ann", "Christmas", "Dentist", "Rob o'boyle", "Cleo", "O'Brien party"}));
}

void TestEditor::windowsOpened()
{
    QTableView *grid = m_editor->DataGrid1;
    const auto at = [&](int row, int column) { grid->setCurrentIndex(m->index(row, column)); };
    const auto where = [grid]() -> QString {
        return QString::number(grid->currentIndex().row()) + ',' +
               QString::number(grid->currentIndex().column());
    };
    // Each window as it opened, with the current cell and the events shown;
    // what it changed shows in the grid afterwards.
    QStringList seen;
    setModalHandler([&](QDialog &d) {
        const auto *single = dynamic_cast<frmSingle *>(&d);
        seen << (single ? "Single " + single->oriDates.toDate().toString(Qt::ISODate) + ' ' +
                              single->oriDescription.toString()
                        : d.windowTitle()) +
                    " at " + where() + " of " + QString::number(m->addNewRow());
        addEvents(m_db, {"(#01/0" + QString::number(seen.size()) + "/1900#,Null,'Made " +
                         QString::number(seen.size()) + "',Null,0)"});
        return 0;
    });
    at(0, 0);
    m_editor->mnuFile_Click(0); // New Event: empty
    at(0, 0);
    m_editor->mnuSQL_Click();
    at(rowOf(*m_editor, QStringLiteral("O'Brien party")), 3);
    m_editor->DataGrid1_DblClick(); // the row's event, its column kept
    at(m->addNewRow(), 2);
    m_editor->DataGrid1_DblClick(); // on the add-new row: nothing, and column 0
    QCOMPARE(seen, (QStringList{"Single " + kNow.date().toString(Qt::ISODate) + "  at 0,0 of 5",
                                "SQL Builder at 0,0 of 6",
                                "Single 2026-07-04 O'Brien party at 6,3 of 7"}));
    QCOMPARE(where(), QStringLiteral("8,0"));
    QCOMPARE(shownEvents(*m_editor).first(4), (QStringList{"Made 1", "Made 2", "Made 3", "Ann"}));
}

void TestEditor::eventEditorCommand()
{
    m_editor.reset();
    m_rs.Close();
    addEvents(m_db, {"(#01/01/1980#,Null,'Earliest',Null,False)"});
    QStringList seen;
    setModalHandler([&](QDialog &d) {
        auto &editor = dynamic_cast<Editor &>(d);
        seen << editor.windowTitle() + ": " + shownEvents(editor).join(", ") + " | " +
                    m_rs.Filter();
        return 0;
    });
    for (int run = 0; run < 2; ++run) {
        m_rs.setCursorLocation(adUseServer);
        if (run == 1)
            m_db.Close(); // then each failing step is skipped silently
        openEventEditor(nullptr, m_db, m_rs, *m_prompts, fixedNow);
        QVERIFY(!m_rs.isOpen());
        QCOMPARE(m_rs.cursorLocation(), adUseClient);
    }
    QCOMPARE(seen, (QStringList{"Almarik Editor: Earliest, Ann, Christmas, Dentist, Rob o'boyle, "
                                "O'Brien party | ",
                                "Almarik Editor:  | "}));
}

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
