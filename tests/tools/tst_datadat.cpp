// The data.dat rewrite: landmark reordering of a dlib shape predictor, file handling of the
// tool, and the rewritten Debian model on real faces.
#include "tools/datadat/ShapeModel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <dlib/image_processing/shape_predictor.h>
#include <dlib/opencv.h>
#include <fstream>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <random>
#include <sstream>

using namespace winkwell::datadat;

namespace {

float uniform(std::mt19937& rng, float lo, float hi)
{
    return lo + (hi - lo) * static_cast<float>(rng() % 100000) / 100000.0f;
}

// A small but complete cascade: every landmark anchors feature pixels, every tree has splits
// on those pixels and leaves that move every landmark.
ShapeModel makeModel(unsigned long parts, unsigned seed)
{
    std::mt19937 rng(seed);
    ShapeModel model;
    model.initialShape.set_size(2 * parts);
    for (long i = 0; i < model.initialShape.size(); ++i) {
        model.initialShape(i) = uniform(rng, 0.15f, 0.85f);
    }
    const int cascades = 3;
    const unsigned long poolSize = 2 * parts + 2;
    for (int c = 0; c < cascades; ++c) {
        std::vector<unsigned long> anchors;
        std::vector<dlib::vector<float, 2>> deltas;
        for (unsigned long p = 0; p < poolSize; ++p) {
            anchors.push_back((p * 7 + c) % parts);
            deltas.emplace_back(uniform(rng, -0.08f, 0.08f), uniform(rng, -0.08f, 0.08f));
        }
        std::vector<dlib::impl::regression_tree> cascade(4);
        for (dlib::impl::regression_tree& tree : cascade) {
            for (int s = 0; s < 7; ++s) {
                dlib::impl::split_feature split;
                split.idx1 = rng() % poolSize;
                split.idx2 = rng() % poolSize;
                split.thresh = uniform(rng, -20.0f, 20.0f);
                tree.splits.push_back(split);
            }
            for (int l = 0; l < 8; ++l) {
                dlib::matrix<float, 0, 1> leaf(2 * parts);
                for (long i = 0; i < leaf.size(); ++i) {
                    leaf(i) = uniform(rng, -0.04f, 0.04f);
                }
                tree.leaf_values.push_back(leaf);
            }
        }
        model.forests.push_back(cascade);
        model.anchorIdx.push_back(anchors);
        model.deltas.push_back(deltas);
    }
    return model;
}

dlib::array2d<unsigned char> makeNoiseImage()
{
    std::mt19937 rng(7);
    dlib::array2d<unsigned char> image(240, 320);
    for (long r = 0; r < image.nr(); ++r) {
        for (long c = 0; c < image.nc(); ++c) {
            image[r][c] = static_cast<unsigned char>((rng() % 200) + (c * 55) / image.nc());
        }
    }
    return image;
}

std::vector<dlib::rectangle> testBoxes()
{
    std::vector<dlib::rectangle> boxes;
    for (int i = 0; i < 12; ++i) {
        const long left = 5 + 17 * i;
        const long top = 3 + 11 * i;
        const long size = 60 + 5 * i;
        boxes.emplace_back(left, top, left + size, top + size * 9 / 10);
    }
    return boxes;
}

std::string bytesOf(const ShapeModel& model)
{
    std::ostringstream out;
    writeModel(model, out);
    return out.str();
}

// Compares every landmark of the reordered prediction with the original one it came from.
void compareReordered(const dlib::full_object_detection& original,
                      const dlib::full_object_detection& reordered,
                      const std::vector<unsigned long>& newOrder, const QString& where)
{
    QCOMPARE(reordered.num_parts(), original.num_parts());
    for (unsigned long k = 0; k < newOrder.size(); ++k) {
        const dlib::point expected = original.part(newOrder[k]);
        const dlib::point actual = reordered.part(k);
        QVERIFY2(actual == expected, qPrintable(QStringLiteral("%1: landmark %2 at (%3,%4), "
                                                               "expected old %5 at (%6,%7)")
                                                    .arg(where)
                                                    .arg(k)
                                                    .arg(actual.x())
                                                    .arg(actual.y())
                                                    .arg(newOrder[k])
                                                    .arg(expected.x())
                                                    .arg(expected.y())));
    }
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct TagFace
{
    int frame;
    dlib::rectangle box;
};

// Frontal frames with a face box from a clip's .tag rows (frame:id:NF:...:F_X:F_Y:F_W:F_H:...).
std::vector<TagFace> frontalFaces(const QString& tagPath)
{
    std::vector<TagFace> faces;
    QFile file(tagPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return faces;
    }
    bool inRows = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line == QLatin1String("#start") || line == QLatin1String("#end")) {
            inRows = line == QLatin1String("#start");
            continue;
        }
        const QStringList f = line.split(QLatin1Char(':'));
        if (!inRows || f.size() < 11 || f[2] == QLatin1String("N")) {
            continue;
        }
        const int x = f[7].toInt();
        const int y = f[8].toInt();
        const int w = f[9].toInt();
        const int h = f[10].toInt();
        if (w > 0 && h > 0) {
            faces.push_back({f[0].toInt(), dlib::rectangle(x, y, x + w, y + h)});
        }
    }
    return faces;
}

} // namespace

