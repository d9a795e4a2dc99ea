#include "EyeStateTraining.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <exception>
#include <map>
#include <opencv2/imgproc.hpp>
#include <opencv2/ml.hpp>
#include <opencv2/videoio.hpp>

namespace winkwell::eyestate {

namespace {

constexpr int kProcessedWidth = 640; // the engine's frame width
constexpr float kRoiFactor = 2.0f;
constexpr float kShut = 0.9f;     // a closure from which an eye counts as shut
constexpr float kPartial = 0.03f; // the synthetic clips' own start of a blink

struct TagRow
{
    int blinkId = -1;
    std::array<bool, 2> closed{};
    std::array<bool, 2> hidden{};
};

bool readTagRows(const QString& tagPath, std::vector<TagRow>& rows, QString& error)
{
    QFile file(tagPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("%1: cannot be read").arg(tagPath);
        return false;
    }
    bool inside = false;
    int lineNumber = 0;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        ++lineNumber;
        if (line == QLatin1String("#start")) {
            inside = true;
        } else if (line == QLatin1String("#end")) {
            break;
        } else if (inside && !line.isEmpty() && !line.startsWith('#')) {
            const QStringList fields = line.split(':');
            bool frameOk = false;
            bool idOk = false;
            const int frame = fields.value(0).toInt(&frameOk);
            TagRow row;
            row.blinkId = fields.value(1).toInt(&idOk);
            if (fields.size() < 7 || !frameOk || !idOk || frame != static_cast<int>(rows.size())) {
                error = QStringLiteral("%1:%2: not a row of frame %3")
                            .arg(tagPath)
                            .arg(lineNumber)
                            .arg(rows.size());
                return false;
            }
            row.closed = {fields[3] == QLatin1String("C"), fields[5] == QLatin1String("C")};
            row.hidden = {fields[4] == QLatin1String("N"), fields[6] == QLatin1String("N")};
            rows.push_back(row);
        }
    }
    if (rows.empty()) {
        error = QStringLiteral("%1: no frame rows").arg(tagPath);
        return false;
    }
    return true;
}

std::vector<float>& labelsOf(FrameLabels& labels, int eye)
{
    return eye == 0 ? labels.first : labels.second;
}

const std::vector<float>& labelsOf(const FrameLabels& labels, int eye)
{
    return eye == 0 ? labels.first : labels.second;
}

} // namespace

bool labelsFromTag(const QString& tagPath, FrameLabels& labels, QString& error)
{
    std::vector<TagRow> rows;
    if (!readTagRows(tagPath, rows, error)) {
        return false;
    }
    const int count = static_cast<int>(rows.size());
    labels.first.assign(rows.size(), -1.f);
    labels.second.assign(rows.size(), -1.f);
    // Frames with a blink no further than openMargin away, counted from both sides.
    std::vector<int> blinkSeen(rows.size() + 1, 0);
    for (int f = 0; f < count; ++f) {
        blinkSeen[static_cast<std::size_t>(f) + 1] =
            blinkSeen[static_cast<std::size_t>(f)] +
            (rows[static_cast<std::size_t>(f)].blinkId >= 0);
    }
    for (int f = 0; f < count; ++f) {
        const int from = std::max(0, f - openMargin);
        const int to = std::min(count, f + openMargin + 1);
        const bool nearBlink =
            blinkSeen[static_cast<std::size_t>(to)] != blinkSeen[static_cast<std::size_t>(from)];
        const TagRow& row = rows[static_cast<std::size_t>(f)];
        for (int eye = 0; eye < 2; ++eye) {
            float& label = labelsOf(labels, eye)[static_cast<std::size_t>(f)];
            if (row.hidden[static_cast<std::size_t>(eye)]) {
                continue;
            }
            if (row.closed[static_cast<std::size_t>(eye)]) {
                label = 1.f;
            } else if (!nearBlink && f % openStride == 0) {
                label = 0.f;
            }
        }
    }
    return true;
}

