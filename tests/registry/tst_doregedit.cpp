// The start-up registry tasks over table RegEdit: exact task words, paths
// created, unknown roots, rows that cannot be read, a missing table.

#include "RegTestSupport.h"
#include "registry/DoRegEdit.h"
#include "registry/REG_MODULE.h"
#include "store/Connection.h"
#include "store/RecordSet.h"
#include "store/Repair.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"

#include <QTest>

namespace {

const QString kRun = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\");

// A task row; a null QString stores Null.
struct Row
{
    QString task;
    QString hKey;
    QString subKey;
    QString key;
    QString newValue;
};

QString literal(const QString &text)
{
    if (text.isNull())
        return QStringLiteral("Null");
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

class Fixture
{
public:
    Fixture()
    {
        CreateDatabase(env.path(QStringLiteral("Almarik.MDB")));
        db.Open(Connection::connectionStringFor(env.path(QStringLiteral("Almarik.MDB"))));
    }

    void add(const Row &row)
    {
        db.Execute(QStringLiteral("INSERT INTO RegEdit (Task, hKey, SubKey, [Key], NewValue) "
                                  "VALUES (") +
                   literal(row.task) + QStringLiteral(", ") +
                   (row.hKey.isNull() ? QStringLiteral("Null") : row.hKey) + QStringLiteral(", ") +
                   literal(row.subKey) + QStringLiteral(", ") + literal(row.key) +
                   QStringLiteral(", ") + literal(row.newValue) + QLatin1Char(')'));
    }

    QString value(qint32 root, const QString &path, const QString &name)
    {
        return GetRegValue(root, path, name, QStringLiteral("<none>"), prompts);
    }

    TestEnv env;
    ScriptedPrompts prompts;
    Connection db;
};

const QString kUser = QString::number(HKEY_CURRENT_USER);
const QString kMachine = QString::number(HKEY_LOCAL_MACHINE);

QString failureText(int number, const QString &description)
{
    return QStringLiteral("Error in DoRegEdit\r\nNumber : ") + QString::number(number) +
           QStringLiteral("\r\nDescription : ") + description +
           QStringLiteral("\r\nSelect File>DB Repair");
}

} // namespace

class TestDoRegEdit : public QObject
{
    Q_OBJECT
private slots:
    void emptyTableDoesNothing();
    void editCreatesThePath();
    void deleteRemovesTheValue();
    void deleteOfMissingValueLeavesKey();
    void taskWordsAreExact_data();
    void taskWordsAreExact();
    void unknownRootDoesNothingVisible();
    void unreadableRowIsSkipped();
    void unreadableRootNumber_data();
    void unreadableRootNumber();
    void missingTableGivesOneMessage();
    void nothingIsRemovedFromTheTable();
};

void TestDoRegEdit::emptyTableDoesNothing()
{
    Fixture f;
    DoRegEdit(f.db, f.prompts);
    QVERIFY(f.prompts.boxes.isEmpty());
    QVERIFY(!QFileInfo::exists(RegistryStore::fileFor(HKEY_CURRENT_USER)));
    QVERIFY(!QFileInfo::exists(RegistryStore::fileFor(HKEY_LOCAL_MACHINE)));
}

void TestDoRegEdit::editCreatesThePath()
{
    Fixture f;
    f.add({QStringLiteral("edit"), kUser, kRun, QStringLiteral("Almarik"),
           QStringLiteral("/usr/bin/almarik")});
    f.add({QStringLiteral("edit"), kMachine, QStringLiteral("Deep\\Er\\"), QStringLiteral("v"),
           QStringLiteral("it's")});
    DoRegEdit(f.db, f.prompts);
    QCOMPARE(f.value(HKEY_CURRENT_USER, kRun, QStringLiteral("Almarik")),
             QStringLiteral("/usr/bin/almarik"));
    QCOMPARE(f.value(HKEY_LOCAL_MACHINE, QStringLiteral("Deep\\Er"), QStringLiteral("v")),
             QStringLiteral("it's"));
    // Running again repeats the task with the same result.
    const QByteArray before = readStoreFile(HKEY_CURRENT_USER);
    DoRegEdit(f.db, f.prompts);
    QCOMPARE(readStoreFile(HKEY_CURRENT_USER), before);
    QVERIFY(f.prompts.boxes.isEmpty());
}

void TestDoRegEdit::deleteRemovesTheValue()
{
    Fixture f;
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, kRun, QStringLiteral("Old"), QStringLiteral("o"),
                        f.prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, kRun, QStringLiteral("Keep"), QStringLiteral("k"),
                        f.prompts));
    f.add({QStringLiteral("delete"), kUser, kRun, QStringLiteral("old"), QStringLiteral("x")});
    DoRegEdit(f.db, f.prompts);
    QCOMPARE(f.value(HKEY_CURRENT_USER, kRun, QStringLiteral("Old")), QStringLiteral("<none>"));
    QCOMPARE(f.value(HKEY_CURRENT_USER, kRun, QStringLiteral("Keep")), QStringLiteral("k"));
    QVERIFY(f.prompts.boxes.isEmpty());
}

