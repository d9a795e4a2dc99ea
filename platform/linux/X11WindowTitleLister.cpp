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
    const auto rootProperty = [&](xcb_atom_t atom, uint32_t longs) {
        return xcb_get_property(connection, 0, m_x.root(), atom, XCB_ATOM_WINDOW, 0, longs);
    };
    const auto checkOf = [&](xcb_window_t window) {
        return xcb_get_property(connection, 0, window, checkAtom, XCB_ATOM_WINDOW, 0, 1);
    };
    // The window manager's check window, confirmed last time, is confirmed again in the same
    // round trip: one that died leaves its properties on the root, but its check window goes.
    const auto rootCheckCookie = rootProperty(checkAtom, 1);
    const auto stackingCookie = rootProperty(m_x.atom("_NET_CLIENT_LIST_STACKING"), listLongs);
    const auto listCookie = rootProperty(m_x.atom("_NET_CLIENT_LIST"), listLongs);
    const auto knownCheckCookie = checkOf(m_wmCheck);
    const auto rootCheck = m_x.reply(xcb_get_property_reply, rootCheckCookie);
    const auto stacking = m_x.reply(xcb_get_property_reply, stackingCookie);
    const auto list = m_x.reply(xcb_get_property_reply, listCookie);
    const auto knownCheck = m_x.reply(xcb_get_property_reply, knownCheckCookie);

    const Windows wm = values<xcb_window_t>(rootCheck.get(), 32);
    if (wm.isEmpty()) {
        m_wmCheck = XCB_WINDOW_NONE;
        return std::nullopt;
    }
    if (wm.first() != m_wmCheck || values<xcb_window_t>(knownCheck.get(), 32) != wm) {
        const auto check = m_x.reply(xcb_get_property_reply, checkOf(wm.first()));
        m_wmCheck = values<xcb_window_t>(check.get(), 32) == wm ? wm.first()
                                                                : xcb_window_t{XCB_WINDOW_NONE};
    }
    if (m_wmCheck == XCB_WINDOW_NONE) {
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
    const auto property = [connection](xcb_window_t window, xcb_atom_t atom, xcb_atom_t type,
                                       uint32_t longs) {
        return xcb_get_property(connection, 0, window, atom, type, 0, longs);
    };

    std::vector<std::pair<xcb_get_property_cookie_t, xcb_get_property_cookie_t>> cookies;
    cookies.reserve(static_cast<size_t>(windows.size()));
    for (const xcb_window_t window : windows) {
        cookies.emplace_back(property(window, netName, utf8, titleLongs),
                             property(window, windowType, XCB_ATOM_ATOM, 32));
    }
    QStringList titles;
    Windows withoutNetName;
    for (int i = 0; i < windows.size(); ++i) {
        const auto name = m_x.reply(xcb_get_property_reply, cookies.at(i).first);
        const auto type = m_x.reply(xcb_get_property_reply, cookies.at(i).second);
        const QVector<xcb_atom_t> types = values<xcb_atom_t>(type.get(), 32);
        if (types.contains(desktop) || types.contains(dock)) {
            continue;
        }
        const QVector<char> text = values<char>(name.get(), 8);
        if (text.isEmpty()) {
            withoutNetName.append(windows.at(i));
        } else {
            titles.append(QString::fromUtf8(text.constData(), text.size()));
        }
    }

    // Older programs set only WM_NAME; asked for in a second round trip, as few do.
    std::vector<xcb_get_property_cookie_t> nameCookies;
    for (const xcb_window_t window : withoutNetName) {
        nameCookies.push_back(
            property(window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, titleLongs));
    }
    for (const auto& cookie : nameCookies) {
        const auto name = m_x.reply(xcb_get_property_reply, cookie);
        const QVector<char> text = values<char>(name.get(), 8);
        if (text.isEmpty()) {
            continue;
        }
        // STRING is Latin-1; compound text is read as the locale's encoding, which holds for
        // its ASCII part.
        titles.append(name->type == XCB_ATOM_STRING
                          ? QString::fromLatin1(text.constData(), text.size())
                      : name->type == utf8 ? QString::fromUtf8(text.constData(), text.size())
                                           : QString::fromLocal8Bit(text.constData(), text.size()));
    }
    return titles;
}

std::unique_ptr<WindowTitleLister> createWindowTitleLister()
{
    return std::make_unique<X11WindowTitleLister>();
}
