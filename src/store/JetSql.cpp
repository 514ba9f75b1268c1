#include "store/JetSql.h"

#include "store/DbError.h"
#include "store/JetLexer.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// Jet's operator precedence, loosest first.
enum Prec
{
    PImp = 1,
    PEqv,
    PXor,
    POr,
    PAnd,
    PNot,
    PCompare,
    PConcat,
    PAddSub,
    PMod,
    PIntDiv,
    PMulDiv,
    PUnary,
    PPow
};

DbError syntaxError(const QString &what)
{
    return DbError(DbErrNo::Syntax, what);
}

// One translated expression. A comparison or logical result is true/false
// in SQLite (1/0) but -1/0 in Jet; it is turned into Jet's value wherever
// it is used as a value rather than as a condition.
struct Expr
{
    QString lead;
    QString body;
    bool isBool = false;

    QString value() const { return isBool ? QStringLiteral("-(") + body + QLatin1Char(')') : body; }
};

// Words that begin or shape a clause; never a column or a value.
bool isClauseWord(const QString &w)
{
    static const QStringList words = {
        QStringLiteral("SELECT"), QStringLiteral("DISTINCT"), QStringLiteral("FROM"),
        QStringLiteral("WHERE"),  QStringLiteral("GROUP"),    QStringLiteral("BY"),
        QStringLiteral("HAVING"), QStringLiteral("ORDER"),    QStringLiteral("ASC"),
        QStringLiteral("DESC"),   QStringLiteral("UPDATE"),   QStringLiteral("SET"),
        QStringLiteral("DELETE"), QStringLiteral("INSERT"),   QStringLiteral("INTO"),
        QStringLiteral("VALUES"), QStringLiteral("AS"),       QStringLiteral("JOIN"),
        QStringLiteral("INNER"),  QStringLiteral("LEFT"),     QStringLiteral("RIGHT"),
        QStringLiteral("OUTER"),  QStringLiteral("ON"),       QStringLiteral("UNION"),
        QStringLiteral("ALL"),    QStringLiteral("TOP")};
    return words.contains(w, Qt::CaseInsensitive);
}

// Words that join operands; never a column or a value.
bool isOperatorWord(const QString &w)
{
    static const QStringList words = {
        QStringLiteral("AND"), QStringLiteral("OR"),      QStringLiteral("NOT"),
        QStringLiteral("XOR"), QStringLiteral("EQV"),     QStringLiteral("IMP"),
        QStringLiteral("MOD"), QStringLiteral("LIKE"),    QStringLiteral("IS"),
        QStringLiteral("IN"),  QStringLiteral("BETWEEN"), QStringLiteral("EXISTS")};
    return words.contains(w, Qt::CaseInsensitive);
}

bool isAggregate(const QString &w)
{
    static const QStringList words = {QStringLiteral("Count"), QStringLiteral("Sum"),
                                      QStringLiteral("Avg"), QStringLiteral("Min"),
                                      QStringLiteral("Max")};
    return words.contains(w, Qt::CaseInsensitive);
}

class Parser
{
public:
    Parser(const QString &in, bool criteria)
        : m_in(in), m_criteria(criteria), m_t(tokenizeJet(in, criteria))
    {
    }

    QString criteria()
    {
        const Expr e = expr(PImp);
        expectEnd();
        return e.lead + e.body;
    }

    QString statement()
    {
        const JetToken &first = peek();
        for (const char *w : {"SELECT", "INSERT", "UPDATE", "DELETE"}) {
            if (first.isWord(QLatin1String(w))) {
                const QString out = clauses(false);
                expectEnd();
                return out;
            }
        }
        for (const char *w : {"CREATE", "ALTER", "DROP"}) {
            if (first.isWord(QLatin1String(w)))
                return definition();
        }
        throw syntaxError(QStringLiteral("Invalid SQL statement; expected 'DELETE', 'INSERT', "
                                         "'PROCEDURE', 'SELECT', or 'UPDATE'."));
    }

private:
    const JetToken &peek(qsizetype ahead = 0) const
    {
        return m_t[std::min(m_i + ahead, m_t.size() - 1)];
    }

