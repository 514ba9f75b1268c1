// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The editor's Tools menu: the share file export and import, the two
// Outlook holiday file exports and the calendar exchange (iCalendar export
// and import, birthdays from vCard files), from the file dialog to the
// closing message.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "platform/AppError.h"
#include "platform/Clock.h"

class Connection;
class Prompts;
class QWidget;
class RecordSet;
struct ImportCandidate;
class QProgressDialog;

class ExchangeCommands final
{
public:
    // Every change to rs's rows goes through alter (so that a grid over it
    // can follow); refresh is the editor's refresh_Data.
    using Alter = std::function<void(const std::function<void()> &)>;
    ExchangeCommands(QWidget *owner, Connection &db, RecordSet &rs, Prompts &prompts, Alter alter,
                     std::function<void()> refresh);

    // 0 and 1 the Outlook variants, 3 the share file export, 4 the import;
    // 6 the iCalendar export, 7 its import, 8 the vCard import; 2 and 5
    // (the separators) do nothing. Errors are recorded as the steps run
    // and reported once at the end.
    void mnuTools_Click(int index);

    // How long the Office 2000/XP export waits for the Notepad window.
    int notepadWaitMs = 10000;
    // How long the typing into it, or the reading of a calendar file, runs
    // before its progress is shown.
    int typingProgressDelayMs = 500;
    // Stamps the iCalendar export; its day decides which imported one-off
    // events are past.
    Clock clock = appClock();

private:
    // The file dialog, the year for the Outlook variants, the requery and
    // count. "" when the command is to stop (a message already shown when
    // one was due).
    QString ChooseExchangeFile(int index, QString *year, int *count);
    int ImportShareFile(const QString &file);
    // 7 and 8: reads the file, then lets the user choose; the number
    // inserted (0, recorded, when the file could not be read; -1 when the
    // user stopped the reading).
    int ImportCalendarFile(int index, const QString &file);
    // A window-modal progress box with Cancel, shown once the work has run
    // for typingProgressDelayMs.
    std::unique_ptr<QProgressDialog> progressBox(const QString &text, int maximum);
    // The selection dialog over the candidates and the inserts of the
    // chosen ones; the number inserted.
    int ImportChosen(QList<ImportCandidate> &candidates);
    // False when it stopped with a message of its own (Notepad not reached,
    // or the typing cancelled).
    bool ExportOutlookHolidays(int index, const QString &file, const QString &year);
    void FinishToolsCommand(int index, int count, const QString &year);
    // Runs one step; a failure is recorded for FinishToolsCommand.
    void step(const std::function<void()> &work);
    // The same under the wait cursor: the long reads and writes of a file.
    void busyStep(const std::function<void()> &work);

    QWidget *m_owner;
    Connection &m_db;
    RecordSet &m_rs;
    Prompts &m_prompts;
    Alter m_alter;
    std::function<void()> m_refresh;
    std::optional<AppError> m_error;
    QStringList m_skipped; // for the closing message of 7 and 8
};

// The Outlook dialogs' Windows folders do not exist here: folder when it
// exists, else the user's home folder.
QString existingFolderOr(const QString &folder);

// The message for a failed file dialog ("" for Cancel).
QString fileDialogFailureMessage(const AppError &error);
