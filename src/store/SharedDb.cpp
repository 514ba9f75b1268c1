// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/SharedDb.h"

#include "platform/AppError.h"

namespace {

SharedDb *g_shared = nullptr;

} // namespace

SharedDb::~SharedDb()
{
    close();
}

void SharedDb::close() noexcept
{
    try {
        rsEditor.Close();
        rsMonth.Close();
        dbConnection.Close();
    } catch (...) {
    }
}

SharedDb &sharedDb()
{
    if (!g_shared)
        throw AppError(ErrNo::ObjectNotSet,
                       QStringLiteral("Object variable or With block variable not set"));
    return *g_shared;
}

void setSharedDb(SharedDb *db)
{
    g_shared = db;
}
