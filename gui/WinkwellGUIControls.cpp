// The main window's feature and settings controls: what each stores, what it tells the
// controllers, and the loading of every stored choice at start.
#include "AboutLinks.h"
#include "BlinkRatePlot.h"
#include "CameraSettingsDialog.h"
#include "HotkeyText.h"
#include "SettledLineEdit.h"
#include "WinkwellGUI.h"
#include "common/SettingsStore.h"
#include "platform/Autostart.h"
#include "platform/CameraCatalog.h"
#include "platform/CameraControls.h"
#include "platform/GlobalShortcut.h"
#include "reminders/BlinkReminderWidget.h"
#include "reminders/BreakReminderWidget.h"
#include "ui_WinkwellGUI.h"

#include <QButtonGroup>
#include <QDebug>
#include <QDesktopServices>
#include <QFile>
#include <QKeySequenceEdit>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QToolTip>
#include <QUrl>
#include <algorithm>

namespace {

constexpr int kScreenControlDelayMs = 1000;

// A stored number the control cannot show is clamped by the control; say so, since the user's
// file said something else.
int numberFor(QSettings& store, const SettingKey& key, const QSpinBox* spinBox)
{
    const int stored = readSetting(store, key).toInt();
    const int shown = qBound(spinBox->minimum(), stored, spinBox->maximum());
    if (shown != stored) {
        qDebug() << "settings:" << key.path() << "holds" << stored << "- using" << shown;
    }
    return shown;
}

} // namespace

void WinkwellGUI::loadSettings()
{
    qDebug() << "WinkwellGUI::loadSettings()";
    const QScopedValueRollback<bool> loading(m_loadingSettings, true);
    auto store = openSettingsStore();
    const auto flag = [&](const SettingKey& key) { return readSetting(*store, key).toBool(); };
    const auto text = [&](const SettingKey& key) { return readSetting(*store, key).toString(); };
    using namespace SettingKeys;

    // Each control runs its own slot when the stored value differs from its designer value, so
    // the controllers hear exactly what differs from their own starting state.
    m_ui->checkBox_isMGDenabled->setChecked(flag(mgdTraining));
    const bool interactive = flag(interactiveReminder);
    m_ui->radioButton_isReminderInteractive->setChecked(interactive);
    if (!interactive) {
        // Unchecking an unchecked auto-exclusive radio button says nothing.
        on_radioButton_isReminderInteractive_toggled(false);
    }
    m_ui->checkBox_enableCompletedMeasurementNotification->setChecked(
        flag(measurementNotification));
    m_ui->toolButton_blinkMonitoringOnOff->setChecked(flag(measurement));
    m_ui->toolButton_blinkTrainingOnOff->setChecked(flag(training));
    m_ui->checkBox_settingsStartOnStartUp->setChecked(flag(startWithSystem));
    m_ui->checkBox_settingsSendStatistics->setChecked(flag(sendStatistics));
    m_ui->checkBox_includeNaturalBreaks->setChecked(flag(includeNaturalBreaks));
    m_ui->checkBox_useWebcamInBreaks->setChecked(flag(useWebcamInBreaks));
    m_ui->spinBox_trainingPeriod->setValue(
        numberFor(*store, trainingPeriod, m_ui->spinBox_trainingPeriod));
    m_ui->spinBox_timeBetweenBreaks->setValue(
        numberFor(*store, timeBetweenBreaks, m_ui->spinBox_timeBetweenBreaks));
    m_ui->spinBox_naturalBreaksDuration->setValue(
        numberFor(*store, naturalBreakDuration, m_ui->spinBox_naturalBreaksDuration));
    m_ui->toolButton_eyeExerciseOnOff->setChecked(flag(eyeExercises));
    m_ui->toolButton_computerBreaksOnOff->setChecked(flag(computerBreaks));
    m_ui->checkBox_enableBeta->setChecked(flag(betaUpdates));
    m_cameraIndex = readSetting(*store, cameraId).toInt();
    reloadCameras(m_cameraIndex);
    m_ui->checkBox_enableSound->setChecked(flag(reminderSound));
    m_ui->checkBox_whenTitleExists->setChecked(flag(pauseCameraWhenTitle));
    m_ui->checkBox_whenProcessRun->setChecked(flag(pauseWhenProcess));
    m_ui->checkBox_pauseApp_whenTitleExist->setChecked(flag(pauseWhenTitle));
    m_ui->lineEdit_whenProcessRun->setText(text(processList));
    m_ui->lineEdit_whenTitleExists->setText(text(cameraTitleList));
    m_ui->lineEdit_pauseApp_whenTitleExists->setText(text(pauseTitleList));
    setColorTemperatureSliderPosition(readSetting(*store, colorTemperature).toInt());
    m_ui->checkBox_pauseOnBattery->setChecked(flag(pauseOnBattery));
    // Checked in the form, as the controller starts: only a stored "off" toggles it.
    m_ui->checkBox_holdRemindersInCalls->setChecked(flag(holdRemindersInCalls));
    m_ui->lineEdit_callTitles->setText(text(callTitleList));
    m_ui->checkBox_pauseAppWhenClonedScreen->setChecked(flag(pauseWhenClonedScreen));
    // The key sequences first, so that switching hotkeys on takes the loaded ones.
    loadHotkeys(hotkeyFromText(text(hotkeyBrightnessUp)),
                hotkeyFromText(text(hotkeyBrightnessDown)),
                hotkeyFromText(text(hotkeyColorTemperature)));
    const bool hotkeys = flag(hotkeysOn);
    m_ui->checkBox_hotkeysEnable->setChecked(hotkeys);
    if (!hotkeys) {
        // Already unchecked in the form, so the toggle slot did not run.
        enableHotkeyEditors(false);
    }
    m_ui->toolButton_screenControlOnOff->setChecked(flag(screenControl));
}