void TestDoRegEdit::deleteOfMissingValueLeavesKey()
{
    Fixture f;
    // A delete task needs no NewValue.
    f.add({QStringLiteral("delete"), kUser, QStringLiteral("Made\\By\\Delete\\"),
           QStringLiteral("v"), QString()});
    DoRegEdit(f.db, f.prompts);
    QVERIFY(f.prompts.boxes.isEmpty());
    RegistryStore reg;
    RegKey key;
    QCOMPARE(reg.RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Made\\By\\Delete"),
                              KEY_QUERY_VALUE, key),
             ERROR_SUCCESS);
}

void TestDoRegEdit::taskWordsAreExact_data()
{
    QTest::addColumn<QString>("task");
    QTest::newRow("Edit") << "Edit";
    QTest::newRow("EDIT") << "EDIT";
    QTest::newRow("Delete") << "Delete";
    QTest::newRow("delete with a blank") << "delete ";
    QTest::newRow("other word") << "rename";
    QTest::newRow("empty text") << "";
}

void TestDoRegEdit::taskWordsAreExact()
{
    QFETCH(QString, task);
    Fixture f;
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, kRun, QStringLiteral("v"), QStringLiteral("before"),
                        f.prompts));
    const QByteArray before = readStoreFile(HKEY_CURRENT_USER);
    f.add({task, kUser, kRun, QStringLiteral("v"), QStringLiteral("after")});
    f.add({task, kUser, QStringLiteral("Other"), QStringLiteral("w"), QStringLiteral("after")});
    DoRegEdit(f.db, f.prompts);
    QCOMPARE(readStoreFile(HKEY_CURRENT_USER), before);
    QVERIFY(f.prompts.boxes.isEmpty());
}

void TestDoRegEdit::unknownRootDoesNothingVisible()
{
    Fixture f;
    f.add({QStringLiteral("edit"), QStringLiteral("5"), kRun, QStringLiteral("v"),
           QStringLiteral("x")});
    f.add({QStringLiteral("delete"), QStringLiteral("0"), kRun, QStringLiteral("v"),
           QStringLiteral("x")});
    f.add({QStringLiteral("edit"), QStringLiteral("2147483647"), kRun, QStringLiteral("v"),
           QStringLiteral("x")});
    DoRegEdit(f.db, f.prompts);
    QVERIFY(f.prompts.boxes.isEmpty());
    QVERIFY(!QFileInfo::exists(RegistryStore::fileFor(HKEY_CURRENT_USER)));
    QVERIFY(!QFileInfo::exists(RegistryStore::fileFor(HKEY_LOCAL_MACHINE)));
}

