// SPDX-License-Identifier: GPL-3.0-or-later
// The event table editor, its filter dialog and the Event Editor command:
// typed edits reaching the shown row or refused with their box, the add-new
// row, the drop-down buttons, the Delete key, the filter applied and kept,
// and the windows opened from the editor. Every text the editor and the
// windows it opens show, compared whole (blanks included): captions,
// labels, buttons, check and option boxes, frames, menus and grid headings;
// sorted, so that only a text, never the order widgets are made in,
// decides, but a menu and a grid's headings read in their order.

#include "EditorFixture.h"
#include "editing/EventTypes.h"
#include "editing/ui/frmSQL.h"
#include "editing/ui/frmSingle.h"
#include "editor/EventTableModel.h"
#include "editor/ui/GridDelegate.h"
#include "editor/ui/OpenEditor.h"
#include "editor/ui/frmFilter.h"
#include "editor/ui/frmImport.h"
#include "support/CalendarRows.h"
#include "widgets/Calendar.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <functional>
#include <memory>
#include <sqlite3.h>

using MakeWindow = std::function<std::unique_ptr<QWidget>()>;
Q_DECLARE_METATYPE(MakeWindow)

namespace {

// The events the grid shows, by description, without the add-new row.
QStringList shownEvents(const Editor &editor)
{
    QStringList rows;
    for (int r = 0; r < editor.model()->addNewRow(); ++r)
        rows << editor.model()->cellText(r, EventTableModel::DescriptionColumn);
    return rows;
}

// The editor's clock: new events and the date picker start on its day.
const QDateTime kNow(QDate(2026, 12, 6), QTime(10, 0));
const auto fixedNow = [] { return kNow; };

// A menu's items in order ("-" a separator), then each submenu's.
void addMenu(QStringList &out, const QString &path, const QList<QAction *> &actions)
{
    QStringList items;
    for (const QAction *a : actions)
        items << (a->isSeparator() ? QStringLiteral("-") : a->text());
    out << QStringLiteral("Menu: ") + path + items.join(QStringLiteral(" | "));
    for (const QAction *a : actions)
        if (a->menu())
            addMenu(out, path + a->text() + QStringLiteral(" > "), a->menu()->actions());
}

QStringList textsOf(QWidget &w)
{
    QStringList out{QStringLiteral("Title: ") + w.windowTitle()};
    for (const QLabel *l : w.findChildren<QLabel *>())
        if (!l->text().isEmpty())
            out << QStringLiteral("Label: ") + l->text();
    for (const QAbstractButton *b : w.findChildren<QAbstractButton *>()) {
        const char *kind = qobject_cast<const QCheckBox *>(b)      ? "Check: "
                           : qobject_cast<const QRadioButton *>(b) ? "Option: "
                           : qobject_cast<const QPushButton *>(b)  ? "Button: "
                                                                   : nullptr;
        // A caption wrapped onto lines reads as its words.
        if (kind && !b->text().isEmpty())
            out << QLatin1String(kind) + QString(b->text()).replace(QLatin1Char('\n'), ' ');
    }
    for (const QGroupBox *g : w.findChildren<QGroupBox *>())
        out << QStringLiteral("Frame: ") + g->title();
    if (const QMenuBar *bar = w.findChild<QMenuBar *>())
        addMenu(out, QString(), bar->actions());
    for (const QTableView *t : w.findChildren<QTableView *>()) {
        QStringList headings;
        for (int c = 0; t->model() && c < t->model()->columnCount(); ++c)
            headings << t->model()->headerData(c, Qt::Horizontal).toString();
        out << QStringLiteral("Columns: ") + headings.join(QStringLiteral(" | "));
    }
    out.sort();
    return out;
}

} // namespace

class TestEditor : public QObject, EditorFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    // A fresh event database in m_db, m_rs opened on it as the Event
    // Editor command opens it, and the editor over it.
    void init()
    {
        openEditor({"(#03/10/1990#,'birthday','Ann','likes tea',False)",
                    "(#01/05/2024#,'doctor','Dentist',Null,True)",
                    "(#12/25/2000#,'holiday','Christmas','',False)",
                    "(#07/04/2026#,'birthday','O''Brien party',Null,True)",
                    "(#02/29/2024#,'memorial','Rob o''boyle',Null,False)"},
                   fixedNow);
        m = m_editor->model();
    }
    void cleanup() { QCOMPARE(closeEditor(), QStringList()); }
    void typedCells_data();
    void typedCells();
    void addNewRow();
    void dropDowns();
    void deleteKey();
    void applyFilter();
    void windowsOpened();
    void texts_data();
    void texts();

private:
    EventTableModel *m = nullptr;
};

