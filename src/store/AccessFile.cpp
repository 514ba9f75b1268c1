// SPDX-License-Identifier: GPL-3.0-or-later
// libmdb includes GLib inside its extern "C"; GLib comes first, by itself.
#include <glib.h>
#include <mdbtools.h>

#include "store/AccessFile.h"

#include "store/AccessText.h"
#include "store/DbError.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace {

DbError damaged(const QString &path, const QString &what)
{
    return DbError(DbErrNo::General, QStringLiteral("The Access database '") + path +
                                         QStringLiteral("' is damaged (") + what +
                                         QStringLiteral(") and cannot be read."));
}

AccessKind kindOf(int type)
{
    switch (type) {
    case MDB_BOOL:
        return AccessKind::YesNo;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
        return AccessKind::Number;
    case MDB_DATETIME:
        return AccessKind::Date;
    case MDB_TEXT:
    case MDB_MEMO:
        return AccessKind::Text;
    default:
        return AccessKind::Other;
    }
}

quint32 le32(const unsigned char *p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

qint64 le64(const unsigned char *p)
{
    return qint64(quint64(le32(p)) | quint64(le32(p + 4)) << 32);
}

struct TableCloser
{
    void operator()(MdbTableDef *t) const { mdb_free_tabledef(t); }
};
using Table = std::unique_ptr<MdbTableDef, TableCloser>;

} // namespace

struct AccessFile::Handle
{
    MdbHandle *mdb = nullptr;
    ~Handle()
    {
        if (mdb)
            mdb_close(mdb);
    }

    MdbCatalogEntry *entry(const QString &name) const
    {
        for (guint i = 0; i < mdb->num_catalog; ++i) {
            auto *e = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
            if (e->object_type == MDB_TABLE && mdb_is_user_table(e) &&
                QString::fromUtf8(e->object_name).compare(name, Qt::CaseInsensitive) == 0)
                return e;
        }
        return nullptr;
    }
};

bool isAccessFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(19);
    static const char jet[] = "\x00\x01\x00\x00Standard Jet DB";
    static const char ace[] = "\x00\x01\x00\x00Standard ACE DB";
    return head.size() == 19 && (std::memcmp(head.constData(), jet, 19) == 0 ||
                                 std::memcmp(head.constData(), ace, 19) == 0);
}

AccessFile::AccessFile(const QString &path) : m_path(path), m_handle(std::make_unique<Handle>())
{
    if (!QFileInfo::exists(path))
        throw DbError(DbErrNo::General,
                      QStringLiteral("Could not find file '") + path + QStringLiteral("'."));
    if (!isAccessFile(path))
        throw DbError(DbErrNo::General,
                      QStringLiteral("'") + path +
                          QStringLiteral("' is not a Microsoft Access database."));
    m_handle->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!m_handle->mdb)
        throw damaged(path, QStringLiteral("its header cannot be read"));
    // A file cut short ends inside a page: libmdb would read the pages
    // that are left and quietly miss the rest.
    if (QFileInfo(path).size() % m_handle->mdb->fmt->pg_size != 0)
        throw damaged(path, QStringLiteral("it ends inside a page"));
    if (!mdb_read_catalog(m_handle->mdb, MDB_ANY))
        throw damaged(path, QStringLiteral("its catalog cannot be read"));
}

AccessFile::~AccessFile() = default;

QStringList AccessFile::tableNames() const
{
    QStringList names;
    MdbHandle *mdb = m_handle->mdb;
    for (guint i = 0; i < mdb->num_catalog; ++i) {
        auto *e = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (e->object_type == MDB_TABLE && mdb_is_user_table(e))
            names << QString::fromUtf8(e->object_name);
    }
    return names;
}

QString AccessFile::tableNamed(const QString &name) const
{
    const MdbCatalogEntry *e = m_handle->entry(name);
    return e ? QString::fromUtf8(e->object_name) : QString();
}

namespace {

Table openTable(MdbCatalogEntry *entry, const QString &path, const QString &name)
{
    if (!entry)
        throw DbError(DbErrNo::General, QStringLiteral("The Access database '") + path +
                                            QStringLiteral("' has no table '") + name +
                                            QStringLiteral("'."));
    Table t(mdb_read_table(entry));
    if (!t || !mdb_read_columns(t.get()))
        throw damaged(path, QStringLiteral("the definition of table '") + name +
                                QStringLiteral("' cannot be read"));
    return t;
}

MdbColumn *columnAt(MdbTableDef *t, guint i)
{
    return static_cast<MdbColumn *>(g_ptr_array_index(t->columns, i));
}

} // namespace

