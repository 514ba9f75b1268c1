// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImportBench.h"

#include "BenchSupport.h"
#include "store/Connection.h"
#include "store/RecordSet.h"
#include "store/Repair.h"

#include <QFile>
#include <sqlite3.h>

#include <vector>

ImportBench::ImportBench(const QString &folder)
    : m_empty(folder + QStringLiteral("/Empty.MDB")),
      m_target(folder + QStringLiteral("/Target.MDB"))
{
    CreateDatabase(m_empty);
}

void ImportBench::freshTarget() const
{
    QFile::remove(m_target);
    QFile::copy(m_empty, m_target);
}

void ImportBench::bareInsert(benchmark::State &state,
                             const QList<ImportCandidate> &candidates) const
{
    struct Row
    {
        QByteArray date, icon, description, details; // a null one is stored as Null
        bool once = false;
    };
    const auto text = [](const ImportCandidate &c, const QString &t) {
        return (c.plainTexts ? t.isNull() : t == QLatin1String("Null")) ? QByteArray() : t.toUtf8();
    };
    std::vector<Row> rows;
    for (const ImportCandidate &c : candidates) {
        const QString &d = c.dateText;
        rows.push_back({(d.mid(6, 4) + '-' + d.mid(3, 2) + '-' + d.left(2)).toUtf8(),
                        text(c, c.iconText), c.description.toUtf8(), text(c, c.details),
                        c.showOnceText == QLatin1String("True")});
    }
    const auto bind = [](sqlite3_stmt *st, int column, const QByteArray &value) {
        if (value.isNull())
            sqlite3_bind_null(st, column);
        else
            sqlite3_bind_text(st, column, value.constData(), int(value.size()), SQLITE_STATIC);
    };
    for (auto _ : state) {
        state.PauseTiming();
        freshTarget();
        state.ResumeTiming();
        sqlite3 *db = nullptr;
        sqlite3_open_v2(m_target.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO Calendar (Dates, icon, Description, ShowOnce, Details) "
                           "VALUES (?, ?, ?, ?, ?)",
                           -1, &st, nullptr);
        for (const Row &r : rows) {
            bind(st, 1, r.date);
            bind(st, 2, r.icon);
            bind(st, 3, r.description);
            sqlite3_bind_int(st, 4, r.once ? -1 : 0);
            bind(st, 5, r.details);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
}

void ImportBench::import(benchmark::State &state,
                         const std::function<QList<ImportCandidate>()> &readFile) const
{
    for (auto _ : state) {
        state.PauseTiming();
        freshTarget();
        state.ResumeTiming();
        Connection connection;
        connection.Open(Connection::connectionStringFor(m_target));
        RecordSet rs;
        rs.setCursorLocation(adUseClient);
        rs.Open(QStringLiteral("SELECT * FROM Calendar ORDER BY Dates"), connection, adOpenDynamic,
                adLockOptimistic);
        QList<ImportCandidate> candidates = readFile();
        markExisting(candidates, rs);
        const std::vector<bool> all(size_t(candidates.size()), true);
        if (importCandidates(connection, candidates, all, false) != kBenchEvents)
            state.SkipWithError("wrong record count");
    }
}
