// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/QtPrompts.h"

#include "platform/AppError.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>

namespace {

QWidget *owner()
{
    return QApplication::activeWindow();
}

QString titleOr(const QString &title)
{
    return title.isEmpty() ? Prompts::applicationTitle() : title;
}

// The folder of the file chosen last in this process: like the common
// dialog, a file dialog given no folder opens where the previous one ended.
QString g_lastFolder;

QString startPath(const QString &initialDir, const QString &fileName)
{
    return fileDialogStart(initialDir, fileName, g_lastFolder);
}

QString chosen(const QString &path)
{
    if (path.isEmpty())
        throw AppError(ErrNo::DialogCancelled, QStringLiteral("Cancel was selected."));
    g_lastFolder = QFileInfo(path).absolutePath();
    return path;
}

AppError cancelled()
{
    return AppError(ErrNo::DialogCancelled, QStringLiteral("Cancel was selected."));
}

} // namespace

QString fileDialogStart(const QString &initialDir, const QString &fileName,
                        const QString &lastFolder)
{
    const QString folder = initialDir.isEmpty() ? lastFolder : initialDir;
    if (folder.isEmpty())
        return fileName;
    return QDir(folder).filePath(fileName);
}

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
        // Qt shows the patterns after the name; a name that already ends in
        // its own "(pattern)" would show it twice.
        static const QRegularExpression ownPattern(QStringLiteral("\\s*\\([^()]*\\)$"));
        QString name = parts[i].trimmed();
        name.remove(ownPattern);
        filters << (name.isEmpty() ? parts[i].trimmed() : name) + QStringLiteral(" (") +
                       patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

void setUpMessageBox(QMessageBox &box, const QString &text, MsgButtons buttons, MsgIcon icon,
                     const QString &title)
{
    box.setWindowTitle(titleOr(title));
    // Descriptions and paths are the user's text, never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    switch (icon) {
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::None:
        break;
    }
    switch (buttons) {
    case MsgButtons::OkOnly:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
}

MsgResult QtPrompts::MsgBox(const QString &text, MsgButtons buttons, MsgIcon icon,
                            const QString &title)
{
    QMessageBox box(owner());
    setUpMessageBox(box, text, buttons, icon, title);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MsgResult::Ok;
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    default:
        return buttons == MsgButtons::OkOnly ? MsgResult::Ok : MsgResult::Cancel;
    }
}

QString QtPrompts::InputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    QInputDialog dialog(owner());
    dialog.setWindowTitle(titleOr(title));
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    // The prompt is shown as plain text, as every box's text is.
    for (QLabel *label : dialog.findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

QString QtPrompts::OpenFileDialog(const QString &title, const QString &filter,
                                  const QString &initialDir, const QString &fileName)
{
    const QString path = QFileDialog::getOpenFileName(
        owner(), titleOr(title), startPath(initialDir, fileName), qtFileFilter(filter));
    return chosen(path);
}

QString QtPrompts::SaveFileDialog(const QString &title, const QString &filter,
                                  const QString &initialDir, const QString &fileName,
                                  bool confirmOverwrite)
{
    const QString path = QFileDialog::getSaveFileName(
        owner(), titleOr(title), startPath(initialDir, fileName), qtFileFilter(filter), nullptr,
        confirmOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite);
    return chosen(path);
}

quint32 QtPrompts::ColourDialog(quint32 initial)
{
    const QColor start(initial & 0xFF, (initial >> 8) & 0xFF, (initial >> 16) & 0xFF);
    const QColor chosen = QColorDialog::getColor(start, owner(), Prompts::applicationTitle());
    if (!chosen.isValid())
        throw cancelled();
    return quint32(chosen.red()) | (quint32(chosen.green()) << 8) | (quint32(chosen.blue()) << 16);
}
