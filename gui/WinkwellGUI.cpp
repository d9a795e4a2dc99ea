#include "WinkwellGUI.h"

#include "AboutLinks.h"
#include "BlinkRatePlot.h"
#include "CameraTimeText.h"
#include "TrayMenu.h"
#include "common/SettingsStore.h"
#include "common/Version.h"
#include "platform/Autostart.h"
#include "platform/CameraCatalog.h"
#include "platform/CameraControls.h"
#include "platform/GlobalShortcut.h"
#include "platform/TrayHost.h"
#include "reminders/BlinkReminderWidget.h"
#include "reminders/BreakReminderWidget.h"
#include "reminders/ExerciseReminderWidget.h"
#include "reminders/ReminderSound.h"
#include "reminders/ScreenPlacement.h"
#include "ui_WinkwellGUI.h"

#include <QAbstractEventDispatcher>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDebug>
#include <QGraphicsDropShadowEffect>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QThread>

namespace {
constexpr int kBalloonMs = 5000;
// Long enough to read a sentence about the history file.
constexpr int kNoticeMs = 15000;
constexpr int kCloseBalloons = 3;
constexpr int kScreenDetectionDelayMs = 5000;
const char* const kPanelTitleStyle = "QLabel{font-size: 12pt;}QLabel::disabled{color: #808080; }";
} // namespace

GuiServices GuiServices::system()
{
    GuiServices services;
    services.systemListenerFactory = [] { return SystemSession::createSystemListener(); };
    services.cameras = createCameraCatalog();
    services.cameraControls = [](int index) { return createCameraControls(index); };
    services.autostart = createAutostart();
    services.languages = [] {
        return QVector<QLocale>{QLocale(QLocale::English, QLocale::UnitedStates)};
    };
    services.setLanguage = [](int) {};
    services.globalShortcut = [](QObject* parent) { return createGlobalShortcut(parent); };
    return services;
}

