// Shows each window in each of its states over a plain desktop and saves what the screen shows
// around it: winkwell-screenshots [--language=LOCALE] OUTPUT_FOLDER [CLIP [FACE_MODEL]]. Run on
// a throw-away X display (scripts/screenshots.sh starts one), with a settings folder of its own.
// A clip stands in for the camera on the camera test page; LOCALE is one of the program's
// languages (sk_SK, de_DE, cs_CZ; English without it).
#include "app/LanguageCatalog.h"
#include "app/LanguageSwitch.h"
#include "app/StatisticsWiring.h"
#include "common/CameraRun.h"
#include "common/SettingsStore.h"
#include "gui/BlinkRatePlot.h"
#include "gui/CameraSettingsDialog.h"
#include "gui/WinkwellGUI.h"
#include "gui/reminders/BlinkReminderWidget.h"
#include "gui/reminders/BreakReminderWidget.h"
#include "gui/reminders/ExerciseReminderWidget.h"
#include "model/Model.h"
#include "model/RecordedFrameSource.h"
#include "network/window/WidgetProxy.h"
#include "platform/fake/FakeCameraCatalog.h"
#include "platform/fake/FakeCameraControls.h"
#include "statistics/StatisticsController.h"
#include "statistics/window/SpanSlider.h"
#include "statistics/window/WidgetStatistics.h"
#include "ui_WinkwellGUI.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <cstdio>

