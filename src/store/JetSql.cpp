// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/JetSql.h"

#include "store/DbError.h"
#include "store/JetCollation.h"
#include "store/JetLexer.h"
#include "store/JetValue.h"

#include <QHash>
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

// One translated expression and what it is known to be. A comparison or
// logical result is true/false in SQLite (1/0) but -1/0 in Jet; it is
// turned into Jet's value wherever it is used as a value rather than as a
// condition.
struct Expr
{
    explicit Expr(QString leadText = {}, QString bodyText = {}, JetKind of = JetKind::Unknown)
        : lead(std::move(leadText)), body(std::move(bodyText)), kind(of)
    {
    }

    QString lead;
    QString body;
    bool isBool = false;
    JetKind kind = JetKind::Unknown;
    QString serial; // a date literal's serial number
    QString column; // the name, when the expression is a bare column

    QString value() const { return isBool ? QStringLiteral("-(") + body + QLatin1Char(')') : body; }
};

const QString kCollate = QStringLiteral(" COLLATE ") + QLatin1String(kJetCollation);

bool numeric(JetKind k)
{
    return k == JetKind::Number || k == JetKind::Bool;
}

// Texts meet (or may meet) here: compare them by Jet's sort order.
bool mayBeText(JetKind k)
{
    return k == JetKind::Text || k == JetKind::Unknown || k == JetKind::Null;
}

// A date as its serial number, for comparing and aggregating.
QString asSerial(const Expr &e)
{
    if (!e.serial.isEmpty())
        return e.serial;
    if (numeric(e.kind))
        return e.value();
    return QStringLiteral("jetdate_serial(") + e.value() + QLatin1Char(')');
}

// An argument of a Jet function: a date goes tagged as one.
QString asArgument(const Expr &e)
{
    if (e.kind == JetKind::Date)
        return QStringLiteral("jetdate_tag(") + e.value() + QLatin1Char(')');
    return e.value();
}

// What a function of the engine hands back.
JetKind resultKind(const QString &function)
{
    static const QHash<QString, JetKind> kinds = [] {
        QHash<QString, JetKind> k;
        for (const char *f : {"cdate", "dateadd", "dateserial", "datevalue", "timeserial",
                              "timevalue", "now", "date", "time"})
            k.insert(QLatin1String(f), JetKind::Date);
        for (const char *f : {"cstr", "format", "lcase", "ucase", "left", "right", "mid", "ltrim",
                              "rtrim", "trim", "space", "string"})
            k.insert(QLatin1String(f), JetKind::Text);
        for (const char *f : {"abs",   "cdbl",   "cint",  "clng", "datediff", "datepart", "day",
                              "fix",   "hour",   "instr", "int",  "len",      "minute",   "month",
                              "round", "second", "sgn",   "sqr",  "val",      "weekday",  "year"})
            k.insert(QLatin1String(f), JetKind::Number);
        for (const char *f : {"isdate", "isnull", "isnumeric"})
            k.insert(QLatin1String(f), JetKind::Bool);
        return k;
    }();
    return kinds.value(function.toLower(), JetKind::Unknown);
}

// The kind of an operator's result from its operands' kinds.
JetKind operatorKind(const QString &op, JetKind a, JetKind b)
{
    if (op == QLatin1String("&"))
        return JetKind::Text;
    if (a == JetKind::Null || b == JetKind::Null)
        return JetKind::Null;
    const bool dateA = a == JetKind::Date;
    const bool dateB = b == JetKind::Date;
    if (op == QLatin1String("+")) {
        if (a == JetKind::Text && b == JetKind::Text)
            return JetKind::Text;
        if ((dateA && numeric(b)) || (numeric(a) && dateB))
            return JetKind::Date;
    } else if (op == QLatin1String("-")) {
        if (dateA && dateB)
            return JetKind::Number;
        if ((dateA && numeric(b)) || (numeric(a) && dateB))
            return JetKind::Date;
    } else {
        return JetKind::Number;
    }
    return numeric(a) && numeric(b) ? JetKind::Number : JetKind::Unknown;
}

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
    Parser(const QString &in, bool criteria, const JetSchema &schema, QStringList tables)
        : m_in(in), m_criteria(criteria), m_schema(schema), m_t(tokenizeJet(in, criteria)),
          m_tables(std::move(tables))
    {
        scan();
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
        throw syntaxError(QStringLiteral("Invalid SQL statement; expected 'DELETE', 'INSERT', "
                                         "'PROCEDURE', 'SELECT', or 'UPDATE'."));
    }

