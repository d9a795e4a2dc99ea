#pragma once

#include "platform/DisplayMonitor.h"
#include "platform/linux/XcbConnection.h"

#include <QTimer>

class QScreen;
class QSocketNotifier;

// The outputs and their changes from RandR, display power from DPMS, both over an X connection
// of its own; the DPI from the primary QScreen. DPMS has no change events, so its state is read
// once a second, and only where the server has the extension.
class RandrDisplayMonitor : public DisplayMonitor
{
    Q_OBJECT

public:
    // nullptr opens the display named by $DISPLAY.
    explicit RandrDisplayMonitor(const char* displayName = nullptr);
    ~RandrDisplayMonitor() override;

    std::optional<QList<ActiveOutput>> activeOutputs() override;

    bool watchesDisplayPower() const { return m_powerTimer.isActive(); }

private slots:
    void processEvents();
    void pollDisplayPower();
    void followPrimaryScreen(QScreen* screen);
    void onDpi(qreal dpi);

private:
    void setUpRandr();
    void setUpDpms();
    void setUpDpi();
    void scheduleProcessEvents();
    bool connectionUsable();

    XcbConnection m_x;
    bool m_hasRandr = false;
    uint8_t m_randrEventBase = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_powerTimer;
    std::optional<bool> m_displayOn;
    QMetaObject::Connection m_dpiConnection;
    std::optional<qreal> m_dpi;
    bool m_processScheduled = false;
    bool m_lossReported = false;
};
