#include "gui/WinkwellGUI.h"

#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

// The main window as the application wires it: on the X display test.sh starts.
class TestWinkwellGUI : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            QSKIP("needs an X display (test.sh starts one)");
        }
    }

    void windowOutsideEveryScreenComesBackToTheTopEdge()
    {
        WinkwellGUI gui;
        gui.move(-5000, -5000);
        gui.openWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&gui));
        const QScreen* primary = QGuiApplication::primaryScreen();
        // The window manager may add its frame around the requested place.
        QTRY_VERIFY(qAbs(gui.geometry().x() - primary->geometry().width() / 2) <= 2);
        QVERIFY(primary->geometry().contains(gui.geometry().topLeft()));
        QVERIFY(gui.isVisible());
    }

    void previewImageIsCopiedAtOnce()
    {
        WinkwellGUI gui;
        QImage image(400, 300, QImage::Format_RGB888);
        image.fill(Qt::red);
        gui.showImage(&image);
        image.fill(Qt::blue); // the engine may reuse its image after the slot returns
        QCOMPARE(gui.lastImage().pixelColor(10, 10), QColor(Qt::red));
        gui.showImage(nullptr);
        QCOMPARE(gui.lastImage().pixelColor(10, 10), QColor(Qt::red));
    }

    void storedChoicesReachTheControllersAtInit()
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Orvalde", "winkwell");
        settings.clear();
        settings.setValue("G/TP", 12);
        settings.setValue("G/M", false);
        settings.sync();
        WinkwellGUI gui;
        QSignalSpy period(&gui, &WinkwellGUI::trainingPeriodChanged);
        QSignalSpy measurement(&gui, &WinkwellGUI::measurementEnabled);
        QSignalSpy breaks(&gui, &WinkwellGUI::timeBetweenBreaksChanged);
        gui.init();
        QCOMPARE(period.count(), 1);
        QCOMPARE(period.at(0).at(0).toInt(), 12000);
        QCOMPARE(measurement.at(0).at(0).toBool(), false);
        QCOMPARE(breaks.at(0).at(0).toInt(), 50); // the default of a first start
        settings.clear();
    }

    void languageChangeReachesTheEngine()
    {
        WinkwellGUI gui;
        QSignalSpy changed(&gui, &WinkwellGUI::languageChanged);
        QEvent event(QEvent::LanguageChange);
        QCoreApplication::sendEvent(&gui, &event);
        QCOMPARE(changed.count(), 1);
    }
};

int main(int argc, char* argv[])
{
    // Without a display the tests skip instead of failing to start.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    TestWinkwellGUI test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "test_winkwellgui.moc"
