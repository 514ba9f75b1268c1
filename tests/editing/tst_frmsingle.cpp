// The single event dialog driven through its handlers: the two modes, when
// Save is enabled, the type list, and that refused or failed saves keep the
// dialog open with the user's input while the table stays as it was.

#include "app/EventTypes.h"
#include "editing/TextBox.h"
#include "editing/frmSingle.h"
#include "platform/Twips.h"
#include "store/Repair.h"
#include "store/SharedDb.h"
#include "support/CalendarRows.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <sqlite3.h>

namespace {

const QDate july4(2026, 7, 4);
// Ahead of today, so that ticking show-once is valid.
const QDate soon = QDate::currentDate().addDays(20);

} // namespace

class TestFrmSingle : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void controls();
    void newEvent();
    void editLoadsTheRow();
    void saveEnabling_data();
    void saveEnabling();
    void vanishedEventSavesAsNew();
    void refusedSaveKeepsInput_data();
    void refusedSaveKeepsInput();
    void deleteAsksFirst();
    void cancelAndEscapeWriteNothing();
    void typeListHiding_data();
    void typeListHiding();
    void textLimits();

private:
    void addRow(QDate day, const QString &description, const QString &icon = {},
                const QString &details = {}, bool showOnce = false);
    QStringList rows() { return calendarRows(dbConnection); }
    // Loads the dialog for the event (a new one when description is empty).
    void open(frmSingle &dlg, QDate day = {}, const QString &description = {});
    // Makes the database refuse every update of Calendar with this text.
    void refuseUpdates(const char *text)
    {
        const QByteArray sql = QByteArray("CREATE TRIGGER t BEFORE UPDATE ON Calendar BEGIN "
                                          "SELECT RAISE(ABORT, '") +
                               text + "'); END";
        QCOMPARE(sqlite3_exec(dbConnection.handle(), sql.constData(), nullptr, nullptr, nullptr),
                 SQLITE_OK);
    }
    void pick(frmSingle &dlg, const QString &key)
    {
        dlg.ListView1_ItemClick(dlg.ListView1->findItems(key, Qt::MatchExactly).value(0));
    }

    TestEnv m_env;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    int m_files = 0;
};

void TestFrmSingle::init()
{
    m_prompts.reset(); // the one it replaces must be gone first
    m_prompts = std::make_unique<ScriptedPrompts>();
    const QString path = m_env.path(QStringLiteral("events%1.mdb").arg(++m_files));
    CreateDatabase(path);
    dbConnection.Open(path);
}

void TestFrmSingle::cleanup()
{
    dbConnection.Close();
}

void TestFrmSingle::addRow(QDate day, const QString &description, const QString &icon,
                           const QString &details, bool showOnce)
{
    dbConnection.Execute(
        insertStatement(EventRecord{day.startOfDay(), icon, description, details, showOnce}));
}

void TestFrmSingle::open(frmSingle &dlg, QDate day, const QString &description)
{
    dlg.oriDates = day;
    dlg.oriDescription = description;
    dlg.Form_Load();
}

void TestFrmSingle::controls()
{
    frmSingle dlg;
    open(dlg);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Single Event Editor"));
    QStringList captions;
    for (QLabel *l : dlg.Label1)
        captions << l->text();
    for (QPushButton *b : {dlg.cmd[0], dlg.cmd[1], dlg.cmd[2], dlg.cmdList})
        captions << b->text();
    captions << dlg.Check1->text();
    QCOMPARE(captions,
             (QStringList{"Description", "Details", "Date", "Type", "Cancel", "Save", "Delete",
                          "...", "Show only once, then delete after date expires"}));
    // Typing is limited in textLimits below.
    QCOMPARE(dlg.txt[2]->maxLength(), 50);
    QVERIFY(dlg.txt[2]->isReadOnly());
    // The list and the check box keep their place; they may only be wider
    // than designed, where the desktop's font needs it.
    const QRect list = twipsRect(2385, 1170, 1335, 2565);
    QCOMPARE(dlg.ListView1->geometry().topLeft(), list.topLeft());
    QCOMPARE(dlg.ListView1->height(), list.height());
    QVERIFY(dlg.ListView1->width() >= list.width());
    QCOMPARE(dlg.Check1->geometry().topLeft(), twipsRect(1080, 3690, 3855, 255).topLeft());
    QVERIFY(dlg.width() > dlg.Check1->geometry().right());

    // The nine types in the image list's order, each with its picture.
    QStringList types;
    for (int i = 0; i < dlg.ListView1->count(); ++i) {
        types << dlg.ListView1->item(i)->text();
        QVERIFY(!dlg.ListView1->item(i)->icon().isNull());
    }
    QCOMPARE(types, typeKeys());
    QVERIFY(dlg.ListView1->isHidden());
}

