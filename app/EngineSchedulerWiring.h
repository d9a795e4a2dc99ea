#pragma once

#include "controller/ApplicationController.h"

#include <QObject>

// Every connection between the camera engine and the scheduler. A template so that the
// scheduler's tests wire their stand-in engine exactly as the program wires the real one: the
// program passes a queued connection (the two live in different threads), the tests a direct one.
template <typename Engine>
void connectEngineAndScheduler(Engine* model, ApplicationController* controller,
                               Qt::ConnectionType type)
{
    QObject::connect(model, &Engine::blinkDetected, controller,
                     &ApplicationController::processDetectedBlink, type);
    QObject::connect(model, &Engine::errorOccurred, controller,
                     &ApplicationController::processError, type);
    QObject::connect(model, &Engine::stopped, controller,
                     &ApplicationController::processStoppedBlinkDetection, type);
    QObject::connect(model, &Engine::trainingStarted, controller,
                     &ApplicationController::adjustBlinkTrainingForMGD, type);
    QObject::connect(model, &Engine::blinkReactionToReminder, controller,
                     &ApplicationController::processBlinkForTraining, type);
    QObject::connect(model, &Engine::measurementSuccessful, controller,
                     &ApplicationController::processMeasurement, type);
    QObject::connect(controller, &ApplicationController::startLivePreviewRequested, model,
                     &Engine::startLivePreview, type);
    QObject::connect(controller, &ApplicationController::stopCameraUseRequested, model,
                     &Engine::stop, type);
    QObject::connect(controller, &ApplicationController::cameraIDchanged, model,
                     &Engine::setCameraID, type);
    QObject::connect(controller, &ApplicationController::blinkMeasurementRequested, model,
                     &Engine::startBlinkMeasurement, type);
    QObject::connect(controller, &ApplicationController::blinkInteractiveTrainingRequested, model,
                     &Engine::startTraining, type);
    QObject::connect(controller, &ApplicationController::detectUserWithWebcamRequested, model,
                     &Engine::detectUser, type);
    QObject::connect(model, &Engine::userPresenceDetected, controller,
                     &ApplicationController::processUserPresence, type);
    QObject::connect(model, &Engine::presenceLookFailed, controller,
                     &ApplicationController::processPresenceLookFailed, type);
}
