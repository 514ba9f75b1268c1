// SPDX-License-Identifier: GPL-3.0-or-later
#include "registry/REG_MODULE.h"

#include "platform/AppError.h"
#include "platform/Prompts.h"
#include "registry/ErrorText.h"
#include "registry/FlexGrid.h"

namespace {

// The first n characters, refusing a negative count as the classic Left$
// does.
QString Left(const QString &text, qint64 n)
{
    if (n < 0)
        throw classicError(ErrNo::InvalidCall);
    return text.left(qsizetype(n));
}

void showExitMessage(const AppError &e, Prompts &prompts)
{
    prompts.MsgBox(QStringLiteral("ERROR #") + signedNumberText(e.number()) +
                       QStringLiteral(" : ") + e.description() + QStringLiteral("\r") +
                       QStringLiteral("Please exit and try again."),
                   MsgButtons::OkOnly);
}

// Shows what the store found while reading its files (a file it could not
// read whole): the store itself shows no box.
void showNotices(RegistryStore &reg, Prompts &prompts)
{
    for (const QString &text : reg.takeNotices())
        prompts.MsgBox(text, MsgButtons::OkOnly, MsgIcon::Exclamation);
}

// Asks next(index, row) for rows from index 0 on until it answers a code
// other than 0, appending each row to the grid (when there is one). 259 (no
// more items) ends the listing quietly, any other code with its message.
template <typename F>
void appendRows(const QString &procedure, FlexGrid *grid, Prompts &prompts, F &&next)
{
    for (quint32 index = 0;; ++index) {
        QString row;
        const qint32 rc = next(index, row);
        if (rc != ERROR_SUCCESS) {
            if (rc != ERROR_NO_MORE_ITEMS)
                runStep(procedure, prompts, [&] { RegistryResultMessage(rc, prompts); });
            return;
        }
        if (grid) {
            runStep(procedure, prompts, [&] { grid->AddItem(row); });
            runStep(procedure, prompts, [&] { grid->setFixedRows(1); });
        }
    }
}

} // namespace

QString GetRegValue(qint32 root, const QString &keyPath, const QString &valueName,
                    const QString &defaultText, Prompts &prompts)
{
    try {
        RegistryStore &reg = registryStore();
        QString buffer(255, QLatin1Char(' '));
        quint32 length = 255;
        quint32 type = REG_NONE;
        RegKey key;
        reg.RegOpenKeyEx(root, keyPath, KEY_QUERY_VALUE, key); // a failed open fails the query
        showNotices(reg, prompts);
        const qint32 rc = reg.RegQueryValueEx(key, valueName, type, buffer, length);
        reg.RegCloseKey(key);
        if (rc == ERROR_SUCCESS)
            return Left(buffer, qint64(length) - 1);
        return defaultText;
    } catch (...) {
        showExitMessage(currentAppError(), prompts);
        return {};
    }
}

bool SetRegValue(qint32 root, const QString &keyPath, const QString &valueName, const QString &text,
                 Prompts &prompts)
{
    try {
        RegistryStore &reg = registryStore();
        RegKey key;
        reg.RegCreateKeyEx(root, keyPath, KEY_ALL_ACCESS, key); // a failed create fails the write
        showNotices(reg, prompts);
        const qint32 rc = reg.RegSetValueEx(key, valueName, REG_SZ, text, quint32(text.size()) + 1);
        reg.RegCloseKey(key);
        return rc == ERROR_SUCCESS;
    } catch (...) {
        showExitMessage(currentAppError(), prompts);
        return false;
    }
}

bool DeleteRegKeyValue(qint32 root, const QString &keyPath, const QString &valueName,
                       Prompts &prompts)
{
    RegistryStore &reg = registryStore();
    RegKey key;
    const qint32 opened = reg.RegCreateKeyEx(root, keyPath, KEY_ALL_ACCESS, key);
    showNotices(reg, prompts);
    if (opened != ERROR_SUCCESS)
        return false;
    const qint32 rc = reg.RegDeleteValue(key, valueName);
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
        runStep(QStringLiteral("DeleteRegKeyValue"), prompts,
                [&] { RegistryResultMessage(rc, prompts); });
    reg.RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

void ListSubKeys(qint32 root, const QString &keyPath, FlexGrid *grid, Prompts &prompts)
{
    RegistryStore &reg = registryStore();
    RegKey key;
    const qint32 opened = reg.RegCreateKeyEx(root, keyPath, KEY_ALL_ACCESS, key);
    showNotices(reg, prompts);
    if (opened != ERROR_SUCCESS)
        return;
    appendRows(QStringLiteral("REG_MODULE.ListSubKeys"), grid, prompts,
               [&](quint32 index, QString &row) {
                   QString name;
                   QString className;
                   quint32 nameLength = 16383;
                   quint32 classLength = 32767;
                   const qint32 rc =
                       reg.RegEnumKeyEx(key, index, name, nameLength, className, classLength);
                   row = name.left(nameLength) + QStringLiteral("\t<sub key>");
                   return rc;
               });
    reg.RegCloseKey(key);
}

void ListValues(qint32 root, const QString &keyPath, FlexGrid *grid, Prompts &prompts)
{
    RegistryStore &reg = registryStore();
    RegKey key;
    const qint32 opened = reg.RegOpenKeyEx(root, keyPath, KEY_QUERY_VALUE, key);
    showNotices(reg, prompts);
    if (opened != ERROR_SUCCESS)
        return;
    appendRows(QStringLiteral("REG_MODULE.ListValues"), grid, prompts,
               [&](quint32 index, QString &row) {
                   QString name;
                   QString data;
                   quint32 nameLength = 16383;
                   quint32 dataLength = 32767;
                   quint32 type = REG_NONE;
                   const qint32 rc =
                       reg.RegEnumValue(key, index, name, nameLength, type, data, dataLength);
                   // A grid cell cannot show the string's terminating zero.
                   row = nameLength == 0 ? QStringLiteral("(Default)")
                                         : name.left(nameLength) + QLatin1Char('\t') +
                                               data.left(dataLength).remove(QChar(0));
                   return rc;
               });
    reg.RegCloseKey(key);
}

void RegistryResultMessage(qint32 resultCode, Prompts &prompts)
{
    switch (resultCode) {
    case ERROR_ACCESS_DENIED:
        prompts.MsgBox(QStringLiteral("ACCESS_DENIED"), MsgButtons::OkOnly, MsgIcon::Critical);
        break;
    case ERROR_INVALID_PARAMETER:
        prompts.MsgBox(QStringLiteral("Invalid Parameter"), MsgButtons::OkOnly);
        break;
    case ERROR_MORE_DATA:
        prompts.MsgBox(QStringLiteral("ERROR_MORE_DATA"), MsgButtons::OkOnly);
        break;
    case ERROR_NO_MORE_ITEMS:
        prompts.MsgBox(QStringLiteral("NO_MORE_ITEMS"), MsgButtons::OkOnly, MsgIcon::Information);
        break;
    default:
        prompts.MsgBox(QStringLiteral("Unknown Error ") + QString::number(resultCode),
                       MsgButtons::OkOnly, MsgIcon::Information);
        break;
    }
}