namespace {

QString g_folder;

void settle(int ms = 700)
{
    QTest::qWait(ms);
}

void save(const QString& name, const QRect& area)
{
    const QRect grown = area.adjusted(-40, -40, 40, 40);
    const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(
        0, grown.x(), grown.y(), grown.width(), grown.height());
    const QString path = QDir(g_folder).filePath(name + ".png");
    picture.save(path);
    std::printf("%s\n", qPrintable(path));
}

// A morning's camera runs, one of each kind and ending, newest first.
CameraTimeSummary cameraRecord()
{
    const QDateTime morning(QDate(2024, 3, 18), QTime(11, 40), Qt::LocalTime);
    const struct
    {
        Feature kind;
        int startMinutes;
        int seconds;
        quint64 frames;
        CameraRunEnd ending;
    } runs[] = {
        {FeatureMeasurement, 0, 184, 5520, CameraRunEnd::Finished},
        {FeatureInteractiveTraining, -35, 61, 1830, CameraRunEnd::NoFace},
        {FeatureFreeCamera, -80, 12, 350, CameraRunEnd::Stopped},
        {FeatureMeasurement, -150, 3, 0, CameraRunEnd::Error},
        {FeatureInteractiveTraining, -190, 4000, 120000, CameraRunEnd::Finished},
    };
    CameraTimeSummary summary;
    for (const auto& run : runs) {
        CameraRun recorded;
        recorded.kind = run.kind;
        recorded.start = morning.addSecs(qint64(run.startMinutes) * 60).toUTC();
        recorded.end = recorded.start.addSecs(run.seconds);
        recorded.frames = run.frames;
        recorded.ending = run.ending;
        summary.todayMs += recorded.cameraMs();
        summary.lastRuns.append(recorded);
    }
    summary.weekMs = summary.todayMs + qint64(3) * 3600 * 1000 + 754000;
    return summary;
}

// The main window's pages, its tray menu in each state, and the camera test on a recording.
void mainWindowPictures(const QString& clip, const QString& faceModel,
                        const QVector<QLocale>& languages)
{
    GuiServices services = GuiServices::system();
    services.languages = [languages] { return languages; };
    auto cameras = std::make_shared<FakeCameraCatalog>();
    cameras->cameras = QStringList{"Integrated Camera: Integrated C", "USB 2.0 Camera"};
    services.cameras = cameras;
    services.cameraControls = [](int) {
        auto controls = std::make_unique<FakeCameraControls>();
        controls->plugTypicalWebcam();
        return std::unique_ptr<CameraControls>(std::move(controls));
    };
    WinkwellGUI gui(services);
    gui.init();
    gui.openWindow();
    gui.move(300, 10);
    settle();
    const auto page = [&gui](const QString& name) {
        settle();
        save(name, gui.frameGeometry().intersected(QGuiApplication::primaryScreen()->geometry()));
    };
    gui.updateHealthStatus({}, {}, {});
    page(QStringLiteral("main-page-no-measurement"));
    const QDateTime when(QDate(2024, 3, 18), QTime(9, 12));
    gui.updateHealthStatus({7.5}, {230}, {when});
    page(QStringLiteral("main-page-one-measurement"));
    QVector<QDateTime> dates;
    for (int i = 0; i < 8; ++i) {
        dates.append(when.addSecs(qint64(i) * 1800));
    }
    gui.updateHealthStatus({4.0, 9.5, 12.0, 17.5, 6.0, 10.0, 15.0, 8.5}, QVector<int>(8, 210),
                           dates);
    page(QStringLiteral("main-page"));

    // The tray menu while running, paused, and with the camera paused.
    const auto menu = [&gui](const QString& name) {
        QMenu* tray = gui.trayMenu();
        tray->popup(QPoint(1500, 700));
        settle(400);
        save(name, tray->frameGeometry());
        tray->hide();
    };
    menu(QStringLiteral("tray-menu"));
    gui.form()->action_pauseWinkwell->trigger();
    menu(QStringLiteral("tray-menu-paused"));
    page(QStringLiteral("main-page-paused"));
    gui.form()->action_resumeWinkwell->trigger();
    gui.form()->action_pauseWebcamUse->trigger();
    menu(QStringLiteral("tray-menu-camera-paused"));
    gui.form()->action_resumeWebcamUse->trigger();
    gui.showError(ErrorNoFace);
    page(QStringLiteral("main-page-error"));
    gui.adjustSystemTrayBasedOnFunctionalityAccessingCamera(FeatureMeasurement);

    gui.form()->toolButton_titleBarSettings->click();
    page(QStringLiteral("settings-page"));
    // A combination the window manager holds (openbox opens its window menu with Alt+Space),
    // and one another hotkey has.
    QKeySequenceEdit* colour = gui.form()->keySequenceEdit_hotkeysChangeColorTemperature;
    colour->setKeySequence(QKeySequence(QStringLiteral("Alt+Space")));
    emit colour->editingFinished();
    QKeySequenceEdit* darker = gui.form()->keySequenceEdit_hotkeysDecreaseHWScreenBrightness;
    darker->setKeySequence(
        gui.form()->keySequenceEdit_hotkeysIncreaseHWScreenBrightness->keySequence());
    emit darker->editingFinished();
    page(QStringLiteral("settings-page-hotkey-problems"));
    gui.form()->toolButton_titleBarBack->click();
    gui.form()->toolButton_titleBarAbout->click();
    page(QStringLiteral("about-page"));
    gui.showCameraTime(cameraRecord());
    page(QStringLiteral("about-page-camera-runs"));
    gui.form()->toolButton_titleBarBack->click();

    gui.form()->toolButton_titleBarSettings->click();
    gui.form()->toolButton_titleBarWebcam->click();
    if (!clip.isEmpty()) {
        ModelOptions options = ModelOptions::defaults();
        options.frameSource = std::make_shared<RecordedFrameSource>(clip.toStdString());
        if (!faceModel.isEmpty()) {
            options.faceModelCandidates.prepend(faceModel);
        }
        Model model(options);
        QObject::connect(&model, &Model::frameReceived, &gui, &WinkwellGUI::showImage);
        model.init();
        model.startLivePreview();
        settle(1500);
        model.stop();
        settle(200);
    }
    page(QStringLiteral("camera-test-page"));
    gui.form()->toolButton_titleBarBack->click();
    settle();
}

// A history of count measurements every five hours: rates scattered around the healthy line,
// now and then far above it, and a 0 where the camera saw no blink.
void writeHistory(const QString& folder, int count)
{
    QJsonArray data;
    const QDateTime first(QDate(2023, 9, 4), QTime(9, 5), Qt::OffsetFromUTC, 7200);
    quint32 noise = 12345;
    for (int i = 0; i < count; ++i) {
        noise = noise * 1103515245U + 12345U; // the same pictures every run
        const int spread = int((noise >> 16) % 90);
        const double rate = i % 97 == 13 ? 0.0 : 5.0 + spread / 10.0 + (spread % 17 == 3 ? 12 : 0);
        data.append(
            QJsonObject{{"blinkrate", rate},
                        {"datetime", first.addSecs(qint64(i) * 5 * 3600).toString(Qt::ISODate)},
                        {"length", 140 + int((noise >> 8) % 120)},
                        {"note", "interactive reminder 10 min"}});
    }
    QDir().mkpath(folder);
    QFile file(folder + "/statistics.json");
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(QJsonObject{{"data", data}}).toJson());
    }
}

// Clicks the first button of a box that the next event loop shows.
void answerNextBox(QMessageBox::StandardButton answer, const QString& picture)
{
    QTimer::singleShot(500, [answer, picture] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        save(picture, box->frameGeometry());
        box->button(answer)->click();
    });
}

