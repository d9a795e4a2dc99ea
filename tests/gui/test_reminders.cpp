#include "gui/reminders/BlinkReminderWidget.h"
#include "gui/reminders/BreakReminderWidget.h"
#include "gui/reminders/ExerciseReminderWidget.h"
#include "support/X11Tools.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

// The three reminder windows on the X display test.sh starts, under its window manager.
class TestReminders : public QObject
{
    Q_OBJECT

private:
    static QSettings store()
    {
        return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Orvalde", "winkwell");
    }
    static QSize screen() { return QGuiApplication::primaryScreen()->geometry().size(); }

    // A press, a move with the left button held and a release, as the window receives them.
    static void drag(QWidget* window, QPoint from, QPoint by)
    {
        QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, from);
        QMouseEvent move(QEvent::MouseMove, from + by, window->mapToGlobal(from + by), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window, &move);
        QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, from + by);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        if (QGuiApplication::platformName() != QLatin1String("xcb")) {
            QSKIP("needs an X display (test.sh starts one)");
        }
    }

    void init() { store().clear(); }

    void blinkReminderRollsOutWithoutTakingTheFocusAndHidesAtATouch()
    {
        if (!hasXdotool() || !hasWindowManager()) {
            QSKIP("needs xdotool and a window manager (test.sh starts openbox)");
        }
        xdotool({"mousemove", "0", "0"});
        // The user is typing in another program.
        QLineEdit typing;
        typing.setWindowTitle("typing");
        typing.move(50, 50);
        typing.show();
        typing.activateWindow();
        QTRY_VERIFY(typing.hasFocus());
        QTRY_COMPARE(xdotool({"getwindowfocus"}).toULongLong(), quint64(typing.winId()));

        BlinkReminderWidget reminder;
        QSignalSpy touched(&reminder, &BlinkReminderWidget::hideBlinkReminderByMouseRequested);
        reminder.rollOut(false);
        // With no stored anchor: right edge at the primary screen's width, top at 200.
        QTRY_COMPARE(reminder.geometry().right() + 1, screen().width());
        QCOMPARE(reminder.y(), 200);
        QTRY_VERIFY(reminder.width() > 169); // slid out to its full width
        QTest::qWait(200);                   // the window manager would have moved the focus by now
        QCOMPARE(xdotool({"getwindowfocus"}).toULongLong(), quint64(typing.winId()));
        QVERIFY(typing.hasFocus());

        // A second request while shown changes nothing.
        const QRect shown = reminder.geometry();
        reminder.rollOut(true);
        QVERIFY(!reminder.isSoundPlaying());
        QCOMPARE(reminder.geometry(), shown);

        // The real pointer touching it hides it, once.
        QTRY_COMPARE(serverGeometry(reminder.winId()), reminder.geometry());
        const QPoint centre = reminder.geometry().center();
        xdotool({"mousemove", QString::number(centre.x()), QString::number(centre.y())});
        QTRY_VERIFY(!reminder.isVisible());
        QTest::qWait(100);
        QCOMPARE(touched.count(), 1);
        xdotool({"mousemove", "0", "0"});
    }

    void blinkReminderMovesOnlyInPositionChangeMode()
    {
        BlinkReminderWidget reminder;
        QSignalSpy touched(&reminder, &BlinkReminderWidget::hideBlinkReminderByMouseRequested);
        // Outside the mode a press and drag does nothing.
        reminder.rollOut(false);
        QTRY_COMPARE(reminder.geometry().right() + 1, screen().width());
        const QPoint before = reminder.pos();
        drag(&reminder, {10, 10}, {-100, 50});
        QCOMPARE(reminder.pos(), before);
        reminder.rollIn();

        // Leaving the mode without a move writes nothing.
        reminder.enterPositionChangeMode();
        QVERIFY(reminder.isVisible());
        QCOMPARE(reminder.cursor().shape(), Qt::SizeAllCursor);
        reminder.leavePositionChangeMode();
        QVERIFY(!reminder.isVisible());
        QVERIFY(!store().contains("G/RPX"));

        // In the mode the pointer does not hide it, and a drag keeps the grabbed point under it.
        reminder.enterPositionChangeMode();
        QTRY_COMPARE(reminder.geometry().right() + 1, screen().width());
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(&reminder, &enter);
        QVERIFY(reminder.isVisible());
        QCOMPARE(touched.count(), 0);
        drag(&reminder, {10, 10}, {-300, 150});
        QTRY_COMPARE(reminder.pos(), before + QPoint(-300, 150));
        reminder.leavePositionChangeMode();
        QCOMPARE(store().value("G/RPX").toInt(), before.x() - 300 + reminder.width());
        QCOMPARE(store().value("G/RPY").toInt(), before.y() + 150);

        // The next showing starts from the new anchor.
        reminder.rollOut(false);
        QTRY_COMPARE(reminder.geometry().right() + 1, store().value("G/RPX").toInt());
        // A language change while shown keeps the right edge on the anchor.
        QEvent change(QEvent::LanguageChange);
        QApplication::sendEvent(&reminder, &change);
        QCOMPARE(reminder.geometry().right() + 1, store().value("G/RPX").toInt());
    }

    void storedPositionsOfAnyValueEndOnAScreen_data()
    {
        QTest::addColumn<QVariant>("x");
        QTest::addColumn<QVariant>("y");
        QTest::newRow("far left") << QVariant(-50000) << QVariant(-50000);
        QTest::newRow("huge") << QVariant(2147483647) << QVariant(2147483647);
        QTest::newRow("text") << QVariant("left") << QVariant("top");
    }

    void storedPositionsOfAnyValueEndOnAScreen()
    {
        QFETCH(QVariant, x);
        QFETCH(QVariant, y);
        for (const char* prefix : {"RP", "BRP", "ERP"}) {
            store().setValue(QStringLiteral("G/%1X").arg(prefix), x);
            store().setValue(QStringLiteral("G/%1Y").arg(prefix), y);
        }
        const QRect desktop = QGuiApplication::primaryScreen()->geometry();

        BlinkReminderWidget blink;
        blink.rollOut(false);
        QTRY_VERIFY(desktop.intersects(blink.geometry()) && blink.width() > 169);
        BreakReminderWidget breakWindow;
        breakWindow.popUp();
        QTRY_VERIFY(desktop.contains(breakWindow.geometry().center()));
        ExerciseReminderWidget exercise;
        exercise.fadeIn();
        QTRY_VERIFY(desktop.contains(exercise.geometry().center()));
        // The stored values stay for the user's own screen to come back.
        QCOMPARE(store().value("G/BRPX"), x);
    }

    void breakReminderButtonsAndDragging()
    {
        QWidget mainWindow;
        mainWindow.show();
        auto* reminder = new BreakReminderWidget(&mainWindow);
        QSignalSpy skipped(reminder, &BreakReminderWidget::skipClicked);
        QSignalSpy snoozed(reminder, &BreakReminderWidget::snoozeClicked);
        reminder->popUp();
        QVERIFY(QTest::qWaitForWindowExposed(reminder));
        // Bottom right of the primary screen, 100 pixels above the bottom edge, as shown.
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(reminder->position(), QPoint(area.right() + 1 - reminder->width(),
                                              area.bottom() + 1 - reminder->height() - 100));

        // A plain click stores the position as it is, a drag the new one.
        QTest::mouseClick(reminder, Qt::LeftButton, Qt::NoModifier, {20, 20});
        QCOMPARE(store().value("G/BRPX").toInt(), reminder->pos().x());
        const QPoint before = reminder->pos();
        drag(reminder, {20, 20}, {-200, -100});
        QTRY_COMPARE(reminder->pos(), before + QPoint(-200, -100));
        QCOMPARE(store().value("G/BRPX").toInt(), before.x() - 200);
        QCOMPARE(store().value("G/BRPY").toInt(), before.y() - 100);

        // The answer hides the window itself; the main window decides about its own.
        QTest::mouseClick(reminder->findChild<QPushButton*>("pushButton_skip"), Qt::LeftButton);
        QCOMPARE(skipped.count(), 1);
        QVERIFY(!reminder->isVisible());
        QVERIFY(mainWindow.isVisible());

        reminder->popUp();
        QTest::mouseClick(reminder->findChild<QPushButton*>("pushButton_snooze"), Qt::LeftButton);
        QCOMPARE(snoozed.count(), 1);
        QCOMPARE(skipped.count(), 1);
        QVERIFY(!reminder->isVisible());
        // It comes back where the user left it.
        reminder->popUp();
        QTRY_COMPARE(reminder->pos(), before + QPoint(-200, -100));
    }

    void breakWindowNamesTheChosenBreak()
    {
        BreakReminderWidget reminder;
        const auto* text = reminder.findChild<QLabel*>("label");
        QCOMPARE(text->text(), "The reminder disappears after you take a 4 minutes break.");
        reminder.setNaturalBreakDuration(9);
        QCOMPARE(text->text(), "The reminder disappears after you take a 10 minutes break.");
        QEvent change(QEvent::LanguageChange);
        QApplication::sendEvent(&reminder, &change);
        QVERIFY(text->text().contains("10 minutes"));
        reminder.setNaturalBreakDuration(3);
        QCOMPARE(text->text(), "The reminder disappears after you take a 4 minutes break.");
    }

    void blinkStripStopsWhereItIsTold()
    {
        // Hidden while it rolls out: the slide stops there, nothing is drawn afterwards.
        BlinkReminderWidget reminder;
        reminder.rollOut(false);
        QTest::qWait(100);
        reminder.rollIn();
        const QRect hidden = reminder.geometry();
        QTest::qWait(400);
        QVERIFY2(reminder.geometry() == hidden, qPrintable(QStringLiteral("%1 %2 -> %3 %4")
                                                               .arg(hidden.x())
                                                               .arg(hidden.width())
                                                               .arg(reminder.geometry().x())
                                                               .arg(reminder.geometry().width())));
        QVERIFY(!reminder.isVisible());

        // Stored off every screen: it slides out once at the primary screen's edge and stays.
        store().setValue("G/RPX", -20000);
        BlinkReminderWidget lost;
        lost.rollOut(false);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QTRY_VERIFY(lost.width() > 169 && lost.geometry().right() == area.right());
        QTest::qWait(400); // the slide is over
        const QRect shown = lost.geometry();
        QTest::qWait(700);
        QCOMPARE(lost.geometry(), shown);
        QVERIFY(lost.isVisible());
    }

    void exercisesTakeTurnsAndEachShowingEndsOnce()
    {
        QWidget mainWindow;
        auto* reminder = new ExerciseReminderWidget(&mainWindow);
        QSignalSpy finished(reminder, &ExerciseReminderWidget::exerciseFinished);
        reminder->stop(); // hidden: nothing to end
        QCOMPARE(finished.count(), 0);

        const QStringList expected{"Look out of the window", "Blink while squeezing",
                                   "Move your eyes from side to side", "Rotate your eyes",
                                   "Look out of the window"};
        for (int showing = 0; showing < expected.size(); ++showing) {
            reminder->fadeIn();
            QVERIFY(reminder->isVisible());
            QVERIFY2(reminder->currentText().startsWith(expected.at(showing)),
                     qPrintable(reminder->currentText()));
            if (showing == 0) {
                // Top-left corner at the centre of the primary screen.
                QCOMPARE(reminder->pos(), QPoint(screen().width() / 2, screen().height() / 2));
            }
            if (showing % 2) {
                reminder->stop();
            } else {
                QTest::mouseClick(reminder->findChild<QPushButton*>("pushButton_skip"),
                                  Qt::LeftButton);
            }
            QVERIFY(!reminder->isVisible());
            QVERIFY(!reminder->isShowing()); // its timer cannot end the showing a second time
            QCOMPARE(finished.count(), showing + 1);
        }
        reminder->stop();
        QCOMPARE(finished.count(), expected.size());
    }
};

QTEST_MAIN(TestReminders)
#include "test_reminders.moc"
