#include "SettingsStore.h"

#include <QDebug>
#include <atomic>
#include <limits>

namespace {
const char* const kUser = "G";
const char* const kProxy = "P";
const char* const kRoot = "";
} // namespace

QString SettingKey::path() const
{
    return *group ? QLatin1String(group) + QLatin1Char('/') + QLatin1String(name)
                  : QLatin1String(name);
}

namespace SettingKeys {
const SettingKey mgdTraining{kUser, "TMGD", QMetaType::Bool, false};
const SettingKey interactiveReminder{kUser, "IR", QMetaType::Bool, true};
const SettingKey measurementNotification{kUser, "NCM", QMetaType::Bool, true};
const SettingKey measurement{kUser, "M", QMetaType::Bool, true};
const SettingKey training{kUser, "T", QMetaType::Bool, true};
const SettingKey startWithSystem{kUser, "WS", QMetaType::Bool, true};
const SettingKey sendStatistics{kUser, "S", QMetaType::Bool, false};
const SettingKey includeNaturalBreaks{kUser, "INB", QMetaType::Bool, true};
const SettingKey useWebcamInBreaks{kUser, "UWIB", QMetaType::Bool, false};
const SettingKey trainingPeriod{kUser, "TP", QMetaType::Int, 30};
const SettingKey timeBetweenBreaks{kUser, "TBRR", QMetaType::Int, 50};
const SettingKey naturalBreakDuration{kUser, "NBD", QMetaType::Int, 3};
const SettingKey eyeExercises{kUser, "REER", QMetaType::Bool, true};
const SettingKey computerBreaks{kUser, "BRE", QMetaType::Bool, true};
const SettingKey betaUpdates{kUser, "EB", QMetaType::Bool, false};
const SettingKey cameraId{kUser, "CID", QMetaType::Int, 0};
const SettingKey reminderSound{kUser, "SOUND", QMetaType::Bool, false};
const SettingKey pauseCameraWhenTitle{kUser, "WTE", QMetaType::Bool, false};
const SettingKey pauseWhenProcess{kUser, "WPR", QMetaType::Bool, false};
const SettingKey pauseWhenTitle{kUser, "PAWTE", QMetaType::Bool, false};
const SettingKey processList{kUser, "WPRL", QMetaType::QString, QString()};
const SettingKey cameraTitleList{kUser, "WTEL", QMetaType::QString, QString()};
const SettingKey pauseTitleList{kUser, "PAWTEL", QMetaType::QString, QString()};
const SettingKey colorTemperature{kUser, "CT", QMetaType::Int, 66};
const SettingKey pauseOnBattery{kUser, "POB", QMetaType::Bool, false};
const SettingKey holdRemindersInCalls{kUser, "HOLDCALL", QMetaType::Bool, true};
const SettingKey callTitleList{kUser, "CALLTEL", QMetaType::QString, QString()};
const SettingKey pauseWhenClonedScreen{kUser, "PENCS", QMetaType::Bool, true};
// Combinations the common desktops leave free. On Linux GNOME, Xfce and openbox open the window
// menu with Alt+Space, and i3 (with Alt as its modifier) moves the focus with Alt+Up and
// Alt+Down; with Shift as well, and the page keys, none of GNOME, KDE Plasma, Xfce, openbox or
// i3 takes them.
#ifdef Q_OS_WIN
constexpr const char* kBrighterKeys = "Alt+Up";
constexpr const char* kDarkerKeys = "Alt+Down";
constexpr const char* kColorTemperatureKeys = "Alt+Space";
#else
constexpr const char* kBrighterKeys = "Shift+Alt+PgUp";
constexpr const char* kDarkerKeys = "Shift+Alt+PgDown";
constexpr const char* kColorTemperatureKeys = "Shift+Alt+End";
#endif
const SettingKey hotkeyBrightnessDown{kUser, "HOTKEY_HW_DOWN", QMetaType::QString,
                                      QString::fromLatin1(kDarkerKeys)};
const SettingKey hotkeyBrightnessUp{kUser, "HOTKEY_HW_UP", QMetaType::QString,
                                    QString::fromLatin1(kBrighterKeys)};
const SettingKey hotkeyColorTemperature{kUser, "HOTKEYS_CT_CHANGE", QMetaType::QString,
                                        QString::fromLatin1(kColorTemperatureKeys)};
const SettingKey hotkeysOn{kUser, "HOTKEYS_ON", QMetaType::Bool, true};
const SettingKey screenControl{kUser, "SC", QMetaType::Bool, true};
const SettingKey localeName{kUser, "QT_locale_name", QMetaType::QString, QVariant()};
const SettingKey closeCounter{kUser, "CLOSE COUNTER", QMetaType::Int, 0};
const SettingKey reminderX{kUser, "RPX", QMetaType::Int, QVariant()};
const SettingKey reminderY{kUser, "RPY", QMetaType::Int, 200};
const SettingKey breakReminderX{kUser, "BRPX", QMetaType::Int, QVariant()};
const SettingKey breakReminderY{kUser, "BRPY", QMetaType::Int, QVariant()};
const SettingKey exerciseReminderX{kUser, "ERPX", QMetaType::Int, QVariant()};
const SettingKey exerciseReminderY{kUser, "ERPY", QMetaType::Int, QVariant()};
const SettingKey proxyServer{kProxy, "S", QMetaType::QString, QString()};
const SettingKey proxyPort{kProxy, "PO", QMetaType::UInt, 0u};
const SettingKey proxyUser{kProxy, "U", QMetaType::QString, QString()};
const SettingKey proxyPassword{kProxy, "PA", QMetaType::QString, QString()};
const SettingKey installerLanguage{kRoot, "INSTALLER_LANG_ID", QMetaType::Int, 1033};

const std::vector<const SettingKey*>& all()
{
    static const std::vector<const SettingKey*> keys{&mgdTraining,
                                                     &interactiveReminder,
                                                     &measurementNotification,
                                                     &measurement,
                                                     &training,
                                                     &startWithSystem,
                                                     &sendStatistics,
                                                     &includeNaturalBreaks,
                                                     &useWebcamInBreaks,
                                                     &trainingPeriod,
                                                     &timeBetweenBreaks,
                                                     &naturalBreakDuration,
                                                     &eyeExercises,
                                                     &computerBreaks,
                                                     &betaUpdates,
                                                     &cameraId,
                                                     &reminderSound,
                                                     &pauseCameraWhenTitle,
                                                     &pauseWhenProcess,
                                                     &pauseWhenTitle,
                                                     &processList,
                                                     &cameraTitleList,
                                                     &pauseTitleList,
                                                     &colorTemperature,
                                                     &pauseOnBattery,
                                                     &holdRemindersInCalls,
                                                     &callTitleList,
                                                     &pauseWhenClonedScreen,
                                                     &hotkeyBrightnessDown,
                                                     &hotkeyBrightnessUp,
                                                     &hotkeyColorTemperature,
                                                     &hotkeysOn,
                                                     &screenControl,
                                                     &localeName,
                                                     &closeCounter,
                                                     &reminderX,
                                                     &reminderY,
                                                     &breakReminderX,
                                                     &breakReminderY,
                                                     &exerciseReminderX,
                                                     &exerciseReminderY,
                                                     &proxyServer,
                                                     &proxyPort,
                                                     &proxyUser,
                                                     &proxyPassword,
                                                     &installerLanguage};
    return keys;
}
} // namespace SettingKeys

