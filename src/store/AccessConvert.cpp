// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/AccessConvert.h"

#include "store/AccessFile.h"
#include "store/Connection.h"
#include "store/DbError.h"
#include "store/FieldValue.h"
#include "store/JetValue.h"
#include "store/OwnTables.h"
#include "store/Repair.h"
#include "store/Statement.h"
#include "store/Transaction.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace {

QString kindName(AccessKind kind)
{
    switch (kind) {
    case AccessKind::Number:
        return QStringLiteral("a number");
    case AccessKind::Date:
        return QStringLiteral("a date");
    case AccessKind::Text:
        return QStringLiteral("a text");
    case AccessKind::YesNo:
        return QStringLiteral("a yes/no");
    default:
        return QStringLiteral("readable");
    }
}

struct Expected
{
    const char *name;
    AccessKind kind;
    bool required;
};

// The table of ours in the Jet file, checked column by column: a column of
// another kind means another program's table, whose rows would not fit.
// The table's name as the file spells it, or empty when it has none.
QString checkedTable(const AccessFile &file, const QString &table,
                     std::initializer_list<Expected> expected)
{
    const QString name = file.tableNamed(table);
    if (name.isEmpty())
        return name;
    const QList<AccessColumn> columns = file.columns(name);
    for (const Expected &e : expected) {
        const QString wanted = QString::fromLatin1(e.name);
        const auto found =
            std::find_if(columns.cbegin(), columns.cend(), [&](const AccessColumn &c) {
                return c.name.compare(wanted, Qt::CaseInsensitive) == 0;
            });
        if (found == columns.cend()) {
            if (e.required)
                throw notOurs(file.path(), QStringLiteral("its table '") + table +
                                               QStringLiteral("' has no column '") + wanted +
                                               QLatin1Char('\''));
            continue;
        }
        if (found->kind != e.kind)
            throw notOurs(file.path(), QStringLiteral("the column '") + found->name +
                                           QStringLiteral("' of its table '") + table +
                                           QStringLiteral("' is not ") + kindName(e.kind));
    }
    return name;
}