    JetToken take()
    {
        const JetToken t = peek();
        if (t.kind != JetTok::End)
            ++m_i;
        return t;
    }

    [[noreturn]] void fail(const JetToken &at) const
    {
        if (at.kind == JetTok::End)
            throw syntaxError(
                QStringLiteral("Syntax error (missing operand) in query expression '") +
                m_in.trimmed() + QStringLiteral("'."));
        throw syntaxError(QStringLiteral("Syntax error in query expression '") + m_in.trimmed() +
                          QStringLiteral("' near '") + m_in.mid(at.pos, 20).trimmed() +
                          QStringLiteral("'."));
    }

    JetToken expectOp(QLatin1String op)
    {
        if (!peek().isOp(op))
            fail(peek());
        return take();
    }

    void expectEnd() const
    {
        if (peek().kind != JetTok::End)
            fail(peek());
    }

    // Data definition passes through with its literals and names translated.
    QString definition()
    {
        QString out;
        while (peek().kind != JetTok::End) {
            const JetToken t = take();
            out += t.lead + t.text;
        }
        return out;
    }

    // The clauses of a (sub)statement up to its end or, when nested, the
    // closing parenthesis.
    QString clauses(bool nested)
    {
        const Depth depth(m_depth);
        QString out;
        QString clause;
        bool starAllowed = false;
        bool afterOperand = false;
        for (;;) {
            const JetToken &t = peek();
            if (t.kind == JetTok::End || (nested && t.isOp(QLatin1String(")"))))
                return out;
            if (t.kind == JetTok::Word && isClauseWord(t.text) &&
                !(peek(1).isOp(QLatin1String("(")) &&
                  (t.isWord(QLatin1String("LEFT")) || t.isWord(QLatin1String("RIGHT"))))) {
                const JetToken kw = take();
                const QString upper = kw.text.toUpper();
                if (upper == QLatin1String("TOP"))
                    throw syntaxError(QStringLiteral("The TOP predicate is not supported by this "
                                                     "database; remove it from the statement."));
                out += kw.lead + kw.text;
                // These stand before an operand; the text may not end there.
                for (const char *w : {"WHERE", "HAVING", "ON", "BY", "SET", "FROM", "AS", "SELECT",
                                      "UPDATE", "INTO", "VALUES"}) {
                    if (upper == QLatin1String(w) &&
                        (peek().kind == JetTok::End || peek().isOp(QLatin1String(")"))))
                        fail(peek());
                }
                starAllowed =
                    upper == QLatin1String("SELECT") || upper == QLatin1String("DISTINCT");
                if (upper == QLatin1String("DELETE") && peek().isOp(QLatin1String("*")) &&
                    peek(1).isWord(QLatin1String("FROM")))
                    take(); // Jet's "DELETE * FROM"
                else if (upper == QLatin1String("SET"))
                    out += assignments();
                else if (upper == QLatin1String("INTO"))
                    out += intoTarget();
                else if (upper == QLatin1String("VALUES"))
                    out += parenthesised(true);
                afterOperand = upper == QLatin1String("SET") || upper == QLatin1String("INTO") ||
                               upper == QLatin1String("VALUES");
                if (upper != QLatin1String("AS") && upper != QLatin1String("BY") &&
                    upper != QLatin1String("ASC") && upper != QLatin1String("DESC") &&
                    upper != QLatin1String("DISTINCT") && upper != QLatin1String("ALL"))
                    clause = upper;
                continue;
            }
            if (t.isOp(QLatin1String(","))) {
                afterOperand = false;
                out += take().lead + QLatin1Char(',');
                starAllowed = clause == QLatin1String("SELECT");
                continue;
            }
            if (t.isOp(QLatin1String("*")) && starAllowed) {
                out += take().lead + QLatin1Char('*');
                starAllowed = false;
                afterOperand = true;
                continue;
            }
            // Two operands in a row: only a name after a column or a table
            // (its alias) may follow one.
            if (afterOperand &&
                !((t.kind == JetTok::Word || t.kind == JetTok::Name) &&
                  (clause == QLatin1String("SELECT") || clause == QLatin1String("FROM") ||
                   clause == QLatin1String("JOIN"))))
                fail(t);
            const Expr e = expr(PImp);
            out += e.lead + (clause == QLatin1String("SELECT") ? e.value() : e.body);
            starAllowed = false;
            afterOperand = true;
        }
    }

