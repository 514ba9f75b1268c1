// The single event dialog driven through its handlers: the two modes, when
// Save is enabled, the type list, and that refused or failed saves keep the
// dialog open with the user's input while the table stays as it was.

#include "app/EventTypes.h"
#include "editing/TextBox.h"
#include "editing/frmSingle.h"
#include "platform/Twips.h"
#include "store/RecordSet.h"
#include "store/Repair.h"
#include "store/SharedDb.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <sqlite3.h>

namespace {

const QDate july4(2026, 7, 4);

struct Row
{
    QVariant Dates, icon, Description, Details, ShowOnce;
};

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
    void editUnchangedSavesNothing();
    void saveEnabling_data();
    void saveEnabling();
    void unknownTypeStoredAsNull();
    void vanishedEventSavesAsNew();
    void pastShowOnceRefused();
    void emptyDescriptionRefused();
    void failedSaveKeepsInput();
    void deleteAsksFirst();
    void cancelAndEscapeWriteNothing();
    void typeListHiding_data();
    void typeListHiding();
    void shownThroughShowModal();
    void reloadStartsClean();
    void textLimits();

private:
    void addRow(QDate day, const QString &description, const QString &icon = {},
                const QString &details = {}, bool showOnce = false);
    QList<Row> rows();
    QListWidgetItem *typeItem(frmSingle &dlg, const QString &key);
    void openEdit(frmSingle &dlg, QDate day, const QString &description);

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<ScriptedPrompts> m_prompts;
};

void TestFrmSingle::init()
{
    m_env = std::make_unique<TestEnv>();
    m_prompts = std::make_unique<ScriptedPrompts>();
    const QString path = m_env->path(QStringLiteral("Almarik.MDB"));
    CreateDatabase(path);
    dbConnection.Open(Connection::connectionStringFor(path));
}

void TestFrmSingle::cleanup()
{
    setModalHandler(nullptr);
    dbConnection.Close();
    m_prompts.reset();
    m_env.reset();
}

void TestFrmSingle::addRow(QDate day, const QString &description, const QString &icon,
                           const QString &details, bool showOnce)
{
    EventRecord rec;
    rec.Dates = day.startOfDay();
    rec.Description = description;
    rec.icon = icon;
    rec.Details = details;
    rec.ShowOnce = showOnce;
    dbConnection.Execute(insertStatement(rec));
}

QList<Row> TestFrmSingle::rows()
{
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM Calendar"), dbConnection);
    QList<Row> out;
    for (; !rs.isEOF(); rs.MoveNext()) {
        out.append({rs.Fields(QStringLiteral("Dates")), rs.Fields(QStringLiteral("icon")),
                    rs.Fields(QStringLiteral("Description")), rs.Fields(QStringLiteral("Details")),
                    rs.Fields(QStringLiteral("ShowOnce"))});
    }
    return out;
}

