// Prints the time from a global hotkey press to the new gamma ramp on the X server: the median,
// the 90th percentile and the worst of --presses presses (default 100).
//
// The path is the program's own: the X server delivers the key to a global shortcut in the GUI
// thread, which moves a slider position to the controller thread through a queued call, where
// screen control builds the ramp and loads it through XRandR. A second thread presses the keys
// with XTest on a connection of its own and watches the CRTC's ramp on it until it changes.
// Run it on Xvfb (run-bench-hotkey.sh); presses alternate between darker and brighter in the
// software range, so every press changes the ramp.
#include "controller/ApplicationController.h"
#include "platform/GlobalShortcut.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>
#include <xcb/randr.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

namespace {

using Clock = std::chrono::steady_clock;

// Presses keys and reads the first CRTC's ramp on a connection of its own.
class Presser
{
public:
    Presser()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_symbols = xcb_key_symbols_alloc(m_connection);
        auto* resources = xcb_randr_get_screen_resources_current_reply(
            m_connection, xcb_randr_get_screen_resources_current(m_connection, m_root), nullptr);
        if (resources && xcb_randr_get_screen_resources_current_crtcs_length(resources) > 0) {
            m_crtc = xcb_randr_get_screen_resources_current_crtcs(resources)[0];
        }
        free(resources);
    }
    ~Presser()
    {
        xcb_key_symbols_free(m_symbols);
        xcb_disconnect(m_connection);
    }
    bool ready() const { return m_crtc != 0; }

    void press(const std::vector<xcb_keysym_t>& keys)
    {
        for (xcb_keysym_t key : keys) {
            fake(XCB_KEY_PRESS, key);
        }
        for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
            fake(XCB_KEY_RELEASE, *key);
        }
        xcb_flush(m_connection);
    }

    uint16_t redTop()
    {
        auto* reply = xcb_randr_get_crtc_gamma_reply(
            m_connection, xcb_randr_get_crtc_gamma(m_connection, m_crtc), nullptr);
        uint16_t top = 0;
        if (reply && reply->size > 0) {
            top = xcb_randr_get_crtc_gamma_red(reply)[reply->size - 1];
        }
        free(reply);
        return top;
    }

private:
    void fake(uint8_t type, xcb_keysym_t key)
    {
        xcb_keycode_t* codes = xcb_key_symbols_get_keycode(m_symbols, key);
        if (codes) {
            xcb_test_fake_input(m_connection, type, codes[0], XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        }
        free(codes);
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_key_symbols_t* m_symbols = nullptr;
    xcb_randr_crtc_t m_crtc = 0;
};

constexpr xcb_keysym_t kControl = 0xffe3;
constexpr xcb_keysym_t kAlt = 0xffe9;
constexpr xcb_keysym_t kUp = 0xff52;
constexpr xcb_keysym_t kDown = 0xff54;

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const auto index = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"presses", "Number of key presses.", "n", "100"});
    parser.process(app);
    const int presses = std::max(1, parser.value("presses").toInt());

    // The controller in its own thread, with the system's screen devices, as in the program.
    QThread controllerThread;
    auto* controller = new ApplicationController(ControllerServices::system());
    controller->moveToThread(&controllerThread);
    QObject::connect(&controllerThread, &QThread::finished, controller, &QObject::deleteLater);
    controllerThread.start();
    QMetaObject::invokeMethod(controller, "init", Qt::QueuedConnection);
    QMetaObject::invokeMethod(controller, "enableScreenControl", Qt::QueuedConnection,
                              Q_ARG(bool, true), Q_ARG(int, 0));

    // The window's slider in the software range, moved by the two hotkeys.
    int slider = -4;
    const auto moveSlider = [&](int step) {
        slider = std::clamp(slider + step, -8, 0);
        QMetaObject::invokeMethod(controller, "setBrightness", Qt::QueuedConnection,
                                  Q_ARG(int, slider));
    };
    GlobalShortcut* brighter = createGlobalShortcut(&app);
    GlobalShortcut* darker = createGlobalShortcut(&app);
    if (!brighter->setShortcut(QKeySequence("Ctrl+Alt+Up")) ||
        !darker->setShortcut(QKeySequence("Ctrl+Alt+Down"))) {
        std::fprintf(stderr, "the hotkeys could not be registered\n");
        return 1;
    }
    QObject::connect(brighter, &GlobalShortcut::activated, [&] { moveSlider(1); });
    QObject::connect(darker, &GlobalShortcut::activated, [&] { moveSlider(-1); });
    moveSlider(0);

    std::vector<double> latencies;
    int exitCode = 0;
    std::thread presser([&] {
        Presser keys;
        if (!keys.ready()) {
            std::fprintf(stderr, "no RandR CRTC on this display\n");
            exitCode = 1;
            QMetaObject::invokeMethod(&app, "quit", Qt::QueuedConnection);
            return;
        }
        // Wait for the first ramp, that of the starting position.
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (keys.redTop() == 0 || keys.redTop() == 65535) {
            if (Clock::now() > deadline) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        for (int i = 0; i < presses; ++i) {
            const uint16_t before = keys.redTop();
            const auto start = Clock::now();
            keys.press({kControl, kAlt, i % 2 == 0 ? kDown : kUp});
            const auto giveUp = start + std::chrono::seconds(2);
            while (keys.redTop() == before && Clock::now() < giveUp) {
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
            const auto end = Clock::now();
            if (end >= giveUp) {
                std::fprintf(stderr, "press %d: the ramp did not change\n", i);
                exitCode = 1;
                break;
            }
            latencies.push_back(std::chrono::duration<double, std::milli>(end - start).count());
            // Let the release and the second load of the ramp settle before the next press.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        QMetaObject::invokeMethod(&app, "quit", Qt::QueuedConnection);
    });
    app.exec();
    presser.join();

    QMetaObject::invokeMethod(controller, "quit", Qt::BlockingQueuedConnection);
    controllerThread.quit();
    controllerThread.wait();

    if (!latencies.empty()) {
        std::printf("hotkey to ramp on the server, %zu presses: median %.2f ms, p90 %.2f ms, "
                    "max %.2f ms\n",
                    latencies.size(), percentile(latencies, 0.5), percentile(latencies, 0.9),
                    *std::max_element(latencies.begin(), latencies.end()));
    }
    return exitCode;
}
