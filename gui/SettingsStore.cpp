#include "SettingsStore.h"

std::unique_ptr<QSettings> openSettingsStore()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Orvalde"), QStringLiteral("winkwell"));
}

void saveSetting(const QString& key, const QVariant& value)
{
    auto settings = openSettingsStore();
    settings->beginGroup(QStringLiteral("G"));
    settings->setValue(key, value);
    settings->endGroup();
}
