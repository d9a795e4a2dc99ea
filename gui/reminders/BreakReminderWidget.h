#pragma once

#include "ReminderWindow.h"

#include <memory>

namespace Ui {
class BreakReminderWidget;
}

// Asks the user to stand up for a computer break; stays until the scheduler ends the break or the
// user skips or snoozes it.
class BreakReminderWidget : public ReminderWindow
{
    Q_OBJECT

public:
    explicit BreakReminderWidget(QWidget* parent = nullptr);
    ~BreakReminderWidget() override;

    void popUp();
    // The break the window speaks of lasts one minute longer than the idle time that ends it:
    // the idle time is checked once a minute.
    void setNaturalBreakDuration(int minutes);
    // The break fell due during a call and waited for its end; the window says so.
    void setHeldForCall(bool held);

signals:
    // The window has hidden itself; the main window goes too, where it has a tray to go to.
    void skipClicked();
    void snoozeClicked();

protected:
    QPoint defaultPosition() const override;
    void changeEvent(QEvent* event) override;

private slots:
    void on_pushButton_skip_clicked();
    void on_pushButton_snooze_clicked();

private:
    void showBreakLength();

    std::unique_ptr<Ui::BreakReminderWidget> m_ui;
    int m_naturalBreakMinutes = 3;
    bool m_heldForCall = false;
};
