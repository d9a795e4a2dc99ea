#include "common/SharedTypes.h"
#include "model/EyeMotionMeter.h"
#include "model/Model.h"
#include "model/RecordedFrameSource.h"
#include "support/FakeFaceDetector.h"
#include "support/FakeFrameSource.h"
#include "support/SharedData.h"
#include "support/SyntheticFace.h"
#include "support/TinyLandmarkModel.h"

#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

Q_DECLARE_METATYPE(ClosureCues)

// What each run does with time, faces and blinks: the measurement's three minutes and result,
// the training run's reminder and blink, the no-face and frame-rate rules.
class TestModelRuns : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_landmarks;
    std::shared_ptr<SimulatedEngineClock> m_clock;
    std::shared_ptr<FakeFrameSource> m_camera;
    FakeFaceDetector* m_detector = nullptr;

    std::unique_ptr<Model>
    makeModel(std::shared_ptr<FrameSource> source = nullptr,
              MotionCompensation compensation = ModelOptions().motionCompensation,
              ClosureCues cues = ModelOptions().closureCues)
    {
        m_clock = std::make_shared<SimulatedEngineClock>();
        m_camera = std::make_shared<FakeFrameSource>(m_clock.get());
        ModelOptions options;
        options.frameSource = source ? source : m_camera;
        options.clock = m_clock;
        options.landmarkModelPath = m_landmarks;
        // As in the program: between runs the landmark model waits on disk.
        options.landmarkCacheFolder = m_dir.filePath(QStringLiteral("cache"));
        options.eyeStateModelPath = m_eyeStateModel;
        options.motionCompensation = compensation;
        options.closureCues = cues;
        options.faceDetectorFactory = [this] {
            auto detector = std::make_unique<FakeFaceDetector>();
            detector->faces.push_back(FakeFaceDetector::face(50, 25, 60, 70));
            m_detector = detector.get();
            return std::unique_ptr<FaceDetector>(std::move(detector));
        };
        auto model = std::make_unique<Model>(options);
        model->init();
        return model;
    }

    double seconds() const { return m_clock->nowNs() / 1e9; }

    double kNoiseSigma = 2.0;
    // What the last playFace() run measured of each counted blink: complete or not.
    QVector<bool> m_complete;
    ClosureCues m_cues = ModelOptions().closureCues;
    QString m_eyeStateModel = builtEyeStateModel();
    double m_fps = 30.0;
    // Draws on the rendered face before the camera's noise (expressions).
    std::function<void(double seconds, cv::Mat& grey)> m_expression;

    struct EventSpan
    {
        quint64 start;
        quint64 end;
    };

    // A blink every 1.5 s: closing in 0.1 s, closed for 0.07 s, open again 0.2 s later.
    static double blinkEveryOneAndAHalfSeconds(double t)
    {
        const double at = std::fmod(t, 1.5) - 0.5;
        if (at < 0 || at > 0.37) {
            return 0.0;
        }
        return at < 0.1 ? at / 0.1 : at < 0.17 ? 1.0 : 1.0 - (at - 0.17) / 0.2;
    }

    // The head bobbing up and down by 4 px.
    static std::function<cv::Matx23d(double seconds)> bobbing(double hertz)
    {
        return [hertz](double t) {
            return SyntheticFace::shift(0, 4.0 * std::sin(2 * M_PI * hertz * t));
        };
    }

    // Brows that come down and go up again, or cheeks that speech pulls down: every 1.5 s the skin
    // above (or below) both eyes slides by up to `pixels` (down positive) and back, in the
    // time of a blink, while the eye openings and their lids stay where they are.
    static std::function<void(double, cv::Mat&)> skinAroundTheEyesMoves(const SyntheticFace& face,
                                                                        double pixels, bool above)
    {
        return [&face, pixels, above](double t, cv::Mat& grey) {
            // The lid crease above each eye and the fold below it: what shows the skin move.
            for (const EyeValues& eye : {face.eyes().first, face.eyes().second}) {
                const int width = eye.roiSize / 2;
                for (const double offset : {-0.3, 0.32}) {
                    cv::ellipse(grey, cv::Point(cvRound(eye.x), cvRound(eye.y + offset * width)),
                                cv::Size(width / 2, 3), 0, offset < 0 ? 180 : 0,
                                offset < 0 ? 360 : 180, cv::Scalar(110), 2);
                }
            }
            const double shift = pixels * blinkEveryOneAndAHalfSeconds(t);
            if (shift == 0.0) {
                return;
            }
            cv::Mat moved;
            cv::warpAffine(grey, moved, SyntheticFace::shift(0, shift), grey.size(),
                           cv::INTER_LINEAR, cv::BORDER_REPLICATE);
            for (const EyeValues& eye : {face.eyes().first, face.eyes().second}) {
                const cv::Rect square = EyeMotionMeter::square(eye, grey.size());
                cv::Mat skin(grey.size(), CV_8UC1, cv::Scalar(0));
                const int centre = cvRound(eye.y);
                const cv::Rect side =
                    above ? cv::Rect(square.x, square.y, square.width, centre - square.y)
                          : cv::Rect(square.x, centre, square.width, square.br().y - centre);
                skin(side).setTo(255);
                // The opening as the face draws it: as wide as the corner distance, 2/5 as high.
                const int width = eye.roiSize / 2;
                cv::ellipse(skin, cv::Point(cvRound(eye.x), centre),
                            cv::Size(width / 2 + 1, width * 2 / 5 / 2 + 1), 0, 0, 360,
                            cv::Scalar(0), cv::FILLED);
                moved.copyTo(grey, skin);
            }
        };
    }

    // Closures of exactly `closedFrames` shut frames at 25 fps, one every 38 frames (a whole
    // number, so that every closure meets the frames at the same phase): two frames closing,
    // the shut ones, three opening. The first starts a second in, once the run has seen the
    // open eye. Frames are counted as integers: a fraction of a frame would add or drop one.
    static std::function<double(double)> shortClosure(int closedFrames, double depth = 1.0)
    {
        return [closedFrames, depth](double t) {
            const int frame = cvRound(t * 25.0) % 38 - 25;
            if (frame < 0) {
                return 0.0;
            }
            const double closing = std::min(1.0, (frame + 1) / 3.0);
            const double opening = std::max(0.0, 1.0 - (frame - 1 - closedFrames) / 4.0);
            return depth * std::min(closing, opening);
        };
    }

    // A preview over `frames` frames of the synthetic face in the fake detector's face box, at
    // m_fps frames a second: the closure and pose of frame n (counted from the first frame the
    // camera delivers) are given. Returns the eye events and counts the blinks.
    QVector<EventSpan> playFace(MotionCompensation compensation, int frames,
                                const std::function<double(double seconds)>& closure,
                                const std::function<cv::Matx23d(double seconds)>& pose, int& blinks,
                                double gazeHold = 0.0)
    {
        const SyntheticFace face(cv::Rect(200, 100, 240, 280));
        auto model = makeModel(nullptr, compensation, m_cues);
        m_camera->fps = m_fps;
        m_camera->draw = [&](qint64 index, cv::Mat& frame) {
            const double t = index / m_camera->fps;
            cv::Mat grey = face.render(closure(t), pose(t), gazeHold);
            if (m_expression) {
                m_expression(t, grey);
            }
            // A camera's noise: it makes the flow of a moving head uneven, as on real skin.
            cv::Mat noise(grey.size(), CV_16SC1);
            cv::RNG rng(static_cast<uint64>(index + 1));
            rng.fill(noise, cv::RNG::NORMAL, 0, kNoiseSigma);
            grey.convertTo(grey, CV_16SC1);
            cv::add(grey, noise, grey);
            grey.convertTo(grey, CV_8UC1);
            cv::cvtColor(grey, frame, cv::COLOR_GRAY2BGR);
        };
        QVector<EventSpan> events;
        m_complete.clear();
        connect(model.get(), &Model::blinkClosureMeasured, this,
                [&](double, bool complete) { m_complete.append(complete); });
        connect(model.get(), &Model::eyeEventDetected, this,
                [&](quint64 start, quint64 end, double, bool) {
                    events.append({start, end});
                });
        model->startLivePreview();
        [&] { QTRY_VERIFY_WITH_TIMEOUT(m_camera->frameIndex() >= frames, 60000); }();
        blinks = static_cast<int>(model->blinkCount());
        model->stop();
        [&] { QTRY_COMPARE_WITH_TIMEOUT(model->cameraUse(), 0, 2000); }();
        m_camera->draw = nullptr;
        return events;
    }