// The sizes of our own columns, as their declared types give them.
int sizeOf(const QList<ColumnDef> &columns, const char *name)
{
    for (const ColumnDef &c : columns) {
        if (c.name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return sizeOfDeclaredType(c.type.toUtf8().constData());
    }
    return 0;
}

QString dayText(qint64 day)
{
    int y = 0, m = 0, d = 0;
    jet::civilFromDay(day, &y, &m, &d);
    return QString::asprintf("%04d-%02d-%02d", y, m, d);
}

class Writer
{
public:
    Writer(const AccessFile &file, Connection &db, const ConversionProgress &progress)
        : m_file(file), m_db(db), m_progress(progress)
    {
    }

    AccessConversion run()
    {
        const QString calendar = checkedTable(m_file, QStringLiteral("Calendar"),
                                              {{"Dates", AccessKind::Date, true},
                                               {"Icon", AccessKind::Text, false},
                                               {"Description", AccessKind::Text, true},
                                               {"Details", AccessKind::Text, false},
                                               {"ShowOnce", AccessKind::YesNo, false}});
        if (calendar.isEmpty())
            throw notOurs(m_file.path(), QStringLiteral("it has no table 'Calendar'"));
        const QString types =
            checkedTable(m_file, QStringLiteral("Almarik_Type"),
                         {{"icon", AccessKind::Text, false}, {"descr", AccessKind::Text, false}});
        const QString wallpapers = checkedTable(m_file, QStringLiteral("Wallpapers"),
                                                {{"FileName", AccessKind::Text, false},
                                                 {"path", AccessKind::Text, false},
                                                 {"Active", AccessKind::YesNo, false},
                                                 {"ID", AccessKind::Number, false}});
        const QString tasks = checkedTable(m_file, QStringLiteral("RegEdit"),
                                           {{"hKey", AccessKind::Number, false},
                                            {"SubKey", AccessKind::Text, false},
                                            {"Key", AccessKind::Text, false},
                                            {"Task", AccessKind::Text, false},
                                            {"NewValue", AccessKind::Text, false}});
        for (const QString &t : {calendar, types, wallpapers, tasks})
            m_total += t.isEmpty() ? 0 : m_file.rowCount(t);

        readNineTypes();
        Transaction tx(m_db);
        copyEvents(calendar);
        if (!types.isEmpty())
            copyTypes(types);
        if (!wallpapers.isEmpty())
            copyWallpapers(wallpapers);
        if (!tasks.isEmpty())
            copyTasks(tasks);
        tx.commit();
        check();
        return m_report;
    }

private:
    void readNineTypes()
    {
        Statement st(m_db, QStringLiteral("SELECT icon FROM Almarik_Type"));
        while (st.step())
            m_nine << QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(st.handle(), 0)));
    }

    void note(const QString &row, const QString &what, bool leftOut)
    {
        ++(leftOut ? m_report.leftOut : m_report.changed);
        if (m_report.notes.size() < kMaxNotes)
            m_report.notes << row + QStringLiteral(": ") + what;
    }

    void done()
    {
        ++m_done;
        if (m_progress && (m_done % 1000 == 0 || m_done == m_total))
            m_progress(m_done, m_total);
    }

    // A text of ours is cut to its column's size (never between the halves
    // of a surrogate pair), as the editor's boxes take no more when typed.
    void bindText(Statement &st, int index, const AccessValue &v, int size, const QString &row,
                  const char *column)
    {
        if (v.kind == AccessKind::Null) {
            st.bindNull(index);
            return;
        }
        QString text = v.text;
        if (size > 0 && text.size() > size) {
            qsizetype n = size;
            if (text.at(n - 1).isHighSurrogate())
                --n;
            text.truncate(n);
            note(row, QLatin1String(column) + QStringLiteral(" cut to %1 characters").arg(size),
                 false);
        }
        st.bindText(index, text.toUtf8());
    }

    // The row as a message names it.
    static QString eventName(const QString &day, const AccessValue &description)
    {
        const QString date = day.isEmpty() ? QStringLiteral("without a date") : day;
        if (description.kind == AccessKind::Null || description.text.isEmpty())
            return QStringLiteral("Event ") + date + QStringLiteral(" without a description");
        return QStringLiteral("Event ") + date + QStringLiteral(" \"") + description.text +
               QLatin1Char('"');
    }

    void copyEvents(const QString &table)
    {
        const QList<ColumnDef> &own = calendarColumns();
        const int iconSize = sizeOf(own, "Icon");
        const int descriptionSize = sizeOf(own, "Description");
        const int detailsSize = sizeOf(own, "Details");
        Statement st(m_db, QStringLiteral("INSERT INTO Calendar (Dates, Icon, Description, "
                                          "Details, ShowOnce) VALUES (?, ?, ?, ?, ?)"));
        m_file.readRows(
            table,
            {QStringLiteral("Dates"), QStringLiteral("Icon"), QStringLiteral("Description"),
             QStringLiteral("Details"), QStringLiteral("ShowOnce")},
            [&](const std::vector<AccessValue> &v) {
                done();
                qint64 day = 0;
                int seconds = 0;
                const bool dated = v[0].kind == AccessKind::Date;
                const bool inRange = dated && jet::serialToDay(v[0].number, &day, &seconds);
                const QString name = eventName(inRange ? dayText(day) : QString(), v[2]);
                // An event needs a day and a description, as the editor
                // stores none without them.
                if (!dated)
                    return note(name, QStringLiteral("left out, it has no date"), true);
                if (!inRange)
                    return note(name,
                                QStringLiteral("left out, its date lies outside the years "
                                               "100 to 9999"),
                                true);
                if (v[2].kind == AccessKind::Null || v[2].text.isEmpty())
                    return note(name, QStringLiteral("left out, it has no description"), true);
                // Only the day is kept, as the editor stores typed dates.
                if (seconds != 0)
                    ++m_report.timesOfDay;
                st.bindText(1, dayText(day).toUtf8());
                bindType(st, v[1], iconSize, name);
                bindText(st, 3, v[2], descriptionSize, name, "description");
                bindText(st, 4, v[3], detailsSize, name, "details");
                st.bind(5, qint64(v[4].number != 0 ? -1 : 0));
                st.step();
                st.reset();
                ++m_report.events;
            });
    }

    // A type that is not one of the nine is stored as none, the only other
    // choice the editor offers; one that differs from a key only in case
    // becomes that key.
    void bindType(Statement &st, const AccessValue &icon, int size, const QString &name)
    {
        if (icon.kind == AccessKind::Null || icon.text.isEmpty()) {
            st.bindNull(2);
            return;
        }
        if (m_nine.contains(icon.text)) {
            st.bindText(2, icon.text.toUtf8());
            return;
        }
        for (const QString &key : m_nine) {
            if (key.compare(icon.text.trimmed(), Qt::CaseInsensitive) == 0 && key.size() <= size) {
                st.bindText(2, key.toUtf8());
                note(name,
                     QStringLiteral("type '") + icon.text + QStringLiteral("' stored as '") + key +
                         QLatin1Char('\''),
                     false);
                return;
            }
        }
        st.bindNull(2);
        note(name,
             QStringLiteral("type '") + icon.text +
                 QStringLiteral("' is not one of the nine; stored without a type"),
             false);
    }

    void copyTypes(const QString &table)
    {
        const int iconSize = sizeOf(typeColumns(), "icon");
        const int descrSize = sizeOf(typeColumns(), "descr");
        Statement rename(m_db, QStringLiteral("UPDATE Almarik_Type SET descr = ? WHERE icon = ?"));
        Statement read(m_db, QStringLiteral("SELECT descr FROM Almarik_Type WHERE icon = ?"));
        Statement insert(m_db,
                         QStringLiteral("INSERT INTO Almarik_Type (icon, descr) VALUES (?, ?)"));
        m_file.readRows(table, {QStringLiteral("icon"), QStringLiteral("descr")},
                        [&](const std::vector<AccessValue> &v) {
                            done();
                            const QString name =
                                QStringLiteral("Type \"") + v[0].text + QLatin1Char('"');
                            const auto key =
                                std::find_if(m_nine.cbegin(), m_nine.cend(), [&](const QString &k) {
                                    return k.compare(v[0].text, Qt::CaseInsensitive) == 0;
                                });
                            if (v[0].kind != AccessKind::Null && key != m_nine.cend()) {
                                // One of the nine: its display name, renamed or not, is the file's.
                                read.bindText(1, key->toUtf8());
                                const bool same =
                                    read.step() && v[1].kind != AccessKind::Null &&
                                    QString::fromUtf8(reinterpret_cast<const char *>(
                                        sqlite3_column_text(read.handle(), 0))) == v[1].text;
                                read.reset();
                                if (same)
                                    return;
                                bindText(rename, 1, v[1], descrSize, name, "display name");
                                rename.bindText(2, key->toUtf8());
                                rename.step();
                                rename.reset();
                            } else {
                                bindText(insert, 1, v[0], iconSize, name, "key");
                                bindText(insert, 2, v[1], descrSize, name, "display name");
                                insert.step();
                                insert.reset();
                                ++m_addedTypes;
                            }
                            ++m_report.types;
                        });
    }

    void copyWallpapers(const QString &table)
    {
        const int fileSize = sizeOf(wallpaperColumns(), "FileName");
        Statement st(m_db, QStringLiteral("INSERT INTO Wallpapers (FileName, path, Active, ID) "
                                          "VALUES (?, ?, ?, ?)"));
        m_file.readRows(table,
                        {QStringLiteral("FileName"), QStringLiteral("path"),
                         QStringLiteral("Active"), QStringLiteral("ID")},
                        [&](const std::vector<AccessValue> &v) {
                            done();
                            const QString name =
                                QStringLiteral("Wallpaper \"") + v[0].text + QLatin1Char('"');
                            bindText(st, 1, v[0], fileSize, name, "file name");
                            // Paths stay as the Windows version wrote them.
                            bindText(st, 2, v[1], 0, name, "path");
                            st.bind(3, qint64(v[2].number != 0 ? -1 : 0));
                            if (v[3].kind == AccessKind::Null)
                                st.bindNull(4); // numbered by the database
                            else
                                st.bind(4, qint64(v[3].number));
                            st.step();
                            st.reset();
                            ++m_report.wallpapers;
                        });
    }

    void copyTasks(const QString &table)
    {
        const QList<ColumnDef> &own = regEditColumns();
        Statement st(m_db, QStringLiteral("INSERT INTO RegEdit (hKey, SubKey, \"Key\", Task, "
                                          "NewValue) VALUES (?, ?, ?, ?, ?)"));
        m_file.readRows(table,
                        {QStringLiteral("hKey"), QStringLiteral("SubKey"), QStringLiteral("Key"),
                         QStringLiteral("Task"), QStringLiteral("NewValue")},
                        [&](const std::vector<AccessValue> &v) {
                            done();
                            const QString name =
                                QStringLiteral("Registry task \"") + v[2].text + QLatin1Char('"');
                            if (v[0].kind == AccessKind::Null)
                                st.bindNull(1);
                            else if (v[0].number == double(qint64(v[0].number)))
                                st.bind(1, qint64(v[0].number));
                            else
                                st.bind(1, v[0].number);
                            bindText(st, 2, v[1], 0, name, "key path");
                            bindText(st, 3, v[2], sizeOf(own, "Key"), name, "value name");
                            bindText(st, 4, v[3], sizeOf(own, "Task"), name, "task");
                            bindText(st, 5, v[4], sizeOf(own, "NewValue"), name, "new value");
                            st.step();
                            st.reset();
                            ++m_report.tasks;
                        });
    }

    // The new file is whole and holds every row written.
    void check()
    {
        {
            Statement st(m_db, QStringLiteral("PRAGMA integrity_check"));
            const QString result = st.step() ? QString::fromUtf8(reinterpret_cast<const char *>(
                                                   sqlite3_column_text(st.handle(), 0)))
                                             : QString();
            if (result != QLatin1String("ok"))
                throw DbError(DbErrNo::General,
                              QStringLiteral("The converted database failed its check: ") + result);
        }
        const auto count = [&](const char *table) {
            Statement st(m_db, QStringLiteral("SELECT count(*) FROM ") + QLatin1String(table));
            st.step();
            return qint64(sqlite3_column_int64(st.handle(), 0));
        };
        const qint64 nine = m_nine.size();
        if (count("Calendar") != m_report.events || count("Wallpapers") != m_report.wallpapers ||
            count("RegEdit") != m_report.tasks || count("Almarik_Type") != nine + m_addedTypes)
            throw DbError(
                DbErrNo::General,
                QStringLiteral("The converted database does not hold every row written."));
    }

    const AccessFile &m_file;
    Connection &m_db;
    const ConversionProgress &m_progress;
    QStringList m_nine;
    qint64 m_total = 0;
    qint64 m_done = 0;
    qint64 m_addedTypes = 0;
    AccessConversion m_report;
};