WinkwellGUI::WinkwellGUI(GuiServices services, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::widget_winkwell>()),
      m_services(std::move(services))
{
    qDebug() << "WinkwellGUI::WinkwellGUI";
    m_ui->setupUi(this);
    setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    qDebug() << "windows flags set";

    for (QLabel* title :
         {m_ui->label_breaksTitle, m_ui->label_cooperations, m_ui->label_hotkeysTitle,
          m_ui->label_settingsTitle, m_ui->label_eyeExercisesTitle, m_ui->label_blinkTrainingTitle,
          m_ui->label_pauseWinkwellTitle, m_ui->label_blinkMonitoringTitle,
          m_ui->label_automatic_stop_camera_use_title, m_ui->label_automaticBrightnessTitle,
          m_ui->label_networkTitle}) {
        title->setStyleSheet(QLatin1String(kPanelTitleStyle));
    }
    m_ui->label_noInternet->hide();
    AboutLinks::apply(*m_ui);
    showCameraTime(m_cameraTime);

    connect(m_ui->action_open, &QAction::triggered, this, &WinkwellGUI::openWindow);
    connect(m_ui->action_pauseWinkwell, &QAction::triggered, this, &WinkwellGUI::pauseApp);
    connect(m_ui->action_resumeWinkwell, &QAction::triggered, this, &WinkwellGUI::resumeApp);
    connect(m_ui->action_pauseWebcamUse, &QAction::triggered, this, &WinkwellGUI::pauseCameraUse);
    connect(m_ui->action_resumeWebcamUse, &QAction::triggered, this, &WinkwellGUI::resumeCameraUse);
    connect(m_ui->action_quit, &QAction::triggered, this, &WinkwellGUI::close);
    // The pause buttons get theirs with the tray menu.
    m_ui->toolButton_exit->setDefaultAction(m_ui->action_quit);

    m_colorTemperatureButtons = new QButtonGroup(this);
    m_colorTemperatureButtons->addButton(m_ui->toolButton_lowColorTemperature, 45);
    m_colorTemperatureButtons->addButton(m_ui->toolButton_mediumColorTemperature, 55);
    m_colorTemperatureButtons->addButton(m_ui->toolButton_normalColorTemperature, 66);
    m_colorTemperatureButtons->setExclusive(true);
    connect(m_colorTemperatureButtons, &QButtonGroup::idToggled, this,
            &WinkwellGUI::colorTemperature_valueChanged);
    m_ui->spinBox_timeBetweenBreaks->setValue(50);

    QImage black(400, 300, QImage::Format_RGB888);
    black.fill(Qt::black);
    for (QWidget* hidden : std::initializer_list<QWidget*>{
             m_ui->toolButton_titleBarBack, m_ui->toolButton_titleBarWebcam,
             m_ui->widget_settingsPage, m_ui->widget_aboutPage, m_ui->widget_livePreviewPage,
             m_ui->label_blinkMonitoringMessage,
             m_ui->pushButton_blinkMonitoringTakeFirstMeasurement, m_ui->widget_warningWin10}) {
        hidden->hide();
    }
    // Linux has no privacy page to send the user to; the hint explains the device group instead.
    m_ui->pushButton_privacySettings->hide();
    adjustGUIelementsSizes();
    m_ui->label_image->setPixmap(QPixmap::fromImage(black).scaledToWidth(m_previewImageWidth));
    m_plot = new BlinkRatePlot(m_ui->widget_blinkMonitoringGraph);
    m_plot->setObjectName(QStringLiteral("customPlot_blinkMonitoring_graph"));
    m_ui->widget_blinkMonitoringGraph->layout()->addWidget(m_plot);
    connect(m_plot, &BlinkRatePlot::pressed, this, &WinkwellGUI::showStatisticsRequired);
    adjustGUIelementsSizes();

    addDropShadows();
    connectLists();
    setUpHotkeys();

    m_blinkReminder = new BlinkReminderWidget(this);
    connect(m_blinkReminder, &BlinkReminderWidget::hideBlinkReminderByMouseRequested, this,
            &WinkwellGUI::hideBlinkReminderByMouseRequested);
    m_breakReminder = new BreakReminderWidget(this);
    connect(m_breakReminder, &BreakReminderWidget::skipClicked, this, [this] {
        hideToTray();
        emit skipBreakClicked();
    });
    connect(m_breakReminder, &BreakReminderWidget::snoozeClicked, this, [this] {
        hideToTray();
        emit snoozeBreakClicked();
    });
    m_exerciseReminder = new ExerciseReminderWidget(this);
    connect(m_exerciseReminder, &ExerciseReminderWidget::exerciseFinished, this,
            &WinkwellGUI::exerciseFinished);

    m_blinkSound = new ReminderSound(QStringLiteral(":/audio/marimba12.wav"), 1, this);

    buildTray();
    showVersion();
    loadLanguages();
    fitToContents();
    moveToDefaultPlace();
}

WinkwellGUI::~WinkwellGUI()
{
    hideBlinkReminder();
    hide();
    if (m_trayIcon) {
        m_trayIcon->hide();
    }
    m_closing = true;
    qDebug() << "WinkwellGUI::~WinkwellGUI() thread" << QThread::currentThreadId();
    if (m_systemListener) {
        QAbstractEventDispatcher::instance()->removeNativeEventFilter(m_systemListener.get());
    }
}

void WinkwellGUI::buildTray()
{
    m_trayMenu = new QMenu(this);
    updateTrayMenu();
    m_trayIcon = new QSystemTrayIcon(this);
    m_trayIcon->setToolTip(QStringLiteral("winkwell"));
    m_trayIcon->setContextMenu(m_trayMenu);
    m_trayIcon->setIcon(QIcon(QStringLiteral(":/icons/icon16.svg")));
    m_trayIcon->setVisible(true);
    m_trayClicks = trayClicks();
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &WinkwellGUI::showWindow);
    qDebug() << "tray icon created";
    if (!hasTray()) {
        qDebug() << "WinkwellGUI: no system tray on this desktop; the window stays open instead "
                    "of hiding into it";
    }
}

bool WinkwellGUI::hasTray() const
{
    return m_services.trayAvailable ? m_services.trayAvailable()
                                    : QSystemTrayIcon::isSystemTrayAvailable();
}

