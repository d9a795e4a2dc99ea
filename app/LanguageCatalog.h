#pragma once

#include <QLocale>
#include <QSettings>
#include <QString>
#include <QVector>

// The languages the program can show: entry 0 is untranslated English, then one entry per
// translation file that loads. Locales and translation paths are kept in step.
class LanguageCatalog
{
public:
    // Lists "winkwell_*.qm" in the resource folder (":/" in the program).
    static LanguageCatalog scan(const QString& resourceRoot = QStringLiteral(":/"));

    const QVector<QLocale>& locales() const { return m_locales; }
    const QVector<QString>& translationPaths() const { return m_paths; }

    // The saved language's index (0 when it has no entry); fills "QT_locale_name" from the
    // installer's language on first start.
    int savedLanguageIndex(QSettings& settings) const;

    // "winkwell_sk_SK.qm" gives "sk_SK".
    static QString localeNameFromFileName(const QString& fileName);
    // The locale name the installer's Windows language identifier stands for, or empty.
    static QString localeNameForInstallerLanguage(int languageId);

private:
    QVector<QLocale> m_locales;
    QVector<QString> m_paths;
};
