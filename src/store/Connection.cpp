// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/Connection.h"

#include "store/DbError.h"
#include "store/JetFunctions.h"
#include "store/JetSql.h"
#include "store/Transaction.h"
#include "store/TypeChecks.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <sqlite3.h>

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kPrefix =
    QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;Data Source=");

QString dataSource(const QString &connectionString)
{
    const QString key = QStringLiteral("Data Source=");
    const qsizetype at = connectionString.indexOf(key, 0, Qt::CaseInsensitive);
    if (at < 0)
        return connectionString;
    return connectionString.mid(at + key.size());
}

// LIKE with a pattern computed at run time: the pattern is translated as a
// literal one is.
void likePatternFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString jet = QString::fromUtf8(
        reinterpret_cast<const char *>(sqlite3_value_text(argv[0])), sqlite3_value_bytes(argv[0]));
    try {
        const QByteArray pattern = jetLikePattern(jet, sqlite3_value_int(argv[1]) != 0).toUtf8();
        sqlite3_result_text(ctx, pattern.constData(), int(pattern.size()), SQLITE_TRANSIENT);
    } catch (const DbError &e) {
        sqlite3_result_error(ctx, e.description().toUtf8().constData(), -1);
        if (e.number() == DbErrNo::Conversion)
            sqlite3_result_error_code(ctx, SQLITE_MISMATCH);
    }
}

// The engine's words for a statement it cannot prepare, in the terms of the
// user's own text: the translator renames functions to jet_<name>.
DbError prepareError(const QString &engine)
{
    static const QRegularExpression noFunction(QStringLiteral("^no such function: jet_(.*)$"));
    static const QRegularExpression argCount(
        QStringLiteral("^wrong number of arguments to function jet_(.*)\\(\\)$"));
    if (engine.startsWith(QLatin1String("no such column: ")))
        return DbError(DbErrNo::NoValue,
                       QStringLiteral("No value given for one or more required parameters."));
    if (const auto m = noFunction.match(engine); m.hasMatch())
        return DbError(DbErrNo::Syntax, QStringLiteral("Undefined function '") + m.captured(1) +
                                            QStringLiteral("' in expression."));
    if (const auto m = argCount.match(engine); m.hasMatch())
        return DbError(DbErrNo::Syntax,
                       QStringLiteral("Wrong number of arguments used with function in query "
                                      "expression '") +
                           m.captured(1) + QStringLiteral("'."));
    return DbError(DbErrNo::Syntax, engine);
}

// A reader that cannot open the file as it is: why, in the user's terms.
// Other failures keep the engine's words.
QString readerRefusal(int extended, const QString &path)
{
    switch (extended) {
    case SQLITE_READONLY_ROLLBACK:
        return QStringLiteral("'") + path +
               QStringLiteral("' holds a write that was interrupted; only a program that may "
                              "write it can undo that. Open it once in the Almarik window.");
    case SQLITE_READONLY_RECOVERY:
    case SQLITE_READONLY_CANTINIT:
    case SQLITE_READONLY_DIRECTORY:
    case SQLITE_CANTOPEN:
        return QStringLiteral("'") + path + QStringLiteral("' has a write-ahead log ('") + path +
               QStringLiteral("-wal') that cannot be read from here (its folder or log "
                              "cannot be written). Open it once in the Almarik window.");
    default:
        return QString();
    }
}

// This process's writers per file. SQLite lets one connection take the file
// out of the log while another of the same process still has it open
// (another process's lock forbids it), so the first writer here decides
// the mode and the last one restores it; the repair's second connection
// and CreateDatabase's leave it alone.
struct OpenFiles
{
    std::mutex mutex;
    QHash<QString, int> writers;
};

OpenFiles &openFiles()
{
    static OpenFiles files;
    return files;
}

// Writers wait longer: a commit of many events or a checkpoint may hold
// the file for seconds.
constexpr int kReaderBusyMs = 2000;
constexpr int kWriterBusyMs = 5000;

} // namespace

Connection::Connection() = default;

Connection::~Connection()
{
    Close();
}

QString Connection::connectionStringFor(const QString &path)
{
    return kPrefix + path;
}

