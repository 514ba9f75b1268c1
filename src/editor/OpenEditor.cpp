#include "editor/OpenEditor.h"

#include "editor/Editor.h"
#include "platform/Modal.h"
#include "store/SharedDb.h"

#include <functional>

namespace {

// The command ignores errors: a step that fails is skipped.
void step(const std::function<void()> &work)
{
    try {
        work();
    } catch (...) {
    }
}

} // namespace

void openEventEditor(QWidget *owner)
{
    step([] { rsEditor.setCursorLocation(adUseClient); });
    step([] { rsEditor.setFilter(QString()); });
    step([] {
        rsEditor.Open(QStringLiteral("SELECT * FROM Calendar ORDER BY Dates"), dbConnection,
                      adOpenDynamic, adLockOptimistic);
    });
    {
        Editor editor(owner);
        step([&] { editor.refresh_Data(); });
        step([&] { showModal(editor); });
    }
    step([] { rsEditor.Close(); });
}