bool labelsFromClosure(const QString& jsonPath, const FrameLabels& fromTag, FrameLabels& labels)
{
    QFile file(jsonPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QJsonObject clip = QJsonDocument::fromJson(file.readAll()).object();
    const QJsonArray closures[2] = {clip.value("closure_le").toArray(),
                                    clip.value("closure_re").toArray()};
    if (closures[0].isEmpty() || closures[1].isEmpty()) {
        return false;
    }
    labels = fromTag;
    for (int eye = 0; eye < 2; ++eye) {
        std::vector<float>& eyeLabels = labelsOf(labels, eye);
        const std::vector<float>& tagLabels = labelsOf(fromTag, eye);
        for (std::size_t f = 0; f < eyeLabels.size(); ++f) {
            const float closure =
                static_cast<float>(closures[eye].at(static_cast<int>(f)).toDouble(0.0));
            // Open frames as the tag decides (away from blinks: a glance down is open too),
            // the blinks' own frames by their exact closure.
            if (tagLabels[f] != 0.f) {
                eyeLabels[f] = closure > kPartial ? std::min(1.f, closure) : -1.f;
            }
        }
    }
    return true;
}

bool Localiser::load(const QString& landmarkModelPath, const QString& faceModelPath, QString& error)
{
    m_detector = createFaceDetector({faceModelPath});
    if (!m_detector) {
        error = QStringLiteral("no face detector from %1").arg(faceModelPath);
        return false;
    }
    std::string message;
    if (!m_corners.load(landmarkModelPath.toStdString(), message)) {
        error = QStringLiteral("landmark model %1: %2")
                    .arg(landmarkModelPath, QString::fromStdString(message));
        return false;
    }
    return true;
}

bool Localiser::locate(const cv::Mat& frame, cv::Mat& grey, EyePair& eyes)
{
    cv::Mat processed = frame;
    if (frame.cols != kProcessedWidth) {
        const float scale = static_cast<float>(frame.cols) / kProcessedWidth;
        cv::resize(frame, processed,
                   cv::Size(kProcessedWidth, static_cast<int>(frame.rows / scale)), 0, 0,
                   cv::INTER_LINEAR);
    }
    cv::cvtColor(processed, grey, cv::COLOR_BGR2GRAY);
    cv::Mat small;
    cv::resize(processed, small, cv::Size(), 0.25, 0.25, cv::INTER_AREA);
    m_previous =
        chooseFace(m_detector->detect(small), m_previous, processed.cols, processed.rows, eyes);
    if (!m_previous) {
        return false;
    }
    m_corners.locateIn(grey, *m_previous, kRoiFactor, eyes, nullptr);
    return true;
}

int collectClip(const QString& name, const QString& videoPath, const FrameLabels& labels,
                Localiser& localiser, EyeSamples& samples, QString& error)
{
    cv::VideoCapture video(videoPath.toStdString());
    if (!video.isOpened()) {
        error = QStringLiteral("%1: cannot be read").arg(videoPath);
        return -1;
    }
    localiser.restart();
    samples.clips.append(name);
    const float clipIndex = static_cast<float>(samples.clips.size() - 1);
    int added = 0;
    cv::Mat frame;
    cv::Mat grey;
    cv::Mat patch;
    for (std::size_t f = 0; f < labels.first.size() && video.read(frame); ++f) {
        if (labels.first[f] < 0.f && labels.second[f] < 0.f) {
            continue;
        }
        EyePair eyes;
        if (frame.type() != CV_8UC3 || !localiser.locate(frame, grey, eyes)) {
            continue;
        }
        for (int eye = 0; eye < 2; ++eye) {
            const float closure = labelsOf(labels, eye)[f];
            if (closure < 0.f || !EyeStateModel::cutPatch(grey, eyes, eye, patch)) {
                continue;
            }
            samples.patches.push_back(patch.reshape(1, 1));
            const cv::Matx14f info(clipIndex, static_cast<float>(f), static_cast<float>(eye),
                                   closure);
            samples.info.push_back(cv::Mat(info));
            ++added;
        }
    }
    return added;
}

bool saveSamples(const QString& path, const EyeSamples& samples, QString& error)
{
    try {
        cv::FileStorage file(path.toStdString(), cv::FileStorage::WRITE | cv::FileStorage::BASE64);
        if (!file.isOpened()) {
            error = QStringLiteral("%1: cannot be written").arg(path);
            return false;
        }
        file << "clips"
             << "[";
        for (const QString& clip : samples.clips) {
            file << clip.toStdString();
        }
        file << "]";
        file << "patches" << samples.patches << "info" << samples.info;
    } catch (const std::exception& e) {
        error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(e.what()));
        return false;
    }
    return true;
}

