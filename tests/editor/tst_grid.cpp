// The editor's grid and commands: columns, edits reaching the table (and a
// bad date refused), the add-new row, deleting rows, the type list and its
// placement, the date picker's start date and unchanged-cell rule, opening
// events, the SQL builder and the Event Editor command.

#include "EditorFixture.h"
#include "app/Calendar.h"
#include "editing/frmSQL.h"
#include "editing/frmSingle.h"
#include "editor/Editor.h"
#include "editor/EventTableModel.h"
#include "editor/GridDates.h"
#include "editor/GridDelegate.h"
#include "editor/OpenEditor.h"
#include "platform/Modal.h"
#include "platform/Twips.h"
#include "support/ScriptedPrompts.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <memory>

namespace {

int rowOf(const Editor &editor, const QString &description)
{
    const EventTableModel *m = editor.model();
    for (int r = 0; r < m->addNewRow(); ++r) {
        if (m->cellText(r, EventTableModel::DescriptionColumn) == description)
            return r;
    }
    return -1;
}

QStringList menuTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *a : menu->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}

} // namespace

class TestGrid : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void windowAndMenus();
    void columnsAndRows();
    void cellEdits_data();
    void cellEdits();
    void editsReachTheRowShown();
    void badDateRefused_data();
    void badDateRefused();
    void addNewRowCreatesRecord();
    void deleteKey_data();
    void deleteKey();
    void deleteSeveralRows();
    void typeListPicks_data();
    void typeListPicks();
    void typeListClosesOnGridClick();
    void buttonsInCells();
    void typeListPlacementRule_data();
    void typeListPlacementRule();
    void typeListNearTheBottom();
    void datePicker_data();
    void datePicker();
    void doubleClickAddNewRow();
    void doubleClickOpensEvent();
    void newEventOpensEmptyDialog();
    void sqlBuilderThenRefresh();
    void openEventEditorCommand();
    void openEventEditorWithoutDatabase();
    void escapeKeepsEditorOpen();
    void resizeFillsWindow();

private:
    std::unique_ptr<EditorFixture> m_db;
    std::unique_ptr<ScriptedPrompts> m_prompts;
};

void TestGrid::init()
{
    m_db = std::make_unique<EditorFixture>();
    m_prompts = std::make_unique<ScriptedPrompts>();
    setModalHandler([](QDialog &d) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected window ") + d.windowTitle()), __FILE__,
                     __LINE__);
        return 0;
    });
}

void TestGrid::cleanup()
{
    setModalHandler({});
    m_prompts.reset();
    m_db.reset();
}

void TestGrid::windowAndMenus()
{
    Editor editor;
    QCOMPARE(editor.windowTitle(), QStringLiteral("Almarik Editor"));
    QStringList bar;
    for (const QAction *a : editor.menuBar->actions())
        bar << a->text();
    QCOMPARE(bar, (QStringList{"File", "Tools", "Filter", "Advanced", "&Refresh"}));
    QCOMPARE(menuTexts(editor.mnuFiles), (QStringList{"New Event", "Exit"}));
    QCOMPARE(
        menuTexts(editor.mnuTool),
        (QStringList{"Export Outlook File (Office 97)", "Export Outlook File (Office 2000, XP)",
                     "-", "Export Almarik Share File", "Import Almarik Share File"}));
    for (int i : {0, 1, 3, 4})
        QVERIFY(!editor.mnuTools[i]->isEnabled());
    QCOMPARE(menuTexts(editor.mnuEdits), (QStringList{"Apply Filter", "Remove Filter"}));
    QCOMPARE(menuTexts(editor.mnuAdvanced), (QStringList{"SQL"}));
    QVERIFY(editor.mnuFile[0]->isEnabled());
    QVERIFY(editor.mnuSQL->isEnabled());
}

