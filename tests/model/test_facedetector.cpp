#include "model/CascadeFaceDetector.h"
#include "model/CnnFaceDetector.h"
#include "model/FaceLocator.h"
#include "support/SharedData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

namespace {

const QString kSharedDir = QStringLiteral(WINKWELL_SHARED_DIR);
const QString kCnnModel = cnnFaceModel();
const QString kLandmarks68 =
    QStringLiteral("/usr/share/dlib/shape_predictor_68_face_landmarks.dat");

// A decoded clip frame as the engine processes it: 640 pixels wide, plus its quarter-size copy
// and the annotated centre of the eye on the image's left (same scale).
struct RealFrame
{
    cv::Mat frame;
    cv::Mat small;
    cv::Mat grey;
    cv::Point2f leftEyeCentre;
    bool eyesOpen = false;
};

bool loadFrame(const QString& clip, int index, RealFrame& out)
{
    const QString dir = kSharedDir + "/data/real/" + clip + "/";
    cv::VideoCapture capture((dir + clip + ".mp4").toStdString());
    if (!capture.isOpened()) {
        return false;
    }
    cv::Mat frame;
    for (int i = 0; i <= index; ++i) {
        if (!capture.read(frame) || frame.empty()) {
            return false;
        }
    }
    const float coefficient = frame.cols / 640.f;
    cv::resize(frame, out.frame, cv::Size(640, static_cast<int>(frame.rows / coefficient)), 0, 0,
               cv::INTER_LINEAR);
    cv::resize(out.frame, out.small, cv::Size(), 0.25, 0.25, cv::INTER_AREA);
    cv::cvtColor(out.frame, out.grey, cv::COLOR_BGR2GRAY);

    QFile tag(dir + clip + ".tag");
    if (!tag.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return false;
    }
    QTextStream in(&tag);
    const QString prefix = QString::number(index) + ':';
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (!line.startsWith(prefix)) {
            continue;
        }
        const QStringList f = line.split(':');
        if (f.size() < 19) {
            return false;
        }
        out.eyesOpen = f[1] == "-1";
        out.leftEyeCentre = cv::Point2f((f[11].toFloat() + f[13].toFloat()) / 2 / coefficient,
                                        (f[12].toFloat() + f[14].toFloat()) / 2 / coefficient);
        return true;
    }
    return false;
}

double distance(const cv::Point2f& a, const cv::Point2f& b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

double overlap(const FaceRecord& a, const FaceRecord& b)
{
    const cv::Rect ra(a.x, a.y, a.width, a.height);
    const cv::Rect rb(b.x, b.y, b.width, b.height);
    return static_cast<double>((ra & rb).area()) / (ra | rb).area();
}

} // namespace

class TestFaceDetector : public QObject
{
    Q_OBJECT

private:
    void addClipRows()
    {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<int>("index");
        QTest::newRow("clip02 frame 0") << "clip02" << 0;
        QTest::newRow("clip09 frame 30") << "clip09" << 30;
        QTest::newRow("clip13 frame 15") << "clip13" << 15;
    }

private slots:
    void cnnFindsTheFaceWithEyesInOrder_data() { addClipRows(); }

    void cnnFindsTheFaceWithEyesInOrder()
    {
        SKIP_UNLESS_PRESENT(kCnnModel, kSharedDir + "/data/real");
        QFETCH(QString, clip);
        QFETCH(int, index);
        RealFrame real;
        QVERIFY2(loadFrame(clip, index, real), qPrintable("cannot read " + clip));
        QVERIFY(real.eyesOpen);

        auto detector = CnnFaceDetector::create(kCnnModel);
        QVERIFY(detector);
        const std::vector<DetectedFace>& faces = detector->detect(real.small);
        int confident = 0;
        for (const DetectedFace& face : faces) {
            confident += face.confidence >= 90 ? 1 : 0;
        }
        QCOMPARE(confident, 1);
        const DetectedFace& face = faces.front();
        QVERIFY(face.confidence <= 100);
        QVERIFY(face.landmarks[0].x < face.landmarks[1].x);
        // Landmark 0 is the annotated eye on the image's left.
        const cv::Point2f first = face.landmarks[0] * 4.f;
        QVERIFY2(distance(first, real.leftEyeCentre) < 0.08 * face.width * 4,
                 qPrintable(QString("landmark 0 at %1,%2, left eye at %3,%4")
                                .arg(first.x)
                                .arg(first.y)
                                .arg(real.leftEyeCentre.x)
                                .arg(real.leftEyeCentre.y)));
    }

    void cascadeFindsTheSameFace_data() { addClipRows(); }

    void cascadeFindsTheSameFace()
    {
        SKIP_UNLESS_PRESENT(kCnnModel, kSharedDir + "/data/real");
        QFETCH(QString, clip);
        QFETCH(int, index);
        RealFrame real;
        QVERIFY(loadFrame(clip, index, real));
        auto cnn = CnnFaceDetector::create(kCnnModel);
        auto cascade = CascadeFaceDetector::create(CascadeFaceDetector::defaultCascadePath());
        QVERIFY2(cascade, "the frontal-face cascade of opencv-data is missing");

        EyePair cnnEyes;
        const auto cnnFace = chooseFace(cnn->detect(real.small), std::nullopt, real.frame.cols,
                                        real.frame.rows, cnnEyes);
        EyePair cascadeEyes;
        const auto cascadeFace = chooseFace(cascade->detect(real.small), std::nullopt,
                                            real.frame.cols, real.frame.rows, cascadeEyes);
        QVERIFY(cnnFace);
        QVERIFY2(cascadeFace, "the cascade found no face confident enough for a new face");
        QVERIFY2(overlap(*cnnFace, *cascadeFace) > 0.5,
                 qPrintable(QString::number(overlap(*cnnFace, *cascadeFace))));
        const double tolerance = 0.1 * cnnFace->width;
        QVERIFY(distance({cnnEyes.first.x, cnnEyes.first.y},
                         {cascadeEyes.first.x, cascadeEyes.first.y}) < tolerance);
        QVERIFY(distance({cnnEyes.second.x, cnnEyes.second.y},
                         {cascadeEyes.second.x, cascadeEyes.second.y}) < tolerance);
    }

