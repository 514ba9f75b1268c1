// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ui/OpenEditor.h"

#include "editor/ui/Editor.h"
#include "platform/ErrorStyles.h"
#include "store/RecordSet.h"
#include "widgets/Modal.h"

void openEventEditor(QWidget *owner, Connection &db, RecordSet &rs, Prompts &prompts,
                     const Clock &clock)
{
    ignoringErrors([&] { rs.setCursorLocation(adUseClient); });
    ignoringErrors([&] { rs.setFilter(QString()); });
    ignoringErrors([&] {
        rs.Open(QStringLiteral("SELECT * FROM Calendar ORDER BY Dates"), db, adOpenDynamic,
                adLockOptimistic);
    });
    {
        Editor editor(db, rs, prompts, clock, owner);
        ignoringErrors([&] { editor.refresh_Data(); });
        ignoringErrors([&] { showModal(editor); });
    }
    ignoringErrors([&] { rs.Close(); });
}
