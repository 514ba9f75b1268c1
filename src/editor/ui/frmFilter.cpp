// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ui/frmFilter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmFilter::frmFilter(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Filter"));

    Label3 = new QLabel(
        QStringLiteral("Select an Event Type and/or any part of the description to filter by:"),
        this);
    Label3->setWordWrap(true);
    Label1 = new QLabel(QStringLiteral("Event Type"), this);
    Combo1 = new QComboBox(this);
    // Typing is allowed, but only a type picked from the list is taken.
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    // No completion: a typed name must never become a choice by itself.
    Combo1->setCompleter(nullptr);
    // Enter in the box applies, before the box could take the typed text
    // as a choice of its own.
    Combo1->installEventFilter(this);
    Label2 = new QLabel(QStringLiteral("Description"), this);
    txt = new QLineEdit(this);
    Check1 = new QCheckBox(QStringLiteral("Only Show Once events"), this);
    cmd[0] = new QPushButton(QStringLiteral("Apply"), this);
    cmd[1] = new QPushButton(QStringLiteral("Cancel"), this);

    auto *grid = new QGridLayout(this);
    grid->addWidget(Label3, 0, 0, 1, 2);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(Combo1, 1, 1);
    grid->addWidget(Label2, 2, 0);
    grid->addWidget(txt, 2, 1);
    grid->addWidget(Check1, 3, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    // Enter presses Apply (or the button that has the focus).
    cmd[0]->setDefault(true);
    for (int i = 0; i < 2; ++i) {
        buttons->addWidget(cmd[i]);
        connect(cmd[i], &QPushButton::clicked, this, [this, i] { cmd_Click(i); });
    }
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    Label1->setBuddy(Combo1);
    Label2->setBuddy(txt);
}

void frmFilter::Form_Load()
{
    filtertype.clear();
    filterdescr.clear();
    filterOnce = false;
    // Filling the list selects its first item; the dialog opens with none.
    Combo1->setCurrentIndex(-1);
}

void frmFilter::cmd_Click(int index)
{
    if (index == 0) {
        // An item counts as selected only while the box shows it unchanged;
        // text typed over it is not a choice from the list.
        const int selected = Combo1->currentIndex();
        if (selected >= 0 && Combo1->currentText() == Combo1->itemText(selected))
            filtertype = Combo1->itemText(selected);
        filterdescr = txt->text();
        filterOnce = Check1->isChecked();
        accept();
    } else if (index == 1) {
        filtertype.clear();
        filterdescr.clear();
        filterOnce = false;
        reject();
    }
}

bool frmFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Combo1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cmd_Click(0);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