QList<AccessColumn> AccessFile::columns(const QString &table) const
{
    const Table t = openTable(m_handle->entry(table), m_path, table);
    const bool jet3 = m_handle->mdb->f->jet_version == MDB_VER_JET3;
    QList<AccessColumn> list;
    for (guint i = 0; i < t->num_cols; ++i) {
        const MdbColumn *c = columnAt(t.get(), i);
        AccessColumn col{QString::fromUtf8(c->name), kindOf(c->col_type), 0};
        if (c->col_type == MDB_TEXT)
            col.size = jet3 ? c->col_size : c->col_size / 2;
        list << col;
    }
    return list;
}

qint64 AccessFile::rowCount(const QString &table) const
{
    return openTable(m_handle->entry(table), m_path, table)->num_rows;
}

namespace {

// Reads one table's rows from its data pages, taking each field's raw bytes
// as mdb_crack_row finds them.
class RowReader
{
public:
    RowReader(MdbHandle *mdb, MdbTableDef *t, const QString &path)
        : m_mdb(mdb), m_table(t), m_path(path), m_fields(t->num_cols),
          m_jet3(mdb->f->jet_version == MDB_VER_JET3)
    {
    }

    qint64 run(const std::vector<int> &wanted, const AccessFile::RowSink &sink)
    {
        std::vector<AccessValue> values(wanted.size());
        qint64 read = 0;
        mdb_rewind_table(m_table);
        const int rco = m_mdb->fmt->row_count_offset;
        const int pageSize = int(m_mdb->fmt->pg_size);
        while (mdb_read_next_dpg(m_table)) {
            const int rows = mdb_get_int16(m_mdb->pg_buf, rco);
            for (int r = 0; r < rows; ++r) {
                int start = 0;
                size_t size = 0;
                if (mdb_find_row(m_mdb, r, &start, &size) == -1)
                    throw damaged(m_path, QStringLiteral("a row of table '") +
                                              QString::fromUtf8(m_table->name) +
                                              QStringLiteral("' lies outside its page"));
                // Deleted rows keep their place on the page; libmdb's own
                // reading skips them and empty slots alike.
                if (size == 0 || (start & 0x4000))
                    continue;
                start &= 0x1fff;
                if (start + int(size) > pageSize ||
                    mdb_crack_row(m_table, start, size, m_fields.data()) < 0)
                    throw damaged(m_path, QStringLiteral("a row of table '") +
                                              QString::fromUtf8(m_table->name) +
                                              QStringLiteral("' cannot be read"));
                for (size_t i = 0; i < wanted.size(); ++i)
                    value(wanted[i], &values[i]);
                sink(values);
                ++read;
            }
        }
        if (read != qint64(m_table->num_rows))
            throw damaged(m_path, QStringLiteral("table '") + QString::fromUtf8(m_table->name) +
                                      QStringLiteral("' should hold %1 rows, %2 were found")
                                          .arg(m_table->num_rows)
                                          .arg(read));
        return read;
    }

private:
    void value(int column, AccessValue *v) const
    {
        v->kind = AccessKind::Null;
        v->number = 0;
        v->text.clear();
        if (column < 0)
            return;
        const MdbColumn *c = columnAt(m_table, guint(column));
        const MdbField &f = m_fields[size_t(column)];
        if (c->col_type == MDB_BOOL) {
            // A yes/no lives in the null mask: a set bit is yes.
            v->kind = AccessKind::YesNo;
            v->number = f.is_null ? 0 : -1;
            return;
        }
        if (f.is_null)
            return;
        const unsigned char *p = m_mdb->pg_buf + f.start;
        const auto need = [&](int bytes) {
            if (f.siz < bytes)
                throw damaged(m_path, QStringLiteral("a value of column '") +
                                          QString::fromUtf8(c->name) +
                                          QStringLiteral("' is cut short"));
        };
        switch (c->col_type) {
        case MDB_BYTE:
            need(1);
            v->number = p[0];
            break;
        case MDB_INT:
            need(2);
            v->number = qint16(p[0] | p[1] << 8);
            break;
        case MDB_LONGINT:
            need(4);
            v->number = qint32(le32(p));
            break;
        case MDB_MONEY:
            need(8);
            // Currency is a whole number of ten-thousandths.
            v->number = double(le64(p)) / 10000.0;
            break;
        case MDB_FLOAT: {
            need(4);
            const quint32 bits = le32(p);
            float x;
            std::memcpy(&x, &bits, 4);
            v->number = x;
            break;
        }
        case MDB_DOUBLE:
        case MDB_DATETIME: {
            need(8);
            const qint64 bits = le64(p);
            std::memcpy(&v->number, &bits, 8);
            break;
        }
        case MDB_TEXT:
            v->text = text(c, p, size_t(f.siz));
            break;
        case MDB_MEMO:
            v->text = memo(c, p, f.siz);
            break;
        default:
            throw DbError(DbErrNo::Conversion, QStringLiteral("The column '") +
                                                   QString::fromUtf8(c->name) +
                                                   QStringLiteral("' holds values of a kind "
                                                                  "that cannot be read."));
        }
        v->kind = kindOf(c->col_type);
    }