    // "col = value, ..." after SET: an assignment, not a comparison.
    QString assignments()
    {
        QString out;
        for (;;) {
            const JetToken target = take();
            if (target.kind != JetTok::Word && target.kind != JetTok::Name)
                fail(target);
            out += target.lead + qualified(target.text);
            const JetToken eq = expectOp(QLatin1String("="));
            const Expr e = expr(PImp);
            out += eq.lead + QLatin1Char('=') + e.lead + e.value();
            if (!peek().isOp(QLatin1String(",")))
                return out;
            out += take().lead + QLatin1Char(',');
        }
    }

    // The table after INTO and its optional column list.
    QString intoTarget()
    {
        const JetToken table = take();
        if (table.kind != JetTok::Word && table.kind != JetTok::Name)
            fail(table);
        QString out = table.lead + qualified(table.text);
        if (!peek().isOp(QLatin1String("(")))
            return out;
        out += take().lead + QLatin1Char('(');
        for (;;) {
            const JetToken column = take();
            if (column.kind != JetTok::Word && column.kind != JetTok::Name)
                fail(column);
            out += column.lead + column.text;
            const JetToken sep = take();
            if (sep.isOp(QLatin1String(")")))
                return out + sep.lead + QLatin1Char(')');
            if (!sep.isOp(QLatin1String(",")))
                fail(sep);
            out += sep.lead + QLatin1Char(',');
        }
    }

    // "(" a subquery or a list of values ")".
    QString parenthesised(bool valuesOnly)
    {
        const JetToken open = expectOp(QLatin1String("("));
        QString out = open.lead + QLatin1Char('(');
        if (!valuesOnly && peek().isWord(QLatin1String("SELECT"))) {
            out += clauses(true);
        } else {
            for (;;) {
                const Expr e = expr(PImp);
                out += e.lead + e.value();
                if (!peek().isOp(QLatin1String(",")))
                    break;
                out += take().lead + QLatin1Char(',');
            }
        }
        const JetToken close = expectOp(QLatin1String(")"));
        return out + close.lead + QLatin1Char(')');
    }

    // A name and any ".name" or ".*" parts after it.
    QString qualified(QString name)
    {
        while (peek().isOp(QLatin1String("."))) {
            const JetToken dot = take();
            const JetToken part = take();
            if (part.kind != JetTok::Word && part.kind != JetTok::Name &&
                !part.isOp(QLatin1String("*")))
                fail(part);
            name += dot.lead + QLatin1Char('.') + part.lead + part.text;
        }
        return name;
    }

    static Expr call(const char *function, const Expr &left, const Expr &right)
    {
        return {left.lead, QLatin1String(function) + QLatin1Char('(') + left.value() +
                               QStringLiteral(", ") + right.value() + QLatin1Char(')')};
    }

    static Expr native(const Expr &left, const JetToken &op, const QString &opText,
                       const QString &right)
    {
        return {left.lead, left.body + op.lead + opText + right, true};
    }

    // Bounds the parser's recursion, as the engine bounds its own.
    struct Depth
    {
        explicit Depth(int &depth) : m_depth(depth)
        {
            if (++m_depth > 200)
                throw syntaxError(QStringLiteral("Query is too complex."));
        }
        ~Depth() { --m_depth; }
        int &m_depth;
    };

