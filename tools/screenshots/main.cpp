// Shows each window in each of its states over a plain desktop and saves what the screen shows
// around it: winkwell-screenshots OUTPUT_FOLDER. Run on a throw-away X display
// (scripts/screenshots.sh starts one), with a settings folder of its own.
#include "gui/CameraSettingsDialog.h"
#include "gui/reminders/BlinkReminderWidget.h"
#include "gui/reminders/BreakReminderWidget.h"
#include "gui/reminders/ExerciseReminderWidget.h"
#include "platform/fake/FakeCameraControls.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
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
    if (argc < 2) {
        std::fprintf(stderr, "usage: winkwell-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    g_folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_folder);
    loadFonts();

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

    auto* exercise = new ExerciseReminderWidget(&mainWindow);
    for (int i = 0; i < ExerciseReminderWidget::kExerciseCount; ++i) {
        exercise->fadeIn();
        settle(1200); // a few frames into the animation
        save(QStringLiteral("exercise-%1").arg(i + 1), exercise->frameGeometry());
        exercise->stop();
    }

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