void WinkwellGUI::on_toolButton_blinkMonitoringOnOff_toggled(bool checked)
{
    if (m_measurementOn == checked) {
        return;
    }
    m_measurementOn = checked;
    leaveCameraStatus();
    updateSystemTray();
    qDebug() << "WinkwellGUI::on_toolButton_blinkMonitoringOnOff_toggled" << checked;
    emit measurementEnabled(checked);
    saveSetting(SettingKeys::measurement, checked);
    checkToDisableErrorToolTipIfNoCameraNeeded();
}

void WinkwellGUI::on_toolButton_blinkTrainingOnOff_toggled(bool checked)
{
    if (m_trainingOn == checked) {
        return;
    }
    m_trainingOn = checked;
    if (m_statusCode == 4) {
        m_statusCode = 0;
    }
    updateSystemTray();
    qDebug() << "WinkwellGUI::on_toolButton_blinkTrainingOnOff_toggled" << checked;
    emit trainingEnabled(checked);
    saveSetting(SettingKeys::training, checked);
    checkToDisableErrorToolTipIfNoCameraNeeded();
}

void WinkwellGUI::on_toolButton_computerBreaksOnOff_toggled(bool checked)
{
    m_breaksOn = checked;
    qDebug() << "WinkwellGUI::on_toolButton_computerBreaks_toggled" << checked;
    emit breakReminderEnabled(checked);
    saveSetting(SettingKeys::computerBreaks, checked);
    checkToDisableErrorToolTipIfNoCameraNeeded();
}

void WinkwellGUI::on_toolButton_eyeExerciseOnOff_toggled(bool checked)
{
    qDebug() << "WinkwellGUI::on_toolButton_eyeExerciseOnOff_toggled" << checked;
    m_exercisesOn = checked;
    emit eyeExerciseReminderEnabled(checked);
    saveSetting(SettingKeys::eyeExercises, checked);
    checkToDisableErrorToolTipIfNoCameraNeeded();
}

void WinkwellGUI::on_toolButton_screenControlOnOff_toggled(bool checked)
{
    qDebug() << "WinkwellGUI::on_toolButton_screenControlOnOff_toggled" << checked;
    saveSetting(SettingKeys::screenControl, checked);
    if (m_ui->slider_brightness->value() < 0) {
        m_ui->slider_brightness->setValue(0);
    }
    emit screenControlEnabled(checked, kScreenControlDelayMs);
}