void Connection::Open(const QString &connectionString, Access access)
{
    Close();
    const QString path = dataSource(connectionString);
    const QByteArray native = QFile::encodeName(path);
    // Test the file first so that SQLite never creates or touches it. A FIFO
    // must not block the test, hence O_NONBLOCK.
    const int fd =
        path.isEmpty() ? -1 : ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = path.isEmpty() ? ENOENT : errno;
        if (err == EACCES || err == EPERM)
            throw DbError(DbErrNo::General,
                          QStringLiteral("The database engine cannot open the file '") + path +
                              QStringLiteral("'. You need permission to view its data."));
        throw DbError(DbErrNo::General,
                      QStringLiteral("Could not find file '") + path + QStringLiteral("'."));
    }
    struct stat info = {};
    const bool statted = ::fstat(fd, &info) == 0;
    ::close(fd);
    if (statted && S_ISDIR(info.st_mode))
        throw DbError(DbErrNo::General,
                      QStringLiteral("Could not find file '") + path + QStringLiteral("'."));
    if (!statted || !S_ISREG(info.st_mode))
        throw DbError(DbErrNo::General, QStringLiteral("Unrecognized database format '") + path +
                                            QStringLiteral("'."));
    openFile(path, access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
    m_connectionString = connectionString;
    if (m_writer && firstWriter()) {
        // Persistent in the file. A busy file or a file system without
        // shared memory keeps the rollback journal; nothing else changes.
        sqlite3_exec(m_db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    }
}

void Connection::Create(const QString &path)
{
    Close();
    if (QFileInfo::exists(path))
        throw DbError(DbErrNo::General,
                      QStringLiteral("Database '") + path + QStringLiteral("' already exists."));
    openFile(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    m_fileKey = QFileInfo(path).canonicalFilePath(); // it exists only now
    firstWriter();
    m_connectionString = connectionStringFor(path);
}

void Connection::openFile(const QString &path, int flags)
{
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                   flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
        sqlite3_close(db);
        throw DbError(DbErrNo::General,
                      QStringLiteral("The database engine cannot open the file '") + path +
                          QStringLiteral("'. ") + msg);
    }
    sqlite3_extended_result_codes(db, 0);
    const bool writer = (flags & SQLITE_OPEN_READONLY) == 0;
    sqlite3_busy_timeout(db, writer ? kWriterBusyMs : kReaderBusyMs);
    // Reading the schema proves the file is a database; it writes nothing.
    const int probe =
        sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (probe != SQLITE_OK) {
        const bool notDb = probe == SQLITE_NOTADB || probe == SQLITE_CORRUPT;
        QString msg = QString::fromUtf8(sqlite3_errmsg(db));
        if (!writer) {
            const QString refusal = readerRefusal(sqlite3_extended_errcode(db), path);
            if (!refusal.isEmpty())
                msg = refusal;
        }
        sqlite3_close(db);
        if (notDb)
            throw DbError(DbErrNo::General, QStringLiteral("Unrecognized database format '") +
                                                path + QStringLiteral("'."));
        throw DbError(DbErrNo::General, msg);
    }
    // A misspelt "name" must be an error, never read as a text.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    registerJetFunctions(db);
    sqlite3_create_function(db, "jet_likepattern", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                            likePatternFunction, nullptr, nullptr);
    m_db = db;
    m_writer = writer;
    m_path = path;
    m_fileKey = QFileInfo(path).canonicalFilePath();
}

// Counts this writer; true when it is the process's only one on the file.
bool Connection::firstWriter()
{
    OpenFiles &files = openFiles();
    const std::lock_guard<std::mutex> lock(files.mutex);
    return ++files.writers[m_fileKey] == 1;
}

void Connection::Close()
{
    if (m_db) {
        bool last = false;
        if (m_writer) {
            OpenFiles &files = openFiles();
            const std::lock_guard<std::mutex> lock(files.mutex);
            last = --files.writers[m_fileKey] <= 0;
            if (last)
                files.writers.remove(m_fileKey);
        }
        if (last) {
            // Never waits for a reader: the program's end must not hang on
            // almarik-list. The passive checkpoint puts every committed page
            // no reader still needs into the file; the last connection then
            // goes back to the rollback journal, which removes the log, so
            // that a closed database is one whole file again (another
            // process's connection makes SQLite refuse it).
            sqlite3_busy_timeout(m_db, 0);
            sqlite3_wal_checkpoint_v2(m_db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
            sqlite3_exec(m_db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
        }
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        m_writer = false;
    }
    m_path.clear();
    m_connectionString.clear();
}

QStringList Connection::sideFiles(const QString &path)
{
    return {path + QStringLiteral("-wal"), path + QStringLiteral("-shm"),
            path + QStringLiteral("-journal")};
}

sqlite3 *Connection::handle() const
{
    if (!m_db)
        throw DbError(DbErrNo::Closed,
                      QStringLiteral("Operation is not allowed when the object is closed."));
    return m_db;
}

void Connection::check(int rc) const
{
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE)
        return;
    const QString message =
        m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
    // The connection's last extended code, when it is the one rc reports.
    const int extended = m_db ? sqlite3_extended_errcode(m_db) : rc;
    const int code = (extended & 0xff) == (rc & 0xff) ? extended : rc;
    // The Jet functions mark a type mismatch by its code. The type checks
    // stored in a database have only RAISE, whose code every trigger shares,
    // and which of them fired is told by the one text they were written with.
    const bool mismatch =
        (code & 0xff) == SQLITE_MISMATCH ||
        (code == SQLITE_CONSTRAINT_TRIGGER && message == QLatin1String(kTypeMismatch));
    throw DbError(mismatch ? DbErrNo::Conversion : DbErrNo::General, message, code);
}

std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)>
Connection::prepare(const QString &sqliteText) const
{
    sqlite3 *db = handle();
    const QByteArray utf8 = sqliteText.toUtf8();
    sqlite3_stmt *raw = nullptr;
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &raw, &tail);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> stmt(raw, sqlite3_finalize);
    if (rc != SQLITE_OK)
        throw prepareError(QString::fromUtf8(sqlite3_errmsg(db)));
    // The rest up to the real end of the text, so that a NUL cannot hide a
    // second statement.
    const char *end = utf8.constData() + utf8.size();
    if (tail && QByteArray(tail, end - tail).trimmed().size() > 0)
        throw DbError(DbErrNo::Syntax,
                      QStringLiteral("Characters found after end of SQL statement."));
    if (!stmt)
        throw DbError(DbErrNo::Syntax,
                      QStringLiteral("Invalid SQL statement; expected 'DELETE', "
                                     "'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'."));
    return stmt;
}

