// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A record set as the program's procedures use one: the rows of a query read
// into memory, a current position, an optional Filter, and field values as
// typed QVariants (null where empty). Rows of a single table keep their
// SQLite rowid, so that a grid can change the very row it shows. A client
// cursor reads its rows at Open; a dynamic server cursor over a table's rows
// reads them when they are first used. Every failing operation throws
// DbError.

#include "store/Chunked.h"
#include "store/Connection.h"
#include "store/TextStore.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

struct Cell;
class Statement;
struct IsoParts;
struct sqlite3_stmt;

enum CursorTypeEnum
{
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3
};
enum LockTypeEnum
{
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3
};
enum CursorLocationEnum
{
    adUseServer = 2,
    adUseClient = 3
};

// The kind a column's declared type carries.
enum class FieldKind
{
    Date,
    Bool,
    Text,
    Number
};

class RecordSet
{
public:
    RecordSet();
    ~RecordSet();
    RecordSet(const RecordSet &) = delete;
    RecordSet &operator=(const RecordSet &) = delete;

    void setCursorLocation(CursorLocationEnum location) { m_cursorLocation = location; }
    CursorLocationEnum cursorLocation() const { return m_cursorLocation; }

    // A set opened with adLockReadOnly refuses every write (AddNew,
    // setField, Update, setValueAt, insertRow and the deletes) with DbError
    // (ReadOnly) before anything changes.
    void Open(const QString &source, Connection &connection,
              CursorTypeEnum cursorType = adOpenStatic, LockTypeEnum lockType = adLockReadOnly);
    // Reads the rows again, unless they cannot have changed since they were
    // read (a table's rows, in an order of its columns only, and nothing
    // written, committed or redefined since).
    void Requery();
    // Reads the rows again as Requery would, but only the named columns,
    // handing each row to each instead of keeping it: the set reads its
    // rows anew at its next use, and then stands after its last row.
    class ScanRow
    {
    public:
        // The i-th named column's value, as Fields gives it; a name the set
        // does not have throws fieldNotFound().
        QVariant value(int i) const;
        // The date of a date column's stored text, without building a
        // value; false when it holds no stored date (value() tells what).
        bool dateParts(int i, IsoParts *parts) const;

    private:
        friend class RecordSet;
        ScanRow(sqlite3_stmt *st, const std::vector<int> &columns,
                const std::vector<FieldKind> &kinds)
            : m_st(st), m_columns(columns), m_kinds(kinds)
        {
        }
        sqlite3_stmt *m_st;
        const std::vector<int> &m_columns; // in the statement, -1: absent
        const std::vector<FieldKind> &m_kinds;
    };
    void scan(const QStringList &names, const std::function<void(const ScanRow &)> &each);
    void Close();
    bool isOpen() const { return m_connection != nullptr; }
    QString source() const { return m_source; }

    bool isEOF() const
    {
        ensureRows(); // first: reading them places the set
        return m_pos >= visibleCount();
    }
    // True before the first row, and on an empty set (as EOF is).
    bool isBOF() const
    {
        ensureRows();
        return m_pos < 0 || visibleCount() == 0;
    }
    void MoveFirst();
    void MoveNext();
    void MoveLast();
    int RecordCount() const { return visibleCount(); }
    // Position of the current row among the visible rows, from 0.
    int position() const { return m_pos; }
    void setPosition(int row);

    // Filter criteria are Jet expressions, translated as statements
    // are ("*" and "%" are wild cards); text comparisons ignore case, as
    // Jet's do. An empty filter shows every row again (and may be set
    // before Open). A refused filter leaves the rows as they were.
    void setFilter(const QString &jetCriteria);
    QString Filter() const { return m_filter; }

    // The current row's value of a column named without regard to case;
    // during AddNew or an edit, the value assigned so far.
    QVariant Fields(const QString &name) const;

    // Editing: AddNew starts a new row, setField assigns (starting an edit of
    // the current row when none is in progress), Update stores it. A value
    // that does not suit the column (a text that is not a date, a text
    // longer than a VARCHAR(n) column) is refused by setField with DbError.
    void AddNew();
    void setField(const QString &name, const QVariant &value);
    void Update();
    void CancelUpdate();

