#include "model/FaceLocator.h"
#include "model/LandmarkCascade.h"

#include <QTemporaryDir>
#include <QtTest>
#include <dlib/image_processing/shape_predictor.h>
#include <dlib/serialize.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <opencv2/imgproc.hpp>
#include <random>

namespace {

// A face as the detector reports it in the quarter-size image.
DetectedFace smallFace(int x, int y, int width, int confidence, float eyeY = 0.f)
{
    DetectedFace face;
    face.confidence = confidence;
    face.x = x;
    face.y = y;
    face.width = width;
    face.height = width + 5;
    face.landmarks[0] = {x + width * 0.3f, eyeY > 0.f ? eyeY : y + width * 0.4f};
    face.landmarks[1] = {x + width * 0.7f, eyeY > 0.f ? eyeY : y + width * 0.4f};
    return face;
}

EyePair untouchedEyes()
{
    EyePair eyes;
    eyes.first = {1.f, 2.f, 3};
    eyes.second = {4.f, 5.f, 6};
    return eyes;
}

void writeFile(const QString& path, const std::string& bytes)
{
    std::ofstream out(path.toStdString(), std::ios::binary);
    out << bytes;
}

// A cascade of three levels of eight trees of depth three over six landmarks, with random
// splits and leaves large enough that a wrong leaf moves points by pixels.
dlib::shape_predictor randomPredictor()
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(0.f, 1.f);
    const long parts = 6;
    dlib::matrix<float, 0, 1> meanShape(2 * parts);
    for (long i = 0; i < meanShape.size(); ++i) {
        meanShape(i) = 0.2f + 0.6f * unit(random);
    }
    const unsigned long poolSize = 24;
    std::vector<std::vector<dlib::impl::regression_tree>> forests(3);
    std::vector<std::vector<dlib::vector<float, 2>>> pool(forests.size());
    for (size_t level = 0; level < forests.size(); ++level) {
        for (unsigned long p = 0; p < poolSize; ++p) {
            pool[level].push_back({unit(random), unit(random)});
        }
        for (int t = 0; t < 8; ++t) {
            dlib::impl::regression_tree tree;
            for (int s = 0; s < 7; ++s) {
                tree.splits.push_back({static_cast<unsigned long>(random() % poolSize),
                                       static_cast<unsigned long>(random() % poolSize),
                                       60.f * unit(random) - 30.f});
            }
            for (int l = 0; l < 8; ++l) {
                dlib::matrix<float, 0, 1> leaf(2 * parts);
                for (long i = 0; i < leaf.size(); ++i) {
                    leaf(i) = 0.1f * unit(random) - 0.05f;
                }
                tree.leaf_values.push_back(leaf);
            }
            forests[level].push_back(tree);
        }
    }
    return dlib::shape_predictor(meanShape, forests, pool);
}

// Blurred noise: the trees' pixel comparisons go either way.
cv::Mat noiseImage()
{
    cv::Mat noise(240, 320, CV_8UC1);
    cv::randu(noise, 0, 256);
    cv::GaussianBlur(noise, noise, cv::Size(9, 9), 3.0);
    return noise;
}

} // namespace

class TestFaceLocator : public QObject
{
    Q_OBJECT

private slots:
    void widthLimit_data()
    {
        QTest::addColumn<int>("smallWidth");
        QTest::addColumn<bool>("tracking");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("24 px new face") << 24 << false << false;
        QTest::newRow("25 px new face") << 25 << false << true;
        QTest::newRow("24 px tracked") << 24 << true << false;
        QTest::newRow("25 px tracked") << 25 << true << true;
    }

    void widthLimit()
    {
        QFETCH(int, smallWidth);
        QFETCH(bool, tracking);
        QFETCH(bool, chosen);
        EyePair eyes = untouchedEyes();
        const std::optional<FaceRecord> previous =
            tracking ? std::optional<FaceRecord>(FaceRecord{40, 40, 100, 100}) : std::nullopt;
        const auto face = chooseFace({smallFace(10, 10, smallWidth, 99)}, previous, 640, 480, eyes);
        QCOMPARE(face.has_value(), chosen);
        if (!chosen) {
            QCOMPARE(eyes.first.roiSize, 3); // left as they were
            QCOMPARE(eyes.second.x, 4.f);
        }
    }