    Expr expr(int minPrec)
    {
        const Depth depth(m_depth);
        Expr left = unary();
        for (;;) {
            const JetToken &t = peek();
            const bool negated =
                t.isWord(QLatin1String("NOT")) &&
                (peek(1).isWord(QLatin1String("LIKE")) || peek(1).isWord(QLatin1String("IN")) ||
                 peek(1).isWord(QLatin1String("BETWEEN")));
            const int prec = precedence(t, negated);
            if (prec == 0 || prec < minPrec)
                return left;
            const JetToken op = take();
            if (negated) {
                const JetToken word = take();
                left = comparison(left, op, op.text + word.lead + word.text, word);
                continue;
            }
            if (prec == PCompare) {
                left = comparison(left, op, op.text, op);
                continue;
            }
            const Expr right = expr(prec + 1);
            if (op.kind == JetTok::Op) {
                static const char *const names[][2] = {
                    {"+", "jet_add"},   {"-", "jet_sub"}, {"*", "jet_mul"}, {"/", "jet_div"},
                    {"\\", "jet_idiv"}, {"^", "jet_pow"}, {"&", "jet_cat"}};
                for (const auto &n : names) {
                    if (op.text == QLatin1String(n[0]))
                        left = call(n[1], left, right);
                }
                continue;
            }
            const QString w = op.text.toUpper();
            if (w == QLatin1String("MOD"))
                left = call("jet_mod", left, right);
            else if (w == QLatin1String("AND") || w == QLatin1String("OR"))
                left = native(left, op, op.text, right.lead + right.body);
            else if (w == QLatin1String("XOR"))
                left = {left.lead,
                        QStringLiteral("((") + left.body + QStringLiteral(") <> 0) <> ((") +
                            right.body + QStringLiteral(") <> 0)"),
                        true};
            else if (w == QLatin1String("EQV"))
                left = {left.lead,
                        QStringLiteral("((") + left.body + QStringLiteral(") <> 0) = ((") +
                            right.body + QStringLiteral(") <> 0)"),
                        true};
            else // IMP
                left = {left.lead,
                        QStringLiteral("(NOT (") + left.body + QStringLiteral(") OR (") +
                            right.body + QStringLiteral("))"),
                        true};
        }
    }

    static int precedence(const JetToken &t, bool negated)
    {
        if (negated)
            return PCompare;
        if (t.kind == JetTok::Op) {
            const QString &o = t.text;
            if (o == QLatin1String("^"))
                return PPow;
            if (o == QLatin1String("*") || o == QLatin1String("/"))
                return PMulDiv;
            if (o == QLatin1String("\\"))
                return PIntDiv;
            if (o == QLatin1String("+") || o == QLatin1String("-"))
                return PAddSub;
            if (o == QLatin1String("&"))
                return PConcat;
            if (o == QLatin1String("=") || o == QLatin1String("<>") || o == QLatin1String("<") ||
                o == QLatin1String(">") || o == QLatin1String("<=") || o == QLatin1String(">="))
                return PCompare;
            return 0;
        }
        if (t.kind != JetTok::Word)
            return 0;
        const QString w = t.text.toUpper();
        if (w == QLatin1String("MOD"))
            return PMod;
        if (w == QLatin1String("LIKE") || w == QLatin1String("IS") || w == QLatin1String("IN") ||
            w == QLatin1String("BETWEEN"))
            return PCompare;
        if (w == QLatin1String("AND"))
            return PAnd;
        if (w == QLatin1String("OR"))
            return POr;
        if (w == QLatin1String("XOR"))
            return PXor;
        if (w == QLatin1String("EQV"))
            return PEqv;
        if (w == QLatin1String("IMP"))
            return PImp;
        return 0;
    }