std::unique_ptr<QSettings> openSettingsStore()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Orvalde"), QStringLiteral("winkwell"));
}

namespace {

bool writeSetting(const QString& path, const QVariant& value)
{
    auto settings = openSettingsStore();
    settings->setValue(path, value);
    settings->sync();
    if (settings->status() == QSettings::NoError) {
        return true;
    }
    // Once per run: a read-only settings folder would otherwise fill the log with every click.
    static std::atomic<bool> reported{false};
    if (!reported.exchange(true)) {
        qDebug() << "settings: cannot write" << settings->fileName()
                 << "- choices stay in effect until the program ends but are not kept";
    }
    return false;
}

} // namespace

bool saveSetting(const QString& key, const QVariant& value)
{
    return writeSetting(QStringLiteral("G/") + key, value);
}

bool saveSetting(const SettingKey& key, const QVariant& value)
{
    return writeSetting(key.path(), value);
}

namespace {

// The text form the native file keeps ("true", "12") must convert strictly: QVariant would turn
// "abc" into 0 or false without a word.
bool convertStrictly(QVariant& value, QMetaType::Type type)
{
    if (type == QMetaType::Bool && value.userType() == QMetaType::QString) {
        const QString text = value.toString().trimmed().toLower();
        if (text == QLatin1String("true") || text == QLatin1String("1")) {
            value = true;
            return true;
        }
        if (text == QLatin1String("false") || text == QLatin1String("0")) {
            value = false;
            return true;
        }
        return false;
    }
    if (type == QMetaType::Int || type == QMetaType::UInt) {
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        const qlonglong low = type == QMetaType::Int ? std::numeric_limits<int>::min() : 0;
        const qlonglong high = type == QMetaType::Int ? std::numeric_limits<int>::max()
                                                      : std::numeric_limits<uint>::max();
        if (!ok || number < low || number > high) {
            return false;
        }
        value = type == QMetaType::Int ? QVariant(static_cast<int>(number))
                                       : QVariant(static_cast<uint>(number));
        return true;
    }
    if (type == QMetaType::QString && value.userType() == QMetaType::QStringList) {
        // An unquoted comma in the file reads back as a list; it was one text.
        value = value.toStringList().join(QLatin1Char(','));
        return true;
    }
    return value.convert(type);
}

} // namespace

QVariant readSetting(QSettings& store, const SettingKey& key, const QVariant& fallback)
{
    const QVariant defaultValue = key.defaultValue.isValid() ? key.defaultValue : fallback;
    QVariant value = store.value(key.path());
    if (!value.isValid()) {
        return defaultValue;
    }
    if (!convertStrictly(value, key.type)) {
        qDebug() << "settings:" << key.path() << "holds" << store.value(key.path()) << "which is no"
                 << QMetaType::typeName(key.type) << "- using" << defaultValue;
        return defaultValue;
    }
    return value;
}

QVariant readSetting(const SettingKey& key, const QVariant& fallback)
{
    auto store = openSettingsStore();
    return readSetting(*store, key, fallback);
}

bool readBool(const SettingKey& key)
{
    return readSetting(key).toBool();
}

int readInt(const SettingKey& key, int fallback)
{
    return readSetting(key, fallback).toInt();
}

QString readString(const SettingKey& key)
{
    return readSetting(key).toString();
}
