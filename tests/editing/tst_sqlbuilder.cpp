// The SQL builder: its statements to the character, what does and does not
// rebuild them, Clear, the statement kept between openings, and the
// transaction around Run (commit, roll back, failures that change nothing).

#include "editing/frmSQL.h"
#include "platform/Modal.h"
#include "store/Repair.h"
#include "store/SharedDb.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

namespace {

// Answers every message box by running a step first, so that a test can act
// while the commit question holds the transaction open.
class SteppingPrompts final : public Prompts
{
public:
    std::function<void()> step;
    MsgResult reply = MsgResult::Cancel;
    int asked = 0;
    SteppingPrompts() { setAppPrompts(this); }
    ~SteppingPrompts() override { setAppPrompts(nullptr); }
    MsgResult MsgBox(const QString &, MsgButtons, MsgIcon, const QString &) override
    {
        ++asked;
        if (step)
            step();
        return reply;
    }
    QString InputBox(const QString &, const QString &, const QString &) override { return {}; }
    QString OpenFileDialog(const QString &, const QString &, const QString &,
                           const QString &) override
    {
        return {};
    }
    QString SaveFileDialog(const QString &, const QString &, const QString &,
                           const QString &) override
    {
        return {};
    }
    quint32 ColourDialog(quint32 initial) override { return initial; }
};

// "Description:ShowOnce" of every event, in description order.
QStringList events()
{
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM Calendar ORDER BY Description"), dbConnection);
    QStringList rows;
    for (; !rs.isEOF(); rs.MoveNext())
        rows << rs.Fields(QStringLiteral("Description")).toString() + QLatin1Char(':') +
                    (rs.Fields(QStringLiteral("ShowOnce")).toBool() ? QStringLiteral("T")
                                                                    : QStringLiteral("F"));
    return rows;
}

} // namespace

class TestSqlBuilder : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void statementText_data();
    void statementText();
    void selectedMode_data();
    void selectedMode();
    void typingBuildsStatement();
    void onlyValueBoxesRebuild();
    void deleteHidesSetRow();
    void clearEmptiesAllFive();
    void lastStatementOfferedAgain();
    void commitAndRollback_data();
    void commitAndRollback();
    void jetSyntaxRuns();
    void handEditedTextRuns();
    void badStatementChangesNothing();
    void emptyOutputDoesNothing();
    void cannotCloseWhileAsking();

private:
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<ScriptedPrompts> m_prompts;
};

void TestSqlBuilder::init()
{
    m_env = std::make_unique<TestEnv>();
    const QString path = m_env->path(QStringLiteral("Almarik.MDB"));
    CreateDatabase(path);
    dbConnection.Open(Connection::connectionStringFor(path));
    for (const char *values :
         {"#01/05/2024#,'doctor','Dentist','',False", "#03/10/1990#,'birthday','Ann','',False",
          "#12/25/2000#,'holiday','Christmas',Null,False"})
        dbConnection.Execute(
            QStringLiteral("INSERT INTO Calendar (Dates,icon,Description,Details,ShowOnce) "
                           "VALUES (") +
            QLatin1String(values) + QLatin1Char(')'));
    m_prompts = std::make_unique<ScriptedPrompts>();
    frmSQL::lastSQL.clear();
    setModalHandler({});
}

void TestSqlBuilder::cleanup()
{
    m_prompts.reset();
    dbConnection.Close();
    m_env.reset();
}