void TestFrmSingle::newEvent()
{
    addRow(july4, QStringLiteral("Ann"), QStringLiteral("doctor"), QStringLiteral("x"), true);
    frmSingle dlg;
    open(dlg, july4, QStringLiteral("Ann"));
    // Loaded again as a new event, the same dialog starts empty.
    open(dlg, QDate::currentDate());
    QVERIFY(dlg.cmd[2]->isHidden());
    QCOMPARE(dlg.DPick->date(), QDate::currentDate());
    QVERIFY(!dlg.cmd[1]->isEnabled());
    for (TextBox *box : dlg.txt)
        QVERIFY(box->text().isEmpty());
    QVERIFY(!dlg.Check1->isChecked());
    QVERIFY(dlg.pictureKey().isEmpty());

    dlg.txt[0]->setText(QStringLiteral("Ann's party"));
    QVERIFY(dlg.cmd[1]->isEnabled());
    dlg.DPick->setDate(july4.addYears(10));
    dlg.cmdList_Click();
    pick(dlg, QStringLiteral("birthday"));
    QVERIFY(dlg.ListView1->isHidden());
    QCOMPARE(dlg.txt[2]->text(), QStringLiteral("birthday"));
    QCOMPARE(dlg.pictureKey(), QStringLiteral("birthday"));
    dlg.txt[1]->setText(QStringLiteral("line one\r\nline two"));
    dlg.cmd_Click(1);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(m_prompts->boxes.isEmpty());
    QCOMPARE(rows().last(), QStringLiteral("2036-07-04|birthday|Ann's party|line one\r\nline "
                                           "two|false"));
}

void TestFrmSingle::editLoadsTheRow()
{
    addRow(july4, QStringLiteral("Ann's party"), QStringLiteral("holiday"), QStringLiteral("cake"),
           true);
    addRow(july4, QStringLiteral("Other"));
    frmSingle dlg;
    open(dlg, july4, QStringLiteral("Ann's party"));
    QVERIFY(!dlg.cmd[2]->isHidden());
    QCOMPARE(dlg.txt[0]->text() + dlg.txt[2]->text() + dlg.txt[1]->text(),
             QStringLiteral("Ann's partyholidaycake"));
    QCOMPARE(dlg.DPick->date(), july4);
    QCOMPARE(dlg.pictureKey(), QStringLiteral("holiday"));
    QVERIFY(!dlg.Picture1->pixmap().isNull());
    QVERIFY(dlg.Check1->isChecked());
    QCOMPARE(dlg.loadedEvent().Description, QStringLiteral("Ann's party"));
    QVERIFY(!dlg.cmd[1]->isEnabled());

    // The date may come with a time of day, as a grid hands it over; a null
    // type reads as none.
    dlg.oriDates = QDateTime(july4, QTime(9, 15));
    dlg.oriDescription = QStringLiteral("Other");
    dlg.Form_Load();
    QCOMPARE(dlg.txt[0]->text(), QStringLiteral("Other"));
    QVERIFY(dlg.txt[2]->text().isEmpty());
    QVERIFY(dlg.pictureKey().isEmpty());
}

void TestFrmSingle::saveEnabling_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("nothing") << "" << false;
    QTest::newRow("only the date") << "date" << true;
    QTest::newRow("only the tick") << "tick" << true;
    QTest::newRow("description differing only in case") << "case" << true;
    QTest::newRow("details") << "details" << true;
    QTest::newRow("another type") << "type" << true;
    QTest::newRow("unknown: no type, but its picture") << "unknown" << true;
    QTest::newRow("the same type picked again") << "sametype" << false;
    QTest::newRow("date changed and changed back") << "dateback" << false;
}