void WinkwellGUI::addDropShadows()
{
    for (QWidget* widget :
         {m_ui->widget_titleBar, m_ui->widget_visibleWinkwell, m_ui->widget_support,
          m_ui->widget_blinkTraining, m_ui->widget_livePreview, m_ui->widget_blinkMonitoring,
          m_ui->widget_automaticBrightness, m_ui->widget_network, m_ui->widget_settings,
          m_ui->widget_hotkeys, m_ui->widget_about, m_ui->widget_breaks, m_ui->widget_eyeExercises,
          m_ui->widget_automaticStopCameraUse, m_ui->widget_automaticPauseWinkwell,
          m_ui->widget_cooperations}) {
        auto* shadow = new QGraphicsDropShadowEffect(widget);
        shadow->setBlurRadius(5.0);
        shadow->setOffset(1.0, 1.0);
        widget->setGraphicsEffect(shadow);
    }
}

void WinkwellGUI::init()
{
    qDebug() << "WinkwellGUI::init()";
    ++m_initCount;
    qApp->installEventFilter(this);
    qDebug() << "win id" << winId() << "effective win id" << effectiveWinId();

    m_systemListener = m_services.systemListenerFactory();
    connect(m_systemListener.get(), &SystemSession::EventFilter::callWindowsChanged, this,
            &WinkwellGUI::callWindowsChanged);
    connect(m_systemListener.get(), &SystemSession::EventFilter::sessionChangeDetected, this,
            &WinkwellGUI::systemAdapter);
    QAbstractEventDispatcher::instance()->installNativeEventFilter(m_systemListener.get());
    qDebug() << "system listener installed";

    loadSettings();
    qDebug() << "load settings finished";
    startUpdateCheck();
    updateSystemTray();
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        connect(primary, &QScreen::logicalDotsPerInchChanged, this,
                &WinkwellGUI::adjustGUIelementsSizes);
        adjustGUIelementsSizes();
        qDebug() << "size of the screen in mm" << primary->name() << primary->physicalSize()
                 << primary->physicalDotsPerInch();
    }
    fitToContents();
}

void WinkwellGUI::startUpdateCheck()
{
    emit updateCheckRequested();
}

void WinkwellGUI::adjustGUIelementsSizes()
{
    const int h = m_ui->toolButton_titleBarClose->sizeHint().height();
    const QScreen* primary = QGuiApplication::primaryScreen();
    qDebug() << "WinkwellGUI::adjustGUIelementsSizes()" << h << "primary screen"
             << (primary ? primary->name() : QString()) << "size" << size() << sizeHint()
             << minimumSizeHint() << "logical dots per inch"
             << (primary ? primary->logicalDotsPerInch() : 0.0) << "device pixel ratio"
             << devicePixelRatioF();
    if (m_plot) {
        m_plot->setMinimumHeight(8 * h);
    }
    m_previewImageWidth = h >= 25 ? 20 * h : 400;
}

void WinkwellGUI::showTrayMessage(const QString& title, const QString& message,
                                  QSystemTrayIcon::MessageIcon icon, int ms)
{
    qDebug() << "WinkwellGUI: tray message" << title << message;
    m_trayIcon->showMessage(title, message, icon, ms);
}

void WinkwellGUI::hideBlinkReminder()
{
    qDebug() << "WinkwellGUI::hideBlinkReminder()";
    if (m_blinkReminder && m_blinkReminder->isVisible()) {
        m_blinkReminder->rollIn();
    }
    if (m_interactiveReminder && m_trayIcon) {
        if (m_statusCode == 4) {
            m_statusCode = 0;
        }
        if (m_ui->label_blinkMonitoringMessage->isVisible()) {
            m_statusCode = 2;
        }
        updateSystemTray();
    }
}

void WinkwellGUI::pauseApp()
{
    pauseFor(PauseReasons::User);
}

void WinkwellGUI::resumeApp()
{
    // By hand: whatever paused the program, the user wants it back.
    if (m_programPause.clear()) {
        applyProgramResume();
    }
}

void WinkwellGUI::pauseCameraUse()
{
    pauseCameraFor(PauseReasons::User);
}

