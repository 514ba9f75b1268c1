// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ui/ExchangeCommands.h"

#include "editor/AccessImport.h"
#include "editor/HolidayFile.h"
#include "editor/ICalendarFile.h"
#include "editor/KeyNotation.h"
#include "editor/ShareFile.h"
#include "editor/VCardFile.h"
#include "editor/ui/ImportListModel.h"
#include "editor/ui/KeySender.h"
#include "editor/ui/NotepadProgram.h"
#include "editor/ui/frmImport.h"
#include "platform/Prompts.h"
#include "store/RecordSet.h"
#include "widgets/Modal.h"
#include "widgets/WaitCursor.h"

#include <QApplication>
#include <QCheckBox>
#include <QDate>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>

namespace {

const QString kShareTitle = QStringLiteral("Select or Name a Almarik Export File");
const QString kShareFilter =
    QStringLiteral("Almarik Export File(*.Txt)|Almarik*.Txt|All Files (*.*)|*.*");
const QString kOutlookTitle = QStringLiteral("Select a Outlook Filename to append");
const QString kOutlookFilter = QStringLiteral(
    "Outlook Holiday File(*.Txt;*.Hol)|Outlook*.Txt;Outlook.Hol|All Files (*.*)|*.*");
const QString kNotOpened = QStringLiteral("Holiday file not opened");
const QString kICalendarFilter = QStringLiteral("iCalendar File(*.ics)|*.ics|All Files (*.*)|*.*");
const QString kVCardFilter = QStringLiteral("vCard File(*.vcf)|*.vcf|All Files (*.*)|*.*");
const QString kAccessTitle = QStringLiteral("Import Events from Access Database");
const QString kAccessFilter =
    QStringLiteral("Access Databases (*.mdb *.MDB)|*.mdb;*.MDB|All Files (*.*)|*.*");

// The commands that read a file into the table.
bool isImport(int index)
{
    return index == 4 || index == 7 || index == 8 || index == 9;
}

bool isFileAccessError(int number)
{
    switch (number) {
    case 52:
    case 53:
    case 57:
    case 64:
    case 71:
    case 72:
    case 75:
    case 76:
        return true;
    default:
        return false;
    }
}

} // namespace

QString existingFolderOr(const QString &folder)
{
    return QDir(folder).exists() ? folder : QDir::homePath();
}

QString fileDialogFailureMessage(const AppError &error)
{
    if (error.number() == ErrNo::DialogCancelled)
        return QString();
    const QString number = QLatin1Char(' ') + QString::number(error.number());
    if (isFileAccessError(error.number()))
        return QStringLiteral("Database access Error, unable to load. ") + error.description() +
               number;
    return QStringLiteral("Error- ") + error.description() + number;
}

ExchangeCommands::ExchangeCommands(QWidget *owner, Connection &db, RecordSet &rs, Prompts &prompts,
                                   Alter alter, std::function<void()> refresh)
    : m_owner(owner), m_db(db), m_rs(rs), m_prompts(prompts), m_alter(std::move(alter)),
      m_refresh(std::move(refresh))
{
}

void ExchangeCommands::step(const std::function<void()> &work)
{
    try {
        work();
    } catch (const AppError &e) {
        m_error = e;
    } catch (const std::exception &e) {
        m_error = AppError(ErrNo::InvalidCall, QString::fromLocal8Bit(e.what()));
    }
}

void ExchangeCommands::busyStep(const std::function<void()> &work)
{
    const WaitCursor wait;
    step(work);
}

void ExchangeCommands::mnuTools_Click(int index)
{
    if (index < 0 || index > 9 || index == 2 || index == 5)
        return;
    m_error.reset();
    QString year;
    int count = 0;
    const QString file = ChooseExchangeFile(index, &year, &count);
    if (file.isEmpty())
        return;
    if (index == 3) {
        busyStep([&] { count = ExportShareFile(m_rs, file); });
    } else if (index == 6) {
        busyStep([&] { count = ExportICalendarFile(m_rs, file, clock()); });
    } else if (index == 7 || index == 8 || index == 9) {
        count = ImportCalendarFile(index, file);
        if (count < 0)
            return; // the user stopped the reading
    } else if (index == 4) {
        count = ImportShareFile(file);
        if (count < 0)
            return; // not a share file: said so, nothing touched
    } else {
        if (!ExportOutlookHolidays(index, file, year))
            return; // Notepad could not be reached: said so
    }
    FinishToolsCommand(index, count, year);
}

