// SPDX-License-Identifier: GPL-3.0-or-later
// The editing dialogs driven through their handlers. The single event
// dialog: its two modes, that its controls reach the change check and the
// save (their rules are tst_eventrecord's), the type list, the text limits,
// and that a failed save keeps the dialog open with the user's input while
// the table stays as it was. The SQL builder: that its inputs reach the
// statement, Clear, the statement kept between openings, and the transaction
// around Run (commit, roll back, failures that change nothing, a refused
// commit said, no closing while it asks).

#include "editing/ui/TextBox.h"
#include "editing/ui/frmSQL.h"
#include "editing/ui/frmSingle.h"
#include "registry/RegTestSupport.h"
#include "support/CalendarRows.h"
#include "support/TestDatabase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <optional>
#include <sqlite3.h>
#include <utility>

// Something the user does in the dialog.
using Action = std::function<void(frmSingle &)>;
Q_DECLARE_METATYPE(Action)

namespace {

const QDate july4(2026, 7, 4);
// Ahead of today, so that ticking show-once is valid.
const QDate later(2090, 7, 4);
// The dialogs' clock: a new event starts on its day.
const QDateTime kNow(QDate(2026, 12, 6), QTime(10, 0));
const QString today = kNow.date().toString(Qt::ISODate);
// The test's own connection, which the data rows' actions reach too.
Connection *g_db = nullptr;

// Loads the dialog for the event (a new one when description is empty), its
// result reset as showing it modally does.
void open(frmSingle &dlg, const QVariant &day = {}, const QString &description = {})
{
    dlg.setResult(QDialog::Rejected);
    dlg.oriDates = day;
    dlg.oriDescription = description;
    dlg.Form_Load();
}

void pick(frmSingle &dlg, const QString &key)
{
    dlg.ListView1_ItemClick(dlg.ListView1->findItems(key, Qt::MatchExactly).value(0));
}

// The event the dialog holds in the table's row form, "-" for an empty type
// or details: "2026-07-04|birthday|Ann|cake|false".
QString formRow(const frmSingle &dlg)
{
    const auto orDash = [](const QString &s) { return s.isEmpty() ? QStringLiteral("-") : s; };
    return QStringList{dlg.DPick->date().toString(Qt::ISODate), orDash(dlg.txt[2]->text()),
                       dlg.txt[0]->text(), orDash(dlg.txt[1]->text()),
                       dlg.Check1->isChecked() ? "true" : "false"}
        .join(QLatin1Char('|'));
}

// The form's row, the key of the picture shown ("-": none) and the buttons
// on offer besides Cancel: "2026-07-04|birthday|Ann|cake|false birthday Save Delete".
QString shown(const frmSingle &dlg)
{
    return formRow(dlg) + QLatin1Char(' ') +
           (dlg.Picture1->pixmap().isNull() ? QStringLiteral("-") : dlg.pictureKey()) +
           (dlg.cmd[1]->isEnabled() ? " Save" : "") + (dlg.cmd[2]->isHidden() ? "" : " Delete");
}

// How many events are left, then the descriptions of those shown once: "3: Dentist".
QString events(Connection &db)
{
    QStringList once;
    for (const QString &row : calendarRows(db, QStringLiteral("ShowOnce = True")))
        once << row.section(QLatin1Char('|'), 2, 2);
    return QString::number(calendarRows(db).size()) + ": " + once.join(' ');
}

const char *const kUnchanged = "3: ";

// answer: the MsgResult given to the commit question, -1 when no question
// is expected; error: the box that follows it when the disk fills up as OK
// is pressed.
void runRow(const char *name, const char *text, int answer, const char *after,
            const char *error = "")
{
    QTest::newRow(name) << QString::fromLatin1(text) << answer << QString::fromLatin1(after)
                        << (*error ? QStringList{error} : QStringList());
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        g_db = &m_t.emplace().db;
        frmSQL::lastSQL.clear();
    }
    void cleanup() { m_t.reset(); }
    void modes();
    void save_data();
    void save();
    void closing();
    void typing();
    void buildingTheStatement();
    void run_data();
    void run();

private:
    QStringList rows() { return calendarRows(*g_db); }

    std::optional<TestDatabase> m_t;
    const Clock m_clock = [] { return kNow; };
};

