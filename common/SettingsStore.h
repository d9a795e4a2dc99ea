#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

// One key of the per-user settings store: its group ("G" for the user's choices, "P" for the
// proxy, empty for the store's root), its name, the type it is read as and its default. An
// invalid default means the reader supplies one (positions that depend on the screen).
struct SettingKey
{
    const char* group;
    const char* name;
    QMetaType::Type type;
    QVariant defaultValue;

    QString path() const;
};

// Every key the program reads or writes, stated once.
namespace SettingKeys {
// Group "G", in the order the main window loads them.
extern const SettingKey mgdTraining;             // "TMGD"
extern const SettingKey interactiveReminder;     // "IR"
extern const SettingKey measurementNotification; // "NCM"
extern const SettingKey measurement;             // "M"
extern const SettingKey training;                // "T"
extern const SettingKey startWithSystem;         // "WS"
extern const SettingKey sendStatistics;          // "S"
extern const SettingKey includeNaturalBreaks;    // "INB"
extern const SettingKey useWebcamInBreaks;       // "UWIB"
extern const SettingKey trainingPeriod;          // "TP", seconds
extern const SettingKey timeBetweenBreaks;       // "TBRR", minutes
extern const SettingKey naturalBreakDuration;    // "NBD", minutes
extern const SettingKey eyeExercises;            // "REER"
extern const SettingKey computerBreaks;          // "BRE"
extern const SettingKey betaUpdates;             // "EB"
extern const SettingKey cameraId;                // "CID"
extern const SettingKey reminderSound;           // "SOUND"
extern const SettingKey pauseCameraWhenTitle;    // "WTE"
extern const SettingKey pauseWhenProcess;        // "WPR"
extern const SettingKey pauseWhenTitle;          // "PAWTE"
extern const SettingKey processList;             // "WPRL"
extern const SettingKey cameraTitleList;         // "WTEL"
extern const SettingKey pauseTitleList;          // "PAWTEL"
extern const SettingKey colorTemperature;        // "CT"
extern const SettingKey pauseOnBattery;          // "POB"
extern const SettingKey holdRemindersInCalls;    // "HOLDCALL"
extern const SettingKey callTitleList;           // "CALLTEL"
extern const SettingKey pauseWhenClonedScreen;   // "PENCS"
extern const SettingKey hotkeyBrightnessDown;    // "HOTKEY_HW_DOWN"
extern const SettingKey hotkeyBrightnessUp;      // "HOTKEY_HW_UP"
extern const SettingKey hotkeyColorTemperature;  // "HOTKEYS_CT_CHANGE"
extern const SettingKey hotkeysOn;               // "HOTKEYS_ON"
extern const SettingKey screenControl;           // "SC"
// Group "G", read and written elsewhere.
extern const SettingKey localeName;        // "QT_locale_name"
extern const SettingKey closeCounter;      // "CLOSE COUNTER"
extern const SettingKey reminderX;         // "RPX"
extern const SettingKey reminderY;         // "RPY"
extern const SettingKey breakReminderX;    // "BRPX"
extern const SettingKey breakReminderY;    // "BRPY"
extern const SettingKey exerciseReminderX; // "ERPX"
extern const SettingKey exerciseReminderY; // "ERPY"
// Group "P": the proxy.
extern const SettingKey proxyServer;   // "S"
extern const SettingKey proxyPort;     // "PO"
extern const SettingKey proxyUser;     // "U"
extern const SettingKey proxyPassword; // "PA"
// Root: written by an installer, only read here.
extern const SettingKey installerLanguage; // "INSTALLER_LANG_ID"

// All of the above, in this order.
const std::vector<const SettingKey*>& all();
} // namespace SettingKeys

// The one per-user settings store (organisation "Orvalde", application "winkwell"). Every reader
// opens it afresh so that no value is cached anywhere.
std::unique_ptr<QSettings> openSettingsStore();

// Writes one value into group "G" and closes the store, so it reaches the disk at once. False
// when the store cannot be written (said once in the log; the program goes on with the value).
bool saveSetting(const QString& key, const QVariant& value);
// Writes one value under its own group.
bool saveSetting(const SettingKey& key, const QVariant& value);

// The stored value converted to the key's type. A missing value gives the default (or the
// fallback given, where the key has none); a value that does not convert gives it too, and says
// so in the log.
QVariant readSetting(const SettingKey& key, const QVariant& fallback = QVariant());
bool readBool(const SettingKey& key);
int readInt(const SettingKey& key, int fallback = 0);
QString readString(const SettingKey& key);
// The same from an open store (inside no group), for readers that take many keys at once.
QVariant readSetting(QSettings& store, const SettingKey& key,
                     const QVariant& fallback = QVariant());
