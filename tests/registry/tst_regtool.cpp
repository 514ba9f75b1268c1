// SPDX-License-Identifier: GPL-3.0-or-later
// The registry tool window: browsing up and down, the immediate delete, and
// the tasks it stores, shows, edits and deletes (and without their table).

#include "RegTestSupport.h"
#include "registry/ui/MSFlexGrid.h"
#include "registry/ui/frmRegTool.h"

#include <QLineEdit>
#include <QTableView>
#include <QTest>

namespace {

// The grid's rows, the header first, as "name|data".
QStringList rows(const frmRegTool &form)
{
    QStringList out;
    for (int r = 0; r < form.Grid->Rows(); ++r)
        out << form.Grid->TextMatrix(r, 0) + QLatin1Char('|') + form.Grid->TextMatrix(r, 1);
    return out;
}

} // namespace

class TestRegTool : public QObject
{
    Q_OBJECT
private slots:
    void browsingAndTasks();
};

void TestRegTool::browsingAndTasks()
{
    TestDatabase f;
    QVERIFY(SetRegValue(HKEY_LOCAL_MACHINE, kRun + "Sub", "inner", "2", f.prompts));
    QVERIFY(SetRegValue(HKEY_LOCAL_MACHINE, kRun, "value", "3", f.prompts));
    auto form = std::make_unique<frmRegTool>(f.db, f.prompts);
    form->Form_Load(); // at HKEY_LOCAL_MACHINE's Run key
    // A subkey row: the double-click descends; back one level again.
    form->Grid->setRowCol(1, 1);
    form->Grid_DblClick();
    QCOMPARE(rows(*form), (QStringList{"Value|Data", "inner|2"}));
    form->cmd_Click(0);
    // A value row's click copies its name; the delete acts at once, says so
    // and lists again.
    form->Grid->setRowCol(2, 1);
    form->Grid_Click();
    form->cmd_Click(2);
    QCOMPARE(f.prompts.takeBoxes(), QStringList{"Almarik (information, OK): value deleted"});
    QCOMPARE(rows(*form), (QStringList{"Value|Data", "Sub|<sub key>"}));
    QCOMPARE(form->txt[1]->text() + form->txt[0]->text(), kRun);
    // "add to list" stores tasks, one for each answer.
    const QByteArray machine = readStoreFile(HKEY_LOCAL_MACHINE);
    form->cmd_Click(3); // no value name: nothing asked
    form->txt[1]->setText(QStringLiteral("Tool"));
    for (int i = 0; i < 2; ++i) {
        f.prompts.answer(QStringLiteral("same"));
        form->cmd_Click(3);
    }
    QCOMPARE(f.prompts.takeBoxes(),
             QStringList(2, "Almarik (-, OK/Cancel): To Edit, enter new value\r\n"
                            "To Delete, leave blank"));
    const QString tool = "edit|-2147483646|" + kRun + "|Tool|same";
    QCOMPARE(storedTasks(f.db), (QStringList{tool, tool}));
    QCOMPARE(readStoreFile(HKEY_LOCAL_MACHINE), machine); // the registry is not touched
    // The Delete key asks first; of two tasks alike only the current one goes.
    for (MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
        f.prompts.answer(QVariant::fromValue(answer));
        form->DataGrid1->setCurrentIndex(form->DataGrid1->model()->index(1, 1));
        QTest::keyClick(form->DataGrid1, Qt::Key_Delete);
    }
    QCOMPARE(f.prompts.takeBoxes(),
             QStringList(2, "Almarik (question, Yes/No): Delete the task for \"Tool\"?"));
    QCOMPARE(storedTasks(f.db), QStringList{tool});
    QAbstractItemModel *model = form->DataGrid1->model();
    QCOMPARE(model->rowCount(), 1);
    // An edited cell (hKey, SubKey, Key, Task, NewValue) is stored at once, a
    // Null one shown so; a value the column refuses is reported and nothing
    // changes.
    QVERIFY(model->setData(model->index(0, 4), QVariant()));
    QCOMPARE(model->data(model->index(0, 4)).toString(), QStringLiteral("(Null)"));
    QVERIFY(!model->setData(model->index(0, 0), QStringLiteral("not a number")));
    const QStringList refused = f.prompts.takeBoxes();
    QVERIFY(refused.size() == 1 && refused[0].startsWith("Almarik (critical, OK): "));
    QCOMPARE(storedTasks(f.db), QStringList{"edit|-2147483646|" + kRun + "|Tool|"});
    // Without the task table the window still browses; storing a task says
    // why at once, before asking for a value.
    f.db.Execute(QStringLiteral("DROP TABLE RegEdit"));
    form = std::make_unique<frmRegTool>(f.db, f.prompts);
    form->Form_Load();
    QCOMPARE(rows(*form), (QStringList{"Value|Data", "Sub|<sub key>"}));
    form->txt[1]->setText(QStringLiteral("Tool"));
    form->cmd_Click(3);
    const QString why = QStringLiteral("\r\nNumber : -2147217900\r\nDescription : no such table: "
                                       "RegEdit\r\nSelect File>DB Repair");
    QCOMPARE(f.prompts.takeBoxes(),
             (QStringList{"Almarik (-, OK): Error in frmRegTool.Form_Load" + why,
                          "Almarik (-, OK): Error in frmRegTool.cmd_Click" + why}));
}

QTEST_MAIN(TestRegTool)
#include "tst_regtool.moc"
