// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/JetLexer.h"

#include "store/DbError.h"
#include "store/JetDate.h"

namespace {

bool isIdentStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isIdentPart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

DbError syntaxError(const QString &what)
{
    return DbError(DbErrNo::Syntax, what);
}

// A text as an SQLite literal. SQLite's tokenizer stops at a NUL, so one
// inside the text is spliced in with char(0).
QString sqliteText(const QString &content)
{
    QString out = content;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    if (out.contains(QChar(0)))
        return QStringLiteral("('") + out.replace(QChar(0), QStringLiteral("' || char(0) || '")) +
               QStringLiteral("')");
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

class Lexer
{
public:
    Lexer(const QString &in, bool criteria) : m_in(in), m_criteria(criteria) {}

    QList<JetToken> run()
    {
        QList<JetToken> out;
        for (;;) {
            JetToken t;
            t.lead = blanks();
            t.pos = m_pos;
            if (m_pos >= m_in.size()) {
                out.append(t);
                return out;
            }
            const QChar c = m_in[m_pos];
            if (c == QLatin1Char(';')) {
                endOfStatement();
                continue;
            }
            if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
                textLiteral(t, c);
            else if (c == QLatin1Char('['))
                bracketName(t);
            else if (c == QLatin1Char('#'))
                dateLiteral(t);
            else if (c.isDigit() || (c == QLatin1Char('.') && peek(1).isDigit()))
                number(t);
            else if (isIdentStart(c))
                word(t);
            else
                op(t, c);
            out.append(t);
        }
    }

private:
    QChar peek(qsizetype ahead) const
    {
        const qsizetype at = m_pos + ahead;
        return at < m_in.size() ? m_in[at] : QChar();
    }

    // Blanks. Jet SQL has no comments: "--7" is minus minus seven, and a
    // "/*" (no Jet syntax) is refused rather than read as anything.
    QString blanks()
    {
        QString lead;
        while (m_pos < m_in.size()) {
            const QChar c = m_in[m_pos];
            if (c.isSpace() && c != QChar(0)) {
                lead += c;
                ++m_pos;
            } else if (c == QLatin1Char('/') && peek(1) == QLatin1Char('*')) {
                throw syntaxError(QStringLiteral("Jet SQL has no comments: remove the '/*' at "
                                                 "position %1 of the query expression '%2'.")
                                      .arg(m_pos + 1)
                                      .arg(m_in.trimmed()));
            } else {
                break;
            }
        }
        return lead;
    }

    void textLiteral(JetToken &t, QChar quote)
    {
        const qsizetype start = m_pos;
        QString content;
        ++m_pos;
        for (;;) {
            if (m_pos >= m_in.size())
                throw syntaxError(QStringLiteral("Syntax error in string in query expression '") +
                                  m_in.mid(start) + QStringLiteral("'."));
            const QChar c = m_in[m_pos++];
            if (c == quote) {
                if (m_pos < m_in.size() && m_in[m_pos] == quote) {
                    content += c;
                    ++m_pos;
                    continue;
                }
                break;
            }
            content += c;
        }
        t.kind = JetTok::Text;
        t.raw = content;
        t.text = sqliteText(content);
    }

    void bracketName(JetToken &t)
    {
        const qsizetype close = m_in.indexOf(QLatin1Char(']'), m_pos + 1);
        if (close < 0)
            throw syntaxError(QStringLiteral("Invalid bracketing of name '") + m_in.mid(m_pos) +
                              QStringLiteral("'."));
        QString name = m_in.mid(m_pos + 1, close - m_pos - 1);
        if (name.contains(QChar(0)))
            throw syntaxError(QStringLiteral("Invalid bracketing of name '") +
                              m_in.mid(m_pos, close - m_pos + 1) +
                              QStringLiteral("': a name cannot hold a NUL character."));
        t.raw = name;
        name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        t.kind = JetTok::Name;
        t.text = QLatin1Char('"') + name + QLatin1Char('"');
        m_pos = close + 1;
    }

    void dateLiteral(JetToken &t)
    {
        const qsizetype close = m_in.indexOf(QLatin1Char('#'), m_pos + 1);
        if (close < 0)
            throw syntaxError(QStringLiteral("Syntax error in date in query expression '") +
                              m_in.mid(m_pos) + QStringLiteral("'."));
        const QString inside = m_in.mid(m_pos + 1, close - m_pos - 1);
        const std::optional<QString> iso = jetDateToIso(inside);
        if (!iso)
            throw syntaxError(QStringLiteral("Syntax error in date in query expression '#") +
                              inside + QStringLiteral("#'."));
        t.kind = JetTok::Date;
        t.raw = inside;
        t.text = QLatin1Char('\'') + *iso + QLatin1Char('\'');
        m_pos = close + 1;
    }

    void number(JetToken &t)
    {
        const qsizetype start = m_pos;
        while (peek(0).isDigit())
            ++m_pos;
        if (peek(0) == QLatin1Char('.')) {
            ++m_pos;
            while (peek(0).isDigit())
                ++m_pos;
        }
        if ((peek(0) == QLatin1Char('e') || peek(0) == QLatin1Char('E')) &&
            (peek(1).isDigit() ||
             ((peek(1) == QLatin1Char('+') || peek(1) == QLatin1Char('-')) && peek(2).isDigit()))) {
            m_pos += 2;
            while (peek(0).isDigit())
                ++m_pos;
        }
        if (isIdentPart(peek(0)))
            throw syntaxError(QStringLiteral("Syntax error in number in query expression '") +
                              m_in.mid(start) + QStringLiteral("'."));
        t.kind = JetTok::Number;
        t.text = t.raw = m_in.mid(start, m_pos - start);
    }

    void word(JetToken &t)
    {
        const qsizetype start = m_pos;
        while (m_pos < m_in.size() && isIdentPart(m_in[m_pos]))
            ++m_pos;
        t.kind = JetTok::Word;
        t.text = t.raw = m_in.mid(start, m_pos - start);
    }

    void op(JetToken &t, QChar c)
    {
        t.kind = JetTok::Op;
        const QString two = m_in.mid(m_pos, 2);
        if (two == QLatin1String("<>") || two == QLatin1String("<=") ||
            two == QLatin1String(">=")) {
            t.text = t.raw = two;
            m_pos += 2;
            return;
        }
        if (QStringLiteral("+-*/\\^&=<>(),.").contains(c)) {
            t.text = t.raw = QString(c);
            ++m_pos;
            return;
        }
        if (c == QLatin1Char('?') ||
            ((c == QLatin1Char('@') || c == QLatin1Char(':')) && isIdentStart(peek(1))))
            throw DbError(DbErrNo::NoValue,
                          QStringLiteral("No value given for one or more required parameters."));
        if (c == QChar(0))
            throw syntaxError(
                QStringLiteral("The query holds a NUL character outside a text, at position %1.")
                    .arg(m_pos + 1));
        throw syntaxError(QStringLiteral("Invalid character '%1' in query expression '%2'.")
                              .arg(QString(c), m_in));
    }

    void endOfStatement()
    {
        for (qsizetype i = m_pos + 1; i < m_in.size(); ++i) {
            if (!m_in[i].isSpace() || m_in[i] == QChar(0))
                throw syntaxError(QStringLiteral("Characters found after end of SQL statement."));
        }
        if (m_criteria)
            throw syntaxError(QStringLiteral("Syntax error in query expression '") + m_in +
                              QStringLiteral("'."));
        m_pos = m_in.size();
    }

    const QString &m_in;
    const bool m_criteria;
    qsizetype m_pos = 0;
};

} // namespace

QList<JetToken> tokenizeJet(const QString &jetText, bool criteria)
{
    return Lexer(jetText, criteria).run();
}