bool loadSamples(const QString& path, EyeSamples& samples, QString& error)
{
    try {
        cv::FileStorage file(path.toStdString(), cv::FileStorage::READ);
        if (!file.isOpened()) {
            error = QStringLiteral("%1: cannot be read").arg(path);
            return false;
        }
        samples = EyeSamples();
        for (const cv::FileNode& clip : file["clips"]) {
            samples.clips.append(QString::fromStdString(static_cast<std::string>(clip)));
        }
        file["patches"] >> samples.patches;
        file["info"] >> samples.info;
    } catch (const std::exception& e) {
        error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(e.what()));
        return false;
    }
    const int patchSize = EyeStateModel::patchWidth * EyeStateModel::patchHeight;
    if (samples.patches.rows != samples.info.rows || samples.patches.type() != CV_8U ||
        samples.patches.cols != patchSize || samples.info.type() != CV_32F ||
        samples.info.cols != 4) {
        error = QStringLiteral("%1: not a sample file of this tool").arg(path);
        return false;
    }
    return true;
}

namespace {

bool isShut(float closure)
{
    return closure >= kShut;
}

bool isOpen(float closure)
{
    return closure == 0.f;
}

void featuresOf(const EyeSamples& samples, int row, const EyeStateModel& model,
                std::vector<float>& features)
{
    model.describe(samples.patches.row(row).reshape(1, EyeStateModel::patchHeight).clone(),
                   features);
}

} // namespace

bool train(const EyeSamples& samples, const QStringList& without, const Training& training,
           EyeStateModel& model, QString& error)
{
    cv::Mat features;
    cv::Mat labels;
    std::vector<float> row;
    int shut = 0;
    int open = 0;
    for (int i = 0; i < samples.info.rows; ++i) {
        const float* info = samples.info.ptr<float>(i);
        const float closure = info[3];
        if (without.contains(samples.clips.value(static_cast<int>(info[0]))) ||
            (!isShut(closure) && !isOpen(closure))) {
            continue;
        }
        featuresOf(samples, i, model, row);
        features.push_back(cv::Mat(row, true).reshape(1, 1));
        labels.push_back(isShut(closure) ? 1 : -1);
        (isShut(closure) ? shut : open) += 1;
    }
    if (shut == 0 || open == 0) {
        error = QStringLiteral("no shut or no open eyes to learn from");
        return false;
    }
    cv::Ptr<cv::ml::SVM> svm = cv::ml::SVM::create();
    svm->setType(cv::ml::SVM::C_SVC);
    svm->setKernel(cv::ml::SVM::LINEAR);
    svm->setC(training.regularisation);
    // Both kinds weigh alike in all, however many open eyes there are.
    svm->setClassWeights((cv::Mat_<double>(2, 1) << static_cast<double>(shut) / open, 1.0));
    svm->setTermCriteria(
        cv::TermCriteria(cv::TermCriteria::MAX_ITER | cv::TermCriteria::EPS, 100000, 1e-4));
    try {
        svm->train(cv::ml::TrainData::create(features, cv::ml::ROW_SAMPLE, labels));
    } catch (const std::exception& e) {
        error = QString::fromLocal8Bit(e.what());
        return false;
    }
    const cv::Mat support = svm->getSupportVectors();
    cv::Mat alpha;
    cv::Mat indices;
    const double rho = svm->getDecisionFunction(0, alpha, indices);
    if (support.rows != 1 || support.cols != features.cols) {
        error = QStringLiteral("the SVM gave no linear weights");
        return false;
    }
    std::vector<float> weights(support.begin<float>(), support.end<float>());
    auto bias = static_cast<float>(-rho);
    // Which side OpenCV's decision function gives the shut eyes depends on its class order.
    double shutSide = 0.0;
    for (int i = 0; i < features.rows; ++i) {
        if (labels.at<int>(i) == 1) {
            shutSide += features.row(i).dot(support) - rho;
        }
    }
    if (shutSide < 0.0) {
        for (float& weight : weights) {
            weight = -weight;
        }
        bias = -bias;
    }
    model.setWeights(std::move(weights), bias);
    return true;
}