    void confidenceRules_data()
    {
        QTest::addColumn<int>("confidence");
        QTest::addColumn<bool>("chosenAsNew");
        QTest::addColumn<bool>("chosenWhileTracking");
        QTest::newRow("39") << 39 << false << false;
        QTest::newRow("40") << 40 << false << true;
        QTest::newRow("89") << 89 << false << true;
        QTest::newRow("90") << 90 << true << true;
    }

    void confidenceRules()
    {
        QFETCH(int, confidence);
        QFETCH(bool, chosenAsNew);
        QFETCH(bool, chosenWhileTracking);
        const std::vector<DetectedFace> faces{smallFace(20, 20, 40, confidence)};
        EyePair eyes;
        QCOMPARE(chooseFace(faces, std::nullopt, 640, 480, eyes).has_value(), chosenAsNew);
        QCOMPARE(chooseFace(faces, FaceRecord{0, 0, 200, 200}, 640, 480, eyes).has_value(),
                 chosenWhileTracking);
    }

    void newFaceIsTheWidest()
    {
        EyePair eyes;
        // A narrower confident face, a wider one below 90, the widest confident one, and a tie.
        const std::vector<DetectedFace> faces{smallFace(5, 5, 30, 95), smallFace(40, 5, 60, 80),
                                              smallFace(60, 40, 40, 91),
                                              smallFace(100, 40, 40, 99)};
        const auto face = chooseFace(faces, std::nullopt, 640, 480, eyes);
        QVERIFY(face);
        QCOMPARE(face->x, 240);
        QCOMPARE(face->y, 160);
        QCOMPARE(face->width, 160);
        QCOMPARE(face->height, 180);
    }

    void trackedFaceIsTheNearest()
    {
        EyePair eyes;
        const FaceRecord previous{400, 100, 120, 120}; // centre (460, 160)
        const std::vector<DetectedFace> faces{
            smallFace(10, 10, 60, 99),  // wider but far
            smallFace(100, 25, 30, 45), // centre (460, 160): same place, lower confidence
            smallFace(100, 25, 30, 99), // as near: the first of equals stays
        };
        const auto face = chooseFace(faces, previous, 640, 480, eyes);
        QVERIFY(face);
        QCOMPARE(face->x, 400);
        QCOMPARE(face->width, 120);
        QCOMPARE(eyes.first.x, (100 + 30 * 0.3f) * 4.f);

        // Centre halves are integer divisions: against (460, 160) both centres, 456 and 464, are
        // 4 away, so the first stays (with exact halves the second would be nearer).
        const FaceRecord oddPrevious{400, 100, 121, 121};
        const std::vector<DetectedFace> ties{smallFace(99, 25, 30, 50), smallFace(101, 25, 30, 50)};
        const auto nearer = chooseFace(ties, oddPrevious, 640, 480, eyes);
        QVERIFY(nearer);
        QCOMPARE(nearer->x, 396);
    }

    void newFaceBelowTheStrictConfidence_data()
    {
        // Per frame the detector's one face (confidence 0: none) and its place; the frame at
        // which the face is taken (-1: never).
        QTest::addColumn<QList<int>>("confidences");
        QTest::addColumn<QList<int>>("places");
        QTest::addColumn<int>("takenAt");
        QTest::newRow("confident: at once") << QList<int>{95} << QList<int>{20} << 0;
        QTest::newRow("three frames in place")
            << QList<int>{85, 85, 85} << QList<int>{20, 22, 24} << 2;
        QTest::newRow("moved: counted afresh")
            << QList<int>{85, 85, 85, 85, 85} << QList<int>{20, 22, 60, 61, 62} << 4;
        QTest::newRow("a frame without it: counted afresh")
            << QList<int>{85, 85, 0, 85, 85, 85} << QList<int>{20, 20, 20, 20, 20, 20} << 5;
        QTest::newRow("below tracking confidence: never")
            << QList<int>{39, 39, 39, 39} << QList<int>{20, 20, 20, 20} << -1;
    }