class TestDataDat : public QObject
{
    Q_OBJECT

private slots:
    void eyeCornersFirstOrder_putsCornersFirstAndKeepsTheRest();
    void checkOrder_rejectsNonPermutations_data();
    void checkOrder_rejectsNonPermutations();
    void tinyModel_serialisationMatchesDlib();
    void tinyModel_reorderedPredictsTheSamePointsInTheNewOrder();
    void reorderLandmarks_rejectsBadOrderAndInconsistentModel();
    void loadModelFile_reportsUnusableInput_data();
    void loadModelFile_reportsUnusableInput();
    void runTool_failsCleanly();
    void runTool_rewritesA68PointModel();
    void realModel_rewriteGivesTheSamePointsOnRealFaces();
    void builtDataDat_isTheRewrite();
};

void TestDataDat::eyeCornersFirstOrder_putsCornersFirstAndKeepsTheRest()
{
    const std::vector<unsigned long> order = eyeCornersFirstOrder();
    QCOMPARE(order.size(), std::size_t(68));
    QCOMPARE(checkOrder(order, 68), std::string());
    QCOMPARE(std::vector<unsigned long>(order.begin(), order.begin() + 4),
             (std::vector<unsigned long>{36, 39, 42, 45}));
    QVERIFY(std::is_sorted(order.begin() + 4, order.end()));
    QCOMPARE(order[4], 0UL);
    QCOMPARE(order[67], 67UL);
}

void TestDataDat::checkOrder_rejectsNonPermutations_data()
{
    QTest::addColumn<std::vector<unsigned long>>("order");
    QTest::newRow("too short") << std::vector<unsigned long>{0, 1, 2};
    QTest::newRow("too long") << std::vector<unsigned long>{0, 1, 2, 3, 4};
    QTest::newRow("duplicate") << std::vector<unsigned long>{0, 1, 1, 3};
    QTest::newRow("out of range") << std::vector<unsigned long>{0, 1, 2, 4};
}

void TestDataDat::checkOrder_rejectsNonPermutations()
{
    QFETCH(std::vector<unsigned long>, order);
    QVERIFY(!checkOrder(order, 4).empty());
    QCOMPARE(checkOrder({3, 1, 0, 2}, 4), std::string());
}

void TestDataDat::tinyModel_serialisationMatchesDlib()
{
    const ShapeModel model = makeModel(5, 1);
    QCOMPARE(checkModel(model), std::string());
    // Through dlib's own reader and writer and back: the same bytes, so the layout matches.
    const dlib::shape_predictor predictor = toPredictor(model);
    QCOMPARE(predictor.num_parts(), 5UL);
    std::ostringstream viaDlib;
    dlib::serialize(predictor, viaDlib);
    QCOMPARE(viaDlib.str(), bytesOf(model));
    QCOMPARE(bytesOf(fromPredictor(predictor)), bytesOf(model));
}

