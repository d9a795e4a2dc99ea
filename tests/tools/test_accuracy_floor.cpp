#include "support/SharedData.h"
#include "tools/analyze/BlinkAnalysis.h"
#include "tools/blinkeval/BlinkEval.h"

#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

using namespace winkwell::blinkeval;

// Guards the engine's accuracy: winkwell-analyze and winkwell-blinkeval, through their libraries,
// over pairs of shared clips. Each floor leaves room for about two errors; a change that costs
// more has to show why.
class TestAccuracyFloor : public QObject
{
    Q_OBJECT

private slots:
    void eventF1StaysAboveTheFloor_data()
    {
        QTest::addColumn<QStringList>("clips");
        QTest::addColumn<double>("floor");
        // The two shortest synthetic clips (900 frames at 15 fps each). Measured when the eye
        // flow was first taken with the head held still: dev_06 14 hits, dev_17 14 hits, nothing
        // false or missed (before, the nods of dev_06 made 6 false blinks).
        QTest::newRow("synthetic") << QStringList{"synthetic/dev_06", "synthetic/dev_17"} << 0.95;
        // Real faces with expressions: laughing (dev37) and grimaces, squints and crossed eyes
        // (dev42). Measured when blinks were first confirmed by the lids: dev37 29 hits, 1 missed;
        // dev42 8 hits, 2 false, 2 missed (the flow alone: 64 false on dev42, F1 0.52 together).
        // With the eye-state model (which saw both clips in training): dev37 the same, dev42 8
        // hits, 4 false, 2 missed, F1 0.914 together.
        QTest::newRow("real, expressions")
            << QStringList{"real/dev37/dev37", "real/dev42/dev42"} << 0.85;
        // Fast blinks of talking faces whose heads move (dev27; dev35 with glasses, a one-frame
        // closure and head turns): the skin beside the eyes folds with the lid, the head's fit
        // follows it, and a margin for head motion took the closing away. Measured when the look
        // at the lids took that margin's place: dev27 6 hits, dev35 8 hits, 2 missed, F1 0.933
        // (with the margin 5 and 6 hits, 1 and 4 missed, F1 0.815).
        QTest::newRow("real, fast blinks of moving heads")
            << QStringList{"real/dev27/dev27", "real/dev35/dev35"} << 0.85;
        // Long blinks whose lids rest shut (clip02: 0.5-0.7 s, most of it closed) beside a
        // near-negative face that lowers its gaze for long (dev41). Measured when the lid's rest
        // first stopped counting towards the longest blink, with leave-one-clip-out models:
        // clip02 14 hits, 2 missed (11 and 5 before); dev41 1 hit, 1 false; F1 0.909 (0.800).
        QTest::newRow("real, long blinks and a lowered gaze")
            << QStringList{"real/clip02/clip02", "real/dev41/dev41"} << 0.85;
    }

    void eventF1StaysAboveTheFloor()
    {
        QFETCH(QStringList, clips);
        QFETCH(double, floor);
        QStringList needed{cnnFaceModel(), builtLandmarkModel()};
        QStringList videos;
        for (const QString& clip : clips) {
            const QString video =
                sharedFile("data/" + clip + (clip.startsWith("real") ? ".mp4" : ".avi"));
            videos << video;
            needed << video << sharedFile("data/" + clip + ".tag")
                   << sharedFile("data/" + clip + ".json");
        }
        SKIP_UNLESS_PRESENT(needed);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        Counts total;
        QString perClip;
        for (int i = 0; i < clips.size(); ++i) {
            const QString clip = clips.at(i).section('/', -1);
            BlinkAnalysis::Options options;
            options.videoPath = videos.at(i);
            options.landmarkModelPath = builtLandmarkModel();
            options.eyeStateModelPath = builtEyeStateModel();
            options.faceModelCandidates = QStringList{cnnFaceModel()};
            BlinkAnalysis analysis(options);
            QVERIFY2(analysis.run(), qPrintable(analysis.errorText()));

            // The detections take the same road as in bench/accuracy: JSON, then the scorer.
            const QString detections = dir.filePath(clip + ".json");
            QFile file(detections);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QJsonDocument(analysis.toJson()).toJson());
            file.close();
            ClipScore score;
            QString error;
            QVERIFY2(evaluateClip({sharedFile("data/" + clips.at(i) + ".tag"), detections}, 0,
                                  score, error),
                     qPrintable(error));
            perClip += QStringLiteral("; %1: %2 hits, %3 false, %4 missed")
                           .arg(clip)
                           .arg(score.truePositives)
                           .arg(score.falsePositives)
                           .arg(score.misses);
            total.truePositives += score.truePositives;
            total.falsePositives += score.falsePositives;
            total.misses += score.misses;
        }
        const double f1 = f1Score(total).value_or(0.0);
        const QString why =
            QStringLiteral("event F1 %1 is below the floor %2").arg(f1, 0, 'f', 3).arg(floor) +
            perClip;
        QVERIFY2(f1 >= floor, qPrintable(why));
    }
};

QTEST_MAIN(TestAccuracyFloor)
#include "test_accuracy_floor.moc"
