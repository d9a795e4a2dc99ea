#include "support/SharedData.h"
#include "tools/analyze/BlinkAnalysis.h"

#include <QFile>
#include <QJsonArray>
#include <QtTest>

// The offline analyser over one shared clip, end to end: the engine's own code on the clip's
// own time, with every blink inside the clip and close to the annotated ones.
class TestAnalyze : public QObject
{
    Q_OBJECT

private slots:
    void analysesARecordedClip()
    {
        const QString clip = sharedFile("data/real/clip06/clip06.mp4");
        const QString faceModel = cnnFaceModel();
        const QString landmarks = builtLandmarkModel();
        SKIP_UNLESS_PRESENT(clip, faceModel, landmarks);
        BlinkAnalysis::Options options;
        options.videoPath = clip;
        options.landmarkModelPath = landmarks;
        options.eyeStateModelPath = builtEyeStateModel();
        options.faceModelCandidates = QStringList{faceModel};
        BlinkAnalysis analysis(options);
        QVERIFY2(analysis.run(), qPrintable(analysis.errorText()));
        QCOMPARE(analysis.frames(), qint64(352));
        QCOMPARE(analysis.fileFps(), 30.0);
        QVERIFY(analysis.faceDetectorName().contains("CNN"));
        QVERIFY(analysis.noFaceSpans().isEmpty());

        // Annotated blinks start at frames 42, 78, 101 and one more later on.
        const QVector<int> annotated{42, 78, 101};
        QCOMPARE(analysis.blinks().size(), 4);
        for (int i = 0; i < annotated.size(); ++i) {
            const BlinkAnalysis::Blink& blink = analysis.blinks().at(i);
            QVERIFY(blink.startFrame <= blink.endFrame);
            QVERIFY2(qAbs(blink.startFrame - annotated.at(i)) <= 3,
                     qPrintable(QString::number(blink.startFrame)));
            QVERIFY(blink.durationSeconds > 0.1 && blink.durationSeconds < 0.5);
        }
        QVERIFY(qAbs(analysis.blinksPerMinute() - 4 * 60.0 / (352 / 30.0)) < 0.01);

        // The mean blink length is the engine's: each counted blink averages its eye event with
        // the one before it (of either eye, merged or not; the first with 0.25 s).
        double lengthSum = 0.0;
        double previous = 0.25;
        int counted = 0;
        for (const BlinkAnalysis::EyeEvent& event : analysis.eyeEvents()) {
            if (event.countedAsBlink) {
                lengthSum += (previous + event.durationSeconds) / 2.0;
                ++counted;
            }
            previous = event.durationSeconds;
        }
        QCOMPARE(counted, 4);
        QVERIFY(analysis.eyeEvents().size() > counted); // both eyes saw some of them
        QCOMPARE(analysis.meanBlinkLengthMs(), static_cast<int>(lengthSum / counted * 1000.0));

        // Each blink carries how far its lids came down: clip06's closed all the way. The first
        // comes before the run has seen the open eye long enough to compare.
        for (int i = 1; i < analysis.blinks().size(); ++i) {
            const BlinkAnalysis::Blink& blink = analysis.blinks().at(i);
            QVERIFY2(blink.complete && blink.closureDepth >= 0.3 && blink.closureDepth <= 1.0,
                     qPrintable(QString::number(blink.closureDepth)));
        }
        QCOMPARE(analysis.incompleteBlinks(), 0);

        const QJsonObject json = analysis.toJson();
        QCOMPARE(json.value("blinks").toArray().size(), 4);
        QCOMPARE(json.value("frames").toInt(), 352);
    }

    void reportsWhatItCannotRead()
    {
        BlinkAnalysis::Options options;
        options.videoPath = QStringLiteral("/nonexistent/clip.mp4");
        BlinkAnalysis analysis(options);
        QVERIFY(!analysis.run());
        QVERIFY(analysis.errorText().contains("/nonexistent/clip.mp4"));
    }
};

QTEST_MAIN(TestAnalyze)
#include "test_analyze.moc"
