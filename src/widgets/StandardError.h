#pragma once

#include <exception>
#include <functional>

// The application's standard error box: the error's text under the application's title.
// A silent abort (store::Abort) shows nothing, because its rule has spoken already.
void showStandardError(const std::exception& error);

// Runs a handler and shows whatever it throws in the standard error box. The toolkit's own
// code is not exception-safe, so handlers catch here before an exception can cross it;
// Application::notify() is only the last resort.
void runHandler(const std::function<void()>& handler) noexcept;

// A slot for connect() that runs object->handler() through runHandler().
template <typename Object>
auto guarded(Object* object, void (Object::*handler)())
{
    return [object, handler] { runHandler([object, handler] { (object->*handler)(); }); };
}
