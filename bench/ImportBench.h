// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An import measured against its floor, each run into a fresh copy of an
// empty event database.

#include "editor/ShareFile.h"

#include <QString>
#include <benchmark/benchmark.h>
#include <functional>

class ImportBench final
{
public:
    // Creates the empty database and names the target in folder.
    explicit ImportBench(const QString &folder);

    // The floor: rows, their texts made UTF-8 beforehand, inserted by one
    // prepared statement in one transaction.
    void bareInsert(benchmark::State &state, const QList<ImportCandidate> &rows) const;
    // The import as the command runs it, without the dialog's wait: read the
    // file, look each description up, insert every item in one transaction.
    void import(benchmark::State &state,
                const std::function<QList<ImportCandidate>()> &readFile) const;

private:
    void freshTarget() const;

    QString m_empty;
    QString m_target;
};