void WinkwellGUI::resumeCameraUse()
{
    if (m_cameraPause.clear()) {
        applyCameraResume();
    }
}

void WinkwellGUI::applyProgramPause()
{
    qDebug() << "WinkwellGUI::pauseApp()";
    leaveCameraStatus();
    updateTrayMenu();
    cancelReminderPositionChange();
    hideBlinkReminder();
    qDebug() << "WinkwellGUI::hideExerciseReminder()";
    m_exerciseReminder->stop();
    qDebug() << "WinkwellGUI::hideBreakReminder()";
    m_breakReminder->hide();
    updateSystemTray();
    emit pauseRequested(true);
}

void WinkwellGUI::applyProgramResume()
{
    qDebug() << "WinkwellGUI::resumeApp()";
    updateTrayMenu();
    updateSystemTray();
    emit pauseRequested(false);
}

void WinkwellGUI::applyCameraPause()
{
    leaveCameraStatus();
    qDebug() << "WinkwellGUI::pauseCameraUse()";
    updateTrayMenu();
    updateSystemTray();
    emit disableCameraUse(true);
}

void WinkwellGUI::applyCameraResume()
{
    qDebug() << "WinkwellGUI::resumeCameraUse()";
    updateTrayMenu();
    updateSystemTray();
    emit disableCameraUse(false);
}

void WinkwellGUI::updateTrayMenu()
{
    const TrayMenu::Actions actions{
        m_ui->action_open,           m_ui->action_pauseWinkwell,   m_ui->action_resumeWinkwell,
        m_ui->action_pauseWebcamUse, m_ui->action_resumeWebcamUse, m_ui->action_quit};
    TrayMenu::rebuild(m_trayMenu, actions, isPaused(), isCameraUsePaused());
    TrayMenu::updateButtons(m_ui->toolButton_presentationMode, m_ui->toolButton_pauseCamera,
                            actions, isPaused(), isCameraUsePaused());
}

void WinkwellGUI::pauseFor(PauseReasons::Reason reason)
{
    const bool began = m_programPause.add(reason);
    qDebug().noquote() << "WinkwellGUI: paused for" << m_programPause.describe();
    if (began) {
        applyProgramPause();
    }
}

void WinkwellGUI::resumeFor(PauseReasons::Reason reason)
{
    if (!m_programPause.holds(reason)) {
        return;
    }
    if (m_programPause.remove(reason)) {
        applyProgramResume();
    } else {
        qDebug().noquote() << "WinkwellGUI: still paused for" << m_programPause.describe();
    }
}

void WinkwellGUI::pauseCameraFor(PauseReasons::Reason reason)
{
    const bool began = m_cameraPause.add(reason);
    qDebug().noquote() << "WinkwellGUI: camera use paused for" << m_cameraPause.describe();
    if (began) {
        applyCameraPause();
    }
}

void WinkwellGUI::resumeCameraFor(PauseReasons::Reason reason)
{
    if (!m_cameraPause.holds(reason)) {
        return;
    }
    if (m_cameraPause.remove(reason)) {
        applyCameraResume();
    } else {
        qDebug().noquote() << "WinkwellGUI: camera use still paused for"
                           << m_cameraPause.describe();
    }
}