// The statistics window over the store, as the program wires them, with histories of 1, 20
// and 5000 measurements, its tooltip, the whole of a long history, maximised, and after the
// history has been deleted.
void statisticsWindowPictures()
{
    QTemporaryDir dir;
    for (const int count : {1, 20, 5000}) {
        const QString folder = dir.filePath(QString::number(count));
        writeHistory(folder, count);
        StatisticsController store(folder + "/");
        store.init();
        WidgetStatistics window;
        connectStatisticsAndWindow(&store, &window);
        window.move(200, 100);
        store.createStatistics();
        settle();
        const QString name = QStringLiteral("statistics-%1").arg(count);
        save(name, window.frameGeometry());
        auto* plot = window.findChild<QWidget*>(QStringLiteral("customPlot"));
        auto* slider = window.findChild<SpanSlider*>(QStringLiteral("spanSlider"));
        if (count == 20) {
            slider->setLowerValue(0);
            settle();
            save(name + "-all", window.frameGeometry());
        }
        if (count != 5000) {
            continue;
        }
        slider->setLowerValue(count - 400);
        settle();
        save(name + "-last-400", window.frameGeometry());
        slider->setLowerValue(0);
        settle();
        save(name + "-all", window.frameGeometry());
        // A point of the first run, hovered through the X server like a mouse.
        slider->setLowerValue(count - 8);
        settle();
        const QRect area = plot->rect().adjusted(80, 30, -30, -40);
        QCursor::setPos(plot->mapToGlobal(QPoint(area.left() + area.width() * 3 / 7, 0)));
        for (int y = area.top(); y < area.bottom(); y += 2) {
            QCursor::setPos(plot->mapToGlobal(QPoint(area.left() + area.width() * 3 / 7, y)));
            QTest::qWait(5);
            if (QToolTip::isVisible()) {
                break;
            }
        }
        settle();
        save(name + "-tooltip", window.frameGeometry());
        QCursor::setPos(10, 1000);
        window.findChild<QToolButton*>(QStringLiteral("toolButtonMaximize"))->click();
        settle(1000);
        save(name + "-maximised",
             window.frameGeometry().intersected(QGuiApplication::primaryScreen()->geometry()));
        window.findChild<QToolButton*>(QStringLiteral("toolButtonMaximize"))->click();
        settle(1000);
        answerNextBox(QMessageBox::Yes, QStringLiteral("statistics-delete-question"));
        window.findChild<QPushButton*>(QStringLiteral("pushButton"))->click();
        settle();
        save(QStringLiteral("statistics-0"), window.frameGeometry());
    }
}

// The proxy window as the settings page opens it, and its answer to a proxy that does not work.
void proxyWindowPictures()
{
    WidgetProxy proxy;
    proxy.move(400, 200);
    proxy.setProxySettings(QStringLiteral("proxy.example.org"), 3128, QStringLiteral("anna"),
                           QStringLiteral("secret"));
    proxy.showProxySettings();
    settle();
    save(QStringLiteral("proxy-settings"), proxy.frameGeometry());
    proxy.saveProxySettings(false);
    settle();
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        save(QStringLiteral("proxy-settings-unreachable"), box->frameGeometry());
        box->close();
    }
    proxy.close();
    settle(200);
}

