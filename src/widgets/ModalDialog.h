#pragma once

#include <functional>

class QDialog;

// Every dialog of the program is shown through here, modally; answers the dialog's result.
int showModal(QDialog& dialog);

// Tests put a handler in place of the dialog's own message loop so that no modal dialog
// blocks them. Returns the handler that was in place; an empty handler restores exec().
using ModalHandler = std::function<int(QDialog&)>;
ModalHandler setModalHandler(ModalHandler handler);
