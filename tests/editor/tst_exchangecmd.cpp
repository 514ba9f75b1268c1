// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's Tools commands as a user meets them: the dialogs and every
// message word for word, the import selection with and without
// overwriting, the share file of the events shown, cancels, refused files
// and a full disk leaving every event and file as it was, the Notepad
// variant typing exactly what the appending one writes, and the calendar
// imports' ticks and closing messages.

#include "EditorFixture.h"
#include "FileBytes.h"
#include "editor/EventTableModel.h"
#include "editor/KeyNotation.h"
#include "editor/ui/ExchangeCommands.h"
#include "editor/ui/ImportListModel.h"
#include "editor/ui/KeySender.h"
#include "editor/ui/Notepad.h"
#include "editor/ui/NotepadKeys.h"
#include "editor/ui/NotepadProgram.h"
#include "editor/ui/frmImport.h"
#include "registry/RegTestSupport.h"
#include "support/CalendarRows.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLocalSocket>
#include <QPointer>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <optional>

namespace {

// The selection list as offered: "text [x]" for a ticked row.
QStringList listed(frmImport &dlg)
{
    QStringList out;
    for (int i = 0; i < dlg.items->rowCount(); ++i)
        out << dlg.items->text(i) + (dlg.items->isChecked(i) ? " [x]" : " [ ]");
    return out;
}

const QByteArray kTwoRecords = "[Almarik Export File]\r\n 2\r\n"
                               "[01/02/2003]\r\nbirthday\r\nAnn\r\nTrue\r\nnew\r\nlines\r\n\r\n"
                               "[04/05/2006]\r\nNull\r\nNew one\r\nFalse\r\nNull\r\n\r\n";

// The running Notepad stand-ins' process ids.
QList<qint64> notepads()
{
    QList<qint64> pids;
    for (const QString &name : QDir(notepadFolder()).entryList(QDir::System | QDir::NoDotAndDotDot))
        pids << name.toLongLong();
    return pids;
}

// The text a running Notepad stand-in holds, asked over its socket.
QString notepadText(qint64 pid)
{
    QLocalSocket socket;
    socket.connectToServer(notepadFolder() + "/" + QString::number(pid));
    quint8 kind = 0;
    QString answer;
    if (!socket.waitForConnected(5000))
        return "(not connected)";
    writeKeyMessage(socket, quint8(KeyRequest::Text), QString());
    return readKeyMessage(socket, 5000, &kind, &answer) ? answer : "(no answer)";
}

} // namespace

class TestExchangeCommands : public QObject, EditorFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void init()
    {
        setNotepadProgram(ALMARIK_PROGRAM);
        openEditor({"(#03/10/1990#,'birthday','ANN','likes tea',False)",
                    "(#03/15/1967#,'holiday','Jo/Al party, home',Null,True)"},
                   [] { return QDateTime(QDate(2026, 12, 6), QTime(12, 0)); });
    }
    void cleanup()
    {
        for (qint64 pid : notepads())
            kill(pid_t(pid), SIGKILL);
        QCOMPARE(closeEditor(), QStringList());
    }
    void import_data();
    void import();
    void eventsKept_data();
    void eventsKept();
    void outlookBothVariants();
    void notepadTypingCancelled();
    void notepadSaves_data();
    void notepadSaves();
    void accessImport();

private:
    // Commands of the test's own over the editor's set, whose waits it may change.
    ExchangeCommands ownCommands()
    {
        return ExchangeCommands(
            m_editor.get(), m_db, m_rs, *m_prompts,
            [](const std::function<void()> &change) { change(); }, [] {});
    }
};