private:
    // What the whole text says before it is parsed: the tables it names
    // (their columns' kinds type its names) and whether its rows are made
    // distinct, so that texts are told apart as Jet tells them.
    void scan()
    {
        const bool given = !m_tables.isEmpty();
        for (qsizetype i = 0; i < m_t.size(); ++i) {
            const JetToken &t = m_t[i];
            if (t.isWord(QLatin1String("DISTINCT")) || t.isWord(QLatin1String("UNION")) ||
                t.isWord(QLatin1String("DISTINCTROW")))
                m_collateSelect = true;
            const bool from = t.isWord(QLatin1String("FROM"));
            if (t.isWord(QLatin1String("JOIN")))
                m_joined = true;
            if (given || !(from || t.isWord(QLatin1String("JOIN")) ||
                           t.isWord(QLatin1String("UPDATE")) || t.isWord(QLatin1String("INTO"))))
                continue;
            auto isName = [&](qsizetype j) {
                if (j >= m_t.size())
                    return false;
                const JetToken &n = m_t[j];
                return n.kind == JetTok::Name ||
                       (n.kind == JetTok::Word && !isClauseWord(n.text) && !isOperatorWord(n.text));
            };
            for (qsizetype j = i + 1; isName(j);) {
                m_tables << (m_t[j].kind == JetTok::Name ? m_t[j].raw : m_t[j].text);
                if (from)
                    ++m_fromTables;
                ++j;
                if (j < m_t.size() && m_t[j].isWord(QLatin1String("AS")))
                    ++j;
                if (isName(j) && !m_t[j].isOp(QLatin1String(",")))
                    ++j; // an alias
                if (j >= m_t.size() || !m_t[j].isOp(QLatin1String(",")))
                    break;
                ++j;
            }
        }
    }

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

    // The clauses of a (sub)statement up to its end or, when nested, the
    // closing parenthesis. *firstKind: the kind of the first selected value.
    QString clauses(bool nested, JetKind *firstKind = nullptr)
    {
        const Depth depth(m_depth);
        QString out;
        QString clause;
        bool starAllowed = false;
        bool afterOperand = false;
        int items = 0;
        for (;;) {
            const JetToken &t = peek();
            if (t.kind == JetTok::End || (nested && t.isOp(QLatin1String(")"))))
                return out;
            if (t.isWord(QLatin1String("DISTINCTROW")) && clause == QLatin1String("SELECT") &&
                items == 0) {
                // Jet ignores it over one table; over several it would keep
                // rows that DISTINCT drops.
                if (m_fromTables > 1 || m_joined)
                    throw syntaxError(QStringLiteral(
                        "DISTINCTROW over more than one table is not supported by this "
                        "database; use DISTINCT, which compares only the selected fields."));
                take();
                continue;
            }
            if (t.kind == JetTok::Word && isClauseWord(t.text) &&
                !(peek(1).isOp(QLatin1String("(")) &&
                  (t.isWord(QLatin1String("LEFT")) || t.isWord(QLatin1String("RIGHT"))))) {
                const JetToken kw = take();
                const QString upper = kw.text.toUpper();
                if (upper == QLatin1String("TOP"))
                    throw syntaxError(QStringLiteral("The TOP predicate is not supported by this "
                                                     "database; remove it from the statement."));
                // A keyword glued to what stands before it ("'doctor'ORDER")
                // is read as Jet reads it, but the blank goes back in.
                out +=
                    (kw.lead.isEmpty() && !out.isEmpty() ? QStringLiteral(" ") : kw.lead) + kw.text;
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
                    out += values();
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
                ++items;
                continue;
            }
            // Two operands in a row: only a name after a column or a table
            // (its alias) may follow one.
            if (afterOperand &&
                !((t.kind == JetTok::Word || t.kind == JetTok::Name) &&
                  (clause == QLatin1String("SELECT") || clause == QLatin1String("FROM") ||
                   clause == QLatin1String("JOIN"))))
                fail(t);
            if (afterOperand) { // an alias
                const JetToken alias = take();
                out += alias.lead + alias.text;
                continue;
            }
            const Expr e = expr(PImp);
            out += e.lead + clauseItem(clause, e);
            if (clause == QLatin1String("SELECT") && items++ == 0 && firstKind)
                *firstKind = e.kind;
            starAllowed = false;
            afterOperand = true;
        }
    }

    // One value of a clause as it is written out: sorted, grouped and made
    // distinct by Jet's text order.
    QString clauseItem(const QString &clause, const Expr &e) const
    {
        if (clause == QLatin1String("ORDER") || clause == QLatin1String("GROUP"))
            return mayBeText(e.kind) ? e.body + kCollate : e.body;
        if (clause != QLatin1String("SELECT"))
            return e.body;
        if (!m_collateSelect || !mayBeText(e.kind))
            return e.value();
        // The collation must not rename the field.
        const bool named = peek().isWord(QLatin1String("AS")) ||
                           ((peek().kind == JetTok::Word || peek().kind == JetTok::Name) &&
                            !isClauseWord(peek().text) && !isOperatorWord(peek().text));
        if (named || e.column.isEmpty())
            return e.value() + kCollate;
        return e.value() + kCollate + QStringLiteral(" AS ") + quotedIdentifier(e.column);
    }

    static QString quotedIdentifier(QString name)
    {
        return QLatin1Char('"') + name.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
               QLatin1Char('"');
    }

    // A value stored into a column of a known kind, converted as Jet
    // converts it: a number or a date text into a date column becomes that
    // date, a date into a text column its text.
    static QString stored(JetKind target, const Expr &e)
    {
        if (target == JetKind::Date &&
            (e.kind == JetKind::Number || e.kind == JetKind::Bool || e.kind == JetKind::Text))
            return QStringLiteral("jetdate_of(") + e.value() + QLatin1Char(')');
        if (target == JetKind::Text && e.kind == JetKind::Date)
            return QStringLiteral("jet_cstr(") + asArgument(e) + QLatin1Char(')');
        return e.value();
    }

    // "col = value, ..." after SET: an assignment, not a comparison.
    QString assignments()
    {
        QString out;
        for (;;) {
            const JetToken target = take();
            if (target.kind != JetTok::Word && target.kind != JetTok::Name)
                fail(target);
            QStringList parts;
            out += target.lead + qualified(target, &parts);
            const JetToken eq = expectOp(QLatin1String("="));
            const Expr e = expr(PImp);
            out += eq.lead + QLatin1Char('=') + e.lead + stored(columnKind(parts), e);
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
        QStringList tableParts;
        QString out = table.lead + qualified(table, &tableParts);
        if (!peek().isOp(QLatin1String("(")))
            return out;
        out += take().lead + QLatin1Char('(');
        for (;;) {
            const JetToken column = take();
            if (column.kind != JetTok::Word && column.kind != JetTok::Name)
                fail(column);
            out += column.lead + column.text;
            m_insertKinds << m_schema.kindOf(tableParts.last(), name(column));
            const JetToken sep = take();
            if (sep.isOp(QLatin1String(")")))
                return out + sep.lead + QLatin1Char(')');
            if (!sep.isOp(QLatin1String(",")))
                fail(sep);
            out += sep.lead + QLatin1Char(',');
        }
    }

    // "(" the values of an INSERT ")", each converted for its column.
    QString values()
    {
        const JetToken open = expectOp(QLatin1String("("));
        QString out = open.lead + QLatin1Char('(');
        for (qsizetype i = 0;; ++i) {
            const Expr e = expr(PImp);
            out += e.lead + (i < m_insertKinds.size() ? stored(m_insertKinds[i], e) : e.value());
            if (!peek().isOp(QLatin1String(",")))
                break;
            out += take().lead + QLatin1Char(',');
        }
        const JetToken close = expectOp(QLatin1String(")"));
        return out + close.lead + QLatin1Char(')');
    }

    // "(" a subquery or a list of values ")" after IN or EXISTS; a list's
    // values as serial numbers when they meet a date.
    QString parenthesised(bool asSerials)
    {
        const JetToken open = expectOp(QLatin1String("("));
        QString out = open.lead + QLatin1Char('(');
        if (peek().isWord(QLatin1String("SELECT"))) {
            out += clauses(true);
        } else {
            for (;;) {
                const Expr e = expr(PImp);
                out += e.lead + (asSerials ? asSerial(e) : e.value());
                if (!peek().isOp(QLatin1String(",")))
                    break;
                out += take().lead + QLatin1Char(',');
            }
        }
        const JetToken close = expectOp(QLatin1String(")"));
        return out + close.lead + QLatin1Char(')');
    }

    static QString name(const JetToken &t) { return t.kind == JetTok::Name ? t.raw : t.text; }

    // A name and any ".name" or ".*" parts after it; *parts gets each part
    // as named.
    QString qualified(const JetToken &first, QStringList *parts)
    {
        QString out = first.text;
        *parts = {name(first)};
        while (peek().isOp(QLatin1String("."))) {
            const JetToken dot = take();
            const JetToken part = take();
            if (part.kind != JetTok::Word && part.kind != JetTok::Name &&
                !part.isOp(QLatin1String("*")))
                fail(part);
            out += dot.lead + QLatin1Char('.') + part.lead + part.text;
            *parts << name(part);
        }
        return out;
    }

    JetKind columnKind(const QStringList &parts) const
    {
        if (parts.size() >= 2 && m_schema.hasTable(parts[parts.size() - 2]))
            return m_schema.kindOf(parts[parts.size() - 2], parts.last());
        return m_schema.kindOf(parts.last(), m_tables);
    }

    static Expr call(const char *function, const Expr &left, const Expr &right, JetKind kind)
    {
        Expr e(left.lead, QLatin1String(function) + QLatin1Char('(') + asArgument(left) +
                              QStringLiteral(", ") + asArgument(right) + QLatin1Char(')'));
        e.kind = kind;
        return e;
    }

    static Expr boolean(const QString &lead, const QString &body)
    {
        Expr e(lead, body, JetKind::Bool);
        e.isBool = true;
        return e;
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
                        left =
                            call(n[1], left, right, operatorKind(op.text, left.kind, right.kind));
                }
                continue;
            }
            const QString w = op.text.toUpper();
            if (w == QLatin1String("MOD"))
                left = call("jet_mod", left, right, JetKind::Number);
            else if (w == QLatin1String("AND") || w == QLatin1String("OR"))
                left = boolean(left.lead, left.body + op.lead + op.text + right.lead + right.body);
            else if (w == QLatin1String("XOR"))
                left = boolean(left.lead, QStringLiteral("((") + left.body +
                                              QStringLiteral(") <> 0) <> ((") + right.body +
                                              QStringLiteral(") <> 0)"));
            else if (w == QLatin1String("EQV"))
                left = boolean(left.lead, QStringLiteral("((") + left.body +
                                              QStringLiteral(") <> 0) = ((") + right.body +
                                              QStringLiteral(") <> 0)"));
            else // IMP
                left = boolean(left.lead, QStringLiteral("(NOT (") + left.body +
                                              QStringLiteral(") OR (") + right.body +
                                              QStringLiteral("))"));
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
    // A date meets anything as its serial number; texts meet by Jet's order.
    Expr comparison(const Expr &left, const JetToken &op, const QString &opText,
                    const JetToken &kind)
    {
        const QString l = left.value();
        const auto result = [&](const QString &body) { return boolean(left.lead, body); };
        if (kind.isWord(QLatin1String("LIKE"))) {
            // Jet matches a date by its text ("12/25/2026"), not by ours.
            const QString l = left.kind == JetKind::Date ? QStringLiteral("jet_cstr(") +
                                                               asArgument(left) + QLatin1Char(')')
                                                         : left.value();
            const int after = precedence(peek(1), false);
            if (peek().kind == JetTok::Text && (after == 0 || after <= PCompare)) {
                const JetToken pattern = take();
                QString text = jetLikePattern(pattern.raw, m_criteria);
                text.replace(QLatin1Char('\''), QStringLiteral("''"));
                return result(l + op.lead + opText + pattern.lead + QLatin1Char('\'') + text +
                              QStringLiteral("' ESCAPE '\\'"));
            }
            const Expr r = expr(PConcat);
            return result(l + op.lead + opText + r.lead + QStringLiteral("jet_likepattern(") +
                          r.value() +
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
            return result(l + op.lead + opText + rest + null.lead + null.text);
        }
        if (kind.isWord(QLatin1String("IN"))) {
            const bool date =
                left.kind == JetKind::Date && !peek(1).isWord(QLatin1String("SELECT"));
            const QString subject = date ? asSerial(left) : mayBeText(left.kind) ? l + kCollate : l;
            return result(subject + op.lead + opText + parenthesised(date));
        }
        if (kind.isWord(QLatin1String("BETWEEN")))
            return between(left, op.lead, opText != op.text);
        const Expr r = expr(PCompare + 1);
        if (left.kind == JetKind::Date || r.kind == JetKind::Date)
            return result(asSerial(left) + op.lead + opText + r.lead + asSerial(r));
        const bool texts =
            !(numeric(left.kind) && numeric(r.kind)) && (mayBeText(left.kind) || mayBeText(r.kind));
        return result(l + op.lead + opText + r.lead + r.value() + (texts ? kCollate : QString()));
    }

    // Jet's Between takes its bounds in either order, and is Null when
    // either bound is.
    Expr between(const Expr &subject, const QString &opLead, bool negated)
    {
        const Expr low = expr(PConcat);
        const JetToken a = take();
        if (!a.isWord(QLatin1String("AND")))
            fail(a);
        const Expr high = expr(PConcat);
        const bool dates = subject.kind == JetKind::Date || low.kind == JetKind::Date ||
                           high.kind == JetKind::Date;
        const bool texts =
            !dates && (mayBeText(subject.kind) || mayBeText(low.kind) || mayBeText(high.kind));
        const QString x = dates ? asSerial(subject) : subject.value();
        const QString lo = dates ? asSerial(low) : low.value();
        const QString hi = dates ? asSerial(high) : high.value();
        const QString collate = texts ? kCollate : QString();
        const QString body = QStringLiteral("(CASE WHEN (%1) IS NULL OR (%2) IS NULL THEN NULL "
                                            "WHEN (%1)%4 <= (%2) THEN (%3)%4 BETWEEN (%1) AND (%2) "
                                            "ELSE (%3)%4 BETWEEN (%2) AND (%1) END)")
                                 .arg(lo, hi, x, collate);
        return boolean(subject.lead,
                       opLead + (negated ? QStringLiteral("NOT ") : QString()) + body);
    }

    Expr unary()
    {
        const JetToken &t = peek();
        if (t.isWord(QLatin1String("NOT"))) {
            const JetToken n = take();
            const Expr e = expr(PNot);
            return boolean(n.lead, n.text + e.lead + e.body);
        }
        if (t.isOp(QLatin1String("-"))) {
            const JetToken m = take();
            // A negative number stays a literal, unless "^" binds it first.
            if (peek().kind == JetTok::Number && !peek(1).isOp(QLatin1String("^"))) {
                const JetToken n = take();
                Expr e(m.lead, QLatin1Char('-') + n.lead + n.text);
                e.kind = JetKind::Number;
                return e;
            }
            const Expr e = expr(PUnary);
            Expr neg(m.lead, QStringLiteral("jet_neg(") + asArgument(e) + QLatin1Char(')'));
            neg.kind = e.kind == JetKind::Date || e.kind == JetKind::Null ? e.kind
                       : numeric(e.kind)                                  ? JetKind::Number
                                                                          : JetKind::Unknown;
            return neg;
        }
        if (t.isOp(QLatin1String("+"))) {
            const JetToken p = take();
            Expr e = expr(PUnary);
            e.lead = p.lead;
            return e;
        }
        return primary();
    }

    Expr primary()
    {
        const JetToken t = take();
        Expr e(t.lead, t.text);
        switch (t.kind) {
        case JetTok::Number:
            e.kind = JetKind::Number;
            return e;
        case JetTok::Text:
            e.kind = JetKind::Text;
            return e;
        case JetTok::Date: {
            e.kind = JetKind::Date;
            double serial = 0;
            if (jet::parseDate(t.text.mid(1, t.text.size() - 2), &serial))
                e.serial = QString::number(serial, 'g', 17);
            return e;
        }
        case JetTok::Name:
            return column(t);
        case JetTok::Word:
            return word(t);
        case JetTok::Op:
            if (t.isOp(QLatin1String("("))) {
                if (peek().isWord(QLatin1String("SELECT"))) {
                    JetKind kind = JetKind::Unknown;
                    const QString inner = clauses(true, &kind);
                    const JetToken close = expectOp(QLatin1String(")"));
                    e.body = QLatin1Char('(') + inner + close.lead + QLatin1Char(')');
                    e.kind = kind;
                    return e;
                }
                Expr inner = expr(PImp);
                const JetToken close =
                    expectOp(QLatin1String(")")); // a list only after IN or VALUES
                inner.body =
                    QLatin1Char('(') + inner.lead + inner.body + close.lead + QLatin1Char(')');
                inner.lead = t.lead;
                inner.column.clear();
                return inner;
            }
            fail(t);
        case JetTok::End:
            fail(t);
        }
        fail(t);
    }

    Expr column(const JetToken &t)
    {
        QStringList parts;
        Expr e(t.lead, qualified(t, &parts));
        e.kind = columnKind(parts);
        if (parts.last() != QLatin1String("*"))
            e.column = parts.last();
        return e;
    }

    Expr word(const JetToken &t)
    {
        const QString w = t.text.toUpper();
        Expr e(t.lead, t.text);
        if (w == QLatin1String("TRUE") || w == QLatin1String("YES") || w == QLatin1String("ON")) {
            e.body = QStringLiteral("-1");
            e.kind = JetKind::Bool;
            return e;
        }
        if (w == QLatin1String("FALSE") || w == QLatin1String("NO") || w == QLatin1String("OFF")) {
            e.body = QStringLiteral("0");
            e.kind = JetKind::Bool;
            return e;
        }
        if (w == QLatin1String("NULL")) {
            e.kind = JetKind::Null;
            return e;
        }
        if (w == QLatin1String("EXISTS"))
            return boolean(t.lead, t.text + parenthesised(false));
        if (peek().isOp(QLatin1String("(")))
            return functionCall(t);
        if (isClauseWord(t.text) || isOperatorWord(t.text))
            fail(t);
        return column(t);
    }

    Expr functionCall(const JetToken &fn)
    {
        const JetToken open = take();
        QList<Expr> args;
        QStringList seps;
        bool star = false;
        QString starLead;
        if (peek().isOp(QLatin1String("*")) && peek(1).isOp(QLatin1String(")")) &&
            isAggregate(fn.text)) {
            starLead = take().lead;
            star = true;
        } else if (!peek().isOp(QLatin1String(")"))) {
            for (;;) {
                args << expr(PImp);
                if (!peek().isOp(QLatin1String(",")))
                    break;
                seps << take().lead + QLatin1Char(',');
            }
        }
        const JetToken close = expectOp(QLatin1String(")"));
        const QString name = fn.text.toLower();
        const auto written = [&](const QString &target, const auto &each) -> QString {
            QString text = target + open.lead + QLatin1Char('(');
            if (star)
                text += starLead + QLatin1Char('*');
            for (qsizetype i = 0; i < args.size(); ++i)
                text += (i > 0 ? seps[i - 1] : QString()) + args[i].lead + each(args[i]);
            return text + close.lead + QLatin1Char(')');
        };
        Expr e(fn.lead, QString());
        if (isAggregate(fn.text)) {
            const JetKind of = args.size() == 1 ? args[0].kind : JetKind::Unknown;
            const bool sumOrAvg = name == QLatin1String("sum") || name == QLatin1String("avg");
            const bool minOrMax = name == QLatin1String("min") || name == QLatin1String("max");
            if (sumOrAvg && of == JetKind::Text)
                throw typeMismatch();
            if (sumOrAvg && of == JetKind::Date) {
                e.body = QStringLiteral("jetdate_of(") +
                         written(fn.text, [](const Expr &a) { return asSerial(a); }) +
                         QLatin1Char(')');
                e.kind = JetKind::Date;
                return e;
            }
            e.body = written(fn.text, [&](const Expr &a) -> QString {
                return minOrMax && mayBeText(a.kind) ? a.value() + kCollate : a.value();
            });
            e.kind = minOrMax                                        ? of
                     : numeric(of) || name == QLatin1String("count") ? JetKind::Number
                                                                     : JetKind::Unknown;
            return e;
        }
        // Every other function is the engine's own; one it lacks fails at
        // prepare time with Jet's "Undefined function" message.
        e.body =
            written(QStringLiteral("jet_") + fn.text, [](const Expr &a) { return asArgument(a); });
        e.kind = resultKind(name);
        // IIf and Nz hand back one of their values.
        const auto same = [&](qsizetype a, qsizetype b) {
            return args.size() > b && args[a].kind == args[b].kind ? args[a].kind
                                                                   : JetKind::Unknown;
        };
        if (name == QLatin1String("iif") && args.size() == 3)
            e.kind = same(1, 2);
        else if (name == QLatin1String("nz") && args.size() == 2)
            e.kind = same(0, 1);
        return e;
    }

    const QString &m_in;
    const bool m_criteria;
    const JetSchema &m_schema;
    const QList<JetToken> m_t;
    QStringList m_tables;         // the tables named, whose columns the names are
    QList<JetKind> m_insertKinds; // an INSERT's columns
    int m_fromTables = 0;
    bool m_joined = false;
    bool m_collateSelect = false;
    qsizetype m_i = 0;
    int m_depth = 0;
};

} // namespace