void TestDialogs::modes()
{
    addEvents(m_t->db, {"(#07/04/2026#, 'holiday', 'Ann''s party', 'cake', True)"});
    sqlite3_exec(g_db->handle(),
                 "INSERT INTO Calendar (Dates, icon, Description, Details, ShowOnce) VALUES "
                 "('2026-07-04 10:30:00', NULL, 'Other', 'one' || char(10) || 'two', 0)",
                 nullptr, nullptr, nullptr);
    frmSingle dlg(m_t->db, m_t->prompts, m_clock);
    open(dlg, july4, QStringLiteral("Ann's party"));
    QCOMPARE(shown(dlg), "2026-07-04|holiday|Ann's party|cake|true holiday Delete");
    // The date may come with a time of day, as a grid hands it over; one
    // stored with a time, a null type and details with a bare LF still open
    // whole and unchanged.
    open(dlg, QDateTime(july4, QTime(9, 15)), QStringLiteral("Other"));
    QCOMPARE(shown(dlg), "2026-07-04|-|Other|one\r\ntwo|false - Delete");

    // An event that no longer exists opens empty, with Delete, and saves as new.
    open(dlg, july4, QStringLiteral("Gone"));
    QCOMPARE(shown(dlg), today + "|-||-|false - Delete");
    dlg.txt[0]->setText(QStringLiteral("Gone"));
    dlg.cmd_Click(1);

    // Loaded again as a new event, the same dialog starts empty, on today,
    // without Delete; any input enables Save.
    open(dlg, kNow.date());
    QCOMPARE(shown(dlg), today + "|-||-|false -");
    dlg.txt[0]->setText(QStringLiteral("Ann's party"));
    QCOMPARE(shown(dlg), today + "|-|Ann's party|-|false - Save");
    dlg.DPick->setDate(july4.addYears(10));
    dlg.cmdList_Click();
    pick(dlg, QStringLiteral("birthday"));
    dlg.txt[1]->setText(QStringLiteral("line one\r\nline two"));
    dlg.cmd_Click(1);
    QVERIFY(m_t->prompts.boxes.isEmpty());
    QCOMPARE(rows(), (QStringList{"2026-07-04|holiday|Ann's party|cake|true",
                                  "2026-07-04T10:30:00.000|-|Other|one\ntwo|false",
                                  "2026-12-06|-|Gone|-|false",
                                  "2036-07-04|birthday|Ann's party|line one\r\nline two|false"}));
}

void TestDialogs::save_data()
{
    // What the user changes, and then what the dialog shows after Save, the
    // boxes it showed and "closed" when it closed.
    QTest::addColumn<Action>("change");
    QTest::addColumn<QString>("expected");
    // A difference enables Save, which writes the form; which differences
    // count is eventDiffers' (tst_eventrecord).
    QTest::newRow("the date and show once") << Action([](frmSingle &d) {
        d.DPick->setDate(later.addDays(1));
        d.Check1->click();
    }) << "2090-07-05|birthday|Ann|cake|true birthday Save Delete\nclosed";
    QTest::newRow("unknown: no type, but its picture")
        << Action([](frmSingle &d) { pick(d, "unknown"); })
        << "2090-07-04|-|Ann|cake|false unknown Save Delete\nclosed";

    // Refused or failed: the dialog stays open with the user's input.
    QTest::newRow("the database refuses")
        << Action([](frmSingle &d) {
               d.txt[1]->setText("pack");
               sqlite3_exec(g_db->handle(),
                            "CREATE TRIGGER t BEFORE UPDATE ON Calendar BEGIN SELECT "
                            "RAISE(ABORT, 'no room left'); END",
                            nullptr, nullptr, nullptr);
           })
        << "2090-07-04|birthday|Ann|pack|false birthday Save Delete\n"
           "Error Saving Event (critical, OK): no room left";
}

void TestDialogs::save()
{
    QFETCH(Action, change);
    addEvents(m_t->db, {"(#07/04/2090#, 'birthday', 'Ann', 'cake', False)"});
    frmSingle dlg(m_t->db, m_t->prompts, m_clock);
    open(dlg, later, QStringLiteral("Ann"));
    change(dlg);
    dlg.cmd_Click(1);
    QStringList outcome = QStringList{shown(dlg)} + m_t->prompts.takeBoxes();
    if (dlg.result() == QDialog::Accepted)
        outcome << QStringLiteral("closed");
    QTEST(outcome.join(QLatin1Char('\n')), "expected");
    // Written only on closing, to the row of the loaded day and description.
    QCOMPARE(rows(), QStringList{dlg.result() == QDialog::Accepted
                                     ? formRow(dlg)
                                     : QStringLiteral("2090-07-04|birthday|Ann|cake|false")});
}

