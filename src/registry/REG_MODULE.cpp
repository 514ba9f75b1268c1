#include "registry/REG_MODULE.h"

#include "platform/AppError.h"
#include "platform/Prompts.h"
#include "registry/ErrorText.h"
#include "registry/FlexGrid.h"

#include <exception>
#include <new>

namespace {

const QString kFlexGrid = QStringLiteral("MSFlexGrid");

// Any failure as the run-time error it stands for.
AppError asAppError(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const AppError &e) {
        return e;
    } catch (const std::bad_alloc &) {
        return AppError(7, QStringLiteral("Out of memory"));
    } catch (...) {
        return AppError(51, QStringLiteral("Internal error"));
    }
}

// The first n characters, refusing a negative count as the classic Left$
// does.
QString Left(const QString &text, qint64 n)
{
    if (n < 0)
        throw AppError(5, QStringLiteral("Invalid procedure call or argument"));
    return text.left(qsizetype(n));
}

void showExitMessage(const AppError &e, Prompts &prompts)
{
    prompts.MsgBox(QStringLiteral("ERROR #") + signedNumberText(e.number()) +
                       QStringLiteral(" : ") + e.description() + QStringLiteral("\r") +
                       QStringLiteral("Please exit and try again."),
                   MsgButtons::OkOnly);
}

// Runs one statement; a failure is shown in the procedure's words and the
// procedure goes on with the next statement.
template <typename F> void step(const QString &procedure, Prompts &prompts, F &&statement)
{
    try {
        statement();
    } catch (...) {
        const AppError e = asAppError(std::current_exception());
        prompts.MsgBox(errorInText(procedure, e.number(), e.description()), MsgButtons::OkOnly);
    }
}

// The data cell of a value row. The string's terminating zero (and any other
// zero) is left out: a grid cell cannot show it.
QString dataCell(const QString &data)
{
    QString cell = data;
    cell.remove(QChar(0));
    return cell;
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
        const qint32 rc = reg.RegQueryValueEx(key, valueName, type, buffer, length);
        reg.RegCloseKey(key);
        if (rc == ERROR_SUCCESS)
            return Left(buffer, qint64(length) - 1);
        return defaultText;
    } catch (...) {
        showExitMessage(asAppError(std::current_exception()), prompts);
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
        const qint32 rc = reg.RegSetValueEx(key, valueName, REG_SZ, text, quint32(text.size()) + 1);
        reg.RegCloseKey(key);
        return rc == ERROR_SUCCESS;
    } catch (...) {
        showExitMessage(asAppError(std::current_exception()), prompts);
        return false;
    }
}

bool DeleteRegKeyValue(qint32 root, const QString &keyPath, const QString &valueName,
                       Prompts &prompts)
{
    const QString procedure = QStringLiteral("DeleteRegKeyValue");
    RegistryStore &reg = registryStore();
    RegKey key;
    qint32 rc = ERROR_SUCCESS;
    bool deleted = false;
    step(procedure, prompts, [&] { rc = reg.RegCreateKeyEx(root, keyPath, KEY_ALL_ACCESS, key); });
    if (rc != ERROR_SUCCESS)
        return false;
    step(procedure, prompts, [&] { rc = reg.RegDeleteValue(key, valueName); });
    if (rc == ERROR_SUCCESS)
        deleted = true;
    else if (rc != ERROR_FILE_NOT_FOUND)
        step(procedure, prompts, [&] { RegistryResultMessage(rc, prompts); });
    reg.RegCloseKey(key);
    return deleted;
}

void ListSubKeys(qint32 root, const QString &keyPath, FlexGrid *grid, Prompts &prompts)
{
    const QString procedure = QStringLiteral("REG_MODULE.ListSubKeys");
    RegistryStore &reg = registryStore();
    RegKey key;
    if (reg.RegCreateKeyEx(root, keyPath, KEY_ALL_ACCESS, key) != ERROR_SUCCESS)
        return;
    const bool adds = grid && grid->TypeName() == kFlexGrid;
    for (quint32 index = 0;; ++index) {
        QString name;
        QString className;
        quint32 nameLength = 16383;
        quint32 classLength = 32767;
        const qint32 rc = reg.RegEnumKeyEx(key, index, name, nameLength, className, classLength);
        if (rc != ERROR_SUCCESS) {
            if (rc != ERROR_NO_MORE_ITEMS)
                step(procedure, prompts, [&] { RegistryResultMessage(rc, prompts); });
            break;
        }
        if (adds) {
            step(procedure, prompts, [&] {
                grid->AddItem(name.left(nameLength) + QLatin1Char('\t') +
                              QStringLiteral("<sub key>"));
            });
            step(procedure, prompts, [&] { grid->setFixedRows(1); });
        }
    }
    reg.RegCloseKey(key);
}

void ListValues(qint32 root, const QString &keyPath, FlexGrid *grid, Prompts &prompts)
{
    const QString procedure = QStringLiteral("REG_MODULE.ListValues");
    RegistryStore &reg = registryStore();
    RegKey key;
    if (reg.RegOpenKeyEx(root, keyPath, KEY_QUERY_VALUE, key) != ERROR_SUCCESS)
        return;
    const bool adds = grid && grid->TypeName() == kFlexGrid;
    for (quint32 index = 0;; ++index) {
        QString name;
        QString data;
        quint32 nameLength = 16383;
        quint32 dataLength = 32767;
        quint32 type = REG_NONE;
        const qint32 rc = reg.RegEnumValue(key, index, name, nameLength, type, data, dataLength);
        if (rc != ERROR_SUCCESS) {
            if (rc != ERROR_NO_MORE_ITEMS)
                step(procedure, prompts, [&] { RegistryResultMessage(rc, prompts); });
            break;
        }
        if (adds) {
            step(procedure, prompts, [&] {
                if (nameLength != 0)
                    grid->AddItem(name.left(nameLength) + QLatin1Char('\t') +
                                  dataCell(data.left(dataLength)));
                else
                    grid->AddItem(QStringLiteral("(Default)"));
            });
            step(procedure, prompts, [&] { grid->setFixedRows(1); });
        }
    }
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
