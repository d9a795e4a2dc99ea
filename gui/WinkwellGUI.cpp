#include "WinkwellGUI.h"

#include "common/SettingsStore.h"

#include <QApplication>
#include <QDebug>
#include <QDesktopWidget>
#include <QEvent>
#include <QScreen>
#include <QVBoxLayout>

WinkwellGUI::WinkwellGUI(QWidget* parent)
    : QWidget(parent), m_image(new QLabel(this)), m_status(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Winkwell"));
    auto* layout = new QVBoxLayout(this);
    m_image->setMinimumSize(400, 300);
    m_image->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_image);
    layout->addWidget(m_status);
    resize(440, 380);
}

QString WinkwellGUI::statusText() const
{
    return m_status->text();
}

void WinkwellGUI::setStatus(const QString& text)
{
    m_status->setText(text);
}

void WinkwellGUI::init()
{
    qDebug() << "WinkwellGUI::init()";
    ++m_initCount;
    loadSettings();
}

// Pushes every stored choice to the controllers, with the defaults of a first start.
void WinkwellGUI::loadSettings()
{
    qDebug() << "WinkwellGUI::loadSettings()";
    auto store = openSettingsStore();
    const auto flag = [&](const SettingKey& key) { return readSetting(*store, key).toBool(); };
    const auto number = [&](const SettingKey& key) { return readSetting(*store, key).toInt(); };
    using namespace SettingKeys;
    emit training_mgd_status_changed(flag(mgdTraining));
    emit reminderInteractivityChanged(flag(interactiveReminder));
    emit measurementEnabled(flag(measurement));
    emit trainingEnabled(flag(training));
    emit includeNaturalBreaksChanged(flag(includeNaturalBreaks));
    emit trainingPeriodChanged(number(trainingPeriod) * 1000);
    emit timeBetweenBreaksChanged(number(timeBetweenBreaks));
    emit naturalBreakDurationChanged(static_cast<uint>(number(naturalBreakDuration)));
    emit eyeExerciseReminderEnabled(flag(eyeExercises));
    emit breakReminderEnabled(flag(computerBreaks));
    emit cameraIDchanged(qMax(0, number(cameraId)));
    emit colorTemperatureSliderPositionChanged(number(colorTemperature));
    emit screenControlEnabled(flag(screenControl), 1000);
}

void WinkwellGUI::openWindow()
{
    qDebug() << "WinkwellGUI::openWindow()" << isHidden();
    show();
    activateWindow();
    raise();
    if (QApplication::desktop()->screenNumber(this) == -1) {
        qDebug() << "WinkwellGUI::openWindow() gui out of the screen";
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            move(screen->geometry().width() / 2, 0);
        }
    }
}

void WinkwellGUI::showError(Error error)
{
    qDebug() << "WinkwellGUI::showError" << errorName(error);
    setStatus(errorName(error));
}

void WinkwellGUI::showImage(QImage* image)
{
    if (!image) {
        return;
    }
    // Copied at once: the engine may reuse the image after this slot returns.
    m_lastImage = image->copy();
    m_image->setPixmap(QPixmap::fromImage(m_lastImage).scaledToWidth(400, Qt::FastTransformation));
    m_image->repaint();
}

void WinkwellGUI::adjustSystemTrayBasedOnFunctionalityAccessingCamera(Feature functionality)
{
    qDebug() << "WinkwellGUI::adjustSystemTrayBasedOnFunctionalityAccessingCamera"
             << featureName(functionality);
    setStatus(tr("Camera in use: %1").arg(featureName(functionality)));
}

void WinkwellGUI::showBubleNotificationAboutMeasurement(double blinkRate)
{
    qDebug() << "WinkwellGUI::showBubleNotificationAboutMeasurement" << blinkRate;
    setStatus(tr("Blink rate measured: %1 per minute").arg(blinkRate));
}

void WinkwellGUI::showInternetUnreachable()
{
    qDebug() << "WinkwellGUI::showInternetUnreachable()";
}

void WinkwellGUI::showReminder()
{
    qDebug() << "WinkwellGUI::showReminder()";
    setStatus(tr("Blink!"));
}

void WinkwellGUI::responceToBlink()
{
    qDebug() << "WinkwellGUI::responceToBlink()";
    setStatus(QString());
}

void WinkwellGUI::showBreakReminder()
{
    qDebug() << "WinkwellGUI::showBreakReminder()";
    setStatus(tr("Time for a break"));
}

void WinkwellGUI::hideBreakReminder()
{
    qDebug() << "WinkwellGUI::hideBreakReminder()";
    setStatus(QString());
}

void WinkwellGUI::showExercise()
{
    qDebug() << "WinkwellGUI::showExercise()";
    setStatus(tr("Eye exercise"));
}

void WinkwellGUI::hideExerciseReminder()
{
    qDebug() << "WinkwellGUI::hideExerciseReminder()";
    setStatus(QString());
}

void WinkwellGUI::updateHealthStatus(QVector<double> blinkRates, QVector<int>, QVector<QDateTime>)
{
    qDebug() << "WinkwellGUI::updateHealthStatus" << blinkRates.size();
}

void WinkwellGUI::setBrightnessSliderPosition(int position)
{
    qDebug() << "WinkwellGUI::setBrightnessSliderPosition" << position;
}

void WinkwellGUI::setColorTemperatureSliderPosition(int position)
{
    qDebug() << "WinkwellGUI::setColorTemperatureSliderPosition" << position;
}

void WinkwellGUI::disableHWbrightnessControl()
{
    qDebug() << "WinkwellGUI::disableHWbrightnessControl()";
}

void WinkwellGUI::enableHWbrightnessControl(int brightness)
{
    qDebug() << "WinkwellGUI::enableHWbrightnessControl" << brightness;
}

void WinkwellGUI::on_toolButton_titleBarClose_clicked()
{
    qDebug() << "WinkwellGUI::on_toolButton_titleBarClose_clicked()";
    hide();
}

void WinkwellGUI::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        emit languageChanged();
    }
    QWidget::changeEvent(event);
}
