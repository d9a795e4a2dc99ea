// The main window's status: the status line and its codes, the errors the camera reports, the
// tray icon's state and tooltip, and the blink-rate overview that decides the status line.

#include "BlinkRatePlot.h"
#include "WinkwellGUI.h"
#include "ui_WinkwellGUI.h"

#include <QDebug>

namespace {
constexpr int kErrorBalloonMs = 7000;
} // namespace

QString WinkwellGUI::statusText(int code) const
{
    switch (code) {
    case 1:
        return tr("Measurement will start shortly.");
    case 2:
        return tr("No measurement taken yet. Your blink rate is measured approximately every 30 "
                  "minutes.");
    case 3:
        return tr("Measurement in progress");
    case 4:
        return tr("Winkwell observes your blinks (blink training is active).");
    case 5:
        return tr("Winkwell looks whether you are at the screen.");
    default:
        return QString();
    }
}

QString WinkwellGUI::errorText(Error error) const
{
    switch (error) {
    case ErrorMissingData:
        return tr("Error:") + tr(" insufficient memory RAM or missing data.dat.");
    case ErrorCameraOccupied:
        return tr("Error:") + tr(" camera is used by other software.");
    case ErrorLowFps:
        return tr("Error:") + tr(" low frame per second, cheap camera or bad light conditions.");
    case ErrorNoFace:
        return tr("Face not detected, please test blink detection performance (webcam icon).");
    case ErrorMoreFaces:
        return tr("More than one face detected.");
    case ErrorEmptyFrame:
        return tr("Error:") + tr(" empty frame received, camera unplugged? (or bad cable or broken "
                                 "camera or bad driver).");
    case ErrorNoCamera:
        return tr("Error:") + tr(" camera is not connected.");
    default:
        return tr("no error");
    }
}

void WinkwellGUI::updateSystemTray()
{
    if (m_programPause.isPaused()) {
        m_trayTitle = tr("winkwell - presentation mode");
        m_trayIcon->setIcon(QIcon(QStringLiteral(":/icons/grayIcon16.svg")));
        m_trayIcon->setToolTip(m_trayTitle);
    } else if (m_errorShown) {
        m_trayIcon->setIcon(QIcon(QStringLiteral(":/icons/iconOrange16.svg")));
        m_trayIcon->setToolTip(errorText(m_currentError));
        if (!m_errorBalloonShown) {
            showTrayMessage(QStringLiteral("winkwell"), errorText(m_currentError),
                            QSystemTrayIcon::NoIcon, kErrorBalloonMs);
            m_errorBalloonShown = true;
        }
    } else if (m_cameraPause.isPaused()) {
        m_trayTitle = tr("winkwell camera use paused");
        m_trayIcon->setIcon(QIcon(QStringLiteral(":/icons/webcamOff.svg")));
        m_trayIcon->setToolTip(m_trayTitle);
    } else {
        m_trayIcon->setIcon(QIcon(QStringLiteral(":/icons/icon16.svg")));
        m_trayTitle = QStringLiteral("winkwell");
        if (m_inCall) {
            m_trayIcon->setToolTip(tr("winkwell - in a call: reminders wait"));
        } else {
            m_trayIcon->setToolTip(m_statusCode >= 3 ? statusText(m_statusCode) : m_trayTitle);
        }
    }
    if (m_ui->label_blinkMonitoringMessage->isVisible()) {
        m_ui->label_blinkMonitoringMessage->setText(
            m_currentError != ErrorNone ? errorText(m_currentError) : statusText(m_statusCode));
    }
    if (m_ui->widget_mainPage->isVisible()) {
        m_ui->label_titleBarTitle->setText(m_trayTitle);
    }
    for (QWidget* panel :
         {m_ui->widget_automaticBrightness, m_ui->widget_blinkTraining, m_ui->widget_eyeExercises,
          m_ui->widget_breaks, m_ui->widget_blinkMonitoring}) {
        panel->setEnabled(!m_programPause.isPaused());
    }
    if (m_cameraPause.isPaused()) {
        m_ui->radioButton_isReminderInteractive->setEnabled(false);
        if (m_ui->radioButton_isReminderInteractive->isChecked()) {
            m_interactiveForcedToSimple = true;
            m_ui->radioButton_isReminderSimple->setChecked(true);
        }
        m_ui->toolButton_blinkMonitoringOnOff->setEnabled(false);
    } else {
        m_ui->radioButton_isReminderInteractive->setEnabled(true);
        if (m_ui->radioButton_isReminderSimple->isChecked() && m_interactiveForcedToSimple) {
            m_interactiveForcedToSimple = false;
            m_ui->radioButton_isReminderInteractive->setChecked(true);
        }
        m_ui->toolButton_blinkMonitoringOnOff->setEnabled(true);
    }
}

