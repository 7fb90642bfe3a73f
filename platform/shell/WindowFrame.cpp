#include "platform/shell/WindowFrame.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <thread>

namespace shell {

namespace {

// How long the window manager may take to state the extents of a window it
// has not framed yet. It answers at once when it is not busy; the bound only
// matters for one that announces the request and then ignores it.
constexpr auto ExtentsAnswerTime = std::chrono::milliseconds(1000);
constexpr auto ExtentsPollInterval = std::chrono::milliseconds(2);

template <typename T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
XcbReply<T> own(T *reply)
{
    return XcbReply<T>(reply, &std::free);
}

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const auto reply = own(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::char_traits<char>::length(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

XcbReply<xcb_get_property_reply_t> property(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t name,
                                            xcb_atom_t type, uint32_t length)
{
    return own(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, name, type, 0, length), nullptr));
}

std::optional<xcb_window_t> windowProperty(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t name)
{
    const auto reply = property(connection, window, name, XCB_ATOM_WINDOW, 1);
    if (!reply || reply->type != XCB_ATOM_WINDOW || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) < 4)
        return std::nullopt;
    return *static_cast<const xcb_window_t *>(xcb_get_property_value(reply.get()));
}

struct X11Atoms
{
    xcb_atom_t frameExtents = XCB_ATOM_NONE;
    xcb_atom_t requestFrameExtents = XCB_ATOM_NONE;
    xcb_atom_t supported = XCB_ATOM_NONE;
    xcb_atom_t supportingWmCheck = XCB_ATOM_NONE;
};

X11Atoms atomsOf(xcb_connection_t *connection)
{
    return X11Atoms{internAtom(connection, "_NET_FRAME_EXTENTS"), internAtom(connection, "_NET_REQUEST_FRAME_EXTENTS"),
                    internAtom(connection, "_NET_SUPPORTED"), internAtom(connection, "_NET_SUPPORTING_WM_CHECK")};
}

std::optional<QMargins> readExtents(xcb_connection_t *connection, xcb_window_t window, const X11Atoms &atoms)
{
    const auto reply = property(connection, window, atoms.frameExtents, XCB_ATOM_CARDINAL, 4);
    if (!reply || reply->type != XCB_ATOM_CARDINAL || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) < 16)
        return std::nullopt;
    // Left, right, top, bottom.
    const auto *v = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    return QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
}

// True when a window manager runs that says it answers requests for the
// extents of windows it has not framed yet. Its check window must exist and
// point to itself: a window manager that has gone leaves its properties on
// the root window behind.
bool windowManagerAnswersRequests(xcb_connection_t *connection, xcb_window_t root, const X11Atoms &atoms)
{
    const std::optional<xcb_window_t> check = windowProperty(connection, root, atoms.supportingWmCheck);
    if (!check || windowProperty(connection, *check, atoms.supportingWmCheck) != check)
        return false;
    const auto reply = property(connection, root, atoms.supported, XCB_ATOM_ATOM, 4096);
    if (!reply || reply->type != XCB_ATOM_ATOM || reply->format != 32)
        return false;
    const auto *list = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    for (int i = 0; i < count; ++i) {
        if (list[i] == atoms.requestFrameExtents)
            return true;
    }
    return false;
}

QMargins x11FrameMargins(xcb_connection_t *connection, xcb_window_t id)
{
    const X11Atoms atoms = atomsOf(connection);
    if (atoms.frameExtents == XCB_ATOM_NONE)
        return {};
    if (const std::optional<QMargins> known = readExtents(connection, id, atoms))
        return *known;

    const auto tree = own(xcb_query_tree_reply(connection, xcb_query_tree(connection, id), nullptr));
    if (!tree || !windowManagerAnswersRequests(connection, tree->root, atoms))
        return {};
    xcb_client_message_event_t request{};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = id;
    request.type = atoms.requestFrameExtents;
    xcb_send_event(connection, 0, tree->root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char *>(&request));
    xcb_flush(connection);
    // The answer is a property on the window; reading it is a round trip
    // that leaves the events of the window to Qt.
    const auto deadline = std::chrono::steady_clock::now() + ExtentsAnswerTime;
    while (std::chrono::steady_clock::now() < deadline) {
        if (const std::optional<QMargins> answered = readExtents(connection, id, atoms))
            return *answered;
        std::this_thread::sleep_for(ExtentsPollInterval);
    }
    return {};
}

} // namespace

QMargins frameMargins(QWidget *window)
{
    if (!window || !window->isWindow())
        return {};
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    const auto marginsOf = [connection](QWindow &native) {
        return connection ? x11FrameMargins(connection, xcb_window_t(native.winId())) : native.frameMargins();
    };
    if (QWindow *own = window->windowHandle(); own && own->handle())
        return marginsOf(*own);
    // Qt places a window by its frame only when the native window is made as
    // it first shows, so the platform is asked about a stand-in of the same
    // kind, which it frames alike.
    QWindow probe;
    probe.setFlags(window->windowFlags());
    probe.create();
    return marginsOf(probe);
}

QRect outerGeometry(QWidget *window)
{
    const QRect outer = window->frameGeometry();
    // Qt knows the frame once the window manager has framed the window.
    if (!window->isWindow() || outer != window->geometry())
        return outer;
    return QRect(outer.topLeft(), outer.size().grownBy(frameMargins(window)));
}

void resizeOuter(QWidget *window, const QSize &size)
{
    const QRect outer = outerGeometry(window);
    window->resize(size.width() - (outer.width() - window->width()),
                   size.height() - (outer.height() - window->height()));
}

} // namespace shell
