#include "ExerciseReminderWidget.h"

#include "ScreenPlacement.h"
#include "ui_ExerciseReminderWidget.h"

#include <QDebug>
#include <QEvent>
#include <QMovie>
#include <QTimer>

namespace {
constexpr int kFadeMs = 200;
const char* const kMovies[ExerciseReminderWidget::kExerciseCount] = {
    ":/icons/LookingIntoWindow.gif", ":/icons/squeeze.gif", ":/icons/leftRight.gif",
    ":/icons/rotate.gif"};
} // namespace

ExerciseReminderWidget::ExerciseReminderWidget(QWidget* parent)
    : ReminderWindow(parent, {SettingKeys::exerciseReminderX, SettingKeys::exerciseReminderY,
                              "ExerciseReminderWidget: reminder off the screen, changing its "
                              "position",
                              "ExerciseReminderWidget::savePosition()"}),
      m_ui(std::make_unique<Ui::ExerciseReminderWidget>())
{
    m_ui->setupUi(this);
    setUpWindow(kFadeMs, "ExerciseReminderWidget init position");
    m_currentExercise = 0;
    loadTexts();
    for (int i = 0; i < kExerciseCount; ++i) {
        m_exerciseMovies[i] = std::make_unique<QMovie>(QString::fromLatin1(kMovies[i]));
        if (!m_exerciseMovies[i]->isValid()) {
            qDebug() << "ExerciseReminderWidget: exercise animation cannot be read" << kMovies[i];
        }
    }
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("showingTimer"));
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &ExerciseReminderWidget::fadeOut);
    showCurrentExercise();
}

ExerciseReminderWidget::~ExerciseReminderWidget()
{
    // The label must let go of the movie before the movie goes.
    m_ui->label_image->setMovie(nullptr);
}

void ExerciseReminderWidget::loadTexts()
{
    m_exerciseTexts = {
        tr("Look out of the window (or towards any other long distance) for 10 sec."),
        tr("Blink while squeezing your lids for 10 sec."),
        tr("Move your eyes from side to side for 10 sec."), tr("Rotate your eyes for 10 sec.")};
}

void ExerciseReminderWidget::showCurrentExercise()
{
    m_ui->label_text->setText(m_exerciseTexts[m_currentExercise]);
    m_ui->label_image->setMovie(m_exerciseMovies[m_currentExercise].get());
}

QString ExerciseReminderWidget::currentText() const
{
    return m_ui->label_text->text();
}

bool ExerciseReminderWidget::isShowing() const
{
    return m_timer->isActive();
}

QPoint ExerciseReminderWidget::defaultPosition() const
{
    const QRect area = ScreenPlacement::primaryArea();
    return {area.x() + area.width() / 2, area.y() + area.height() / 2};
}

void ExerciseReminderWidget::fadeIn()
{
    qDebug() << "ExerciseReminderWidget::fadeIn()";
    popUpAtPosition();
    m_timer->start(kShowingMs);
    m_exerciseMovies[m_currentExercise]->start();
}

void ExerciseReminderWidget::fadeOut()
{
    qDebug() << "ExerciseReminderWidget::fadeOut()";
    if (isDragging()) {
        savePosition();
    }
    hide();
    m_exerciseMovies[m_currentExercise]->stop();
    m_currentExercise = (m_currentExercise + 1) % kExerciseCount;
    showCurrentExercise();
    emit exerciseFinished();
}

void ExerciseReminderWidget::stop()
{
    qDebug() << "ExerciseReminderWidget::stop()";
    if (m_timer->isActive()) {
        m_timer->stop();
        fadeOut();
    }
}

void ExerciseReminderWidget::on_pushButton_skip_clicked()
{
    if (m_timer->isActive()) {
        m_timer->stop();
    }
    if (parentWidget()) {
        parentWidget()->hide();
    }
    fadeOut();
}

void ExerciseReminderWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_ui->retranslateUi(this);
        loadTexts();
        showCurrentExercise();
    }
    ReminderWindow::changeEvent(event);
}
