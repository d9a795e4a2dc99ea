#include "RandrDisplayMonitor.h"

#include <QDebug>
#include <QGuiApplication>
#include <QHash>
#include <QScreen>
#include <QSocketNotifier>
#include <vector>
#include <xcb/dpms.h>
#include <xcb/randr.h>

RandrDisplayMonitor::RandrDisplayMonitor(const char* displayName) : m_x(displayName)
{
    setUpDpi();
    if (!m_x.isValid()) {
        qDebug() << "RandrDisplayMonitor: no X display, screen layout and display power are not "
                    "watched";
        return;
    }
    setUpRandr();
    setUpDpms();
    m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_x.get()),
                                                   QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this,
            &RandrDisplayMonitor::processEvents);
    xcb_flush(m_x.get());
}

RandrDisplayMonitor::~RandrDisplayMonitor() = default;

void RandrDisplayMonitor::setUpRandr()
{
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(m_x.get(), &xcb_randr_id);
    const auto version =
        extension && extension->present
            ? m_x.reply(xcb_randr_query_version_reply, xcb_randr_query_version(m_x.get(), 1, 3))
            : nullptr;
    if (!version || (version->major_version == 1 && version->minor_version < 3)) {
        qDebug() << "RandrDisplayMonitor: the X server lacks RandR 1.3, screen changes and "
                    "clones are not seen";
        return;
    }
    m_hasRandr = true;
    m_randrEventBase = extension->first_event;
    xcb_randr_select_input(m_x.get(), m_x.root(),
                           XCB_RANDR_NOTIFY_MASK_SCREEN_CHANGE | XCB_RANDR_NOTIFY_MASK_CRTC_CHANGE |
                               XCB_RANDR_NOTIFY_MASK_OUTPUT_CHANGE);
}

void RandrDisplayMonitor::setUpDpms()
{
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(m_x.get(), &xcb_dpms_id);
    const auto capable = extension && extension->present
                             ? m_x.reply(xcb_dpms_capable_reply, xcb_dpms_capable(m_x.get()))
                             : nullptr;
    if (!capable || !capable->capable) {
        qDebug() << "RandrDisplayMonitor: the X server has no DPMS, display off is not seen";
        return;
    }
    m_powerTimer.setInterval(1000);
    connect(&m_powerTimer, &QTimer::timeout, this, &RandrDisplayMonitor::pollDisplayPower);
    m_powerTimer.start();
}

void RandrDisplayMonitor::setUpDpi()
{
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!application) {
        qDebug() << "RandrDisplayMonitor: no GUI application, DPI changes are not seen";
        return;
    }
    connect(application, &QGuiApplication::primaryScreenChanged, this,
            &RandrDisplayMonitor::followPrimaryScreen);
    followPrimaryScreen(QGuiApplication::primaryScreen());
}

void RandrDisplayMonitor::followPrimaryScreen(QScreen* screen)
{
    disconnect(m_dpiConnection);
    if (!screen) {
        return;
    }
    m_dpiConnection =
        connect(screen, &QScreen::logicalDotsPerInchChanged, this, &RandrDisplayMonitor::onDpi);
    if (m_dpi) {
        onDpi(screen->logicalDotsPerInch());
    }
    m_dpi = screen->logicalDotsPerInch();
}

void RandrDisplayMonitor::onDpi(qreal dpi)
{
    // Qt repeats the signal with the same value when a screen changes its mode.
    if (!m_dpi || !qFuzzyCompare(*m_dpi, dpi)) {
        m_dpi = dpi;
        emit dpiChanged();
    }
}

bool RandrDisplayMonitor::connectionUsable()
{
    if (m_x.isValid()) {
        return true;
    }
    // A dead connection stays readable: without this the notifier would fire forever.
    if (!m_lossReported) {
        m_lossReported = true;
        qWarning() << "RandrDisplayMonitor: the X connection is gone, displays are not watched";
    }
    if (m_notifier) {
        m_notifier->setEnabled(false);
    }
    m_powerTimer.stop();
    return false;
}

