#include "BreakReminderWidget.h"

#include "ScreenPlacement.h"
#include "ui_BreakReminderWidget.h"

#include <QEvent>

namespace {
constexpr int kFadeMs = 100;
constexpr int kAboveBottomEdge = 100;
constexpr int kDefaultNaturalBreakMinutes = 3;
} // namespace

BreakReminderWidget::BreakReminderWidget(QWidget* parent)
    : ReminderWindow(parent, {SettingKeys::breakReminderX, SettingKeys::breakReminderY,
                              "BRW: reminder off the screen, changing its position",
                              "BreakReminder::savePosition()"}),
      m_ui(std::make_unique<Ui::BreakReminderWidget>())
{
    m_ui->setupUi(this);
    setUpWindow(kFadeMs, "BreakReminder init position");
}

BreakReminderWidget::~BreakReminderWidget() = default;

QPoint BreakReminderWidget::defaultPosition() const
{
    // The size it takes when shown (adjustSize()), whatever the fonts make of the form.
    const QRect area = ScreenPlacement::primaryArea();
    const QSize size = sizeHint();
    return {area.x() + area.width() - size.width(),
            area.y() + area.height() - size.height() - kAboveBottomEdge};
}

void BreakReminderWidget::popUp()
{
    popUpAtPosition();
}

void BreakReminderWidget::setNaturalBreakDuration(int minutes)
{
    m_naturalBreakMinutes = minutes;
    showBreakLength();
}

void BreakReminderWidget::setHeldForCall(bool held)
{
    m_heldForCall = held;
    showBreakLength();
}

void BreakReminderWidget::showBreakLength()
{
    // The default duration keeps the designer's text and its translations.
    const QString length = m_naturalBreakMinutes == kDefaultNaturalBreakMinutes
                               ? tr("The reminder disappears after you take a 4 minutes break.")
                               : tr("The reminder disappears after you take a %1 minutes break.")
                                     .arg(m_naturalBreakMinutes + 1);
    m_ui->label->setText(m_heldForCall ? tr("This break was held back until your call ended.") +
                                             QLatin1Char('\n') + length
                                       : length);
}

void BreakReminderWidget::on_pushButton_skip_clicked()
{
    hide();
    emit skipClicked();
}

void BreakReminderWidget::on_pushButton_snooze_clicked()
{
    hide();
    emit snoozeClicked();
}

void BreakReminderWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_ui->retranslateUi(this);
        showBreakLength();
    }
    ReminderWindow::changeEvent(event);
}