void TestFrmSingle::saveEnabling()
{
    QFETCH(QString, change);
    QFETCH(bool, enabled);
    addRow(soon, QStringLiteral("Ann"), QStringLiteral("birthday"), QStringLiteral("cake"));
    frmSingle dlg;
    open(dlg, soon, QStringLiteral("Ann"));
    if (change == QLatin1String("date"))
        dlg.DPick->setDate(soon.addDays(1));
    else if (change == QLatin1String("tick"))
        dlg.Check1->click();
    else if (change == QLatin1String("case"))
        dlg.txt[0]->setText(QStringLiteral("ANN"));
    else if (change == QLatin1String("details"))
        dlg.txt[1]->setText(QStringLiteral("Cake"));
    else if (change == QLatin1String("type"))
        pick(dlg, QStringLiteral("doctor"));
    else if (change == QLatin1String("unknown"))
        pick(dlg, QStringLiteral("unknown"));
    else if (change == QLatin1String("sametype"))
        pick(dlg, QStringLiteral("birthday"));
    else if (change == QLatin1String("dateback")) {
        dlg.DPick->setDate(soon.addYears(-1));
        QVERIFY(dlg.cmd[1]->isEnabled());
        dlg.DPick->setDate(soon);
    }
    QCOMPARE(dlg.cmd[1]->isEnabled(), enabled);
    if (change == QLatin1String("unknown")) {
        QVERIFY(dlg.txt[2]->text().isEmpty());
        QCOMPARE(dlg.pictureKey(), QStringLiteral("unknown"));
        QVERIFY(!dlg.Picture1->pixmap().isNull());
    }

    // Save writes only a change, to the row of the loaded day and description.
    const EventRecord read = dlg.ReadForm();
    if (!enabled)
        refuseUpdates("written");
    dlg.cmd_Click(1);
    QVERIFY(m_prompts->boxes.isEmpty());
    QCOMPARE(dlg.result(), int(enabled ? QDialog::Accepted : QDialog::Rejected));
    const QStringList row = {read.Dates.date().toString(Qt::ISODate),
                             read.icon.isEmpty() ? "-" : read.icon, read.Description, read.Details,
                             read.ShowOnce ? "true" : "false"};
    QCOMPARE(rows(), QStringList{row.join(QLatin1Char('|'))});
}

void TestFrmSingle::vanishedEventSavesAsNew()
{
    addRow(july4, QStringLiteral("Someone else"));
    frmSingle dlg;
    open(dlg, july4, QStringLiteral("Gone"));
    QVERIFY(!dlg.cmd[2]->isHidden());
    QVERIFY(dlg.txt[0]->text().isEmpty());
    QCOMPARE(dlg.DPick->date(), QDate::currentDate());
    QVERIFY(!dlg.cmd[1]->isEnabled());
    dlg.txt[0]->setText(QStringLiteral("Gone"));
    dlg.DPick->setDate(july4);
    dlg.cmd_Click(1);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(rows(),
             (QStringList{"2026-07-04|-|Someone else|-|false", "2026-07-04|-|Gone|-|false"}));
}

void TestFrmSingle::refusedSaveKeepsInput_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("daysAgo");
    QTest::addColumn<QString>("message");
    QTest::newRow("show once yesterday")
        << "Trip" << 1
        << "Date for show once option needs to be in the future\r\nThe event is invalid";
    QTest::newRow("no description")
        << "" << 0 << "Description not complete\r\nThe event is invalid";
    QTest::newRow("the database refuses") << "Trip" << 0 << "Error Saving Event";
}

void TestFrmSingle::refusedSaveKeepsInput()
{
    QFETCH(QString, description);
    QFETCH(int, daysAgo);
    QFETCH(QString, message);
    addRow(july4, QStringLiteral("Ann"));
    if (message == QLatin1String("Error Saving Event"))
        refuseUpdates("no room left");
    frmSingle dlg;
    open(dlg, july4, QStringLiteral("Ann"));
    const QDate day = QDate::currentDate().addDays(-daysAgo);
    dlg.txt[0]->setText(description);
    dlg.txt[1]->setText(QStringLiteral("pack"));
    dlg.DPick->setDate(day);
    dlg.Check1->click();
    dlg.cmd_Click(1);
    QCOMPARE(m_prompts->boxes.size(), 1);
    const RecordedBox &box = m_prompts->boxes[0];
    QCOMPARE(box.icon, MsgIcon::Critical);
    if (message == QLatin1String("Error Saving Event")) {
        QCOMPARE(box.title, message);
        QVERIFY(box.text.contains(QStringLiteral("no room left")));
    } else {
        QCOMPARE(box.text, message);
    }
    // Still open, with the user's input, and the table as it was.
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(dlg.txt[0]->text() + dlg.txt[1]->text(), description + QStringLiteral("pack"));
    QCOMPARE(dlg.DPick->date(), day);
    QVERIFY(dlg.Check1->isChecked());
    QVERIFY(dlg.cmd[1]->isEnabled());
    QCOMPARE(rows(), QStringList{"2026-07-04|-|Ann|-|false"});
}