void TestDialogs::closing()
{
    addEvents(m_t->db, {"(#07/04/2026#, Null, 'Ann', Null, False)"});
    frmSingle dlg(m_t->db, m_t->prompts, m_clock);
    // Whether the dialog, loaded and edited, closes on the user's act.
    const auto closes = [&](const std::function<void()> &act) {
        open(dlg, july4, QStringLiteral("Ann"));
        dlg.show();
        QTest::keyClicks(dlg.txt[0]->editor(), QStringLiteral("typed"));
        act();
        return !dlg.isVisible();
    };
    // Cancel and Esc close it and write nothing, whatever was edited.
    QVERIFY(closes([&] { QTest::mouseClick(dlg.cmd[0], Qt::LeftButton); }) &&
            closes([&] { QTest::keyClick(dlg.txt[0]->editor(), Qt::Key_Escape); }));
    QCOMPARE(rows(), QStringList{"2026-07-04|-|Ann|-|false"});
    // Delete asks first: cancelled, the dialog stays open; confirmed, it
    // closes. (What the confirmation says and deletes is DeleteEvent's.)
    m_t->prompts.answer(QVariant::fromValue(MsgResult::Cancel));
    QVERIFY(!closes([&] { dlg.cmd_Click(2); }));
    m_t->prompts.answer(QVariant::fromValue(MsgResult::Ok));
    QVERIFY(closes([&] { dlg.cmd_Click(2); }));
    QVERIFY(rows().isEmpty());
}

void TestDialogs::typing()
{
    frmSingle dlg(m_t->db, m_t->prompts, m_clock);
    open(dlg);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    // The type is set only from the list. Enter in a text box presses no
    // button; Enter on a focused button presses it.
    QVERIFY(dlg.txt[2]->isReadOnly());
    QTest::keyClick(dlg.txt[0]->editor(), Qt::Key_Return);
    QVERIFY(dlg.ListView1->isHidden() && dlg.isVisible());
    dlg.cmdList->setFocus();
    QTest::keyClick(dlg.cmdList, Qt::Key_Return);
    QVERIFY(!dlg.ListView1->isHidden() && dlg.isVisible());
    // In the list, Enter picks the current type, once.
    QTest::mouseClick(dlg.cmdList, Qt::LeftButton);
    QTest::keyClick(dlg.ListView1, Qt::Key_Down);
    QTest::keyClick(dlg.ListView1, Qt::Key_Return);
    QCOMPARE(dlg.txt[2]->text(), QStringLiteral("anniversary"));
    // Esc closes the list alone.
    QVERIFY(dlg.ListView1->isHidden());
    dlg.cmdList_Click();
    QTest::keyClick(dlg.ListView1, Qt::Key_Escape);
    QVERIFY(dlg.ListView1->isHidden() && dlg.isVisible());
    // A real click in the description or on the form hides it, picking nothing.
    for (QWidget *target : {dlg.txt[0]->editor(), static_cast<QWidget *>(&dlg)}) {
        dlg.cmdList_Click();
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(5, target->height() - 5));
        QVERIFY(dlg.ListView1->isHidden());
    }
    QCOMPARE(dlg.txt[2]->text(), QStringLiteral("anniversary"));

    // Typing stops at 50 characters.
    QTest::keyClicks(dlg.txt[0]->editor(), QString(55, QLatin1Char('a')));
    QCOMPARE(dlg.txt[0]->text(), QString(50, QLatin1Char('a')));

    // A paste into the details keeps what fits; line breaks count as CR LF.
    auto *details = static_cast<QPlainTextEdit *>(dlg.txt[1]->editor());
    details->insertPlainText(QStringLiteral("ab\n"));
    details->insertPlainText(QString(4100, QLatin1Char('x')));
    QCOMPARE(dlg.txt[1]->text(), QStringLiteral("ab\r\n") + QString(3996, QLatin1Char('x')));

    // A longer stored text is shown whole and not cut by the box.
    for (int i : {0, 1}) {
        const QString stored(i == 0 ? 60 : 4100, QLatin1Char('s'));
        dlg.txt[i]->setText(stored);
        QTest::keyClick(dlg.txt[i]->editor(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(dlg.txt[i]->editor(), Qt::Key_Z);
        QCOMPARE(dlg.txt[i]->text(), stored); // cannot grow
        QTest::keyClick(dlg.txt[i]->editor(), Qt::Key_Backspace);
        QCOMPARE(dlg.txt[i]->text(), stored.chopped(1)); // may shrink
    }
}

void TestDialogs::buildingTheStatement()
{
    // The statement itself is builtStatement's (tst_eventrecord); here, that
    // each input reaches it.
    frmSQL dlg(m_t->db, m_t->prompts);
    const auto output = [&dlg] { return dlg.txt[2]->text(); };
    dlg.Combo[0]->setEditText(QStringLiteral("ShowOnce"));
    dlg.txt[0]->setText(QStringLiteral("True"));
    dlg.Combo[1]->setCurrentIndex(2);
    dlg.txt[1]->setText(QStringLiteral("'Dentist'"));
    const QString update =
        QStringLiteral("Update Calendar SET ShowOnce = True WHERE Description = 'Dentist'");
    QCOMPARE(output(), update);
    // An option button does not rebuild; Delete hides the set part.
    dlg.optStart[1]->click();
    QCOMPARE(output(), update);
    QVERIFY(dlg.txt[0]->isHidden() && dlg.Combo[0]->isHidden());
    dlg.txt[1]->setText(QStringLiteral("'Ann'"));
    QCOMPARE(output(), QStringLiteral("Delete FROM Calendar  WHERE Description = 'Ann'"));

    dlg.cmd_Click(2); // Clear
    QCOMPARE((QStringList{dlg.txt[0]->text(), dlg.txt[1]->text(), output(),
                          dlg.Combo[0]->currentText(), dlg.Combo[1]->currentText()}),
             QStringList(5, QString()));
}

void TestDialogs::run_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QStringList>("error");
    const char *update = "Update Calendar SET ShowOnce = True WHERE Description = 'Dentist'";
    const int ok = int(MsgResult::Ok);
    runRow("OK commits", update, ok, "3: Dentist");
    runRow("Cancel rolls back", update, int(MsgResult::Cancel), kUnchanged);
    runRow("failing statement", "Update Calendar SET Nonsense = 1", -1, kUnchanged);
    runRow("empty output does nothing", "", -1, kUnchanged);
    runRow("a commit that finds the disk full", update, ok, kUnchanged,
           "Almarik (critical, OK): Error in RunSQL\r\nNumber : -2147467259\r\nDescription : "
           "disk I/O error");
}

