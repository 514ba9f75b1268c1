// SPDX-License-Identifier: GPL-3.0-or-later
#include "about/ui/OpenAbout.h"

#include "about/ui/frmAbout.h"
#include "about/ui/frmWeb.h"

namespace {

// Brings the owner's open window of type W forward; false when none is open.
template <typename W> bool raiseOpen(QWidget *owner)
{
    W *open = owner ? owner->findChild<W *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!open)
        return false;
    open->showNormal();
    open->raise();
    open->activateWindow();
    return true;
}

} // namespace

void showAboutBox(QWidget *owner, const QString &databasename)
{
    if (raiseOpen<frmAbout>(owner))
        return;
    auto *about = new frmAbout(owner, databasename);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->Form_Load();
    about->show();
}

void showUpdatePage(QWidget *owner)
{
    if (raiseOpen<frmWeb>(owner))
        return;
    auto *web = new frmWeb(owner);
    web->setAttribute(Qt::WA_DeleteOnClose);
    web->show();
    web->Form_Load();
}
