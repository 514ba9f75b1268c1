// The import's inserts and overwriting deletes, prepared once and run with
// each record's values bound.

#include "editor/ShareFile.h"

#include "store/Connection.h"
#include "store/JetCollation.h"

#include <QDate>
#include <sqlite3.h>

namespace {

using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)>;

void bindText(Connection &db, sqlite3_stmt *st, int at, const QString &text, QByteArray &hold)
{
    hold = text.toUtf8();
    db.check(sqlite3_bind_text(st, at, hold.constData(), int(hold.size()), SQLITE_STATIC));
}

void bindTextOrNull(Connection &db, sqlite3_stmt *st, int at, const ImportCandidate &c,
                    const QString &text, QByteArray &hold)
{
    if (c.plainTexts ? text.isNull() : text == QLatin1String("Null"))
        db.check(sqlite3_bind_null(st, at));
    else
        bindText(db, st, at, text, hold);
}

void run(Connection &db, sqlite3_stmt *st)
{
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        db.check(rc == SQLITE_ROW ? SQLITE_MISUSE : rc);
}

} // namespace

int importCandidates(Connection &db, const QList<ImportCandidate> &candidates,
                     const std::vector<bool> &chosen, bool overwrite)
{
    int imported = 0;
    db.BeginTrans();
    try {
        // The statements' own values, bound: the date as stored, True and
        // False as Jet's -1 and 0, "Null" as null. Description compares
        // by Jet's text order, as the translated DELETE does.
        Statement insert = db.prepare(
            QStringLiteral("INSERT INTO Calendar (Dates, icon, Description, ShowOnce, Details) "
                           "VALUES (?1, ?2, ?3, ?4, ?5)"));
        Statement remove =
            db.prepare(QStringLiteral("DELETE FROM Calendar WHERE Description = ?1 COLLATE ") +
                       QLatin1String(kJetCollation));
        QByteArray held[5];
        for (qsizetype k = 0; k < candidates.size(); ++k) {
            if (size_t(k) >= chosen.size() || !chosen[size_t(k)])
                continue;
            const ImportCandidate &c = candidates[k];
            importInsertStatement(c); // refuses a record that is not well formed
            ++imported;
            if (overwrite) {
                bindText(db, remove.get(), 1, c.description, held[0]);
                run(db, remove.get());
            }
            const QDate day(c.dateText.mid(6, 4).toInt(), c.dateText.mid(3, 2).toInt(),
                            c.dateText.left(2).toInt());
            bindText(db, insert.get(), 1, day.toString(Qt::ISODate), held[1]);
            bindTextOrNull(db, insert.get(), 2, c, c.iconText, held[2]);
            bindText(db, insert.get(), 3, c.description, held[3]);
            db.check(sqlite3_bind_int(
                insert.get(), 4,
                c.showOnceText.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 ? -1 : 0));
            bindTextOrNull(db, insert.get(), 5, c, c.details, held[4]);
            run(db, insert.get());
        }
        insert.reset();
        remove.reset();
        db.CommitTrans();
    } catch (...) {
        if (db.inTransaction())
            db.RollbackTrans();
        throw;
    }
    return imported;
}