    void newFaceBelowTheStrictConfidence()
    {
        QFETCH(QList<int>, confidences);
        QFETCH(QList<int>, places);
        QFETCH(int, takenAt);
        FaceAcquisition acquisition;
        int taken = -1;
        for (int i = 0; i < confidences.size() && taken < 0; ++i) {
            std::vector<DetectedFace> faces;
            if (confidences[i] > 0) {
                faces.push_back(smallFace(places[i], 20, 40, confidences[i]));
            }
            EyePair eyes = untouchedEyes();
            const std::optional<FaceRecord> face = acquisition.choose(faces, 640, 480, eyes);
            if (face) {
                taken = i;
                QCOMPARE(face->x, places[i] * 4);
                QCOMPARE(eyes.first.x, (places[i] + 40 * 0.3f) * 4.f);
            } else {
                QCOMPARE(eyes.first.roiSize, 3); // left as they were
            }
        }
        QCOMPARE(taken, takenAt);
    }

    void provisionalEyeValues()
    {
        EyePair eyes = untouchedEyes();
        DetectedFace face = smallFace(30, 20, 41, 95);
        face.landmarks[0] = {40.25f, 35.5f};
        face.landmarks[1] = {58.75f, 36.f};
        const auto record = chooseFace({face}, std::nullopt, 640, 480, eyes);
        QVERIFY(record);
        QCOMPARE(eyes.first.x, 161.f);
        QCOMPARE(eyes.first.y, 142.f);
        QCOMPARE(eyes.second.x, 235.f);
        QCOMPARE(eyes.second.y, 144.f);
        // Width 164 in frame pixels; the ROI is half of it, integer division.
        QCOMPARE(eyes.first.roiSize, 82);
        QCOMPARE(eyes.second.roiSize, 82);
    }

    void recordIsClampedToTheFrame()
    {
        EyePair eyes;
        // Touching the right and bottom edges: the record ends 3 pixels before the border.
        const auto edge = chooseFace({smallFace(120, 80, 40, 95)}, std::nullopt, 640, 480, eyes);
        QVERIFY(edge);
        QCOMPARE(edge->x, 480);
        QCOMPARE(edge->y, 320);
        QCOMPARE(edge->x + edge->width, 637);
        QCOMPARE(edge->y + edge->height, 477);

        // Past the left and top edges: origin clamped to 0, the size minima use the raw origin.
        const auto corner = chooseFace({smallFace(-5, -3, 40, 95)}, std::nullopt, 640, 480, eyes);
        QVERIFY(corner);
        QCOMPARE(corner->x, 0);
        QCOMPARE(corner->y, 0);
        QCOMPARE(corner->width, 160);
        QCOMPARE(corner->height, 180);

        // Landmarks stay where the detector put them even when the box is clamped.
        QCOMPARE(eyes.first.x, (-5 + 40 * 0.3f) * 4.f);
    }

    void loadRejectsBadFiles()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        EyeCornerLocator locator;
        std::string message;

        QVERIFY(!locator.load(dir.filePath("absent.dat").toStdString(), message));
        QVERIFY(!message.empty());
        QVERIFY(!locator.isLoaded());

        const QString garbage = dir.filePath("garbage.dat");
        writeFile(garbage, "this is not a landmark model, just some text\n");
        message.clear();
        QVERIFY(!locator.load(garbage.toStdString(), message));
        QVERIFY(!message.empty());

        const QString empty = dir.filePath("empty.dat");
        writeFile(empty, "");
        QVERIFY(!locator.load(empty.toStdString(), message));