void WinkwellGUI::on_pushButton_blinkMonitoringTakeFirstMeasurement_clicked()
{
    m_statusCode = 1;
    m_ui->label_blinkMonitoringMessage->setText(statusText(1));
    m_ui->label_blinkMonitoringMessage->show();
    m_ui->toolButton_blinkMonitoringOnOff->setChecked(true);
    emit measurementRequested();
}

void WinkwellGUI::on_checkBox_enableCompletedMeasurementNotification_toggled(bool checked)
{
    saveSetting(SettingKeys::measurementNotification, checked);
}

void WinkwellGUI::on_spinBox_trainingPeriod_valueChanged(int time)
{
    qDebug() << "WinkwellGUI::on_spinBox_trainingPeriod_valueChanged" << time;
    emit trainingPeriodChanged(time * 1000);
    saveSetting(SettingKeys::trainingPeriod, time);
}

void WinkwellGUI::on_checkBox_enableSound_toggled(bool checked)
{
    saveSetting(SettingKeys::reminderSound, checked);
}

void WinkwellGUI::on_radioButton_isReminderInteractive_toggled(bool checked)
{
    qDebug() << "WinkwellGUI::on_radioButton_isReminderInteractive_toggled" << checked;
    m_interactiveReminder = checked;
    // A camera pause forces the simple reminder for its time only; the user's choice stays
    // stored.
    if (!m_interactiveForcedToSimple) {
        saveSetting(SettingKeys::interactiveReminder, checked);
    }
    m_ui->checkBox_isMGDenabled->setEnabled(checked);
    emit reminderInteractivityChanged(checked);
    checkToDisableErrorToolTipIfNoCameraNeeded();
}

void WinkwellGUI::on_radioButton_isReminderSimple_toggled(bool checked)
{
    qDebug() << "WinkwellGUI::on_radioButton_isReminderSimple_toggled" << checked;
}

void WinkwellGUI::on_checkBox_isMGDenabled_toggled(bool checked)
{
    saveSetting(SettingKeys::mgdTraining, checked);
    emit training_mgd_status_changed(checked);
}

void WinkwellGUI::on_checkBox_isMGDenabled_clicked()
{
    QToolTip::showText(m_ui->checkBox_isMGDenabled->mapToGlobal(QPoint(0, 0)),
                       m_ui->checkBox_isMGDenabled->toolTip());
}

void WinkwellGUI::on_spinBox_timeBetweenBreaks_valueChanged(int minutes)
{
    qDebug() << "WinkwellGUI::on_spinBox_timeBetweenBreaks_valueChanged" << minutes;
    emit timeBetweenBreaksChanged(minutes);
    saveSetting(SettingKeys::timeBetweenBreaks, minutes);
}

void WinkwellGUI::on_checkBox_useWebcamInBreaks_toggled(bool checked)
{
    qDebug() << "WinkwellGUI::on_checkBox_useWebcamInBreaks_toggled" << checked;
    saveSetting(SettingKeys::useWebcamInBreaks, checked);
    emit useWebcamInBreaksChanged(checked);
}

void WinkwellGUI::on_checkBox_includeNaturalBreaks_toggled(bool checked)
{
    qDebug() << "WinkwellGUI::on_checkBox_includeNaturalBreaks_toggled" << checked;
    emit includeNaturalBreaksChanged(checked);
    saveSetting(SettingKeys::includeNaturalBreaks, checked);
}

void WinkwellGUI::on_spinBox_naturalBreaksDuration_valueChanged(int minutes)
{
    qDebug() << "WinkwellGUI::on_spinBox_naturalBreaksDuration_valueChanged" << minutes;
    emit naturalBreakDurationChanged(static_cast<uint>(minutes));
    m_breakReminder->setNaturalBreakDuration(minutes);
    saveSetting(SettingKeys::naturalBreakDuration, minutes);
}

void WinkwellGUI::on_slider_brightness_valueChanged(int value)
{
    qDebug() << "WinkwellGUI::on_slider_brightness_valueChanged" << value;
    m_ui->label_brightnessValue->setText(QString::number(value));
    emit brightnessSliderPositionChanged(value);
}

void WinkwellGUI::setBrightnessSliderPosition(int position)
{
    qDebug() << "WinkwellGUI::setBrightnessSliderPosition" << position;
    m_ui->slider_brightness->setValue(position);
}

