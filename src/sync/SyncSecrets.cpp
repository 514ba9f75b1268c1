// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync/SyncSecrets.h"

#include "platform/AppError.h"

#include <QEventLoop>
#include <qt6keychain/keychain.h>

namespace {

const QString kService = QStringLiteral("Almarik");

// QtKeychain answers through a signal; the callers want the answer now, and
// the store answers within moments when it runs at all.
void runToEnd(QKeychain::Job &job)
{
    job.setAutoDelete(false);
    // Never the plain settings file in place of a missing store.
    job.setInsecureFallback(false);
    QEventLoop loop;
    bool done = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        done = true;
        loop.quit();
    });
    job.start();
    if (!done)
        loop.exec();
}

bool refused(QKeychain::Error error)
{
    return error == QKeychain::AccessDenied || error == QKeychain::AccessDeniedByUser;
}

} // namespace

QString readSyncPassword(const QString &accountId)
{
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(accountId);
    runToEnd(job);
    switch (job.error()) {
    case QKeychain::NoError:
        return job.textData();
    case QKeychain::EntryNotFound:
        return QString();
    default:
        if (refused(job.error()))
            throw AppError(ErrNo::PermissionDenied,
                           QStringLiteral("The desktop's keyring did not give the password: ") +
                               job.errorString());
        // QtKeychain says only "Unknown error" when no store answers.
        throw AppError(ErrNo::PermissionDenied,
                       QStringLiteral("No secret store runs on this desktop, so the password "
                                      "could not be read. Start the desktop's keyring (GNOME "
                                      "Keyring or KWallet)."));
    }
}

void saveSyncPassword(const QString &accountId, const QString &password)
{
    QKeychain::WritePasswordJob job(kService);
    job.setKey(accountId);
    job.setTextData(password);
    runToEnd(job);
    if (job.error() == QKeychain::NoError)
        return;
    if (refused(job.error()))
        throw AppError(ErrNo::PermissionDenied,
                       QStringLiteral("The desktop's keyring refused to keep the password, so it "
                                      "was not saved."));
    throw AppError(ErrNo::PermissionDenied,
                   QStringLiteral("No secret store runs on this desktop, so the password was not "
                                  "saved. Start the desktop's keyring (GNOME Keyring or KWallet) "
                                  "and enter it again."));
}

void deleteSyncPassword(const QString &accountId)
{
    // Best effort: a password left behind in a store that does not answer
    // harms nobody, and the account goes either way.
    QKeychain::DeletePasswordJob job(kService);
    job.setKey(accountId);
    runToEnd(job);
}
