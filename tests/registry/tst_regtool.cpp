// The registry tool window: its opening state, browsing up and down, the
// immediate delete, and the tasks it stores.

#include "RegTestSupport.h"
#include "platform/Twips.h"
#include "registry/MSFlexGrid.h"
#include "registry/frmRegTool.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

namespace {

class Fixture : public TaskDatabase
{
public:
    // A loaded window on HKEY_CURRENT_USER at path (the defaults when path
    // is null).
    frmRegTool &open(const QString &path = {})
    {
        form = std::make_unique<frmRegTool>(nullptr, db, prompts);
        if (!path.isNull()) {
            form->opt[0]->setChecked(true);
            form->txt[0]->setText(path);
        }
        form->Form_Load();
        return *form;
    }

    // The grid's rows, the header first, as "name|data".
    QStringList rows() const
    {
        QStringList out;
        for (int r = 0; r < form->Grid->Rows(); ++r)
            out << form->Grid->TextMatrix(r, 0) + QLatin1Char('|') + form->Grid->TextMatrix(r, 1);
        return out;
    }

    std::unique_ptr<frmRegTool> form;
};

} // namespace

class TestRegTool : public QObject
{
    Q_OBJECT
private slots:
    void opening_data();
    void opening();
    void upOneLevel_data();
    void upOneLevel();
    void browsing();
    void deleteSelectedValue_data();
    void deleteSelectedValue();
    void addToList_data();
    void addToList();
    void taskGridEdits();
    void withoutTaskTable();
};

void TestRegTool::opening_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("writable") << false
                              << QStringList{"Value|Data", "Later|<sub key>", "Tool|t.exe"};
    QTest::newRow("no write access: values only")
        << true << QStringList{"Value|Data", "Tool|t.exe"};
}

void TestRegTool::opening()
{
    QFETCH(bool, readOnly);
    QFETCH(QStringList, rows);
    Fixture f;
    QVERIFY(SetRegValue(HKEY_LOCAL_MACHINE, kRun, "Tool", "t.exe", f.prompts));
    QVERIFY(SetRegValue(HKEY_LOCAL_MACHINE, kRun + "Later", "x", "1", f.prompts));
    ReadOnlyRoot roots(readOnly ? "HKEY_LOCAL_MACHINE" : "");
    frmRegTool &form = f.open();
    QStringList texts = {form.windowTitle(),  form.opt[0]->text(), form.opt[1]->text(),
                         form.Label1->text(), form.txt[0]->text(), form.Label2->text(),
                         form.txt[1]->text()};
    for (QPushButton *button : form.cmd)
        texts << button->text();
    QCOMPARE(texts.join(QLatin1Char('|')),
             "Form1|HKEY_CURRENT_USER|HKEY_LOCAL_MACHINE|Folder|" + kRun +
                 "|Key||back one level|Refresh list|delete selected value|add to list");
    QVERIFY(form.opt[1]->isChecked());
    QCOMPARE(form.SelectedRoot(), HKEY_LOCAL_MACHINE);
    QVERIFY(!form.cmd[1]->icon().isNull() && !form.cmd[3]->icon().isNull());
    QCOMPARE(form.Grid->columnCount(), 2);
    QCOMPARE(form.Grid->columnWidth(0), twipsToPixels(3000));
    QCOMPARE(form.Grid->columnWidth(1), twipsToPixels(8000));
    QCOMPARE(f.rows(), rows);
    QCOMPARE(form.DataGrid1->model()->rowCount(), 0);
    QCOMPARE(form.DataGrid1->model()->columnCount(), 5);
    QVERIFY(f.prompts.boxes.isEmpty());
}

void TestRegTool::upOneLevel_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("after");
    QTest::newRow("run key to its parent")
        << kRun << true << "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
    QTest::newRow("without trailing backslash") << "A\\B" << true << "A\\";
    QTest::newRow("two levels") << "A\\B\\C\\" << true << "A\\B\\";
    QTest::newRow("leading backslash") << "\\A" << true << "\\";
    QTest::newRow("top key with backslash") << "SOFTWARE\\" << false << "unchanged";
    QTest::newRow("no backslash") << "SOFTWARE" << false << "unchanged";
    QTest::newRow("backslash alone") << "\\" << false << "unchanged";
    QTest::newRow("empty") << "" << false << "unchanged";
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

