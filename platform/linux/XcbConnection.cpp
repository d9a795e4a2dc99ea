#include "XcbConnection.h"

#include <cstring>

XcbConnection::XcbConnection(const char* displayName)
{
    int screenNumber = 0;
    // xcb_connect returns an object even on failure, which still has to be disconnected.
    m_connection.reset(xcb_connect(displayName, &screenNumber));
    if (xcb_connection_has_error(m_connection.get()) != 0) {
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection.get()));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem > 0) {
        m_root = screens.data->root;
    }
}

XcbConnection::~XcbConnection() = default;

bool XcbConnection::isValid() const
{
    return m_root != XCB_WINDOW_NONE && xcb_connection_has_error(m_connection.get()) == 0;
}

xcb_atom_t XcbConnection::atom(const char* name)
{
    const QByteArray key(name);
    const auto known = m_atoms.constFind(key);
    if (known != m_atoms.constEnd()) {
        return *known;
    }
    const auto interned =
        reply(xcb_intern_atom_reply,
              xcb_intern_atom(get(), 0, static_cast<uint16_t>(std::strlen(name)), name));
    const xcb_atom_t atom = interned ? interned->atom : xcb_atom_t{XCB_ATOM_NONE};
    if (atom != XCB_ATOM_NONE) {
        m_atoms.insert(key, atom);
    }
    return atom;
}
