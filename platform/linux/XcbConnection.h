#pragma once

#include <QByteArray>
#include <QHash>
#include <cstdlib>
#include <memory>
#include <type_traits>
#include <xcb/xcb.h>

// A reply or event that xcb allocated with malloc.
struct XcbFree
{
    void operator()(void* data) const { std::free(data); }
};
template <typename T> using XcbPointer = std::unique_ptr<T, XcbFree>;

// An X connection of its own, closed with the object. A display that cannot be reached leaves
// the object without a connection (isValid() false) rather than failing.
class XcbConnection
{
public:
    // nullptr opens the display named by $DISPLAY.
    explicit XcbConnection(const char* displayName = nullptr);
    ~XcbConnection();
    XcbConnection(const XcbConnection&) = delete;
    XcbConnection& operator=(const XcbConnection&) = delete;

    // False once the server is gone, too.
    bool isValid() const;
    xcb_connection_t* get() const { return m_connection.get(); }
    xcb_window_t root() const { return m_root; }

    // Interned once and kept; XCB_ATOM_NONE where the server does not answer.
    xcb_atom_t atom(const char* name);

    // The reply to a request with a reply (cookie and its _reply function), or nullptr; an X
    // error is consumed here, so it never piles up in the event queue.
    template <typename Cookie, typename ReplyFunction>
    auto reply(ReplyFunction replyFunction, Cookie cookie) const
    {
        using Reply = std::remove_pointer_t<decltype(replyFunction(nullptr, cookie, nullptr))>;
        xcb_generic_error_t* error = nullptr;
        XcbPointer<Reply> result(replyFunction(m_connection.get(), cookie, &error));
        std::free(error);
        return result;
    }

private:
    struct Disconnect
    {
        void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
    };

    std::unique_ptr<xcb_connection_t, Disconnect> m_connection;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    QHash<QByteArray, xcb_atom_t> m_atoms;
};