void TestRegTool::browsing()
{
    Fixture f;
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "Top\\Sub\\Deeper", "d", "1", f.prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "Top\\Sub", "inner", "2", f.prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "Top", "value", "3", f.prompts));
    frmRegTool &form = f.open(QStringLiteral("Top\\"));
    QCOMPARE(f.rows(), (QStringList{"Value|Data", "Sub|<sub key>", "value|3"}));
    // A value row: the click copies its name, the double-click adds nothing.
    form.Grid->setRowCol(2, 1);
    form.Grid_Click();
    form.Grid_DblClick();
    QCOMPARE(form.txt[1]->text(), QStringLiteral("value"));
    QCOMPARE(form.txt[0]->text(), QStringLiteral("Top\\"));
    // A subkey row: the double-click descends and the refresh empties txt(1).
    form.Grid->setRowCol(1, 1);
    form.Grid_Click();
    QCOMPARE(form.txt[1]->text(), QStringLiteral("Sub"));
    form.Grid_DblClick();
    QCOMPARE(form.txt[0]->text(), QStringLiteral("Top\\Sub\\"));
    QCOMPARE(form.txt[1]->text(), QString());
    QCOMPARE(f.rows(), (QStringList{"Value|Data", "Deeper|<sub key>", "inner|2"}));
    // With no current row neither click does anything.
    form.Grid->setCurrentCell(-1, -1);
    form.Grid_Click();
    form.Grid_DblClick();
    QCOMPARE(QString(form.txt[1]->text() + form.txt[0]->text()), QStringLiteral("Top\\Sub\\"));
    // Back one level, twice: the second finds no backslash before the end.
    form.cmd_Click(0);
    QCOMPARE(form.txt[0]->text(), QStringLiteral("Top\\"));
    QCOMPARE(f.rows(), (QStringList{"Value|Data", "Sub|<sub key>", "value|3"}));
    form.cmd_Click(0);
    QCOMPARE(form.txt[0]->text(), QStringLiteral("Top\\"));
    // Another root takes effect at the next refresh; an empty key shows no
    // header texts.
    form.opt[1]->setChecked(true);
    QCOMPARE(f.rows().size(), 3);
    form.cmd_Click(1);
    QCOMPARE(f.rows(), QStringList{"|"});
    QVERIFY(f.prompts.boxes.isEmpty());
}

void TestRegTool::deleteSelectedValue_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("nameAfter");
    auto row = [](const char *tag, const QString &name, const QStringList &messages,
                  const QStringList &rows, const QString &nameAfter) {
        QTest::newRow(tag) << name << messages << rows << nameAfter;
    };
    row("a value", "Gone", {"Gone deleted"}, {"Value|Data", "(Default)|", "Stays|s"}, "");
    row("empty name: the unnamed value", "", {" deleted"}, {"Value|Data", "Gone|g", "Stays|s"}, "");
    row("a missing value", "Never", {}, {"Value|Data", "Gone|g", "(Default)|", "Stays|s"}, "Never");
}

void TestRegTool::deleteSelectedValue()
{
    QFETCH(QString, name);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, rows);
    QFETCH(QString, nameAfter);
    Fixture f;
    for (const QString &value : {QStringLiteral("Gone"), QString(), QStringLiteral("Stays")})
        QVERIFY(SetRegValue(HKEY_CURRENT_USER, kRun, value, value.left(1).toLower(), f.prompts));
    frmRegTool &form = f.open(kRun);
    form.txt[1]->setText(name);
    form.cmd_Click(2); // at once, without asking
    QCOMPARE(shownTexts(f.prompts), messages);
    for (const RecordedBox &box : f.prompts.boxes)
        QVERIFY(box.icon == MsgIcon::Information && box.buttons == MsgButtons::OkOnly &&
                box.title == QLatin1String("Almarik"));
    QCOMPARE(form.txt[1]->text(), nameAfter);
    QCOMPARE(f.rows(), rows); // listed again after a deletion
}

void TestRegTool::addToList_data()
{
    QTest::addColumn<bool>("currentUser");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("answer");
    QTest::addColumn<QStringList>("tasks");
    auto row = [](const char *tag, bool currentUser, const QString &name, const QVariant &answer,
                  const QStringList &tasks) {
        QTest::newRow(tag) << currentUser << name << answer << tasks;
    };
    const QString machine = "|-2147483646|" + kRun + "|Tool|";
    const QString user = "|-2147483647|" + kRun + "|Tool|";
    row("machine, value given", false, "Tool", "C:\\new.exe", {"edit" + machine + "C:\\new.exe"});
    row("user, value given", true, "Tool", "it's", {"edit" + user + "it's"});
    row("blank answer", false, "Tool", QString(), {"delete" + machine + "x"});
    row("cancelled", true, "Tool", QVariant(), {"delete" + user + "x"});
    row("no value name: nothing asked", true, "", QVariant(), {});
}