void TestEditor::typedCells_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("result"); // the event's row afterwards, or why it was refused
    const auto row = [](const char *name, int column, const QString &input, const QString &result) {
        QTest::newRow(name) << column << input << result;
    };
    const QString fifty(50, QLatin1Char('x')), obrien = "2026-07-04|birthday|O'Brien party|";
    row("details: line breaks as CR LF", 3, "a\nb\rc", obrien + "a\r\nb\r\nc|true");
    row("details: 3,999 and a line break", 3, QString(3999, 'd') + '\n',
        "The details may hold at most 4000 characters.");
    row("description of 50", 2, fifty, "2026-07-04|birthday|" + fifty + "|-|true");
    row("description of 51", 2, fifty + 'y', "The description may hold at most 50 characters.");
    row("description emptied", 2, "", "Description not complete.");
    row("30 February", 0, "2/30/2024", "'2/30/2024' is not a date.");
}

void TestEditor::typedCells()
{
    QFETCH(int, column);
    QFETCH(QString, input);
    QFETCH(QString, result);
    // Under a filter, so that the edit must reach the row shown (row 1 of
    // Dentist and O'Brien party), not the table's row of that number.
    m_rs.setFilter(QStringLiteral("ShowOnce = True"));
    m_editor->refresh_Data();
    QStringList rows = calendarRows(m_db);
    if (m->setData(m->index(1, column), input))
        rows[3] = result;
    else
        QCOMPARE(m_prompts->takeBoxes(), QStringList{"Almarik (critical, OK): " + result +
                                                     " The event was left as it was."});
    QCOMPARE(calendarRows(m_db), rows);
}

void TestEditor::addNewRow()
{
    // A day (its time dropped), a type and details are held; the
    // description given at last creates the event with all of them.
    const int r = m->addNewRow();
    QVERIFY(m->setData(m->index(r, 0), QStringLiteral("7/4/2026 9:15")));
    QVERIFY(m->setData(m->index(r, 1), QStringLiteral("holiday")));
    QVERIFY(m->setData(m->index(r, 3), QStringLiteral("a\nb")));
    QCOMPARE(calendarRows(m_db).size(), 5);
    QVERIFY(m->setData(m->index(r, 2), QStringLiteral("Garden")));
    QCOMPARE(calendarRows(m_db).value(5), QStringLiteral("2026-07-04|holiday|Garden|a\r\nb|false"));
    // The event is a row of its own now; the add-new row is empty again.
    QCOMPARE(m->cellText(r, 2) + '|' + m->cellText(r + 1, 0) + m->cellText(r + 1, 2),
             QStringLiteral("Garden|"));
}

void TestEditor::dropDowns()
{
    // The mouse on a cell's button, and F4, open the type list or the date
    // picker; Escape closes the list, not the editor. "unknown" empties the
    // type. The picker starts on the cell's day, today on the add-new row,
    // where a day picked is held.
    Editor &editor = *m_editor;
    editor.resize(twipsToPixels(9000), twipsToPixels(4500));
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QTableView *grid = editor.DataGrid1;
    const auto button = [&](int row, int column) {
        return GridDelegate::buttonRect(grid->visualRect(m->index(row, column))).center();
    };
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, button(0, 1));
    QTRY_VERIFY(editor.ListView1->isVisible());
    QTest::keyClick(editor.ListView1, Qt::Key_Escape);
    QVERIFY(!editor.ListView1->isVisible() && editor.isVisible());
    QTest::keyClick(grid, Qt::Key_F4);
    editor.ListView1_ItemClick(editor.ListView1->findItems("unknown", Qt::MatchExactly).value(0));
    QVERIFY(!editor.ListView1->isVisible());
    QList<QDate> opened;
    setModalHandler([&](QDialog &d) {
        auto &picker = dynamic_cast<Calendar &>(d);
        opened << picker.DateVal;
        if (opened.size() == 2)
            picker.Calendar1_DateClick(QDate(2028, 2, 29));
        return picker.result();
    });
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, button(0, 0));
    QTRY_COMPARE(opened.size(), 1);
    grid->setCurrentIndex(m->index(m->addNewRow(), 0));
    QTest::keyClick(grid, Qt::Key_F4);
    QCOMPARE(opened, (QList<QDate>{QDate(1990, 3, 10), kNow.date()}));
    QCOMPARE(calendarRows(m_db).value(0), QStringLiteral("1990-03-10|-|Ann|likes tea|false"));
    QCOMPARE(m->cellText(m->addNewRow(), 0), QStringLiteral("2/29/2028"));
}