void WinkwellGUI::enableHWbrightnessControl(int brightness)
{
    qDebug() << "WinkwellGUI::enableHWbrightnessControl" << brightness;
    m_ui->slider_brightness->setMaximum(10);
    qDebug() << "WinkwellGUI::setBrightnessSliderPosition";
    m_ui->slider_brightness->setValue(brightness);
}

void WinkwellGUI::disableHWbrightnessControl()
{
    qDebug() << "WinkwellGUI::disableHWbrightnessControl()";
    m_ui->slider_brightness->setMaximum(0);
}

void WinkwellGUI::colorTemperature_valueChanged(int id, bool checked)
{
    qDebug() << "WinkwellGUI::on_slider_colorTemperature_valueChanged" << id;
    if (checked) {
        saveSetting(SettingKeys::colorTemperature, id);
        emit colorTemperatureSliderPositionChanged(id);
    }
}

void WinkwellGUI::setColorTemperatureSliderPosition(int position)
{
    qDebug() << "WinkwellGUI::setColorTemperatureSliderPosition" << position;
    const int id = position == 45 || position == 55 ? position : 66;
    m_colorTemperatureButtons->button(id)->setChecked(true);
}

void WinkwellGUI::reloadCameras(int id)
{
    qDebug() << "WinkwellGUI::reloadCameras id" << id;
    if (id == -1) {
        id = m_cameraIndex;
    }
    if (m_ui->comboBox_chooseCamera->count() > 0) {
        m_ui->comboBox_chooseCamera->clear();
    }
    const QList<CaptureDevice> cameras = m_services.cameras->captureDevices();
    qDebug() << "WinkwellGUI::number of cameras" << cameras.size();
    for (const CaptureDevice& camera : cameras) {
        // Listed even when it may not be opened: the camera page then says how to allow it.
        m_ui->comboBox_chooseCamera->addItem(
            camera.readable ? camera.name : tr("%1 (no access)").arg(camera.name));
        qDebug() << "WinkwellGUI::" + camera.name << camera.path << camera.readable;
    }
    if (id < 0 || id >= m_ui->comboBox_chooseCamera->count()) {
        id = 0;
    }
    qDebug() << "WinkwellGUI::reloadCameras new id" << id;
    m_ui->comboBox_chooseCamera->setCurrentIndex(id);
    m_cameraIndex = id;
    emit cameraIDchanged(id);
}

void WinkwellGUI::on_comboBox_chooseCamera_activated(int index)
{
    if (index >= 0 && index < m_ui->comboBox_chooseCamera->count()) {
        m_cameraIndex = index;
        emit cameraIDchanged(index);
        saveSetting(SettingKeys::cameraId, index);
        qDebug() << "WinkwellGUI::on_comboBox_chooseCamera_activated chosen cam"
                 << m_ui->comboBox_chooseCamera->itemText(index);
    }
    emit cameraPreviewEnabled(true);
}

void WinkwellGUI::on_pushButton_cameraSettings_clicked()
{
    if (m_ui->comboBox_chooseCamera->count() == 0) {
        return;
    }
    qDebug() << "WinkwellGUI::on_pushButton_cameraSettings_clicked() camera" << m_cameraIndex;
    const std::unique_ptr<CameraControls> controls = m_services.cameraControls(m_cameraIndex);
    CameraSettingsDialog dialog(*controls, this);
    dialog.exec();
}

// On Linux the camera is refused by the device's permissions rather than by a privacy page: say
// which group gives access.
void WinkwellGUI::showCameraAccessHint()
{
    if (m_ui->comboBox_chooseCamera->count() == 0) {
        m_ui->widget_warningWin10->hide();
        return;
    }
    const CameraAccess access = m_services.cameraControls(m_cameraIndex)->access();
    if (access.state != CameraAccess::State::PermissionDenied) {
        m_ui->widget_warningWin10->hide();
        return;
    }
    const QString group =
        access.deviceGroup.isEmpty() ? QStringLiteral("video") : access.deviceGroup;
    m_ui->label_cameraAccessHint->setText(
        tr("Your user may not open %1. Add it to the group \"%2\" (for example: sudo adduser "
           "$USER %2), then log in again.")
            .arg(access.devicePath, group));
    m_ui->widget_warningWin10->show();
    qDebug() << "WinkwellGUI: no permission for" << access.devicePath << "group" << group;
}

