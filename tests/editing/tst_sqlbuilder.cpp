// SPDX-License-Identifier: GPL-3.0-or-later
// The SQL builder: that its inputs reach the statement, Clear, the statement kept between openings,
// and the transaction around Run (commit, roll back, failures that change nothing, a refused
// commit said).

#include "editing/ui/frmSQL.h"
#include "registry/RegTestSupport.h"
#include "support/CalendarRows.h"
#include "support/TestDatabase.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <optional>
#include <sqlite3.h>

namespace {

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
// is expected; error: the box that follows it when another program is
// reading the file as OK is pressed.
void runRow(const char *name, const char *text, int answer, const char *after,
            const char *error = "")
{
    QTest::newRow(name) << QString::fromLatin1(text) << answer << QString::fromLatin1(after)
                        << QString::fromLatin1(error);
}

} // namespace

class TestSqlBuilder : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_t.reset(); }
    void buildingTheStatement();
    void run_data();
    void run();
    void cannotCloseWhileAsking();

private:
    std::optional<TestDatabase> m_t;
};

void TestSqlBuilder::init()
{
    addEvents(m_t.emplace().db, {"(#01/05/2024#, 'doctor', 'Dentist', '', False)",
                                 "(#03/10/1990#, 'birthday', 'Ann', '', False)",
                                 "(#12/25/2000#, 'holiday', 'Christmas', Null, False)"});
    frmSQL::lastSQL.clear();
}

void TestSqlBuilder::buildingTheStatement()
{
    // The statement itself is builtStatement's (tst_editrules); here, that
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

void TestSqlBuilder::run_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("error");
    const char *update = "Update Calendar SET ShowOnce = True WHERE Description = 'Dentist'";
    const int ok = int(MsgResult::Ok);
    runRow("OK commits", update, ok, "3: Dentist");
    runRow("Cancel rolls back", update, int(MsgResult::Cancel), kUnchanged);
    runRow("no condition deletes every event", "Delete FROM Calendar ", ok, "0: ");
    runRow("failing statement", "Update Calendar SET Nonsense = 1", -1, kUnchanged);
    runRow("empty output does nothing", "", -1, kUnchanged);
    runRow("a commit that finds the disk full", update, ok, kUnchanged,
           "Almarik (critical, OK): Error in RunSQL\r\nNumber : -2147467259\r\nDescription : "
           "disk I/O error");
}

void TestSqlBuilder::run()
{
    QFETCH(QString, text);
    QFETCH(int, answer);
    QFETCH(QString, error);
    frmSQL::lastSQL = QStringLiteral("kept");
    frmSQL dlg(m_t->db, m_t->prompts);
    dlg.txt[2]->setText(text);
    if (answer >= 0)
        m_t->prompts.answer(QVariant::fromValue(MsgResult(answer)));
    // The disk fills up while the question is open: the statement ran,
    // its commit cannot be written.
    std::optional<FileSizeLimit> full;
    if (!error.isEmpty())
        m_t->prompts.onMessage = [&] { full.emplace(1); };
    dlg.cmd_Click(1);
    m_t->prompts.onMessage = {};
    full.reset();
    QStringList boxes;
    if (answer >= 0)
        boxes << "Commit Transaction? (question, OK/Cancel): SQL successful, OK to commit?";
    if (!error.isEmpty())
        boxes << error;
    QCOMPARE(m_t->prompts.takeBoxes(), boxes);
    QCOMPARE(dlg.txt[2]->text(), text);
    QTEST(events(m_t->db), "after");
    // The next opening offers the last statement run, failed or not.
    frmSQL next(m_t->db, m_t->prompts);
    next.Form_Load();
    QCOMPARE(next.txt[2]->text(), text.isEmpty() ? QStringLiteral("kept") : text);
    QVERIFY(!m_t->db.inTransaction() && !dlg.transactionOpen());
}

void TestSqlBuilder::cannotCloseWhileAsking()
{
    frmSQL dlg(m_t->db, m_t->prompts);
    dlg.show();
    bool stayedOpen = false;
    m_t->prompts.onMessage = [&] {
        dlg.cmd_Click(0);
        dlg.reject();
        stayedOpen = dlg.isVisible() && m_t->db.inTransaction();
    };
    m_t->prompts.answer(QVariant::fromValue(MsgResult::Ok));
    dlg.txt[2]->setText(QStringLiteral("Delete FROM Calendar  WHERE Description = 'Ann'"));
    dlg.RunSQL();
    QVERIFY(stayedOpen);
    QCOMPARE(events(m_t->db), QStringLiteral("2: "));
    dlg.cmd_Click(0);
    QVERIFY(!dlg.isVisible());
}

QTEST_MAIN(TestSqlBuilder)
#include "tst_sqlbuilder.moc"