void TestFrmSingle::deleteAsksFirst()
{
    // Cancelled, the dialog stays open; confirmed, it closes. (What the
    // confirmation says and deletes is DeleteEvent's.)
    addRow(july4, QStringLiteral("Ann"));
    frmSingle dlg;
    open(dlg, july4, QStringLiteral("Ann"));
    m_prompts->answer(QVariant::fromValue(MsgResult::Cancel));
    dlg.cmd_Click(2);
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(rows().size(), 1);
    m_prompts->answer(QVariant::fromValue(MsgResult::Ok));
    dlg.cmd_Click(2);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(rows().isEmpty());
}

void TestFrmSingle::cancelAndEscapeWriteNothing()
{
    addRow(july4, QStringLiteral("Ann"));
    frmSingle dlg;
    open(dlg, july4, QStringLiteral("Ann"));
    dlg.txt[0]->setText(QStringLiteral("Changed"));
    dlg.cmd_Click(0);
    QCOMPARE(dlg.result(), int(QDialog::Rejected));

    open(dlg, july4, QStringLiteral("Ann"));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTest::keyClicks(dlg.txt[0]->editor(), QStringLiteral("typed"));
    QVERIFY(dlg.cmd[1]->isEnabled());
    QTest::keyClick(dlg.txt[0]->editor(), Qt::Key_Escape);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(m_prompts->boxes.isEmpty());
    QCOMPARE(rows(), QStringList{"2026-07-04|-|Ann|-|false"});
}

void TestFrmSingle::typeListHiding_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("click on the form") << "form";
    QTest::newRow("click on the picture") << "picture";
    QTest::newRow("mouse down in the description") << "txt0";
    QTest::newRow("mouse down in the details") << "txt1";
    QTest::newRow("mouse down in the type box") << "txt2";
}

void TestFrmSingle::typeListHiding()
{
    QFETCH(QString, how);
    frmSingle dlg;
    open(dlg);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.ListView1->focusPolicy(), Qt::NoFocus);
    QTest::mouseClick(dlg.cmdList, Qt::LeftButton);
    QVERIFY(dlg.ListView1->isVisible());
    QCOMPARE(dlg.ListView1->focusPolicy(), Qt::StrongFocus);
    // Real clicks, so that the wiring of each control is exercised.
    if (how == QLatin1String("form"))
        QTest::mouseClick(&dlg, Qt::LeftButton, {}, QPoint(5, dlg.height() - 5));
    else if (how == QLatin1String("picture"))
        QTest::mouseClick(dlg.Picture1, Qt::LeftButton);
    else if (how == QLatin1String("txt1"))
        QTest::mouseClick(static_cast<QPlainTextEdit *>(dlg.txt[1]->editor())->viewport(),
                          Qt::LeftButton, {}, QPoint(5, 5));
    else
        QTest::mouseClick(dlg.txt[how.back().digitValue()]->editor(), Qt::LeftButton);
    QVERIFY(dlg.ListView1->isHidden());
    QCOMPARE(dlg.ListView1->focusPolicy(), Qt::NoFocus);
    QVERIFY(dlg.txt[2]->text().isEmpty()); // hiding picks nothing
}

void TestFrmSingle::textLimits()
{
    frmSingle dlg;
    open(dlg);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));

    // Typing stops at 50 characters.
    QTest::keyClicks(dlg.txt[0]->editor(), QString(55, QLatin1Char('a')));
    QCOMPARE(dlg.txt[0]->text(), QString(50, QLatin1Char('a')));

    // A paste into the details keeps what fits; line breaks count as CR LF.
    auto *details = static_cast<QPlainTextEdit *>(dlg.txt[1]->editor());
    details->insertPlainText(QStringLiteral("ab\n"));
    QCOMPARE(dlg.txt[1]->text(), QStringLiteral("ab\r\n"));
    details->insertPlainText(QString(4100, QLatin1Char('x')));
    QCOMPARE(dlg.txt[1]->text().size(), 4000);
    QVERIFY(dlg.txt[1]->text().startsWith(QStringLiteral("ab\r\nxxx")));

    // A longer stored text is shown whole and not cut by the box.
    for (int i : {0, 1}) {
        const QString stored = QString(4100, QLatin1Char('s')).left(i == 0 ? 60 : 4100);
        dlg.txt[i]->setText(stored);
        QCOMPARE(dlg.txt[i]->text(), stored);
        QTest::keyClick(dlg.txt[i]->editor(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(dlg.txt[i]->editor(), Qt::Key_Z);
        QCOMPARE(dlg.txt[i]->text(), stored); // cannot grow
        QTest::keyClick(dlg.txt[i]->editor(), Qt::Key_Backspace);
        QCOMPARE(dlg.txt[i]->text(), stored.chopped(1)); // may shrink
    }
}

QTEST_MAIN(TestFrmSingle)
#include "tst_frmsingle.moc"