void TestDialogs::run()
{
    QFETCH(QString, text);
    QFETCH(int, answer);
    QFETCH(QStringList, error);
    addEvents(m_t->db, {"(#01/05/2024#, 'doctor', 'Dentist', '', False)",
                        "(#03/10/1990#, 'birthday', 'Ann', '', False)",
                        "(#12/25/2000#, 'holiday', 'Christmas', Null, False)"});
    frmSQL::lastSQL = QStringLiteral("kept");
    frmSQL dlg(m_t->db, m_t->prompts);
    dlg.show();
    dlg.txt[2]->setText(text);
    if (answer >= 0)
        m_t->prompts.answer(QVariant::fromValue(MsgResult(answer)));
    // While the question is open the dialog cannot be closed. The disk fills
    // up then: the statement ran, its commit cannot be written.
    bool asked = false, stayedOpen = false;
    std::optional<FileSizeLimit> full;
    m_t->prompts.onMessage = [&] {
        if (std::exchange(asked, true))
            return;
        dlg.cmd_Click(0);
        dlg.reject();
        stayedOpen = dlg.isVisible() && m_t->db.inTransaction();
        if (!error.isEmpty())
            full.emplace(1);
    };
    dlg.cmd_Click(1);
    m_t->prompts.onMessage = {};
    full.reset();
    QCOMPARE(stayedOpen, answer >= 0);
    const QString commit =
        "Commit Transaction? (question, OK/Cancel): SQL successful, OK to commit?";
    QCOMPARE(m_t->prompts.takeBoxes(), (answer < 0 ? QStringList() : QStringList{commit}) + error);
    QCOMPARE(dlg.txt[2]->text(), text);
    QTEST(events(m_t->db), "after");
    // The next opening offers the last statement run, failed or not.
    frmSQL next(m_t->db, m_t->prompts);
    next.Form_Load();
    QCOMPARE(next.txt[2]->text(), text.isEmpty() ? QStringLiteral("kept") : text);
    QVERIFY(!m_t->db.inTransaction() && !dlg.transactionOpen());
    dlg.cmd_Click(0);
    QVERIFY(!dlg.isVisible());
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
