#include "ModalDialog.h"

#include <QDialog>
#include <utility>

namespace {
ModalHandler& handlerInPlace()
{
    static ModalHandler handler;
    return handler;
}
}  // namespace

int showModal(QDialog& dialog)
{
    if (const ModalHandler& handler = handlerInPlace())
        return handler(dialog);
    return dialog.exec();
}

ModalHandler setModalHandler(ModalHandler handler) { return std::exchange(handlerInPlace(), std::move(handler)); }