void WinkwellGUI::on_pushButton_privacySettings_clicked()
{
    // Hidden on Linux, where no system page decides about the camera.
    on_toolButton_titleBarBack_clicked();
}

void WinkwellGUI::on_pushButton_changeBlinkReminderPosition_toggled(bool checked)
{
    if (checked) {
        m_ui->pushButton_changeBlinkReminderPosition->setText(tr("SAVE NEW POSITION"));
        m_blinkReminder->enterPositionChangeMode();
    } else {
        m_ui->pushButton_changeBlinkReminderPosition->setText(tr("CHANGE REMINDER POSITION"));
        m_blinkReminder->leavePositionChangeMode();
    }
}

void WinkwellGUI::on_checkBox_holdRemindersInCalls_toggled(bool checked)
{
    qDebug() << "WinkwellGUI::on_checkBox_holdRemindersInCalls_toggled" << checked;
    saveSetting(SettingKeys::holdRemindersInCalls, checked);
    m_ui->lineEdit_callTitles->setEnabled(checked);
    emit holdRemindersInCallsChanged(checked);
}

void WinkwellGUI::on_checkBox_pauseOnBattery_toggled(bool checked)
{
    qDebug() << "WinkwellGUI::on_checkBox_pauseOnBattery_toggled" << checked;
    saveSetting(SettingKeys::pauseOnBattery, checked);
    if (m_systemListener) {
        m_systemListener->checkBatteryStatus();
    }
}

void WinkwellGUI::on_checkBox_pauseAppWhenClonedScreen_toggled(bool checked)
{
    qDebug() << "WinkwellGUI::on_checkBox_pauseAppWhenClonedScreen_toggled" << checked;
    saveSetting(SettingKeys::pauseWhenClonedScreen, checked);
    if (m_systemListener) {
        m_systemListener->checkDisplayTopology();
    }
}

void WinkwellGUI::on_checkBox_whenTitleExists_toggled(bool checked)
{
    m_ui->lineEdit_whenTitleExists->setEnabled(checked);
    if (m_systemListener) {
        m_systemListener->enableWindowTitleCheck(checked);
    }
    saveSetting(SettingKeys::pauseCameraWhenTitle, checked);
    qDebug() << "on_checkBox_whenTitleExists_toggled" << checked;
    if (!checked) {
        resumeCameraFor(PauseReasons::CameraTitle);
    }
}

void WinkwellGUI::on_checkBox_whenProcessRun_toggled(bool checked)
{
    m_ui->lineEdit_whenProcessRun->setEnabled(checked);
    if (m_systemListener) {
        m_systemListener->enableProcessCheck(checked);
    }
    saveSetting(SettingKeys::pauseWhenProcess, checked);
    qDebug() << "on_checkBox_whenProcessRun_toggled" << checked;
    if (!checked) {
        resumeFor(PauseReasons::Process);
    }
}

void WinkwellGUI::on_checkBox_pauseApp_whenTitleExist_toggled(bool checked)
{
    m_ui->lineEdit_pauseApp_whenTitleExists->setEnabled(checked);
    if (m_systemListener) {
        m_systemListener->enablePauseAppWindowTitleCheck(checked);
    }
    saveSetting(SettingKeys::pauseWhenTitle, checked);
    qDebug() << "on_checkBox_pauseApp_whenTitleExist_toggled" << checked;
    if (!checked) {
        resumeFor(PauseReasons::PauseTitle);
    }
}

// The lists reach the OS listener once the user has finished typing them (connectLists()).
void WinkwellGUI::on_lineEdit_whenTitleExists_textChanged(const QString& text)
{
    saveSetting(SettingKeys::cameraTitleList, text);
    qDebug() << "on_lineEdit_whenTitleExists_textChanged" << text;
}

void WinkwellGUI::on_lineEdit_pauseApp_whenTitleExists_textChanged(const QString& text)
{
    saveSetting(SettingKeys::pauseTitleList, text);
    qDebug() << "on_lineEdit_pauseApp_whenTitleExists_textChanged" << text;
}