void TestDataDat::tinyModel_reorderedPredictsTheSamePointsInTheNewOrder()
{
    const ShapeModel original = makeModel(6, 2);
    const std::vector<unsigned long> newOrder = {4, 1, 5, 0, 3, 2};
    ShapeModel reordered = original;
    reorderLandmarks(reordered, newOrder);
    QCOMPARE(checkModel(reordered), std::string());

    // Without remapped anchors the features are read at other landmarks; the image and boxes
    // must be varied enough to show that, or the comparison below would prove little.
    ShapeModel anchorsNotRemapped = reordered;
    anchorsNotRemapped.anchorIdx = original.anchorIdx;

    const dlib::shape_predictor before = toPredictor(original);
    const dlib::shape_predictor after = toPredictor(reordered);
    const dlib::shape_predictor wrong = toPredictor(anchorsNotRemapped);
    const dlib::array2d<unsigned char> image = makeNoiseImage();
    int wrongDiffers = 0;
    for (const dlib::rectangle& box : testBoxes()) {
        const dlib::full_object_detection expected = before(image, box);
        compareReordered(expected, after(image, box), newOrder,
                         QStringLiteral("box %1,%2").arg(box.left()).arg(box.top()));
        if (QTest::currentTestFailed()) {
            return;
        }
        const dlib::full_object_detection bad = wrong(image, box);
        for (unsigned long k = 0; k < newOrder.size(); ++k) {
            if (bad.part(k) != expected.part(newOrder[k])) {
                ++wrongDiffers;
                break;
            }
        }
    }
    QVERIFY2(wrongDiffers > 0, "the test model does not exercise the feature anchors");
}

void TestDataDat::reorderLandmarks_rejectsBadOrderAndInconsistentModel()
{
    ShapeModel model = makeModel(4, 3);
    const std::string before = bytesOf(model);
    QVERIFY_EXCEPTION_THROWN(reorderLandmarks(model, {0, 1, 2}), std::invalid_argument);
    QVERIFY_EXCEPTION_THROWN(reorderLandmarks(model, {0, 1, 1, 2}), std::invalid_argument);
    QCOMPARE(bytesOf(model), before);

    ShapeModel badAnchor = model;
    badAnchor.anchorIdx[1][0] = 4;
    QVERIFY(!checkModel(badAnchor).empty());
    QVERIFY_EXCEPTION_THROWN(reorderLandmarks(badAnchor, {0, 1, 2, 3}), std::invalid_argument);

    ShapeModel shortLeaf = model;
    shortLeaf.forests[0][0].leaf_values[0].set_size(6);
    QVERIFY(!checkModel(shortLeaf).empty());

    ShapeModel badSplit = model;
    badSplit.forests[2][1].splits[0].idx2 = 1000;
    QVERIFY(!checkModel(badSplit).empty());

    ShapeModel missingDeltas = model;
    missingDeltas.deltas.pop_back();
    QVERIFY(!checkModel(missingDeltas).empty());
}

void TestDataDat::loadModelFile_reportsUnusableInput_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");
    const std::string valid = bytesOf(makeModel(4, 4));
    QTest::newRow("empty") << QByteArray() << "not a readable";
    QTest::newRow("text") << QByteArray("# not a model\n1 2 3\n") << "not a readable";
    QTest::newRow("truncated") << QByteArray(valid.data(), int(valid.size() / 2))
                               << "not a readable";
    // Huge stored sizes must end in a message, not in an allocation of that size.
    std::ostringstream hugeMatrix;
    dlib::serialize(int(1), hugeMatrix);
    dlib::serialize(-1000000000000L, hugeMatrix);
    dlib::serialize(-1L, hugeMatrix);
    QTest::newRow("huge matrix") << QByteArray::fromStdString(hugeMatrix.str()) << "not a readable";
    std::ostringstream hugeCount;
    dlib::serialize(int(1), hugeCount);
    dlib::serialize(dlib::matrix<float, 0, 1>(dlib::ones_matrix<float>(8, 1)), hugeCount);
    dlib::serialize(4000000000000UL, hugeCount);
    QTest::newRow("huge count") << QByteArray::fromStdString(hugeCount.str()) << "not a readable";
    ShapeModel inconsistent = makeModel(4, 4);
    inconsistent.anchorIdx[0][0] = 9;
    QTest::newRow("inconsistent") << QByteArray::fromStdString(bytesOf(inconsistent))
                                  << "not a consistent";
}