std::vector<ClipAccuracy> accuracyPerClip(const EyeSamples& samples, const QStringList& clips,
                                          EyeStateModel& model)
{
    std::map<QString, ClipAccuracy> perClip;
    std::vector<float> row;
    for (int i = 0; i < samples.info.rows; ++i) {
        const float* info = samples.info.ptr<float>(i);
        const QString clip = samples.clips.value(static_cast<int>(info[0]));
        const float closure = info[3];
        if (!clips.contains(clip) || (!isShut(closure) && !isOpen(closure))) {
            continue;
        }
        featuresOf(samples, i, model, row);
        const bool saidShut = model.score(row) > 0.f;
        ClipAccuracy& accuracy = perClip[clip];
        accuracy.clip = clip;
        if (isShut(closure)) {
            ++accuracy.shut;
            accuracy.shutRight += saidShut ? 1 : 0;
        } else {
            ++accuracy.open;
            accuracy.openRight += saidShut ? 0 : 1;
        }
    }
    std::vector<ClipAccuracy> result;
    for (const QString& clip : clips) {
        const auto found = perClip.find(clip);
        if (found != perClip.end()) {
            result.push_back(found->second);
        }
    }
    return result;
}

namespace {

const char* const kUsage =
    "Usage:\n"
    "  winkwell-eyestate samples DATA_DIR OUT --landmarks DATA_DAT --face-model ONNX\n"
    "      cuts the labelled eye patches of every clip under DATA_DIR (real/*/*.tag and\n"
    "      synthetic/*.tag with their videos) into the sample file OUT\n"
    "  winkwell-eyestate train SAMPLES OUT [--without CLIP,...] [--c C]\n"
    "      trains the eye-state model on the samples, the named clips left out\n"
    "  winkwell-eyestate crossval SAMPLES DIR [--together CLIP+CLIP,...] [--c C]\n"
    "      for every clip, a model trained without it (and without the clips recorded\n"
    "      together with it) as DIR/CLIP.yml, and its accuracy on the clip left out\n";

QString option(const QStringList& args, const QString& name, const QString& fallback = {})
{
    const int at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : fallback;
}

QString videoBeside(const QFileInfo& tag)
{
    const QStringList candidates =
        tag.dir().entryList({tag.completeBaseName() + QStringLiteral(".*")}, QDir::Files);
    for (const QString& candidate : candidates) {
        if (!candidate.endsWith(QLatin1String(".tag")) &&
            !candidate.endsWith(QLatin1String(".json"))) {
            return tag.dir().filePath(candidate);
        }
    }
    return {};
}

int collectAll(const QStringList& args, QTextStream& out, QTextStream& err)
{
    Localiser localiser;
    QString error;
    if (!localiser.load(option(args, "--landmarks"), option(args, "--face-model"), error)) {
        err << "winkwell-eyestate: " << error << "\n";
        return 1;
    }
    const QDir data(args.at(1));
    QStringList tags;
    for (const QString& set : {QStringLiteral("real"), QStringLiteral("synthetic")}) {
        const QDir folder(data.filePath(set));
        for (const QString& entry :
             folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            const QDir clip(folder.filePath(entry));
            for (const QString& tag : clip.entryList({"*.tag"}, QDir::Files, QDir::Name)) {
                tags << clip.filePath(tag);
            }
        }
        for (const QString& tag : folder.entryList({"*.tag"}, QDir::Files, QDir::Name)) {
            tags << folder.filePath(tag);
        }
    }
    if (tags.isEmpty()) {
        err << "winkwell-eyestate: no .tag files under " << data.path() << "\n";
        return 1;
    }
    EyeSamples samples;
    for (const QString& tagPath : tags) {
        const QFileInfo tag(tagPath);
        FrameLabels labels;
        if (!labelsFromTag(tagPath, labels, error)) {
            err << "winkwell-eyestate: " << error << "\n";
            return 1;
        }
        FrameLabels exact;
        const QString json = tag.dir().filePath(tag.completeBaseName() + ".json");
        if (labelsFromClosure(json, labels, exact)) {
            labels = exact;
        }
        const int added = collectClip(tag.completeBaseName(), videoBeside(tag), labels, localiser,
                                      samples, error);
        if (added < 0) {
            err << "winkwell-eyestate: " << error << "\n";
            return 1;
        }
        out << tag.completeBaseName() << ": " << added << " eye patches\n";
        out.flush();
    }
    if (!saveSamples(args.at(2), samples, error)) {
        err << "winkwell-eyestate: " << error << "\n";
        return 1;
    }
    out << samples.info.rows << " eye patches of " << samples.clips.size() << " clips in "
        << args.at(2) << "\n";
    return 0;
}

void printAccuracy(const std::vector<ClipAccuracy>& clips, QTextStream& out)
{
    ClipAccuracy total;
    for (const ClipAccuracy& clip : clips) {
        out << QStringLiteral("%1  shut %2/%3  open %4/%5\n")
                   .arg(clip.clip, -10)
                   .arg(clip.shutRight)
                   .arg(clip.shut)
                   .arg(clip.openRight)
                   .arg(clip.open);
        total.shut += clip.shut;
        total.shutRight += clip.shutRight;
        total.open += clip.open;
        total.openRight += clip.openRight;
    }
    out << QStringLiteral("all         shut %1/%2  open %3/%4\n")
               .arg(total.shutRight)
               .arg(total.shut)
               .arg(total.openRight)
               .arg(total.open);
}

QString provenance(const EyeSamples& samples, const QStringList& without, const Training& training)
{
    QStringList used;
    for (const QString& clip : samples.clips) {
        if (!without.contains(clip)) {
            used << clip;
        }
    }
    return QStringLiteral("winkwell-eyestate train, linear SVM C=%1 on HOG of %2x%3 eye patches; "
                          "clips: %4")
        .arg(training.regularisation)
        .arg(EyeStateModel::patchWidth)
        .arg(EyeStateModel::patchHeight)
        .arg(used.join(' '));
}

bool trainAndSave(const EyeSamples& samples, const QStringList& without, const Training& training,
                  const QString& path, EyeStateModel& model, QTextStream& err)
{
    QString error;
    if (!train(samples, without, training, model, error)) {
        err << "winkwell-eyestate: " << error << "\n";
        return false;
    }
    std::string message;
    if (!model.save(path.toStdString(), provenance(samples, without, training).toStdString(),
                    message)) {
        err << "winkwell-eyestate: " << path << ": " << QString::fromStdString(message) << "\n";
        return false;
    }
    return true;
}

} // namespace

