// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The filter dialog: asks which events the editor is to show and leaves the
// answer in three public variables; the editor builds and applies the filter.

#include "widgets/Modal.h"

#include <QDialog>
#include <QString>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frmFilter final : public QDialog, public LoadsOnShow
{
    Q_OBJECT
public:
    explicit frmFilter(QWidget *parent = nullptr);

    // The answer; all three at their load values mean "no new filter".
    QString filtertype;  // a type key, "" for any type
    QString filterdescr; // a part of the description, "" for any
    bool filterOnce = false;

    // Puts the three variables back to their load values.
    void Form_Load() override;
    // 0 Apply, 1 Cancel; either closes the window.
    void cmd_Click(int index);

    QLabel *Label3 = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *Combo1 = nullptr; // filled by the caller: type keys, picture index as item data
    QLabel *Label2 = nullptr;
    QLineEdit *txt = nullptr;
    QCheckBox *Check1 = nullptr;
    std::array<QPushButton *, 2> cmd{};

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
