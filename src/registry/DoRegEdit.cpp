#include "registry/DoRegEdit.h"

#include "platform/AppError.h"
#include "platform/Prompts.h"
#include "registry/ErrorText.h"
#include "registry/REG_MODULE.h"
#include "store/RecordSet.h"

#include <cmath>
#include <limits>

namespace {

// A field read as text; an empty (Null) field cannot be.
QString textField(const RecordSet &rs, const QString &name)
{
    const QVariant v = rs.Fields(name);
    if (v.isNull())
        throw AppError(94, QStringLiteral("Invalid use of Null"));
    return v.toString();
}

// A field read as a 32-bit integer, rounded half to even as the classic
// conversion does.
qint32 longField(const RecordSet &rs, const QString &name)
{
    const QVariant v = rs.Fields(name);
    if (v.isNull())
        throw AppError(94, QStringLiteral("Invalid use of Null"));
    bool ok = false;
    const double n = v.toString().trimmed().toDouble(&ok);
    if (!ok)
        throw AppError(13, QStringLiteral("Type mismatch"));
    const double rounded = std::nearbyint(n);
    if (!(rounded >= std::numeric_limits<qint32>::min() &&
          rounded <= std::numeric_limits<qint32>::max()))
        throw AppError(6, QStringLiteral("Overflow"));
    return qint32(rounded);
}

struct Task
{
    enum Kind
    {
        None,
        Delete,
        Edit
    } kind = None;
    qint32 root = 0;
    QString subKey;
    QString key;
    QString newValue;
};

// Everything the current row's task needs, read before anything runs so that
// a row that cannot be read runs nothing.
Task readTask(const RecordSet &rs)
{
    Task task;
    const QString kind = textField(rs, QStringLiteral("Task"));
    if (kind == QLatin1String("delete"))
        task.kind = Task::Delete;
    else if (kind == QLatin1String("edit"))
        task.kind = Task::Edit;
    else
        return task;
    task.root = longField(rs, QStringLiteral("hKey"));
    task.subKey = textField(rs, QStringLiteral("SubKey"));
    task.key = textField(rs, QStringLiteral("key"));
    if (task.kind == Task::Edit)
        task.newValue = textField(rs, QStringLiteral("NewValue"));
    return task;
}

void showFailure(const AppError &e, Prompts &prompts)
{
    prompts.MsgBox(errorInText(QStringLiteral("DoRegEdit"), e.number(), e.description()) +
                       QStringLiteral("\r\nSelect File>DB Repair"),
                   MsgButtons::OkOnly);
}

} // namespace

void DoRegEdit(Connection &db, Prompts &prompts)
{
    RecordSet rs;
    try {
        rs.Open(QStringLiteral("SELECT * FROM RegEdit"), db, adOpenStatic, adLockReadOnly);
    } catch (const AppError &e) {
        showFailure(e, prompts);
        return;
    }
    while (!rs.isEOF()) {
        try {
            const Task task = readTask(rs);
            if (task.kind == Task::Delete)
                DeleteRegKeyValue(task.root, task.subKey, task.key, prompts);
            else if (task.kind == Task::Edit)
                SetRegValue(task.root, task.subKey, task.key, task.newValue, prompts);
        } catch (const AppError &e) {
            showFailure(e, prompts);
        }
        try {
            rs.MoveNext();
        } catch (const AppError &e) {
            showFailure(e, prompts);
            break;
        }
    }
    rs.Close();
}
