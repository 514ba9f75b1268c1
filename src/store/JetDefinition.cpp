// SPDX-License-Identifier: GPL-3.0-or-later
// Jet's data definition, and only Jet's: each accepted statement becomes
// SQLite statements whose columns carry the declared types the rest of the
// store reads kinds from, with SQLite's built-in collations only, so that
// the file means the same to every program that opens it. Forms Jet does
// not have (triggers, views, SQLite's own clauses) are refused.

#include "store/DbError.h"
#include "store/JetLexer.h"
#include "store/JetSql.h"
#include "store/TypeChecks.h"

#include <QHash>
#include <QRegularExpression>

namespace {

DbError syntaxError(const QString &what)
{
    return DbError(DbErrNo::Syntax, what);
}

QString quoted(QString name)
{
    return QLatin1Char('"') + name.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// Jet's type names and the declared types they are stored as.
enum class TypeClass
{
    Sized, // a text of up to 255 characters
    Other,
    Counter
};

struct JetType
{
    TypeClass type;
    const char *declared;
};

const QHash<QString, JetType> &jetTypes()
{
    static const QHash<QString, JetType> types = [] {
        QHash<QString, JetType> t;
        for (const char *n : {"TEXT", "VARCHAR", "CHAR", "CHARACTER", "STRING", "NVARCHAR", "NCHAR",
                              "ALPHANUMERIC"})
            t.insert(QLatin1String(n), {TypeClass::Sized, "VARCHAR"});
        for (const char *n : {"MEMO", "LONGTEXT", "LONGCHAR", "NOTE", "NTEXT"})
            t.insert(QLatin1String(n), {TypeClass::Other, "LONGTEXT COLLATE NOCASE"});
        for (const char *n : {"DATETIME", "DATE", "TIME", "TIMESTAMP"})
            t.insert(QLatin1String(n), {TypeClass::Other, "DATETIME"});
        for (const char *n : {"YESNO", "BIT", "LOGICAL", "LOGICAL1", "BOOLEAN"})
            t.insert(QLatin1String(n), {TypeClass::Other, "YESNO NOT NULL DEFAULT 0"});
        for (const char *n : {"CURRENCY", "MONEY"})
            t.insert(QLatin1String(n), {TypeClass::Other, "CURRENCY"});
        for (const char *n : {"LONG", "INT", "INTEGER", "INTEGER4"})
            t.insert(QLatin1String(n), {TypeClass::Other, "INTEGER"});
        for (const char *n : {"SHORT", "SMALLINT", "INTEGER2"})
            t.insert(QLatin1String(n), {TypeClass::Other, "SMALLINT"});
        for (const char *n : {"BYTE", "TINYINT", "INTEGER1"})
            t.insert(QLatin1String(n), {TypeClass::Other, "TINYINT"});
        for (const char *n : {"DOUBLE", "FLOAT", "FLOAT8", "NUMBER", "IEEEDOUBLE"})
            t.insert(QLatin1String(n), {TypeClass::Other, "DOUBLE"});
        for (const char *n : {"SINGLE", "REAL", "FLOAT4", "IEEESINGLE"})
            t.insert(QLatin1String(n), {TypeClass::Other, "REAL"});
        for (const char *n : {"COUNTER", "AUTOINCREMENT", "IDENTITY"})
            t.insert(QLatin1String(n), {TypeClass::Counter, "INTEGER PRIMARY KEY AUTOINCREMENT"});
        return t;
    }();
    return types;
}

[[noreturn]] void refuseDefinition(const QString &verb, const QString &object)
{
    throw syntaxError(
        QStringLiteral("'%1 %2' is not Jet's data definition. Statements may create, alter and "
                       "drop tables (CREATE TABLE, ALTER TABLE, DROP TABLE) and indexes (CREATE "
                       "INDEX, DROP INDEX) only.")
            .arg(verb, object));
}

class Definition
{
public:
    Definition(const QString &in, const JetSchema &schema)
        : m_schema(schema), m_t(tokenizeJet(in, false))
    {
    }

    QStringList steps()
    {
        const JetToken verb = take();
        const JetToken object = take();
        const QString v = verb.text.toUpper();
        const QString o = object.text.toUpper();
        QStringList out;
        if (v == QLatin1String("CREATE") && object.kind == JetTok::Word) {
            if (o == QLatin1String("TABLE"))
                out << createTable();
            else if (o == QLatin1String("INDEX"))
                out << createIndex(false);
            else if (o == QLatin1String("UNIQUE") && take().isWord(QLatin1String("INDEX")))
                out << createIndex(true);
            else
                refuse(verb, object);
        } else if (v == QLatin1String("DROP") && o == QLatin1String("TABLE")) {
            m_what = QStringLiteral("Syntax error in DROP TABLE or DROP INDEX statement.");
            out << QStringLiteral("DROP TABLE ") + name();
        } else if (v == QLatin1String("DROP") && o == QLatin1String("INDEX")) {
            m_what = QStringLiteral("Syntax error in DROP TABLE or DROP INDEX statement.");
            const QString index = name();
            expectWord("ON");
            name(); // Jet names the table; SQLite's index names are the file's own
            out << QStringLiteral("DROP INDEX ") + index;
        } else if (v == QLatin1String("ALTER") && o == QLatin1String("TABLE")) {
            out << alterTable();
        } else {
            refuse(verb, object);
        }
        if (peek().kind != JetTok::End)
            throw syntaxError(m_what);
        return out;
    }

private:
    const JetToken &peek() const { return m_t[std::min(m_i, m_t.size() - 1)]; }
    JetToken take()
    {
        const JetToken t = peek();
        if (t.kind != JetTok::End)
            ++m_i;
        return t;
    }

    [[noreturn]] static void refuse(const JetToken &verb, const JetToken &object)
    {
        refuseDefinition(verb.raw, object.raw);
    }

    void expectWord(const char *word)
    {
        if (!take().isWord(QLatin1String(word)))
            throw syntaxError(m_what);
    }

    bool takeWord(const char *word)
    {
        if (!peek().isWord(QLatin1String(word)))
            return false;
        take();
        return true;
    }

    void expectOp(const char *op)
    {
        if (!take().isOp(QLatin1String(op)))
            throw syntaxError(m_what);
    }

    QString rawName()
    {
        const JetToken t = take();
        if (t.kind == JetTok::Name)
            return t.raw;
        if (t.kind == JetTok::Word)
            return t.text;
        throw syntaxError(m_what);
    }

    QString name() { return quoted(rawName()); }

    // "name type [(size)] [NOT NULL] [PRIMARY KEY | UNIQUE]"; *counter when
    // the column is Jet's counter, *key when it is the key.
    QString column(bool *counter, bool *key)
    {
        const QString columnName = rawName();
        const JetToken type = take();
        const auto found = jetTypes().constFind(type.text.toUpper());
        if (type.kind != JetTok::Word || found == jetTypes().cend())
            throw syntaxError(QStringLiteral("The field type '%1' of '%2' is not supported by "
                                             "this database.")
                                  .arg(type.raw, columnName));
        QString declared = QLatin1String(found->declared);
        *counter = found->type == TypeClass::Counter;
        if (found->type == TypeClass::Sized) {
            int size = 255;
            if (peek().isOp(QLatin1String("("))) {
                take();
                const JetToken n = take();
                bool ok = false;
                size = n.text.toInt(&ok);
                if (n.kind != JetTok::Number || !ok || size < 1 || size > 255)
                    throw syntaxError(
                        QStringLiteral("Size of field '%1' is too long.").arg(columnName));
                expectOp(")");
            }
            declared = QStringLiteral("VARCHAR(%1) COLLATE NOCASE").arg(size);
        }
        QString out = quoted(columnName) + QLatin1Char(' ') + declared;
        const bool text =
            found->type == TypeClass::Sized || declared.startsWith(QLatin1String("LONGTEXT"));
        for (;;) {
            if (takeWord("NOT")) {
                expectWord("NULL");
                if (!declared.contains(QLatin1String("NOT NULL")))
                    out += QStringLiteral(" NOT NULL");
            } else if (takeWord("NULL")) {
            } else if (peek().isWord(QLatin1String("PRIMARY")) ||
                       peek().isWord(QLatin1String("UNIQUE"))) {
                const bool primary = takeWord("PRIMARY");
                if (primary)
                    expectWord("KEY");
                else
                    take();
                if (text)
                    refuseUniqueText(columnName);
                if (!*counter)
                    out += primary ? QStringLiteral(" PRIMARY KEY") : QStringLiteral(" UNIQUE");
                *key = *key || primary;
            } else if (takeWord("CONSTRAINT")) {
                rawName();
                continue;
            } else {
                return out;
            }
        }
    }

    // SQLite's NOCASE tells "Ä" from "ä", which Jet's unique index does not:
    // such an index would let in a row that Jet refuses.
    [[noreturn]] static void refuseUniqueText(const QString &column)
    {
        throw syntaxError(QStringLiteral("A unique index or primary key on the text field '%1' "
                                         "is not supported by this database: it would not tell "
                                         "texts apart as Jet does.")
                              .arg(column));
    }

    QString createTable()
    {
        m_what = QStringLiteral("Syntax error in CREATE TABLE statement.");
        const QString table = name();
        expectOp("(");
        QStringList parts;
        int counters = 0;
        bool key = false;
        for (;;) {
            if (takeWord("CONSTRAINT")) {
                rawName();
                const bool primary = takeWord("PRIMARY");
                if (primary)
                    expectWord("KEY");
                else
                    expectWord("UNIQUE");
                expectOp("(");
                QStringList columns;
                for (;;) {
                    const QString c = rawName();
                    for (const QString &p : std::as_const(parts)) {
                        if (p.startsWith(quoted(c) + QLatin1Char(' ')) &&
                            (p.contains(QLatin1String("VARCHAR")) ||
                             p.contains(QLatin1String("LONGTEXT"))))
                            refuseUniqueText(c);
                    }
                    columns << quoted(c);
                    if (!peek().isOp(QLatin1String(",")))
                        break;
                    take();
                }
                expectOp(")");
                key = key || primary;
                parts << (primary ? QStringLiteral("PRIMARY KEY (") : QStringLiteral("UNIQUE (")) +
                             columns.join(QStringLiteral(", ")) + QLatin1Char(')');
            } else {
                bool counter = false;
                parts << column(&counter, &key);
                counters += counter;
            }
            if (peek().isOp(QLatin1String(")")))
                break;
            expectOp(",");
        }
        take();
        if (counters > 1 || (counters == 1 && key))
            throw syntaxError(QStringLiteral("A table of this database can have one counter "
                                             "field only, and it is the table's key."));
        return QStringLiteral("CREATE TABLE ") + table + QStringLiteral(" (") +
               parts.join(QStringLiteral(", ")) + QLatin1Char(')');
    }

    QString createIndex(bool unique)
    {
        m_what = QStringLiteral("Syntax error in CREATE INDEX statement.");
        const QString index = name();
        expectWord("ON");
        const QString tableName = rawName();
        expectOp("(");
        QStringList columns;
        for (;;) {
            const QString c = rawName();
            if (unique && m_schema.kindOf(tableName, c) == JetKind::Text)
                refuseUniqueText(c);
            QString item = quoted(c);
            if (takeWord("DESC"))
                item += QStringLiteral(" DESC");
            else if (takeWord("ASC"))
                item += QStringLiteral(" ASC");
            columns << item;
            if (!peek().isOp(QLatin1String(",")))
                break;
            take();
        }
        expectOp(")");
        if (takeWord("WITH")) {
            if (!takeWord("IGNORE"))
                throw syntaxError(QStringLiteral("An index WITH PRIMARY or DISALLOW NULL is not "
                                                 "supported by this database."));
            expectWord("NULL");
        }
        return QStringLiteral("CREATE ") + (unique ? QStringLiteral("UNIQUE ") : QString()) +
               QStringLiteral("INDEX ") + index + QStringLiteral(" ON ") + quoted(tableName) +
               QStringLiteral(" (") + columns.join(QStringLiteral(", ")) + QLatin1Char(')');
    }

    QStringList alterTable()
    {
        m_what = QStringLiteral("Syntax error in ALTER TABLE statement.");
        const QString tableName = rawName();
        const QString table = quoted(tableName);
        if (takeWord("ADD")) {
            takeWord("COLUMN");
            bool counter = false;
            bool key = false;
            const QString def = column(&counter, &key);
            if (counter || key)
                throw syntaxError(QStringLiteral("A key or counter field cannot be added to an "
                                                 "existing table by this database."));
            return {QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" ADD COLUMN ") + def};
        }
        if (takeWord("DROP")) {
            takeWord("COLUMN");
            const QString columnName = rawName();
            // The column's checks go with it.
            QStringList out;
            for (const QString &trigger : typeCheckNames(tableName, columnName))
                out << QStringLiteral("DROP TRIGGER IF EXISTS ") + quoted(trigger);
            out << QStringLiteral("ALTER TABLE ") + table + QStringLiteral(" DROP COLUMN ") +
                       quoted(columnName);
            return out;
        }
        throw syntaxError(m_what);
    }

    const JetSchema &m_schema;
    const QList<JetToken> m_t;
    qsizetype m_i = 0;
    QString m_what = QStringLiteral("Syntax error in CREATE TABLE statement.");
};

} // namespace

