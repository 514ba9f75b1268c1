// SPDX-License-Identifier: GPL-3.0-or-later
#include "registry/ui/frmRegTool.h"

#include "platform/Prompts.h"
#include "registry/ErrorText.h"
#include "registry/REG_MODULE.h"
#include "registry/TaskGridModel.h"
#include "registry/TaskTable.h"
#include "registry/ui/MSFlexGrid.h"
#include "store/SharedDb.h"
#include "widgets/Twips.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kTaskSource = QStringLiteral("SELECT * FROM RegEdit");
const QString kCmdClick = QStringLiteral("frmRegTool.cmd_Click");

} // namespace

frmRegTool::frmRegTool(QWidget *parent) : frmRegTool(sharedDb().dbConnection, appPrompts(), parent)
{
}

frmRegTool::frmRegTool(Connection &db, Prompts &prompts, QWidget *parent)
    : QDialog(parent), m_db(db), m_prompts(prompts)
{
    setWindowTitle(QStringLiteral("Form1"));

    opt[0] = new QRadioButton(QStringLiteral("HKEY_CURRENT_USER"), this);
    opt[1] = new QRadioButton(QStringLiteral("HKEY_LOCAL_MACHINE"), this);
    opt[1]->setChecked(true);
    Label1 = new QLabel(QStringLiteral("Folder"), this);
    Label2 = new QLabel(QStringLiteral("Key"), this);
    txt[0] =
        new QLineEdit(QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\"), this);
    txt[1] = new QLineEdit(this);
    Label1->setBuddy(txt[0]);
    Label2->setBuddy(txt[1]);

    Grid = new MSFlexGrid(2, this);
    connect(Grid, &QTableWidget::cellClicked, this, [this] { Grid_Click(); });
    connect(Grid, &QTableWidget::cellDoubleClicked, this, [this] { Grid_DblClick(); });

    const QStringList captions = {QStringLiteral("back one level"), QStringLiteral("Refresh list"),
                                  QStringLiteral("delete selected value"),
                                  QStringLiteral("add to list")};
    for (int i = 0; i < 4; ++i) {
        cmd[size_t(i)] = new QPushButton(captions[i], this);
        // Enter in a text box must not press a button by surprise.
        cmd[size_t(i)]->setAutoDefault(false);
        connect(cmd[size_t(i)], &QPushButton::clicked, this, [this, i] { cmd_Click(i); });
    }
    cmd[1]->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    cmd[3]->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));

    m_taskModel = new TaskGridModel(this);
    // The model refuses without a word; the window says why.
    connect(m_taskModel, &TaskGridModel::refused, this, [this](const QString &reason) {
        m_prompts.MsgBox(reason, MsgButtons::OkOnly, MsgIcon::Critical);
    });
    DataGrid1 = new QTableView(this);
    DataGrid1->setModel(m_taskModel);
    DataGrid1->installEventFilter(this);

    auto *roots = new QHBoxLayout;
    roots->addWidget(opt[0]);
    roots->addWidget(opt[1]);
    roots->addStretch();
    auto *fields = new QGridLayout;
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(txt[0], 0, 1);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(txt[1], 1, 1);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : cmd)
        buttons->addWidget(button);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(roots);
    layout->addLayout(fields);
    layout->addWidget(Grid, 3);
    layout->addLayout(buttons);
    layout->addWidget(DataGrid1, 2);
    resize(twipsToPixels(11800), twipsToPixels(8400));
}

frmRegTool::~frmRegTool()
{
    Form_Unload();
}

void frmRegTool::Form_Load()
{
    Grid->setColWidth(0, 3000);
    Grid->setColWidth(1, 8000);
    RefreshKeyList();
    // Without its table the window still browses; storing a task then
    // reports the closed record set.
    runStep(QStringLiteral("frmRegTool.Form_Load"), m_prompts, [this] {
        taskRecords.setCursorLocation(adUseClient);
        taskRecords.Open(kTaskSource, m_db, adOpenDynamic, adLockOptimistic);
        RefreshTaskGrid();
    });
}

void frmRegTool::Form_Unload()
{
    m_taskModel->rebind(nullptr);
    taskRecords.Close();
}

void frmRegTool::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

