#pragma once
// Every window shown modally goes through showModal, so that tests can
// replace the wait with a script that drives the window and closes it.

#include <functional>

class QDialog;

int showModal(QDialog &dialog);

// Tests install a handler that receives the dialog instead of exec().
using ModalHandler = std::function<int(QDialog &)>;
void setModalHandler(ModalHandler handler);