void TestEditor::deleteKey()
{
    // Under a filter, so that the rows shown are the ones deleted. One
    // event: the question names it, and Cancel keeps it. The add-new row
    // alone asks nothing.
    addEvents(m_db, {"(#01/01/2030#,Null,'Later',Null,False)"});
    m_rs.setFilter(QStringLiteral("ShowOnce = False")); // Ann, Christmas, Rob o'boyle, Later
    m_editor->refresh_Data();
    QTableView *grid = m_editor->DataGrid1;
    const auto press = [&](MsgResult answer) {
        m_prompts->answer(QVariant::fromValue(answer));
        QTest::keyClick(grid, Qt::Key_Delete);
    };
    grid->setCurrentIndex(m->index(1, 3));
    press(MsgResult::Cancel);
    QCOMPARE(m_prompts->takeBoxes(),
             QStringList{"Almarik (question, OK/Cancel): Delete the event \"Christmas\"?"});
    grid->setCurrentIndex(m->index(m->addNewRow(), 0));
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(calendarRows(m_db).size(), 6);

    // Overlapping ranges and the add-new row, deleted at once; the row
    // after them becomes current. A failure on any row keeps every row.
    const auto select = [&](int from, int to, int column) {
        grid->selectionModel()->select(QItemSelection(m->index(from, column), m->index(to, column)),
                                       QItemSelectionModel::Select);
    };
    grid->selectionModel()->setCurrentIndex(m->index(0, 2), QItemSelectionModel::NoUpdate);
    select(1, 1, 0);
    select(1, 2, 3);
    select(4, 4, 1);
    press(MsgResult::Ok);
    QCOMPARE(m_prompts->takeBoxes(),
             QStringList{"Almarik (question, OK/Cancel): Delete these 2 events?"});
    QCOMPARE(shownEvents(*m_editor), (QStringList{"Ann", "Later"}));
    QCOMPARE(grid->currentIndex(), m->index(1, 2)); // the column kept
    QVERIFY(sqlite3_exec(m_db.handle(),
                         "CREATE TRIGGER refuse BEFORE DELETE ON Calendar WHEN OLD.Description = "
                         "'Later' BEGIN SELECT RAISE(ABORT, 'disk is on fire'); END",
                         nullptr, nullptr, nullptr) == SQLITE_OK);
    grid->clearSelection();
    select(0, 1, 1);
    press(MsgResult::Ok);
    QCOMPARE(m_prompts->takeBoxes(),
             (QStringList{"Almarik (question, OK/Cancel): Delete these 2 events?",
                          "Almarik (critical, OK): disk is on fire"}));
    QCOMPARE(shownEvents(*m_editor), (QStringList{"Ann", "Later"}));
    QCOMPARE(calendarRows(m_db).size(), 4);
}

void TestEditor::applyFilter()
{
    // The filter, as the editor and its record set hold it, and the events
    // shown.
    Editor &editor = *m_editor;
    const auto shown = [&]() -> QString {
        const QString text = editor.currentFilterText();
        return (m_rs.Filter() == text ? text : "not applied: " + text) + ": " +
               shownEvents(editor).join(", ");
    };
    // What the user does in the filter dialog: the item picked from the type
    // list (-1 none), a text typed over it afterwards, the description part,
    // the check box, and the button (0 Apply, 1 Cancel, 3 Enter in the type
    // box; 2 means the Refresh command instead of the dialog).
    const auto filter = [&](int typeIndex, const QString &typed, const QString &descr, bool once,
                            int button) -> QString {
        setModalHandler([=](QDialog &d) {
            auto &dlg = dynamic_cast<frmFilter &>(d);
            if (typeIndex >= 0)
                dlg.Combo1->setCurrentIndex(typeIndex);
            if (!typed.isEmpty())
                dlg.Combo1->setEditText(typed);
            dlg.txt->setText(descr);
            dlg.Check1->setChecked(once);
            if (button == 3)
                QTest::keyClick(dlg.Combo1, Qt::Key_Return);
            else
                dlg.cmd_Click(button);
            return dlg.result();
        });
        button == 2 ? editor.refreshData_Click() : editor.mnuEdit_Click(0);
        return shown();
    };
    QCOMPARE(filter(0, {}, "o'b", true, 0),
             "Description like '*o''b*' and icon = 'birthday' and ShowOnce = True: O'Brien party");
    QCOMPARE(filter(7, {}, {}, false, 0), "icon = 'holiday': Christmas");
    // Enter in the type box applies; a type typed in full is not picked.
    QCOMPARE(filter(-1, "doctor", {}, true, 3), "ShowOnce = True: Dentist, O'Brien party");
    // Refresh and Cancel keep the filter, with the events read again.
    filter(0, {}, {}, false, 0);
    addEvents(m_db, {"(#06/01/2025#,'birthday','Cleo',Null,False)"});
    QCOMPARE(filter(-1, {}, {}, false, 2), "icon = 'birthday': Ann, Cleo, O'Brien party");
    addEvents(m_db, {"(#01/01/2030#,'birthday','Dan',Null,False)"});
    QCOMPARE(filter(2, {}, "x", true, 1), "icon = 'birthday': Ann, Cleo, O'Brien party, Dan");

    refuseWindows();
    editor.mnuEdit_Click(1); // Remove Filter
    QCOMPARE(shown(), ": Ann, Christmas, Dentist, Rob o'boyle, Cleo, O'Brien party, Dan");
}

