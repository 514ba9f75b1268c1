// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The process's one connection and its two record sets over Calendar. The
// application object owns them and closes them, record sets first, before
// the application ends; windows are handed them (tests hand their own).

#include "store/Connection.h"
#include "store/RecordSet.h"

class SharedDb final
{
public:
    SharedDb() = default;
    SharedDb(const SharedDb &) = delete;
    SharedDb &operator=(const SharedDb &) = delete;
    ~SharedDb();

    // Closes the record sets, then the connection; never throws.
    void close() noexcept;

    Connection dbConnection;
    RecordSet rsMonth;  // the month list's
    RecordSet rsEditor; // the event editor's
};

// The shared objects the application object installed. Throws AppError 91
// when none is (only the program installs them; tests pass their own).
SharedDb &sharedDb();
void setSharedDb(SharedDb *db);
