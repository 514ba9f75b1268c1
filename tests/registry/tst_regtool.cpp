// The registry tool window: browsing up and down, the immediate delete, and
// the tasks it stores, shows and deletes.

#include "RegTestSupport.h"
#include "registry/ui/MSFlexGrid.h"
#include "registry/ui/frmRegTool.h"

#include <QLineEdit>
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

    // Stores a task for value key through "add to list", answering answer.
    void addTask(const QString &key, const QString &answer)
    {
        form->txt[1]->setText(key);
        prompts.answer(answer);
        form->cmd_Click(3);
    }

    std::unique_ptr<frmRegTool> form;
};

} // namespace

class TestRegTool : public QObject
{
    Q_OBJECT
private slots:
    void browsingAndDeletingValues();
    void tasksAddedAndDeleted();
    void withoutTaskTable();
    void taskGrid();
};

void TestRegTool::browsingAndDeletingValues()
{
    Fixture f;
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "Top\\Sub", "inner", "2", f.prompts));
    QVERIFY(SetRegValue(HKEY_CURRENT_USER, "Top", "value", "3", f.prompts));
    frmRegTool &form = f.open(QStringLiteral("Top\\"));
    // A value row: the click copies its name, the double-click adds nothing.
    form.Grid->setRowCol(2, 1);
    form.Grid_Click();
    form.Grid_DblClick();
    QCOMPARE(form.txt[1]->text() + form.txt[0]->text(), QStringLiteral("valueTop\\"));
    // A subkey row: the double-click descends and empties the value name.
    form.Grid->setRowCol(1, 1);
    form.Grid_DblClick();
    QCOMPARE(form.txt[1]->text() + form.txt[0]->text(), QStringLiteral("Top\\Sub\\"));
    QCOMPARE(f.rows(), (QStringList{"Value|Data", "inner|2"}));
    form.cmd_Click(0); // back one level
    // The delete acts at once, says so and lists again.
    form.txt[1]->setText(QStringLiteral("value"));
    form.cmd_Click(2);
    QCOMPARE(f.prompts.takeBoxes(), QStringList{"Almarik (information, OK): value deleted"});
    QCOMPARE(f.rows(), (QStringList{"Value|Data", "Sub|<sub key>"}));
    QCOMPARE(form.txt[1]->text(), QString());
}

void TestRegTool::tasksAddedAndDeleted()
{
    Fixture f;
    frmRegTool &form = f.open();
    const QByteArray machine = readStoreFile(HKEY_LOCAL_MACHINE);
    form.cmd_Click(3); // no value name: nothing asked
    f.addTask(QStringLiteral("Tool"), QStringLiteral("same"));
    f.addTask(QStringLiteral("Other"), QStringLiteral("new"));
    f.addTask(QStringLiteral("Tool"), QStringLiteral("same"));
    QCOMPARE(f.prompts.takeBoxes(),
             QStringList(3, "Almarik (-, OK/Cancel): To Edit, enter new value\r\n"
                            "To Delete, leave blank"));
    const QString tool = "edit|-2147483646|" + kRun + "|Tool|same";
    const QString other = "edit|-2147483646|" + kRun + "|Other|new";
    QCOMPARE(f.tasks(), (QStringList{tool, other, tool}));
    QCOMPARE(readStoreFile(HKEY_LOCAL_MACHINE), machine); // the registry is not touched
    // The Delete key asks first; of two tasks alike only the current one goes.
    QAbstractItemModel *model = form.DataGrid1->model();
    for (MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
        f.prompts.answer(QVariant::fromValue(answer));
        form.DataGrid1->setCurrentIndex(model->index(2, 1));
        QTest::keyClick(form.DataGrid1, Qt::Key_Delete);
    }
    QCOMPARE(f.prompts.takeBoxes(),
             QStringList(2, "Almarik (question, Yes/No): Delete the task for \"Tool\"?"));
    QCOMPARE(f.tasks(), (QStringList{tool, other}));
    QCOMPARE(model->rowCount(), 2);
}

void TestRegTool::withoutTaskTable()
{
    Fixture f;
    f.db.Execute(QStringLiteral("DROP TABLE RegEdit"));
    QVERIFY(SetRegValue(HKEY_LOCAL_MACHINE, kRun, "Tool", "t.exe", f.prompts));
    frmRegTool &form = f.open();
    QCOMPARE(f.rows(), (QStringList{"Value|Data", "Tool|t.exe"})); // it still browses
    // Storing a task says why at once, before asking for a value.
    form.txt[1]->setText(QStringLiteral("Tool"));
    form.cmd_Click(3);
    const QString why = QStringLiteral("\r\nNumber : -2147217900\r\nDescription : no such table: "
                                       "RegEdit\r\nSelect File>DB Repair");
    QCOMPARE(f.prompts.takeBoxes(),
             (QStringList{"Almarik (-, OK): Error in frmRegTool.Form_Load" + why,
                          "Almarik (-, OK): Error in frmRegTool.cmd_Click" + why}));
}

void TestRegTool::taskGrid()
{
    Fixture f;
    for (const QString v : {"'a', ''", "'b', Null"})
        f.db.Execute("INSERT INTO RegEdit (Task, hKey, SubKey, [Key], NewValue) VALUES "
                     "('edit', 1, 'K', " +
                     v + ")");
    QAbstractItemModel *model = f.open().DataGrid1->model();
    auto cell = [model](int row, const char *column) {
        for (int c = 0; c < model->columnCount(); ++c) {
            if (model->headerData(c, Qt::Horizontal).toString() == QLatin1String(column))
                return model->index(row, c);
        }
        return QModelIndex();
    };
    // An empty text and a Null look different; both edit as empty.
    QCOMPARE(model->data(cell(0, "NewValue")).toString(), QString());
    QCOMPARE(model->data(cell(1, "NewValue")).toString(), QStringLiteral("(Null)"));
    QCOMPARE(model->data(cell(1, "NewValue"), Qt::EditRole).toString(), QString());
    // An edited cell is stored at once; a value the column refuses is
    // reported and nothing changes.
    QVERIFY(model->setData(cell(1, "NewValue"), QStringLiteral("second")));
    const QStringList stored{"edit|1|K|a|", "edit|1|K|b|second"};
    QCOMPARE(f.tasks(), stored);
    QVERIFY(!model->setData(cell(1, "hKey"), QStringLiteral("not a number")));
    QCOMPARE(f.prompts.boxes.size(), 1);
    QCOMPARE(f.prompts.boxes[0].icon, MsgIcon::Critical);
    QCOMPARE(f.tasks(), stored);
}

QTEST_MAIN(TestRegTool)
#include "tst_regtool.moc"