void TestEditor::windowsOpened()
{
    // New Event opens an empty event on today, a double-click the row's
    // event (on the add-new row nothing); what a window changed shows in
    // the grid afterwards. The Event Editor command opens its own editor on
    // every event, the record set on the client, and closes it after.
    QStringList seen;
    setModalHandler([&](QDialog &d) {
        const auto *single = dynamic_cast<frmSingle *>(&d);
        if (auto *editor = dynamic_cast<Editor *>(&d))
            seen << d.windowTitle() + ": " + shownEvents(*editor).join(", ") + " | " +
                        m_rs.Filter();
        else
            seen << (single ? single->oriDates.toDate().toString(Qt::ISODate) + ' ' +
                                  single->oriDescription.toString()
                            : d.windowTitle());
        addEvents(m_db, {"(#01/01/1900#,Null,'Made',Null,0)"});
        return 0;
    });
    QTableView *grid = m_editor->DataGrid1;
    m_editor->mnuFile_Click(0);
    m_editor->mnuSQL_Click();
    grid->setCurrentIndex(m->index(int(shownEvents(*m_editor).indexOf("O'Brien party")), 3));
    m_editor->DataGrid1_DblClick();
    grid->setCurrentIndex(m->index(m->addNewRow(), 2));
    m_editor->DataGrid1_DblClick();
    QCOMPARE(shownEvents(*m_editor).first(4), (QStringList{"Made", "Made", "Made", "Ann"}));

    m_editor.reset();
    m_rs.setFilter(QStringLiteral("ShowOnce = True"));
    m_rs.Close();
    m_rs.setCursorLocation(adUseServer);
    openEventEditor(nullptr, m_db, m_rs, *m_prompts, fixedNow);
    QVERIFY(!m_rs.isOpen() && m_rs.cursorLocation() == adUseClient);
    QCOMPARE(seen, (QStringList{"2026-12-06 ", "SQL Builder", "2026-07-04 O'Brien party",
                                "Almarik Editor: Made, Made, Made, Ann, Christmas, Dentist, Rob "
                                "o'boyle, O'Brien party | "}));
}

void TestEditor::texts_data()
{
    // Each window's texts, sorted, joined by " / ".
    QTest::addColumn<MakeWindow>("make");
    QTest::addColumn<QString>("expected");
    QTest::newRow("import selection")
        << MakeWindow([] { return std::make_unique<frmImport>(); })
        << "Button: Cancel / Button: Import / Button: Select All / Button: Select None / Check: "
           "OverWrite existing Events / Label: Select Events to be Imported.  Those not selected "
           "already exist. / Title: Import Events";
    QTest::newRow("filter") << MakeWindow([] { return std::make_unique<frmFilter>(); })
                            << "Button: Apply / Button: Cancel / Check: Only Show Once events / "
                               "Label: Description / Label: Event Type / Label: Select an Event "
                               "Type and/or any part of the description to filter by: / Title: "
                               "Filter";
    QTest::newRow("single event")
        << MakeWindow([this] { return std::make_unique<frmSingle>(m_db, *m_prompts, fixedNow); })
        << "Button: ... / Button: Cancel / Button: Delete / Button: Save / Check: Show only once, "
           "then delete after date expires / Label: Date / Label: Description / Label: Details / "
           "Label: Type / Title: Single Event Editor";
    QTest::newRow("SQL builder")
        << MakeWindow([this] { return std::make_unique<frmSQL>(m_db, *m_prompts); })
        << "Button: Clear / Button: Close / Button: Run / Frame: Calendar Table / Label: = / "
           "Label: = / Label: SQL Output / Label: Set / Label: Where / Option: Delete / Option: "
           "Update / Title: SQL Builder";
    QTest::newRow("event table editor")
        << MakeWindow([this] { return std::make_unique<Editor>(m_db, m_rs, *m_prompts, fixedNow); })
        << "Columns: Dates | Type | Description | Details / Menu: Advanced > SQL / Menu: File > "
           "New Event | Exit / Menu: File | Tools | Filter | Advanced | &Refresh / Menu: Filter > "
           "Apply Filter | Remove Filter / Menu: Tools > Export Outlook File (Office 97) | Export "
           "Outlook File (Office 2000, XP) | - | Export Almarik Share File | Import Almarik Share "
           "File | - | Export iCalendar File | Import iCalendar File | Import Birthdays from vCard "
           "File | Import Events from Access Database / Title: Almarik Editor";
}

void TestEditor::texts()
{
    QFETCH(MakeWindow, make);
    QTEST(textsOf(*make()).join(QStringLiteral(" / ")), "expected");
}

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