QListWidgetItem *TestFrmSingle::typeItem(frmSingle &dlg, const QString &key)
{
    const auto found = dlg.ListView1->findItems(key, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

void TestFrmSingle::openEdit(frmSingle &dlg, QDate day, const QString &description)
{
    dlg.oriDates = day;
    dlg.oriDescription = description;
    dlg.Form_Load();
}

void TestFrmSingle::controls()
{
    frmSingle dlg;
    dlg.oriDescription = QString();
    dlg.Form_Load();
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Single Event Editor"));
    QCOMPARE(dlg.Label1[0]->text(), QStringLiteral("Description"));
    QCOMPARE(dlg.Label1[1]->text(), QStringLiteral("Details"));
    QCOMPARE(dlg.Label1[2]->text(), QStringLiteral("Date"));
    QCOMPARE(dlg.Label1[3]->text(), QStringLiteral("Type"));
    QCOMPARE(dlg.cmd[0]->text(), QStringLiteral("Cancel"));
    QCOMPARE(dlg.cmd[1]->text(), QStringLiteral("Save"));
    QCOMPARE(dlg.cmd[2]->text(), QStringLiteral("Delete"));
    QCOMPARE(dlg.cmdList->text(), QStringLiteral("..."));
    QCOMPARE(dlg.Check1->text(), QStringLiteral("Show only once, then delete after date expires"));
    QCOMPARE(dlg.txt[0]->maxLength(), 50);
    QCOMPARE(dlg.txt[2]->maxLength(), 50);
    QCOMPARE(dlg.txt[1]->maxLength(), 4000);
    QVERIFY(dlg.txt[2]->isLocked());
    QVERIFY(dlg.txt[1]->isMultiLine());
    QVERIFY(dlg.DPick->calendarPopup());
    QCOMPARE(dlg.txt[1]->geometry(), twipsRect(1080, 1620, 4215, 1935));
    QCOMPARE(dlg.ListView1->geometry(), twipsRect(2385, 1170, 1335, 2565));
    QCOMPARE(dlg.cmd[1]->geometry(), twipsRect(3150, 4140, 1005, 330));

    // The nine types in the image list's order, each with its picture.
    QCOMPARE(dlg.ListView1->count(), int(typeKeys().size()));
    for (int i = 0; i < dlg.ListView1->count(); ++i) {
        QCOMPARE(dlg.ListView1->item(i)->text(), typeKeys().at(i));
        QVERIFY(!dlg.ListView1->item(i)->icon().isNull());
    }
    QVERIFY(dlg.ListView1->isHidden());
}

void TestFrmSingle::newEvent()
{
    frmSingle dlg;
    dlg.oriDates = QDate::currentDate();
    dlg.oriDescription = QString();
    dlg.Form_Load();
    QVERIFY(dlg.cmd[2]->isHidden());
    QCOMPARE(dlg.DPick->date(), QDate::currentDate());
    QVERIFY(!dlg.cmd[1]->isEnabled());
    for (TextBox *box : dlg.txt)
        QVERIFY(box->text().isEmpty());

    dlg.txt[0]->setText(QStringLiteral("Ann's party"));
    QVERIFY(dlg.cmd[1]->isEnabled());
    dlg.DPick->setDate(july4.addYears(10));
    dlg.cmdList_Click();
    dlg.ListView1_ItemClick(typeItem(dlg, QStringLiteral("birthday")));
    QCOMPARE(dlg.txt[2]->text(), QStringLiteral("birthday"));
    QCOMPARE(dlg.pictureKey(), QStringLiteral("birthday"));
    dlg.txt[1]->setText(QStringLiteral("line one\r\nline two"));
    dlg.cmd_Click(1);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(m_prompts->boxes.isEmpty());
    const QList<Row> stored = rows();
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored[0].Dates, QVariant(july4.addYears(10)));
    QCOMPARE(stored[0].icon, QVariant(QStringLiteral("birthday")));
    QCOMPARE(stored[0].Description, QVariant(QStringLiteral("Ann's party")));
    QCOMPARE(stored[0].Details, QVariant(QStringLiteral("line one\r\nline two")));
    QCOMPARE(stored[0].ShowOnce, QVariant(false));
}

void TestFrmSingle::editLoadsTheRow()
{
    addRow(july4, QStringLiteral("Ann's party"), QStringLiteral("holiday"), QStringLiteral("cake"),
           true);
    addRow(july4, QStringLiteral("Other"));
    frmSingle dlg;
    openEdit(dlg, july4, QStringLiteral("Ann's party"));
    QVERIFY(!dlg.cmd[2]->isHidden());
    QCOMPARE(dlg.txt[0]->text(), QStringLiteral("Ann's party"));
    QCOMPARE(dlg.DPick->date(), july4);
    QCOMPARE(dlg.txt[2]->text(), QStringLiteral("holiday"));
    QCOMPARE(dlg.pictureKey(), QStringLiteral("holiday"));
    QVERIFY(!dlg.Picture1->pixmap().isNull());
    QCOMPARE(dlg.txt[1]->text(), QStringLiteral("cake"));
    QVERIFY(dlg.Check1->isChecked());
    QCOMPARE(dlg.loadedEvent().Description, QStringLiteral("Ann's party"));
    QVERIFY(!dlg.cmd[1]->isEnabled());

    // The date may come as a date and time, as a grid hands it over.
    frmSingle again;
    again.oriDates = QDateTime(july4, QTime(9, 15));
    again.oriDescription = QStringLiteral("Other");
    again.Form_Load();
    QCOMPARE(again.txt[0]->text(), QStringLiteral("Other"));
    QVERIFY(again.txt[2]->text().isEmpty()); // null type
    QVERIFY(again.pictureKey().isEmpty());
    QVERIFY(!again.Check1->isChecked());
}

void TestFrmSingle::editUnchangedSavesNothing()
{
    addRow(july4, QStringLiteral("Ann"), QStringLiteral("birthday"), QStringLiteral("x"));
    frmSingle dlg;
    openEdit(dlg, july4, QStringLiteral("Ann"));
    QVERIFY(!dlg.CheckForChanges());
    QVERIFY(!dlg.cmd[1]->isEnabled());
    // A trigger would report any write; none may happen.
    QCOMPARE(sqlite3_exec(dbConnection.handle(),
                          "CREATE TRIGGER t BEFORE UPDATE ON Calendar BEGIN SELECT "
                          "RAISE(ABORT, 'written'); END",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    dlg.cmd_Click(1);
    QVERIFY(m_prompts->boxes.isEmpty());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
}

void TestFrmSingle::saveEnabling_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("only the date") << "date" << true;
    QTest::newRow("only the tick") << "tick" << true;
    QTest::newRow("description differing only in case") << "case" << true;
    QTest::newRow("a blank after the description") << "blank" << true;
    QTest::newRow("details") << "details" << true;
    QTest::newRow("another type") << "type" << true;
    QTest::newRow("the same type picked again") << "sametype" << false;
    QTest::newRow("date changed and changed back") << "dateback" << false;
    QTest::newRow("tick changed and changed back") << "tickback" << false;
}

void TestFrmSingle::saveEnabling()
{
    QFETCH(QString, change);
    QFETCH(bool, enabled);
    // Ahead of today, so that ticking show-once is valid.
    const QDate soon = QDate::currentDate().addDays(20);
    addRow(soon, QStringLiteral("Ann"), QStringLiteral("birthday"), QStringLiteral("cake"));
    frmSingle dlg;
    openEdit(dlg, soon, QStringLiteral("Ann"));
    QVERIFY(!dlg.cmd[1]->isEnabled());

    if (change == QLatin1String("date")) {
        dlg.DPick->setDate(soon.addDays(1));
    } else if (change == QLatin1String("tick")) {
        dlg.Check1->click();
    } else if (change == QLatin1String("case")) {
        dlg.txt[0]->setText(QStringLiteral("ANN"));
    } else if (change == QLatin1String("blank")) {
        dlg.txt[0]->setText(QStringLiteral("Ann "));
    } else if (change == QLatin1String("details")) {
        dlg.txt[1]->setText(QStringLiteral("Cake"));
    } else if (change == QLatin1String("type")) {
        dlg.ListView1_ItemClick(typeItem(dlg, QStringLiteral("doctor")));
    } else if (change == QLatin1String("sametype")) {
        dlg.ListView1_ItemClick(typeItem(dlg, QStringLiteral("birthday")));
    } else if (change == QLatin1String("dateback")) {
        dlg.DPick->setDate(soon.addYears(-1));
        QVERIFY(dlg.cmd[1]->isEnabled());
        dlg.DPick->setDate(soon);
    } else if (change == QLatin1String("tickback")) {
        dlg.Check1->click();
        QVERIFY(dlg.cmd[1]->isEnabled());
        dlg.Check1->click();
    }
    QCOMPARE(dlg.cmd[1]->isEnabled(), enabled);
    if (!enabled)
        return;

    // The update finds the row by the loaded day and description.
    const EventRecord expected = dlg.ReadForm();
    dlg.cmd_Click(1);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    const QList<Row> stored = rows();
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored[0].Dates, QVariant(expected.Dates.date()));
    QCOMPARE(stored[0].Description, QVariant(expected.Description));
    QCOMPARE(stored[0].icon.toString(), expected.icon);
    QCOMPARE(stored[0].Details.toString(), expected.Details);
    QCOMPARE(stored[0].ShowOnce.toBool(), expected.ShowOnce);
}

void TestFrmSingle::unknownTypeStoredAsNull()
{
    addRow(july4, QStringLiteral("Ann"), QStringLiteral("birthday"));
    frmSingle dlg;
    openEdit(dlg, july4, QStringLiteral("Ann"));
    dlg.cmdList_Click();
    QVERIFY(!dlg.ListView1->isHidden());
    dlg.ListView1_ItemClick(typeItem(dlg, QStringLiteral("unknown")));
    QVERIFY(dlg.txt[2]->text().isEmpty());
    QCOMPARE(dlg.pictureKey(), QStringLiteral("unknown"));
    QVERIFY(!dlg.Picture1->pixmap().isNull());
    QVERIFY(dlg.ListView1->isHidden());
    QVERIFY(dlg.cmd[1]->isEnabled());
    dlg.cmd_Click(1);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QVERIFY(rows().first().icon.isNull());
}

void TestFrmSingle::vanishedEventSavesAsNew()
{
    addRow(july4, QStringLiteral("Someone else"));
    frmSingle dlg;
    openEdit(dlg, july4, QStringLiteral("Gone"));
    QVERIFY(!dlg.cmd[2]->isHidden());
    QVERIFY(dlg.txt[0]->text().isEmpty());
    QCOMPARE(dlg.DPick->date(), QDate::currentDate());
    QVERIFY(dlg.loadedEvent().Description.isEmpty());
    QVERIFY(!dlg.cmd[1]->isEnabled());

    dlg.txt[0]->setText(QStringLiteral("Gone"));
    dlg.DPick->setDate(july4);
    dlg.cmd_Click(1);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    const QList<Row> stored = rows();
    QCOMPARE(stored.size(), 2); // inserted, the other row untouched
    QCOMPARE(stored[0].Description, QVariant(QStringLiteral("Someone else")));
    QCOMPARE(stored[1].Description, QVariant(QStringLiteral("Gone")));
}

void TestFrmSingle::pastShowOnceRefused()
{
    frmSingle dlg;
    dlg.oriDescription = QString();
    dlg.Form_Load();
    const QDate yesterday = QDate::currentDate().addDays(-1);
    dlg.txt[0]->setText(QStringLiteral("Trip"));
    dlg.txt[1]->setText(QStringLiteral("pack"));
    dlg.DPick->setDate(yesterday);
    dlg.Check1->click();
    dlg.cmd_Click(1);
    QCOMPARE(m_prompts->boxes.size(), 1);
    QCOMPARE(m_prompts->boxes[0].text,
             QStringLiteral("Date for show once option needs to be in the future\r\nThe event is "
                            "invalid"));
    QCOMPARE(m_prompts->boxes[0].icon, MsgIcon::Critical);
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(dlg.txt[0]->text(), QStringLiteral("Trip"));
    QCOMPARE(dlg.txt[1]->text(), QStringLiteral("pack"));
    QCOMPARE(dlg.DPick->date(), yesterday);
    QVERIFY(dlg.Check1->isChecked());
    QVERIFY(rows().isEmpty());

    // Corrected to today, the same input is accepted.
    dlg.DPick->setDate(QDate::currentDate());
    dlg.cmd_Click(1);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(rows().size(), 1);
}

void TestFrmSingle::emptyDescriptionRefused()
{
    frmSingle dlg;
    dlg.oriDescription = QString();
    dlg.Form_Load();
    dlg.txt[1]->setText(QStringLiteral("details only"));
    dlg.cmd_Click(1);
    QCOMPARE(m_prompts->boxes.size(), 1);
    QCOMPARE(m_prompts->boxes[0].text,
             QStringLiteral("Description not complete\r\nThe event is invalid"));
    QCOMPARE(dlg.txt[1]->text(), QStringLiteral("details only"));
    QVERIFY(rows().isEmpty());
}

void TestFrmSingle::failedSaveKeepsInput()
{
    addRow(july4, QStringLiteral("Ann"));
    QCOMPARE(sqlite3_exec(dbConnection.handle(),
                          "CREATE TRIGGER t BEFORE UPDATE ON Calendar BEGIN SELECT "
                          "RAISE(ABORT, 'no room left'); END",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    frmSingle dlg;
    openEdit(dlg, july4, QStringLiteral("Ann"));
    dlg.txt[0]->setText(QStringLiteral("Ann B."));
    dlg.cmd_Click(1);
    QCOMPARE(m_prompts->boxes.size(), 1);
    QCOMPARE(m_prompts->boxes[0].title, QStringLiteral("Error Saving Event"));
    QVERIFY(m_prompts->boxes[0].text.contains(QStringLiteral("no room left")));
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(dlg.txt[0]->text(), QStringLiteral("Ann B."));
    QVERIFY(dlg.cmd[1]->isEnabled());
    QCOMPARE(rows().first().Description, QVariant(QStringLiteral("Ann")));
}

void TestFrmSingle::deleteAsksFirst()
{
    addRow(july4, QStringLiteral("Ann's party"));
    addRow(july4, QStringLiteral("Ann's party"));
    addRow(july4, QStringLiteral("Other"));
    frmSingle dlg;
    openEdit(dlg, july4, QStringLiteral("Ann's party"));

    m_prompts->answer(QVariant::fromValue(MsgResult::Cancel));
    dlg.cmd_Click(2);
    QCOMPARE(m_prompts->boxes.last().text, QStringLiteral("OK to delete Ann's party ?"));
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(rows().size(), 3);

    m_prompts->answer(QVariant::fromValue(MsgResult::Ok));
    dlg.cmd_Click(2);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    const QList<Row> left = rows();
    QCOMPARE(left.size(), 1);
    QCOMPARE(left[0].Description, QVariant(QStringLiteral("Other")));
}

void TestFrmSingle::cancelAndEscapeWriteNothing()
{
    addRow(july4, QStringLiteral("Ann"));
    {
        frmSingle dlg;
        openEdit(dlg, july4, QStringLiteral("Ann"));
        dlg.txt[0]->setText(QStringLiteral("Changed"));
        dlg.cmd_Click(0);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }
    {
        frmSingle dlg;
        openEdit(dlg, july4, QStringLiteral("Ann"));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::keyClicks(dlg.txt[0]->editor(), QStringLiteral(" typed"));
        QVERIFY(dlg.cmd[1]->isEnabled());
        QTest::keyClick(dlg.txt[0]->editor(), Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
    }
    QVERIFY(m_prompts->boxes.isEmpty());
    QCOMPARE(rows().first().Description, QVariant(QStringLiteral("Ann")));
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
    dlg.oriDescription = QString();
    dlg.Form_Load();
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

void TestFrmSingle::shownThroughShowModal()
{
    const QDate soon = QDate::currentDate().addDays(20);
    addRow(soon, QStringLiteral("Ann"), QStringLiteral("memorial"));
    QString seen;
    setModalHandler([&seen](QDialog &shown) {
        auto &dlg = static_cast<frmSingle &>(shown);
        seen = dlg.txt[0]->text() + QLatin1Char('/') + dlg.txt[2]->text();
        dlg.Check1->click();
        dlg.cmd_Click(1);
        return dlg.result();
    });
    frmSingle dlg;
    dlg.oriDates = soon;
    dlg.oriDescription = QStringLiteral("Ann");
    QCOMPARE(showModal(dlg), int(QDialog::Accepted));
    QCOMPARE(seen, QStringLiteral("Ann/memorial"));
    QCOMPARE(rows().first().ShowOnce, QVariant(true));
}

void TestFrmSingle::reloadStartsClean()
{
    addRow(july4, QStringLiteral("Ann"), QStringLiteral("doctor"), QStringLiteral("x"), true);
    frmSingle dlg;
    openEdit(dlg, july4, QStringLiteral("Ann"));
    dlg.cmdList_Click();
    dlg.oriDescription = QString();
    dlg.Form_Load();
    QVERIFY(dlg.cmd[2]->isHidden());
    QVERIFY(dlg.ListView1->isHidden());
    QCOMPARE(dlg.ListView1->count(), int(typeKeys().size()));
    for (TextBox *box : dlg.txt)
        QVERIFY(box->text().isEmpty());
    QVERIFY(!dlg.Check1->isChecked());
    QVERIFY(dlg.pictureKey().isEmpty());
    QVERIFY(dlg.loadedEvent().icon.isEmpty());
    QVERIFY(!dlg.loadedEvent().ShowOnce);
    QVERIFY(!dlg.cmd[1]->isEnabled());
}

void TestFrmSingle::textLimits()
{
    frmSingle dlg;
    dlg.oriDescription = QString();
    dlg.Form_Load();
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

    // A longer stored text is shown whole and is not cut by the box.
    const QString stored(60, QLatin1Char('s'));
    dlg.txt[0]->setText(stored);
    QCOMPARE(dlg.txt[0]->text(), stored);
    QTest::keyClick(dlg.txt[0]->editor(), Qt::Key_End);
    QTest::keyClick(dlg.txt[0]->editor(), Qt::Key_Z);
    QCOMPARE(dlg.txt[0]->text(), stored); // cannot grow
    QTest::keyClick(dlg.txt[0]->editor(), Qt::Key_Backspace);
    QCOMPARE(dlg.txt[0]->text(), stored.left(59)); // may shrink
}

QTEST_MAIN(TestFrmSingle)
#include "tst_frmsingle.moc"