void WinkwellGUI::systemAdapter(int s)
{
    using Status = SystemSession::EventFilter::Status;
    switch (s) {
    case Status::SessionLocked:
        pauseFor(PauseReasons::Locked);
        break;
    case Status::SessionUnlocked:
        resumeFor(PauseReasons::Locked);
        emit brightnessSliderPositionChanged(m_ui->slider_brightness->value());
        break;
    case Status::GoingToSuspend:
        pauseFor(PauseReasons::Suspended);
        emit sleepPreparationRequested();
        break;
    case Status::ResumedFromSuspend:
        emit computerWakenUp();
        startUpdateCheck();
        resumeFor(PauseReasons::Suspended);
        break;
    case Status::DisplayOn:
        resumeFor(PauseReasons::DisplayOff);
        break;
    case Status::DisplayOff:
        pauseFor(PauseReasons::DisplayOff);
        break;
    case Status::LidOpened:
        emit lidStatusOpen(true);
        break;
    case Status::LidClosed:
        emit lidStatusOpen(false);
        break;
    case Status::DisplayConfigurationChanged:
        qDebug() << "WinkwellGUI::nativeEvent() display changed";
        emit screenControlEnabled(m_ui->toolButton_screenControlOnOff->isChecked(),
                                  kScreenDetectionDelayMs);
        break;
    case Status::ScreenCloned:
        if (m_ui->checkBox_pauseAppWhenClonedScreen->isChecked()) {
            pauseFor(PauseReasons::ClonedScreen);
        } else {
            resumeFor(PauseReasons::ClonedScreen);
        }
        break;
    case Status::ScreenNotCloned:
        resumeFor(PauseReasons::ClonedScreen);
        break;
    case Status::OnBattery:
        emit poweredByBattery(true);
        if (m_ui->checkBox_pauseOnBattery->isChecked()) {
            qDebug() << "WinkwellGUI::nativeEvent() camera use paused because of battery";
            pauseCameraFor(PauseReasons::Battery);
        } else {
            qDebug() << "WinkwellGUI::nativeEvent() camera use resumed because of battery";
            resumeCameraFor(PauseReasons::Battery);
        }
        break;
    case Status::OnMains:
        emit poweredByBattery(false);
        qDebug() << "WinkwellGUI::nativeEvent() camera use resumed because of battery";
        resumeCameraFor(PauseReasons::Battery);
        break;
    case Status::BatterySaverOff:
        emit powerSaverActivated(false);
        break;
    case Status::BatterySaverOn:
        emit powerSaverActivated(true);
        break;
    case Status::DpiChanged:
        qDebug() << "WinkwellGUI:: dpi changed";
        break;
    case Status::ListedProcessRuns:
        if (m_ui->checkBox_whenProcessRun->isChecked()) {
            pauseFor(PauseReasons::Process);
        } else {
            resumeFor(PauseReasons::Process);
        }
        break;
    case Status::NoListedProcess:
        resumeFor(PauseReasons::Process);
        break;
    case Status::CameraTitleOpen:
        if (m_ui->checkBox_whenTitleExists->isChecked()) {
            pauseCameraFor(PauseReasons::CameraTitle);
        } else {
            resumeCameraFor(PauseReasons::CameraTitle);
        }
        break;
    case Status::NoCameraTitle:
        resumeCameraFor(PauseReasons::CameraTitle);
        break;
    case Status::PauseTitleOpen:
        if (m_ui->checkBox_pauseApp_whenTitleExist->isChecked()) {
            pauseFor(PauseReasons::PauseTitle);
        } else {
            resumeFor(PauseReasons::PauseTitle);
        }
        break;
    case Status::NoPauseTitle:
        resumeFor(PauseReasons::PauseTitle);
        break;
    default:
        break;
    }
}

