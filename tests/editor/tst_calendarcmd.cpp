// The calendar imports as the editor's Tools menu runs them: what the
// selection list offers ticked, the closing messages word for word, and a
// refused file leaving the table as it was.

#include "editor/ui/Editor.h"
#include "editor/ui/ImportListModel.h"
#include "editor/ui/frmImport.h"
#include "store/Repair.h"
#include "support/CalendarRows.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"
#include "widgets/Modal.h"

#include <QFile>
#include <QTest>

class TestCalendarCommands : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void import_data();
    void import();

private:
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<Editor> m_editor;
    Connection m_conn;
    RecordSet m_rs;
};

void TestCalendarCommands::init()
{
    m_env = std::make_unique<TestEnv>();
    const QString db = m_env->path("Almarik.MDB");
    CreateDatabase(db);
    m_conn.Open(Connection::connectionStringFor(db));
    addEvents(m_conn, {"(#03/10/1990#,'birthday','Ann''s birthday',Null,False)",
                       "(#03/15/1967#,'holiday','Party',Null,True)"});
    m_rs.setCursorLocation(adUseClient);
    m_rs.Open("SELECT * FROM Calendar ORDER BY Dates", m_conn, adOpenDynamic, adLockOptimistic);
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_editor = std::make_unique<Editor>(m_conn, m_rs, *m_prompts,
                                        [] { return QDateTime(QDate(2026, 12, 6), QTime(12, 0)); });
    m_editor->refresh_Data();
}

void TestCalendarCommands::cleanup()
{
    m_editor.reset();
    setModalHandler({});
    m_prompts.reset();
    m_rs.Close();
    m_conn.Close();
    m_env.reset();
}

void TestCalendarCommands::import_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("offered");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("added");
    QTest::newRow("iCalendar: existing, weekly and past unticked")
        << 7
        << QByteArray(
               "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
               "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:19900310\r\nSUMMARY:ann's BIRTHDAY\r\n"
               "RRULE:FREQ=YEARLY\r\nEND:VEVENT\r\n"
               "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20270105\r\nSUMMARY:Gym\r\n"
               "RRULE:FREQ=WEEKLY\r\nEND:VEVENT\r\n"
               "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20261201\r\nSUMMARY:Fair\r\nEND:VEVENT\r\n"
               "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20270101\r\nSUMMARY:New\r\nEND:VEVENT\r\n"
               "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20270101\r\nEND:VEVENT\r\n"
               "END:VCALENDAR\r\n")
        << QStringList{"10/03/1990 ann's BIRTHDAY [ ]",
                       "05/01/2027 Gym (repeats weekly, taken as yearly) [ ]",
                       "01/12/2026 Fair (past, once: removed at the next start) [ ]",
                       "01/01/2027 New [x]"}
        << "1 events imported, 1 events had no summary" << 1;
    QTest::newRow("vCard: a birthday, a contact without a date")
        << 8
        << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bo\r\nBDAY:--0517\r\nEND:VCARD\r\n"
                      "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Cy\r\nEND:VCARD\r\n")
        << QStringList{"17/05/1604 Bo's birthday [x]"}
        << "1 events imported, 1 contacts had no date" << 1;
    QTest::newRow("a file of another kind: nothing offered, nothing changed")
        << 8 << QByteArray("BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n") << QStringList{}
        << "This is not a readable vCard file: it does not begin with BEGIN:VCARD." << 0;
}

void TestCalendarCommands::import()
{
    QFETCH(int, index);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    QFETCH(int, added);
    const QString path = m_env->path("in.file");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    const QStringList before = calendarRows(m_conn);
    QStringList offered;
    setModalHandler([&](QDialog &d) {
        auto &dlg = dynamic_cast<frmImport &>(d);
        for (int i = 0; i < dlg.items->rowCount(); ++i)
            offered << dlg.items->text(i) + (dlg.items->isChecked(i) ? " [x]" : " [ ]");
        dlg.cmd_Click(2);
        return dlg.result();
    });
    m_prompts->answer(path);
    m_editor->mnuTools_Click(index);
    QTEST(offered, "offered");
    QCOMPARE(m_prompts->boxes.size(), 2); // the file dialog, the closing message
    const RecordedBox &box = m_prompts->boxes.last();
    QCOMPARE(box.title + ": " + box.text, (added ? "Almarik: " : "Error: ") + message);
    QCOMPARE(calendarRows(m_conn).mid(0, 2), before);
    QCOMPARE(calendarRows(m_conn).size(), before.size() + added);
}

QTEST_MAIN(TestCalendarCommands)
#include "tst_calendarcmd.moc"