bool isDefinition(const QString &jetText)
{
    const QString t = jetText.trimmed();
    for (const char *w : {"CREATE", "ALTER", "DROP"}) {
        const QLatin1String word(w);
        if (t.startsWith(word, Qt::CaseInsensitive) &&
            (t.size() == word.size() || !t[word.size()].isLetterOrNumber()))
            return true;
    }
    return false;
}

QStringList translateDefinition(const QString &jetText, const JetSchema &schema)
{
    // The kind of definition first, so that another engine's form (a
    // trigger's body holds ";") is named as what it is.
    static const QRegularExpression head(QStringLiteral("^\\s*(\\w+)\\s+(\\w+)(?:\\s+(\\w+))?"));
    const auto m = head.match(jetText);
    if (m.hasMatch()) {
        const QString verb = m.captured(1).toUpper();
        const QString object = m.captured(2).toUpper();
        const bool known =
            object == QLatin1String("TABLE") || object == QLatin1String("INDEX") ||
            (verb == QLatin1String("CREATE") && object == QLatin1String("UNIQUE") &&
             m.captured(3).compare(QLatin1String("INDEX"), Qt::CaseInsensitive) == 0);
        if (!known || (verb == QLatin1String("ALTER") && object != QLatin1String("TABLE")))
            refuseDefinition(m.captured(1), m.captured(2));
    }
    return Definition(jetText, schema).steps();
}
