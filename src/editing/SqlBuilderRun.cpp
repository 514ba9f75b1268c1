// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/SqlBuilderRun.h"

#include "platform/ErrorStyles.h"
#include "platform/Prompts.h"
#include "registry/ErrorText.h"
#include "store/Connection.h"
#include "store/Transaction.h"

#include <optional>

bool runBuilderStatement(Connection &db, Prompts &prompts, const QString &text)
{
    std::optional<Transaction> transaction;
    if (!ignoringErrors([&] {
            transaction.emplace(db);
            db.Execute(text);
        }))
        return false;
    const MsgResult answer =
        prompts.MsgBox(QStringLiteral("SQL successful, OK to commit?"), MsgButtons::OkCancel,
                       MsgIcon::Question, QStringLiteral("Commit Transaction?"));
    if (answer != MsgResult::Ok)
        return false;
    // The user was told the statement succeeded and chose to keep it.
    const auto report = [&](const AppError &e) {
        // Rolled back before the box, so that the file is free while it shows.
        transaction.reset();
        prompts.MsgBox(errorInText(QStringLiteral("RunSQL"), e.number(), e.description()),
                       MsgButtons::OkOnly, MsgIcon::Critical);
    };
    return showingErrors([&] { transaction->commit(); }, report);
}
