#include "common/SettingsStore.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The store as a hand-edited or unwritable settings file leaves it.
class TestSettingsStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    }

    void init() { openSettingsStore()->clear(); }

    void valuesOfTheWrongTypeGiveTheDefaultAndAreLogged()
    {
        using namespace SettingKeys;
        QCOMPARE(readBool(measurement), true); // missing: the default
        QCOMPARE(readInt(trainingPeriod), 30);
        QCOMPARE(readString(hotkeyBrightnessUp), QStringLiteral("Shift+Alt+PgUp"));
        QCOMPARE(readInt(reminderX, 1234), 1234); // no default of its own: the caller's

        auto store = openSettingsStore();
        store->setValue("G/M", "false"); // text as the file keeps it
        store->setValue("G/T", "perhaps");
        store->setValue("G/TP", "12");
        store->setValue("G/TBRR", "fifty");
        store->setValue("G/CID", "99999999999");
        store->setValue("G/WPRL", QStringList{"zoom", "teams"}); // an unquoted comma
        store->setValue("P/PO", -8080);
        store.reset();

        QCOMPARE(readBool(measurement), false);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("settings: \"G/T\" holds .*perhaps"));
        QCOMPARE(readBool(training), true);
        QCOMPARE(readInt(trainingPeriod), 12);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("settings: \"G/TBRR\" holds"));
        QCOMPARE(readInt(timeBetweenBreaks), 50);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("settings: \"G/CID\" holds"));
        QCOMPARE(readInt(cameraId), 0);
        QCOMPARE(readString(processList), QStringLiteral("zoom,teams"));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("settings: \"P/PO\" holds"));
        QCOMPARE(readSetting(proxyPort).toUInt(), 0u);
    }

    void savedValuesGoToTheirGroups()
    {
        QVERIFY(saveSetting(QStringLiteral("TP"), 20));
        QVERIFY(saveSetting(SettingKeys::proxyServer, QStringLiteral("proxy.example")));
        QVERIFY(saveSetting(SettingKeys::installerLanguage, 1051));
        auto store = openSettingsStore();
        QCOMPARE(store->value("G/TP").toInt(), 20);
        QCOMPARE(store->value("P/S").toString(), QStringLiteral("proxy.example"));
        QCOMPARE(store->value("INSTALLER_LANG_ID").toInt(), 1051);
    }

    void anUnwritableStoreIsReportedOnce()
    {
        // A file where the settings folder should be: no write can succeed, even as root.
        QFile blocker(m_dir.filePath("blocked"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           m_dir.filePath("blocked/config"));
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("settings: cannot write"));
        QVERIFY(!saveSetting(QStringLiteral("TP"), 20));
        QVERIFY(!saveSetting(QStringLiteral("TBRR"), 40)); // logged only once
        QCOMPARE(readInt(SettingKeys::trainingPeriod), 30);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settings_store.moc"
