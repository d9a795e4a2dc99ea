#include "ControllerHarness.h"

#include "app/EngineSchedulerWiring.h"

#include <QMetaMethod>

void SimulatedUser::moveMouse()
{
    m_cursor += QPoint(7, 3);
    m_lastInputMs = m_clock->elapsedMs();
}

std::optional<quint32> SimulatedUser::idleMilliseconds()
{
    if (idleUnknown) {
        return std::nullopt;
    }
    return static_cast<quint32>(m_clock->elapsedMs() - m_lastInputMs);
}

class SignalLog::OrderedSpy : public QSignalSpy
{
public:
    OrderedSpy(ApplicationController* controller, const QMetaMethod& signal, SignalLog* log)
        : QSignalSpy(controller, signal), m_name(signal.name()), m_log(log)
    {
    }

    int qt_metacall(QMetaObject::Call call, int id, void** args) override
    {
        const int before = count();
        const int result = QSignalSpy::qt_metacall(call, id, args);
        if (count() > before) {
            m_log->m_entries.append({m_log->m_clock->elapsedMs(), describe(last())});
        }
        return result;
    }

    QByteArray m_name;

private:
    QString describe(const QList<QVariant>& args) const
    {
        QString text = QString::fromLatin1(m_name);
        if (args.isEmpty()) {
            return text;
        }
        QStringList parts;
        for (const QVariant& arg : args) {
            parts.append(arg.toString());
        }
        return text + QLatin1Char('(') + parts.join(QLatin1Char(',')) + QLatin1Char(')');
    }

    SignalLog* m_log;
};

SignalLog::SignalLog(ApplicationController* controller, const SimulatedSchedulerClock* clock)
    : m_clock(clock)
{
    const QMetaObject& meta = ApplicationController::staticMetaObject;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        if (method.methodType() == QMetaMethod::Signal) {
            m_spies.push_back(std::make_unique<OrderedSpy>(controller, method, this));
        }
    }
}

SignalLog::~SignalLog() = default;

QStringList SignalLog::take()
{
    QStringList texts;
    for (const Entry& entry : qAsConst(m_entries)) {
        texts.append(entry.text);
    }
    m_entries.clear();
    return texts;
}

QStringList SignalLog::takeTimed()
{
    QStringList texts;
    for (const Entry& entry : qAsConst(m_entries)) {
        texts.append(QString::number(entry.ms) + QLatin1Char(' ') + entry.text);
    }
    m_entries.clear();
    return texts;
}

const QSignalSpy& SignalLog::spy(const char* name) const
{
    for (const auto& spy : m_spies) {
        if (spy->m_name == name) {
            return *spy;
        }
    }
    qFatal("SignalLog: no signal %s", name);
}

ControllerHarness::ControllerHarness(bool initialise, ScreenControl::Devices screens)
    : start(QDateTime(QDate(2024, 3, 4), QTime(9, 0), Qt::UTC)),
      clock(std::make_shared<SimulatedSchedulerClock>(start)),
      user(std::make_shared<SimulatedUser>(clock.get())),
      cameras(std::make_shared<FakeCameraCatalog>())
{
    cameras->cameras = QStringList{"Integrated Camera", "USB Camera"};
    ControllerServices services;
    services.clock = clock;
    services.idleMonitor = user;
    services.cameras = cameras;
    services.screenGamma = std::move(screens.gamma);
    services.backlight = std::move(screens.backlight);
    services.externalMonitors = std::move(screens.externalMonitors);
    services.microphoneUse = [this] {
        auto fake = std::make_unique<FakeMicrophoneUse>();
        microphone = fake.get();
        return std::unique_ptr<MicrophoneUse>(std::move(fake));
    };
    controller = std::make_unique<ApplicationController>(services);

    ApplicationController* c = controller.get();
    connectEngineAndScheduler(&model, c, Qt::DirectConnection);

    log = std::make_unique<SignalLog>(c, clock.get());
    if (initialise) {
        controller->init();
        log->take();
    }
}

ControllerHarness::~ControllerHarness()
{
    log.reset();
    controller.reset();
}
