#include "support/X11Properties.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace masume::test {

namespace {

xcb_connection_t *connection()
{
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t root()
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root;
}

struct Free
{
    void operator()(void *p) const { std::free(p); }
};

xcb_atom_t atom(const char *name)
{
    std::unique_ptr<xcb_intern_atom_reply_t, Free> reply(xcb_intern_atom_reply(
        connection(), xcb_intern_atom(connection(), 0, uint16_t(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QString atomName(xcb_atom_t a)
{
    std::unique_ptr<xcb_get_atom_name_reply_t, Free> reply(
        xcb_get_atom_name_reply(connection(), xcb_get_atom_name(connection(), a), nullptr));
    if (!reply)
        return {};
    return QString::fromLatin1(xcb_get_atom_name_name(reply.get()),
                               xcb_get_atom_name_name_length(reply.get()));
}

QList<uint32_t> values(xcb_window_t window, const char *property)
{
    QList<uint32_t> out;
    if (!connection())
        return out;
    std::unique_ptr<xcb_get_property_reply_t, Free> reply(
        xcb_get_property_reply(connection(),
                               xcb_get_property(connection(), 0, window, atom(property),
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
                               nullptr));
    if (!reply || reply->format != 32)
        return out;
    const auto *data = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    for (int i = 0; i < count; ++i)
        out << data[i];
    return out;
}

xcb_window_t idOf(const QWidget &window)
{
    return xcb_window_t(window.winId());
}

} // namespace

QStringList atomProperty(const QWidget &window, const char *property)
{
    QStringList names;
    for (uint32_t a : values(idOf(window), property))
        names << atomName(a);
    return names;
}

QList<uint32_t> cardinalProperty(const QWidget &window, const char *property)
{
    return values(idOf(window), property);
}

int stackingIndex(const QWidget &window)
{
    if (!connection())
        return -1;
    return int(values(root(), "_NET_CLIENT_LIST_STACKING").indexOf(idOf(window)));
}

bool windowManagerRuns()
{
    return connection() && !values(root(), "_NET_SUPPORTING_WM_CHECK").isEmpty();
}

void requestStates(const QWidget &window, const char *first, const char *second)
{
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = idOf(window);
    event.type = atom("_NET_WM_STATE");
    event.data.data32[0] = 1; // add
    event.data.data32[1] = atom(first);
    event.data.data32[2] = second ? atom(second) : 0;
    event.data.data32[3] = 2; // from a pager
    xcb_send_event(connection(), 0, root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(connection());
}

QRect frameOnServer(const QWidget &window)
{
    std::unique_ptr<xcb_get_geometry_reply_t, Free> geometry(xcb_get_geometry_reply(
        connection(), xcb_get_geometry(connection(), idOf(window)), nullptr));
    std::unique_ptr<xcb_translate_coordinates_reply_t, Free> origin(xcb_translate_coordinates_reply(
        connection(), xcb_translate_coordinates(connection(), idOf(window), root(), 0, 0),
        nullptr));
    if (!geometry || !origin)
        return {};
    QRect frame(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
    const QList<uint32_t> extents = values(idOf(window), "_NET_FRAME_EXTENTS"); // l, r, t, b
    if (extents.size() == 4)
        frame.adjust(-int(extents[0]), -int(extents[2]), int(extents[1]), int(extents[3]));
    return frame;
}

QSize sizeOnServer(const QWidget &window)
{
    std::unique_ptr<xcb_get_geometry_reply_t, Free> geometry(xcb_get_geometry_reply(
        connection(), xcb_get_geometry(connection(), idOf(window)), nullptr));
    return geometry ? QSize(geometry->width, geometry->height) : QSize();
}

void requestSize(const QWidget &window, QSize size)
{
    const uint32_t values[] = {uint32_t(size.width()), uint32_t(size.height())};
    xcb_configure_window(connection(), idOf(window),
                         XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
    xcb_flush(connection());
}

void requestMoveResize(const QWidget &window, QSize size)
{
    xcb_client_message_event_t event {};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = idOf(window);
    event.type = atom("_NET_MOVERESIZE_WINDOW");
    enum { Width = 1 << 10, Height = 1 << 11, FromPager = 2 << 12 };
    event.data.data32[0] = Width | Height | FromPager; // the window's own gravity
    event.data.data32[3] = uint32_t(size.width());
    event.data.data32[4] = uint32_t(size.height());
    xcb_send_event(connection(), 0, root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(connection());
}

} // namespace masume::test
