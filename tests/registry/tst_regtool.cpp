// The registry tool window: its opening state, browsing up and down, the
// immediate delete, and the tasks it stores.

#include "RegTestSupport.h"
#include "registry/MSFlexGrid.h"
#include "registry/REG_MODULE.h"
#include "registry/TaskGridModel.h"
#include "registry/frmRegTool.h"
#include "store/Connection.h"
#include "store/Repair.h"
#include "store/SharedDb.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

namespace {

const QString kRun = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\");

class Fixture
{
public:
    Fixture()
    {
        CreateDatabase(env.path(QStringLiteral("Almarik.MDB")));
        db.Open(Connection::connectionStringFor(env.path(QStringLiteral("Almarik.MDB"))));
    }

    QStringList gridRows(const frmRegTool &form) const
    {
        QStringList rows;
        for (int r = 1; r < form.Grid->Rows(); ++r)
            rows << form.Grid->TextMatrix(r, 0) + QLatin1Char('|') + form.Grid->TextMatrix(r, 1);
        return rows;
    }

    // The stored tasks as "Task|hKey|SubKey|key|NewValue", hKey as read back.
    QStringList tasks()
    {
        RecordSet rs;
        rs.Open(QStringLiteral("SELECT * FROM RegEdit"), db);
        QStringList out;
        for (; !rs.isEOF(); rs.MoveNext()) {
            QStringList cells;
            for (const char *name : {"Task", "hKey", "SubKey", "key", "NewValue"})
                cells << rs.Fields(QLatin1String(name)).toString();
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }

    TestEnv env;
    ScriptedPrompts prompts;
    Connection db;
};

} // namespace

class TestRegTool : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { setModalHandler(nullptr); }
    void opening();
    void openingListsValuesWithoutWriteAccess();
    void emptyKeyHasNoHeader();
    void rootTakesEffectAtRefresh();
    void upOneLevel_data();
    void upOneLevel();
    void backOneLevel();
    void clickAndDoubleClick();
    void deleteSelectedValue();
    void deleteDefaultValue();
    void deleteMissingValueSaysNothing();
    void addToList_data();
    void addToList();
    void addToListNeedsAName();
    void taskGridEdits();
    void withoutTaskTable();
    void shownModallyByItsOwner();
};

void TestRegTool::opening()
{
    Fixture f;
    QVERIFY(SetRegValue(HKEY_LOCAL_MACHINE, kRun, QStringLiteral("Tool"), QStringLiteral("t.exe"),
                        f.prompts));
    QVERIFY(SetRegValue(HKEY_LOCAL_MACHINE, kRun + QStringLiteral("Later"), QStringLiteral("x"),
                        QStringLiteral("1"), f.prompts));
    frmRegTool form(nullptr, f.db, f.prompts);
    form.Form_Load();
    QCOMPARE(form.windowTitle(), QStringLiteral("Form1"));
    QCOMPARE(form.opt[0]->text(), QStringLiteral("HKEY_CURRENT_USER"));
    QCOMPARE(form.opt[1]->text(), QStringLiteral("HKEY_LOCAL_MACHINE"));
    QVERIFY(form.opt[1]->isChecked());
    QCOMPARE(form.SelectedRoot(), HKEY_LOCAL_MACHINE);
    QCOMPARE(form.txt[0]->text(), kRun);
    QCOMPARE(form.txt[1]->text(), QString());
    QCOMPARE(form.Label1->text(), QStringLiteral("Folder"));
    QCOMPARE(form.Label2->text(), QStringLiteral("Key"));
    QCOMPARE(form.cmd[0]->text(), QStringLiteral("back one level"));
    QCOMPARE(form.cmd[1]->text(), QStringLiteral("Refresh list"));
    QCOMPARE(form.cmd[2]->text(), QStringLiteral("delete selected value"));
    QCOMPARE(form.cmd[3]->text(), QStringLiteral("add to list"));
    QVERIFY(!form.cmd[1]->icon().isNull());
    QVERIFY(!form.cmd[3]->icon().isNull());
    QCOMPARE(form.Grid->columnCount(), 2);
    QCOMPARE(form.Grid->TextMatrix(0, 0), QStringLiteral("Value"));
    QCOMPARE(form.Grid->TextMatrix(0, 1), QStringLiteral("Data"));
    QCOMPARE(f.gridRows(form),
             (QStringList{QStringLiteral("Later|<sub key>"), QStringLiteral("Tool|t.exe")}));
    QCOMPARE(form.DataGrid1->model()->rowCount(), 0);
    QCOMPARE(form.DataGrid1->model()->columnCount(), 5);
    QVERIFY(f.prompts.boxes.isEmpty());
}