void TestExchangeCommands::import_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("action"); // 0 Select All and OK, 2 OK as offered, 3 Cancel
    QTest::addColumn<bool>("overwrite");
    QTest::addColumn<QStringList>("offered"); // "text [x]" for a ticked row
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("rows");
    const QString ann = "1990-03-10|birthday|ANN|likes tea|false";
    const QString jo = "1967-03-15|holiday|Jo/Al party, home|-|true";
    const QString newOne = "2006-05-04|-|New one|-|false";
    const QStringList offered{"01/02/2003 Ann [ ]", "04/05/2006 New one [x]"};
    QTest::newRow("as offered") << 4 << kTwoRecords << 2 << false << offered << "1 records imported"
                                << QStringList{ann, jo, newOne};
    QTest::newRow("all, overwritten")
        << 4 << kTwoRecords << 0 << true << offered << "2 records imported"
        << QStringList{jo, "2003-02-01|birthday|Ann|new\r\nlines|true", newOne};
    QTest::newRow("cancel") << 4 << kTwoRecords << 3 << true << offered << "0 records imported"
                            << QStringList{ann, jo};
    // An event already there (in another case) is offered unticked; one
    // without a summary is counted in the closing message.
    const auto event = [](const QByteArray &lines) -> QByteArray {
        return "BEGIN:VEVENT\r\nDTSTART;VALUE=DATE:" + lines + "END:VEVENT\r\n";
    };
    QTest::newRow("iCalendar as offered")
        << 7
        << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" +
               event("19900310\r\nSUMMARY:ann\r\nRRULE:FREQ=YEARLY\r\n") +
               event("20270101\r\nSUMMARY:New\r\n") + event("20270101\r\n") + "END:VCALENDAR\r\n"
        << 2 << false << QStringList{"10/03/1990 ann [ ]", "01/01/2027 New [x]"}
        << "1 events imported, 1 events had no summary"
        << QStringList{ann, jo, "2027-01-01|-|New|-|true"};
}

void TestExchangeCommands::import()
{
    QFETCH(int, index);
    QFETCH(QByteArray, file);
    QFETCH(int, action);
    QFETCH(bool, overwrite);
    QFETCH(QStringList, offered);
    QFETCH(QString, message);
    QFETCH(QStringList, rows);
    m_editor->model()->rebind([this] { m_rs.setFilter("icon = 'holiday'"); });
    const QString path = m_env->path("in.txt");
    writeBytes(path, file);
    QStringList seen;
    setModalHandler([&](QDialog &d) {
        auto &dlg = dynamic_cast<frmImport &>(d);
        // The caption wraps inside the box rather than being cut off.
        seen =
            listed(dlg) << (dlg.Check1->isChecked() ? "overwrite" : "keep")
                        << (dlg.Check1->sizeHint().width() <= dlg.Check1->width() ? "fits" : "cut");
        dlg.Check1->setChecked(overwrite);
        if (action == 0)
            dlg.cmd_Click(0);
        dlg.cmd_Click(std::max(action, 2));
        return dlg.result();
    });
    m_prompts->answer(path);
    m_editor->mnuTools_Click(index);
    QCOMPARE(seen, (offered + QStringList{"keep", "fits"}));
    QCOMPARE(m_prompts->takeBoxes().mid(1), QStringList{"Almarik (-, OK): " + message});
    QCOMPARE(calendarRows(m_db), rows);
    // The import sees, and leaves, every event.
    QVERIFY(m_rs.Filter().isEmpty() && m_editor->model()->addNewRow() == rows.size());
}