void TestGrid::columnsAndRows()
{
    Editor editor;
    editor.refresh_Data();
    const EventTableModel *m = editor.model();
    QCOMPARE(m->columnCount(), 4);
    QCOMPARE(m->rowCount(), 6);
    const QStringList captions = {"Dates", "Type", "Description", "Details"};
    const double widths[4] = {1739.9, 1094.7, 2505.3, 1739.9};
    for (int c = 0; c < 4; ++c) {
        QCOMPARE(m->headerData(c, Qt::Horizontal).toString(), captions[c]);
        QCOMPARE(editor.DataGrid1->columnWidth(c), twipsToPixels(widths[c]));
    }
    QCOMPARE(m->headerData(5, Qt::Vertical).toString(), QStringLiteral("*"));
    QCOMPARE(m->headerData(4, Qt::Vertical).toString(), QString());
    QCOMPARE(m->cellText(0, 0), QStringLiteral("3/10/1990"));
    QCOMPARE(m->cellText(0, 1), QStringLiteral("birthday"));
    QCOMPARE(m->cellText(0, 2), QStringLiteral("Ann"));
    QCOMPARE(m->cellText(0, 3), QStringLiteral("likes tea"));
    QCOMPARE(m->cellText(1, 3), QString()); // Null details show empty
    QCOMPARE(m->cellText(5, 2), QString());
    QVERIFY(!(m->flags(m->index(0, 1)) & Qt::ItemIsEditable));
    for (int c : {0, 2, 3})
        QVERIFY(m->flags(m->index(0, c)) & Qt::ItemIsEditable);
    // Column widths survive a refresh.
    editor.DataGrid1->setColumnWidth(2, 10);
    editor.refresh_Data();
    QCOMPARE(editor.DataGrid1->columnWidth(2), twipsToPixels(2505.3));
}

void TestGrid::cellEdits_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("description") << 2 << "Ann B."
                                 << "Description" << QVariant("Ann B.") << "Ann B.";
    QTest::newRow("details keep line breaks")
        << 3 << "two\nlines"
        << "Details" << QVariant("two\nlines") << "two\nlines";
    QTest::newRow("details emptied") << 3 << ""
                                     << "Details" << QVariant() << "";
    QTest::newRow("date in the grid's form")
        << 0 << "12/31/1999"
        << "Dates" << QVariant(QDate(1999, 12, 31)) << "12/31/1999";
    QTest::newRow("date with two-digit year")
        << 0 << "2/29/24"
        << "Dates" << QVariant(QDate(2024, 2, 29)) << "2/29/2024";
    QTest::newRow("date as the month list writes it")
        << 0 << "01-03-2025"
        << "Dates" << QVariant(QDate(2025, 3, 1)) << "3/1/2025";
    QTest::newRow("date and time")
        << 0 << "7/4/2026 18:30:00"
        << "Dates" << QVariant(QDateTime(QDate(2026, 7, 4), QTime(18, 30))) << "7/4/2026 18:30:00";
}

void TestGrid::cellEdits()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, field);
    QFETCH(QVariant, stored);
    QFETCH(QString, shown);
    Editor editor;
    editor.refresh_Data();
    EventTableModel *m = editor.model();
    const int row = rowOf(editor, QStringLiteral("Ann"));
    QVERIFY(m->setData(m->index(row, column), typed));
    const QString description = column == 2 ? typed : QStringLiteral("Ann");
    QCOMPARE(EditorFixture::stored(description, field), stored);
    QCOMPARE(m->cellText(row, column), shown);
    QCOMPARE(EditorFixture::eventCount(), 5);
    QCOMPARE(m_prompts->boxes.size(), 0);
}