void TestDataDat::loadModelFile_reportsUnusableInput()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("model.dat"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    ShapeModel model;
    std::string error;
    QVERIFY(!loadModelFile(path.toStdString(), model, error));
    QVERIFY2(QString::fromStdString(error).contains(expected), error.c_str());
    QVERIFY2(QString::fromStdString(error).contains(path), error.c_str());
}

void TestDataDat::runTool_failsCleanly()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string missing = dir.filePath(QStringLiteral("missing.dat")).toStdString();
    const std::string output = dir.filePath(QStringLiteral("data.dat")).toStdString();
    std::ostringstream out;
    std::ostringstream err;

    QCOMPARE(runTool({missing, output}, out, err), 1);
    QVERIFY2(err.str().find("does not exist") != std::string::npos, err.str().c_str());
    QVERIFY(!QFile::exists(QString::fromStdString(output)));

    err.str({});
    QCOMPARE(runTool({dir.path().toStdString(), output}, out, err), 1);
    QVERIFY2(err.str().find("not a regular file") != std::string::npos, err.str().c_str());

    err.str({});
    QCOMPARE(runTool({missing}, out, err), 1);
    QVERIFY2(err.str().find("usage") != std::string::npos, err.str().c_str());

    // A readable model whose landmarks are not the 68 of the iBUG order.
    const QString small = dir.filePath(QStringLiteral("small.dat"));
    {
        std::ofstream file(small.toStdString(), std::ios::binary);
        writeModel(makeModel(5, 5), file);
    }
    err.str({});
    QCOMPARE(runTool({small.toStdString(), output}, out, err), 1);
    QVERIFY2(err.str().find("68-point") != std::string::npos, err.str().c_str());
    QVERIFY(!QFile::exists(QString::fromStdString(output)));

    // An output that cannot be created.
    const std::string unwritable =
        dir.filePath(QStringLiteral("no/such/dir/data.dat")).toStdString();
    ShapeModel model68 = makeModel(68, 6);
    const QString input68 = dir.filePath(QStringLiteral("in68.dat"));
    {
        std::ofstream file(input68.toStdString(), std::ios::binary);
        writeModel(model68, file);
    }
    err.str({});
    QCOMPARE(runTool({input68.toStdString(), unwritable}, out, err), 1);
    QVERIFY2(err.str().find("cannot create") != std::string::npos, err.str().c_str());
}

void TestDataDat::runTool_rewritesA68PointModel()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const ShapeModel model = makeModel(68, 8);
    const std::string input = dir.filePath(QStringLiteral("in.dat")).toStdString();
    const std::string output = dir.filePath(QStringLiteral("data.dat")).toStdString();
    {
        std::ofstream file(input, std::ios::binary);
        writeModel(model, file);
    }
    std::ostringstream out;
    std::ostringstream err;
    QCOMPARE(runTool({input, output}, out, err), 0);
    QVERIFY2(err.str().empty(), err.str().c_str());
    QVERIFY(!QFile::exists(QString::fromStdString(output + ".tmp")));

    // The output is an ordinary dlib shape predictor, as the engine loads it.
    dlib::shape_predictor rewritten;
    std::ifstream in(output, std::ios::binary);
    dlib::deserialize(rewritten, in);
    const dlib::shape_predictor original = toPredictor(model);
    const dlib::array2d<unsigned char> image = makeNoiseImage();
    for (const dlib::rectangle& box : testBoxes()) {
        compareReordered(original(image, box), rewritten(image, box), eyeCornersFirstOrder(),
                         QStringLiteral("box %1,%2").arg(box.left()).arg(box.top()));
        if (QTest::currentTestFailed()) {
            return;
        }
    }
}

