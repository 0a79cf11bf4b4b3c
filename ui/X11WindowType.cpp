#include "ui/X11WindowType.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace masume::ui {

namespace {

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t result = reply->atom;
    std::free(reply);
    return result;
}

} // namespace

void markAsToolBar(QWidget &window)
{
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t *connection = x11->connection();
    const xcb_atom_t types[] = {atom(connection, "_NET_WM_WINDOW_TYPE_TOOLBAR"),
                                atom(connection, "_NET_WM_WINDOW_TYPE_UTILITY")};
    const xcb_atom_t property = atom(connection, "_NET_WM_WINDOW_TYPE");
    if (property == XCB_ATOM_NONE || types[0] == XCB_ATOM_NONE || types[1] == XCB_ATOM_NONE)
        return;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window.winId()), property,
                        XCB_ATOM_ATOM, 32, 2, types);
    xcb_flush(connection);
}

} // namespace masume::ui