void TestGrid::editsReachTheRowShown()
{
    // Under a filter the grid's rows are not the table's: an edit goes to
    // the event the row shows.
    Editor editor;
    editor.refresh_Data();
    rsEditor.setFilter(QStringLiteral("ShowOnce = True"));
    editor.refresh_Data();
    EventTableModel *m = editor.model();
    QCOMPARE(m->cellText(1, 2), QStringLiteral("O'Brien party"));
    QVERIFY(m->setData(m->index(1, 3), QStringLiteral("bring cake")));
    QCOMPARE(EditorFixture::stored(QStringLiteral("O'Brien party"), QStringLiteral("Details")),
             QVariant(QStringLiteral("bring cake")));
    for (const char *other : {"Ann", "Christmas", "Dentist", "Rob o'boyle"})
        QVERIFY(EditorFixture::stored(QLatin1String(other), QStringLiteral("Details")) !=
                QVariant(QStringLiteral("bring cake")));
}

void TestGrid::badDateRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("30 February") << "2/30/2024";
    QTest::newRow("words") << "next week";
    QTest::newRow("emptied") << "";
    QTest::newRow("day first in a US grid") << "31/12/2024";
}

void TestGrid::badDateRefused()
{
    QFETCH(QString, typed);
    Editor editor;
    editor.refresh_Data();
    EventTableModel *m = editor.model();
    const int row = rowOf(editor, QStringLiteral("Dentist"));
    QVERIFY(!m->setData(m->index(row, 0), typed));
    QCOMPARE(m_prompts->boxes.size(), 1);
    const RecordedBox &box = m_prompts->boxes.first();
    QCOMPARE(box.text, QLatin1Char('\'') + typed +
                           QStringLiteral("' is not a date. The event was left as it was."));
    QCOMPARE(box.icon, MsgIcon::Critical);
    QCOMPARE(box.title, QStringLiteral("Almarik"));
    QCOMPARE(EditorFixture::stored(QStringLiteral("Dentist"), QStringLiteral("Dates")),
             QVariant(QDate(2024, 1, 5)));
    QCOMPARE(m->cellText(row, 0), QStringLiteral("1/5/2024"));
    QCOMPARE(m->cellText(row, 2), QStringLiteral("Dentist"));
}

void TestGrid::addNewRowCreatesRecord()
{
    Editor editor;
    editor.refresh_Data();
    EventTableModel *m = editor.model();
    QCOMPARE(m->addNewRow(), 5);
    // Nothing typed, nothing created; a bad date creates nothing either.
    QVERIFY(!m->setData(m->index(5, 2), QString()));
    QVERIFY(!m->setData(m->index(5, 0), QStringLiteral("soon")));
    QCOMPARE(m_prompts->boxes.size(), 1);
    QCOMPARE(EditorFixture::eventCount(), 5);
    QCOMPARE(m->rowCount(), 6);

    QVERIFY(m->setData(m->index(5, 2), QStringLiteral("Garden party")));
    QCOMPARE(EditorFixture::eventCount(), 6);
    QCOMPARE(m->rowCount(), 7);
    QCOMPARE(m->addNewRow(), 6);
    QCOMPARE(m->cellText(5, 2), QStringLiteral("Garden party"));
    QCOMPARE(m->headerData(6, Qt::Vertical).toString(), QStringLiteral("*"));
    // The new row is a row like the others now: further edits change it.
    QVERIFY(m->setData(m->index(5, 0), QStringLiteral("6/21/2025")));
    QCOMPARE(EditorFixture::stored(QStringLiteral("Garden party"), QStringLiteral("Dates")),
             QVariant(QDate(2025, 6, 21)));
    QCOMPARE(EditorFixture::stored(QStringLiteral("Garden party"), QStringLiteral("ShowOnce")),
             QVariant(false));
    QCOMPARE(EditorFixture::eventCount(), 6);
}

void TestGrid::deleteKey_data()
{
    QTest::addColumn<QVariant>("answer");
    QTest::addColumn<int>("left");
    QTest::newRow("OK deletes") << QVariant::fromValue(MsgResult::Ok) << 4;
    QTest::newRow("Cancel keeps") << QVariant::fromValue(MsgResult::Cancel) << 5;
    QTest::newRow("box closed keeps") << QVariant() << 5;
}

