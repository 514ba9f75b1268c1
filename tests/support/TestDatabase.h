// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A new event database for a test: every table, in the test's own
// temporary home, opened on a connection of the test's own.

#include "store/Connection.h"
#include "support/ScriptedPrompts.h"
#include "support/TestEnv.h"

#include <QStringList>

// A new database at path, open on db, holding events (the VALUES of the
// usual insert, as for addEvents). It is a copy of one database made once
// by CreateDatabase, which is slow for its commits. Returns path.
QString newDatabase(const QString &path, Connection &db, const QStringList &events = {});

// A temporary home with Almarik.MDB in it, its connection and the prompts
// the code under test answers to.
struct TestDatabase
{
    TestEnv env;
    ScriptedPrompts prompts;
    Connection db;
    const QString path = newDatabase(env.path(QStringLiteral("Almarik.MDB")), db);
};
