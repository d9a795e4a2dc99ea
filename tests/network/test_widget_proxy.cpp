#include "NetTestSupport.h"
#include "app/NetworkWiring.h"
#include "common/SettingsStore.h"
#include "common/SharedTypes.h"
#include "gui/WinkwellGUI.h"
#include "network/ServerController.h"
#include "network/window/WidgetProxy.h"
#include "platform/fake/FakeAutostart.h"
#include "platform/fake/FakeCameraCatalog.h"
#include "platform/fake/FakeCameraControls.h"

#include <QApplication>
#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QNetworkProxyFactory>
#include <QPushButton>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>
#include <memory>

namespace {

constexpr int kWait = 30000;

QMessageBox* visibleBox()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box && box->isVisible()) {
            return box;
        }
    }
    return nullptr;
}

// The window's parts by their form names.
struct Form
{
    explicit Form(WidgetProxy& window)
        : useSettings(window.findChild<QCheckBox*>("checkBoxUseSettings")),
          server(window.findChild<QLineEdit*>("lineEditServer")),
          port(window.findChild<QLineEdit*>("lineEditPort")),
          user(window.findChild<QLineEdit*>("lineEditUsername")),
          password(window.findChild<QLineEdit*>("lineEditPassword")),
          wait(window.findChild<QLabel*>("labelWait")),
          save(window.findChild<QPushButton*>("pushButtonSave")),
          cancel(window.findChild<QPushButton*>("pushButtonCancel"))
    {
    }
    void fill(const QString& host, const QString& portText, const QString& name,
              const QString& secret)
    {
        for (QLineEdit* edit : {server, port, user, password}) {
            edit->clear();
        }
        QTest::keyClicks(server, host);
        QTest::keyClicks(port, portText);
        QTest::keyClicks(user, name);
        QTest::keyClicks(password, secret);
    }
    bool fieldsEnabled() const
    {
        return server->isEnabled() && port->isEnabled() && user->isEnabled() &&
               password->isEnabled();
    }
    bool fieldsEmpty() const
    {
        return server->text().isEmpty() && port->text().isEmpty() && user->text().isEmpty() &&
               password->text().isEmpty();
    }

    QCheckBox* useSettings;
    QLineEdit* server;
    QLineEdit* port;
    QLineEdit* user;
    QLineEdit* password;
    QLabel* wait;
    QPushButton* save;
    QPushButton* cancel;
};

// The server controller in its thread, wired to a proxy window as the program wires them.
class Program
{
public:
    explicit Program(WidgetProxy& window)
    {
        ServerController::Options options;
        options.networkWaitMs = 0;
        options.pcid = QStringLiteral("pcid");
        server = new ServerController(options);
        server->moveToThread(&m_thread);
        QObject::connect(&m_thread, &QThread::started, server, &ServerController::init);
        QObject::connect(server, &ServerController::finished, &m_thread, &QThread::quit,
                         Qt::DirectConnection);
        connectServerAndProxyWindow(server, &window);
        QSignalSpy ready(server, &ServerController::serverControllerInitialized);
        m_thread.start();
        // Not ready.wait(): the signal may come before the wait begins.
        QTRY_COMPARE_WITH_TIMEOUT(ready.size(), 1, kWait);
    }
    ~Program()
    {
        QMetaObject::invokeMethod(server, "quit", Qt::QueuedConnection);
        m_thread.wait();
        delete server;
    }
    ServerController* server;

private:
    QThread m_thread;
};

// The window wired to a running server controller, opened, its fields enabled.
struct OpenWindow
{
    OpenWindow()
    {
        window.showProxySettings();
        form.useSettings->click();
    }

    WidgetProxy window;
    Form form{window};
    Program program{window};
    QSignalSpy answers{program.server, &ServerController::proxySettingsValidated};
};

// The research server under a name that only the test proxy resolves, and that proxy.
struct ResearchBehindProxy
{
    // Empty on success, else what went wrong.
    QString start(int status)
    {
        const QString problem = pki.create();
        if (!problem.isEmpty()) {
            return problem;
        }
        qputenv("WINKWELL_CA_FILE", pki.caFile().toLocal8Bit());
        research = std::make_unique<TestHttpsServer>(pki.serverCertificate, pki.serverKey);
        research->handler = [status](const HttpRequest&) {
            return HttpResponse{status, R"({"datetime":""})", {}};
        };
        if (!research->start() || !proxy.start()) {
            return QStringLiteral("cannot listen on 127.0.0.1");
        }
        qputenv("WINKWELL_RESEARCH_SERVER",
                QByteArray("research.winkwell.test:") + QByteArray::number(research->serverPort()));
        openSettingsStore()->clear();
        return QString();
    }

    TestPki pki;
    std::unique_ptr<TestHttpsServer> research;
    TestHttpProxy proxy;
};

} // namespace

// The proxy window on its own and with the server controller, a local research server and a
// proxy that wants credentials; and the main window's requests reaching the update check.
class TestWidgetProxy : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_settings;