void TestGrid::deleteKey()
{
    QFETCH(QVariant, answer);
    QFETCH(int, left);
    Editor editor;
    editor.refresh_Data();
    const int row = rowOf(editor, QStringLiteral("Christmas"));
    editor.DataGrid1->setCurrentIndex(editor.model()->index(row, 3));
    m_prompts->answer(answer);
    QTest::keyClick(editor.DataGrid1, Qt::Key_Delete);
    QCOMPARE(m_prompts->boxes.size(), 1);
    const RecordedBox &box = m_prompts->boxes.first();
    QCOMPARE(box.text, QStringLiteral("Delete the event \"Christmas\"?"));
    QCOMPARE(box.buttons, MsgButtons::OkCancel);
    QCOMPARE(box.icon, MsgIcon::Question);
    QCOMPARE(EditorFixture::eventCount(), left);
    QCOMPARE(editor.model()->rowCount(), left + 1);
    QCOMPARE(rowOf(editor, QStringLiteral("Christmas")) >= 0, left == 5);
    QCOMPARE(rowOf(editor, QStringLiteral("Ann")), 0);
}

void TestGrid::deleteSeveralRows()
{
    Editor editor;
    editor.refresh_Data();
    QTableView *grid = editor.DataGrid1;
    EventTableModel *m = editor.model();
    // The add-new row is never deleted; with only it selected, nothing is asked.
    grid->setCurrentIndex(m->index(m->addNewRow(), 1));
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(m_prompts->boxes.size(), 0);

    auto *selection = grid->selectionModel();
    selection->select(m->index(0, 2), QItemSelectionModel::ClearAndSelect);
    selection->select(m->index(2, 0), QItemSelectionModel::Select);
    selection->select(m->index(2, 3), QItemSelectionModel::Select);
    selection->select(m->index(m->addNewRow(), 0), QItemSelectionModel::Select);
    m_prompts->answer(QVariant::fromValue(MsgResult::Ok));
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(m_prompts->boxes.last().text, QStringLiteral("Delete these 2 events?"));
    QCOMPARE(EditorFixture::eventCount(), 3);
    QCOMPARE(rowOf(editor, QStringLiteral("Ann")), -1);
    QCOMPARE(rowOf(editor, QStringLiteral("Dentist")), -1);
    QCOMPARE(rowOf(editor, QStringLiteral("Christmas")), 0);
    QCOMPARE(m->rowCount(), 4);
}

void TestGrid::typeListPicks_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("memorial") << "Ann"
                              << "memorial" << QVariant("memorial") << "memorial";
    QTest::newRow("unknown empties the type") << "Ann"
                                              << "unknown" << QVariant() << "";
    QTest::newRow("add-new row gets a record of that type")
        << ""
        << "holiday" << QVariant("holiday") << "holiday";
}

void TestGrid::typeListPicks()
{
    QFETCH(QString, row);
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    QFETCH(QString, shown);
    Editor editor;
    editor.refresh_Data();
    editor.show();
    EventTableModel *m = editor.model();
    const int r = row.isEmpty() ? m->addNewRow() : rowOf(editor, row);
    editor.DataGrid1->setCurrentIndex(m->index(r, 1));
    editor.DataGrid1_ButtonClick(1);
    QListWidget *list = editor.ListView1;
    QVERIFY(list->isVisible());
    QCOMPARE(list->count(), 9);
    QStringList keys;
    for (int i = 0; i < list->count(); ++i) {
        keys << list->item(i)->text();
        QVERIFY(!list->item(i)->icon().isNull());
    }
    QCOMPARE(keys, (QStringList{"birthday", "anniversary", "car_race", "bike_race", "unknown",
                                "reminder", "memorial", "holiday", "doctor"}));
    editor.ListView1_ItemClick(list->item(int(keys.indexOf(key))));
    QVERIFY(!list->isVisible());
    QCOMPARE(m->cellText(r, 1), shown);
    if (row.isEmpty()) {
        QCOMPARE(EditorFixture::eventCount(), 6);
        QCOMPARE(m->rowCount(), 7);
        RecordSet rs;
        rs.Open(QStringLiteral("SELECT * FROM Calendar WHERE Description IS NULL"), dbConnection);
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(rs.Fields(QStringLiteral("icon")), stored);
    } else {
        QCOMPARE(EditorFixture::stored(row, QStringLiteral("icon")), stored);
    }
}

