#include "SchedulerWindowWiring.h"

#include "controller/ApplicationController.h"
#include "gui/WinkwellGUI.h"

void connectSchedulerAndWindows(ApplicationController* controller, WinkwellGUI* gui)
{
    // What the scheduler asks the windows to show.
    QObject::connect(controller, &ApplicationController::blinkReminderRequested, gui,
                     &WinkwellGUI::showReminder);
    QObject::connect(controller, &ApplicationController::userBlinked, gui,
                     &WinkwellGUI::responceToBlink);
    QObject::connect(controller, &ApplicationController::breakRequested, gui,
                     &WinkwellGUI::showBreakReminder);
    QObject::connect(controller, &ApplicationController::breakFinished, gui,
                     &WinkwellGUI::hideBreakReminder);
    QObject::connect(controller, &ApplicationController::exerciseFinished, gui,
                     &WinkwellGUI::hideExerciseReminder);
    QObject::connect(controller, &ApplicationController::exerciseRequested, gui,
                     &WinkwellGUI::showExercise);
    QObject::connect(controller, &ApplicationController::measurementCompleted, gui,
                     &WinkwellGUI::showBubleNotificationAboutMeasurement);
    QObject::connect(controller, &ApplicationController::adjustBrightnessSlider, gui,
                     &WinkwellGUI::setBrightnessSliderPosition);
    QObject::connect(controller, &ApplicationController::adjustColorTemperatureSlider, gui,
                     &WinkwellGUI::setColorTemperatureSliderPosition);
    QObject::connect(controller, &ApplicationController::noHWbrightnessControlDetected, gui,
                     &WinkwellGUI::disableHWbrightnessControl);
    QObject::connect(controller, &ApplicationController::HWbrightnessControlDetected, gui,
                     &WinkwellGUI::enableHWbrightnessControl);
    QObject::connect(controller, &ApplicationController::readyForSleep, gui,
                     &WinkwellGUI::confirmReadyForSleep);
    QObject::connect(controller, &ApplicationController::heldBreakRequested, gui,
                     &WinkwellGUI::showHeldBreakReminder);
    QObject::connect(controller, &ApplicationController::callStateChanged, gui,
                     &WinkwellGUI::setInCall);

    // The user's choices.
    QObject::connect(gui, &WinkwellGUI::powerSaverActivated, controller,
                     &ApplicationController::enableBrightnessSaver);
    QObject::connect(gui, &WinkwellGUI::includeNaturalBreaksChanged, controller,
                     &ApplicationController::includeNaturalBreaks);
    QObject::connect(gui, &WinkwellGUI::holdRemindersInCallsChanged, controller,
                     &ApplicationController::holdRemindersInCalls);
    QObject::connect(gui, &WinkwellGUI::callWindowsChanged, controller,
                     &ApplicationController::processCallWindows);
    QObject::connect(gui, &WinkwellGUI::naturalBreakDurationChanged, controller,
                     &ApplicationController::setNaturalBreakDuration);
    QObject::connect(gui, &WinkwellGUI::skipBreakClicked, controller,
                     &ApplicationController::skipBreak);
    QObject::connect(gui, &WinkwellGUI::snoozeBreakClicked, controller,
                     &ApplicationController::snoozeBreak);
    QObject::connect(gui, &WinkwellGUI::exerciseFinished, controller,
                     &ApplicationController::quitExercise);
    QObject::connect(gui, &WinkwellGUI::eyeExerciseReminderEnabled, controller,
                     &ApplicationController::enableEyeExercisebreaks);
    QObject::connect(gui, &WinkwellGUI::breakReminderEnabled, controller,
                     &ApplicationController::enableComputerBreaks);
    QObject::connect(gui, &WinkwellGUI::useWebcamInBreaksChanged, controller,
                     &ApplicationController::useWebcamInComputerBreaks);
    QObject::connect(gui, &WinkwellGUI::timeBetweenBreaksChanged, controller,
                     &ApplicationController::changeTimeBetweenBreakReminders);
    QObject::connect(gui, &WinkwellGUI::reminderInteractivityChanged, controller,
                     &ApplicationController::enableInteractiveBlinkReminder);
    QObject::connect(gui, &WinkwellGUI::cameraIDchanged, controller,
                     &ApplicationController::setCameraIDpreffered);
    QObject::connect(gui, &WinkwellGUI::hideBlinkReminderByMouseRequested, controller,
                     &ApplicationController::quitBlinkTraining);
    QObject::connect(gui, &WinkwellGUI::training_mgd_status_changed, controller,
                     &ApplicationController::enableMGDblinkTraining);
    QObject::connect(gui, &WinkwellGUI::pauseRequested, controller,
                     &ApplicationController::pauseProgram);
    QObject::connect(gui, &WinkwellGUI::disableCameraUse, controller,
                     &ApplicationController::pauseCameraFeatures);
    // After pauseRequested(true), from the same thread: the controller is paused when it comes.
    QObject::connect(gui, &WinkwellGUI::sleepPreparationRequested, controller,
                     &ApplicationController::prepareForSleep);
    QObject::connect(gui, &WinkwellGUI::cameraPreviewEnabled, controller,
                     &ApplicationController::enableLivePreview);
    QObject::connect(gui, &WinkwellGUI::trainingEnabled, controller,
                     &ApplicationController::enableBlinkTraining);
    QObject::connect(gui, &WinkwellGUI::lidStatusOpen, controller,
                     &ApplicationController::setLidOpenStatus);
    QObject::connect(gui, &WinkwellGUI::screenControlEnabled, controller,
                     &ApplicationController::enableScreenControl);
    QObject::connect(gui, &WinkwellGUI::brightnessSliderPositionChanged, controller,
                     &ApplicationController::setBrightness);
    QObject::connect(gui, &WinkwellGUI::colorTemperatureSliderPositionChanged, controller,
                     &ApplicationController::setColorTemperature);
    QObject::connect(gui, &WinkwellGUI::measurementEnabled, controller,
                     &ApplicationController::enableMeasurement);
    QObject::connect(gui, &WinkwellGUI::blinkRateChanged, controller,
                     &ApplicationController::setBlinkRate);
    QObject::connect(gui, &WinkwellGUI::trainingPeriodChanged, controller,
                     &ApplicationController::setBlinkReminderPeriod);
    QObject::connect(gui, &WinkwellGUI::measurementRequested, controller,
                     &ApplicationController::takeMeasurementNow);
}