void TestRegTool::openingListsValuesWithoutWriteAccess()
{
    Fixture f;
    QVERIFY(SetRegValue(HKEY_LOCAL_MACHINE, kRun, QStringLiteral("Tool"), QStringLiteral("t.exe"),
                        f.prompts));
    QVERIFY(SetRegValue(HKEY_LOCAL_MACHINE, kRun + QStringLiteral("Later"), QStringLiteral("x"),
                        QStringLiteral("1"), f.prompts));
    ReadOnlyRoot readOnly("HKEY_LOCAL_MACHINE");
    frmRegTool form(nullptr, f.db, f.prompts);
    form.Form_Load();
    QCOMPARE(f.gridRows(form), QStringList{QStringLiteral("Tool|t.exe")});
    QCOMPARE(form.Grid->TextMatrix(0, 0), QStringLiteral("Value"));
    QVERIFY(f.prompts.boxes.isEmpty());
}

void TestRegTool::emptyKeyHasNoHeader()
{
    Fixture f;
    frmRegTool form(nullptr, f.db, f.prompts);
    form.Form_Load();
    QCOMPARE(form.Grid->Rows(), 1);
    QCOMPARE(form.Grid->TextMatrix(0, 0), QString());
    QCOMPARE(form.Grid->TextMatrix(0, 1), QString());
    // Listing a key with rows, then an empty one, clears the header again.
    QVERIFY(
        SetRegValue(HKEY_LOCAL_MACHINE, kRun, QStringLiteral("v"), QStringLiteral("1"), f.prompts));
    form.cmd_Click(1);
    QCOMPARE(form.Grid->TextMatrix(0, 1), QStringLiteral("Data"));
    form.txt[0]->setText(QStringLiteral("Elsewhere\\"));
    form.cmd_Click(1);
    QCOMPARE(form.Grid->Rows(), 1);
    QCOMPARE(form.Grid->TextMatrix(0, 1), QString());
    QVERIFY(f.prompts.boxes.isEmpty());
}

void TestRegTool::rootTakesEffectAtRefresh()
{
    Fixture f;
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, kRun, QStringLiteral("Mine"), QStringLiteral("m"),
                        f.prompts));
    frmRegTool form(nullptr, f.db, f.prompts);
    form.Form_Load();
    QCOMPARE(f.gridRows(form), QStringList());
    form.opt[0]->setChecked(true);
    QCOMPARE(form.SelectedRoot(), HKEY_CURRENT_USER);
    QCOMPARE(f.gridRows(form), QStringList());
    form.cmd_Click(1);
    QCOMPARE(f.gridRows(form), QStringList{QStringLiteral("Mine|m")});
}

void TestRegTool::upOneLevel_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("after");
    QTest::newRow("run key to its parent")
        << kRun << true << "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
    QTest::newRow("without trailing backslash") << "A\\B" << true << "A\\";
    QTest::newRow("top key with backslash") << "SOFTWARE\\" << false << "unchanged";
    QTest::newRow("no backslash") << "SOFTWARE" << false << "unchanged";
    QTest::newRow("empty") << "" << false << "unchanged";
    QTest::newRow("backslash alone") << "\\" << false << "unchanged";
    QTest::newRow("leading backslash") << "\\A" << true << "\\";
    QTest::newRow("two levels") << "A\\B\\C\\" << true << "A\\B\\";
}

void TestRegTool::upOneLevel()
{
    QFETCH(QString, path);
    QFETCH(bool, result);
    QFETCH(QString, after);
    Fixture f;
    frmRegTool form(nullptr, f.db, f.prompts);
    form.txt[0]->setText(QStringLiteral("unchanged"));
    QCOMPARE(form.UpOneLevel(path), result);
    QCOMPARE(form.txt[0]->text(), after);
}

