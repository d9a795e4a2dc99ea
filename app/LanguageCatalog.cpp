#include "LanguageCatalog.h"

#include "common/SettingsStore.h"

#include <QDebug>
#include <QDir>
#include <QTranslator>

LanguageCatalog LanguageCatalog::scan(const QString& resourceRoot)
{
    LanguageCatalog catalog;
    catalog.m_locales.append(QLocale(QLocale::English, QLocale::UnitedStates));
    catalog.m_paths.append(QString());
    const QString root = resourceRoot.endsWith('/') ? resourceRoot : resourceRoot + '/';
    const QStringList files =
        QDir(root).entryList({QStringLiteral("winkwell_*.qm")}, QDir::NoFilter, QDir::NoSort);
    for (const QString& file : files) {
        QTranslator translator;
        if (!translator.load(root + file)) {
            qDebug() << "AP: translation file" << root + file << "does not load; left out";
            continue;
        }
        catalog.m_paths.append(root + file);
        catalog.m_locales.append(QLocale(localeNameFromFileName(file)));
    }
    return catalog;
}

QString LanguageCatalog::localeNameFromFileName(const QString& fileName)
{
    QString name = fileName.left(fileName.lastIndexOf('.'));
    return name.mid(name.indexOf('_') + 1);
}

QString LanguageCatalog::localeNameForInstallerLanguage(int languageId)
{
    switch (languageId) {
    case 1033:
        return QStringLiteral("en_US");
    case 1051:
        return QStringLiteral("sk_SK");
    case 1031:
        return QStringLiteral("de_DE");
    case 1029:
        return QStringLiteral("cs_CZ");
    default:
        return QString();
    }
}

int LanguageCatalog::savedLanguageIndex(QSettings& settings) const
{
    const int installerLanguage = readSetting(settings, SettingKeys::installerLanguage).toInt();
    const QString localeKey = SettingKeys::localeName.path();
    if (readSetting(settings, SettingKeys::localeName).toString().isEmpty()) {
        const QString chosen = localeNameForInstallerLanguage(installerLanguage);
        if (!chosen.isEmpty()) {
            settings.setValue(localeKey, chosen);
        }
    }
    QString name = readSetting(settings, SettingKeys::localeName).toString();
    if (name.isEmpty()) {
        name = QLocale::system().name();
    }
    qDebug() << "AP: "
             << "locale " << name;

    const QLocale wanted(name);
    int index = 0;
    for (int i = 0; i < m_locales.size(); ++i) {
        if (m_locales.at(i) == wanted) {
            index = i;
        }
    }
    return index;
}
