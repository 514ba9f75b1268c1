// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ui/Notepad.h"

#include "editor/KeyNotation.h"
#include "platform/AppError.h"
#include "platform/FileIO.h"
#include "platform/Prompts.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <utility>

Notepad::Notepad(const QString &path, QWidget *parent) : Notepad(path, appPrompts(), parent) {}

Notepad::Notepad(const QString &path, Prompts &prompts, QWidget *parent)
    : QWidget(parent, Qt::Window), m_path(path), m_prompts(prompts)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QFileInfo(path).fileName() + QStringLiteral(" - Notepad"));
    m_edit = new QPlainTextEdit(this);
    m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_edit->installEventFilter(this);
    auto *bar = new QMenuBar(this);
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Save"), QKeySequence::Save, this, [this] {
        try {
            save();
        } catch (const AppError &e) {
            m_prompts.MsgBox(e.description(), MsgButtons::OkOnly, MsgIcon::Critical,
                             QStringLiteral("Notepad"));
        }
    });
    file->addAction(QStringLiteral("E&xit"), this, [this] { close(); });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(bar);
    layout->addWidget(m_edit);
    setFocusProxy(m_edit);
    m_edit->setFocus();
    resize(640, 480);
}

bool Notepad::load()
{
    QByteArray bytes;
    if (QFileInfo::exists(m_path)) {
        try {
            bytes = readWholeFile(m_path);
        } catch (const AppError &) {
            return false;
        }
    } else if (!QFileInfo(m_path).absoluteDir().exists()) {
        return false;
    }
    m_form = detectTextForm(bytes);
    QString text = decodeText(bytes);
    // Windows files end lines in CR LF; a file with bare LF ends keeps them.
    m_crlf = text.contains(QLatin1String("\r\n")) || !text.contains(QLatin1Char('\n'));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_edit->setPlainText(text);
    m_edit->document()->setModified(false);
    return true;
}

QString Notepad::text() const
{
    QString text = m_edit->toPlainText();
    if (m_crlf)
        text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

void Notepad::save()
{
    const QString content = text();
    if (m_form == TextForm::Windows1252 && !fitsWindows1252(content))
        throw AppError(ErrNo::InvalidCall,
                       QStringLiteral("The file is written in the Windows-1252 code page, which "
                                      "cannot hold every character of this text. It was not "
                                      "saved."));
    writeWholeFile(m_path, encodeFile(content, m_form));
    m_form = fileForm(content, m_form);
    m_edit->document()->setModified(false);
}

void Notepad::typeKeys(const QList<KeyStroke> &strokes)
{
    // Runs of plain characters and Enters go in as one insertion, as fast
    // as a paste and with the same result as typing them one by one.
    QString run;
    const auto flush = [&] {
        if (!run.isEmpty())
            m_edit->insertPlainText(std::exchange(run, QString()));
    };
    for (const KeyStroke &s : strokes) {
        const bool plain = s.modifiers == Qt::NoModifier || s.modifiers == Qt::ShiftModifier;
        if (plain && (s.key == Qt::Key_Return || s.key == Qt::Key_Enter)) {
            run += QLatin1Char('\n');
        } else if (plain && !s.text.isEmpty()) {
            run += s.text;
        } else {
            flush();
            QKeyEvent press(QEvent::KeyPress, s.key, s.modifiers, s.text);
            QKeyEvent release(QEvent::KeyRelease, s.key, s.modifiers, s.text);
            QCoreApplication::sendEvent(m_edit, &press);
            QCoreApplication::sendEvent(m_edit, &release);
        }
    }
    flush();
    m_edit->ensureCursorVisible();
}

void Notepad::closeEvent(QCloseEvent *event)
{
    if (!m_edit->document()->isModified()) {
        event->accept();
        return;
    }
    // The question comes with its window, in front of the program that
    // typed into it.
    raise();
    activateWindow();
    const MsgResult answer = m_prompts.MsgBox(
        QStringLiteral("Do you want to save changes to ") + m_path + QLatin1Char('?'),
        MsgButtons::YesNoCancel, MsgIcon::Exclamation, QStringLiteral("Notepad"));
    if (answer == MsgResult::Yes) {
        try {
            save();
        } catch (const AppError &e) {
            m_prompts.MsgBox(e.description(), MsgButtons::OkOnly, MsgIcon::Critical,
                             QStringLiteral("Notepad"));
            event->ignore();
            return;
        }
    } else if (answer != MsgResult::No) {
        event->ignore();
        return;
    }
    event->accept();
}

bool Notepad::eventFilter(QObject *watched, QEvent *event)
{
    // Alt+F4 closes the window even where no window manager does it.
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F4 && key->modifiers() == Qt::AltModifier) {
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