        // A valid two-point model, then the same bytes cut short.
        dlib::matrix<float, 0, 1> shape(4);
        shape = 0.1f, 0.2f, 0.3f, 0.4f;
        const dlib::shape_predictor twoPoints(shape, {}, {});
        std::ostringstream bytes;
        dlib::serialize(twoPoints, bytes);
        const QString small = dir.filePath("two-points.dat");
        writeFile(small, bytes.str());
        message.clear();
        QVERIFY(!locator.load(small.toStdString(), message));
        QVERIFY2(message.find("landmarks") != std::string::npos, message.c_str());
        const QString truncated = dir.filePath("truncated.dat");
        writeFile(truncated, bytes.str().substr(0, bytes.str().size() / 2));
        message.clear();
        QVERIFY(!locator.load(truncated.toStdString(), message));
        QVERIFY(!message.empty());
        QVERIFY(!locator.isLoaded());

        // A split that compares a pixel beyond the feature pool would read past the pixels.
        dlib::impl::regression_tree tree;
        tree.splits = {{0, 7, 0.f}};
        tree.leaf_values.assign(2, dlib::zeros_matrix<float>(8, 1));
        dlib::matrix<float, 0, 1> fourPoints(8);
        fourPoints = 0.2f, 0.4f, 0.4f, 0.4f, 0.6f, 0.4f, 0.8f, 0.4f;
        const dlib::shape_predictor beyondPool(fourPoints, {{tree}}, {{{0.5f, 0.5f}}});
        const QString hostile = dir.filePath("beyond-pool.dat");
        dlib::serialize(hostile.toStdString()) << beyondPool;
        message.clear();
        QVERIFY(!locator.load(hostile.toStdString(), message));
        QVERIFY2(message.find("feature pool") != std::string::npos, message.c_str());