int runTool(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const QString command = args.value(0);
    if (args.size() < 3 || (command != "samples" && command != "train" && command != "crossval")) {
        err << kUsage;
        return 2;
    }
    if (command == "samples") {
        return collectAll(args, out, err);
    }
    EyeSamples samples;
    QString error;
    if (!loadSamples(args.at(1), samples, error)) {
        err << "winkwell-eyestate: " << error << "\n";
        return 1;
    }
    Training training;
    bool ok = true;
    training.regularisation = option(args, "--c", "0.1").toDouble(&ok);
    if (!ok || training.regularisation <= 0.0) {
        err << kUsage;
        return 2;
    }
    EyeStateModel model;
    if (command == "train") {
        const QStringList without = option(args, "--without").split(',', Qt::SkipEmptyParts);
        if (!trainAndSave(samples, without, training, args.at(2), model, err)) {
            return 1;
        }
        out << "trained on the clips kept:\n";
        QStringList kept = samples.clips;
        for (const QString& clip : without) {
            kept.removeAll(clip);
        }
        printAccuracy(accuracyPerClip(samples, kept, model), out);
        if (!without.isEmpty()) {
            out << "left out:\n";
            printAccuracy(accuracyPerClip(samples, without, model), out);
        }
        return 0;
    }
    // crossval
    std::map<QString, QStringList> together;
    for (const QString& group : option(args, "--together").split(',', Qt::SkipEmptyParts)) {
        const QStringList members = group.split('+', Qt::SkipEmptyParts);
        for (const QString& member : members) {
            together[member] = members;
        }
    }
    if (!QDir().mkpath(args.at(2))) {
        err << "winkwell-eyestate: cannot make " << args.at(2) << "\n";
        return 1;
    }
    std::vector<ClipAccuracy> heldOut;
    for (const QString& clip : samples.clips) {
        const QStringList without = together.count(clip) ? together[clip] : QStringList{clip};
        if (!trainAndSave(samples, without, training, QDir(args.at(2)).filePath(clip + ".yml"),
                          model, err)) {
            return 1;
        }
        const std::vector<ClipAccuracy> scored = accuracyPerClip(samples, {clip}, model);
        heldOut.insert(heldOut.end(), scored.begin(), scored.end());
        out << "." << Qt::flush;
    }
    out << "\neach clip by the model trained without it:\n";
    printAccuracy(heldOut, out);
    return 0;
}

} // namespace winkwell::eyestate