    void cascadeConfidenceMapping()
    {
        QCOMPARE(CascadeFaceDetector::confidenceFromNeighbours(0), 0);
        QCOMPARE(CascadeFaceDetector::confidenceFromNeighbours(5), 30); // false detections
        QCOMPARE(CascadeFaceDetector::confidenceFromNeighbours(6), 36);
        QCOMPARE(CascadeFaceDetector::confidenceFromNeighbours(7), 42); // kept while tracking
        QCOMPARE(CascadeFaceDetector::confidenceFromNeighbours(14), 84);
        QCOMPARE(CascadeFaceDetector::confidenceFromNeighbours(15), 90); // taken as a new face
        QCOMPARE(CascadeFaceDetector::confidenceFromNeighbours(60), 100);
    }

    void resultStorageIsReused()
    {
        SKIP_UNLESS_PRESENT(kCnnModel, kSharedDir + "/data/real");
        RealFrame real;
        QVERIFY(loadFrame("clip02", 0, real));
        auto cnn = CnnFaceDetector::create(kCnnModel);
        auto cascade = CascadeFaceDetector::create(CascadeFaceDetector::defaultCascadePath());
        for (FaceDetector* detector :
             {static_cast<FaceDetector*>(cnn.get()), static_cast<FaceDetector*>(cascade.get())}) {
            const std::vector<DetectedFace>* first = &detector->detect(real.small);
            QVERIFY(!first->empty());
            const DetectedFace* storage = first->data();
            // A differently sized input (the net's input size follows it) and an empty one.
            cv::Mat other;
            cv::resize(real.small, other, cv::Size(), 1.25, 1.25, cv::INTER_AREA);
            QVERIFY(!detector->detect(other).empty());
            QVERIFY(detector->detect(cv::Mat()).empty());
            QVERIFY(!detector->detect(real.small).empty());
            QCOMPARE(&detector->detect(real.small), first);
            QCOMPARE(detector->detect(real.small).data(), storage);
        }
    }

    void factoryTakesTheFirstModelThatLoads()
    {
        QTemporaryDir dir;
        const QString garbage = dir.filePath("garbage.onnx");
        {
            QFile file(garbage);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not an onnx model at all");
        }
        const QString missing = dir.filePath("missing.onnx");
        QVERIFY(!CnnFaceDetector::create(garbage));
        QVERIFY(!CnnFaceDetector::create(missing));

        // Neither loads: the cascade takes over.
        auto fallback = createFaceDetector({missing, garbage});
        QVERIFY(fallback);
        QVERIFY2(fallback->name().contains("cascade"), qPrintable(fallback->name()));
        QVERIFY(!CascadeFaceDetector::create(garbage));

        SKIP_UNLESS_PRESENT(kCnnModel, kSharedDir + "/data/real");
        auto cnn = createFaceDetector({missing, garbage, kCnnModel});
        QVERIFY(cnn);
        QVERIFY2(cnn->name().contains("CNN"), qPrintable(cnn->name()));
    }

    void landmarkModelAgreesWithDetector_data() { addClipRows(); }

    void landmarkModelAgreesWithDetector()
    {
        SKIP_UNLESS_PRESENT(kCnnModel, kSharedDir + "/data/real");
        if (!QFileInfo::exists(kLandmarks68)) {
            QSKIP("dlib's 68-point model (libdlib-data) is not installed");
        }
        QFETCH(QString, clip);
        QFETCH(int, index);
        RealFrame real;
        QVERIFY(loadFrame(clip, index, real));
        auto cnn = CnnFaceDetector::create(kCnnModel);
        EyePair detectorEyes;
        const auto face = chooseFace(cnn->detect(real.small), std::nullopt, real.frame.cols,
                                     real.frame.rows, detectorEyes);
        QVERIFY(face);

        // The 68-point model's eye corners are 36/39 and 42/45; data.dat puts them at 0 to 3.
        static EyeCornerLocator locator;
        if (!locator.isLoaded()) {
            locator.setCornerParts({36, 39, 42, 45});
            std::string message;
            QVERIFY2(locator.load(kLandmarks68.toStdString(), message), message.c_str());
        }
        locator.setImage(real.grey);
        EyePair eyes = detectorEyes;
        locator.locate(*face, 2.0f, eyes);
        const double tolerance = 0.08 * face->width;
        QVERIFY(distance({eyes.first.x, eyes.first.y},
                         {detectorEyes.first.x, detectorEyes.first.y}) < tolerance);
        QVERIFY(distance({eyes.second.x, eyes.second.y},
                         {detectorEyes.second.x, detectorEyes.second.y}) < tolerance);
        // ROI = 2 x corner distance, an eye being roughly a fifth of the face wide.
        for (const EyeValues& eye : {eyes.first, eyes.second}) {
            QVERIFY2(eye.roiSize > 0.25 * face->width && eye.roiSize < 0.7 * face->width,
                     qPrintable(QString::number(eye.roiSize)));
        }
    }
};

QTEST_GUILESS_MAIN(TestFaceDetector)
#include "test_facedetector.moc"
