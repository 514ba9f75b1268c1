// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The event table editor over a database of the test's own, opened as the
// Event Editor command opens it, for the tests of the editor's windows.

#include "editor/ui/Editor.h"
#include "store/RecordSet.h"
#include "support/TestDatabase.h"
#include "widgets/Modal.h"

#include <QTest>
#include <memory>

// Any window opened fails the test, unless the test expects one.
inline void refuseWindows()
{
    setModalHandler([](QDialog &d) {
        QTest::qFail(qPrintable("unexpected window " + d.windowTitle()), __FILE__, __LINE__);
        return 0;
    });
}

struct EditorFixture
{
    // A new Almarik.MDB holding events (the VALUES of the usual insert), m_rs
    // opened on it for changes in date order, and the editor over both.
    void openEditor(const QStringList &events, const Clock &clock)
    {
        m_env = std::make_unique<TestEnv>();
        newDatabase(m_env->path(QStringLiteral("Almarik.MDB")), m_db, events);
        m_rs.setCursorLocation(adUseClient);
        m_rs.Open(QStringLiteral("SELECT * FROM Calendar ORDER BY Dates"), m_db, adOpenDynamic,
                  adLockOptimistic);
        m_prompts = std::make_unique<ScriptedPrompts>();
        refuseWindows();
        m_editor = std::make_unique<Editor>(m_db, m_rs, *m_prompts, clock);
        m_editor->refresh_Data();
    }
    // Closes them all; returns the boxes the test did not take (it takes
    // those it expects).
    QStringList closeEditor()
    {
        const QStringList boxes = m_prompts->takeBoxes();
        m_editor.reset();
        setModalHandler({});
        m_prompts.reset();
        m_rs.Close();
        m_db.Close();
        m_env.reset();
        return boxes;
    }

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<Editor> m_editor;
    Connection m_db;
    RecordSet m_rs;
};