    QString text(const MdbColumn *c, const unsigned char *p, size_t size) const
    {
        if (m_jet3)
            return decodeJet3Text(p, size);
        const std::optional<QString> t = decodeJet4Text(p, size);
        if (!t)
            throw damaged(m_path, QStringLiteral("a text of column '") +
                                      QString::fromUtf8(c->name) +
                                      QStringLiteral("' is cut short"));
        return *t;
    }

    // A long text: its 12-byte head in the row says whether the bytes
    // follow in the row itself, in one row of a long-value page, or in a
    // chain of such rows each naming the next.
    QString memo(const MdbColumn *c, const unsigned char *p, int size) const
    {
        const auto broken = [&] {
            return damaged(m_path, QStringLiteral("a long text of column '") +
                                       QString::fromUtf8(c->name) +
                                       QStringLiteral("' cannot be read"));
        };
        if (size < MDB_MEMO_OVERHEAD)
            throw broken();
        const quint32 head = le32(p);
        const size_t length = head & 0x3fffffff;
        if (head & 0x80000000) {
            if (size_t(size - MDB_MEMO_OVERHEAD) < length)
                throw broken();
            return text(c, p + MDB_MEMO_OVERHEAD, length);
        }
        QByteArray bytes;
        quint32 pgRow = le32(p + 4);
        const bool single = head & 0x40000000;
        if (!single && (head & 0xC0000000))
            throw broken();
        // Each link is at least one page further; a loop cannot outlast this.
        for (int links = 0; size_t(bytes.size()) < length; ++links) {
            void *buf = nullptr;
            int off = 0;
            size_t len = 0;
            if (pgRow == 0 || links > 1000000 ||
                mdb_find_pg_row(m_mdb, int(pgRow), &buf, &off, &len) != 0)
                throw broken();
            const auto *row = static_cast<const unsigned char *>(buf) + off;
            if (single) {
                if (len < length)
                    throw broken();
                bytes.append(reinterpret_cast<const char *>(row), qsizetype(length));
                break;
            }
            if (len < 4)
                throw broken();
            pgRow = le32(row);
            bytes.append(reinterpret_cast<const char *>(row + 4), qsizetype(len - 4));
        }
        return text(c, reinterpret_cast<const unsigned char *>(bytes.constData()), length);
    }

    MdbHandle *m_mdb;
    MdbTableDef *m_table;
    const QString &m_path;
    std::vector<MdbField> m_fields;
    bool m_jet3;
};

} // namespace

qint64 AccessFile::readRows(const QString &table, const QStringList &names,
                            const RowSink &row) const
{
    const Table t = openTable(m_handle->entry(table), m_path, table);
    std::vector<int> wanted;
    for (const QString &name : names) {
        int found = -1;
        for (guint i = 0; i < t->num_cols && found < 0; ++i) {
            if (QString::fromUtf8(columnAt(t.get(), i)->name).compare(name, Qt::CaseInsensitive) ==
                0)
                found = int(i);
        }
        wanted.push_back(found);
    }
    return RowReader(m_handle->mdb, t.get(), m_path).run(wanted, row);
}
