// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_placement.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#endif

namespace vcq
{

namespace
{

#if QT_CONFIG(xcb)

// How long a window manager may take to answer before we place without it.
constexpr int kFrameAnswerMs = 500;

template <typename T> using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t internAtom(xcb_connection_t *c, const char *name)
{
    const XcbReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

XcbReply<xcb_get_property_reply_t> property(xcb_connection_t *c, xcb_window_t window,
                                            xcb_atom_t name, xcb_atom_t type, uint32_t length)
{
    return {
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, length), nullptr),
        &std::free};
}

bool windowManagerSupports(xcb_connection_t *c, xcb_window_t root, xcb_atom_t atom)
{
    const auto reply = property(c, root, internAtom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 4096);
    if (!reply || reply->format != 32)
        return false;
    const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::find(atoms, atoms + count, atom) != atoms + count;
}

std::optional<QMargins> frameExtents(xcb_connection_t *c, xcb_window_t window, xcb_atom_t atom)
{
    const auto reply = property(c, window, atom, XCB_ATOM_CARDINAL, 4);
    if (!reply || reply->type != XCB_ATOM_CARDINAL || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) != 16)
        return std::nullopt;
    const auto *v = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    // Left, right, top, bottom.
    return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]),
                    static_cast<int>(v[3]));
}

// Asks the window manager which frame it will give the window once mapped
// (the desktop standard's frame-extents request), and waits a moment for its answer.
std::optional<QMargins> askWindowManager(QWidget *window)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return std::nullopt;
    xcb_connection_t *c = x11->connection();
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t extents = internAtom(c, "_NET_FRAME_EXTENTS");
    const xcb_atom_t request = internAtom(c, "_NET_REQUEST_FRAME_EXTENTS");
    if (extents == XCB_ATOM_NONE || !windowManagerSupports(c, root, request))
        return std::nullopt;
    if (auto known = frameExtents(c, id, extents))
        return known;

    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(c);
    const QDeadlineTimer deadline(kFrameAnswerMs);
    while (!deadline.hasExpired()) {
        if (auto answer = frameExtents(c, id, extents))
            return answer;
        QThread::msleep(1);
    }
    return std::nullopt;
}

#else

std::optional<QMargins> askWindowManager(QWidget *)
{
    return std::nullopt;
}

#endif

} // namespace

QPoint centredOver(const QRect &outer, const QSize &own)
{
    return {outer.left() + outer.width() / 2 - own.width() / 2,
            outer.top() + outer.height() / 2 - own.height() / 2};
}

QMargins expectedFrameMargins(QWidget *window)
{
    // The platform window exists from here on; it shows later.
    window->winId();
    const QWindow *handle = window->windowHandle();
    if (!handle)
        return {};
    // A window hidden again has no frame until it shows; the desktop then
    // gives it back the frame it had, which is remembered here.
    const char *const known = "vcqFrameMargins";
    QMargins frame = handle->frameMargins();
    if (frame.isNull())
        frame = window->property(known).value<QMargins>();
    if (frame.isNull() && QGuiApplication::platformName() == u"xcb") {
        if (const auto answer = askWindowManager(window))
            frame = *answer;
    }
    if (!frame.isNull())
        window->setProperty(known, QVariant::fromValue(frame));
    return frame;
}

void placeFrame(QWidget *window, const std::function<QPoint(const QSize &)> &place)
{
    const QMargins frame = expectedFrameMargins(window);
    const QPoint outerTopLeft = place(window->size().grownBy(frame));
    // The client area is placed inside the frame: the desktop keeps that
    // place whether or not the toolkit has learnt the frame yet.
    window->setGeometry(QRect(outerTopLeft + QPoint(frame.left(), frame.top()), window->size()));
}

void centreOverWindow(QWidget *dialog, const QWidget *mainWindow)
{
    if (!mainWindow)
        return;
    const QRect outer = mainWindow->frameGeometry();
    placeFrame(dialog, [&outer](const QSize &own) { return centredOver(outer, own); });
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect outer = screen->geometry();
    placeFrame(window, [&outer](const QSize &own) { return centredOver(outer, own); });
}

} // namespace vcq
