#include "platform/linux/DdcutilMonitors.h"

#include <QtTest>

// Without monitors on an I2C bus (none here) only the paths that find nothing can be run; the
// controller's use of the interface is tested with a fake.
class DdcutilMonitorsTest : public QObject
{
    Q_OBJECT

private slots:
    void withoutMonitorsNothingIsFoundOrSet();
    void withoutTheLibraryNothingIsFound();
};

void DdcutilMonitorsTest::withoutMonitorsNothingIsFoundOrSet()
{
    const auto monitors = createExternalMonitors();
    QCOMPARE(monitors->detect(), QStringList());
    const auto status = monitors->setBrightness(0, 50);
    QVERIFY(status == ExternalMonitors::Status::Failed ||
            status == ExternalMonitors::Status::MonitorGone);
    QVERIFY(!monitors->lastError().isEmpty());
    ExternalMonitors::Brightness brightness;
    QVERIFY(monitors->readBrightness(0, brightness) != ExternalMonitors::Status::Ok);
    // A second detection (a rescan where the library has one) finds nothing either.
    QCOMPARE(monitors->detect(), QStringList());
}

void DdcutilMonitorsTest::withoutTheLibraryNothingIsFound()
{
    DdcutilMonitors monitors("libddcutil-absent.so.4");
    QCOMPARE(monitors.detect(), QStringList());
    QVERIFY(monitors.lastError().contains(QLatin1String("libddcutil-absent.so.4")));
    QCOMPARE(monitors.setBrightness(0, 50), ExternalMonitors::Status::Failed);
}

QTEST_GUILESS_MAIN(DdcutilMonitorsTest)
#include "test_ddcutil_monitors.moc"