void TestDataDat::realModel_rewriteGivesTheSamePointsOnRealFaces()
{
    const QString source = QStringLiteral(WINKWELL_LANDMARK_SOURCE);
    if (!QFile::exists(source)) {
        QSKIP(qPrintable(
            QStringLiteral("landmark model %1 absent (Debian package libdlib-data)").arg(source)));
    }
    const QDir data(QStringLiteral(WINKWELL_SHARED_DIR "/data"));
    QStringList tags;
    for (const QString& clip :
         QDir(data.filePath(QStringLiteral("real"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        tags << data.filePath(QStringLiteral("real/%1/%1.tag").arg(clip));
    }
    for (const QString& tag :
         QDir(data.filePath(QStringLiteral("synthetic"))).entryList({QStringLiteral("*.tag")})) {
        tags << data.filePath(QStringLiteral("synthetic/") + tag);
    }
    if (tags.isEmpty()) {
        QSKIP(
            qPrintable(QStringLiteral("no face clips with .tag files under %1").arg(data.path())));
    }

    ShapeModel model;
    std::string error;
    QVERIFY2(loadModelFile(source.toStdString(), model, error), error.c_str());
    QCOMPARE(model.numParts(), kIbugPartCount);
    const dlib::shape_predictor original = toPredictor(model);
    reorderLandmarks(model, eyeCornersFirstOrder());
    const dlib::shape_predictor rewritten = toPredictor(model);
    model = ShapeModel();

    int facesChecked = 0;
    for (const QString& tag : tags) {
        const QFileInfo info(tag);
        QStringList videos = info.dir().entryList(
            {info.completeBaseName() + ".mp4", info.completeBaseName() + ".avi"}, QDir::Files);
        const std::vector<TagFace> faces = frontalFaces(tag);
        if (videos.isEmpty() || faces.empty()) {
            continue;
        }
        cv::VideoCapture capture(info.dir().filePath(videos.first()).toStdString());
        QVERIFY2(capture.isOpened(), qPrintable(videos.first()));
        // A few frames from the first part of each clip, decoded in order.
        std::vector<TagFace> chosen;
        for (std::size_t i = 0; i < faces.size() && chosen.size() < 3; i += 60) {
            chosen.push_back(faces[i]);
        }
        int frameIndex = -1;
        cv::Mat frame;
        for (const TagFace& face : chosen) {
            while (frameIndex < face.frame && capture.read(frame)) {
                ++frameIndex;
            }
            QVERIFY2(
                frameIndex == face.frame,
                qPrintable(QStringLiteral("%1: frame %2 not decoded").arg(tag).arg(face.frame)));
            cv::Mat grey;
            cv::cvtColor(frame, grey, cv::COLOR_BGR2GRAY);
            const dlib::cv_image<unsigned char> image(grey);
            const QString where =
                QStringLiteral("%1 frame %2").arg(info.fileName()).arg(face.frame);
            const dlib::full_object_detection before = original(image, face.box);
            const dlib::full_object_detection after = rewritten(image, face.box);
            compareReordered(before, after, eyeCornersFirstOrder(), where);
            if (QTest::currentTestFailed()) {
                return;
            }
            // Corners run across the image: outer and inner corner of the image-left eye, then
            // inner and outer corner of the other eye.
            QVERIFY2(after.part(0).x() < after.part(1).x() &&
                         after.part(1).x() < after.part(2).x() &&
                         after.part(2).x() < after.part(3).x(),
                     qPrintable(where));
            ++facesChecked;
        }
    }
    if (facesChecked == 0) {
        QSKIP("no decodable face frames in the shared clips");
    }
    qDebug() << "compared" << facesChecked << "faces";
}

void TestDataDat::builtDataDat_isTheRewrite()
{
    const QString source = QStringLiteral(WINKWELL_LANDMARK_SOURCE);
    const QString built = QStringLiteral(WINKWELL_BIN_DIR "/data.dat");
    if (!QFile::exists(source) || !QFile::exists(built)) {
        QSKIP(qPrintable(QStringLiteral("%1 or the generated %2 absent").arg(source, built)));
    }
    ShapeModel model;
    std::string error;
    QVERIFY2(loadModelFile(source.toStdString(), model, error), error.c_str());
    // Reading and writing alone reproduce the source byte for byte.
    const QByteArray sourceBytes = readAll(source);
    QVERIFY(sourceBytes == QByteArray::fromStdString(bytesOf(model)));
    reorderLandmarks(model, eyeCornersFirstOrder());
    const QByteArray builtBytes = readAll(built);
    QCOMPARE(builtBytes.size(), sourceBytes.size());
    QVERIFY2(builtBytes == QByteArray::fromStdString(bytesOf(model)),
             "the built data.dat is not the rewrite of the landmark source");
}

QTEST_GUILESS_MAIN(TestDataDat)
#include "tst_datadat.moc"
