// SPDX-License-Identifier: GPL-3.0-or-later
// almarik-list: the month list in a terminal, or today's and tomorrow's
// events as a desktop notification. Reads the database only; the purge and
// every other write stay the window's.

#include "listing/ListFormat.h"
#include "listing/ListOptions.h"
#include "listing/ListRows.h"
#include "listing/Notify.h"
#include "listing/TerminalText.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "startup/StartupDatabase.h"
#include "startup/StartupSettings.h"
#include "store/AccessFile.h"
#include "store/Connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QSet>

#include <cstdio>
#include <unistd.h>

namespace {

enum ExitStatus
{
    Ok = 0,
    BadOption = 1,
    NoDatabase = 2,
    NoNotificationService = 3
};

void print(FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

void complain(const QString &text)
{
    print(stderr, (QStringLiteral("almarik-list: ") + text + QLatin1Char('\n')).toUtf8());
}

bool colourWanted()
{
    return wantsColour(::isatty(STDOUT_FILENO) == 1, qEnvironmentVariable("TERM"),
                       qEnvironmentVariable("NO_COLOR"));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const ParsedListOptions parsed = parseListArguments(QCoreApplication::arguments().mid(1));
    if (!parsed.error.isEmpty()) {
        print(stderr,
              (parsed.error + QLatin1Char('\n') + listTryHelp() + QLatin1Char('\n')).toUtf8());
        return BadOption;
    }
    const ListOptions &options = parsed.options;
    if (options.help) {
        print(stdout, listHelpText().toUtf8());
        return Ok;
    }
    if (options.version) {
        print(stdout, listVersionText().toUtf8());
        return Ok;
    }

    // The window's search, without its dialog and without creating anything.
    QString path = options.database;
    if (path.isEmpty())
        path = existingDatabase(QCoreApplication::applicationDirPath());
    if (path.isEmpty()) {
        complain(
            QStringLiteral("no event database: neither ") +
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Almarik.MDB")) +
            QStringLiteral(" nor ") +
            QDir(userDataFolder()).filePath(QStringLiteral("Almarik.MDB")) +
            QStringLiteral(" exists (start Almarik once, or give --database PATH)"));
        return NoDatabase;
    }

    const bool recent = options.recent.value_or(readStartOptions().recentEvents);
    const QDate today = options.date.isValid() ? options.date : systemClock()().date();
    // Each distinct failure once, as the window reports them.
    QSet<QString> failures;
    const FillFailure failed = [&failures](const AppError &e) {
        if (!failures.contains(e.description()))
            complain(QStringLiteral("a row was left out: ") + e.description());
        failures.insert(e.description());
    };
    if (isAccessFile(path)) {
        complain(path + QStringLiteral(": made by the Windows version of Almarik; open it once "
                                       "in the Almarik window to convert it"));
        return NoDatabase;
    }
    std::vector<MonthRow> rows;
    try {
        Connection db;
        db.Open(Connection::connectionStringFor(path), Connection::Access::ReadOnly);
        rows = readListedRows(db, MonthListRules(today, recent, options.days), failed);
    } catch (const AppError &e) {
        complain(path + QStringLiteral(": ") + e.description());
        return NoDatabase;
    }

    if (options.notify) {
        // Nothing today or tomorrow needs no bus at all.
        if (notificationBody(rows, false).isEmpty())
            return failures.isEmpty() ? Ok : NoDatabase;
        QString error;
        const auto capabilities = notificationCapabilities(error);
        const bool sent =
            capabilities &&
            sendNotification(
                QStringLiteral("Almarik"),
                notificationBody(rows, capabilities->contains(QLatin1String("body-markup"))),
                error);
        if (!sent) {
            complain(error);
            return NoNotificationService;
        }
    } else {
        std::array<QByteArray, 6> colours;
        if (options.format == ListFormat::Text && colourWanted()) {
            LoadColours();
            colours = ansiColours();
        }
        print(stdout, formatListedRows(rows, options.format, colours));
    }
    return failures.isEmpty() ? Ok : NoDatabase;
}
