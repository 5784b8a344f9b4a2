#include "ScreenColormap.h"

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>

void useScreenColormap(QWindow& window)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t* connection = x11->connection();
    const auto id = xcb_window_t(window.winId());
    // Both questions go out before either answer is awaited: one round trip per new window.
    const xcb_get_geometry_cookie_t geometryAsked = xcb_get_geometry(connection, id);
    const xcb_get_window_attributes_cookie_t attributesAsked = xcb_get_window_attributes(connection, id);
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(connection, geometryAsked, nullptr);
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(connection, attributesAsked, nullptr);
    if (geometry && attributes) {
        // The screen the window was made on is the one whose root is the root of its tree.
        for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem; xcb_screen_next(&it)) {
            // A window of another visual (a translucent one) keeps its own colormap: the
            // screen's would not fit it.
            if (it.data->root != geometry->root || it.data->root_visual != attributes->visual)
                continue;
            const uint32_t colormap = it.data->default_colormap;
            xcb_change_window_attributes(connection, id, XCB_CW_COLORMAP, &colormap);
            xcb_flush(connection);
            break;
        }
    }
    std::free(geometry);
    std::free(attributes);
}
