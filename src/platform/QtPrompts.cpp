#include "platform/QtPrompts.h"

#include "platform/AppError.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {

QWidget *owner()
{
    return QApplication::activeWindow();
}

QString titleOr(const QString &title)
{
    return title.isEmpty() ? Prompts::applicationTitle() : title;
}

QString startPath(const QString &initialDir, const QString &fileName)
{
    if (initialDir.isEmpty())
        return fileName;
    return QDir(initialDir).filePath(fileName);
}

AppError cancelled()
{
    return AppError(ErrNo::DialogCancelled, QStringLiteral("Cancel was selected."));
}

} // namespace

QString qtFileFilter(const QString &designFilter)
{
    const QStringList parts = designFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        // Linux file names are case-sensitive and often have no extension:
        // "*.mdb" also shows Almarik.MDB, and "*.*" shows every file.
        QStringList patterns;
        for (const QString &p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            if (pattern == QLatin1String("*.*")) {
                patterns << QStringLiteral("*");
                continue;
            }
            patterns << pattern;
            if (pattern.toUpper() != pattern)
                patterns << pattern.toUpper();
        }
        patterns.removeDuplicates();
        filters << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

MsgResult QtPrompts::MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                            const QString &title)
{
    QMessageBox box(owner());
    box.setWindowTitle(titleOr(title));
    box.setText(text);
    switch (icon) {
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::None: break;
    }
    switch (buttons) {
    case MsgButtons::OkOnly: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return MsgResult::Ok;
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    default: return buttons == MsgButtons::OkOnly ? MsgResult::Ok : MsgResult::Cancel;
    }
}

QString QtPrompts::InputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(owner(), titleOr(title), prompt, QLineEdit::Normal,
                                               defaultText, &ok);
    return ok ? text : QString();
}

QString QtPrompts::OpenFileDialog(const QString &title, const QString &filter,
                                  const QString &initialDir, const QString &fileName)
{
    const QString path = QFileDialog::getOpenFileName(owner(), titleOr(title), startPath(initialDir, fileName),
                                                      qtFileFilter(filter));
    if (path.isEmpty())
        throw cancelled();
    return path;
}

QString QtPrompts::SaveFileDialog(const QString &title, const QString &filter,
                                  const QString &initialDir, const QString &fileName)
{
    const QString path = QFileDialog::getSaveFileName(owner(), titleOr(title), startPath(initialDir, fileName),
                                                      qtFileFilter(filter));
    if (path.isEmpty())
        throw cancelled();
    return path;
}

quint32 QtPrompts::ColourDialog(quint32 initial)
{
    const QColor start(initial & 0xFF, (initial >> 8) & 0xFF, (initial >> 16) & 0xFF);
    const QColor chosen = QColorDialog::getColor(start, owner(), Prompts::applicationTitle());
    if (!chosen.isValid())
        throw cancelled();
    return quint32(chosen.red()) | (quint32(chosen.green()) << 8) | (quint32(chosen.blue()) << 16);
}
