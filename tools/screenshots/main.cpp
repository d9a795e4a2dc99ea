// Shows each window in each of its states over a plain desktop and saves what the screen shows
// around it: winkwell-screenshots OUTPUT_FOLDER. Run on a throw-away X display
// (scripts/screenshots.sh starts one), with a settings folder of its own.
#include "gui/BlinkRatePlot.h"
#include "gui/CameraSettingsDialog.h"
#include "gui/reminders/BlinkReminderWidget.h"
#include "gui/reminders/BreakReminderWidget.h"
#include "gui/reminders/ExerciseReminderWidget.h"
#include "platform/fake/FakeCameraControls.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
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