private slots:
    void initTestCase()
    {
        registerSharedTypes();
        for (const char* name : {"http_proxy", "https_proxy", "all_proxy", "no_proxy"}) {
            qunsetenv(name);
        }
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    }

    void cleanup()
    {
        while (QMessageBox* box = visibleBox()) {
            box->accept();
        }
    }

    void theFormOnItsOwn()
    {
        WidgetProxy window;
        Form form(window);
        QSignalSpy candidate(&window, &WidgetProxy::proxySettingsChanged);
        // First start: nothing stored.
        QVERIFY(window.isHidden());
        QVERIFY(!form.useSettings->isChecked());
        QVERIFY(!form.fieldsEnabled());
        QVERIFY(form.fieldsEmpty());
        QVERIFY(form.wait->isHidden());

        window.showProxySettings();
        QVERIFY(window.isVisible());
        form.useSettings->click();
        QVERIFY(form.fieldsEnabled());
        form.fill("proxy.local", "70000", "eve", "pw");
        QCOMPARE(form.port->text(), QStringLiteral("7000")); // more than 65535 cannot be typed
        form.port->clear();
        form.save->click();
        QVERIFY(form.wait->isVisible());
        QCOMPARE(candidate.size(), 1);
        QCOMPARE(candidate.first(),
                 (QVariantList{"proxy.local", QVariant::fromValue<quint16>(0), "eve", "pw"}));

        // Unchecked means the system's configuration.
        form.useSettings->click();
        QVERIFY(!form.fieldsEnabled());
        QVERIFY(form.fieldsEmpty());
        form.save->click();
        QCOMPARE(candidate.last(), (QVariantList{"", QVariant::fromValue<quint16>(0), "", ""}));
        window.saveProxySettings(true);
        QVERIFY(form.wait->isHidden());
        QVERIFY(!window.isVisible());

        // A proxy loaded at start fills the window; after a failed try, CANCEL brings it back.
        window.setProxySettings("corp-proxy", 3128, "frank", "pw-frank");
        window.showProxySettings();
        QVERIFY(form.useSettings->isChecked() && form.fieldsEnabled());
        QCOMPARE(form.port->text(), QStringLiteral("3128"));
        form.fill("other", "8080", "x", "y");
        form.save->click();
        window.saveProxySettings(false);
        QVERIFY(visibleBox());
        QVERIFY(window.isVisible());
        QCOMPARE(form.server->text(), QStringLiteral("other"));
        form.cancel->click();
        QVERIFY(!window.isVisible());
        QCOMPARE(form.server->text(), QStringLiteral("corp-proxy"));
        QCOMPARE(form.password->text(), QStringLiteral("pw-frank"));
    }

    void theWindowKeepsWhatTheControllerAccepted()
    {
        WidgetProxy window;
        Form form(window);
        QSignalSpy candidate(&window, &WidgetProxy::proxySettingsChanged);
        QSignalSpy withdrawn(&window, &WidgetProxy::proxyCheckCancelled);
        window.setProxySettings("corp-proxy", 3128, "frank", "pw-frank");

        // CANCEL while the candidate is tried withdraws it; its late refusal shows nothing.
        window.showProxySettings();
        form.fill("other", "8080", "x", "y");
        form.save->click();
        form.cancel->click();
        QCOMPARE(withdrawn.size(), 1);
        window.saveProxySettings(false);
        QVERIFY(!visibleBox());
        QVERIFY(!window.isVisible());
        QCOMPARE(form.server->text(), QStringLiteral("corp-proxy"));

        // Accepted before the withdrawal arrived: the candidate is what is in force now.
        window.showProxySettings();
        form.fill("new-proxy", "1080", "nina", "pw-nina");
        form.save->click();
        form.cancel->click();
        window.saveProxySettings(true);
        QVERIFY(!window.isVisible());
        QCOMPARE(form.server->text(), QStringLiteral("new-proxy"));
        QCOMPARE(form.port->text(), QStringLiteral("1080"));

        // SAVE before the controller started: the stored proxy it then loads leaves the fields
        // alone, and the answer accepts what was sent, not what the fields hold by then.
        window.showProxySettings();
        form.fill("early-proxy", "8000", "", "");
        form.save->click();
        window.setProxySettings("stored-proxy", 3128, "", "");
        QCOMPARE(form.server->text(), QStringLiteral("early-proxy"));
        form.fill("typed-meanwhile", "1", "", "");
        window.saveProxySettings(true);
        QVERIFY(!window.isVisible());
        window.showProxySettings();
        form.cancel->click();
        QCOMPARE(form.server->text(), QStringLiteral("early-proxy"));
        QCOMPARE(withdrawn.size(), 2);
        QCOMPARE(candidate.size(), 3);
    }

    void cancelWithdrawsTheCheck_data()
    {
        QTest::addColumn<int>("status"); // of the research server's late answer
        QTest::newRow("a proxy that works") << 200;
        QTest::newRow("a proxy that does not") << 500;
    }

    void cancelWithdrawsTheCheck()
    {
        QFETCH(int, status);
        ResearchBehindProxy network;
        const QString problem = network.start(status);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        TestHttpsServer& research = *network.research;
        research.holdAnswers = true;
        {
            OpenWindow open;
            auto& [window, form, program, answers] = open;
            form.fill("127.0.0.1", QString::number(network.proxy.serverPort()), "", "");
            form.save->click();
            QTRY_COMPARE_WITH_TIMEOUT(research.requests.size(), 1, kWait);
            form.cancel->click();
            // Everything queued to the server thread so far has been handled.
            QMetaObject::invokeMethod(
                program.server, [] {}, Qt::BlockingQueuedConnection);
            research.releaseHeld();
            QVERIFY(!answers.wait(1000));
            QVERIFY(!visibleBox());
            QVERIFY(!window.isVisible());
            QVERIFY(QNetworkProxyFactory::usesSystemConfiguration());
        }
        QVERIFY(readString(SettingKeys::proxyServer).isEmpty());
    }

    void enteredCheckedStoredAndLoadedAgain()
    {
        ResearchBehindProxy network;
        const QString problem = network.start(200);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        TestHttpProxy& proxy = network.proxy;
        proxy.requireCredentials("dora:pw-dora");
        const QString port = QString::number(proxy.serverPort());
        {
            OpenWindow open;
            auto& [window, form, program, answers] = open;
            form.fill("127.0.0.1", port, "dora", "wrong");
            form.save->click();
            QVERIFY(answers.wait(kWait));
            QTRY_VERIFY(visibleBox());
            visibleBox()->accept();
            QVERIFY(window.isVisible());
            QVERIFY(readString(SettingKeys::proxyServer).isEmpty());
            // Nothing had been accepted: back on the system's configuration.
            QVERIFY(QNetworkProxyFactory::usesSystemConfiguration());
            form.cancel->click(); // nothing was accepted: back to the system's configuration
            QVERIFY(!form.useSettings->isChecked() && form.fieldsEmpty());

            window.showProxySettings();
            form.useSettings->click();
            form.fill("127.0.0.1", port, "dora", "pw-dora");
            form.save->click();
            QVERIFY(answers.wait(kWait));
            QTRY_VERIFY(!window.isVisible());
            QVERIFY(!visibleBox());
        }
        QCOMPARE(readString(SettingKeys::proxyServer), QStringLiteral("127.0.0.1"));
        QCOMPARE(proxy.tunnels.size(), 1);
        {
            // The next start announces the stored proxy to the window.
            WidgetProxy window;
            Form form(window);
            Program program(window);
            QTRY_VERIFY(form.useSettings->isChecked());
            QCOMPARE(form.port->text(), port);
            QCOMPARE(form.user->text(), QStringLiteral("dora"));
            QCOMPARE(form.password->text(), QStringLiteral("pw-dora"));
        }
    }

    void theMainWindowDrivesTheUpdateCheck()
    {
        TestPki pki;
        const QString problem = pki.create();
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        qputenv("WINKWELL_CA_FILE", pki.caFile().toLocal8Bit());
        TestHttpsServer feed(pki.serverCertificate, pki.serverKey);
        QVERIFY(feed.start());
        const auto entry = [&](const char* version, bool beta) {
            return QJsonObject{{"latest-version", version},
                               {"beta", beta},
                               {"download-url", feed.url("/files/w.deb")},
                               {"md5", "97384261b8bbf966df16e5ad509922db"}};
        };
        const QJsonObject definition{
            {"updates",
             QJsonObject{{"linux", QJsonArray{entry("3.6.24.1", false), entry("3.7", true)}}}}};
        feed.handler = [&](const HttpRequest&) {
            return HttpResponse{200, QJsonDocument(definition).toJson(), {}};
        };
        qputenv("WINKWELL_UPDATE_URL", feed.url("/files/download/updates.json").toLatin1());
        QCoreApplication::setApplicationName(QStringLiteral("Winkwell"));
        QCoreApplication::setApplicationVersion(QStringLiteral("3.6.24.0"));

        GuiServices services;
        services.cameras = std::make_shared<FakeCameraCatalog>();
        services.autostart = std::make_shared<FakeAutostart>();
        services.cameraControls = [](int) { return std::make_unique<FakeCameraControls>(); };
        services.languages = [] { return QVector<QLocale>{QLocale(QLocale::English)}; };
        services.setLanguage = [](int) {};
        WinkwellGUI gui(services);
        connectGuiAndUpdateCheck(&gui);
        for (const bool beta : {true, false}) {
            emit gui.betaUpdatesChanged(beta);
            emit gui.updateCheckRequested();
            QTRY_VERIFY_WITH_TIMEOUT(visibleBox(), kWait);
            QCOMPARE(visibleBox()->text(),
                     QStringLiteral("Version %1 of Winkwell has been released!")
                         .arg(beta ? "3.7" : "3.6.24.1"));
            visibleBox()->button(QMessageBox::No)->click();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QCOMPARE(feed.requests.size(), 2);
    }
};

QTEST_MAIN(TestWidgetProxy)
#include "test_widget_proxy.moc"
