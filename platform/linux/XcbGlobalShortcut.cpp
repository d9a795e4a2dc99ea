#include "XcbGlobalShortcut.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDebug>
#include <QHash>
#include <QPointer>
#include <QX11Info>
#include <X11/keysym.h>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <xcb/xcb_keysyms.h>

namespace {

// The modifier bits of a key event's state; the rest are pointer buttons.
constexpr std::uint16_t kModifierBits = 0xff;

// The keysym a user means by a Qt key, or 0 where there is none worth grabbing.
xcb_keysym_t keysymFor(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return static_cast<xcb_keysym_t>(XK_a + (key - Qt::Key_A));
    }
    // Digits and ASCII punctuation: Qt's key codes and the Latin-1 keysyms are both the
    // character's code.
    if (key >= Qt::Key_Exclam && key <= Qt::Key_AsciiTilde) {
        return static_cast<xcb_keysym_t>(key);
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35) {
        return static_cast<xcb_keysym_t>(XK_F1 + (key - Qt::Key_F1));
    }
    switch (key) {
    case Qt::Key_Space:
        return XK_space;
    case Qt::Key_Tab:
        return XK_Tab;
    case Qt::Key_Backtab:
        return XK_ISO_Left_Tab;
    case Qt::Key_Return:
        return XK_Return;
    case Qt::Key_Enter:
        return XK_KP_Enter;
    case Qt::Key_Escape:
        return XK_Escape;
    case Qt::Key_Backspace:
        return XK_BackSpace;
    case Qt::Key_Insert:
        return XK_Insert;
    case Qt::Key_Delete:
        return XK_Delete;
    case Qt::Key_Home:
        return XK_Home;
    case Qt::Key_End:
        return XK_End;
    case Qt::Key_PageUp:
        return XK_Prior;
    case Qt::Key_PageDown:
        return XK_Next;
    case Qt::Key_Left:
        return XK_Left;
    case Qt::Key_Up:
        return XK_Up;
    case Qt::Key_Right:
        return XK_Right;
    case Qt::Key_Down:
        return XK_Down;
    case Qt::Key_Print:
        return XK_Print;
    case Qt::Key_Pause:
        return XK_Pause;
    default:
        return 0;
    }
}

struct KeySymbolsFree
{
    void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
};
using KeySymbols = std::unique_ptr<xcb_key_symbols_t, KeySymbolsFree>;

// Every keycode that produces the keysym in the current keyboard mapping.
QVector<xcb_keycode_t> keycodesFor(xcb_key_symbols_t* symbols, xcb_keysym_t keysym)
{
    QVector<xcb_keycode_t> keycodes;
    xcb_keycode_t* found = xcb_key_symbols_get_keycode(symbols, keysym);
    for (const xcb_keycode_t* code = found; code && *code != XCB_NO_SYMBOL; ++code) {
        if (!keycodes.contains(*code)) {
            keycodes << *code;
        }
    }
    std::free(found);
    return keycodes;
}

// Which of the eight modifiers the keyboard mapping assigns to NumLock, Alt and Super; they
// differ between keyboard layouts.
struct ModifierMasks
{
    std::uint16_t numLock = 0;
    std::uint16_t alt = XCB_MOD_MASK_1;
    std::uint16_t super = XCB_MOD_MASK_4;
};

ModifierMasks modifierMasks(xcb_connection_t* connection, xcb_key_symbols_t* symbols)
{
    ModifierMasks masks;
    xcb_generic_error_t* error = nullptr;
    std::unique_ptr<xcb_get_modifier_mapping_reply_t, decltype(&std::free)> mapping(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), &error),
        &std::free);
    std::free(error);
    if (!mapping) {
        return masks;
    }
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    const auto maskOf = [&](xcb_keysym_t keysym, std::uint16_t fallback) {
        const QVector<xcb_keycode_t> wanted = keycodesFor(symbols, keysym);
        for (int modifier = 0; modifier < 8; ++modifier) {
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t code = keycodes[modifier * perModifier + i];
                if (code != XCB_NO_SYMBOL && wanted.contains(code)) {
                    return static_cast<std::uint16_t>(1u << modifier);
                }
            }
        }
        return fallback;
    };
    masks.numLock = maskOf(XK_Num_Lock, 0);
    masks.alt = maskOf(XK_Alt_L, masks.alt);
    masks.super = maskOf(XK_Super_L, masks.super);
    return masks;
}

