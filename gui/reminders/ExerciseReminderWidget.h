#pragma once

#include "ReminderWindow.h"

#include <QString>
#include <array>
#include <memory>

class QMovie;
class QTimer;

namespace Ui {
class ExerciseReminderWidget;
}

// Shows one eye exercise for ten seconds; each showing presents the next of four in turn.
class ExerciseReminderWidget : public ReminderWindow
{
    Q_OBJECT

public:
    static constexpr int kExerciseCount = 4;
    static constexpr int kShowingMs = 10000;

    explicit ExerciseReminderWidget(QWidget* parent = nullptr);
    ~ExerciseReminderWidget() override;

    void fadeIn();
    void stop();

    int currentExercise() const { return m_currentExercise; }
    QString currentText() const;
    bool isShowing() const;

signals:
    void exerciseFinished();

protected:
    QPoint defaultPosition() const override;
    void changeEvent(QEvent* event) override;

private slots:
    void on_pushButton_skip_clicked();
    void fadeOut();

private:
    void loadTexts();
    void showCurrentExercise();

    std::array<QString, kExerciseCount> m_exerciseTexts;
    std::array<std::unique_ptr<QMovie>, kExerciseCount> m_exerciseMovies;
    std::unique_ptr<Ui::ExerciseReminderWidget> m_ui;
    QTimer* m_timer;
    int m_currentExercise = 0;
};
