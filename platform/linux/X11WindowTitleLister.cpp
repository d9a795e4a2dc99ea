#include "X11WindowTitleLister.h"

#include <QDebug>
#include <algorithm>
#include <vector>

namespace {

// Enough for any title and for a client list of thousands of windows.
constexpr uint32_t titleLongs = 1024;
constexpr uint32_t listLongs = 16384;

template <typename T> QVector<T> values(const xcb_get_property_reply_t* reply, uint8_t format)
{
    if (!reply || reply->format != format) {
        return {};
    }
    const auto* data = static_cast<const T*>(xcb_get_property_value(reply));
    return QVector<T>(data, data + xcb_get_property_value_length(reply) / sizeof(T));
}

} // namespace

X11WindowTitleLister::X11WindowTitleLister(const char* displayName) : m_x(displayName)
{
    if (!m_x.isValid()) {
        qDebug() << "X11WindowTitleLister: no X display, window titles are not seen";
    }
}

QStringList X11WindowTitleLister::visibleWindowTitles()
{
    if (!m_x.isValid()) {
        if (!m_lossReported && m_x.get() && m_x.root() != XCB_WINDOW_NONE) {
            m_lossReported = true;
            qWarning() << "X11WindowTitleLister: the X connection is gone, window titles are not "
                          "seen";
        }
        return {};
    }
    const std::optional<Windows> managed = managedWindows();
    return titlesOf(managed ? *managed : topLevelWindows());
}

std::optional<X11WindowTitleLister::Windows> X11WindowTitleLister::managedWindows()
{
    xcb_connection_t* connection = m_x.get();
    const xcb_atom_t checkAtom = m_x.atom("_NET_SUPPORTING_WM_CHECK");
    const auto checkCookie =
        xcb_get_property(connection, 0, m_x.root(), checkAtom, XCB_ATOM_WINDOW, 0, 1);
    const auto stackingCookie =
        xcb_get_property(connection, 0, m_x.root(), m_x.atom("_NET_CLIENT_LIST_STACKING"),
                         XCB_ATOM_WINDOW, 0, listLongs);
    const auto listCookie = xcb_get_property(
        connection, 0, m_x.root(), m_x.atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 0, listLongs);
    const auto check = m_x.reply(xcb_get_property_reply, checkCookie);
    const auto stacking = m_x.reply(xcb_get_property_reply, stackingCookie);
    const auto list = m_x.reply(xcb_get_property_reply, listCookie);

    // A window manager that died leaves its properties behind; its check window goes with it.
    const Windows wm = values<xcb_window_t>(check.get(), 32);
    if (wm.isEmpty()) {
        return std::nullopt;
    }
    const auto wmCheck =
        m_x.reply(xcb_get_property_reply,
                  xcb_get_property(connection, 0, wm.first(), checkAtom, XCB_ATOM_WINDOW, 0, 1));
    if (values<xcb_window_t>(wmCheck.get(), 32) != wm || (!stacking && !list)) {
        return std::nullopt;
    }
    if (stacking && stacking->type == XCB_ATOM_WINDOW) {
        Windows windows = values<xcb_window_t>(stacking.get(), 32);
        std::reverse(windows.begin(), windows.end()); // bottom-up on the wire
        return windows;
    }
    if (list && list->type == XCB_ATOM_WINDOW) {
        return values<xcb_window_t>(list.get(), 32);
    }
    return std::nullopt;
}

X11WindowTitleLister::Windows X11WindowTitleLister::topLevelWindows()
{
    xcb_connection_t* connection = m_x.get();
    const auto tree = m_x.reply(xcb_query_tree_reply, xcb_query_tree(connection, m_x.root()));
    if (!tree) {
        return {};
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    for (int i = 0; i < count; ++i) {
        cookies.push_back(xcb_get_window_attributes(connection, children[i]));
    }
    Windows windows;
    // Top of the stack first; the tree lists bottom-up.
    for (int i = count - 1; i >= 0; --i) {
        const auto attributes = m_x.reply(xcb_get_window_attributes_reply, cookies.at(i));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE ||
            attributes->override_redirect) {
            continue;
        }
        const xcb_window_t client = clientBelow(children[i], 2);
        windows.append(client != XCB_WINDOW_NONE ? client : children[i]);
    }
    return windows;
}