void WinkwellGUI::on_lineEdit_callTitles_textChanged(const QString& text)
{
    saveSetting(SettingKeys::callTitleList, text);
    qDebug() << "on_lineEdit_callTitles_textChanged" << text;
}

void WinkwellGUI::on_lineEdit_whenProcessRun_textChanged(const QString& text)
{
    saveSetting(SettingKeys::processList, text);
    qDebug() << "on_lineEdit_whenProcessRun_textChanged" << text;
}

void WinkwellGUI::connectLists()
{
    const auto toListener = [this](QLineEdit* edit,
                                   void (SystemSession::EventFilter::*set)(QString)) {
        connect(new SettledLineEdit(edit), &SettledLineEdit::settled, this,
                [this, set](const QString& text) {
                    if (m_systemListener) {
                        (m_systemListener.get()->*set)(text);
                    }
                });
    };
    toListener(m_ui->lineEdit_whenTitleExists, &SystemSession::EventFilter::setWindowTitles);
    toListener(m_ui->lineEdit_pauseApp_whenTitleExists,
               &SystemSession::EventFilter::setPauseAppWindowTitles);
    toListener(m_ui->lineEdit_whenProcessRun, &SystemSession::EventFilter::setProcesses);
    toListener(m_ui->lineEdit_callTitles, &SystemSession::EventFilter::setCallWindowTitles);
}

void WinkwellGUI::on_checkBox_enableBeta_toggled(bool checked)
{
    qDebug() << "WinkwellGUI::on_checkBox_enableBeta_toggled" << checked;
    saveSetting(SettingKeys::betaUpdates, checked);
    emit betaUpdatesChanged(checked);
}

void WinkwellGUI::on_checkBox_settingsStartOnStartUp_toggled(bool isChecked)
{
    saveSetting(SettingKeys::startWithSystem, isChecked);
    if (isChecked && m_loadingSettings) {
        // The user's choice in the desktop's own start-up settings stays.
        m_services.autostart->refresh(QCoreApplication::applicationFilePath());
    } else if (isChecked) {
        m_services.autostart->enable(QCoreApplication::applicationFilePath());
    } else {
        m_services.autostart->disable();
    }
}

void WinkwellGUI::on_checkBox_settingsSendStatistics_toggled(bool isChecked)
{
    saveSetting(SettingKeys::sendStatistics, isChecked);
}

void WinkwellGUI::loadLanguages()
{
    m_languages = m_services.languages();
    QString name = readString(SettingKeys::localeName);
    if (name.isEmpty()) {
        name = QLocale::system().name();
    }
    m_ui->comboBox_chosenLanguage->clear();
    const QLocale stored(name);
    for (int i = 0; i < m_languages.size(); ++i) {
        m_ui->comboBox_chosenLanguage->addItem(m_languages.at(i).nativeLanguageName());
        if (m_languages.at(i) == stored) {
            m_ui->comboBox_chosenLanguage->setCurrentIndex(i);
            m_languageIndex = i;
        }
    }
}

void WinkwellGUI::on_comboBox_chosenLanguage_activated(int index)
{
    if (index == m_languageIndex || index < 0 || index >= m_languages.size()) {
        return;
    }
    qDebug() << "WinkwellGUI:on_comboBox_chosenLanguage_activated()" << index;
    saveSetting(SettingKeys::localeName, m_languages.at(index).name());
    m_services.setLanguage(index);
    m_languageIndex = index;
}

void WinkwellGUI::on_pushButton_settingsProxy_clicked()
{
    emit proxyGuiRequested();
}

void WinkwellGUI::on_pushButton_notices_clicked()
{
    const QString notices = QCoreApplication::applicationDirPath() + QStringLiteral("/notices.pdf");
    if (!QFile::exists(notices)) {
        qDebug() << "WinkwellGUI: no notices file at" << notices;
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(notices));
}

void WinkwellGUI::on_toolButton_6_clicked()
{
    AboutLinks::open(AboutLinks::makerSite);
}

void WinkwellGUI::on_toolButton_7_clicked()
{
    AboutLinks::open(AboutLinks::partnerSite);
}

void WinkwellGUI::on_toolButton_facebook_clicked()
{
    AboutLinks::open(AboutLinks::socialMediaPage);
}