void RandrDisplayMonitor::scheduleProcessEvents()
{
    // A reply read from the socket may bring events along into xcb's queue, which the socket
    // notifier then never reports.
    if (!m_processScheduled) {
        m_processScheduled = true;
        QMetaObject::invokeMethod(this, &RandrDisplayMonitor::processEvents, Qt::QueuedConnection);
    }
}

void RandrDisplayMonitor::processEvents()
{
    m_processScheduled = false;
    if (!connectionUsable()) {
        return;
    }
    bool changed = false;
    for (XcbPointer<xcb_generic_event_t> event(xcb_poll_for_event(m_x.get())); event;
         event.reset(xcb_poll_for_event(m_x.get()))) {
        const int type = event->response_type & ~0x80;
        changed =
            changed || (m_hasRandr && (type == m_randrEventBase + XCB_RANDR_SCREEN_CHANGE_NOTIFY ||
                                       type == m_randrEventBase + XCB_RANDR_NOTIFY));
    }
    // One change of layout comes as several events; they count once.
    if (changed && connectionUsable()) {
        emit configurationChanged();
    }
}

void RandrDisplayMonitor::pollDisplayPower()
{
    if (!connectionUsable()) {
        return;
    }
    const auto info = m_x.reply(xcb_dpms_info_reply, xcb_dpms_info(m_x.get()));
    scheduleProcessEvents();
    if (!info) {
        return;
    }
    const bool on = !info->state || info->power_level == XCB_DPMS_DPMS_MODE_ON;
    if (m_displayOn != on) {
        m_displayOn = on;
        emit displayPowerChanged(on);
    }
}

std::optional<QList<ActiveOutput>> RandrDisplayMonitor::activeOutputs()
{
    if (!m_hasRandr || !connectionUsable()) {
        return std::nullopt;
    }
    xcb_connection_t* connection = m_x.get();
    const auto resources =
        m_x.reply(xcb_randr_get_screen_resources_current_reply,
                  xcb_randr_get_screen_resources_current(connection, m_x.root()));
    scheduleProcessEvents();
    if (!resources) {
        return std::nullopt;
    }
    const xcb_randr_output_t* outputs =
        xcb_randr_get_screen_resources_current_outputs(resources.get());
    const int outputCount = xcb_randr_get_screen_resources_current_outputs_length(resources.get());
    const xcb_timestamp_t timestamp = resources->config_timestamp;

    // All requests of a stage go out before the first reply is awaited: one round trip each.
    std::vector<xcb_randr_get_output_info_cookie_t> outputCookies;
    for (int i = 0; i < outputCount; ++i) {
        outputCookies.push_back(xcb_randr_get_output_info(connection, outputs[i], timestamp));
    }
    QList<ActiveOutput> active;
    QHash<xcb_randr_crtc_t, xcb_randr_get_crtc_info_cookie_t> crtcCookies;
    for (const auto& cookie : outputCookies) {
        const auto info = m_x.reply(xcb_randr_get_output_info_reply, cookie);
        if (!info || info->crtc == XCB_NONE) {
            continue;
        }
        const auto* name =
            reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info.get()));
        active.append({QString::fromUtf8(name, xcb_randr_get_output_info_name_length(info.get())),
                       info->crtc, QRect()});
        if (!crtcCookies.contains(info->crtc)) {
            crtcCookies.insert(info->crtc,
                               xcb_randr_get_crtc_info(connection, info->crtc, timestamp));
        }
    }
    QHash<xcb_randr_crtc_t, QRect> rects;
    for (auto cookie = crtcCookies.cbegin(); cookie != crtcCookies.cend(); ++cookie) {
        const auto crtc = m_x.reply(xcb_randr_get_crtc_info_reply, cookie.value());
        if (crtc && crtc->mode != XCB_NONE) {
            rects.insert(cookie.key(), QRect(crtc->x, crtc->y, crtc->width, crtc->height));
        }
    }
    QList<ActiveOutput> showing;
    for (ActiveOutput& output : active) {
        const auto rect = rects.constFind(output.crtc);
        if (rect != rects.constEnd()) {
            output.rect = *rect;
            showing.append(output);
        }
    }
    return showing;
}

std::unique_ptr<DisplayMonitor> createDisplayMonitor()
{
    return std::make_unique<RandrDisplayMonitor>();
}
