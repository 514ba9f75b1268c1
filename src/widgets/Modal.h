// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every window shown modally goes through showModal, so that tests can
// replace the wait with a script that drives the window and closes it.

#include <functional>

class QDialog;

// A window whose load step runs when it is shown, after its caller has set
// its public variables (as the design's forms load on first show).
class LoadsOnShow
{
public:
    virtual ~LoadsOnShow() = default;
    virtual void Form_Load() = 0;
};

// Runs Form_Load for a LoadsOnShow window, then shows it modally (or hands
// it to the test handler). Returns the dialog's result.
int showModal(QDialog &dialog);

// Tests install a handler that receives the loaded dialog instead of exec().
using ModalHandler = std::function<int(QDialog &)>;
void setModalHandler(ModalHandler handler);