void TestSqlBuilder::statementText_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("setColumn");
    QTest::addColumn<QString>("setValue");
    QTest::addColumn<QString>("whereColumn");
    QTest::addColumn<QString>("whereValue");
    QTest::addColumn<QString>("expected");
    QTest::newRow("delete with condition, two blanks before WHERE")
        << 1 << ""
        << ""
        << "Description"
        << "'Dentist'"
        << "Delete FROM Calendar  WHERE Description = 'Dentist'";
    QTest::newRow("update with condition")
        << 0 << "ShowOnce"
        << "True"
        << "Description"
        << "'Dentist'"
        << "Update Calendar SET ShowOnce = True WHERE Description = 'Dentist'";
    QTest::newRow("update without condition") << 0 << "icon"
                                              << "'holiday'"
                                              << ""
                                              << ""
                                              << "Update Calendar SET icon = 'holiday'";
    QTest::newRow("empty value drops WHERE though a column is chosen")
        << 0 << "Dates"
        << "#01/05/2024#"
        << "Description"
        << ""
        << "Update Calendar SET Dates = #01/05/2024#";
    QTest::newRow("delete without condition keeps its trailing blank") << 1 << "Dates"
                                                                       << "x"
                                                                       << "Description"
                                                                       << ""
                                                                       << "Delete FROM Calendar ";
    QTest::newRow("value without column leaves nothing between WHERE and =")
        << 1 << ""
        << ""
        << ""
        << "5"
        << "Delete FROM Calendar  WHERE  = 5";
    QTest::newRow("empty update pieces") << 0 << ""
                                         << ""
                                         << ""
                                         << ""
                                         << "Update Calendar SET  = ";
    QTest::newRow("values copied as typed, no quoting")
        << 0 << "Description"
        << "O'Brien"
        << "icon"
        << "x'y"
        << "Update Calendar SET Description = O'Brien WHERE icon = x'y";
    QTest::newRow("no mode selected") << -1 << "icon"
                                      << "1"
                                      << "icon"
                                      << "2"
                                      << "";
}

void TestSqlBuilder::statementText()
{
    QFETCH(int, mode);
    QFETCH(QString, setColumn);
    QFETCH(QString, setValue);
    QFETCH(QString, whereColumn);
    QFETCH(QString, whereValue);
    QFETCH(QString, expected);
    QCOMPARE(BuildSqlText(mode, QStringLiteral("Update"), QStringLiteral("Delete"), setColumn,
                          setValue, whereColumn, whereValue),
             expected);
}

void TestSqlBuilder::selectedMode_data()
{
    QTest::addColumn<bool>("update");
    QTest::addColumn<bool>("remove");
    QTest::addColumn<int>("mode");
    QTest::newRow("update") << true << false << 0;
    QTest::newRow("delete") << false << true << 1;
    QTest::newRow("neither") << false << false << -1;
}

void TestSqlBuilder::selectedMode()
{
    QFETCH(bool, update);
    QFETCH(bool, remove);
    QFETCH(int, mode);
    QCOMPARE(SelectedModeOf(update, remove), mode);
}

void TestSqlBuilder::typingBuildsStatement()
{
    frmSQL dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("SQL Builder"));
    QCOMPARE(dlg.SelectedMode(), 0);
    QCOMPARE(dlg.Combo[0]->count(), 5);
    QCOMPARE(dlg.Combo[1]->itemText(4), QStringLiteral("ShowOnce"));
    dlg.Combo[0]->setEditText(QStringLiteral("ShowOnce"));
    dlg.txt[0]->setText(QStringLiteral("True"));
    QCOMPARE(dlg.txt[2]->text(), QStringLiteral("Update Calendar SET ShowOnce = True"));
    dlg.Combo[1]->setCurrentIndex(2);
    dlg.txt[1]->setText(QStringLiteral("'Dentist'"));
    QCOMPARE(dlg.txt[2]->text(),
             QStringLiteral("Update Calendar SET ShowOnce = True WHERE Description = 'Dentist'"));
    dlg.txt[1]->clear();
    QCOMPARE(dlg.txt[2]->text(), QStringLiteral("Update Calendar SET ShowOnce = True"));
}

void TestSqlBuilder::onlyValueBoxesRebuild()
{
    frmSQL dlg;
    dlg.Combo[1]->setEditText(QStringLiteral("Description"));
    dlg.txt[1]->setText(QStringLiteral("'Ann'"));
    const QString before = dlg.txt[2]->text();
    QCOMPARE(before, QStringLiteral("Update Calendar SET  =  WHERE Description = 'Ann'"));
    dlg.optStart[1]->click();
    QCOMPARE(dlg.SelectedMode(), 1);
    QCOMPARE(dlg.txt[2]->text(), before);
    dlg.Combo[1]->setEditText(QStringLiteral("icon"));
    QCOMPARE(dlg.txt[2]->text(), before);
    dlg.txt[2]->setText(QStringLiteral("by hand"));
    QCOMPARE(dlg.txt[2]->text(), QStringLiteral("by hand"));
    dlg.txt[1]->setText(QStringLiteral("'birthday'"));
    QCOMPARE(dlg.txt[2]->text(), QStringLiteral("Delete FROM Calendar  WHERE icon = 'birthday'"));
}