void loadFonts()
{
    for (const char* face :
         {":/font/Roboto-Regular.ttf", ":/font/Roboto-Medium.ttf", ":/font/Roboto-Bold.ttf"}) {
        QFontDatabase::addApplicationFont(QLatin1String(face));
    }
    QApplication::setFont(QFont(QStringLiteral("Roboto"), 11));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QStringList arguments = QApplication::arguments().mid(1);
    QString language;
    if (!arguments.isEmpty() && arguments.first().startsWith(QLatin1String("--language="))) {
        language = arguments.takeFirst().section(QLatin1Char('='), 1);
    }
    if (arguments.isEmpty()) {
        std::fprintf(
            stderr,
            "usage: winkwell-screenshots [--language=LOCALE] OUTPUT_FOLDER [CLIP [MODEL]]\n");
        return 2;
    }
    g_folder = arguments.at(0);
    QDir().mkpath(g_folder);
    loadFonts();
    const LanguageCatalog languages = LanguageCatalog::scan();
    LanguageSwitch languageSwitch;
    if (!language.isEmpty()) {
        int index = -1;
        for (int i = 0; i < languages.locales().size(); ++i) {
            if (languages.locales().at(i).name() == language) {
                index = i;
            }
        }
        if (index < 0) {
            std::fprintf(stderr, "winkwell-screenshots: no language %s\n", qPrintable(language));
            return 2;
        }
        languageSwitch.apply(languages, index);
        // As the program keeps it, so that the settings page shows the language chosen.
        saveSetting(SettingKeys::localeName, language);
    }
    statisticsWindowPictures();
    proxyWindowPictures();
    mainWindowPictures(arguments.value(1), arguments.value(2), languages.locales());

    // A desktop with a program the user is typing in.
    QWidget desktop;
    desktop.setStyleSheet(QStringLiteral("background:#5a7fa6;"));
    desktop.setGeometry(QGuiApplication::primaryScreen()->geometry());
    desktop.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint);
    desktop.show();
    QPlainTextEdit editor;
    editor.setPlainText(QStringLiteral("Dear team,\n\nthe report is nearly done..."));
    editor.setGeometry(700, 120, 900, 600);
    editor.show();
    settle();

    QWidget mainWindow;
    auto* blink = new BlinkReminderWidget(&mainWindow);
    blink->rollOut(false);
    settle();
    save(QStringLiteral("blink-reminder"), blink->frameGeometry());
    blink->rollIn();

    blink->enterPositionChangeMode();
    settle();
    save(QStringLiteral("blink-reminder-position-change"), blink->frameGeometry());
    blink->leavePositionChangeMode();

    auto* breakWindow = new BreakReminderWidget(&mainWindow);
    breakWindow->popUp();
    settle();
    save(QStringLiteral("break-reminder"), breakWindow->frameGeometry());
    breakWindow->hide();
    breakWindow->setHeldForCall(true);
    breakWindow->popUp();
    settle();
    save(QStringLiteral("break-reminder-held-for-call"), breakWindow->frameGeometry());
    breakWindow->hide();

    auto* exercise = new ExerciseReminderWidget(&mainWindow);
    for (int i = 0; i < ExerciseReminderWidget::kExerciseCount; ++i) {
        exercise->fadeIn();
        settle(1200); // a few frames into the animation
        save(QStringLiteral("exercise-%1").arg(i + 1), exercise->frameGeometry());
        exercise->stop();
    }

    // The main page's blink-rate plot on its white panel: before the first measurement, after
    // one, and with a mixed history.
    QWidget panel;
    panel.setStyleSheet(QStringLiteral("background:white;"));
    auto* panelLayout = new QVBoxLayout(&panel);
    auto* plot = new BlinkRatePlot(&panel);
    plot->setFixedSize(400, 180);
    panelLayout->addWidget(plot);
    panel.move(200, 200);
    panel.show();
    settle();
    save(QStringLiteral("blink-rate-plot-0"), panel.frameGeometry());
    QDateTime when(QDate(2024, 3, 18), QTime(9, 12));
    QVector<double> rates{7.5};
    plot->setHistory(rates, {230}, {when});
    settle();
    save(QStringLiteral("blink-rate-plot-1"), panel.frameGeometry());
    rates = {4.0, 9.5, 12.0, 17.5, 6.0, 10.0, 15.0, 8.5};
    QVector<QDateTime> dates;
    for (int i = 0; i < rates.size(); ++i) {
        dates.append(when.addSecs(qint64(i) * 1800));
    }
    plot->setHistory(rates, QVector<int>(rates.size(), 210), dates);
    settle();
    save(QStringLiteral("blink-rate-plot-8"), panel.frameGeometry());
    // The pointer resting on a point; the plot hears of it from the X server as from a mouse.
    QCursor::setPos(plot->mapToGlobal(plot->pointPosition(3)));
    settle();
    save(QStringLiteral("blink-rate-plot-8-tooltip"),
         panel.frameGeometry().adjusted(0, 0, 160, 40));
    panel.hide();

    const auto cameraSettings = [](FakeCameraControls& camera, const QString& name) {
        CameraSettingsDialog dialog(camera);
        dialog.show();
        settle();
        save(name, dialog.frameGeometry());
    };
    FakeCameraControls webcam;
    webcam.plugTypicalWebcam();
    cameraSettings(webcam, QStringLiteral("camera-settings"));
    webcam.setValue(FakeCameraControls::kWhiteBalanceAutomatic, 0);
    webcam.setValue(FakeCameraControls::kAutoExposure, 1);
    cameraSettings(webcam, QStringLiteral("camera-settings-manual"));
    FakeCameraControls unplugged;
    unplugged.accessState.state = CameraAccess::State::NoDevice;
    cameraSettings(unplugged, QStringLiteral("camera-settings-not-connected"));
    FakeCameraControls locked;
    locked.accessState.state = CameraAccess::State::PermissionDenied;
    locked.accessState.deviceGroup = QStringLiteral("video");
    cameraSettings(locked, QStringLiteral("camera-settings-permission-denied"));
    return 0;
}
