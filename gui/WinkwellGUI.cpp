#include "WinkwellGUI.h"

#include "common/SettingsStore.h"
#include "platform/Autostart.h"
#include "reminders/BlinkReminderWidget.h"
#include "reminders/BreakReminderWidget.h"
#include "reminders/ExerciseReminderWidget.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QDesktopWidget>
#include <QEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

WinkwellGUI::WinkwellGUI(QWidget* parent)
    : QWidget(parent), m_image(new QLabel(this)), m_status(new QLabel(this)),
      m_changeReminderPosition(new QPushButton(tr("CHANGE REMINDER POSITION"), this)),
      m_blinkReminder(new BlinkReminderWidget(this)),
      m_breakReminder(new BreakReminderWidget(this)),
      m_exerciseReminder(new ExerciseReminderWidget(this)), m_autostart(createAutostart())
{
    setWindowTitle(QStringLiteral("Winkwell"));
    auto* layout = new QVBoxLayout(this);
    m_image->setMinimumSize(400, 300);
    m_image->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_image);
    layout->addWidget(m_status);
    m_changeReminderPosition->setObjectName(
        QStringLiteral("pushButton_changeBlinkReminderPosition"));
    m_changeReminderPosition->setCheckable(true);
    layout->addWidget(m_changeReminderPosition);
    resize(440, 420);

    connect(m_changeReminderPosition, &QPushButton::toggled, this,
            &WinkwellGUI::on_pushButton_changeBlinkReminderPosition_toggled);
    connect(m_blinkReminder, &BlinkReminderWidget::hideBlinkReminderByMouseRequested, this,
            &WinkwellGUI::hideBlinkReminderByMouseRequested);
    connect(m_breakReminder, &BreakReminderWidget::skipClicked, this,
            &WinkwellGUI::skipBreakClicked);
    connect(m_breakReminder, &BreakReminderWidget::snoozeClicked, this,
            &WinkwellGUI::snoozeBreakClicked);
    connect(m_exerciseReminder, &ExerciseReminderWidget::exerciseFinished, this,
            &WinkwellGUI::exerciseFinished);
}

WinkwellGUI::~WinkwellGUI()
{
    m_closing = true;
    hideBlinkReminder();
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
    // Applied whether or not it differs from the designer value: an unchecked radio button set
    // to unchecked would say nothing.
    on_radioButton_isReminderInteractive_toggled(flag(interactiveReminder));
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
    m_reminderSound = flag(reminderSound);
    // Written again at each start, so the entry follows the program when it moves.
    if (flag(startWithSystem)) {
        on_checkBox_settingsStartOnStartUp_toggled(true);
    }
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
    if (m_closing) {
        return;
    }
    m_blinkReminder->rollOut(m_reminderSound);
}

void WinkwellGUI::responceToBlink()
{
    qDebug() << "WinkwellGUI::responceToBlink()";
    hideBlinkReminder();
}

void WinkwellGUI::hideBlinkReminder()
{
    qDebug() << "WinkwellGUI::hideBlinkReminder()";
    if (m_blinkReminder->isVisible()) {
        m_blinkReminder->rollIn();
    }
}

void WinkwellGUI::on_pushButton_changeBlinkReminderPosition_toggled(bool checked)
{
    if (checked) {
        m_changeReminderPosition->setText(tr("SAVE NEW POSITION"));
        m_blinkReminder->enterPositionChangeMode();
    } else {
        m_changeReminderPosition->setText(tr("CHANGE REMINDER POSITION"));
        m_blinkReminder->leavePositionChangeMode();
    }
}

void WinkwellGUI::on_radioButton_isReminderInteractive_toggled(bool isInteractive)
{
    qDebug() << "WinkwellGUI::on_radioButton_isReminderInteractive_toggled" << isInteractive;
    m_isReminderInteractive = isInteractive;
    saveSetting(SettingKeys::interactiveReminder, isInteractive);
    emit reminderInteractivityChanged(isInteractive);
}

void WinkwellGUI::on_checkBox_settingsStartOnStartUp_toggled(bool isChecked)
{
    saveSetting(SettingKeys::startWithSystem, isChecked);
    if (isChecked) {
        m_autostart->enable(QCoreApplication::applicationFilePath());
    } else {
        m_autostart->disable();
    }
}

void WinkwellGUI::showBreakReminder()
{
    qDebug() << "WinkwellGUI::showBreakReminder()";
    m_breakReminder->popUp();
}

void WinkwellGUI::hideBreakReminder()
{
    qDebug() << "WinkwellGUI::hideBreakReminder()";
    m_breakReminder->hide();
}

void WinkwellGUI::showExercise()
{
    qDebug() << "WinkwellGUI::showExercise()";
    m_exerciseReminder->fadeIn();
}

void WinkwellGUI::hideExerciseReminder()
{
    qDebug() << "WinkwellGUI::hideExerciseReminder()";
    m_exerciseReminder->stop();
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

void WinkwellGUI::closeEvent(QCloseEvent* event)
{
    m_closing = true;
    hideBlinkReminder();
    QWidget::closeEvent(event);
}

void WinkwellGUI::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        emit languageChanged();
    }
    QWidget::changeEvent(event);
}