void TestSqlBuilder::deleteHidesSetRow()
{
    frmSQL dlg;
    dlg.optStart[1]->click();
    for (QWidget *w : {static_cast<QWidget *>(dlg.Label2[0]), static_cast<QWidget *>(dlg.Combo[0]),
                       static_cast<QWidget *>(dlg.Label3), static_cast<QWidget *>(dlg.txt[0])})
        QVERIFY(w->isHidden());
    QVERIFY(!dlg.txt[1]->isHidden());
    dlg.optStart[0]->click();
    QVERIFY(!dlg.txt[0]->isHidden());
    QVERIFY(!dlg.Combo[0]->isHidden());
}

void TestSqlBuilder::clearEmptiesAllFive()
{
    frmSQL dlg;
    dlg.Combo[0]->setCurrentIndex(1);
    dlg.Combo[1]->setEditText(QStringLiteral("Whatever"));
    dlg.txt[0]->setText(QStringLiteral("'x'"));
    dlg.txt[1]->setText(QStringLiteral("'y'"));
    dlg.cmd_Click(2);
    QCOMPARE(dlg.txt[0]->text(), QString());
    QCOMPARE(dlg.txt[1]->text(), QString());
    QCOMPARE(dlg.txt[2]->text(), QString());
    QCOMPARE(dlg.Combo[0]->currentText(), QString());
    QCOMPARE(dlg.Combo[1]->currentText(), QString());
    QCOMPARE(dlg.cmd[2]->text(), QStringLiteral("Clear"));
}

void TestSqlBuilder::lastStatementOfferedAgain()
{
    int shown = 0;
    QString offered;
    setModalHandler([&](QDialog &d) {
        ++shown;
        offered = static_cast<frmSQL &>(d).txt[2]->text();
        return 0;
    });
    {
        frmSQL first;
        showModal(first);
        QCOMPARE(offered, QString());
        first.txt[2]->setText(QStringLiteral("Delete FROM Calendar  WHERE Description = 'Ann'"));
        m_prompts->answer(QVariant::fromValue(MsgResult::Cancel));
        first.RunSQL();
    }
    frmSQL second;
    showModal(second);
    QCOMPARE(shown, 2);
    QCOMPARE(offered, QStringLiteral("Delete FROM Calendar  WHERE Description = 'Ann'"));
    // A failed statement is offered again too.
    second.txt[2]->setText(QStringLiteral("Delete FROM Nowhere"));
    second.RunSQL();
    frmSQL third;
    showModal(third);
    QCOMPARE(offered, QStringLiteral("Delete FROM Nowhere"));
    setModalHandler({});
}

void TestSqlBuilder::commitAndRollback_data()
{
    QTest::addColumn<QVariant>("answer");
    QTest::addColumn<QStringList>("after");
    const QStringList unchanged = {QStringLiteral("Ann:F"), QStringLiteral("Christmas:F"),
                                   QStringLiteral("Dentist:F")};
    QTest::newRow("OK commits") << QVariant::fromValue(MsgResult::Ok)
                                << QStringList{QStringLiteral("Ann:F"),
                                               QStringLiteral("Christmas:F"),
                                               QStringLiteral("Dentist:T")};
    QTest::newRow("Cancel rolls back") << QVariant::fromValue(MsgResult::Cancel) << unchanged;
    QTest::newRow("box closed rolls back") << QVariant() << unchanged;
}

void TestSqlBuilder::commitAndRollback()
{
    QFETCH(QVariant, answer);
    QFETCH(QStringList, after);
    frmSQL dlg;
    dlg.Combo[0]->setCurrentIndex(4);
    dlg.txt[0]->setText(QStringLiteral("True"));
    dlg.Combo[1]->setCurrentIndex(2);
    dlg.txt[1]->setText(QStringLiteral("'Dentist'"));
    m_prompts->answer(answer);
    dlg.cmd_Click(1);
    QCOMPARE(m_prompts->boxes.size(), 1);
    const RecordedBox &box = m_prompts->boxes.first();
    QCOMPARE(box.text, QStringLiteral("SQL successful, OK to commit?"));
    QCOMPARE(box.title, QStringLiteral("Commit Transaction?"));
    QCOMPARE(box.buttons, MsgButtons::OkCancel);
    QCOMPARE(box.icon, MsgIcon::Question);
    QCOMPARE(events(), after);
    QVERIFY(!dbConnection.inTransaction());
    QVERIFY(!dlg.transactionOpen());
    QCOMPARE(frmSQL::lastSQL,
             QStringLiteral("Update Calendar SET ShowOnce = True WHERE Description = 'Dentist'"));
}

