#include "common/SharedTypes.h"
#include "model/Model.h"
#include "model/StatusImages.h"
#include "support/FakeFaceDetector.h"
#include "support/FakeFrameSource.h"
#include "support/TinyLandmarkModel.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The engine's run lifecycle against a stand-in camera on simulated time.
Q_DECLARE_METATYPE(cv::Size)

class TestModelLifecycle : public QObject
{
    Q_OBJECT

private:
    struct Engine
    {
        std::shared_ptr<SimulatedEngineClock> clock = std::make_shared<SimulatedEngineClock>();
        std::shared_ptr<FakeFrameSource> camera = std::make_shared<FakeFrameSource>(clock.get());
        FakeFaceDetector* detector = nullptr;
        std::unique_ptr<Model> model;
    };

    QTemporaryDir m_dir;
    QString m_landmarks;

    // An initialised engine; faces = true makes the detector see one face in every frame.
    std::unique_ptr<Engine> makeEngine(bool faces, const QString& landmarkPath = QString())
    {
        auto engine = std::make_unique<Engine>();
        ModelOptions options;
        options.frameSource = engine->camera;
        options.clock = engine->clock;
        options.landmarkModelPath = landmarkPath.isEmpty() ? m_landmarks : landmarkPath;
        Engine* raw = engine.get();
        options.faceDetectorFactory = [raw, faces] {
            auto detector = std::make_unique<FakeFaceDetector>();
            if (faces) {
                detector->faces.push_back(FakeFaceDetector::face(50, 25, 60, 70));
            }
            raw->detector = detector.get();
            return std::unique_ptr<FaceDetector>(std::move(detector));
        };
        engine->model = std::make_unique<Model>(options);
        engine->model->init();
        return engine;
    }

private slots:
    void initTestCase()
    {
        registerSharedTypes();
        QVERIFY(m_dir.isValid());
        m_landmarks = m_dir.filePath("data.dat");
        QVERIFY(writeTinyLandmarkModel(m_landmarks));
    }

    void stopWithoutRunReportsAtOnce()
    {
        auto engine = makeEngine(true);
        QSignalSpy stopped(engine->model.get(), &Model::stopped);
        engine->model->stop();
        QCOMPARE(stopped.count(), 1);
    }

    void stopDuringRunEndsAtNextFrameWithoutResult()
    {
        auto engine = makeEngine(true);
        Model& model = *engine->model;
        QSignalSpy stopped(&model, &Model::stopped);
        QSignalSpy errors(&model, &Model::errorOccurred);
        QSignalSpy results(&model, &Model::measurementSuccessful);
        QSignalSpy activated(&model, &Model::webcamActivated);
        model.startBlinkMeasurement();
        QCOMPARE(model.cameraUse(), 2);
        QCOMPARE(activated.count(), 1);
        QCOMPARE(activated.at(0).at(0).value<Feature>(), FeatureMeasurement);
        model.stop();
        QCOMPARE(stopped.count(), 0); // not before the next frame call
        QVERIFY(stopped.wait(2000));
        QCOMPARE(model.cameraUse(), 0);
        QVERIFY(!engine->camera->isOpened());
        QCOMPARE(errors.count(), 0);
        QCOMPARE(results.count(), 0);
    }

    void quitDuringRunFinishesWithoutStopped()
    {
        auto engine = makeEngine(true);
        Model& model = *engine->model;
        QSignalSpy stopped(&model, &Model::stopped);
        QSignalSpy finished(&model, &Model::finished);
        model.startTraining();
        QCOMPARE(model.cameraUse(), 1);
        model.quit();
        QCOMPARE(finished.count(), 0);
        QVERIFY(finished.wait(2000));
        QCOMPARE(finished.count(), 1);
        QVERIFY(!engine->camera->isOpened());
        QCOMPARE(model.cameraUse(), 0);
        QTest::qWait(20);
        QCOMPARE(stopped.count(), 0);
    }

    void quitWithoutRunFinishesAtOnce()
    {
        auto engine = makeEngine(true);
        QSignalSpy finished(engine->model.get(), &Model::finished);
        engine->model->quit();
        QCOMPARE(finished.count(), 1);
        // An ended engine starts no run and finishes only once.
        engine->model->startTraining();
        QCOMPARE(engine->model->cameraUse(), 0);
        QCOMPARE(engine->camera->openCalls, 0);
        QCOMPARE(finished.count(), 1);
    }