void TestDoRegEdit::unreadableRowIsSkipped()
{
    Fixture f;
    f.add({QStringLiteral("edit"), kUser, QStringLiteral("A\\"), QStringLiteral("v1"),
           QStringLiteral("one")});
    f.add({QStringLiteral("edit"), kUser, QString(), QStringLiteral("v2"), QStringLiteral("two")});
    f.add({QStringLiteral("edit"), kUser, QStringLiteral("A\\"), QStringLiteral("v3"), QString()});
    f.add({QStringLiteral("delete"), kUser, QStringLiteral("A\\"), QString(), QStringLiteral("x")});
    f.add({QStringLiteral("edit"), QString(), QStringLiteral("A\\"), QStringLiteral("v5"),
           QStringLiteral("five")});
    f.add({QStringLiteral("edit"), kUser, QStringLiteral("C\\"), QStringLiteral("v4"),
           QStringLiteral("four")});
    DoRegEdit(f.db, f.prompts);
    QCOMPARE(f.prompts.boxes.size(), 4);
    for (const RecordedBox &box : f.prompts.boxes) {
        QCOMPARE(box.text, failureText(94, QStringLiteral("Invalid use of Null")));
        QCOMPARE(box.buttons, MsgButtons::OkOnly);
        QCOMPARE(box.icon, MsgIcon::None);
        QCOMPARE(box.title, QStringLiteral("Almarik"));
    }
    // Only the readable rows ran; nothing ran with an earlier row's values.
    RecordingGrid grid;
    ListValues(HKEY_CURRENT_USER, QStringLiteral("A"), &grid, f.prompts);
    QCOMPARE(grid.rows, QStringList{QStringLiteral("v1\tone")});
    grid.rows.clear();
    ListSubKeys(HKEY_CURRENT_USER, QString(), &grid, f.prompts);
    QCOMPARE(grid.rows,
             (QStringList{QStringLiteral("A\t<sub key>"), QStringLiteral("C\t<sub key>")}));
    QCOMPARE(f.value(HKEY_CURRENT_USER, QStringLiteral("C"), QStringLiteral("v4")),
             QStringLiteral("four"));
}

void TestDoRegEdit::unreadableRootNumber_data()
{
    QTest::addColumn<QString>("hKey");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    QTest::newRow("unsigned form of the root") << "2147483649" << 6 << "Overflow";
    QTest::newRow("below the smallest") << "-2147483649" << 6 << "Overflow";
}

void TestDoRegEdit::unreadableRootNumber()
{
    QFETCH(QString, hKey);
    QFETCH(int, number);
    QFETCH(QString, description);
    Fixture f;
    f.add({QStringLiteral("edit"), hKey, QStringLiteral("A"), QStringLiteral("v"),
           QStringLiteral("x")});
    DoRegEdit(f.db, f.prompts);
    QCOMPARE(f.prompts.boxes.size(), 1);
    QCOMPARE(f.prompts.boxes[0].text, failureText(number, description));
    QVERIFY(!QFileInfo::exists(RegistryStore::fileFor(HKEY_CURRENT_USER)));
}

void TestDoRegEdit::missingTableGivesOneMessage()
{
    Fixture f;
    f.db.Execute(QStringLiteral("DROP TABLE RegEdit"));
    DoRegEdit(f.db, f.prompts);
    QCOMPARE(f.prompts.boxes.size(), 1);
    const RecordedBox &box = f.prompts.boxes[0];
    QVERIFY2(box.text.startsWith(QStringLiteral("Error in DoRegEdit\r\nNumber : ")),
             qPrintable(box.text));
    QVERIFY(box.text.contains(QStringLiteral("\r\nDescription : ")));
    QVERIFY(box.text.contains(QStringLiteral("RegEdit")));
    QVERIFY(box.text.endsWith(QStringLiteral("\r\nSelect File>DB Repair")));
    QCOMPARE(box.buttons, MsgButtons::OkOnly);
    QCOMPARE(box.icon, MsgIcon::None);
    QCOMPARE(box.title, QStringLiteral("Almarik"));
}

void TestDoRegEdit::nothingIsRemovedFromTheTable()
{
    Fixture f;
    f.add({QStringLiteral("edit"), kUser, QStringLiteral("A"), QStringLiteral("v"),
           QStringLiteral("x")});
    f.add({QStringLiteral("delete"), kUser, QStringLiteral("A"), QStringLiteral("w"),
           QStringLiteral("x")});
    DoRegEdit(f.db, f.prompts);
    RecordSet rs;
    rs.Open(QStringLiteral("SELECT * FROM RegEdit"), f.db);
    QCOMPARE(rs.RecordCount(), 2);
}

QTEST_APPLESS_MAIN(TestDoRegEdit)
#include "tst_doregedit.moc"
