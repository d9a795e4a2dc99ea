#include "platform/linux/XcbConnection.h"
#include "platform/linux/XcbGlobalShortcut.h"

#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QX11Info>
#include <QtTest>
#include <X11/keysym.h>
#include <xcb/xcb_keysyms.h>

namespace {

// Key presses as the X server sees them from a keyboard (XTEST).
bool xdotool(const QStringList& arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

// Once this returns, the server has handled every request the application sent before.
void syncApplication()
{
    xcb_connection_t* connection = QX11Info::connection();
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

// Another program on the same display.
class OtherClient
{
public:
    // Whether the server let this client grab the key with exactly these modifiers.
    bool grab(xcb_keysym_t keysym, std::uint16_t modifiers)
    {
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_x.get());
        xcb_keycode_t* keycodes = xcb_key_symbols_get_keycode(symbols, keysym);
        const xcb_keycode_t keycode = keycodes ? keycodes[0] : XCB_NO_SYMBOL;
        std::free(keycodes);
        xcb_key_symbols_free(symbols);
        xcb_generic_error_t* error = xcb_request_check(
            m_x.get(), xcb_grab_key_checked(m_x.get(), 1, m_x.root(), modifiers, keycode,
                                            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return keycode != XCB_NO_SYMBOL && !error;
    }

    // The keyboard's modifier and lock state.
    std::uint16_t modifierState() const
    {
        auto pointer = m_x.reply(xcb_query_pointer_reply, xcb_query_pointer(m_x.get(), m_x.root()));
        return pointer ? pointer->mask & 0xff : 0;
    }

private:
    XcbConnection m_x;
};

// Xvfb's keyboard puts Alt on Mod1.
constexpr std::uint16_t kCtrlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

} // namespace

// Global key combinations on the test's X display, pressed with xdotool.
class TestGlobalShortcut : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QX11Info::isPlatformX11()) {
            QSKIP("needs an X display (run-tests.sh starts one)");
        }
    }

    void eachPressFiresOnceWhateverTheLocks()
    {
        XcbGlobalShortcut brighter;
        XcbGlobalShortcut marker;
        QSignalSpy brighterPressed(&brighter, &GlobalShortcut::activated);
        QSignalSpy markerPressed(&marker, &GlobalShortcut::activated);
        QVERIFY(brighter.setShortcut(QKeySequence("Alt+Up")));
        QVERIFY(marker.setShortcut(QKeySequence("Ctrl+Alt+B")));
        QCOMPARE(brighter.shortcut(), QKeySequence("Alt+Up"));

        // No lock, NumLock, NumLock and CapsLock, CapsLock.
        const OtherClient observer;
        int presses = 0;
        for (const QString& toggle : {QString(), QStringLiteral("Num_Lock"),
                                      QStringLiteral("Caps_Lock"), QStringLiteral("Num_Lock")}) {
            if (!toggle.isEmpty()) {
                const std::uint16_t before = observer.modifierState();
                QVERIFY(xdotool({"key", toggle}));
                QTRY_VERIFY(observer.modifierState() != before);
            }
            QVERIFY(xdotool({"key", "alt+Up", "ctrl+alt+b"}));
            ++presses;
            QTRY_COMPARE(markerPressed.count(), presses);
            // Delivered in order, so a second activation would have come before.
            QCOMPARE(brighterPressed.count(), presses);
        }
    }

    // Locks left on by a failed case would change the next one.
    void cleanup()
    {
        const OtherClient observer;
        if (observer.modifierState() & XCB_MOD_MASK_LOCK) {
            QVERIFY(xdotool({"key", "Caps_Lock"}));
            QTRY_VERIFY(!(observer.modifierState() & XCB_MOD_MASK_LOCK));
        }
        if (observer.modifierState() != 0) {
            QVERIFY(xdotool({"key", "Num_Lock"}));
            QTRY_COMPARE(observer.modifierState(), std::uint16_t(0));
        }
    }

    void combinationsAreReleasedAndOthersRespected()
    {
        XcbGlobalShortcut moving;
        XcbGlobalShortcut marker;
        QSignalSpy movingPressed(&moving, &GlobalShortcut::activated);
        QSignalSpy markerPressed(&marker, &GlobalShortcut::activated);
        QVERIFY(moving.setShortcut(QKeySequence("Alt+Up")));
        QVERIFY(marker.setShortcut(QKeySequence("Ctrl+Alt+B")));

        // A new combination gives the old one up.
        QVERIFY(moving.setShortcut(QKeySequence("Alt+Down")));
        QVERIFY(xdotool({"key", "alt+Up", "ctrl+alt+b", "alt+Down", "ctrl+alt+b"}));
        QTRY_COMPARE(markerPressed.count(), 2);
        QCOMPARE(movingPressed.count(), 1);
        // And an empty one just releases.
        QVERIFY(marker.setShortcut(QKeySequence()));
        QVERIFY(xdotool({"key", "ctrl+alt+b", "alt+Down"}));
        QTRY_COMPARE(movingPressed.count(), 2);
        QCOMPARE(markerPressed.count(), 2);

        // Another program holds Ctrl+Alt+X with CapsLock on: refused as a whole, and the
        // variants grabbed before the refusal are given back.
        OtherClient other;
        QVERIFY(other.grab(XK_x, kCtrlAlt | XCB_MOD_MASK_LOCK));
        XcbGlobalShortcut refused;
        QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression("^QxtGlobalShortcut failed to register:.*Ctrl\\+Alt\\+X"));
        QVERIFY(!refused.setShortcut(QKeySequence("Ctrl+Alt+X")));
        syncApplication();
        QVERIFY(other.grab(XK_x, kCtrlAlt));

        // A key no keyboard combination is made of.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^XcbGlobalShortcut: no key"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^QxtGlobalShortcut failed"));
        QVERIFY(!refused.setShortcut(QKeySequence(Qt::ALT + Qt::Key_MediaPlay)));

        // Destruction lets go.
        auto held = std::make_unique<XcbGlobalShortcut>();
        QVERIFY(held->setShortcut(QKeySequence("Ctrl+Alt+Y")));
        syncApplication();
        QVERIFY(!other.grab(XK_y, kCtrlAlt));
        held.reset();
        syncApplication();
        QVERIFY(other.grab(XK_y, kCtrlAlt));
    }
};

int main(int argc, char* argv[])
{
    // Without a display the tests skip instead of failing to start.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    TestGlobalShortcut test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "test_global_shortcut.moc"