QString ExchangeCommands::ChooseExchangeFile(int index, QString *year, int *count)
{
    const bool share = index >= 3;
    QString file;
    try {
        if (isImport(index)) {
            try {
                if (index == 4)
                    file = m_prompts.OpenFileDialog(kShareTitle, kShareFilter, QString(),
                                                    QStringLiteral("Almarik.Txt"));
                else if (index == 7)
                    file = m_prompts.OpenFileDialog(QStringLiteral("Import iCalendar File"),
                                                    kICalendarFilter, QString(), QString());
                else if (index == 9)
                    file =
                        m_prompts.OpenFileDialog(kAccessTitle, kAccessFilter, QString(), QString());
                else
                    file =
                        m_prompts.OpenFileDialog(QStringLiteral("Import Birthdays from vCard File"),
                                                 kVCardFilter, QString(), QString());
            } catch (...) {
                // The filter is cleared whatever the dialog answered.
                m_alter([this] { m_rs.setFilter(QString()); });
                throw;
            }
            m_alter([this] { m_rs.setFilter(QString()); });
        } else if (index == 6) {
            file =
                m_prompts.SaveFileDialog(QStringLiteral("Export iCalendar File"), kICalendarFilter,
                                         QString(), QStringLiteral("Almarik.ics"));
        } else if (share) {
            file = m_prompts.SaveFileDialog(kShareTitle, kShareFilter, QString(),
                                            QStringLiteral("Almarik.Txt"));
        } else {
            file = m_prompts.SaveFileDialog(
                kOutlookTitle, kOutlookFilter,
                existingFolderOr(
                    index == 0
                        ? QStringLiteral("c:\\program files\\microsoft office\\office")
                        : QStringLiteral("C:\\Program Files\\Microsoft Office\\Office10\\1033")),
                index == 0 ? QStringLiteral("Outlook.Txt") : QStringLiteral("Outlook.Hol"),
                false); // the section is appended to the chosen file
        }
    } catch (const AppError &e) {
        const QString message = fileDialogFailureMessage(e);
        if (!message.isEmpty())
            m_prompts.MsgBox(message, MsgButtons::OkOnly);
        return QString();
    }
    if (!share) {
        *year = m_prompts.InputBox(
            QStringLiteral("Enter the Calendar Year to create Almarik's Event list. (format yyyy)"),
            QStringLiteral("Outlook Holiday Import File"),
            QString::number(clock().date().year()).rightJustified(4, QLatin1Char('0')));
        if (year->size() != 4)
            return QString();
    }
    step([this] { m_alter([this] { m_rs.Requery(); }); });
    *count = m_rs.RecordCount();
    if (file.isEmpty() || (*count == 0 && !isImport(index)))
        return QString();
    return file;
}

int ExchangeCommands::ImportShareFile(const QString &file)
{
    QList<ImportCandidate> candidates;
    bool isShareFile = true;
    busyStep([&] { isShareFile = readShareFile(file, &candidates); });
    if (!isShareFile) {
        m_prompts.MsgBox(QStringLiteral("Not a Almarik Export File!"), MsgButtons::OkOnly);
        return -1;
    }
    if (m_error)
        return 0; // a file that cannot be read whole is not offered
    return ImportChosen(candidates);
}

int ExchangeCommands::ImportCalendarFile(int index, const QString &file)
{
    ImportRead read;
    if (index == 9) {
        busyStep([&] { read = readAccessEvents(file); });
    } else {
        const auto progress = progressBox(QStringLiteral("Reading the file..."), 1000);
        const ReadProgress told = [&](qint64 done, qint64 total) {
            progress->setValue(int(total > 0 ? done * 1000 / total : 0));
            return !progress->wasCanceled();
        };
        step([&] {
            read = index == 7 ? readICalendarFile(file, clock().date(), told)
                              : readVCardFile(file, told);
        });
    }
    if (m_error)
        return 0; // nothing is offered from a file that cannot be read whole
    if (read.stopped)
        return -1;
    m_skipped = read.skipped;
    return ImportChosen(read.candidates);
}