void TestExchangeCommands::eventsKept_data()
{
    // Under a filter of the holidays (which the imports clear): what each
    // command says, and that it leaves every event as it was.
    QTest::addColumn<int>("index");
    // A QByteArray is written to a file, whose path is the answer.
    QTest::addColumn<QVariantList>("answers");
    QTest::addColumn<QString>("lastBox");
    QTest::addColumn<QString>("filterAfter");
    QTest::addColumn<int>("sizeLimit");    // no file may grow past it; 0 for none
    QTest::addColumn<QByteArray>("after"); // the file afterwards; null: as written
    const auto row = [](const char *name, int index, const QVariantList &answers,
                        const QString &lastBox, const QString &filterAfter, int sizeLimit = 0,
                        const QByteArray &after = {}) {
        QTest::newRow(name) << index << answers << lastBox << filterAfter << sizeLimit << after;
    };
    const QVariant cancel;
    const QString holiday = "icon = 'holiday'", error = "Error (critical, OK): ";
    row("the share file of the events shown", 3, {QByteArray()},
        "Almarik (-, OK): 1 records exported", holiday, 0,
        "[Almarik Export File]\r\n 1\r\n[15/03/1967]\r\nholiday\r\nJo/Al party, "
        "home\r\nTrue\r\nNull\r\n\r\n");
    row("import dialog clears the filter", 4, {cancel}, "", "");
    row("two-digit year", 1, {"x", "07"}, "", holiday);
    row("no such folder", 3, {"/no/such/folder/Almarik.Txt"}, error + "Path not found", holiday);
    row("not a share file", 4, {QByteArray("[Almarik Export File] \r\n 0\r\n")},
        "Almarik (-, OK): Not a Almarik Export File!", "");
    row("a calendar file as vCard", 8, {QByteArray("BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n")},
        error + "This is not a readable vCard file: it does not begin with BEGIN:VCARD.", "");
    row("bad record", 4, {QByteArray(kTwoRecords).replace("False", "Maybe")},
        error + "Record 2 of the share file (line 10) has the show-once value \"Maybe\", which "
                "is neither True nor False.",
        "");
    // An export failing on a full disk leaves the file it was to replace.
    const QVariant old = QByteArray("[Almarik Export File]\r\n 0\r\n");
    row("share file, disk full", 3, {old}, error + "Disk full", holiday, 40);
    row("holiday file, disk full", 0, {old, "2007"}, error + "Disk full", holiday, 40);
    row("iCalendar, disk full", 6, {old}, error + "Disk full", holiday, 40);
}

void TestExchangeCommands::eventsKept()
{
    QFETCH(QVariantList, answers);
    QFETCH(QString, lastBox);
    QFETCH(int, sizeLimit);
    m_editor->model()->rebind([this] { m_rs.setFilter("icon = 'holiday'"); });
    const QStringList before = calendarRows(m_db);
    const QString file = m_env->path("Almarik.Txt");
    QByteArray written = fileBytes(file);
    for (QVariant a : answers) {
        if (a.typeId() == QMetaType::QByteArray) {
            writeBytes(file, written = a.toByteArray());
            a = file;
        }
        m_prompts->answer(a);
    }
    {
        std::optional<FileSizeLimit> limit;
        if (sizeLimit > 0)
            limit.emplace(sizeLimit);
        QFETCH(int, index);
        m_editor->mnuTools_Click(index);
    }
    QCOMPARE(m_prompts->pendingAnswers(), 0); // each answered a box of its own
    QCOMPARE(m_prompts->takeBoxes().mid(answers.size()),
             lastBox.isEmpty() ? QStringList() : QStringList{lastBox});
    QTEST(m_rs.Filter(), "filterAfter");
    QCOMPARE(calendarRows(m_db), before);
    QFETCH(QByteArray, after);
    QCOMPARE(fileBytes(file), after.isNull() ? written : after);
    // Nor is any other file left beside the open database, its write-ahead
    // log and index.
    const QRegularExpression other("^(?!Almarik\\.(MDB(-wal|-shm)?|Txt)$)");
    QCOMPARE(QDir(m_env->root()).entryList(QDir::Files | QDir::Hidden).filter(other),
             QStringList());
}