void TestSqlBuilder::jetSyntaxRuns()
{
    frmSQL dlg;
    dlg.optStart[1]->click();
    dlg.Combo[1]->setEditText(QStringLiteral("Dates"));
    dlg.txt[1]->setText(QStringLiteral("#01/05/2024#"));
    QCOMPARE(dlg.txt[2]->text(),
             QStringLiteral("Delete FROM Calendar  WHERE Dates = #01/05/2024#"));
    m_prompts->answer(QVariant::fromValue(MsgResult::Ok));
    dlg.RunSQL();
    QCOMPARE(events(), (QStringList{QStringLiteral("Ann:F"), QStringLiteral("Christmas:F")}));

    dlg.txt[2]->setText(QStringLiteral("Update Calendar SET ShowOnce = True WHERE Description "
                                       "like 'C*'"));
    m_prompts->answer(QVariant::fromValue(MsgResult::Ok));
    dlg.RunSQL();
    QCOMPARE(events(), (QStringList{QStringLiteral("Ann:F"), QStringLiteral("Christmas:T")}));
}

void TestSqlBuilder::handEditedTextRuns()
{
    frmSQL dlg;
    dlg.txt[0]->setText(QStringLiteral("1"));
    dlg.txt[2]->setText(QStringLiteral("Delete FROM Calendar "));
    m_prompts->answer(QVariant::fromValue(MsgResult::Ok));
    dlg.cmd_Click(1);
    QCOMPARE(events(), QStringList());
    QCOMPARE(frmSQL::lastSQL, QStringLiteral("Delete FROM Calendar "));
}

void TestSqlBuilder::badStatementChangesNothing()
{
    const QStringList before = events();
    for (const char *text :
         {"Update Calendar SET Nonsense = 1", "Delete FROM Calendar  WHERE Description = ",
          "Update Calendar SET ShowOnce = True; Delete FROM Calendar"}) {
        frmSQL dlg;
        dlg.txt[2]->setText(QLatin1String(text));
        dlg.cmd_Click(1);
        QCOMPARE(dlg.txt[2]->text(), QLatin1String(text));
        QCOMPARE(frmSQL::lastSQL, QLatin1String(text));
        QVERIFY(!dbConnection.inTransaction());
        QVERIFY(!dlg.transactionOpen());
    }
    QCOMPARE(m_prompts->boxes.size(), 0);
    QCOMPARE(events(), before);
}

void TestSqlBuilder::emptyOutputDoesNothing()
{
    frmSQL::lastSQL = QStringLiteral("kept");
    frmSQL dlg;
    dlg.cmd_Click(1);
    QCOMPARE(m_prompts->boxes.size(), 0);
    QCOMPARE(frmSQL::lastSQL, QStringLiteral("kept"));
    QVERIFY(!dbConnection.inTransaction());
}

void TestSqlBuilder::cannotCloseWhileAsking()
{
    m_prompts.reset();
    SteppingPrompts prompts;
    frmSQL dlg;
    dlg.show();
    bool visibleWhileAsking = false;
    prompts.step = [&] {
        dlg.cmd_Click(0);
        dlg.close();
        dlg.reject();
        visibleWhileAsking = dlg.isVisible() && dbConnection.inTransaction();
    };
    prompts.reply = MsgResult::Ok;
    dlg.txt[2]->setText(QStringLiteral("Delete FROM Calendar  WHERE Description = 'Ann'"));
    dlg.RunSQL();
    QCOMPARE(prompts.asked, 1);
    QVERIFY(visibleWhileAsking);
    QCOMPARE(events(), (QStringList{QStringLiteral("Christmas:F"), QStringLiteral("Dentist:F")}));
    dlg.cmd_Click(0);
    QVERIFY(!dlg.isVisible());
}

QTEST_MAIN(TestSqlBuilder)
#include "tst_sqlbuilder.moc"
