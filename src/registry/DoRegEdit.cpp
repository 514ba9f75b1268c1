// SPDX-License-Identifier: GPL-3.0-or-later
#include "registry/DoRegEdit.h"

#include "platform/AppError.h"
#include "platform/Prompts.h"
#include "registry/ErrorText.h"
#include "registry/REG_MODULE.h"
#include "registry/RegistryBatch.h"
#include "store/RecordSet.h"

#include <QSet>

#include <cmath>
#include <limits>

namespace {

// A field read as text; an empty (Null) field cannot be.
QString textField(const RecordSet &rs, const QString &name)
{
    const QVariant v = rs.Fields(name);
    if (v.isNull())
        throw invalidUseOfNull();
    return v.toString();
}

// A field read as a 32-bit integer, rounded half to even as the classic
// conversion does.
qint32 longField(const RecordSet &rs, const QString &name)
{
    const QVariant v = rs.Fields(name);
    if (v.isNull())
        throw invalidUseOfNull();
    bool ok = false;
    const double n = v.toString().trimmed().toDouble(&ok);
    if (!ok)
        throw classicError(ErrNo::TypeMismatch);
    const double rounded = std::nearbyint(n);
    if (!(rounded >= std::numeric_limits<qint32>::min() &&
          rounded <= std::numeric_limits<qint32>::max()))
        throw classicError(ErrNo::Overflow);
    return qint32(rounded);
}

// Shows the failure being handled, unless this run has shown the same text:
// a table without a column would otherwise give one box per row.
void showFailure(Prompts &prompts, QSet<QString> &shown)
{
    const AppError e = currentAppError();
    const QString text = errorInText(QStringLiteral("DoRegEdit"), e.number(), e.description()) +
                         QStringLiteral("\r\n") + kRepairHint;
    if (shown.contains(text))
        return;
    shown.insert(text);
    prompts.MsgBox(text, MsgButtons::OkOnly);
}

// Runs the current row's task. Every field the task needs is read before the
// task runs, so a row that cannot be read runs nothing; no value outlives its
// row.
void runTask(const RecordSet &rs, Prompts &prompts)
{
    const QString task = textField(rs, QStringLiteral("Task"));
    const bool isDelete = task == QLatin1String("delete");
    if (!isDelete && task != QLatin1String("edit"))
        return;
    const qint32 root = longField(rs, QStringLiteral("hKey"));
    const QString subKey = textField(rs, QStringLiteral("SubKey"));
    const QString key = textField(rs, QStringLiteral("key"));
    if (isDelete)
        DeleteRegKeyValue(root, subKey, key, prompts);
    else
        SetRegValue(root, subKey, key, textField(rs, QStringLiteral("NewValue")), prompts);
}

// Every row of RegEdit in turn; a row that fails is told and skipped.
void runTasks(Connection &db, Prompts &prompts)
{
    RecordSet rs;
    QSet<QString> shown;
    try {
        rs.Open(QStringLiteral("SELECT * FROM RegEdit"), db, adOpenStatic, adLockReadOnly);
    } catch (...) {
        showFailure(prompts, shown);
        return;
    }
    while (!rs.isEOF()) {
        try {
            runTask(rs, prompts);
        } catch (...) {
            showFailure(prompts, shown);
        }
        try {
            rs.MoveNext();
        } catch (...) {
            showFailure(prompts, shown);
            break;
        }
    }
    rs.Close();
}

} // namespace

void DoRegEdit(Connection &db, Prompts &prompts)
{
    runRegistryBatch(prompts, [&db](Prompts &held) { runTasks(db, held); });
}
