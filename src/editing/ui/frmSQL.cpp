// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/ui/frmSQL.h"

#include "editing/EditRules.h"
#include "editing/SqlBuilderRun.h"
#include "platform/Prompts.h"
#include "store/SharedDb.h"
#include "widgets/Twips.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

frmSQL::frmSQL(QWidget *parent) : frmSQL(sharedDb().dbConnection, appPrompts(), parent) {}

frmSQL::frmSQL(Connection &db, Prompts &prompts, QWidget *parent)
    : QDialog(parent), m_db(db), m_prompts(prompts)
{
    setWindowTitle(QStringLiteral("SQL Builder"));
    buildControls();
}

void frmSQL::buildControls()
{
    const QSize client = twipsRect(0, 0, 8790, 2670).size();
    setFixedSize(client);

    Frame1 = new QGroupBox(QStringLiteral("Calendar Table"), this);
    Frame1->setGeometry(twipsRect(120, 120, 1575, 1215));
    optStart[0] = new QRadioButton(QStringLiteral("Update"), Frame1);
    optStart[0]->setGeometry(twipsRect(240, 360, 1095, 255));
    optStart[1] = new QRadioButton(QStringLiteral("Delete"), Frame1);
    optStart[1]->setGeometry(twipsRect(240, 720, 1095, 255));
    optStart[0]->setChecked(true);

    Label2[0] = new QLabel(QStringLiteral("Set"), this);
    Label2[0]->setGeometry(twipsRect(1800, 435, 615, 255));
    Label2[1] = new QLabel(QStringLiteral("Where"), this);
    Label2[1]->setGeometry(twipsRect(1800, 930, 615, 255));

    const QStringList columns = {QStringLiteral("Dates"), QStringLiteral("icon"),
                                 QStringLiteral("Description"), QStringLiteral("Details"),
                                 QStringLiteral("ShowOnce")};
    const std::array<QRect, 2> comboRects = {twipsRect(2400, 435, 2055, 315),
                                             twipsRect(2400, 885, 2055, 315)};
    for (int i = 0; i < 2; ++i) {
        Combo[i] = new QComboBox(this);
        Combo[i]->setEditable(true);
        Combo[i]->setInsertPolicy(QComboBox::NoInsert);
        Combo[i]->addItems(columns);
        Combo[i]->setCurrentIndex(-1);
        Combo[i]->setGeometry(comboRects[i]);
    }

    Label3 = new QLabel(QStringLiteral("="), this);
    Label3->setGeometry(twipsRect(4560, 555, 255, 135));
    Label4 = new QLabel(QStringLiteral("="), this);
    Label4->setGeometry(twipsRect(4560, 960, 255, 135));
    // The "=" labels are shorter than a line of text; let them show it whole.
    for (QLabel *equals : {Label3, Label4}) {
        equals->setAlignment(Qt::AlignCenter);
        const QRect r = equals->geometry();
        equals->setGeometry(r.adjusted(0, -r.height() / 2, 0, r.height() / 2));
    }

    const std::array<QRect, 3> txtRects = {twipsRect(4800, 435, 3855, 285),
                                           twipsRect(4800, 885, 3855, 285),
                                           twipsRect(120, 1680, 8535, 285)};
    for (int i = 0; i < 3; ++i) {
        txt[i] = new QLineEdit(this);
        txt[i]->setGeometry(txtRects[i]);
    }
    Label1 = new QLabel(QStringLiteral("SQL Output"), this);
    // Widened to the right, where nothing lies, when the font needs more
    // room than the design gave.
    QRect output = twipsRect(120, 1440, 855, 255);
    output.setWidth(std::max(output.width(), Label1->sizeHint().width()));
    Label1->setGeometry(output);

    const std::array<QString, 3> captions = {QStringLiteral("Close"), QStringLiteral("Run"),
                                             QStringLiteral("Clear")};
    const std::array<QRect, 3> cmdRects = {twipsRect(7560, 2160, 1095, 375),
                                           twipsRect(6120, 2160, 1095, 375),
                                           twipsRect(4680, 2160, 1095, 375)};
    for (int i = 0; i < 3; ++i) {
        cmd[i] = new QPushButton(captions[i], this);
        cmd[i]->setGeometry(cmdRects[i]);
        // Enter in a box must not run or clear anything by itself.
        cmd[i]->setAutoDefault(false);
        connect(cmd[i], &QPushButton::clicked, this, [this, i] { cmd_Click(i); });
    }
    for (int i = 0; i < 2; ++i) {
        connect(optStart[i], &QRadioButton::clicked, this, [this, i] { optStart_Click(i); });
        connect(txt[i], &QLineEdit::textChanged, this, [this, i] { txt_Change(i); });
    }
}

void frmSQL::Form_Load()
{
    txt[2]->setText(lastSQL);
}

int frmSQL::SelectedMode() const
{
    if (optStart[0]->isChecked())
        return 0;
    return optStart[1]->isChecked() ? 1 : -1;
}

void frmSQL::BuildSQL()
{
    const int mode = SelectedMode();
    txt[2]->setText(builtStatement(mode == 0   ? SqlMode::Update
                                   : mode == 1 ? SqlMode::Delete
                                               : SqlMode::None,
                                   Combo[0]->currentText(), txt[0]->text(), Combo[1]->currentText(),
                                   txt[1]->text()));
}

void frmSQL::txt_Change(int index)
{
    if (index == 0 || index == 1)
        BuildSQL();
}

void frmSQL::optStart_Click(int index)
{
    const bool shown = index == 0;
    Label2[0]->setVisible(shown);
    Combo[0]->setVisible(shown);
    Label3->setVisible(shown);
    txt[0]->setVisible(shown);
}

void frmSQL::RunSQL()
{
    const QString text = txt[2]->text();
    if (text.isEmpty())
        return;
    lastSQL = text;
    // The boxes below must not let the window close while the transaction
    // waits for the answer.
    m_transactionOpen = true;
    runBuilderStatement(m_db, m_prompts, text);
    m_transactionOpen = false;
}

void frmSQL::cmd_Click(int index)
{
    switch (index) {
    case 0:
        close();
        break;
    case 1:
        RunSQL();
        break;
    case 2:
        txt[0]->clear();
        txt[1]->clear();
        txt[2]->clear();
        Combo[0]->setCurrentIndex(-1);
        Combo[0]->setEditText(QString());
        Combo[1]->setCurrentIndex(-1);
        Combo[1]->setEditText(QString());
        break;
    default:
        break;
    }
}

void frmSQL::done(int result)
{
    if (m_transactionOpen)
        return;
    QDialog::done(result);
}