private slots:
    void initTestCase()
    {
        registerSharedTypes();
        m_landmarks = m_dir.filePath("data.dat");
        QVERIFY(writeTinyLandmarkModel(m_landmarks));
    }

    void measurementArithmetic()
    {
        Model::MeasurementResult result = Model::measurementResult(12, 3.0);
        QCOMPARE(result.blinkRate, 4.0f);
        QCOMPARE(result.length, 250);
        result = Model::measurementResult(12, 2.4);
        QCOMPARE(result.length, 199); // truncated, not rounded
        QCOMPARE(result.incompleteShare, 0.0f);
        result = Model::measurementResult(12, 3.0, 3);
        QCOMPARE(result.incompleteShare, 0.25f);
        result = Model::measurementResult(0, 0.0);
        QCOMPARE(result.blinkRate, 0.0f);
        QCOMPARE(result.length, 0);
        QCOMPARE(result.incompleteShare, 0.0f);
    }

    void measurementReportsAfterThreeMinutes()
    {
        auto model = makeModel();
        m_camera->fps = 12;
        QSignalSpy results(model.get(), &Model::measurementSuccessful);
        QSignalSpy errors(model.get(), &Model::errorOccurred);
        QSignalSpy runs(model.get(), &Model::cameraRunEnded);
        double runStart = -1.0; // the run timer starts once the camera has warmed up
        connect(model.get(), &Model::webcamActivated, this, [&] { runStart = seconds(); });
        model->startBlinkMeasurement();
        QVERIFY(results.wait(60000));
        QCOMPARE(errors.count(), 0);
        QCOMPARE(results.at(0).at(0).toFloat(), 0.0f);
        QCOMPARE(results.at(0).at(1).toInt(), 0);
        QCOMPARE(results.at(0).at(2).toFloat(), 0.0f);
        // The first frame call after 180 s ends it (the opening frame counts as time 0).
        const double length = seconds() - runStart;
        QVERIFY2(length > 180.0 && length < 180.0 + 2.0 / 12, qPrintable(QString::number(length)));
        QCOMPARE(model->cameraUse(), 0);
        QVERIFY(!m_camera->isOpened());
        QCOMPARE(runs.count(), 1);
        const auto run = runs.at(0).at(0).value<CameraRunReport>();
        QCOMPARE(run.kind, FeatureMeasurement);
        QCOMPARE(run.ending, CameraRunEnd::Finished);
        QVERIFY2(run.cameraMs > 180000 && run.cameraMs < 180200,
                 qPrintable(QString::number(run.cameraMs)));
        QCOMPARE(run.frames, model->frameCounter());
    }

    void lowFrameRateEndsMeasurementButNotPreview()
    {
        auto model = makeModel();
        m_camera->fps = 9;
        QSignalSpy errors(model.get(), &Model::errorOccurred);
        QSignalSpy runs(model.get(), &Model::cameraRunEnded);
        model->startBlinkMeasurement();
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 5000);
        QCOMPARE(errors.at(0).at(0).value<Error>(), ErrorLowFps);
        QCOMPARE(model->frameCounter(), quint64(31));
        QCOMPARE(model->frameRate(), 9);

        QSignalSpy frames(model.get(), &Model::frameReceived);
        model->startLivePreview();
        QCOMPARE(model->frameRate(), 30); // until the first 31 frames are measured
        QTRY_VERIFY_WITH_TIMEOUT(model->frameCounter() > 40, 5000);
        QCOMPARE(model->frameRate(), 9);
        QCOMPARE(errors.count(), 1);
        QVERIFY(frames.count() > 40);
        model->stop();
        QTRY_COMPARE_WITH_TIMEOUT(model->cameraUse(), 0, 2000);
        // Each run told once: the measurement by its error, the preview by its stop.
        QCOMPARE(runs.count(), 2);
        QCOMPARE(runs.at(0).at(0).value<CameraRunReport>().ending, CameraRunEnd::Error);
        QCOMPARE(runs.at(0).at(0).value<CameraRunReport>().frames, quint64(31));
        QCOMPARE(runs.at(1).at(0).value<CameraRunReport>().kind, FeatureFreeCamera);
        QCOMPARE(runs.at(1).at(0).value<CameraRunReport>().ending, CameraRunEnd::Stopped);
    }

    // A presence look: the first face answers at once, none in 2 s of camera time is an absence;
    // the camera goes before the answer, and the run is told as a look of its own.
    void presenceLookAnswersAndReleasesTheCamera_data()
    {
        QTest::addColumn<bool>("face");
        QTest::newRow("face") << true;
        QTest::newRow("nobody") << false;
    }

    void presenceLookAnswersAndReleasesTheCamera()
    {
        QFETCH(bool, face);
        auto model = makeModel();
        if (!face) {
            m_detector->faces.clear();
        }
        QSignalSpy answers(model.get(), &Model::userPresenceDetected);
        QSignalSpy activated(model.get(), &Model::webcamActivated);
        QSignalSpy runs(model.get(), &Model::cameraRunEnded);
        QSignalSpy blinks(model.get(), &Model::blinkDetected);
        bool releasedFirst = false;
        connect(model.get(), &Model::userPresenceDetected, this,
                [&] { releasedFirst = !m_camera->isOpened(); });
        double start = -1.0;
        connect(model.get(), &Model::webcamActivated, this, [&] { start = seconds(); });
        model->detectUser();
        QTRY_COMPARE_WITH_TIMEOUT(answers.count(), 1, 5000);
        QCOMPARE(answers.at(0).at(0).toBool(), face);
        QVERIFY(releasedFirst);
        QCOMPARE(model->cameraUse(), 0);
        QCOMPARE(activated.count(), 1);
        QCOMPARE(activated.at(0).at(0).value<Feature>(), FeaturePresence);
        const double took = seconds() - start;
        QVERIFY2(face ? took < 0.1 : took >= 2.0 && took < 2.1, qPrintable(QString::number(took)));
        QCOMPARE(runs.count(), 1);
        const auto run = runs.at(0).at(0).value<CameraRunReport>();
        QCOMPARE(run.kind, FeaturePresence);
        QCOMPARE(run.ending, CameraRunEnd::Finished);
        // 2 s at 30 frames a second.
        QVERIFY2(face ? run.frames == 1 : run.frames >= 59 && run.frames <= 61,
                 qPrintable(QString::number(run.frames)));
        QCOMPARE(blinks.count(), 0);
        // The engine is free for the next run; a look asked for beside it is answered at once.
        QSignalSpy errors(model.get(), &Model::errorOccurred);
        QSignalSpy failed(model.get(), &Model::presenceLookFailed);
        model->startBlinkMeasurement();
        QTRY_COMPARE_WITH_TIMEOUT(model->cameraUse(), 2, 2000);
        model->detectUser();
        QCOMPARE(failed.count(), 1);
        QCOMPARE(model->cameraUse(), 2);
        model->stop();
        QTRY_COMPARE_WITH_TIMEOUT(model->cameraUse(), 0, 2000);
        QCOMPARE(errors.count(), 0);
    }

    void faceLostTooLongEndsMeasurement()
    {
        auto model = makeModel();
        QSignalSpy errors(model.get(), &Model::errorOccurred);
        double lostAt = -1.0;
        double foundAt = -1.0;
        // Lost for 7.9 s: the run goes on. Lost again for good: it ends just after 8 s.
        connect(model.get(), &Model::frameProcessed, this, [&] {
            const quint64 n = model->frameCounter();
            if (n == 30 || n == 400) { // the face is back long before frame 400
                m_detector->faces.clear();
                lostAt = seconds();
            } else if (lostAt > 0 && foundAt < 0 && seconds() - lostAt >= 7.9) {
                m_detector->faces.push_back(FakeFaceDetector::face(50, 25, 60, 70));
                foundAt = seconds();
            }
        });
        model->startBlinkMeasurement();
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 10000);
        QCOMPARE(errors.at(0).at(0).value<Error>(), ErrorNoFace);
        QVERIFY(foundAt > 0);
        QVERIFY(model->frameCounter() > 400);
        // The first faceless frame is the one after lostAt was taken.
        const double lost = seconds() - lostAt;
        QVERIFY2(lost > 8.0 && lost < 8.0 + 3.0 / 30, qPrintable(QString::number(lost)));
    }

    void trainingReportsMissingBlinkOnceAndEndsWithoutFace()
    {
        auto model = makeModel();
        QSignalSpy reactions(model.get(), &Model::blinkReactionToReminder);
        QSignalSpy started(model.get(), &Model::trainingStarted);
        QSignalSpy errors(model.get(), &Model::errorOccurred);
        QSignalSpy runs(model.get(), &Model::cameraRunEnded);
        double runStart = -1.0;
        double reportedAt = -1.0;
        connect(model.get(), &Model::trainingStarted, this, [&] { runStart = seconds(); });
        connect(model.get(), &Model::blinkReactionToReminder, this,
                [&](bool) { reportedAt = seconds() - runStart; });
        connect(model.get(), &Model::frameProcessed, this, [&] {
            if (seconds() - runStart > 6.0) {
                m_detector->faces.clear();
            }
        });
        model->startTraining();
        QCOMPARE(started.count(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 10000);
        QCOMPARE(reactions.count(), 1);
        QCOMPARE(reactions.at(0).at(0).toBool(), false);
        QVERIFY2(reportedAt > 4.0 && reportedAt < 4.1, qPrintable(QString::number(reportedAt)));
        // A training run gives up after one second without a face.
        QCOMPARE(errors.at(0).at(0).value<Error>(), ErrorNoFace);
        const double end = seconds() - runStart;
        QVERIFY2(end > 7.0 && end < 7.2, qPrintable(QString::number(end)));
        QCOMPARE(runs.count(), 1);
        QCOMPARE(runs.at(0).at(0).value<CameraRunReport>().kind, FeatureInteractiveTraining);
        QCOMPARE(runs.at(0).at(0).value<CameraRunReport>().ending, CameraRunEnd::NoFace);
    }

    // A head bobbing up and down (a child, someone walking on the spot) moves the eyes down and
    // up within a blink's time; held still, it is no blink. Without that, it is. Eyes that keep
    // looking at the screen meanwhile turn against the head (here by a quarter of its motion):
    // no blink either.
    void bobbingHeadCountsNoBlink_data()
    {
        QTest::addColumn<double>("hertz");
        QTest::addColumn<bool>("stabilised");
        QTest::addColumn<double>("gazeHold");
        QTest::newRow("2 Hz") << 2.0 << true << 0.0;
        QTest::newRow("3.5 Hz") << 3.5 << true << 0.0;
        QTest::newRow("5 Hz") << 5.0 << true << 0.0;
        QTest::newRow("7 Hz") << 7.0 << true << 0.0;
        QTest::newRow("10 Hz") << 10.0 << true << 0.0;
        QTest::newRow("3.5 Hz, gaze held") << 3.5 << true << 0.25;
        QTest::newRow("7 Hz, gaze held") << 7.0 << true << 0.25;
        QTest::newRow("3.5 Hz, as it comes") << 3.5 << false << 0.0;
    }

    void bobbingHeadCountsNoBlink()
    {
        QFETCH(double, hertz);
        QFETCH(bool, stabilised);
        QFETCH(double, gazeHold);
        int blinks = -1;
        playFace(
            stabilised ? MotionCompensation::Stabilised : MotionCompensation::None, 300,
            [](double) { return 0.0; }, bobbing(hertz), blinks, gazeHold);
        if (stabilised) {
            QCOMPARE(blinks, 0);
        } else {
            QVERIFY2(blinks > 3, qPrintable(QString::number(blinks)));
        }
    }

    // With the head still, holding it still changes nothing: the same eye events, within a
    // frame.
    void stillHeadBlinksAsWithoutCompensation()
    {
        const auto still = [](double) { return SyntheticFace::still(); };
        int blinksAsItComes = -1;
        const QVector<EventSpan> asItComes = playFace(
            MotionCompensation::None, 300, blinkEveryOneAndAHalfSeconds, still, blinksAsItComes);
        int blinksHeld = -1;
        const QVector<EventSpan> held = playFace(MotionCompensation::Stabilised, 300,
                                                 blinkEveryOneAndAHalfSeconds, still, blinksHeld);
        QCOMPARE(blinksAsItComes, 7);
        QCOMPARE(blinksHeld, blinksAsItComes);
        QCOMPARE(held.size(), asItComes.size());
        for (int i = 0; i < held.size(); ++i) {
            QVERIFY(qAbs(qint64(held[i].start) - qint64(asItComes[i].start)) <= 1);
            QVERIFY(qAbs(qint64(held[i].end) - qint64(asItComes[i].end)) <= 1);
        }
    }

    // Blinks that come while the head bobs and the eyes hold their gaze all count, as the flow
    // finds them. (The fake detector's box, and the eyes the tiny landmark model puts in it, stay
    // put while the head bobs, so the eye-state model's patches slide by 4 px; the real landmark
    // model follows the eyes.)
    void blinksOfABobbingHeadCount()
    {
        int blinks = -1;
        m_cues = ClosureCues::None;
        playFace(MotionCompensation::Stabilised, 300, blinkEveryOneAndAHalfSeconds, bobbing(3.5),
                 blinks, 0.25);
        m_cues = ModelOptions().closureCues;
        QCOMPARE(blinks, 7);
    }

    // Skin that moves like a lid around lids that do not: the flow alone counts blinks, the
    // look at the eyes themselves none.
    void expressionsAroundStillLidsCountNoBlink_data()
    {
        QTest::addColumn<bool>("above");
        QTest::addColumn<double>("pixels");
        QTest::addColumn<ClosureCues>("cues");
        QTest::newRow("brows down and up, eye-state model") << true << 8.0 << ClosureCues::Learned;
        QTest::newRow("cheeks pulled down by an opening mouth, eye-state model")
            << false << 8.0 << ClosureCues::Learned;
        QTest::newRow("brows down and up, lids and grey levels")
            << true << 8.0 << ClosureCues::Both;
        QTest::newRow("cheeks pulled down by an opening mouth, lids and grey levels")
            << false << 8.0 << ClosureCues::Both;
    }

    void expressionsAroundStillLidsCountNoBlink()
    {
        QFETCH(bool, above);
        QFETCH(double, pixels);
        QFETCH(ClosureCues, cues);
        const SyntheticFace face(cv::Rect(200, 100, 240, 280));
        m_expression = skinAroundTheEyesMoves(face, pixels, above);
        const auto open = [](double) { return 0.0; };
        const auto still = [](double) { return SyntheticFace::still(); };
        int flowOnly = -1;
        m_cues = ClosureCues::None;
        playFace(MotionCompensation::Stabilised, 300, open, still, flowOnly);
        int checked = -1;
        m_cues = cues;
        playFace(MotionCompensation::Stabilised, 300, open, still, checked);
        m_cues = ModelOptions().closureCues;
        m_expression = nullptr;
        QVERIFY2(flowOnly > 3, qPrintable(QString::number(flowOnly)));
        QCOMPARE(checked, 0);
    }

    // Without a usable eye-state model the engine says so and counts every lid movement the flow
    // finds, as it did before it had the model.
    void expressionsCountWithoutTheEyeStateModel_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("garbage") << QByteArray("%YAML:1.0\n---\npatchWidth: [ 1, 2\n");
    }

    void expressionsCountWithoutTheEyeStateModel()
    {
        QFETCH(QByteArray, content);
        m_eyeStateModel = m_dir.filePath("absent.yml");
        if (!content.isEmpty()) {
            m_eyeStateModel = m_dir.filePath("broken.yml");
            QFile file(m_eyeStateModel);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(content);
        }
        const SyntheticFace face(cv::Rect(200, 100, 240, 280));
        m_expression = skinAroundTheEyesMoves(face, 8.0, true);
        int unconfirmed = -1;
        QTest::ignoreMessage(QtDebugMsg,
                             QRegularExpression("eye state model .* not loaded .*unconfirmed",
                                                QRegularExpression::DotMatchesEverythingOption));
        playFace(
            MotionCompensation::Stabilised, 300, [](double) { return 0.0; },
            [](double) { return SyntheticFace::still(); }, unconfirmed);
        m_expression = nullptr;
        m_eyeStateModel = builtEyeStateModel();
        QVERIFY2(unconfirmed > 3, qPrintable(QString::number(unconfirmed)));
    }

    // Blinks of one to three closed frames at 25 fps all count, as complete; lids that stop
    // well short count too, as incomplete. (On this drawn eye the eye-state model already scores
    // a lid half-way down about as high as a shut one of a real eye: the short one stops at 0.4.)
    void closuresCountWithTheirDepth_data()
    {
        QTest::addColumn<int>("closedFrames");
        QTest::addColumn<double>("depth");
        QTest::addColumn<bool>("complete");
        QTest::newRow("one closed frame") << 1 << 1.0 << true;
        QTest::newRow("two closed frames") << 2 << 1.0 << true;
        QTest::newRow("three closed frames") << 3 << 1.0 << true;
        QTest::newRow("lids stopping short") << 3 << 0.4 << false;
    }

    void closuresCountWithTheirDepth()
    {
        QFETCH(int, closedFrames);
        QFETCH(double, depth);
        QFETCH(bool, complete);
        m_fps = 25.0;
        int blinks = -1;
        playFace(
            MotionCompensation::Stabilised, 280, shortClosure(closedFrames, depth),
            [](double) { return SyntheticFace::still(); }, blinks);
        m_fps = 30.0;
        QCOMPARE(blinks, 7);
        QCOMPARE(m_complete, QVector<bool>(7, complete));
    }

    void trainingEndsWithTheBlinkAfterTheReminder()
    {
        const QString clip = sharedFile("data/synthetic/dev_08.avi");
        const QString faceModel = cnnFaceModel();
        const QString landmarks = builtLandmarkModel();
        SKIP_UNLESS_PRESENT(clip, faceModel, landmarks);
        // The clip's first blink ends 4.1 s in: the reminder comes first, then the blink.
        auto clock = std::make_shared<SimulatedEngineClock>();
        ModelOptions options;
        options.clock = clock;
        options.frameSource =
            std::make_shared<RecordedFrameSource>(clip.toStdString(), clock.get());
        options.landmarkModelPath = landmarks;
        options.eyeStateModelPath = builtEyeStateModel();
        options.faceModelCandidates = QStringList{faceModel};
        Model model(options);
        model.init();
        QSignalSpy reactions(&model, &Model::blinkReactionToReminder);
        QSignalSpy errors(&model, &Model::errorOccurred);
        model.startTraining();
        QTRY_COMPARE_WITH_TIMEOUT(reactions.count(), 2, 60000);
        QCOMPARE(reactions.at(0).at(0).toBool(), false);
        QCOMPARE(reactions.at(1).at(0).toBool(), true);
        QCOMPARE(errors.count(), 0);
        QVERIFY(model.blinkCount() >= 1);
        QCOMPARE(model.cameraUse(), 0);
    }
};

QTEST_MAIN(TestModelRuns)
#include "test_model_runs.moc"