void TestRegTool::backOneLevel()
{
    Fixture f;
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, QStringLiteral("Top\\Sub"), QStringLiteral("v"),
                        QStringLiteral("1"), f.prompts));
    frmRegTool form(nullptr, f.db, f.prompts);
    form.opt[0]->setChecked(true);
    form.txt[0]->setText(QStringLiteral("Top\\Sub\\"));
    form.Form_Load();
    QCOMPARE(f.gridRows(form), QStringList{QStringLiteral("v|1")});
    form.cmd_Click(0);
    QCOMPARE(form.txt[0]->text(), QStringLiteral("Top\\"));
    QCOMPARE(f.gridRows(form), QStringList{QStringLiteral("Sub|<sub key>")});
    form.cmd_Click(0); // no backslash before the last character: nothing changes
    QCOMPARE(form.txt[0]->text(), QStringLiteral("Top\\"));
    QCOMPARE(f.gridRows(form), QStringList{QStringLiteral("Sub|<sub key>")});
}

void TestRegTool::clickAndDoubleClick()
{
    Fixture f;
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, QStringLiteral("Top\\Sub\\Deeper"), QStringLiteral("d"),
                        QStringLiteral("1"), f.prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, QStringLiteral("Top\\Sub"), QStringLiteral("inner"),
                        QStringLiteral("2"), f.prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, QStringLiteral("Top"), QStringLiteral("value"),
                        QStringLiteral("3"), f.prompts));
    frmRegTool form(nullptr, f.db, f.prompts);
    form.opt[0]->setChecked(true);
    form.txt[0]->setText(QStringLiteral("Top\\"));
    form.Form_Load();
    QCOMPARE(f.gridRows(form),
             (QStringList{QStringLiteral("Sub|<sub key>"), QStringLiteral("value|3")}));

    // A value row: the click copies its name, the double-click adds nothing.
    form.Grid->setRowCol(2, 1);
    form.Grid_Click();
    QCOMPARE(form.txt[1]->text(), QStringLiteral("value"));
    form.Grid_DblClick();
    QCOMPARE(form.txt[0]->text(), QStringLiteral("Top\\"));

    // A subkey row: the double-click descends and the refresh empties txt(1).
    form.Grid->setRowCol(1, 1);
    form.Grid_Click();
    QCOMPARE(form.txt[1]->text(), QStringLiteral("Sub"));
    form.Grid_DblClick();
    QCOMPARE(form.txt[0]->text(), QStringLiteral("Top\\Sub\\"));
    QCOMPARE(form.txt[1]->text(), QString());
    QCOMPARE(f.gridRows(form),
             (QStringList{QStringLiteral("Deeper|<sub key>"), QStringLiteral("inner|2")}));

    // With no current row nothing happens.
    form.Grid->setCurrentCell(-1, -1);
    form.Grid_Click();
    form.Grid_DblClick();
    QCOMPARE(form.txt[1]->text(), QString());
    QCOMPARE(form.txt[0]->text(), QStringLiteral("Top\\Sub\\"));
    QVERIFY(f.prompts.boxes.isEmpty());
}

void TestRegTool::deleteSelectedValue()
{
    Fixture f;
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, kRun, QStringLiteral("Gone"), QStringLiteral("g"),
                        f.prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, kRun, QStringLiteral("Stays"), QStringLiteral("s"),
                        f.prompts));
    frmRegTool form(nullptr, f.db, f.prompts);
    form.opt[0]->setChecked(true);
    form.Form_Load();
    form.Grid->setRowCol(1, 0);
    form.Grid_Click();
    QCOMPARE(form.txt[1]->text(), QStringLiteral("Gone"));
    form.cmd_Click(2); // no confirmation is asked
    QCOMPARE(f.prompts.boxes.size(), 1);
    QCOMPARE(f.prompts.boxes[0].text, QStringLiteral("Gone deleted"));
    QCOMPARE(f.prompts.boxes[0].icon, MsgIcon::Information);
    QCOMPARE(f.prompts.boxes[0].buttons, MsgButtons::OkOnly);
    QCOMPARE(f.prompts.boxes[0].title, QStringLiteral("Almarik"));
    QCOMPARE(form.txt[1]->text(), QString());
    QCOMPARE(f.gridRows(form), QStringList{QStringLiteral("Stays|s")});
    QCOMPARE(GetRegValue(HKEY_CURRENT_USER, kRun, QStringLiteral("Gone"), QStringLiteral("<none>"),
                         f.prompts),
             QStringLiteral("<none>"));
}