    // The right side of a comparison operator (opText as it is written out).
    Expr comparison(const Expr &left, const JetToken &op, const QString &opText,
                    const JetToken &kind)
    {
        Expr lhs = left;
        lhs.body = left.value();
        if (kind.isWord(QLatin1String("LIKE"))) {
            const int after = precedence(peek(1), false);
            if (peek().kind == JetTok::Text && (after == 0 || after <= PCompare)) {
                const JetToken pattern = take();
                QString text = jetLikePattern(pattern.raw, m_criteria);
                text.replace(QLatin1Char('\''), QStringLiteral("''"));
                return native(lhs, op, opText,
                              pattern.lead + QLatin1Char('\'') + text +
                                  QStringLiteral("' ESCAPE '\\'"));
            }
            const Expr r = expr(PConcat);
            return native(lhs, op, opText,
                          r.lead + QStringLiteral("jet_likepattern(") + r.value() +
                              (m_criteria ? QStringLiteral(", 1)") : QStringLiteral(", 0)")) +
                              QStringLiteral(" ESCAPE '\\'"));
        }
        if (kind.isWord(QLatin1String("IS"))) {
            QString rest;
            if (peek().isWord(QLatin1String("NOT"))) {
                const JetToken n = take();
                rest += n.lead + n.text;
            }
            const JetToken null = take();
            if (!null.isWord(QLatin1String("NULL")))
                fail(null);
            return native(lhs, op, opText, rest + null.lead + null.text);
        }
        if (kind.isWord(QLatin1String("IN")))
            return native(lhs, op, opText, parenthesised(false));
        if (kind.isWord(QLatin1String("BETWEEN"))) {
            const Expr low = expr(PConcat);
            const JetToken a = take();
            if (!a.isWord(QLatin1String("AND")))
                fail(a);
            const Expr high = expr(PConcat);
            return native(lhs, op, opText,
                          low.lead + low.value() + a.lead + a.text + high.lead + high.value());
        }
        // Jet compares texts without regard to case, literals too; numbers
        // and dates need no collation.
        static const QRegularExpression plain(
            QStringLiteral("^(-?[0-9.]+|'\\d{4}-\\d\\d-\\d\\d( \\d\\d:\\d\\d:\\d\\d)?')$"));
        const Expr r = expr(PCompare + 1);
        const QString collate =
            plain.match(r.body).hasMatch() ? QString() : QStringLiteral(" COLLATE NOCASE");
        return native(lhs, op, opText, r.lead + r.value() + collate);
    }

    Expr unary()
    {
        const JetToken &t = peek();
        if (t.isWord(QLatin1String("NOT"))) {
            const JetToken n = take();
            const Expr e = expr(PNot);
            return {n.lead, n.text + e.lead + e.body, true};
        }
        if (t.isOp(QLatin1String("-"))) {
            const JetToken m = take();
            // A negative number stays a literal, unless "^" binds it first.
            if (peek().kind == JetTok::Number && !peek(1).isOp(QLatin1String("^"))) {
                const JetToken n = take();
                return {m.lead, QLatin1Char('-') + n.lead + n.text};
            }
            const Expr e = expr(PUnary);
            return {m.lead, QStringLiteral("jet_neg(") + e.value() + QLatin1Char(')')};
        }
        if (t.isOp(QLatin1String("+"))) {
            const JetToken p = take();
            const Expr e = expr(PUnary);
            return {p.lead, e.value()};
        }
        return primary();
    }

    Expr primary()
    {
        const JetToken t = take();
        switch (t.kind) {
        case JetTok::Number:
        case JetTok::Text:
        case JetTok::Date:
            return {t.lead, t.text};
        case JetTok::Name:
            return {t.lead, qualified(t.text)};
        case JetTok::Word:
            return word(t);
        case JetTok::Op:
            if (t.isOp(QLatin1String("("))) {
                if (peek().isWord(QLatin1String("SELECT"))) {
                    const QString inner = clauses(true);
                    const JetToken close = expectOp(QLatin1String(")"));
                    return {t.lead, QLatin1Char('(') + inner + close.lead + QLatin1Char(')')};
                }
                const Expr e = expr(PImp);
                const JetToken close =
                    expectOp(QLatin1String(")")); // a list only after IN or VALUES
                return {t.lead, QLatin1Char('(') + e.lead + e.body + close.lead + QLatin1Char(')'),
                        e.isBool};
            }
            fail(t);
        case JetTok::End:
            fail(t);
        }
        fail(t);
    }

