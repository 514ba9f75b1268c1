// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The SQL builder: composes a one-column UPDATE or a DELETE of Calendar rows
// from two column pickers and two value boxes, and runs whatever its output
// box holds inside a transaction that the user commits or rolls back.

#include "widgets/Modal.h"

class Connection;
class Prompts;

#include <QDialog>
#include <QString>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frmSQL final : public QDialog, public LoadsOnShow
{
    Q_OBJECT
public:
    // Runs its statements on db and asks through prompts.
    frmSQL(Connection &db, Prompts &prompts, QWidget *parent = nullptr);
    // Over the shared connection and the program's prompts.
    explicit frmSQL(QWidget *parent = nullptr);

    // The last statement Run started; it outlives the window for the
    // program's whole run.
    static inline QString lastSQL;

    // Offers lastSQL again in the output box.
    void Form_Load() override;

    // 0 when "Update" is selected, else 1 when "Delete" is, else -1.
    int SelectedMode() const;
    // Fills txt[2] from the inputs; runs on every change of txt[0] or txt[1].
    void BuildSQL();
    // Runs txt[2] in a transaction and asks whether to commit
    // (runBuilderStatement); the text stays where it is, whatever happens.
    void RunSQL();
    void optStart_Click(int index);
    // 0 Close, 1 Run, 2 Clear.
    void cmd_Click(int index);
    void txt_Change(int index);

    bool transactionOpen() const { return m_transactionOpen; }

    QGroupBox *Frame1 = nullptr;
    std::array<QRadioButton *, 2> optStart{};
    std::array<QLabel *, 2> Label2{};
    std::array<QComboBox *, 2> Combo{};
    QLabel *Label1 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    std::array<QLineEdit *, 3> txt{};
    std::array<QPushButton *, 3> cmd{};

public slots:
    // Refuses to close while the commit question holds a transaction open.
    void done(int result) override;

private:
    void buildControls();

    Connection &m_db;
    Prompts &m_prompts;
    bool m_transactionOpen = false;
};
