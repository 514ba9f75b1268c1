// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Account passwords in the desktop's secret store (Secret Service or
// KWallet, through QtKeychain), never in the settings file.

#include <QString>

// The password kept for the account id; "" when none. Throws AppError with
// the store's words when no secret store answers.
QString readSyncPassword(const QString &accountId);
// Throws AppError ("No secret store runs on this desktop: ...") when the
// password cannot be kept; nothing is then written anywhere.
void saveSyncPassword(const QString &accountId, const QString &password);
void deleteSyncPassword(const QString &accountId);
