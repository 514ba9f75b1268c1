// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The single event dialog: creates one event, or changes or deletes the one
// its caller names through oriDates and oriDescription. It reads the event
// itself and writes through ValidateEvent, SaveEvent and DeleteEvent; the
// caller refreshes its own list after every close.

#include "editing/EventRecord.h"
#include "platform/Clock.h"
#include "widgets/Modal.h"

#include <QDialog>
#include <QVariant>
#include <array>

class Connection;
class Prompts;
class QCheckBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class TextBox;

class frmSingle final : public QDialog, public LoadsOnShow
{
    Q_OBJECT
public:
    // Reads and writes the event through db, asks through prompts; a new
    // event starts on the clock's day.
    frmSingle(Connection &db, Prompts &prompts, Clock clock, QWidget *parent = nullptr);
    // Over the shared connection, the program's prompts and clock.
    explicit frmSingle(QWidget *parent = nullptr);

    // Set by the caller before showing: the day and description of the event
    // to edit; an empty (or unset) description means a new event.
    QVariant oriDates;
    QVariant oriDescription;

    void Form_Load() override;

    // Fills the dialog and oriEvent from the table; false when a step failed
    // (the dialog does not act on it).
    bool LoadEvent();
    // Enables Save exactly when the form differs from oriEvent; returns that.
    bool CheckForChanges();
    EventRecord ReadForm() const;

    // 0 Cancel, 1 Save, 2 Delete.
    void cmd_Click(int index);
    void cmdList_Click();
    void ListView1_ItemClick(QListWidgetItem *item);
    void Form_Click();
    void Picture1_Click();
    void txt_Change(int index);
    void txt_KeyDown(int index);
    void txt_MouseDown(int index);
    void Check1_Click();
    void DPick_Change();

    // The event as read from the table (empty Description: not in the table).
    const EventRecord &loadedEvent() const { return oriEvent; }
    // The key of the picture Picture1 shows, "" when none.
    QString pictureKey() const { return m_pictureKey; }

    // Controls, public so that callers' tests can drive the dialog.
    std::array<QLabel *, 4> Label1{};
    std::array<TextBox *, 3> txt{}; // 0 description, 1 details, 2 type
    QDateEdit *DPick = nullptr;
    QPushButton *cmdList = nullptr;
    QLabel *Picture1 = nullptr;
    QListWidget *ListView1 = nullptr;
    QCheckBox *Check1 = nullptr;
    std::array<QPushButton *, 3> cmd{}; // 0 Cancel, 1 Save, 2 Delete

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void setListShown(bool shown);
    void showPicture(const QString &key);
    void clearForm();

    Connection &m_db;
    Prompts &m_prompts;
    Clock m_clock;
    EventRecord oriEvent;
    QString m_pictureKey;
    bool m_loading = false; // values set by the program raise no CheckForChanges
};