void TestGrid::typeListClosesOnGridClick()
{
    Editor editor;
    editor.refresh_Data();
    editor.show();
    editor.DataGrid1->setCurrentIndex(editor.model()->index(0, 1));
    editor.DataGrid1_ButtonClick(1);
    QVERIFY(editor.ListView1->isVisible());
    QTest::mouseClick(editor.DataGrid1->viewport(), Qt::LeftButton, {},
                      editor.DataGrid1->visualRect(editor.model()->index(2, 2)).center());
    QVERIFY(!editor.ListView1->isVisible());
    QCOMPARE(EditorFixture::stored(QStringLiteral("Ann"), QStringLiteral("icon")),
             QVariant(QStringLiteral("birthday")));
    // Other columns have no list.
    editor.DataGrid1_ButtonClick(2);
    editor.DataGrid1_ButtonClick(3);
    QVERIFY(!editor.ListView1->isVisible());
}

void TestGrid::buttonsInCells()
{
    Editor editor;
    editor.refresh_Data();
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QTableView *grid = editor.DataGrid1;
    EventTableModel *m = editor.model();
    const QRect typeCell = grid->visualRect(m->index(2, 1));
    // A click in the cell beside the button only selects it.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, typeCell.topLeft() + QPoint(3, 3));
    QCoreApplication::processEvents();
    QVERIFY(!editor.ListView1->isVisible());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      GridDelegate::buttonRect(typeCell).center());
    QTRY_VERIFY(editor.ListView1->isVisible());
    QCOMPARE(grid->currentIndex(), m->index(2, 1));

    int shown = 0;
    setModalHandler([&](QDialog &d) {
        shown += dynamic_cast<Calendar *>(&d) != nullptr;
        return 0;
    });
    const QRect dateCell = grid->visualRect(m->index(3, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      GridDelegate::buttonRect(dateCell).center());
    QTRY_COMPARE(shown, 1);
    QVERIFY(!editor.ListView1->isVisible());
    QCOMPARE(grid->currentIndex(), m->index(3, 0));
    // F4 opens the current cell's drop-down too.
    QTest::keyClick(grid, Qt::Key_F4);
    QCOMPARE(shown, 2);
    QCOMPARE(m_prompts->boxes.size(), 0);
}

void TestGrid::typeListPlacementRule_data()
{
    QTest::addColumn<double>("left");
    QTest::addColumn<double>("top");
    QTest::addColumn<double>("list");
    QTest::addColumn<double>("outer");
    QTest::addColumn<QPointF>("at");
    QTest::newRow("room below") << 1000.0 << 500.0 << 2000.0 << 6000.0 << QPointF(1050, 740);
    QTest::newRow("just fits") << 1000.0 << 3760.0 << 2000.0 << 6000.0 << QPointF(1050, 4000);
    QTest::newRow("near the bottom") << 1000.0 << 4500.0 << 2000.0 << 6000.0 << QPointF(1050, 3100);
    QTest::newRow("window shorter than list and margin")
        << 0.0 << 300.0 << 2000.0 << 2500.0 << QPointF(50, 400);
}

void TestGrid::typeListPlacementRule()
{
    QFETCH(double, left);
    QFETCH(double, top);
    QFETCH(double, list);
    QFETCH(double, outer);
    QFETCH(QPointF, at);
    QCOMPARE(typeListPlacement(left, top, list, outer), at);
}

