// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScriptedPrompts.h"

#include "platform/AppError.h"

#include <QTest>
#include <utility>

ScriptedPrompts::ScriptedPrompts()
{
    setAppPrompts(this);
}

ScriptedPrompts::~ScriptedPrompts()
{
    setAppPrompts(nullptr);
}

QVariant ScriptedPrompts::next(const RecordedBox &box)
{
    boxes.append(box);
    if (m_answers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected ") + box.kind +
                                QStringLiteral(" box: ") + box.text),
                     __FILE__, __LINE__);
        throw AppError(ErrNo::DialogCancelled, QStringLiteral("unexpected box"));
    }
    return m_answers.takeFirst();
}

MsgResult ScriptedPrompts::MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                                  const QString &title)
{
    if (onMessage)
        onMessage();
    RecordedBox box{QStringLiteral("msg"),
                    text,
                    title.isEmpty() ? applicationTitle() : title,
                    icon,
                    buttons,
                    {}};
    if (m_autoOk && buttons == MsgButtons::OkOnly) {
        boxes.append(box);
        return MsgResult::Ok;
    }
    const QVariant v = next(box);
    return v.isValid() ? v.value<MsgResult>() : MsgResult::Cancel;
}

QString ScriptedPrompts::InputBox(const QString &prompt, const QString &title,
                                  const QString &defaultText)
{
    const QVariant v =
        next({QStringLiteral("input"), prompt, title.isEmpty() ? applicationTitle() : title,
              MsgIcon::None, MsgButtons::OkCancel, defaultText});
    return v.isValid() ? v.toString() : QString();
}

// A dialog's answer; none is the user's Cancel.
QVariant ScriptedPrompts::chosen(const RecordedBox &box)
{
    const QVariant v = next(box);
    if (!v.isValid())
        throw AppError(ErrNo::DialogCancelled, QStringLiteral("Cancel was selected."));
    return v;
}

QString ScriptedPrompts::OpenFileDialog(const QString &title, const QString &filter,
                                        const QString &initialDir, const QString &fileName)
{
    return chosen({QStringLiteral("open"), title, title, MsgIcon::None, MsgButtons::OkCancel,
                   filter + QLatin1Char('|') + initialDir + QLatin1Char('|') + fileName})
        .toString();
}

QString ScriptedPrompts::SaveFileDialog(const QString &title, const QString &filter,
                                        const QString &initialDir, const QString &fileName,
                                        bool confirmOverwrite)
{
    // "append": a save dialog that does not ask about replacing the file.
    return chosen({confirmOverwrite ? QStringLiteral("save") : QStringLiteral("append"), title,
                   title, MsgIcon::None, MsgButtons::OkCancel,
                   filter + QLatin1Char('|') + initialDir + QLatin1Char('|') + fileName})
        .toString();
}

quint32 ScriptedPrompts::ColourDialog(quint32 initial)
{
    return chosen({QStringLiteral("colour"), QString::number(initial), QString(), MsgIcon::None,
                   MsgButtons::OkCancel, QString()})
        .value<quint32>();
}

QStringList ScriptedPrompts::takeBoxes()
{
    static const char *const icons[] = {"-", "critical", "question", "exclamation", "information"};
    static const char *const buttons[] = {"OK", "OK/Cancel", "Yes/No", "Yes/No/Cancel"};
    QStringList out;
    for (const RecordedBox &b : std::exchange(boxes, {}))
        out << b.title + " (" + icons[int(b.icon)] + ", " + buttons[int(b.buttons)] +
                   "): " + b.text;
    return out;
}