void TestRegTool::deleteDefaultValue()
{
    Fixture f;
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, kRun, QString(), QStringLiteral("d"), f.prompts));
    frmRegTool form(nullptr, f.db, f.prompts);
    form.opt[0]->setChecked(true);
    form.Form_Load();
    QCOMPARE(f.gridRows(form), QStringList{QStringLiteral("(Default)|")});
    form.cmd_Click(2);
    QCOMPARE(f.prompts.boxes.size(), 1);
    QCOMPARE(f.prompts.boxes[0].text, QStringLiteral(" deleted"));
    QCOMPARE(f.gridRows(form), QStringList());
}

void TestRegTool::deleteMissingValueSaysNothing()
{
    Fixture f;
    frmRegTool form(nullptr, f.db, f.prompts);
    form.opt[0]->setChecked(true);
    form.Form_Load();
    form.txt[1]->setText(QStringLiteral("Never"));
    form.cmd_Click(2);
    QVERIFY(f.prompts.boxes.isEmpty());
    QCOMPARE(form.txt[1]->text(), QStringLiteral("Never"));
}

void TestRegTool::addToList_data()
{
    QTest::addColumn<bool>("currentUser");
    QTest::addColumn<QVariant>("answer");
    QTest::addColumn<QString>("row");
    QTest::newRow("machine, value given") << false << QVariant(QStringLiteral("C:\\new.exe"))
                                          << "edit|-2147483646|" + kRun + "|Tool|C:\\new.exe";
    QTest::newRow("user, value given")
        << true << QVariant(QStringLiteral("it's")) << "edit|-2147483647|" + kRun + "|Tool|it's";
    QTest::newRow("blank answer") << false << QVariant(QString())
                                  << "delete|-2147483646|" + kRun + "|Tool|x";
    QTest::newRow("cancelled") << true << QVariant() << "delete|-2147483647|" + kRun + "|Tool|x";
}

void TestRegTool::addToList()
{
    QFETCH(bool, currentUser);
    QFETCH(QVariant, answer);
    QFETCH(QString, row);
    Fixture f;
    frmRegTool form(nullptr, f.db, f.prompts);
    form.Form_Load();
    form.opt[currentUser ? 0 : 1]->setChecked(true);
    form.txt[1]->setText(QStringLiteral("Tool"));
    f.prompts.answer(answer);
    const QByteArray user = readStoreFile(HKEY_CURRENT_USER);
    const QByteArray machine = readStoreFile(HKEY_LOCAL_MACHINE);
    form.cmd_Click(3);
    QCOMPARE(f.prompts.boxes.size(), 1);
    QCOMPARE(f.prompts.boxes[0].kind, QStringLiteral("input"));
    QCOMPARE(f.prompts.boxes[0].text,
             QStringLiteral("To Edit, enter new value\r\nTo Delete, leave blank"));
    QCOMPARE(f.prompts.boxes[0].title, QStringLiteral("Almarik"));
    QCOMPARE(f.prompts.boxes[0].extra, QString());
    QCOMPARE(f.tasks(), QStringList{row});
    // The task grid shows the new row; the registry is not touched.
    QCOMPARE(form.DataGrid1->model()->rowCount(), 1);
    QCOMPARE(readStoreFile(HKEY_CURRENT_USER), user);
    QCOMPARE(readStoreFile(HKEY_LOCAL_MACHINE), machine);
}

void TestRegTool::addToListNeedsAName()
{
    Fixture f;
    frmRegTool form(nullptr, f.db, f.prompts);
    form.Form_Load();
    form.cmd_Click(3);
    QVERIFY(f.prompts.boxes.isEmpty());
    QCOMPARE(f.tasks(), QStringList());
}

