#include "store/JetSql.h"

#include "store/DbError.h"
#include "store/JetDate.h"

namespace {

enum class Mode
{
    Statement,
    Criteria
};

DbError syntaxError(const QString &what)
{
    return DbError(DbErrNo::Syntax, what);
}

bool isIdentStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isIdentPart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

QString sqliteText(const QString &content)
{
    QString out = content;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

// A Jet LIKE pattern as an SQLite pattern with "\" as its escape character:
// * and ? are the wild cards, [c] a literal character, % and _ literal text
// (in record-set criteria % is a wild card too).
QString likePattern(const QString &jet, Mode mode)
{
    QString out;
    out.reserve(jet.size() + 4);
    for (qsizetype i = 0; i < jet.size(); ++i) {
        const QChar c = jet[i];
        if (c == QLatin1Char('*')) {
            out += QLatin1Char('%');
        } else if (c == QLatin1Char('?')) {
            out += QLatin1Char('_');
        } else if (c == QLatin1Char('%') && mode == Mode::Criteria) {
            out += QLatin1Char('%');
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = jet.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0)
                throw syntaxError(QStringLiteral("Invalid pattern string."));
            const QString inside = jet.mid(i + 1, close - i - 1);
            if (inside.size() == 1) {
                if (inside[0] == QLatin1Char('%') || inside[0] == QLatin1Char('_') ||
                    inside[0] == QLatin1Char('\\'))
                    out += QLatin1Char('\\');
                out += inside[0];
            } else {
                out += QLatin1Char('_'); // a class of characters: any one character
            }
            i = close;
        } else if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\')) {
            out += QLatin1Char('\\');
            out += c;
        } else {
            out += c;
        }
    }
    return out;
}

class Translator
{
public:
    Translator(const QString &in, Mode mode) : m_in(in), m_mode(mode) {}

    QString run()
    {
        m_out.reserve(m_in.size() + 16);
        while (m_pos < m_in.size()) {
            const QChar c = m_in[m_pos];
            if (c.isSpace()) {
                m_out += c;
                ++m_pos;
            } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
                textLiteral(c);
            } else if (c == QLatin1Char('[')) {
                bracketName();
            } else if (c == QLatin1Char('#')) {
                dateLiteral();
            } else if (c == QLatin1Char(';')) {
                endOfStatement();
            } else if (isIdentStart(c)) {
                word();
            } else if (c == QLatin1Char('&')) {
                put(QStringLiteral("||"));
                ++m_pos;
            } else if (c == QLatin1Char('-') && peek(1) == QLatin1Char('-')) {
                comment();
            } else {
                put(QString(c));
                ++m_pos;
            }
        }
        return m_out;
    }

private:
    QChar peek(qsizetype ahead) const
    {
        const qsizetype at = m_pos + ahead;
        return at < m_in.size() ? m_in[at] : QChar();
    }

    void put(const QString &token, bool isLike = false)
    {
        m_out += token;
        m_afterLike = isLike;
    }

    void textLiteral(QChar quote)
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
        if (m_afterLike) {
            put(sqliteText(likePattern(content, m_mode)) + QStringLiteral(" ESCAPE '\\'"));
        } else {
            put(sqliteText(content));
        }
    }

    void bracketName()
    {
        const qsizetype close = m_in.indexOf(QLatin1Char(']'), m_pos + 1);
        if (close < 0)
            throw syntaxError(QStringLiteral("Invalid bracketing of name '") + m_in.mid(m_pos) +
                              QStringLiteral("'."));
        QString name = m_in.mid(m_pos + 1, close - m_pos - 1);
        name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        put(QLatin1Char('"') + name + QLatin1Char('"'));
        m_pos = close + 1;
    }

    void dateLiteral()
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
        put(QLatin1Char('\'') + *iso + QLatin1Char('\''));
        m_pos = close + 1;
    }

    void endOfStatement()
    {
        for (qsizetype i = m_pos + 1; i < m_in.size(); ++i) {
            if (!m_in[i].isSpace())
                throw syntaxError(QStringLiteral("Characters found after end of SQL statement."));
        }
        if (m_mode == Mode::Criteria)
            throw syntaxError(QStringLiteral("Syntax error in query expression '") + m_in +
                              QStringLiteral("'."));
        m_pos = m_in.size();
    }

    void comment()
    {
        while (m_pos < m_in.size() && m_in[m_pos] != QLatin1Char('\n'))
            ++m_pos;
    }

    qsizetype skipSpace(qsizetype at) const
    {
        while (at < m_in.size() && m_in[at].isSpace())
            ++at;
        return at;
    }

    bool wordAt(qsizetype at, QLatin1String word) const
    {
        if (at + word.size() > m_in.size())
            return false;
        if (QStringView(m_in).mid(at, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return false;
        return at + word.size() == m_in.size() || !isIdentPart(m_in[at + word.size()]);
    }

    // "Name()" immediately followed by its empty argument list.
    bool emptyCallFollows(qsizetype at) const
    {
        const qsizetype open = skipSpace(at);
        if (open >= m_in.size() || m_in[open] != QLatin1Char('('))
            return false;
        const qsizetype close = skipSpace(open + 1);
        return close < m_in.size() && m_in[close] == QLatin1Char(')');
    }

    void word()
    {
        qsizetype end = m_pos;
        while (end < m_in.size() && isIdentPart(m_in[end]))
            ++end;
        const QString w = m_in.mid(m_pos, end - m_pos);
        m_pos = end;

        if (w.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) {
            put(QStringLiteral("-1"));
        } else if (w.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) {
            put(QStringLiteral("0"));
        } else if (w.compare(QLatin1String("LIKE"), Qt::CaseInsensitive) == 0) {
            put(w, true);
        } else if (w.compare(QLatin1String("DELETE"), Qt::CaseInsensitive) == 0) {
            put(w);
            const qsizetype star = skipSpace(m_pos);
            if (star < m_in.size() && m_in[star] == QLatin1Char('*') &&
                wordAt(skipSpace(star + 1), QLatin1String("FROM")))
                m_pos = star + 1; // Jet's "DELETE * FROM"
        } else if (w.compare(QLatin1String("Date"), Qt::CaseInsensitive) == 0 &&
                   emptyCallFollows(m_pos)) {
            put(QStringLiteral("date('now','localtime')"));
            m_pos = m_in.indexOf(QLatin1Char(')'), m_pos) + 1;
        } else if (w.compare(QLatin1String("Now"), Qt::CaseInsensitive) == 0 &&
                   emptyCallFollows(m_pos)) {
            put(QStringLiteral("datetime('now','localtime')"));
            m_pos = m_in.indexOf(QLatin1Char(')'), m_pos) + 1;
        } else {
            put(w);
        }
    }

    const QString &m_in;
    const Mode m_mode;
    QString m_out;
    qsizetype m_pos = 0;
    bool m_afterLike = false;
};

} // namespace

QString translateStatement(const QString &jetText)
{
    return Translator(jetText, Mode::Statement).run();
}

QString translateCriteria(const QString &jetText)
{
    return Translator(jetText, Mode::Criteria).run();
}