void TestGrid::typeListNearTheBottom()
{
    for (int i = 0; i < 40; ++i)
        EditorFixture::addEvent(QStringLiteral("#01/01/2030#,Null,'Filler ") + QString::number(i) +
                                QStringLiteral("',Null,False"));
    Editor editor;
    editor.refresh_Data();
    editor.resize(twipsToPixels(9000), twipsToPixels(4500));
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QTableView *grid = editor.DataGrid1;
    // The lowest row wholly in view.
    int row = grid->rowAt(grid->viewport()->height() - 1) - 1;
    QVERIFY(row > 3);
    grid->setCurrentIndex(editor.model()->index(row, 1));
    const int rowTop =
        grid->viewport()
            ->mapTo(editor.ListView1->parentWidget(), QPoint(0, grid->rowViewportPosition(row)))
            .y();
    const int column1 =
        grid->viewport()
            ->mapTo(editor.ListView1->parentWidget(), QPoint(grid->columnViewportPosition(1), 0))
            .x();
    const double outer = pixelsToTwips(editor.frameGeometry().height());
    const double list = pixelsToTwips(editor.ListView1->height());
    QVERIFY(outer < pixelsToTwips(rowTop) + 240 + list); // the rule applies
    editor.DataGrid1_ButtonClick(1);
    const QPoint at = editor.ListView1->pos();
    QCOMPARE(at.x(), twipsToPixels(pixelsToTwips(column1) + 50));
    QCOMPARE(at.y(), twipsToPixels(std::abs(outer - list - 900)));
    QVERIFY(at.y() < rowTop);

    // A row near the top opens the list just below the row's top.
    grid->setCurrentIndex(editor.model()->index(0, 1));
    editor.DataGrid1_ButtonClick(1);
    const int top0 =
        grid->viewport()
            ->mapTo(editor.ListView1->parentWidget(), QPoint(0, grid->rowViewportPosition(0)))
            .y();
    QCOMPARE(editor.ListView1->pos().y(), twipsToPixels(pixelsToTwips(top0) + 240));
}

void TestGrid::datePicker_data()
{
    QTest::addColumn<QString>("row"); // "" for the add-new row
    QTest::addColumn<QDate>("click"); // invalid: closed without a pick
    QTest::addColumn<QDate>("start"); // invalid: today
    QTest::addColumn<QVariant>("stored");
    const QDate today = QDate::currentDate();
    QTest::newRow("existing date, closed: untouched")
        << "Christmas" << QDate() << QDate(2000, 12, 25) << QVariant(QDate(2000, 12, 25));
    QTest::newRow("existing date, picked")
        << "Christmas" << QDate(2001, 1, 2) << QDate(2000, 12, 25) << QVariant(QDate(2001, 1, 2));
    QTest::newRow("date with a time, same day picked: time dropped")
        << "Timed" << QDate(2024, 3, 1) << QDate(2024, 3, 1) << QVariant(QDate(2024, 3, 1));
    QTest::newRow("no date, closed: today") << "Dateless" << QDate() << QDate() << QVariant(today);
    QTest::newRow("add-new row, closed: today") << "" << QDate() << QDate() << QVariant(today);
    QTest::newRow("add-new row, picked")
        << "" << QDate(2028, 2, 29) << QDate() << QVariant(QDate(2028, 2, 29));
}

