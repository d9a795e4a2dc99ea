#include "LanguageSwitch.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>

LanguageSwitch::~LanguageSwitch()
{
    drop(m_app);
    drop(m_framework);
}

void LanguageSwitch::drop(std::unique_ptr<QTranslator>& translator)
{
    if (translator) {
        QCoreApplication::removeTranslator(translator.get());
        translator.reset();
    }
}

std::unique_ptr<QTranslator> LanguageSwitch::install(const QString& path)
{
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(path)) {
        qDebug() << "AP: translation" << path << "does not load; left untranslated";
        return nullptr;
    }
    QCoreApplication::installTranslator(translator.get());
    return translator;
}

void LanguageSwitch::apply(const LanguageCatalog& catalog, int index)
{
    if (index < 0 || index >= catalog.locales().size()) {
        index = 0;
    }
    const QLocale locale = catalog.locales().at(index);
    QLocale::setDefault(locale);
    if (index < 1) {
        if (m_app) {
            qDebug() << QDateTime::currentDateTimeUtc().toString(Qt::ISODate)
                     << "AP: removing translator";
        }
        drop(m_app);
        drop(m_framework);
        return;
    }
    drop(m_framework);
    const QString qtPath = QStringLiteral(":/qtbase_") + locale.name() + QStringLiteral(".qm");
    qDebug() << "AP: qt translation path" << qtPath;
    m_framework = install(qtPath);
    drop(m_app);
    m_app = install(catalog.translationPaths().at(index));
    qDebug() << QDateTime::currentDateTimeUtc().toString(Qt::ISODate)
             << "AP: installing translator";
}
