#include "BreakReminderWidget.h"

#include "ScreenPlacement.h"
#include "ui_BreakReminderWidget.h"

#include <QEvent>

namespace {
constexpr int kFadeMs = 100;
constexpr int kAboveBottomEdge = 100;
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
    const QSize screen = ScreenPlacement::primaryScreenSize();
    return {screen.width() - width(), screen.height() - height() - kAboveBottomEdge};
}

void BreakReminderWidget::popUp()
{
    popUpAtPosition();
}

void BreakReminderWidget::hideWithMainWindow()
{
    if (parentWidget()) {
        parentWidget()->hide();
    }
    hide();
}

void BreakReminderWidget::on_pushButton_skip_clicked()
{
    hideWithMainWindow();
    emit skipClicked();
}

void BreakReminderWidget::on_pushButton_snooze_clicked()
{
    hideWithMainWindow();
    emit snoozeClicked();
}

void BreakReminderWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_ui->retranslateUi(this);
    }
    ReminderWindow::changeEvent(event);
}
