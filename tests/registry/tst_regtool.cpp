// The registry tool window: its opening state, browsing up and down, the
// immediate delete, and the tasks it stores.

#include "RegTestSupport.h"
#include "registry/ui/MSFlexGrid.h"
#include "registry/ui/frmRegTool.h"
#include "widgets/Twips.h"

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
        form = std::make_unique<frmRegTool>(db, prompts);
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
    void browsing();
    void deleteSelectedValue_data();
    void deleteSelectedValue();
    void addToList_data();
    void addToList();
    void taskGridEdits();
    void withoutTaskTable_data();
    void withoutTaskTable();
    void deleteTask_data();
    void deleteTask();
    void taskGridShowsWholeTexts();
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
    // The task row itself is taskRowFor's (tst_regmodule).
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

void TestRegTool::withoutTaskTable_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("loadMessage");
    QTest::addColumn<QString>("addMessage");
    const QString noTable = QStringLiteral("Number : -2147217900\r\nDescription : no such table: "
                                           "RegEdit\r\nSelect File>DB Repair");
    QTest::newRow("no table") << "DROP TABLE RegEdit"
                              << "Error in frmRegTool.Form_Load\r\n" + noTable
                              << "Error in frmRegTool.cmd_Click\r\n" + noTable;
    QTest::newRow("no NewValue column")
        << "ALTER TABLE RegEdit DROP COLUMN NewValue" << QString()
        << "Error in frmRegTool.cmd_Click\r\nNumber : -2147217904\r\n"
           "Description : No value given for one or more required parameters.\r\n"
           "Select File>DB Repair";
}

void TestRegTool::withoutTaskTable()
{
    QFETCH(QString, damage);
    QFETCH(QString, loadMessage);
    QFETCH(QString, addMessage);
    Fixture f;
    f.db.Execute(damage);
    QVERIFY(SetRegValue(HKEY_LOCAL_MACHINE, kRun, "Tool", "t.exe", f.prompts));
    f.prompts.setAutoOk(true);
    frmRegTool &form = f.open();
    // The window still browses.
    QCOMPARE(f.rows(), (QStringList{"Value|Data", "Tool|t.exe"}));
    QCOMPARE(shownTexts(f.prompts),
             loadMessage.isEmpty() ? QStringList() : QStringList{loadMessage});
    // Storing a task says why at once, before asking for a value.
    f.prompts.boxes.clear();
    form.txt[1]->setText(QStringLiteral("Tool"));
    form.cmd_Click(3);
    QCOMPARE(shownTexts(f.prompts), QStringList{addMessage});
    QVERIFY(f.prompts.boxes[0].buttons == MsgButtons::OkOnly &&
            f.prompts.boxes[0].icon == MsgIcon::None);
}

void TestRegTool::deleteTask_data()
{
    QTest::addColumn<int>("row"); // the current row, -1 for none
    QTest::addColumn<QVariant>("answer");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QStringList>("tasks");
    const QString first = "edit|-2147483646|" + kRun + "|Tool|same";
    const QString second = "delete|-2147483646|" + kRun + "|Other|x";
    QTest::newRow("confirmed") << 1 << QVariant::fromValue(MsgResult::Yes)
                               << QStringList{"Delete the task for \"Other\"?"}
                               << QStringList{first, first};
    QTest::newRow("one of two alike")
        << 2 << QVariant::fromValue(MsgResult::Yes) << QStringList{"Delete the task for \"Tool\"?"}
        << QStringList{first, second};
    QTest::newRow("not confirmed")
        << 0 << QVariant::fromValue(MsgResult::No) << QStringList{"Delete the task for \"Tool\"?"}
        << QStringList{first, second, first};
    QTest::newRow("no current row")
        << -1 << QVariant() << QStringList() << QStringList{first, second, first};
}

void TestRegTool::deleteTask()
{
    QFETCH(int, row);
    QFETCH(QVariant, answer);
    QFETCH(QStringList, questions);
    QFETCH(QStringList, tasks);
    Fixture f;
    frmRegTool &form = f.open();
    for (const char *key : {"Tool", "Other", "Tool"}) {
        form.txt[1]->setText(QLatin1String(key));
        f.prompts.answer(QLatin1String(key) == QLatin1String("Tool") ? QStringLiteral("same")
                                                                     : QString());
        form.cmd_Click(3);
    }
    f.prompts.boxes.clear();
    if (answer.isValid())
        f.prompts.answer(answer);
    QAbstractItemModel *model = form.DataGrid1->model();
    form.DataGrid1->setCurrentIndex(row < 0 ? QModelIndex() : model->index(row, 1));
    QTest::keyClick(form.DataGrid1, Qt::Key_Delete);
    QCOMPARE(shownTexts(f.prompts), questions);
    for (const RecordedBox &box : f.prompts.boxes)
        QVERIFY(box.buttons == MsgButtons::YesNo && box.icon == MsgIcon::Question &&
                box.title == QLatin1String("Almarik"));
    QCOMPARE(f.tasks(), tasks);
    QCOMPARE(model->rowCount(), tasks.size());
}

void TestRegTool::taskGridShowsWholeTexts()
{
    Fixture f;
    const QString longPath = QStringLiteral("SOFTWARE\\").repeated(20);
    f.db.Execute("INSERT INTO RegEdit (Task, hKey, SubKey, [Key], NewValue) VALUES "
                 "('edit', 1, '" +
                 longPath + "', 'a', '')");
    f.db.Execute("INSERT INTO RegEdit (Task, hKey, SubKey, [Key], NewValue) VALUES "
                 "('edit', 1, 'K', 'b', Null)");
    frmRegTool &form = f.open();
    QAbstractItemModel *model = form.DataGrid1->model();
    QStringList columns;
    for (int c = 0; c < model->columnCount(); ++c)
        columns << model->headerData(c, Qt::Horizontal).toString();
    const int subKey = int(columns.indexOf(QStringLiteral("SubKey")));
    const int newValue = int(columns.indexOf(QStringLiteral("NewValue")));
    // An empty text and a Null look different; both edit as empty.
    QCOMPARE(model->data(model->index(0, newValue)).toString(), QString());
    QCOMPARE(model->data(model->index(1, newValue)).toString(), QStringLiteral("(Null)"));
    QCOMPARE(model->data(model->index(1, newValue), Qt::EditRole).toString(), QString());
    // The whole key path: the column fits it, and it is the cell's tip.
    QCOMPARE(model->data(model->index(0, subKey), Qt::ToolTipRole).toString(), longPath);
    QVERIFY(form.DataGrid1->columnWidth(subKey) >=
            form.DataGrid1->fontMetrics().horizontalAdvance(longPath));
}

QTEST_MAIN(TestRegTool)
#include "tst_regtool.moc"