qint64 Connection::pragmaValue(const char *pragma) const
{
    sqlite3_stmt *raw = nullptr;
    check(sqlite3_prepare_v2(handle(), pragma, -1, &raw, nullptr));
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> stmt(raw, sqlite3_finalize);
    const int rc = sqlite3_step(raw);
    check(rc);
    return rc == SQLITE_ROW ? sqlite3_column_int64(raw, 0) : -1;
}

const JetSchema &Connection::schema() const
{
    const int version = int(pragmaValue("PRAGMA schema_version"));
    if (version != m_schemaVersion || version < 0) {
        m_schema = JetSchema::read(handle());
        m_schemaVersion = version;
    }
    return m_schema;
}

Connection::DataStamp Connection::dataStamp() const
{
    return {handle(), sqlite3_total_changes64(handle()), pragmaValue("PRAGMA data_version"),
            pragmaValue("PRAGMA schema_version")};
}

int Connection::Execute(const QString &jetText)
{
    if (isDefinition(jetText)) {
        const QStringList steps = translateDefinition(jetText, schema());
        Transaction transaction(*this);
        // Only the columns this definition makes get checks: the file's other
        // tables may be another program's, whose values must stay as stored.
        const ColumnNames before = columnNames(*this);
        for (const QString &step : steps) {
            auto stmt = prepare(step);
            check(sqlite3_step(stmt.get()));
        }
        addTypeChecksToNewColumns(*this, before);
        transaction.commit();
        return 0;
    }
    auto stmt = prepare(translateStatement(jetText, schema()));
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    }
    check(rc);
    return sqlite3_changes(m_db);
}

void Connection::BeginTrans()
{
    if (inTransaction())
        throw DbError(DbErrNo::General, QStringLiteral("A transaction is already open."));
    check(sqlite3_exec(handle(), "BEGIN", nullptr, nullptr, nullptr));
}

void Connection::CommitTrans()
{
    if (!inTransaction())
        throw DbError(DbErrNo::General, QStringLiteral("No transaction is active."));
    check(sqlite3_exec(handle(), "COMMIT", nullptr, nullptr, nullptr));
}

void Connection::RollbackTrans()
{
    if (!inTransaction())
        throw DbError(DbErrNo::General, QStringLiteral("No transaction is active."));
    check(sqlite3_exec(handle(), "ROLLBACK", nullptr, nullptr, nullptr));
}

bool Connection::inTransaction() const
{
    return m_db && sqlite3_get_autocommit(m_db) == 0;
}