void TestGrid::datePicker()
{
    QFETCH(QString, row);
    QFETCH(QDate, click);
    QFETCH(QDate, start);
    QFETCH(QVariant, stored);
    if (!start.isValid())
        start = QDate::currentDate();
    EditorFixture::addEvent(QStringLiteral("#03/01/2024 14:30#,Null,'Timed',Null,False"));
    EditorFixture::addEvent(QStringLiteral("Null,Null,'Dateless',Null,False"));
    Editor editor;
    editor.refresh_Data();
    EventTableModel *m = editor.model();
    const int r = row.isEmpty() ? m->addNewRow() : rowOf(editor, row);
    editor.DataGrid1->setCurrentIndex(m->index(r, 0));
    QDate shownStart, startVal;
    int shown = 0;
    setModalHandler([&](QDialog &d) {
        auto &picker = dynamic_cast<Calendar &>(d);
        ++shown;
        shownStart = picker.Calendar1->selectedDate();
        startVal = picker.DateVal;
        if (click.isValid())
            picker.Calendar1_DateClick(click);
        return picker.result();
    });
    editor.DataGrid1_ButtonClick(0);
    QCOMPARE(shown, 1);
    QCOMPARE(shownStart, start);
    QCOMPARE(startVal, start);
    QCOMPARE(m_prompts->boxes.size(), 0);
    if (row.isEmpty()) {
        QCOMPARE(EditorFixture::eventCount(), 8);
        QCOMPARE(m->rowCount(), 9);
        QCOMPARE(m->cellText(r, 0), gridDateText(stored));
        RecordSet rs;
        rs.Open(QStringLiteral("SELECT * FROM Calendar WHERE Description IS NULL"), dbConnection);
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(rs.Fields(QStringLiteral("Dates")), stored);
    } else {
        QCOMPARE(EditorFixture::eventCount(), 7);
        QCOMPARE(EditorFixture::stored(row, QStringLiteral("Dates")), stored);
        QCOMPARE(m->cellText(r, 0), gridDateText(stored));
    }
}

void TestGrid::doubleClickAddNewRow()
{
    Editor editor;
    editor.refresh_Data();
    EventTableModel *m = editor.model();
    editor.DataGrid1->setCurrentIndex(m->index(m->addNewRow(), 2));
    editor.DataGrid1_DblClick(); // the init handler fails the test on any window
    QCOMPARE(editor.DataGrid1->currentIndex().column(), 0);
    QCOMPARE(editor.DataGrid1->currentIndex().row(), m->addNewRow());
}

void TestGrid::doubleClickOpensEvent()
{
    Editor editor;
    editor.refresh_Data();
    EventTableModel *m = editor.model();
    const int row = rowOf(editor, QStringLiteral("O'Brien party"));
    editor.DataGrid1->setCurrentIndex(m->index(row, 3));
    QVariant dates, description;
    QString loaded;
    QModelIndex currentWhileOpen;
    setModalHandler([&](QDialog &d) {
        auto &single = dynamic_cast<frmSingle &>(d);
        dates = single.oriDates;
        description = single.oriDescription;
        loaded = single.loadedEvent().Description;
        currentWhileOpen = editor.DataGrid1->currentIndex();
        // A change made in the dialog shows in the grid afterwards.
        dbConnection.Execute(QStringLiteral("UPDATE Calendar SET Details = 'from the dialog' WHERE "
                                            "Description = 'O''Brien party'"));
        return 0;
    });
    editor.DataGrid1_DblClick();
    QCOMPARE(dates.toDate(), QDate(2026, 7, 4));
    QCOMPARE(description.toString(), QStringLiteral("O'Brien party"));
    QCOMPARE(loaded, QStringLiteral("O'Brien party"));
    QCOMPARE(currentWhileOpen.row(), row);
    QCOMPARE(currentWhileOpen.column(), 3);
    QCOMPARE(m->cellText(rowOf(editor, QStringLiteral("O'Brien party")), 3),
             QStringLiteral("from the dialog"));
}

void TestGrid::newEventOpensEmptyDialog()
{
    Editor editor;
    editor.refresh_Data();
    QVariant dates, description;
    setModalHandler([&](QDialog &d) {
        auto &single = dynamic_cast<frmSingle &>(d);
        dates = single.oriDates;
        description = single.oriDescription;
        EditorFixture::addEvent(QStringLiteral("#05/05/2025#,'reminder','Made in the dialog',Null,"
                                               "False"));
        return 0;
    });
    editor.mnuFile_Click(0);
    QCOMPARE(dates.toDate(), QDate::currentDate());
    QCOMPARE(description.toString(), QString());
    QVERIFY(rowOf(editor, QStringLiteral("Made in the dialog")) >= 0);
}

