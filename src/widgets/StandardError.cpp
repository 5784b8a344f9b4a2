#include "StandardError.h"

#include "data/Prompt.h"
#include "data/store/StoreError.h"

#include <QString>

namespace {
const QString Unexpected = QStringLiteral("Se produjo un error inesperado.");
}

void showStandardError(const std::exception& error)
{
    if (dynamic_cast<const store::Abort*>(&error))
        return;
    if (const auto* storeError = dynamic_cast<const store::StoreError*>(&error)) {
        Prompt::current().error(storeError->text());
        return;
    }
    const QString text = QString::fromUtf8(error.what());
    Prompt::current().error(text.isEmpty() ? Unexpected : text);
}

void runHandler(const std::function<void()>& handler) noexcept
{
    try {
        handler();
    } catch (const std::exception& error) {
        try {
            showStandardError(error);
        } catch (...) {
            // Showing the box failed too (out of memory): there is no one left to tell.
        }
    } catch (...) {
        try {
            Prompt::current().error(Unexpected);
        } catch (...) {
        }
    }
}