void removeDatabase(const QString &path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

} // namespace

DbError notOurs(const QString &path, const QString &what)
{
    return DbError(DbErrNo::General, QStringLiteral("The Access database '") + path +
                                         QStringLiteral("' is not Almarik's: ") + what +
                                         QStringLiteral(". Nothing was changed."));
}

AccessConversion convertAccessDatabase(const QString &jetPath, const QString &target,
                                       const ConversionProgress &progress)
{
    // Read before anything is made, so a refused file leaves nothing behind.
    const AccessFile file(jetPath);
    if (file.tableNamed(QStringLiteral("Calendar")).isEmpty())
        throw notOurs(jetPath, QStringLiteral("it has no table 'Calendar'"));
    CreateDatabase(target);
    try {
        Connection db;
        db.Open(Connection::connectionStringFor(target));
        AccessConversion report = Writer(file, db, progress).run();
        db.Close();
        return report;
    } catch (...) {
        removeDatabase(target);
        throw;
    }
}

QString conversionMessage(const AccessConversion &c)
{
    const auto count = [](qint64 n, const char *one, const char *many) -> QString {
        return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
    };
    QString text = QStringLiteral("Converted ") + count(c.events, "event", "events") +
                   QStringLiteral(", ") + count(c.wallpapers, "wallpaper", "wallpapers") +
                   QStringLiteral(" and ") + count(c.tasks, "registry task", "registry tasks") +
                   QLatin1Char('.');
    if (c.timesOfDay > 0)
        text += QStringLiteral("\r\n") +
                (c.timesOfDay == 1 ? QStringLiteral("1 event had a time of day; only its day "
                                                    "was kept.")
                                   : QString::number(c.timesOfDay) +
                                         QStringLiteral(" events had a time of day; only their "
                                                        "day was kept."));
    const qint64 rows = c.changed + c.leftOut;
    if (rows > 0) {
        text += QStringLiteral("\r\n") + count(rows, "row was", "rows were") +
                QStringLiteral(" changed or left out:");
        for (const QString &n : c.notes)
            text += QStringLiteral("\r\n") + n;
        if (rows > c.notes.size())
            text += QStringLiteral("\r\n... and %1 more.").arg(rows - c.notes.size());
    }
    return text;
}