    Expr word(const JetToken &t)
    {
        const QString w = t.text.toUpper();
        if (w == QLatin1String("TRUE") || w == QLatin1String("YES") || w == QLatin1String("ON"))
            return {t.lead, QStringLiteral("-1")};
        if (w == QLatin1String("FALSE") || w == QLatin1String("NO") || w == QLatin1String("OFF"))
            return {t.lead, QStringLiteral("0")};
        if (w == QLatin1String("NULL"))
            return {t.lead, t.text};
        if (w == QLatin1String("EXISTS"))
            return {t.lead, t.text + parenthesised(false), true};
        if (peek().isOp(QLatin1String("(")))
            return functionCall(t);
        if (isClauseWord(t.text) || isOperatorWord(t.text))
            fail(t);
        return {t.lead, qualified(t.text)};
    }

    Expr functionCall(const JetToken &name)
    {
        const JetToken open = take();
        QString args;
        if (peek().isOp(QLatin1String("*")) && peek(1).isOp(QLatin1String(")")) &&
            isAggregate(name.text)) {
            args = take().lead + QLatin1Char('*');
        } else if (!peek().isOp(QLatin1String(")"))) {
            for (;;) {
                const Expr e = expr(PImp);
                args += e.lead + e.value();
                if (!peek().isOp(QLatin1String(",")))
                    break;
                args += take().lead + QLatin1Char(',');
            }
        }
        const JetToken close = expectOp(QLatin1String(")"));
        // Every other function is the engine's own; one it lacks fails at
        // prepare time with Jet's "Undefined function" message.
        const QString target =
            isAggregate(name.text) ? name.text : QStringLiteral("jet_") + name.text;
        return {name.lead,
                target + open.lead + QLatin1Char('(') + args + close.lead + QLatin1Char(')')};
    }

    const QString &m_in;
    const bool m_criteria;
    const QList<JetToken> m_t;
    qsizetype m_i = 0;
    int m_depth = 0;
};

} // namespace

QString jetLikePattern(const QString &jet, bool criteria)
{
    // Jet: * ? # wild cards, [..] a class or a quoted character, the rest
    // literal. Record-set criteria: * and % wild cards, [ an ordinary one.
    auto literal = [](QString &out, QChar c) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\') ||
            c == QLatin1Char('#') || c == QLatin1Char('['))
            out += QLatin1Char('\\');
        out += c;
    };
    QString out;
    out.reserve(jet.size() + 4);
    for (qsizetype i = 0; i < jet.size(); ++i) {
        const QChar c = jet[i];
        if (c == QLatin1Char('*') || (criteria && c == QLatin1Char('%'))) {
            out += QLatin1Char('%');
        } else if (c == QLatin1Char('?')) {
            out += QLatin1Char('_');
        } else if (c == QLatin1Char('#') && !criteria) {
            out += QLatin1Char('#');
        } else if (c == QLatin1Char('[') && !criteria) {
            const qsizetype close = jet.indexOf(QLatin1Char(']'), i + 1);
            if (close < 0)
                throw syntaxError(QStringLiteral("Invalid pattern string."));
            const QString inside = jet.mid(i + 1, close - i - 1);
            if (inside.size() == 1)
                literal(out, inside[0]);
            else if (!inside.isEmpty())
                out += QLatin1Char('[') + inside + QLatin1Char(']');
            i = close;
        } else {
            literal(out, c);
        }
    }
    return out;
}

QString translateStatement(const QString &jetText)
{
    return Parser(jetText, false).statement();
}

QString translateCriteria(const QString &jetText)
{
    return Parser(jetText, true).criteria();
}