// The window a window manager marked with WM_STATE, searched depth levels down.
xcb_window_t X11WindowTitleLister::clientBelow(xcb_window_t window, int depth)
{
    xcb_connection_t* connection = m_x.get();
    const xcb_atom_t wmState = m_x.atom("WM_STATE");
    const auto state = m_x.reply(xcb_get_property_reply,
                                 xcb_get_property(connection, 0, window, wmState, wmState, 0, 0));
    if (state && state->type == wmState) {
        return window;
    }
    if (depth == 0) {
        return XCB_WINDOW_NONE;
    }
    const auto tree = m_x.reply(xcb_query_tree_reply, xcb_query_tree(connection, window));
    if (!tree) {
        return XCB_WINDOW_NONE;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = xcb_query_tree_children_length(tree.get()) - 1; i >= 0; --i) {
        const xcb_window_t client = clientBelow(children[i], depth - 1);
        if (client != XCB_WINDOW_NONE) {
            return client;
        }
    }
    return XCB_WINDOW_NONE;
}

QStringList X11WindowTitleLister::titlesOf(const Windows& windows)
{
    xcb_connection_t* connection = m_x.get();
    const xcb_atom_t utf8 = m_x.atom("UTF8_STRING");
    const xcb_atom_t netName = m_x.atom("_NET_WM_NAME");
    const xcb_atom_t windowType = m_x.atom("_NET_WM_WINDOW_TYPE");
    const xcb_atom_t desktop = m_x.atom("_NET_WM_WINDOW_TYPE_DESKTOP");
    const xcb_atom_t dock = m_x.atom("_NET_WM_WINDOW_TYPE_DOCK");
    struct Cookies
    {
        xcb_get_property_cookie_t netName;
        xcb_get_property_cookie_t name;
        xcb_get_property_cookie_t type;
    };
    std::vector<Cookies> cookies;
    cookies.reserve(static_cast<size_t>(windows.size()));
    for (const xcb_window_t window : windows) {
        cookies.push_back(
            {xcb_get_property(connection, 0, window, netName, utf8, 0, titleLongs),
             xcb_get_property(connection, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0,
                              titleLongs),
             xcb_get_property(connection, 0, window, windowType, XCB_ATOM_ATOM, 0, 32)});
    }
    QStringList titles;
    for (const Cookies& cookie : cookies) {
        const auto netNameReply = m_x.reply(xcb_get_property_reply, cookie.netName);
        const auto nameReply = m_x.reply(xcb_get_property_reply, cookie.name);
        const auto typeReply = m_x.reply(xcb_get_property_reply, cookie.type);
        const QVector<xcb_atom_t> types = values<xcb_atom_t>(typeReply.get(), 32);
        if (types.contains(desktop) || types.contains(dock)) {
            continue;
        }
        QString title;
        const QVector<char> utf8Name = values<char>(netNameReply.get(), 8);
        if (!utf8Name.isEmpty()) {
            title = QString::fromUtf8(utf8Name.constData(), utf8Name.size());
        } else if (nameReply && nameReply->format == 8) {
            const QVector<char> name = values<char>(nameReply.get(), 8);
            // STRING is Latin-1; compound text is read as the locale's encoding, which holds
            // for its ASCII part.
            title = nameReply->type == XCB_ATOM_STRING
                        ? QString::fromLatin1(name.constData(), name.size())
                    : nameReply->type == utf8
                        ? QString::fromUtf8(name.constData(), name.size())
                        : QString::fromLocal8Bit(name.constData(), name.size());
        }
        if (!title.isEmpty()) {
            titles.append(title);
        }
    }
    return titles;
}

std::unique_ptr<WindowTitleLister> createWindowTitleLister()
{
    return std::make_unique<X11WindowTitleLister>();
}
