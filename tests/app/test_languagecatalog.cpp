#include "app/LanguageCatalog.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestLanguageCatalog : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    std::unique_ptr<QSettings> settings(const QString& name)
    {
        return std::make_unique<QSettings>(m_dir.filePath(name + ".ini"), QSettings::IniFormat);
    }

private slots:
    void localeNames()
    {
        QCOMPARE(LanguageCatalog::localeNameFromFileName("winkwell_sk_SK.qm"), QString("sk_SK"));
        QCOMPARE(LanguageCatalog::localeNameFromFileName("winkwell_de_DE.qm"), QString("de_DE"));
        QCOMPARE(LanguageCatalog::localeNameForInstallerLanguage(1051), QString("sk_SK"));
        QCOMPARE(LanguageCatalog::localeNameForInstallerLanguage(1031), QString("de_DE"));
        QCOMPARE(LanguageCatalog::localeNameForInstallerLanguage(1029), QString("cs_CZ"));
        QCOMPARE(LanguageCatalog::localeNameForInstallerLanguage(1033), QString("en_US"));
        QVERIFY(LanguageCatalog::localeNameForInstallerLanguage(1040).isEmpty());
    }

    void untranslatedEnglishComesFirstAndBrokenFilesAreLeftOut()
    {
        QFile broken(m_dir.filePath("winkwell_sk_SK.qm"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a translation");
        broken.close();
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("winkwell_sk_SK.qm.*does not load"));
        const LanguageCatalog catalog = LanguageCatalog::scan(m_dir.path());
        QCOMPARE(catalog.locales().size(), 1);
        QCOMPARE(catalog.locales().first(), QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY(catalog.translationPaths().first().isEmpty());
    }

    void installerLanguageIsSavedOnFirstStart()
    {
        const LanguageCatalog catalog = LanguageCatalog::scan(m_dir.path());
        auto store = settings("slovak");
        store->setValue("INSTALLER_LANG_ID", 1051);
        // No Slovak translation here: English is shown, but the choice is kept.
        QCOMPARE(catalog.savedLanguageIndex(*store), 0);
        QCOMPARE(store->value("G/QT_locale_name").toString(), QString("sk_SK"));
    }

    void unknownInstallerLanguageWritesNothing()
    {
        const LanguageCatalog catalog = LanguageCatalog::scan(m_dir.path());
        auto store = settings("italian");
        store->setValue("INSTALLER_LANG_ID", 1040);
        QCOMPARE(catalog.savedLanguageIndex(*store), 0);
        QVERIFY(!store->contains("G/QT_locale_name"));
    }

    void savedChoiceWins()
    {
        const LanguageCatalog catalog = LanguageCatalog::scan(m_dir.path());
        auto store = settings("saved");
        store->setValue("INSTALLER_LANG_ID", 1051);
        store->setValue("G/QT_locale_name", "en_US");
        QCOMPARE(catalog.savedLanguageIndex(*store), 0);
        QCOMPARE(store->value("G/QT_locale_name").toString(), QString("en_US"));
    }
};

QTEST_GUILESS_MAIN(TestLanguageCatalog)
#include "test_languagecatalog.moc"
