#include "app/EngineSchedulerWiring.h"
#include "common/SharedTypes.h"
#include "controller/ControllerHarness.h"
#include "model/EngineClock.h"
#include "model/Model.h"
#include "model/RecordedFrameSource.h"
#include "support/SharedData.h"

#include <QTemporaryDir>
#include <QtTest>
#include <opencv2/imgcodecs.hpp>

// The presence look with the real engine and a recording as its camera, the scheduler on
// simulated time: a face in the clip keeps reading from counting as a break; an empty room, a
// frame folder of a grey wall, ends the break window as a natural break.
class TestPresenceEndToEnd : public QObject
{
    Q_OBJECT

    std::unique_ptr<Model> engine(const QString& source, ControllerHarness& h)
    {
        ModelOptions options;
        options.clock = m_clock;
        options.frameSource =
            std::make_shared<RecordedFrameSource>(source.toStdString(), m_clock.get());
        options.landmarkModelPath = builtLandmarkModel();
        options.faceModelCandidates = QStringList{cnnFaceModel()};
        auto model = std::make_unique<Model>(options);
        model->init();
        connectEngineAndScheduler(model.get(), h.controller.get(), Qt::DirectConnection);
        return model;
    }

    // A second at a time; each look runs to its answer before the next second.
    static void liveUntil(ControllerHarness& h, const Model& model, qint64 untilMs)
    {
        while (h.nowMs() < untilMs) {
            h.advanceMs(1000);
            while (model.cameraUse() != 0) {
                QCoreApplication::processEvents();
            }
        }
    }

    std::shared_ptr<SimulatedEngineClock> m_clock = std::make_shared<SimulatedEngineClock>();

private slots:
    void initTestCase() { registerSharedTypes(); }

    void readingKeepsTheBreakDueAndAnEmptyRoomEndsIt()
    {
        const QString clip = sharedFile(QStringLiteral("data/synthetic/dev_08.avi"));
        SKIP_UNLESS_PRESENT(clip, cnnFaceModel(), builtLandmarkModel());
        QTemporaryDir frames;
        cv::Mat wall(480, 640, CV_8UC3, cv::Scalar(118, 122, 126));
        for (int i = 0; i < 90; ++i) {
            cv::Mat frame = wall.clone();
            cv::randn(frame, cv::Scalar::all(122), cv::Scalar::all(4));
            QVERIFY(cv::imwrite(frames.filePath(QString::asprintf("%04d.png", i)).toStdString(),
                                frame));
        }

        ControllerHarness h;
        ApplicationController& c = *h.controller;
        c.enableComputerBreaks(true);
        c.includeNaturalBreaks(true);
        c.useWebcamInComputerBreaks(true);
        for (qint64 t = 50000; t <= 600000; t += 50000) {
            h.advanceTo(t);
            h.user->moveMouse();
        }
        {
            auto reader = engine(clip, h);
            QSignalSpy answers(reader.get(), &Model::userPresenceDetected);
            QSignalSpy runs(reader.get(), &Model::cameraRunEnded);
            liveUntil(h, *reader, 1300000);
            QVERIFY(answers.count() >= 2);
            for (const QList<QVariant>& answer : answers) {
                QVERIFY(answer.at(0).toBool());
            }
            QCOMPARE(runs.count(), answers.count());
            QCOMPARE(runs.at(0).at(0).value<CameraRunReport>().kind, FeaturePresence);
            QCOMPARE(c.breakSchedule().nextBreakTime(), h.at(3000000)); // no natural break
        }
        auto emptyRoom = engine(frames.filePath("%04d.png"), h);
        QSignalSpy answers(emptyRoom.get(), &Model::userPresenceDetected);
        liveUntil(h, *emptyRoom, 1500000);
        QVERIFY(answers.count() >= 1);
        QVERIFY(!answers.at(0).at(0).toBool());
        // Nobody there: a natural break, and the schedule starts over from it.
        QVERIFY(c.breakSchedule().nextBreakTime() > h.at(3000000));
        QCOMPARE(c.featureInUse(), int(FeatureFreeCamera));
    }
};

QTEST_MAIN(TestPresenceEndToEnd)
#include "test_presence_end_to_end.moc"