void TestExchangeCommands::outlookBothVariants()
{
    const QByteArray section = "[Alma07] 2\r\nJo-Al party. home (40 years), 2007/03/15\r\n"
                               "ANN (17 years), 2007/03/10\r\n";
    const QString instruction =
        "Almarik (-, OK): Now use the Outlook Tools/Option menu to access the Calendar Options "
        "button which gives you access to the Add Holidays button. Then Select Alma07 from then "
        "list to import the Almarik events onto your Outlook Calendar.";
    const QString year = "Outlook Holiday Import File (-, OK/Cancel): Enter the Calendar Year to "
                         "create Almarik's Event list. (format yyyy)";
    const QString path = m_env->path("Outlook.Txt");
    writeBytes(path, "x\r\n");
    m_prompts->answer(path);
    m_prompts->answer("2007");
    m_editor->mnuTools_Click(0);
    QCOMPARE(m_prompts->boxes.value(1).extra, "2026"); // the editor's clock year
    QCOMPARE(m_prompts->takeBoxes().mid(1), (QStringList{year, instruction}));
    QCOMPARE(fileBytes(path), "x\r\n" + section);

    // Typed into the Notepad stand-in, a program of its own: the same
    // section after one blank line, left there for the user to save.
    const QString hol = m_env->path("Outlook.Hol");
    writeBytes(hol, "x");
    m_prompts->answer(hol);
    m_prompts->answer("2007");
    m_editor->mnuTools_Click(1);
    QCOMPARE(m_prompts->takeBoxes().mid(2), QStringList{instruction});
    const QList<qint64> pads = notepads();
    QCOMPARE(pads.size(), 1);
    QCOMPARE(notepadText(pads[0]), "x\r\n\r\n" + section);
    QCOMPARE(fileBytes(hol), "x");

    // What the user types there reaches the stand-in, never the editor's
    // grid, though the editor is open with a cell current.
    const QStringList before = calendarRows(m_db);
    m_editor->show();
    m_editor->DataGrid1->setCurrentIndex(m_editor->model()->index(0, 2));
    m_editor->DataGrid1->setFocus();
    QVERIFY(AppActivate("Outlook.Hol", pads[0]));
    SendKeys("Grandpa~", true);
    QVERIFY(notepadText(pads[0]).endsWith(QString::fromLatin1(section + "Grandpa\r\n")));
    QCOMPARE(calendarRows(m_db), before);

    // Keys sent with wait to a stand-in that is gone are an error.
    kill(pid_t(pads[0]), SIGKILL);
    QVERIFY_THROWS_EXCEPTION(AppError, SendKeys("x", true));

    // A stand-in that cannot read the file ends, and that ends the wait at
    // once, however long it might have been.
    ExchangeCommands commands = ownCommands();
    commands.notepadWaitMs = 3600 * 1000;
    m_prompts->answer(m_env->path("no/such/Outlook.Hol"));
    m_prompts->answer("2007");
    commands.mnuTools_Click(1);
    QCOMPARE(m_prompts->takeBoxes().mid(2),
             QStringList{"Almarik (critical, OK): Holiday file not opened"});
    QCOMPARE(notepads(), pads);
}

void TestExchangeCommands::notepadTypingCancelled()
{
    // Cancelled while typing: what was typed stays in the stand-in, the
    // message says how much, and no instruction follows.
    QStringList many;
    for (int i = 0; i < 3000; ++i)
        many << QString("(#01/02/2000#,'birthday','N%1',Null,False)").arg(i);
    m_db.BeginTrans();
    addEvents(m_db, many);
    m_db.CommitTrans();
    m_editor->refresh_Data();
    QTimer cancel;
    connect(&cancel, &QTimer::timeout, [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *p = qobject_cast<QProgressDialog *>(w); p && p->isVisible())
                p->cancel();
    });
    cancel.start(0);
    ExchangeCommands commands = ownCommands();
    commands.typingProgressDelayMs = 0;
    const QString hol = m_env->path("Outlook.Hol");
    m_prompts->answer(hol);
    m_prompts->answer("2000");
    commands.mnuTools_Click(1);
    const QString box = m_prompts->takeBoxes().mid(2).join('\n');
    const QRegularExpression said("^Almarik \\(exclamation, OK\\): Typing stopped: (\\d+) of 3002 "
                                  "events were typed into Notepad. What was typed is there, not "
                                  "saved.$");
    const QRegularExpressionMatch match = said.match(box);
    QVERIFY2(match.hasMatch(), qPrintable(box));
    const QStringList typed = notepadText(notepads().value(0)).split("\r\n");
    QCOMPARE(typed.value(2), "[Alma00] 3002");
    QCOMPARE(typed.size() - 4, match.captured(1).toInt()); // two blank, header, last
    QVERIFY(match.captured(1).toInt() < 3002 && !QFile::exists(hol));
}