void TestRegTool::taskGridEdits()
{
    Fixture f;
    frmRegTool form(nullptr, f.db, f.prompts);
    form.Form_Load();
    form.txt[1]->setText(QStringLiteral("Tool"));
    f.prompts.answer(QStringLiteral("first"));
    form.cmd_Click(3);
    QAbstractItemModel *model = form.DataGrid1->model();
    int newValue = -1, hKey = -1;
    for (int c = 0; c < model->columnCount(); ++c) {
        const QString name = model->headerData(c, Qt::Horizontal).toString();
        if (name == QLatin1String("NewValue"))
            newValue = c;
        if (name == QLatin1String("hKey"))
            hKey = c;
    }
    QVERIFY(newValue >= 0 && hKey >= 0);
    QCOMPARE(model->data(model->index(0, hKey)).toString(), QStringLiteral("-2147483646"));
    QVERIFY(model->flags(model->index(0, newValue)) & Qt::ItemIsEditable);
    QVERIFY(model->setData(model->index(0, newValue), QStringLiteral("second")));
    QCOMPARE(f.tasks(), QStringList{"edit|-2147483646|" + kRun + "|Tool|second"});
    // A value the column refuses is reported and nothing changes.
    f.prompts.boxes.clear();
    QVERIFY(!model->setData(model->index(0, hKey), QStringLiteral("not a number")));
    QCOMPARE(f.prompts.boxes.size(), 1);
    QCOMPARE(f.prompts.boxes[0].icon, MsgIcon::Critical);
    QCOMPARE(f.tasks(), QStringList{"edit|-2147483646|" + kRun + "|Tool|second"});
}

void TestRegTool::withoutTaskTable()
{
    Fixture f;
    f.db.Execute(QStringLiteral("DROP TABLE RegEdit"));
    QVERIFY(SetRegValue(HKEY_LOCAL_MACHINE, kRun, QStringLiteral("Tool"), QStringLiteral("t.exe"),
                        f.prompts));
    frmRegTool form(nullptr, f.db, f.prompts);
    form.Form_Load();
    // The window still browses.
    QCOMPARE(f.gridRows(form), QStringList{QStringLiteral("Tool|t.exe")});
    QCOMPARE(f.prompts.boxes.size(), 1);
    QVERIFY(f.prompts.boxes[0].text.startsWith(
        QStringLiteral("Error in frmRegTool.Form_Load\r\nNumber : ")));
    // Storing a task reports the closed task list, then the failed refresh.
    form.txt[1]->setText(QStringLiteral("Tool"));
    f.prompts.answer(QStringLiteral("v"));
    form.cmd_Click(3);
    QCOMPARE(f.prompts.boxes.size(), 4);
    const QString closed =
        QStringLiteral("Error in frmRegTool.cmd_Click\r\nNumber : 3704\r\n"
                       "Description : Operation is not allowed when the object is closed.");
    QCOMPARE(f.prompts.boxes[2].text, closed);
    QCOMPARE(f.prompts.boxes[2].buttons, MsgButtons::OkOnly);
    QCOMPARE(f.prompts.boxes[2].icon, MsgIcon::None);
    QCOMPARE(f.prompts.boxes[3].text, closed);
}

void TestRegTool::shownModallyByItsOwner()
{
    Fixture f;
    QVERIFY(SetRegValue(HKEY_LOCAL_MACHINE, kRun, QStringLiteral("Tool"), QStringLiteral("t.exe"),
                        f.prompts));
    dbConnection.Open(f.db.ConnectionString());
    QWidget owner;
    int shown = 0;
    bool loaded = false;
    setModalHandler([&](QDialog &dialog) {
        ++shown;
        auto *form = qobject_cast<frmRegTool *>(&dialog);
        // Form_Load has run: the key is listed and the tasks are bound.
        loaded = form && form->parentWidget() == &owner &&
                 form->windowTitle() == QLatin1String("Form1") && form->Grid->Rows() == 2 &&
                 form->taskRecords.isOpen();
        return 0;
    });
    showRegistryTool(&owner);
    dbConnection.Close();
    QCOMPARE(shown, 1);
    QVERIFY(loaded);
    QVERIFY(f.prompts.boxes.isEmpty());
}

QTEST_MAIN(TestRegTool)
#include "tst_regtool.moc"
