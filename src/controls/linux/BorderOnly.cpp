#include "controls/BorderOnly.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

namespace qel {

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return found;
}

} // namespace

void showBorderOnly(QWidget& window) {
    // Other platforms (offscreen among them) may offer the interface without a connection.
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !x11 || !x11->connection() ||
        !window.windowHandle())
        return;
    xcb_connection_t* connection = x11->connection();
    const auto id = xcb_window_t(window.winId());
    const xcb_atom_t utf8 = atom(connection, "UTF8_STRING");
    for (const xcb_atom_t name : {atom(connection, "_NET_WM_NAME"), xcb_atom_t(XCB_ATOM_WM_NAME)})
        if (name != XCB_ATOM_NONE)
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, name,
                                name == XCB_ATOM_WM_NAME ? xcb_atom_t(XCB_ATOM_STRING) : utf8, 8, 0,
                                nullptr);
    // The window manager's hints in the Motif layout: move only; a border.
    enum : uint32_t { Functions = 1, Decorations = 2, FuncMove = 4, DecorBorder = 2 };
    const uint32_t hints[5] = {Functions | Decorations, FuncMove, DecorBorder, 0, 0};
    if (const xcb_atom_t motif = atom(connection, "_MOTIF_WM_HINTS"); motif != XCB_ATOM_NONE)
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, motif, motif, 32, 5, hints);
    xcb_flush(connection);
}

} // namespace qel