QString jetLikePattern(const QString &jet, bool criteria)
{
    // Statements: "%" and "_" wild cards (the provider's ANSI-92 form),
    // [..] a class or a quoted character. A "*", "?" or "#" there is
    // refused, since it is a wild card in Access's own form and a user who
    // means one would match the wrong rows. Record-set criteria: "*" and "%"
    // wild cards, "?" one character, "[" an ordinary one.
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
        if (criteria) {
            if (c == QLatin1Char('*') || c == QLatin1Char('%'))
                out += QLatin1Char('%');
            else if (c == QLatin1Char('?'))
                out += QLatin1Char('_');
            else
                literal(out, c);
        } else if (c == QLatin1Char('%') || c == QLatin1Char('_')) {
            out += c;
        } else if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('#')) {
            throw syntaxError(
                QStringLiteral("The pattern '%1' holds '%2', which is no wild card in a "
                               "statement: statements use % for any run of characters and _ for "
                               "one character. Write [%2] for the character itself.")
                    .arg(jet, QString(c)));
        } else if (c == QLatin1Char('[')) {
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

QString translateStatement(const QString &jetText, const JetSchema &schema)
{
    if (isDefinition(jetText))
        return translateDefinition(jetText, schema).constLast();
    return Parser(jetText, false, schema, {}).statement();
}

QString translateCriteria(const QString &jetText, const JetSchema &schema,
                          const QStringList &tables)
{
    return Parser(jetText, true, schema, tables).criteria();
}
