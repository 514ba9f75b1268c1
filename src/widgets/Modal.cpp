// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/Modal.h"

#include <QDialog>

namespace {
ModalHandler g_handler;
}

int showModal(QDialog &dialog)
{
    if (auto *loads = dynamic_cast<LoadsOnShow *>(&dialog))
        loads->Form_Load();
    if (g_handler)
        return g_handler(dialog);
    return dialog.exec();
}

void setModalHandler(ModalHandler handler)
{
    g_handler = std::move(handler);
}