void WinkwellGUI::showHistoryProblem(const QString& notice)
{
    qDebug() << "WinkwellGUI::showHistoryProblem" << notice;
    if (notice.isEmpty()) {
        return;
    }
    if (hasTray()) {
        showTrayMessage(tr("Blink-rate history"), notice, QSystemTrayIcon::Warning, kNoticeMs);
    } else {
        // Without a tray a balloon reaches nobody.
        auto* box = new QMessageBox(QMessageBox::Warning, tr("Blink-rate history"), notice,
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->show();
    }
}

void WinkwellGUI::showCameraTime(const CameraTimeSummary& summary)
{
    m_cameraTime = summary;
    m_ui->label_cameraTime->setText(cameraTimeText(m_cameraTime, QLocale()));
}

void WinkwellGUI::confirmReadyForSleep()
{
    qDebug() << "WinkwellGUI::confirmReadyForSleep()";
    if (m_systemListener) {
        m_systemListener->confirmReadyForSleep();
    }
}

void WinkwellGUI::setPageTitle(const QString& title)
{
    m_ui->label_titleBarTitle->setText(title);
}

void WinkwellGUI::finishPageChange()
{
    updateGeometry();
    fitToContents();
}

// The window takes the size of the shown page; only where the screen is too small for it do the
// pages scroll.
void WinkwellGUI::fitToContents()
{
    QLayout* pages = m_ui->widget_pages->layout();
    pages->activate();
    QSize content = m_ui->widget_pages->sizeHint();
    // Wrapped texts need the height their width gives them, which the plain hint leaves out.
    if (pages->hasHeightForWidth()) {
        content.setHeight(qMax(content.height(), pages->totalHeightForWidth(content.width())));
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int available = screen ? screen->availableGeometry().height() : content.height();
    const int chrome = m_ui->widget_titleBar->sizeHint().height() + 2 * layout()->spacing() +
                       layout()->contentsMargins().top() + layout()->contentsMargins().bottom();
    const int room = qMax(200, available - chrome);
    const bool scrolls = content.height() > room;
    m_ui->scrollArea_pages->setMinimumHeight(qMin(content.height(), room));
    m_ui->scrollArea_pages->setMinimumWidth(
        content.width() + (scrolls ? style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0));
    // The window follows its layout: grows and shrinks with the page it shows.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();
}

void WinkwellGUI::fitToContentsOf(QWidget* changed)
{
    // Each layout on the way up keeps the hint it took from the widget below until its posted
    // request comes round; the window must fit now.
    for (QWidget* widget = changed; widget && widget != m_ui->widget_pages;
         widget = widget->parentWidget()) {
        widget->updateGeometry();
    }
    fitToContents();
}

void WinkwellGUI::on_toolButton_titleBarSettings_clicked()
{
    qDebug() << "WinkwellGUI::on_toolButton_titleBarSettings_clicked()";
    m_ui->widget_mainPage->hide();
    m_ui->toolButton_titleBarSettings->hide();
    m_ui->toolButton_titleBarAbout->hide();
    m_ui->toolButton_titleBarWebcam->show();
    m_ui->toolButton_titleBarBack->show();
    setPageTitle(tr("winkwell - settings"));
    m_ui->widget_settingsPage->show();
    m_ui->horizontalSpacer_titleBar->changeSize(0, 0);
    finishPageChange();
}

void WinkwellGUI::on_toolButton_titleBarAbout_clicked()
{
    qDebug() << "WinkwellGUI::on_toolButton_titleBarAbout_clicked()";
    m_ui->widget_mainPage->hide();
    m_ui->toolButton_titleBarSettings->hide();
    m_ui->toolButton_titleBarAbout->hide();
    m_ui->toolButton_titleBarWebcam->hide();
    m_ui->toolButton_titleBarBack->show();
    setPageTitle(tr("winkwell - about"));
    m_ui->widget_aboutPage->show();
    finishPageChange();
}

void WinkwellGUI::on_toolButton_titleBarWebcam_clicked()
{
    qDebug() << "WinkwellGUI::on_toolButton_titleBarWebcam_clicked()";
    hideBlinkReminder();
    reloadCameras(-1);
    leaveCameraStatus();
    m_ui->widget_settingsPage->hide();
    m_ui->toolButton_titleBarSettings->hide();
    m_ui->toolButton_titleBarAbout->hide();
    m_ui->toolButton_titleBarWebcam->hide();
    m_ui->toolButton_titleBarBack->show();
    setPageTitle(tr("Test blink detection"));
    m_ui->widget_livePreviewPage->show();
    showCameraAccessHint();
    emit cameraPreviewEnabled(true);
    finishPageChange();
}

void WinkwellGUI::on_toolButton_titleBarBack_clicked()
{
    qDebug() << "WinkwellGUI::on_toolButton_titleBarBack_clicked()";
    if (m_ui->widget_livePreviewPage->isVisible()) {
        m_ui->widget_livePreviewPage->hide();
        emit cameraPreviewEnabled(false);
    }
    m_ui->widget_aboutPage->hide();
    m_ui->widget_settingsPage->hide();
    m_ui->widget_mainPage->show();
    m_ui->toolButton_titleBarBack->hide();
    m_ui->toolButton_titleBarWebcam->hide();
    m_ui->toolButton_titleBarSettings->show();
    m_ui->toolButton_titleBarAbout->show();
    m_ui->horizontalSpacer_titleBar->changeSize(20, 20);
    updateSystemTray();
    finishPageChange();
}

void WinkwellGUI::on_toolButton_titleBarClose_clicked()
{
    qDebug() << "WinkwellGUI::on_toolButton_titleBarClose_clicked()";
    if (!m_ui->widget_mainPage->isVisible() && m_ui->widget_mainPage->isHidden()) {
        on_toolButton_titleBarBack_clicked();
    }
    if (!hideToTray()) {
        return;
    }
    const int closeCounter = readInt(SettingKeys::closeCounter);
    if (closeCounter < kCloseBalloons) {
        saveSetting(SettingKeys::closeCounter, closeCounter + 1);
        showTrayMessage(QStringLiteral("winkwell"),
                        tr("is running in background. You can quit Winkwell by opening the "
                           "right-click menu at this tray icon.",
                           "trayicon"),
                        QSystemTrayIcon::Information, kBalloonMs);
    }
}

void WinkwellGUI::cancelReminderPositionChange()
{
    QPushButton* button = m_ui->pushButton_changeBlinkReminderPosition;
    if (!button->isChecked()) {
        return;
    }
    // The always-on-top strip cannot stay while the panel that ends it is disabled.
    m_blinkReminder->cancelPositionChange();
    const QSignalBlocker blocker(button);
    button->setChecked(false);
    button->setText(tr("CHANGE REMINDER POSITION"));
}

bool WinkwellGUI::hideToTray()
{
    if (!hasTray()) {
        // Hiding would leave the user no way back to the program.
        qDebug() << "WinkwellGUI: no system tray; the window stays open";
        return false;
    }
    hide();
    return true;
}

void WinkwellGUI::closeEvent(QCloseEvent* event)
{
    qDebug() << "WinkwellGUI::closeEvent";
    hideBlinkReminder();
    hide();
    m_trayIcon->hide();
    m_closing = true;
    event->accept();
    emit closed();
}

void WinkwellGUI::showVersion()
{
    m_ui->label_version->setText(QStringLiteral("winkwell ") + tr("version") + QLatin1Char(' ') +
                                 QString::fromLatin1(kWinkwellVersion));
}

void WinkwellGUI::moveToDefaultPlace()
{
    // Half-way across the primary screen, at its top, wherever that screen lies.
    const QRect area = ScreenPlacement::primaryArea();
    move(area.x() + area.width() / 2, area.y());
}

void WinkwellGUI::openWindow()
{
    qDebug() << "WinkwellGUI::openWindow()" << isHidden();
    fitToContents();
    show();
    activateWindow();
    raise();
    if (!ScreenPlacement::isOnAnyScreen(this)) {
        qDebug() << "WinkwellGUI::openWindow() gui out of the screen";
        moveToDefaultPlace();
    }
}

void WinkwellGUI::showWindow(QSystemTrayIcon::ActivationReason reason)
{
    // A double click where the tray tells one, else the one activation a click sends.
    const bool opens =
        reason == QSystemTrayIcon::DoubleClick ||
        (reason == QSystemTrayIcon::Trigger && m_trayClicks == TrayClicks::ActivationOnly);
    if (opens && isHidden()) {
        openWindow();
    }
}

void WinkwellGUI::mousePressEvent(QMouseEvent* event)
{
    // In the title bar's own coordinates: it is not a child of the pages' frame.
    QPoint inside = m_ui->widget_titleBar->mapFrom(this, event->pos());
    inside.setX(qMax(0, inside.x()));
    inside.setY(qMax(0, inside.y()));
    m_dragOffset = m_ui->widget_titleBar->rect().contains(inside) ? event->pos() : QPoint();
}

void WinkwellGUI::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragOffset.isNull() && (event->buttons() & Qt::LeftButton)) {
        move(pos() + event->pos() - m_dragOffset);
    }
}