void WinkwellGUI::showError(Error error)
{
    m_currentError = error;
    m_statusCode = 0;
    switch (error) {
    case ErrorMissingData:
        m_errorShown = true;
        break;
    case ErrorCameraOccupied:
    case ErrorNoCamera:
        reloadCameras(-1);
        m_errorShown = true;
        m_currentError =
            m_ui->comboBox_chooseCamera->count() > 0 ? ErrorCameraOccupied : ErrorNoCamera;
        break;
    case ErrorEmptyFrame:
        reloadCameras(-1);
        m_errorShown = true;
        break;
    default:
        break;
    }
    // The camera-access hint of the camera test page stands in for the privacy-settings one.
    if (error == ErrorCameraOccupied || error == ErrorEmptyFrame || error == ErrorNoCamera) {
        showCameraAccessHint();
    }
    qDebug() << "WinkwellGUI::showError" << errorText(error);
    updateSystemTray();
}

void WinkwellGUI::adjustSystemTrayBasedOnFunctionalityAccessingCamera(Feature functionality)
{
    qDebug() << "WinkwellGUI::adjustSystemTrayBasedOnFunctionalityAccessingCamera"
             << featureName(functionality);
    m_errorShown = false;
    m_errorBalloonShown = false;
    if (m_ui->widget_warningWin10->isVisible()) {
        m_ui->widget_warningWin10->hide();
    }
    m_currentError = ErrorNone;
    if (functionality == FeatureMeasurement) {
        m_statusCode = 3;
        if (m_ui->label_blinkMonitoringMessage->isVisible()) {
            m_ui->label_blinkMonitoringMessage->setText(tr("Measurement in progress"));
        }
    } else if (functionality == FeatureInteractiveTraining) {
        m_statusCode = 4;
    } else if (functionality == FeaturePresence) {
        m_statusBeforeLook = m_statusCode;
        m_statusCode = 5;
    }
    updateSystemTray();
}

void WinkwellGUI::processCameraRunEnded(const CameraRunReport& report)
{
    if (report.kind == FeaturePresence && m_statusCode == 5) {
        m_statusCode = m_statusBeforeLook;
        updateSystemTray();
    }
}

void WinkwellGUI::checkToDisableErrorToolTipIfNoCameraNeeded()
{
    if (m_errorShown && !m_measurementOn && !(m_trainingOn && m_interactiveReminder)) {
        qDebug() << "WinkwellGUI::checkToDisableErrorToolTipIfNoCameraNeeded()";
        m_currentError = ErrorNone;
        m_errorShown = false;
        m_errorBalloonShown = false;
        updateSystemTray();
    }
}

void WinkwellGUI::leaveCameraStatus()
{
    if (m_statusCode == 3) {
        m_statusCode = m_ui->label_blinkMonitoringMessage->isVisible() ? 2 : 0;
    }
    if (m_statusCode == 4) {
        m_statusCode = 0;
    }
}

void WinkwellGUI::updateHealthStatus(QVector<double> blinkRates, QVector<int> blinkLengths,
                                     QVector<QDateTime> dateTimes)
{
    qDebug() << "WinkwellGUI::updateHealthStatus" << blinkRates.size();
    const std::optional<float> average = m_plot->setHistory(blinkRates, blinkLengths, dateTimes);
    if (average) {
        m_statusCode = 0;
        m_ui->label_blinkMonitoringMessage->hide();
        m_ui->pushButton_blinkMonitoringTakeFirstMeasurement->hide();
        emit blinkRateChanged(*average);
    } else {
        m_statusCode = 2;
        m_ui->label_blinkMonitoringMessage->setText(statusText(2));
        m_ui->label_blinkMonitoringMessage->show();
        m_ui->pushButton_blinkMonitoringTakeFirstMeasurement->show();
    }
    updateSystemTray();
    fitToContents();
}
