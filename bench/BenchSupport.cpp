#include "BenchSupport.h"

#include "store/Repair.h"

#include <QDate>
#include <sqlite3.h>

void makeEventDatabase(const QString &path, int events)
{
    CreateDatabase(path);
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO Calendar (Dates, Icon, Description, Details, ShowOnce) "
                       "VALUES (?, ?, ?, ?, ?)",
                       -1, &st, nullptr);
    static const char *const icons[] = {"birthday",  "anniversary", "car_race",
                                        "bike_race", "unknown",     "reminder",
                                        "memorial",  "holiday",     "doctor"};
    const QDate base(1950, 1, 1);
    for (int i = 0; i < events; ++i) {
        const QByteArray date = base.addDays(i % 27000).toString(Qt::ISODate).toUtf8();
        const QByteArray description =
            QStringLiteral("Event number %1 of the year").arg(i).toUtf8();
        const QByteArray details =
            QStringLiteral("Bring a present for guest %1, and a cake").arg(i).toUtf8();
        sqlite3_bind_text(st, 1, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        if (i % 10 == 9)
            sqlite3_bind_null(st, 2);
        else
            sqlite3_bind_text(st, 2, icons[i % 9], -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 3, description.constData(), int(description.size()),
                          SQLITE_TRANSIENT);
        if (i % 3 == 0)
            sqlite3_bind_null(st, 4);
        else
            sqlite3_bind_text(st, 4, details.constData(), int(details.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 5, i % 7 == 0 ? -1 : 0);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void RatioReporter::ReportRuns(const std::vector<Run> &runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run &r : runs) {
        if (r.run_type == Run::RT_Iteration && !r.error_occurred && r.iterations > 0)
            m_ms[r.benchmark_name()] = r.cpu_accumulated_time / double(r.iterations) * 1e3;
    }
}

double RatioReporter::ms(const std::string &name) const
{
    const auto it = m_ms.find(name);
    return it == m_ms.end() ? 0.0 : it->second;
}