    void cameraThatDoesNotOpen()
    {
        auto engine = makeEngine(true);
        engine->camera->opens = false;
        Model& model = *engine->model;
        QSignalSpy errors(&model, &Model::errorOccurred);
        QSignalSpy frames(&model, &Model::frameReceived);
        QSignalSpy runs(&model, &Model::cameraRunEnded);
        model.startBlinkMeasurement();
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).value<Error>(), ErrorCameraOccupied);
        QCOMPARE(frames.count(), 0);
        QCOMPARE(model.cameraUse(), 0);

        // The preview also shows the "camera occupied" picture; a throwing open is the same.
        engine->camera->throwOnOpen = true;
        model.startLivePreview();
        QCOMPARE(errors.count(), 2);
        QCOMPARE(errors.at(1).at(0).value<Error>(), ErrorCameraOccupied);
        QCOMPARE(frames.count(), 1);
        QCOMPARE(runs.count(), 0); // the camera never ran
    }

    void emptyFrameWhenOpeningAndInCycle()
    {
        auto engine = makeEngine(true);
        Model& model = *engine->model;
        QSignalSpy errors(&model, &Model::errorOccurred);
        engine->camera->emptyFromFrame = 3; // inside the warm-up
        model.startBlinkMeasurement();
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).value<Error>(), ErrorEmptyFrame);
        QVERIFY(!engine->camera->isOpened());

        engine->camera->emptyFromFrame = 20; // a dozen frames into the run
        QSignalSpy frames(&model, &Model::frameReceived);
        model.startLivePreview();
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 2, 2000);
        QCOMPARE(errors.at(1).at(0).value<Error>(), ErrorEmptyFrame);
        QCOMPARE(model.cameraUse(), 0);
        QVERIFY(!engine->camera->isOpened());
        QVERIFY(frames.count() >= 2); // preview frames, then the "empty frame" picture
    }

    void stopWinsOverError()
    {
        auto engine = makeEngine(true);
        Model& model = *engine->model;
        engine->camera->emptyFromFrame = 9;
        QSignalSpy errors(&model, &Model::errorOccurred);
        QSignalSpy stopped(&model, &Model::stopped);
        model.startBlinkMeasurement();
        model.stop();
        QTRY_COMPARE_WITH_TIMEOUT(stopped.count(), 1, 2000);
        QCOMPARE(errors.count(), 0);
    }

    void secondStartOnlyLogs()
    {
        auto engine = makeEngine(true);
        Model& model = *engine->model;
        QSignalSpy started(&model, &Model::trainingStarted);
        model.startBlinkMeasurement();
        model.startTraining();
        model.startLivePreview();
        QCOMPARE(model.cameraUse(), 2);
        QCOMPARE(started.count(), 0);
        QCOMPARE(engine->camera->openCalls, 1);
        model.stop();
    }

    void cameraSwitchRestartsRun()
    {
        auto engine = makeEngine(true);
        Model& model = *engine->model;
        QSignalSpy activated(&model, &Model::webcamActivated);
        model.setCameraID(0); // the current id changes nothing
        model.startBlinkMeasurement();
        QCOMPARE(engine->camera->lastOpenedId, 0);
        QTRY_VERIFY_WITH_TIMEOUT(model.frameCounter() > 5, 2000);
        model.setCameraID(1);
        QTRY_COMPARE_WITH_TIMEOUT(engine->camera->openCalls, 2, 2000);
        QCOMPARE(engine->camera->lastOpenedId, 1);
        QCOMPARE(activated.count(), 2);
        QCOMPARE(model.cameraUse(), 2);
        QVERIFY(model.frameCounter() < 5); // the run starts again from its first frame
        model.stop();
        QTRY_COMPARE_WITH_TIMEOUT(model.cameraUse(), 0, 2000);
    }

    void wideFramesAreProcessedAt640()
    {
        auto engine = makeEngine(true);
        engine->camera->size = cv::Size(1280, 720);
        Model& model = *engine->model;
        model.startLivePreview();
        QTRY_VERIFY_WITH_TIMEOUT(model.frameCounter() >= 1, 2000);
        // The detector sees a quarter of the 640 x 360 frame.
        QCOMPARE(engine->detector->lastImageSize, cv::Size(160, 90));
        model.stop();
        QTRY_COMPARE_WITH_TIMEOUT(model.cameraUse(), 0, 2000);
    }

    // A camera may switch its resolution in the middle of a run: frames are still processed at
    // 640 pixels width, and the change is logged.
    void resolutionChangeMidRunIsRescaled_data()
    {
        QTest::addColumn<cv::Size>("opening");
        QTest::addColumn<cv::Size>("changed");
        QTest::addColumn<cv::Size>("smallImage");
        QTest::newRow("up to 1280 x 960")
            << cv::Size(640, 480) << cv::Size(1280, 960) << cv::Size(160, 120);
        QTest::newRow("down to 640 x 480")
            << cv::Size(1280, 720) << cv::Size(640, 480) << cv::Size(160, 120);
        QTest::newRow("to 320 x 180")
            << cv::Size(640, 480) << cv::Size(320, 180) << cv::Size(160, 90);
    }

    void resolutionChangeMidRunIsRescaled()
    {
        QFETCH(cv::Size, opening);
        QFETCH(cv::Size, changed);
        QFETCH(cv::Size, smallImage);
        auto engine = makeEngine(true);
        engine->camera->size = opening;
        engine->camera->changeFromFrame = 20;
        engine->camera->changedSize = changed;
        Model& model = *engine->model;
        QSignalSpy errors(&model, &Model::errorOccurred);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("frame size changed"));
        model.startLivePreview();
        QTRY_VERIFY_WITH_TIMEOUT(engine->camera->frameIndex() > 40, 2000);
        QCOMPARE(engine->detector->lastImageSize, smallImage);
        QVERIFY(model.lastFace().has_value());
        QCOMPARE(errors.count(), 0);
        model.stop();
        QTRY_COMPARE_WITH_TIMEOUT(model.cameraUse(), 0, 2000);
    }

    // Frames of an unexpected pixel type end the run like an empty frame, whether the camera
    // opens with them or turns to them later; nothing escapes into the event loop.
    void unexpectedFrameTypeEndsTheRun_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<qint64>("fromFrame");
        QTest::newRow("grey at opening") << int(CV_8UC1) << qint64(0);
        QTest::newRow("grey mid-run") << int(CV_8UC1) << qint64(15);
        QTest::newRow("16-bit mid-run") << int(CV_16UC3) << qint64(15);
        QTest::newRow("4 channels at opening") << int(CV_8UC4) << qint64(0);
        QTest::newRow("4 channels mid-run") << int(CV_8UC4) << qint64(15);
        QTest::newRow("floating point mid-run") << int(CV_32FC3) << qint64(15);
    }

    void unexpectedFrameTypeEndsTheRun()
    {
        QFETCH(int, type);
        QFETCH(qint64, fromFrame);
        auto engine = makeEngine(true);
        engine->camera->changeFromFrame = fromFrame;
        engine->camera->changedType = type;
        Model& model = *engine->model;
        QSignalSpy errors(&model, &Model::errorOccurred);
        QSignalSpy frames(&model, &Model::frameReceived);
        model.startLivePreview();
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 2000);
        QCOMPARE(errors.at(0).at(0).value<Error>(), ErrorEmptyFrame);
        QCOMPARE(model.cameraUse(), 0);
        QVERIFY(!engine->camera->isOpened());
        QVERIFY(frames.count() >= 1); // the "empty frame" picture
    }

    void slowInterfaceGetsUntouchedPicturesAndAlwaysTheStatusPicture()
    {
        auto engine = makeEngine(true);
        engine->camera->numberedFrames = true;
        engine->camera->emptyFromFrame = 20; // a dozen preview frames, then the camera goes
        Model& model = *engine->model;
        QThread thread;
        model.moveToThread(&thread);
        std::atomic<bool> runEnded{false};
        connect(
            &model, &Model::errorOccurred, &model, [&] { runEnded = true; }, Qt::DirectConnection);
        thread.start();
        // A slow interface: it holds the first picture until the run has ended, so the engine
        // sends its later frames and the "empty frame" picture while every buffer is taken.
        int received = 0;
        int changedWhileRead = 0;
        QImage last;
        connect(&model, &Model::frameReceived, this, [&](QImage* image) {
            const QRgb before = image->pixel(200, 150);
            for (int i = 0; received == 0 && !runEnded && i < 500; ++i) {
                QThread::msleep(10);
            }
            changedWhileRead += image->pixel(200, 150) != before;
            last = image->copy();
            ++received;
        });
        QMetaObject::invokeMethod(&model, "startLivePreview", Qt::QueuedConnection);
        QTRY_VERIFY_WITH_TIMEOUT(runEnded, 10000);
        thread.quit();
        QVERIFY(thread.wait(5000));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(changedWhileRead, 0);
        // Live pictures the interface had no time for were dropped, not queued up...
        QVERIFY(received >= 2);
        QVERIFY(model.frameCounter() > quint64(received));
        // ...but the status picture arrived, and last.
        StatusImages status;
        status.draw(screenFontFactor());
        QVERIFY(last == status.emptyFrame);
    }

    void missingOrGarbageLandmarkModel_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("garbage") << QByteArray("this is not a landmark model at all");
        QTest::newRow("truncated") << QByteArray("\x00\x00\x00\x01\x02", 5);
    }

    void missingOrGarbageLandmarkModel()
    {
        QFETCH(QByteArray, content);
        QString path = m_dir.filePath("absent.dat");
        if (!content.isEmpty()) {
            path = m_dir.filePath("broken.dat");
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(content);
        }
        auto engine = makeEngine(true, path);
        Model& model = *engine->model;
        QSignalSpy errors(&model, &Model::errorOccurred);
        QSignalSpy frames(&model, &Model::frameReceived);
        model.startBlinkMeasurement();
        model.startTraining();
        model.startLivePreview();
        QCOMPARE(errors.count(), 3);
        for (const auto& error : errors) {
            QCOMPARE(error.at(0).value<Error>(), ErrorMissingData);
        }
        QCOMPARE(frames.count(), 1); // the "missing file" picture
        QCOMPARE(engine->camera->openCalls, 0);
    }

    void failedInitStillLetsStartUpGoOn()
    {
        auto engine = makeEngine(true);
        ModelOptions options;
        options.frameSource = engine->camera;
        options.clock = engine->clock;
        options.landmarkModelPath = m_dir.filePath("absent.dat");
        options.faceDetectorFactory = [] { return std::make_unique<FakeFaceDetector>(); };
        Model model(options);
        QSignalSpy initialized(&model, &Model::modelInitialized);
        model.init();
        QCOMPARE(initialized.count(), 1);
    }
};

QTEST_MAIN(TestModelLifecycle)
#include "test_model_lifecycle.moc"
