#pragma once

#include "common/Error.h"
#include "common/Feature.h"

#include <QDateTime>
#include <QLabel>
#include <QVector>
#include <QWidget>
#include <memory>

class Autostart;
class BlinkReminderWidget;
class BreakReminderWidget;
class ExerciseReminderWidget;
class QPushButton;

// The main window. For now a plain window with the camera picture and a status line; it already
// carries every slot and signal the application wires, so the full window can take its place.
class WinkwellGUI : public QWidget
{
    Q_OBJECT

public:
    explicit WinkwellGUI(QWidget* parent = nullptr);
    ~WinkwellGUI() override;

    // What the window last showed, for tests and the log.
    QString statusText() const;
    QImage lastImage() const { return m_lastImage; }
    int initCount() const { return m_initCount; }
    BlinkReminderWidget* blinkReminder() const { return m_blinkReminder; }
    BreakReminderWidget* breakReminder() const { return m_breakReminder; }
    ExerciseReminderWidget* exerciseReminder() const { return m_exerciseReminder; }

public slots:
    void init();
    void openWindow();
    void loadSettings();
    void showError(Error error);
    void showImage(QImage* image);
    void adjustSystemTrayBasedOnFunctionalityAccessingCamera(Feature functionality);
    void showBubleNotificationAboutMeasurement(double blinkRate);
    void showInternetUnreachable();
    void showReminder();
    void responceToBlink();
    void showBreakReminder();
    void hideBreakReminder();
    void showExercise();
    void hideExerciseReminder();
    void updateHealthStatus(QVector<double> blinkRates, QVector<int> lengths,
                            QVector<QDateTime> times);
    void setBrightnessSliderPosition(int position);
    void setColorTemperatureSliderPosition(int position);
    void disableHWbrightnessControl();
    void enableHWbrightnessControl(int brightness);
    void on_toolButton_titleBarClose_clicked();
    void hideBlinkReminder();
    void on_pushButton_changeBlinkReminderPosition_toggled(bool checked);
    void on_checkBox_settingsStartOnStartUp_toggled(bool isChecked);
    void on_radioButton_isReminderInteractive_toggled(bool isInteractive);

signals:
    void languageChanged();
    void powerSaverActivated(bool enabled);
    void includeNaturalBreaksChanged(bool include);
    void naturalBreakDurationChanged(uint minutes);
    void skipBreakClicked();
    void snoozeBreakClicked();
    void exerciseFinished();
    void eyeExerciseReminderEnabled(bool enabled);
    void breakReminderEnabled(bool enabled);
    void useWebcamInBreaksChanged(bool use);
    void timeBetweenBreaksChanged(int minutes);
    void reminderInteractivityChanged(bool interactive);
    void cameraIDchanged(int id);
    void hideBlinkReminderByMouseRequested();
    void training_mgd_status_changed(bool enabled);
    void pauseRequested(bool pause);
    void disableCameraUse(bool disable);
    void cameraPreviewEnabled(bool enabled);
    void trainingEnabled(bool enabled);
    void lidStatusOpen(bool open);
    void screenControlEnabled(bool enabled, int delayMs);
    void brightnessSliderPositionChanged(int position);
    void colorTemperatureSliderPositionChanged(int position);
    void measurementEnabled(bool enabled);
    void blinkRateChanged(float blinkRate);
    void trainingPeriodChanged(int milliseconds);
    void measurementRequested();
    void proxyGuiRequested();
    void showStatisticsRequired();
    void computerWakenUp();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setStatus(const QString& text);

    QLabel* m_image;
    QLabel* m_status;
    QPushButton* m_changeReminderPosition;
    BlinkReminderWidget* m_blinkReminder;
    BreakReminderWidget* m_breakReminder;
    ExerciseReminderWidget* m_exerciseReminder;
    std::unique_ptr<Autostart> m_autostart;
    bool m_closing = false;
    bool m_reminderSound = false;
    bool m_isReminderInteractive = false;
    QImage m_lastImage;
    int m_initCount = 0;
};
