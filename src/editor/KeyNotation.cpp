// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/KeyNotation.h"

#include "platform/AppError.h"

#include <QHash>

namespace {

const QString kReserved = QStringLiteral("+^%~(){}[]");

AppError invalid(const QString &why)
{
    return AppError(ErrNo::InvalidCall,
                    QStringLiteral("Invalid procedure call or argument: ") + why);
}

// Named keys, by their upper-case names.
const QHash<QString, int> &namedKeys()
{
    static const QHash<QString, int> keys = [] {
        QHash<QString, int> k = {{QStringLiteral("BACKSPACE"), Qt::Key_Backspace},
                                 {QStringLiteral("BS"), Qt::Key_Backspace},
                                 {QStringLiteral("BKSP"), Qt::Key_Backspace},
                                 {QStringLiteral("BREAK"), Qt::Key_Pause},
                                 {QStringLiteral("CAPSLOCK"), Qt::Key_CapsLock},
                                 {QStringLiteral("DELETE"), Qt::Key_Delete},
                                 {QStringLiteral("DEL"), Qt::Key_Delete},
                                 {QStringLiteral("DOWN"), Qt::Key_Down},
                                 {QStringLiteral("END"), Qt::Key_End},
                                 {QStringLiteral("ENTER"), Qt::Key_Return},
                                 {QStringLiteral("ESC"), Qt::Key_Escape},
                                 {QStringLiteral("HELP"), Qt::Key_Help},
                                 {QStringLiteral("HOME"), Qt::Key_Home},
                                 {QStringLiteral("INSERT"), Qt::Key_Insert},
                                 {QStringLiteral("INS"), Qt::Key_Insert},
                                 {QStringLiteral("LEFT"), Qt::Key_Left},
                                 {QStringLiteral("NUMLOCK"), Qt::Key_NumLock},
                                 {QStringLiteral("PGDN"), Qt::Key_PageDown},
                                 {QStringLiteral("PGUP"), Qt::Key_PageUp},
                                 {QStringLiteral("PRTSC"), Qt::Key_Print},
                                 {QStringLiteral("RIGHT"), Qt::Key_Right},
                                 {QStringLiteral("SCROLLLOCK"), Qt::Key_ScrollLock},
                                 {QStringLiteral("TAB"), Qt::Key_Tab},
                                 {QStringLiteral("UP"), Qt::Key_Up}};
        for (int f = 1; f <= 16; ++f)
            k.insert(QStringLiteral("F") + QString::number(f), Qt::Key_F1 + f - 1);
        return k;
    }();
    return keys;
}

// One character: a QChar, or a surrogate pair typed as one key.
KeyStroke charStroke(const QString &c, Qt::KeyboardModifiers modifiers)
{
    KeyStroke s;
    s.modifiers = modifiers;
    s.key = c == QLatin1String("\t") ? int(Qt::Key_Tab)
            : c.size() == 1          ? int(c[0].toUpper().unicode())
                                     : int(Qt::Key_unknown);
    // Ctrl and Alt chords type nothing; Shift types the capital.
    if (!(modifiers & (Qt::ControlModifier | Qt::AltModifier)))
        s.text = modifiers & Qt::ShiftModifier ? c.toUpper() : c;
    return s;
}

KeyStroke namedStroke(int key, Qt::KeyboardModifiers modifiers)
{
    KeyStroke s;
    s.key = key;
    s.modifiers = modifiers;
    if (!(modifiers & (Qt::ControlModifier | Qt::AltModifier))) {
        if (key == Qt::Key_Return)
            s.text = QStringLiteral("\r");
        else if (key == Qt::Key_Tab)
            s.text = QStringLiteral("\t");
    }
    return s;
}

class Parser
{
public:
    explicit Parser(const QString &text) : m_text(text) {}

    QList<KeyStroke> run()
    {
        while (m_at < m_text.size())
            keyOrGroup(Qt::NoModifier);
        return m_out;
    }

private:
    // One key or "( )" group with the modifiers held for it.
    void keyOrGroup(Qt::KeyboardModifiers held)
    {
        const QChar c = m_text[m_at];
        Qt::KeyboardModifiers mod;
        if (c == QLatin1Char('+'))
            mod = Qt::ShiftModifier;
        else if (c == QLatin1Char('^'))
            mod = Qt::ControlModifier;
        else if (c == QLatin1Char('%'))
            mod = Qt::AltModifier;
        if (mod) {
            ++m_at;
            if (m_at >= m_text.size())
                throw invalid(QStringLiteral("a modifier with no key after it"));
            keyOrGroup(held | mod);
            return;
        }
        ++m_at;
        if (c == QLatin1Char('(')) {
            while (m_at < m_text.size() && m_text[m_at] != QLatin1Char(')'))
                keyOrGroup(held);
            if (m_at >= m_text.size())
                throw invalid(QStringLiteral("a group without its \")\""));
            ++m_at;
        } else if (c == QLatin1Char(')')) {
            throw invalid(QStringLiteral("a \")\" without its group"));
        } else if (c == QLatin1Char('~')) {
            m_out << namedStroke(Qt::Key_Return, held);
        } else if (c == QLatin1Char('{')) {
            braced(held);
        } else if (c == QLatin1Char('}')) {
            throw invalid(QStringLiteral("a \"}\" without its \"{\""));
        } else if (c.isHighSurrogate() && m_at < m_text.size() && m_text[m_at].isLowSurrogate()) {
            m_out << charStroke(m_text.mid(m_at - 1, 2), held);
            ++m_at;
        } else {
            m_out << charStroke(QString(c), held);
        }
    }

    // After "{": "{name}", "{name n}", "{c}" for one character, "{}}".
    void braced(Qt::KeyboardModifiers held)
    {
        // The closing brace may itself be the key: "{}}".
        const qsizetype close = m_text.indexOf(QLatin1Char('}'), m_at + 1);
        if (m_at >= m_text.size() || close < 0)
            throw invalid(QStringLiteral("a \"{\" without its \"}\""));
        const QString inside = m_text.mid(m_at, close - m_at);
        m_at = close + 1;
        QString name = inside;
        int repeat = 1;
        const qsizetype blank = inside.lastIndexOf(QLatin1Char(' '));
        if (blank > 0) {
            bool ok = false;
            repeat = inside.mid(blank + 1).toInt(&ok);
            if (!ok || repeat < 0)
                throw invalid(QStringLiteral("a bad repeat count in {") + inside +
                              QLatin1Char('}'));
            name = inside.left(blank);
        }
        KeyStroke stroke;
        if (name.size() == 1) {
            stroke = charStroke(name, held);
        } else {
            const auto it = namedKeys().constFind(name.toUpper());
            if (it == namedKeys().constEnd())
                throw invalid(QStringLiteral("no key is named {") + inside + QLatin1Char('}'));
            stroke = namedStroke(it.value(), held);
        }
        for (int i = 0; i < repeat; ++i)
            m_out << stroke;
    }

    const QString &m_text;
    qsizetype m_at = 0;
    QList<KeyStroke> m_out;
};

} // namespace

QList<KeyStroke> parseKeyNotation(const QString &notation)
{
    return Parser(notation).run();
}

QString literalKeys(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (kReserved.contains(c))
            out += QLatin1Char('{') + c + QLatin1Char('}');
        else
            out += c;
    }
    return out;
}