void TestExchangeCommands::notepadSaves_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("answer"); // MsgResult
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QStringList>("error"); // the box after the question
    const auto row = [](const char *name, const QByteArray &before, const char *keys,
                        MsgResult answer, const QByteArray &after, bool open,
                        const QStringList &error = {}) {
        QTest::newRow(name) << before << QString(keys) << int(answer) << after << open << error;
    };
    row("Windows-1252, CR LF", "x\r\n", "^{End}\u00e4~", MsgResult::Yes, "x\r\n\xe4\r\n", false);
    row("LF ends kept", "a\nb", "^{End}~c", MsgResult::Yes, "a\nb\nc", false);
    row("cannot hold it", "\xe4\r\n", "\u0101", MsgResult::Yes, "\xe4\r\n", true,
        {"Notepad (critical, OK): The file is written in the Windows-1252 code page, which "
         "cannot hold every character of this text. It was not saved."});
    row("not saved", "x", "y", MsgResult::No, "x", false);
    row("cancelled", "x", "y", MsgResult::Cancel, "x", true);
}

void TestExchangeCommands::notepadSaves()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, keys);
    QFETCH(int, answer);
    QFETCH(QStringList, error);
    const QString path = m_env->path("Outlook.Hol");
    writeBytes(path, before);
    QPointer<Notepad> pad = new Notepad(path, *m_prompts);
    QVERIFY(pad->load());
    pad->show();
    pad->typeKeys(parseKeyNotation(keys + "%{F4}"));
    m_prompts->answer(QVariant::fromValue(MsgResult(answer)));
    QTRY_VERIFY(m_prompts->boxes.size() >= 1);
    QCoreApplication::processEvents();
    QCOMPARE(m_prompts->takeBoxes(),
             QStringList{"Notepad (exclamation, Yes/No/Cancel): Do you want to save changes to " +
                         path + "?"} +
                 error);
    QTEST(fileBytes(path), "after");
    QTEST(pad && pad->isVisible(), "open");
    delete pad;
}

void TestExchangeCommands::accessImport()
{
    // Another Access file's events (as tst_access reads them) are offered as
    // a share file's are, an event already there unticked, and imported in
    // the share file's words.
    QStringList offered;
    setModalHandler([&offered](QDialog &d) {
        auto &dlg = dynamic_cast<frmImport &>(d);
        offered = listed(dlg);
        dlg.cmd_Click(2);
        return dlg.result();
    });
    addEvents(m_db, {"(#12/24/1970#,'birthday','Anna Schröder',Null,False)"});
    m_prompts->answer(QString(ACCESS_DATA "/Almarik-small.mdb"));
    m_editor->mnuTools_Click(9);
    QCOMPARE(m_prompts->boxes.value(0).title, "Import Events from Access Database");
    QCOMPARE(offered.size(), 15);
    QCOMPARE(offered.first(), "24/12/1970 Anna Schröder [ ]");
    QCOMPARE(m_prompts->takeBoxes().mid(1), QStringList{"Almarik (-, OK): 14 records imported"});
    QCOMPARE(calendarRows(m_db).size(), 3 + 14);
}

QTEST_MAIN(TestExchangeCommands)
#include "tst_exchangecmd.moc"