        // Locating with no model leaves the eyes alone.
        EyePair eyes = untouchedEyes();
        locator.setImage(cv::Mat(48, 64, CV_8UC1, cv::Scalar(0)));
        locator.locate(FaceRecord{0, 0, 40, 40}, 2.0f, eyes);
        QCOMPARE(eyes.first.roiSize, 3);
    }

    void fourPointModelGivesEyeValues()
    {
        // A model without trees answers its mean shape: corners at known places in the box.
        dlib::matrix<float, 0, 1> shape(8);
        shape = 0.2f, 0.4f, 0.4f, 0.4f, 0.6f, 0.4f, 0.8f, 0.4f;
        const dlib::shape_predictor predictor(shape, {}, {});
        QTemporaryDir dir;
        const QString path = dir.filePath("four.dat");
        dlib::serialize(path.toStdString()) << predictor;

        EyeCornerLocator locator;
        std::string message;
        QVERIFY2(locator.load(path.toStdString(), message), message.c_str());
        QVERIFY(locator.isLoaded());
        locator.setImage(cv::Mat(480, 640, CV_8UC1, cv::Scalar(90)));
        EyePair eyes;
        locator.locate(FaceRecord{100, 50, 200, 200}, 2.0f, eyes);
        // Corners at (140, 130), (180, 130), (220, 130), (260, 130).
        QCOMPARE(eyes.first.x, 160.f);
        QCOMPARE(eyes.first.y, 130.f);
        QCOMPARE(eyes.first.roiSize, 80);
        QCOMPARE(eyes.second.x, 240.f);
        QCOMPARE(eyes.second.roiSize, 80);

        locator.unload();
        QVERIFY(!locator.isLoaded());
    }

    // The compact cascade walks the same trees as dlib: a wrong child or leaf would move points by
    // a leaf's size (several pixels here); the rounding of its leaves moves them by a pixel at
    // most.
    void compactCascadePlacesAsDlibDoes()
    {
        const dlib::shape_predictor reference = randomPredictor();
        const long parts = 6;
        QTemporaryDir dir;
        const QString path = dir.filePath("random.dat");
        dlib::serialize(path.toStdString()) << reference;
        LandmarkCascade cascade;
        std::string message;
        QVERIFY2(cascade.load(path.toStdString(), message), message.c_str());
        QCOMPARE(cascade.numParts(), static_cast<unsigned long>(parts));

        const cv::Mat noise = noiseImage();
        const dlib::cv_image<unsigned char> image(noise);
        int exact = 0;
        for (int face = 0; face < 20; ++face) {
            const dlib::rectangle box(20 + 5 * face, 10 + 3 * face, 200 + 4 * face, 190 + 2 * face);
            const dlib::full_object_detection expected = reference(image, box);
            const dlib::full_object_detection placed = cascade(image, box);
            QCOMPARE(placed.num_parts(), expected.num_parts());
            for (unsigned long p = 0; p < placed.num_parts(); ++p) {
                const dlib::point offset = placed.part(p) - expected.part(p);
                QVERIFY2(std::abs(offset.x()) <= 1 && std::abs(offset.y()) <= 1,
                         qPrintable(QStringLiteral("face %1 point %2").arg(face).arg(p)));
                exact += offset == dlib::point(0, 0);
            }
        }
        QVERIFY(exact >= 100); // of 120 points
    }

    // Between runs the model waits in a compact file: read back, it places exactly as before; a
    // damaged file, or one written from another model file, is made again from the model file.
    void modelWaitsOnDiskBetweenRuns()
    {
        QTemporaryDir dir;
        const std::string model = dir.filePath("random.dat").toStdString();
        const std::string folder = dir.filePath("cache").toStdString();
        std::filesystem::create_directory(folder);
        std::ofstream(folder + "/landmarks-00000000000000aa.compact") << "an older model's";
        dlib::serialize(model) << randomPredictor();
        EyeCornerLocator locator;
        std::string message;
        QVERIFY2(locator.load(model, message), message.c_str());
        locator.setImage(noiseImage());
        const FaceRecord face{40, 20, 180, 180};
        EyePair placed = untouchedEyes();
        locator.locate(face, 2.0f, placed);
        const auto samePlaces = [&] {
            EyePair eyes = untouchedEyes();
            locator.locate(face, 2.0f, eyes);
            return eyes.first.x == placed.first.x && eyes.first.y == placed.first.y &&
                   eyes.second.x == placed.second.x && eyes.second.roiSize == placed.second.roiSize;
        };

        QVERIFY2(locator.keepOnDisk(folder, message), message.c_str());
        QVERIFY(locator.isLoaded());
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            files.push_back(entry.path());
        }
        QCOMPARE(files.size(), size_t{1}); // the older model's file is gone
        const std::string compact = files.front().string();
        // A later start with the same model finds the file and leaves it as it is.
        const auto written = std::filesystem::last_write_time(compact);
        std::filesystem::last_write_time(compact, written - std::chrono::hours(1));
        QVERIFY(locator.load(model, message) && locator.keepOnDisk(folder, message));
        QCOMPARE(std::filesystem::last_write_time(compact), written - std::chrono::hours(1));
        EyePair idle = untouchedEyes();
        locator.locate(face, 2.0f, idle);
        QCOMPARE(idle.first.roiSize, 3); // let go: nothing placed until the next run holds it
        QVERIFY(locator.hold(message));
        QVERIFY(message.empty());
        QVERIFY(samePlaces());

        const auto size = std::filesystem::file_size(compact);
        for (const auto& spoil : std::vector<std::function<void()>>{
                 [&] { std::filesystem::resize_file(compact, size / 2); },
                 [&] { std::ofstream(compact, std::ios::app) << "more"; },
                 [&] {
                     LandmarkCascade other;
                     std::string ignored;
                     other.load(model, ignored);
                     other.save(compact, 12345, ignored);
                 }}) {
            locator.letGo();
            spoil();
            message.clear();
            QVERIFY(locator.hold(message));
            QVERIFY(!message.empty());
            QVERIFY(samePlaces());
            QCOMPARE(std::filesystem::file_size(compact), size);
        }
        locator.letGo();
        std::filesystem::remove(model);
        std::filesystem::remove(compact);
        QVERIFY(!locator.hold(message));
        QVERIFY(!locator.isLoaded());
    }
};

QTEST_APPLESS_MAIN(TestFaceLocator)
#include "test_facelocator.moc"