void TestGrid::sqlBuilderThenRefresh()
{
    Editor editor;
    editor.refresh_Data();
    setModalHandler([&](QDialog &d) {
        auto &builder = dynamic_cast<frmSQL &>(d);
        builder.optStart[1]->click();
        builder.Combo[1]->setEditText(QStringLiteral("icon"));
        builder.txt[1]->setText(QStringLiteral("'birthday'"));
        m_prompts->answer(QVariant::fromValue(MsgResult::Ok));
        builder.cmd_Click(1);
        return 0;
    });
    editor.mnuSQL_Click();
    QCOMPARE(frmSQL::lastSQL, QStringLiteral("Delete FROM Calendar  WHERE icon = 'birthday'"));
    QCOMPARE(editor.model()->rowCount(), 4);
    QCOMPARE(rowOf(editor, QStringLiteral("Ann")), -1);
}

void TestGrid::openEventEditorCommand()
{
    rsEditor.Close();
    EditorFixture::addEvent(QStringLiteral("#01/01/1980#,Null,'Earliest',Null,False"));
    bool open = false;
    QString filter = QStringLiteral("unset");
    QStringList order;
    QString title;
    setModalHandler([&](QDialog &d) {
        auto &editor = dynamic_cast<Editor &>(d);
        title = editor.windowTitle();
        open = rsEditor.isOpen();
        filter = rsEditor.Filter();
        for (int r = 0; r < editor.model()->addNewRow(); ++r)
            order << editor.model()->cellText(r, 2);
        return 0;
    });
    openEventEditor(nullptr);
    QCOMPARE(title, QStringLiteral("Almarik Editor"));
    QVERIFY(open);
    QCOMPARE(filter, QString());
    QCOMPARE(order, (QStringList{"Earliest", "Ann", "Christmas", "Dentist", "Rob o'boyle",
                                 "O'Brien party"}));
    QVERIFY(!rsEditor.isOpen());
    QCOMPARE(rsEditor.cursorLocation(), adUseClient);
    QCOMPARE(m_prompts->boxes.size(), 0);
}

void TestGrid::openEventEditorWithoutDatabase()
{
    rsEditor.Close();
    dbConnection.Close();
    int shown = 0;
    int rows = -1;
    setModalHandler([&](QDialog &d) {
        ++shown;
        rows = dynamic_cast<Editor &>(d).model()->rowCount();
        return 0;
    });
    openEventEditor(nullptr); // every failing step skipped, without a message
    QCOMPARE(shown, 1);
    QCOMPARE(rows, 0);
    QVERIFY(!rsEditor.isOpen());
    QCOMPARE(m_prompts->boxes.size(), 0);
}

void TestGrid::escapeKeepsEditorOpen()
{
    Editor editor;
    editor.refresh_Data();
    editor.show();
    editor.DataGrid1->setCurrentIndex(editor.model()->index(0, 1));
    editor.DataGrid1_ButtonClick(1);
    QTest::keyClick(&editor, Qt::Key_Escape);
    QVERIFY(!editor.ListView1->isVisible());
    QTest::keyClick(editor.DataGrid1, Qt::Key_Escape);
    QVERIFY(editor.isVisible());
    editor.mnuFile_Click(1);
    QVERIFY(!editor.isVisible());
}

void TestGrid::resizeFillsWindow()
{
    Editor editor;
    editor.show();
    editor.resize(700, 500);
    QTest::qWait(0);
    QWidget *client = editor.DataGrid1->parentWidget();
    QCOMPARE(editor.DataGrid1->height(), client->height());
    QCOMPARE(editor.DataGrid1->width(), client->width() - twipsToPixels(10));
    QVERIFY(client->height() > 400);
}

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