void logUnavailableOnce()
{
    static bool logged = false;
    if (!logged) {
        logged = true;
        qWarning() << "XcbGlobalShortcut: no X11 connection, global hotkeys are unavailable";
    }
}

} // namespace

// The key grabs of all shortcuts on the application's X connection, and the one native event
// filter that hands their key presses to them. Lives while at least one shortcut does.
class XcbKeyGrabs : public QAbstractNativeEventFilter
{
public:
    XcbKeyGrabs(xcb_connection_t* connection, xcb_window_t root)
        : m_connection(connection), m_root(root)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~XcbKeyGrabs() override
    {
        if (QCoreApplication* application = QCoreApplication::instance()) {
            application->removeNativeEventFilter(this);
        }
    }

    XcbKeyGrabs(const XcbKeyGrabs&) = delete;
    XcbKeyGrabs& operator=(const XcbKeyGrabs&) = delete;

    // The grabs of the application's connection; null without X.
    static std::shared_ptr<XcbKeyGrabs> shared()
    {
        static std::weak_ptr<XcbKeyGrabs> current;
        std::shared_ptr<XcbKeyGrabs> grabs = current.lock();
        if (!grabs && QCoreApplication::instance() && QX11Info::isPlatformX11() &&
            QX11Info::connection()) {
            grabs = std::make_shared<XcbKeyGrabs>(
                QX11Info::connection(), static_cast<xcb_window_t>(QX11Info::appRootWindow()));
            current = grabs;
        }
        return grabs;
    }

    xcb_connection_t* connection() const { return m_connection; }

    // Grabs the keycodes with the modifiers, in every NumLock/CapsLock variant, for the
    // shortcut. All or nothing: a refused grab releases what this call took.
    bool grab(XcbGlobalShortcut* shortcut, const QVector<xcb_keycode_t>& keycodes,
              std::uint16_t modifiers, std::uint16_t numLock)
    {
        QVector<Combination> taken;
        for (const xcb_keycode_t keycode : keycodes) {
            const Combination combination{keycode, modifiers};
            auto held = m_held.find(combination);
            if (held == m_held.end()) {
                Held grabbed;
                grabbed.variants = {
                    modifiers, static_cast<std::uint16_t>(modifiers | numLock),
                    static_cast<std::uint16_t>(modifiers | XCB_MOD_MASK_LOCK),
                    static_cast<std::uint16_t>(modifiers | numLock | XCB_MOD_MASK_LOCK)};
                if (!grabVariants(keycode, grabbed.variants)) {
                    for (const Combination& undo : taken) {
                        leave(shortcut, undo);
                    }
                    xcb_flush(m_connection);
                    return false;
                }
                held = m_held.insert(combination, grabbed);
            }
            held->listeners << shortcut;
            taken << combination;
        }
        return true;
    }

    void ungrab(XcbGlobalShortcut* shortcut, const QVector<xcb_keycode_t>& keycodes,
                std::uint16_t modifiers)
    {
        for (const xcb_keycode_t keycode : keycodes) {
            leave(shortcut, Combination{keycode, modifiers});
        }
        xcb_flush(m_connection);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, long* /*result*/) override
    {
        if (eventType != "xcb_generic_event_t") {
            return false;
        }
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & ~0x80) != XCB_KEY_PRESS) {
            return false;
        }
        const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event);
        // The locks are ignored by matching against every variant that was grabbed.
        for (auto held = m_held.cbegin(); held != m_held.cend(); ++held) {
            const std::uint16_t state = press->state & kModifierBits;
            if (held.key().keycode != press->detail ||
                std::find(held->variants.begin(), held->variants.end(), state) ==
                    held->variants.end()) {
                continue;
            }
            // A slot may delete shortcuts, and with them entries of m_held.
            QVector<QPointer<XcbGlobalShortcut>> listeners;
            for (XcbGlobalShortcut* listener : held->listeners) {
                listeners << listener;
            }
            for (const QPointer<XcbGlobalShortcut>& listener : listeners) {
                if (listener) {
                    listener->press();
                }
            }
            break;
        }
        // Never consumed: a press inside the application's own windows still reaches them.
        return false;
    }

