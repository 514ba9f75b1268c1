// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A failure reported by the event database: the engine's number and text,
// and for a failure of SQLite itself its extended result code, since the
// number callers compare is the same for many of them.

#include "platform/AppError.h"

class DbError final : public AppError
{
public:
    DbError(int number, QString description, int sqliteCode = 0)
        : AppError(number, std::move(description)), m_sqliteCode(sqliteCode)
    {
    }

    // SQLite's extended result code (SQLITE_BUSY, SQLITE_FULL,
    // SQLITE_CONSTRAINT_NOTNULL, ...); 0 when the failure is not SQLite's.
    int sqliteCode() const noexcept { return m_sqliteCode; }

private:
    int m_sqliteCode;
};

// The numbers the database layer reports, in the provider's own terms.
namespace DbErrNo {
inline constexpr int Syntax = -2147217900;     // errors in the command text
inline constexpr int General = -2147467259;    // the engine's general failure
inline constexpr int Conversion = -2147217913; // data type mismatch
inline constexpr int NoValue = -2147217904;    // a parameter without a value
inline constexpr int ReadOnly = -2147217911;   // the row cannot be updated
inline constexpr int NoCurrentRow = 3021;      // either BOF or EOF is true
inline constexpr int NotFound = 3265;          // no field of that name
inline constexpr int Closed = 3704;            // the object is closed
inline constexpr int AlreadyOpen = 3705;       // the object is open
} // namespace DbErrNo

// The engine's words for a value of the wrong type, which the type checks
// stored in a database raise too.
inline constexpr char kTypeMismatch[] = "Data type mismatch in criteria expression.";

inline DbError typeMismatch()
{
    return DbError(DbErrNo::Conversion, QString::fromLatin1(kTypeMismatch));
}

// A field named that the record set does not have.
inline DbError fieldNotFound()
{
    return DbError(DbErrNo::NotFound,
                   QStringLiteral("Item cannot be found in the collection corresponding to the "
                                  "requested name or ordinal."));
}
