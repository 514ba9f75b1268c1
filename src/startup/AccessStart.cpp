// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/AccessStart.h"

#include "platform/AppError.h"
#include "platform/ErrorStyles.h"
#include "platform/Prompts.h"
#include "store/AccessFile.h"

QString convertQuestion(const QString &path)
{
    return path +
           QStringLiteral(" was made by the Windows version of Almarik. Convert it? The "
                          "original is kept as ") +
           accessBackupPath(path) + QLatin1Char('.');
}

bool convertAccessAtStart(const QString &path, Prompts &prompts, const ConversionProgress &progress)
{
    if (!isAccessFile(path))
        return true;
    if (prompts.MsgBox(convertQuestion(path), MsgButtons::OkCancel, MsgIcon::Question) !=
        MsgResult::Ok) {
        prompts.MsgBox(path + QStringLiteral(" was not converted, so Almarik cannot open it."),
                       MsgButtons::OkOnly, MsgIcon::Information);
        return false;
    }
    AccessConversion done;
    if (!showingErrors([&] { done = convertAccessDatabaseInPlace(path, progress); },
                       [&](const AppError &e) {
                           prompts.MsgBox(e.description() + QStringLiteral("\r\n") + path +
                                              QStringLiteral(" was not converted."),
                                          MsgButtons::OkOnly, MsgIcon::Critical);
                       }))
        return false;
    prompts.MsgBox(conversionMessage(done), MsgButtons::OkOnly, MsgIcon::Information);
    return true;
}