int ExchangeCommands::ImportChosen(QList<ImportCandidate> &candidates)
{
    frmImport dialog(m_owner);
    dialog.gblCancel = true;
    dialog.Check1->setChecked(false);
    {
        const WaitCursor wait;
        markExisting(candidates, m_rs);
        dialog.items->clear();
        dialog.items->reserve(int(candidates.size()));
        for (const ImportCandidate &c : candidates)
            dialog.items->addItem(importListText(c), importPictureKey(c), !c.exists && c.suggested);
    }
    showModal(dialog);
    if (dialog.gblCancel)
        return 0;
    int imported = 0;
    busyStep([&] {
        imported = importCandidates(m_db, candidates, dialog.items->checkedItems(),
                                    dialog.Check1->isChecked());
    });
    return imported;
}

std::unique_ptr<QProgressDialog> ExchangeCommands::progressBox(const QString &text, int maximum)
{
    auto box =
        std::make_unique<QProgressDialog>(text, QStringLiteral("Cancel"), 0, maximum, m_owner);
    box->setWindowTitle(QStringLiteral("Almarik"));
    box->setWindowModality(Qt::WindowModal);
    box->setMinimumDuration(typingProgressDelayMs);
    return box;
}

bool ExchangeCommands::ExportOutlookHolidays(int index, const QString &file, const QString &year)
{
    QString section;
    step([&] { section = holidaySectionText(m_rs, year); });
    if (m_error)
        return true;
    if (index == 0) {
        step([&] { appendToHolidayFile(file, section); });
        return true;
    }
    const qint64 pad = startNotepad(file);
    if (pad == 0) {
        m_prompts.MsgBox(kNotOpened, MsgButtons::OkOnly, MsgIcon::Critical);
        return false;
    }
    // Wait, letting the program's other events run but holding back the
    // user's, until the window can be brought to the front; give up after
    // a while, or at once when the stand-in ended (it could not read the
    // file).
    const QString title = QFileInfo(file).fileName();
    QDeadlineTimer deadline(notepadWaitMs);
    while (!AppActivate(title, pad)) {
        if (deadline.hasExpired() || !processRunning(pad)) {
            m_prompts.MsgBox(kNotOpened, MsgButtons::OkOnly, MsgIcon::Critical);
            return false;
        }
        QEventLoop pause;
        QTimer::singleShot(50, &pause, &QEventLoop::quit);
        pause.exec(QEventLoop::ExcludeUserInputEvents);
    }
    const QStringList lines = section.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    const auto progress =
        progressBox(QStringLiteral("Typing the events into Notepad..."), int(lines.size()));
    qsizetype typed = 0;
    step([&] {
        SendKeys(QStringLiteral("^{End}~~"), true);
        for (; typed < lines.size(); ++typed) {
            progress->setValue(int(typed));
            if (progress->wasCanceled())
                return;
            // The header line is waited for; the events are queued.
            SendKeys(literalKeys(lines[typed]) + QLatin1Char('~'), typed == 0);
        }
        // Notepad asks the user whether to save; we do not answer for them.
        SendKeys(QStringLiteral("%{F4}"), true);
    });
    progress->reset();
    if (!m_error && typed < lines.size()) {
        // The header is a line of its own: the events are the lines after it.
        m_prompts.MsgBox(QStringLiteral("Typing stopped: %1 of %2 events were typed into Notepad. "
                                        "What was typed is there, not saved.")
                             .arg(qMax(typed - 1, qsizetype(0)))
                             .arg(lines.size() - 1),
                         MsgButtons::OkOnly, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

void ExchangeCommands::FinishToolsCommand(int index, int count, const QString &year)
{
    if (m_error) {
        m_prompts.MsgBox(m_error->description(), MsgButtons::OkOnly, MsgIcon::Critical,
                         QStringLiteral("Error"));
        return;
    }
    try {
        m_refresh();
    } catch (const AppError &e) {
        m_prompts.MsgBox(e.description(), MsgButtons::OkOnly, MsgIcon::Critical,
                         QStringLiteral("Error"));
        return;
    }
    QString message;
    if (index == 3)
        message = QString::number(count) + QStringLiteral(" records exported");
    else if (index == 4)
        message = QString::number(count) + QStringLiteral(" records imported");
    else if (index == 9) // the share file's words, with what was left out
        message =
            (QStringList(QString::number(count) + QStringLiteral(" records imported")) + m_skipped)
                .join(QStringLiteral(", "));
    else if (index == 6)
        message = QString::number(count) + QStringLiteral(" events exported");
    else if (index == 7 || index == 8)
        message =
            (QStringList(QString::number(count) + QStringLiteral(" events imported")) + m_skipped)
                .join(QStringLiteral(", "));
    else
        message = holidayInstruction(year);
    m_prompts.MsgBox(message, MsgButtons::OkOnly);
}
