#include "statistics/window/SpanSlider.h"

#include <QSignalSpy>
#include <QtTest>

// The two-handled slider on its own: one announcement per change, handles that never cross,
// mouse and keyboard.
class TestSpanSlider : public QObject
{
    Q_OBJECT

private:
    struct Shown
    {
        Shown()
        {
            slider.setRange(0, 10);
            slider.resize(300, 30);
            slider.show();
        }
        SpanSlider slider;
    };

    static QPoint centre(SpanSlider& slider, SpanSlider::Handle handle)
    {
        return slider.handleRect(handle).center();
    }

    static void drag(SpanSlider& slider, QPoint from, QPoint to)
    {
        QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, from);
        QMouseEvent move(QEvent::MouseMove, to, slider.mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&slider, &move);
        QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, to);
    }

    using Span = QPair<int, int>;
    static QVector<Span> spans(const QSignalSpy& spy)
    {
        QVector<Span> result;
        for (const QList<QVariant>& arguments : spy) {
            result.append({arguments.at(0).toInt(), arguments.at(1).toInt()});
        }
        return result;
    }

private slots:
    void announcesEachChangeOnce()
    {
        SpanSlider slider;
        slider.setRange(0, 10);
        QSignalSpy changed(&slider, &SpanSlider::spanChanged);
        const auto step = [&](const std::function<void()>& action, QVector<Span> expected) {
            changed.clear();
            action();
            QCOMPARE(spans(changed), expected);
        };
        step([&] { slider.setSpan(2, 8); }, {{2, 8}});
        step([&] { slider.setSpan(2, 8); }, {});
        step([&] { slider.setSpan(9, 3); }, {{3, 9}});
        // A range that shrinks under one handle, then under both: one announcement each.
        step([&] { slider.setRange(0, 5); }, {{3, 5}});
        step([&] { slider.setMaximum(2); }, {{2, 2}});
        step([&] { slider.setMaximum(20); }, {});
        step([&] { slider.setSpan(-5, 50); }, {{0, 20}});
        step([&] { slider.setLowerValue(0); }, {});
        QCOMPARE(slider.lowerValue(), 0);
        QCOMPARE(slider.upperValue(), 20);
    }

    void handlesNeverCross()
    {
        Shown shown;
        SpanSlider& slider = shown.slider;
        slider.setSpan(3, 6);
        slider.setLowerValue(9);
        QCOMPARE(Span(slider.lowerValue(), slider.upperValue()), Span(6, 6));
        slider.setUpperValue(1);
        QCOMPARE(Span(slider.lowerValue(), slider.upperValue()), Span(6, 6));

        // Dragged past the other handle, a handle stops at it.
        slider.setSpan(2, 5);
        drag(slider, centre(slider, SpanSlider::Handle::Lower), QPoint(295, 15));
        QCOMPARE(Span(slider.lowerValue(), slider.upperValue()), Span(5, 5));
        slider.setSpan(2, 5);
        drag(slider, centre(slider, SpanSlider::Handle::Upper), QPoint(2, 15));
        QCOMPARE(Span(slider.lowerValue(), slider.upperValue()), Span(2, 2));
    }

    void mouseMovesTheHandles()
    {
        Shown shown;
        SpanSlider& slider = shown.slider;
        slider.setSpan(2, 5);
        QSignalSpy changed(&slider, &SpanSlider::spanChanged);

        // A handle follows the pointer along the groove.
        const QPoint upper = centre(slider, SpanSlider::Handle::Upper);
        drag(slider, upper, QPoint(295, upper.y()));
        QCOMPARE(Span(slider.lowerValue(), slider.upperValue()), Span(2, 10));
        QCOMPARE(slider.activeHandle(), SpanSlider::Handle::Upper);
        // A press on the groove brings the nearer handle there.
        QTest::mouseClick(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(3, upper.y()));
        QCOMPARE(Span(slider.lowerValue(), slider.upperValue()), Span(0, 10));
        QCOMPARE(slider.activeHandle(), SpanSlider::Handle::Lower);
        // One move is one change, however far it goes.
        QCOMPARE(spans(changed), QVector<Span>({{2, 10}, {0, 10}}));

        // Handles on one value: the first move decides which one goes.
        slider.setSpan(5, 5);
        const QPoint both = centre(slider, SpanSlider::Handle::Lower);
        drag(slider, both, both + QPoint(-120, 0));
        QCOMPARE(slider.upperValue(), 5);
        QVERIFY(slider.lowerValue() < 5);
        slider.setSpan(5, 5);
        drag(slider, both, both + QPoint(120, 0));
        QCOMPARE(slider.lowerValue(), 5);
        QVERIFY(slider.upperValue() > 5);
    }

    void keysMoveTheActiveHandle()
    {
        Shown shown;
        SpanSlider& slider = shown.slider;
        slider.setPageStep(3);
        slider.setSpan(4, 6);
        QSignalSpy changed(&slider, &SpanSlider::spanChanged);
        const auto key = [&](Qt::Key pressed, Span expected) {
            QTest::keyClick(&slider, pressed);
            QCOMPARE(Span(slider.lowerValue(), slider.upperValue()), expected);
        };
        // The lower handle is active until another is chosen.
        key(Qt::Key_Left, {3, 6});
        key(Qt::Key_Right, {4, 6});
        key(Qt::Key_PageUp, {6, 6}); // stops at the upper handle
        key(Qt::Key_Home, {0, 6});
        key(Qt::Key_Space, {0, 6});
        QCOMPARE(slider.activeHandle(), SpanSlider::Handle::Upper);
        key(Qt::Key_Up, {0, 7});
        key(Qt::Key_End, {0, 10});
        key(Qt::Key_Right, {0, 10}); // at the end: no change
        key(Qt::Key_PageDown, {0, 7});
        QCOMPARE(spans(changed),
                 QVector<Span>({{3, 6}, {4, 6}, {6, 6}, {0, 6}, {0, 7}, {0, 10}, {0, 7}}));
    }

    void fillsTheSpanOnly()
    {
        Shown shown;
        SpanSlider& slider = shown.slider;
        const QColor colour(152, 200, 0);
        slider.setSpanColour(colour);
        slider.setSpan(3, 7);
        const QImage image = slider.grab().toImage();
        const QRect lower = slider.handleRect(SpanSlider::Handle::Lower);
        const QRect upper = slider.handleRect(SpanSlider::Handle::Upper);
        const int y = lower.center().y();
        const int middle = (lower.right() + upper.left()) / 2;
        QCOMPARE(image.pixelColor(middle, y), colour);
        QVERIFY(image.pixelColor(lower.left() - 6, y) != colour);
        QVERIFY(image.pixelColor(upper.right() + 6, y) != colour);
    }
};

QTEST_MAIN(TestSpanSlider)
#include "test_span_slider.moc"