qint32 frmRegTool::SelectedRoot() const
{
    return opt[0]->isChecked() ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

void frmRegTool::RefreshKeyList()
{
    Grid->Clear();
    Grid->setRows(1);
    ListSubKeys(SelectedRoot(), txt[0]->text(), Grid, m_prompts);
    ListValues(SelectedRoot(), txt[0]->text(), Grid, m_prompts);
    if (Grid->Rows() >= 2)
        Grid->setFormatString(QStringLiteral("<Value|<Data"));
    txt[1]->clear();
    Grid->setColWidth(0, 3000);
    Grid->setColWidth(1, 8000);
}

bool frmRegTool::UpOneLevel(const QString &path)
{
    const std::optional<QString> parent = parentKeyPath(path);
    if (parent)
        txt[0]->setText(*parent);
    return parent.has_value();
}

void frmRegTool::RefreshTaskGrid()
{
    m_taskModel->rebind(&taskRecords, [this] { taskRecords.Requery(); });
    // Key paths are long: each column as wide as its widest text.
    DataGrid1->resizeColumnsToContents();
}

bool frmRegTool::eventFilter(QObject *watched, QEvent *event)
{
    // Only the grid's own keys: a cell being edited keeps Delete for itself.
    if (watched == DataGrid1 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        DataGrid1_KeyDelete();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmRegTool::DataGrid1_KeyDelete()
{
    const int row = DataGrid1->currentIndex().row();
    const int column = DataGrid1->currentIndex().column();
    if (row < 0 || !taskRecords.isOpen())
        return;
    runStep(QStringLiteral("frmRegTool.DataGrid1_KeyDown"), m_prompts, [&] {
        const QVariant key =
            taskRecords.valueAt(row, taskRecords.fieldIndex(QStringLiteral("key")));
        if (m_prompts.MsgBox(deleteTaskQuestion(key.toString()), MsgButtons::YesNo,
                             MsgIcon::Question) != MsgResult::Yes)
            return;
        DeleteTask(m_db, taskRecords.rowidAt(row));
        RefreshTaskGrid();
        // The next task becomes current, where the user was looking.
        DataGrid1->setCurrentIndex(
            m_taskModel->index(std::min(row, m_taskModel->rowCount() - 1), column));
    });
}

void frmRegTool::Grid_Click()
{
    if (Grid->Row() >= 1) {
        Grid->setRowCol(Grid->Row(), 0);
        txt[1]->setText(Grid->TextMatrix(Grid->Row(), 0));
    }
}

void frmRegTool::Grid_DblClick()
{
    const int row = Grid->Row();
    if (row >= 1 && Grid->TextMatrix(row, 1) == QLatin1String("<sub key>")) {
        txt[0]->setText(txt[0]->text() + Grid->TextMatrix(row, 0) + QLatin1Char('\\'));
        RefreshKeyList();
    }
}

void frmRegTool::cmd_Click(int index)
{
    switch (index) {
    case 0:
        runStep(kCmdClick, m_prompts, [this] {
            if (UpOneLevel(txt[0]->text()))
                RefreshKeyList();
        });
        break;
    case 1:
        runStep(kCmdClick, m_prompts, [this] { RefreshKeyList(); });
        break;
    case 2: {
        bool deleted = false;
        runStep(kCmdClick, m_prompts, [&] {
            deleted = DeleteRegKeyValue(SelectedRoot(), txt[0]->text(), txt[1]->text(), m_prompts);
        });
        if (deleted) {
            runStep(kCmdClick, m_prompts, [this] {
                m_prompts.MsgBox(txt[1]->text() + QStringLiteral(" deleted"), MsgButtons::OkOnly,
                                 MsgIcon::Information);
            });
            txt[1]->clear();
            runStep(kCmdClick, m_prompts, [this] { RefreshKeyList(); });
        }
        break;
    }
    case 3:
        if (!txt[1]->text().isEmpty())
            addToList();
        break;
    default:
        break;
    }
}

void frmRegTool::addToList()
{
    // The table is checked before the user types an answer that could not
    // be stored.
    bool ready = false;
    runStep(kCmdClick, m_prompts, [&] {
        CheckTaskTable(m_db);
        if (!taskRecords.isOpen()) {
            taskRecords.setCursorLocation(adUseClient);
            taskRecords.Open(kTaskSource, m_db, adOpenDynamic, adLockOptimistic);
        }
        ready = true;
    });
    if (!ready)
        return;
    const QString answer =
        m_prompts.InputBox(QStringLiteral("To Edit, enter new value\r\nTo Delete, leave blank"));
    runStep(kCmdClick, m_prompts, [&] {
        taskRecords.AddNew();
        try {
            const TaskRow task = taskRowFor(SelectedRoot(), txt[0]->text(), txt[1]->text(), answer);
            taskRecords.setField(QStringLiteral("hKey"), task.hKey);
            taskRecords.setField(QStringLiteral("SubKey"), task.SubKey);
            taskRecords.setField(QStringLiteral("key"), task.key);
            taskRecords.setField(QStringLiteral("Task"), task.Task);
            taskRecords.setField(QStringLiteral("NewValue"), task.NewValue);
            taskRecords.Update();
        } catch (...) {
            taskRecords.CancelUpdate();
            throw;
        }
    });
    runStep(kCmdClick, m_prompts, [this] { RefreshTaskGrid(); });
}