bool WinkwellGUI::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched != m_ui->widget_titleBar) {
            m_dragOffset = QPoint();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void WinkwellGUI::showBubleNotificationAboutMeasurement(double blinkRate)
{
    qDebug() << "WinkwellGUI::showBubleNotificationAboutMeasurement" << blinkRate;
    if (m_ui->checkBox_enableCompletedMeasurementNotification->isChecked()) {
        showTrayMessage(tr("Blink measurement completed"),
                        tr("Blink rate: ") + QLocale().toString(blinkRate, 'g', 6) +
                            tr(" blinks per minute"),
                        QSystemTrayIcon::NoIcon, kBalloonMs);
    }
}

void WinkwellGUI::showImage(QImage* image)
{
    if (!image) {
        return;
    }
    // Copied at once: the engine may reuse the image after this slot returns.
    const QSize previous = m_lastImage.size();
    m_lastImage = image->copy();
    m_ui->label_image->setPixmap(
        QPixmap::fromImage(m_lastImage).scaledToWidth(m_previewImageWidth, Qt::FastTransformation));
    m_ui->label_image->repaint();
    if (m_lastImage.size() != previous) {
        fitToContentsOf(m_ui->label_image); // another camera or resolution
    }
}

void WinkwellGUI::showInternetUnreachable()
{
    qDebug() << "WinkwellGUI::showInternetUnreachable()";
    m_ui->label_noInternet->show();
}

void WinkwellGUI::hideInternetUnreachable()
{
    qDebug() << "WinkwellGUI::hideInternetUnreachable()";
    m_ui->label_noInternet->hide();
}

void WinkwellGUI::showReminder()
{
    qDebug() << "WinkwellGUI::showReminder()";
    if (m_closing) {
        return;
    }
    m_blinkReminder->rollOut(m_ui->checkBox_enableSound->isChecked());
}

void WinkwellGUI::responceToBlink()
{
    qDebug() << "WinkwellGUI::responceToBlink()";
    if (!m_ui->widget_livePreviewPage->isVisible()) {
        hideBlinkReminder();
    } else {
        m_blinkSound->play();
    }
}

void WinkwellGUI::showBreakReminder()
{
    qDebug() << "WinkwellGUI::showBreakReminder()";
    if (!m_closing) {
        m_breakReminder->setHeldForCall(false);
        m_breakReminder->popUp();
    }
}

void WinkwellGUI::showHeldBreakReminder()
{
    qDebug() << "WinkwellGUI::showHeldBreakReminder()";
    if (!m_closing) {
        m_breakReminder->setHeldForCall(true);
        m_breakReminder->popUp();
    }
}

void WinkwellGUI::setInCall(bool inCall)
{
    qDebug() << "WinkwellGUI::setInCall" << inCall;
    m_inCall = inCall;
    updateSystemTray();
}

void WinkwellGUI::hideBreakReminder()
{
    qDebug() << "WinkwellGUI::hideBreakReminder()";
    m_breakReminder->hide();
}

void WinkwellGUI::showExercise()
{
    qDebug() << "WinkwellGUI::showExercise()";
    if (!m_closing) {
        m_exerciseReminder->fadeIn();
    }
}

void WinkwellGUI::hideExerciseReminder()
{
    qDebug() << "WinkwellGUI::hideExerciseReminder()";
    m_exerciseReminder->stop();
}

void WinkwellGUI::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        qDebug() << "WinkwellGUI:changeEvent(LangaugeChange)";
        m_ui->retranslateUi(this);
        showVersion();
        // The form's own texts came back with it: the slider's number, and key names in the
        // old language.
        m_ui->label_brightnessValue->setText(QString::number(m_ui->slider_brightness->value()));
        refreshHotkeyEditors();
        if (m_ui->widget_settingsPage->isVisible()) {
            setPageTitle(tr("winkwell - settings"));
        }
        if (m_ui->pushButton_changeBlinkReminderPosition->isChecked()) {
            m_ui->pushButton_changeBlinkReminderPosition->setText(tr("SAVE NEW POSITION"));
        }
        AboutLinks::apply(*m_ui);
        showCameraTime(m_cameraTime);
        updateSystemTray();
        finishPageChange();
        emit languageChanged();
    }
    QWidget::changeEvent(event);
}