void TestRegTool::addToList()
{
    QFETCH(bool, currentUser);
    QFETCH(QString, name);
    QFETCH(QVariant, answer);
    QFETCH(QStringList, tasks);
    Fixture f;
    frmRegTool &form = f.open();
    form.opt[currentUser ? 0 : 1]->setChecked(true);
    form.txt[1]->setText(name);
    if (!name.isEmpty())
        f.prompts.answer(answer);
    const QByteArray user = readStoreFile(HKEY_CURRENT_USER);
    const QByteArray machine = readStoreFile(HKEY_LOCAL_MACHINE);
    form.cmd_Click(3);
    QCOMPARE(shownTexts(f.prompts), name.isEmpty() ? QStringList()
                                                   : QStringList{"To Edit, enter new value\r\n"
                                                                 "To Delete, leave blank"});
    for (const RecordedBox &box : f.prompts.boxes)
        QVERIFY(box.kind == QLatin1String("input") && box.title == QLatin1String("Almarik") &&
                box.extra.isEmpty());
    QCOMPARE(f.tasks(), tasks);
    // The task grid shows the new row; the registry is not touched.
    QCOMPARE(form.DataGrid1->model()->rowCount(), tasks.size());
    QCOMPARE(readStoreFile(HKEY_CURRENT_USER), user);
    QCOMPARE(readStoreFile(HKEY_LOCAL_MACHINE), machine);
}

void TestRegTool::taskGridEdits()
{
    Fixture f;
    frmRegTool &form = f.open();
    form.txt[1]->setText(QStringLiteral("Tool"));
    f.prompts.answer(QStringLiteral("first"));
    form.cmd_Click(3);
    QAbstractItemModel *model = form.DataGrid1->model();
    QStringList columns;
    for (int c = 0; c < model->columnCount(); ++c)
        columns << model->headerData(c, Qt::Horizontal).toString();
    const int hKey = int(columns.indexOf(QStringLiteral("hKey")));
    const int newValue = int(columns.indexOf(QStringLiteral("NewValue")));
    QCOMPARE(model->data(model->index(0, hKey)).toString(), QStringLiteral("-2147483646"));
    QVERIFY(model->setData(model->index(0, newValue), QStringLiteral("second")));
    const QStringList stored{"edit|-2147483646|" + kRun + "|Tool|second"};
    QCOMPARE(f.tasks(), stored);
    // A value the column refuses is reported and nothing changes.
    f.prompts.boxes.clear();
    QVERIFY(!model->setData(model->index(0, hKey), QStringLiteral("not a number")));
    QCOMPARE(f.prompts.boxes.size(), 1);
    QCOMPARE(f.prompts.boxes[0].icon, MsgIcon::Critical);
    QCOMPARE(f.tasks(), stored);
}

void TestRegTool::withoutTaskTable()
{
    Fixture f;
    f.db.Execute(QStringLiteral("DROP TABLE RegEdit"));
    QVERIFY(SetRegValue(HKEY_LOCAL_MACHINE, kRun, "Tool", "t.exe", f.prompts));
    frmRegTool &form = f.open();
    // The window still browses.
    QCOMPARE(f.rows(), (QStringList{"Value|Data", "Tool|t.exe"}));
    QCOMPARE(f.prompts.boxes.size(), 1);
    QVERIFY(f.prompts.boxes[0].text.startsWith("Error in frmRegTool.Form_Load\r\nNumber : "));
    // Storing a task reports the closed task list, then the failed refresh.
    form.txt[1]->setText(QStringLiteral("Tool"));
    f.prompts.answer(QStringLiteral("v"));
    form.cmd_Click(3);
    const QString closed =
        QStringLiteral("Error in frmRegTool.cmd_Click\r\nNumber : 3704\r\n"
                       "Description : Operation is not allowed when the object is closed.");
    QCOMPARE(shownTexts(f.prompts).mid(2), (QStringList{closed, closed}));
    QVERIFY(f.prompts.boxes[2].buttons == MsgButtons::OkOnly &&
            f.prompts.boxes[2].icon == MsgIcon::None);
}

QTEST_MAIN(TestRegTool)
#include "tst_regtool.moc"