private:
    struct Combination
    {
        xcb_keycode_t keycode;
        std::uint16_t modifiers;
        bool operator==(const Combination& other) const
        {
            return keycode == other.keycode && modifiers == other.modifiers;
        }
    };
    friend uint qHash(const Combination& combination, uint seed)
    {
        return ::qHash((combination.modifiers << 8) | combination.keycode, seed);
    }
    struct Held
    {
        std::array<std::uint16_t, 4> variants{};
        QVector<XcbGlobalShortcut*> listeners;
    };

    bool grabVariants(xcb_keycode_t keycode, const std::array<std::uint16_t, 4>& variants)
    {
        for (std::size_t i = 0; i < variants.size(); ++i) {
            // Without NumLock in the mapping two variants coincide; grab each once.
            if (std::find(variants.begin(), variants.begin() + i, variants[i]) !=
                variants.begin() + i) {
                continue;
            }
            const xcb_void_cookie_t cookie =
                xcb_grab_key_checked(m_connection, 1, m_root, variants[i], keycode,
                                     XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
                if (error->error_code != XCB_ACCESS) {
                    qWarning() << "XcbGlobalShortcut: X error" << error->error_code
                               << "grabbing keycode" << keycode;
                }
                std::free(error);
                for (std::size_t j = 0; j < i; ++j) {
                    xcb_ungrab_key(m_connection, keycode, m_root, variants[j]);
                }
                xcb_flush(m_connection);
                return false;
            }
        }
        return true;
    }

    void leave(XcbGlobalShortcut* shortcut, const Combination& combination)
    {
        auto held = m_held.find(combination);
        if (held == m_held.end()) {
            return;
        }
        held->listeners.removeOne(shortcut);
        if (!held->listeners.isEmpty()) {
            return;
        }
        // Another shortcut of this application may hold the same combination; the grab
        // goes only with the last of them.
        for (const std::uint16_t variant : held->variants) {
            xcb_ungrab_key(m_connection, combination.keycode, m_root, variant);
        }
        m_held.erase(held);
    }

    xcb_connection_t* m_connection;
    xcb_window_t m_root;
    QHash<Combination, Held> m_held;
};

XcbGlobalShortcut::XcbGlobalShortcut(QObject* parent)
    : GlobalShortcut(parent), m_grabs(XcbKeyGrabs::shared())
{
}

XcbGlobalShortcut::~XcbGlobalShortcut()
{
    release();
}

void XcbGlobalShortcut::release()
{
    if (m_grabs && !m_keycodes.isEmpty()) {
        m_grabs->ungrab(this, m_keycodes, m_modifiers);
    }
    m_keycodes.clear();
    m_modifiers = 0;
}

bool XcbGlobalShortcut::setShortcut(const QKeySequence& sequence)
{
    release();
    m_sequence = sequence;
    if (sequence.isEmpty()) {
        return true;
    }
    const auto refuse = [&] {
        qWarning() << "QxtGlobalShortcut failed to register:" << sequence;
        return false;
    };
    if (!m_grabs) {
        logUnavailableOnce();
        return refuse();
    }
    if (sequence.count() > 1) {
        qDebug() << "XcbGlobalShortcut: only the first key of" << sequence << "is global";
    }
    const int combination = sequence[0];
    const int key = combination & ~Qt::KeyboardModifierMask;
    const xcb_keysym_t keysym = keysymFor(key);
    const KeySymbols symbols(xcb_key_symbols_alloc(m_grabs->connection()));
    const QVector<xcb_keycode_t> keycodes =
        keysym != 0 && symbols ? keycodesFor(symbols.get(), keysym) : QVector<xcb_keycode_t>{};
    if (keycodes.isEmpty()) {
        qWarning() << "XcbGlobalShortcut: no key on this keyboard for" << sequence;
        return refuse();
    }

    const ModifierMasks masks = modifierMasks(m_grabs->connection(), symbols.get());
    std::uint16_t modifiers = 0;
    if (combination & Qt::ShiftModifier) {
        modifiers |= XCB_MOD_MASK_SHIFT;
    }
    if (combination & Qt::ControlModifier) {
        modifiers |= XCB_MOD_MASK_CONTROL;
    }
    if (combination & Qt::AltModifier) {
        modifiers |= masks.alt;
    }
    if (combination & Qt::MetaModifier) {
        modifiers |= masks.super;
    }
    if (!m_grabs->grab(this, keycodes, modifiers, masks.numLock)) {
        return refuse();
    }
    m_keycodes = keycodes;
    m_modifiers = modifiers;
    return true;
}

GlobalShortcut* createGlobalShortcut(QObject* parent)
{
    return new XcbGlobalShortcut(parent);
}