    // Column and row access for grids, by visible row. A row outside the
    // visible rows throws DbError (no current record).
    int fieldCount() const { return int(m_names.size()); }
    QString fieldName(int column) const { return m_names.at(column); }
    FieldKind fieldKind(int column) const { return m_kinds.at(column); }
    // The declared length of a text column (VARCHAR(n)), 0 when unlimited.
    int fieldSize(int column) const { return m_sizes.at(column); }
    int fieldIndex(const QString &name) const; // -1 when absent
    // The same; throws fieldNotFound() when absent.
    int requireField(const QString &name) const;
    QVariant valueAt(int row, int column) const;
    qint64 rowidAt(int row) const;
    // Stores value in the row's table row (found by its rowid) at once and
    // reads the row back. This, deleteAt and Update of an edit change the
    // table row only while it still holds the values read; a row deleted,
    // changed or replaced under the same rowid since is refused with
    // DbError (ReadOnly) and nothing changes.
    void setValueAt(int row, int column, const QVariant &value);
    // Inserts a row with the given fields; returns its visible row.
    int insertRow(const QList<QPair<QString, QVariant>> &fields);
    void deleteAt(int row);
    // Deletes the table rows of the given visible rows (repeats allowed) in
    // one transaction (or inside the connection's open one) and drops them
    // from the set in one pass. Throws DbError; nothing is deleted then.
    void deleteRows(const QList<int> &rows);
    bool updatable() const { return !m_readOnly && !m_table.isEmpty(); }

private:
    int visibleCount() const
    {
        ensureRows();
        return m_filtered ? int(m_visible.size()) : int(m_rowids.size());
    }
    void ensureRows() const
    {
        if (m_deferred)
            readDeferred();
    }
    void readDeferred() const;
    static std::vector<FieldKind> columnKinds(sqlite3_stmt *st);
    void readColumns(sqlite3_stmt *st);
    int rowIndex(int visibleRow) const { return m_filtered ? m_visible[visibleRow] : visibleRow; }
    int checkedRowIndex(int visibleRow) const;
    const Cell &cellAt(int index, int column) const;
    void load();
    // One value of the statement's current row, its text kept in texts.
    static Cell readCell(sqlite3_stmt *st, int column, FieldKind kind, TextStore &texts);
    void applyFilter();
    std::vector<qint64> matchingRowids(const QString &criteria) const;
    void requireCurrent() const;
    void requireConnection() const;
    // Open, with its rows read.
    void requireOpen() const;
    void requireWritableLock() const;
    void requireUpdatable() const;
    void writeRow(int index, const QList<QPair<int, QVariant>> &fields);
    QString asReadClause(int index) const;
    void bindAsRead(Statement &st, int first, int index) const;
    void requireOneChange() const;
    qint64 insertValues(const QList<QPair<int, QVariant>> &fields);
    void reloadRow(int index);
    void removeRow(int index);
    QVariant storable(int column, const QVariant &value) const;

    Connection *m_connection = nullptr;
    CursorLocationEnum m_cursorLocation = adUseServer;
    QString m_source;
    QString m_query;           // the SQLite text, with the rowid as its first column when updatable
    QString m_table;           // the one table behind the rows, or "" when read-only
    bool m_repeatable = false; // the query reads the same rows from the same data
    Connection::DataStamp m_readStamp;
    bool m_deferred = false;  // the rows are read at first use
    bool m_afterLast = false; // ... and the set then stands after the last
    bool m_readOnly = true;   // opened with adLockReadOnly
    QStringList m_names;
    std::vector<FieldKind> m_kinds;
    std::vector<int> m_sizes;
    // Names asked for lately, by the identity of their text: a hit needs no
    // comparison of characters, and holding the text keeps its identity
    // from being reused. A loop reading a few fields by name always hits.
    struct NameHit
    {
        QString name;
        int column = -1;
    };
    static constexpr int kNameHits = 8;
    mutable NameHit m_nameHits[kNameHits];
    mutable int m_usedHits = 0;
    mutable int m_nextHit = 0;
    mutable int m_lastHit = 0;
    // The column of a name asked for lately, or -1. Inline, and starting
    // after the last hit: such a loop asks for its names in the same order
    // on every row.
    int hitColumn(const QString &name) const
    {
        int slot = m_lastHit;
        for (int n = 0; n < m_usedHits; ++n) {
            if (++slot >= m_usedHits)
                slot = 0;
            const NameHit &hit = m_nameHits[slot];
            if (hit.name.constData() == name.constData() && hit.name.size() == name.size()) {
                m_lastHit = slot;
                return hit.column;
            }
        }
        return -1;
    }
    void forgetNameHits();
    Chunked<qint64> m_rowids;
    Chunked<Cell> m_cells; // row-major
    TextStore m_texts;     // the texts the cells point into
    QString m_filter;
    bool m_filtered = false;
    std::vector<int> m_visible;
    int m_pos = 0;

    enum class EditMode
    {
        None,
        Add,
        Edit
    };
    EditMode m_editMode = EditMode::None;
    QList<QPair<int, QVariant>> m_pending;
};
