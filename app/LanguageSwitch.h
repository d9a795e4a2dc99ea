#pragma once

#include "LanguageCatalog.h"

#include <QTranslator>
#include <memory>

// Makes one language of the catalog current: its locale the default one, its translation and the
// framework's own translation for it (dialog buttons, key names) installed in the application,
// which then sends every widget a LanguageChange event. A file that does not load leaves that
// part untranslated and says so in the log.
class LanguageSwitch
{
public:
    LanguageSwitch() = default;
    LanguageSwitch(const LanguageSwitch&) = delete;
    LanguageSwitch& operator=(const LanguageSwitch&) = delete;
    ~LanguageSwitch();

    void apply(const LanguageCatalog& catalog, int index);

private:
    // Removes the translator from the application before it goes.
    static void drop(std::unique_ptr<QTranslator>& translator);
    // The translator for path, installed, or none when the file does not load.
    static std::unique_ptr<QTranslator> install(const QString& path);

    std::unique_ptr<QTranslator> m_app;
    std::unique_ptr<QTranslator> m_framework;
};
