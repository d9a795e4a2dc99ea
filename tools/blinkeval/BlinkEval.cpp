#include "BlinkEval.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace winkwell::blinkeval {

namespace {

// Fields up to RE_NV are needed; the face box and eye corners that follow are not.
constexpr int kRequiredTagFields = 7;

bool parseInt(const QByteArray& field, int& value)
{
    bool ok = false;
    value = field.trimmed().toInt(&ok);
    return ok;
}

QString intervalText(const Interval& interval)
{
    return QStringLiteral("%1-%2").arg(interval.start).arg(interval.end);
}

QJsonArray intervalJson(const Interval& interval)
{
    return QJsonArray{interval.start, interval.end};
}

QJsonArray intervalsJson(const std::vector<Interval>& intervals)
{
    QJsonArray array;
    for (const Interval& interval : intervals) {
        array.append(intervalJson(interval));
    }
    return array;
}

QJsonValue optionalJson(const std::optional<double>& value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QString optionalText(const std::optional<double>& value, int width)
{
    return value ? QStringLiteral("%1").arg(*value, width, 'f', 3)
                 : QStringLiteral("%1").arg(QStringLiteral("-"), width);
}

bool readFile(const QString& path, QByteArray& content, QString& error)
{
    QFile file(path);
    if (!file.exists()) {
        error = QStringLiteral("%1: file does not exist").arg(path);
        return false;
    }
    if (!QFileInfo(path).isFile()) {
        error = QStringLiteral("%1: not a regular file").arg(path);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: cannot open: %2").arg(path, file.errorString());
        return false;
    }
    content = file.readAll();
    return true;
}

// A JSON number that is a whole frame index.
bool frameIndex(const QJsonValue& value, int& frame)
{
    if (!value.isDouble()) {
        return false;
    }
    const double number = value.toDouble();
    if (!std::isfinite(number) || number != std::floor(number) || number < 0 || number > 1e9) {
        return false;
    }
    frame = static_cast<int>(number);
    return true;
}

} // namespace

double intervalIoU(const Interval& a, const Interval& b)
{
    const int intersection = std::max(0, std::min(a.end, b.end) - std::max(a.start, b.start) + 1);
    const int unionSize = a.length() + b.length() - intersection;
    return unionSize > 0 ? double(intersection) / unionSize : 0.0;
}

bool iouAboveMatchThreshold(const Interval& a, const Interval& b)
{
    const int intersection = std::max(0, std::min(a.end, b.end) - std::max(a.start, b.start) + 1);
    const int unionSize = a.length() + b.length() - intersection;
    // intersection / union > 1/5
    return intersection > 0 && 5 * intersection > unionSize;
}

bool parseTag(const QByteArray& text, const QString& sourceName, TagFile& tag, QString& error)
{
    tag = TagFile();
    // Some files end without "#end"; the rows then run to the end of the file.
    bool started = false;
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const QString where = QStringLiteral("%1 line %2").arg(sourceName).arg(i + 1);
        if (line == "#start") {
            started = true;
            continue;
        }
        if (line == "#end") {
            if (started) {
                break;
            }
            continue;
        }
        if (!started || line.isEmpty() || line.startsWith('#')) {
            continue;
        }
        const QList<QByteArray> fields = line.split(':');
        if (fields.size() < kRequiredTagFields) {
            error = QStringLiteral("%1: %2 fields, at least %3 expected "
                                   "(frame:blinkID:NF:LE_FC:LE_NV:RE_FC:RE_NV:...): \"%4\"")
                        .arg(where)
                        .arg(fields.size())
                        .arg(kRequiredTagFields)
                        .arg(QString::fromUtf8(line.left(80)));
            return false;
        }
        TagRow row;
        if (!parseInt(fields[0], row.frame) || row.frame < 0) {
            error = QStringLiteral("%1: frame \"%2\" is not a frame index")
                        .arg(where, QString::fromUtf8(fields[0].left(20)));
            return false;
        }
        if (!parseInt(fields[1], row.blinkId)) {
            error = QStringLiteral("%1: blink id \"%2\" is not an integer")
                        .arg(where, QString::fromUtf8(fields[1].left(20)));
            return false;
        }
        if (!tag.rows.empty() && row.frame <= tag.rows.back().frame) {
            error = QStringLiteral("%1: frame %2 follows frame %3; frames must increase")
                        .arg(where)
                        .arg(row.frame)
                        .arg(tag.rows.back().frame);
            return false;
        }
        if (!tag.rows.empty() && row.frame != tag.rows.back().frame + 1) {
            tag.warnings << QStringLiteral("%1: frames %2 to %3 have no row")
                                .arg(where)
                                .arg(tag.rows.back().frame + 1)
                                .arg(row.frame - 1);
        }
        row.leftNotVisible = fields[4].trimmed() == "N";
        row.rightNotVisible = fields[6].trimmed() == "N";
        tag.rows.push_back(row);
    }
    if (!started) {
        error = QStringLiteral("%1: no \"#start\" line; not a .tag file").arg(sourceName);
        return false;
    }
    if (tag.rows.empty()) {
        error = QStringLiteral("%1: no frame rows after \"#start\"").arg(sourceName);
        return false;
    }
    return true;
}

bool readTagFile(const QString& path, TagFile& tag, QString& error)
{
    QByteArray content;
    return readFile(path, content, error) && parseTag(content, path, tag, error);
}

GroundTruth buildGroundTruth(const TagFile& tag, double fps)
{
    struct Run
    {
        Interval interval;
        int id;
        bool notVisible;
    };
    std::vector<Run> runs;
    const TagRow* previous = nullptr;
    for (const TagRow& row : tag.rows) {
        const bool notVisible = row.leftNotVisible || row.rightNotVisible;
        if (row.blinkId > 0) {
            const bool continues = previous && previous->blinkId == row.blinkId &&
                                   previous->frame + 1 == row.frame && !runs.empty();
            if (continues) {
                runs.back().interval.end = row.frame;
                runs.back().notVisible = runs.back().notVisible || notVisible;
            } else {
                runs.push_back({{row.frame, row.frame}, row.blinkId, notVisible});
            }
        }
        previous = &row;
    }

    GroundTruth truth;
    std::vector<Interval> merged;
    std::vector<std::vector<int>> mergedIds;
    for (const Run& run : runs) {
        if (run.notVisible) {
            ++truth.droppedNotVisible;
            continue;
        }
        // Runs come in frame order, so touching means starting at most one frame after the
        // last merged run ends (a double blink counts once).
        if (!merged.empty() && run.interval.start <= merged.back().end + 1) {
            merged.back().end = std::max(merged.back().end, run.interval.end);
            mergedIds.back().push_back(run.id);
            ++truth.mergedAway;
        } else {
            merged.push_back(run.interval);
            mergedIds.push_back({run.id});
        }
    }
    for (std::size_t i = 0; i < merged.size(); ++i) {
        if (fps > 0 && merged[i].length() / fps > 1.0) {
            truth.longClosures.push_back(merged[i]);
        } else {
            truth.blinks.push_back(merged[i]);
            truth.ids.push_back(mergedIds[i]);
        }
    }
    return truth;
}

bool parseDetections(const QByteArray& json, const QString& sourceName, Detections& detections,
                     QString& error)
{
    detections = Detections();
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (document.isNull()) {
        error = QStringLiteral("%1: not JSON: %2 at offset %3")
                    .arg(sourceName, parseError.errorString())
                    .arg(parseError.offset);
        return false;
    }
    QJsonArray blinks;
    if (document.isArray()) {
        blinks = document.array();
    } else {
        const QJsonObject root = document.object();
        if (!root.contains(QLatin1String("blinks")) || !root.value("blinks").isArray()) {
            error = QStringLiteral("%1: no \"blinks\" array").arg(sourceName);
            return false;
        }
        blinks = root.value("blinks").toArray();
        int frames = 0;
        if (frameIndex(root.value("frames"), frames)) {
            detections.frames = frames;
        }
        const double fps = root.value("fps").toDouble(0);
        if (std::isfinite(fps) && fps > 0) {
            detections.fps = fps;
        }
    }
    std::vector<std::pair<Interval, std::optional<bool>>> found;
    for (int i = 0; i < blinks.size(); ++i) {
        const QJsonObject blink = blinks.at(i).toObject();
        const QString where = QStringLiteral("%1: blink %2").arg(sourceName).arg(i);
        const QJsonValue start = blink.contains(QLatin1String("startFrame"))
                                     ? blink.value("startFrame")
                                     : blink.value("start");
        const QJsonValue end = blink.contains(QLatin1String("endFrame")) ? blink.value("endFrame")
                                                                         : blink.value("end");
        Interval interval;
        if (!frameIndex(start, interval.start) || !frameIndex(end, interval.end)) {
            detections.warnings
                << QStringLiteral("%1: no whole startFrame/endFrame; skipped").arg(where);
            continue;
        }
        if (interval.end < interval.start) {
            detections.warnings << QStringLiteral("%1: endFrame %2 before startFrame %3; skipped")
                                       .arg(where)
                                       .arg(interval.end)
                                       .arg(interval.start);
            continue;
        }
        const QJsonValue complete = blink.value("complete");
        found.push_back(
            {interval, complete.isBool() ? std::optional<bool>(complete.toBool()) : std::nullopt});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first.start != b.first.start ? a.first.start < b.first.start
                                              : a.first.end < b.first.end;
    });
    for (const auto& [interval, complete] : found) {
        detections.blinks.push_back(interval);
        detections.complete.push_back(complete);
    }
    return true;
}

bool readDetectionsFile(const QString& path, Detections& detections, QString& error)
{
    QByteArray content;
    return readFile(path, content, error) && parseDetections(content, path, detections, error);
}

ClipInfo readClipInfo(const QString& tagPath, QString& reason)
{
    ClipInfo info;
    const QFileInfo tagInfo(tagPath);
    const QString jsonPath = tagInfo.dir().filePath(tagInfo.completeBaseName() + ".json");
    QByteArray content;
    if (!readFile(jsonPath, content, reason)) {
        return info;
    }
    const QJsonObject root = QJsonDocument::fromJson(content).object();
    const double fps = root.value("fps").toDouble(0);
    if (std::isfinite(fps) && fps > 0) {
        info.fps = fps;
    } else {
        reason = QStringLiteral("%1: no positive \"fps\"").arg(jsonPath);
    }
    int frames = 0;
    if (frameIndex(root.value("frames"), frames) || frameIndex(root.value("frame_count"), frames)) {
        info.frames = frames;
    }
    for (const QJsonValue& value : root.value("blinks").toArray()) {
        const QJsonObject blink = value.toObject();
        if (!blink.value("id").isDouble()) {
            continue;
        }
        const int id = blink.value("id").toInt();
        if (blink.value("complete").isBool()) {
            info.completeById[id] = blink.value("complete").toBool();
        } else if (blink.contains(QLatin1String("closed"))) {
            info.completeById[id] = !blink.value("closed").isNull();
        }
    }
    return info;
}

double ClipScore::truthPerMinute() const
{
    return minutes() > 0 ? truthBlinks / minutes() : 0;
}

double ClipScore::detectedPerMinute() const
{
    return minutes() > 0 ? scoredDetections / minutes() : 0;
}

ClipScore scoreClip(const QString& name, const GroundTruth& truth,
                    const std::vector<Interval>& detections, double fps, int frames)
{
    ClipScore score;
    score.name = name;
    score.fps = fps;
    score.frames = frames;
    score.truthBlinks = int(truth.blinks.size());
    score.longClosures = int(truth.longClosures.size());

    std::vector<Interval> candidates;
    for (const Interval& detection : detections) {
        const bool ignored =
            std::any_of(truth.longClosures.begin(), truth.longClosures.end(),
                        [&](const Interval& closure) { return closure.overlaps(detection); });
        if (ignored) {
            score.ignoredIntervals.push_back(detection);
        } else {
            candidates.push_back(detection);
        }
    }
    score.ignoredDetections = int(score.ignoredIntervals.size());
    score.scoredDetections = int(candidates.size());

    std::vector<bool> taken(candidates.size(), false);
    for (const Interval& blink : truth.blinks) {
        int best = -1;
        double bestIoU = 0;
        for (std::size_t d = 0; d < candidates.size(); ++d) {
            if (taken[d] || !iouAboveMatchThreshold(blink, candidates[d])) {
                continue;
            }
            const double iou = intervalIoU(blink, candidates[d]);
            if (best < 0 || iou > bestIoU) {
                best = int(d);
                bestIoU = iou;
            }
        }
        if (best < 0) {
            score.missedIntervals.push_back(blink);
        } else {
            taken[best] = true;
            score.matches.push_back({blink, candidates[best], bestIoU});
        }
    }
    for (std::size_t d = 0; d < candidates.size(); ++d) {
        if (!taken[d]) {
            score.falsePositiveIntervals.push_back(candidates[d]);
        }
    }
    score.truePositives = int(score.matches.size());
    score.falsePositives = int(score.falsePositiveIntervals.size());
    score.misses = int(score.missedIntervals.size());
    return score;
}

std::optional<double> precision(const Counts& counts)
{
    const int detected = counts.truePositives + counts.falsePositives;
    return detected > 0 ? std::optional<double>(double(counts.truePositives) / detected)
                        : std::nullopt;
}

std::optional<double> recall(const Counts& counts)
{
    const int truth = counts.truePositives + counts.misses;
    return truth > 0 ? std::optional<double>(double(counts.truePositives) / truth) : std::nullopt;
}

std::optional<double> f1Score(const Counts& counts)
{
    // The harmonic mean of precision and recall, also defined when only one of them is.
    const int denominator = 2 * counts.truePositives + counts.falsePositives + counts.misses;
    return denominator > 0 ? std::optional<double>(2.0 * counts.truePositives / denominator)
                           : std::nullopt;
}

Counts countsOf(const ClipScore& clip)
{
    return {clip.truePositives, clip.falsePositives, clip.misses};
}

std::optional<double> median(std::vector<double> values)
{
    if (values.empty()) {
        return std::nullopt;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

Summary summarize(std::vector<ClipScore> clips)
{
    Summary summary;
    std::vector<double> rateErrors;
    for (const ClipScore& clip : clips) {
        summary.total.truePositives += clip.truePositives;
        summary.total.falsePositives += clip.falsePositives;
        summary.total.misses += clip.misses;
        summary.truthBlinks += clip.truthBlinks;
        summary.scoredDetections += clip.scoredDetections;
        summary.ignoredDetections += clip.ignoredDetections;
        summary.minutes += clip.minutes();
        for (std::size_t truth = 0; truth < 2; ++truth) {
            for (std::size_t detected = 0; detected < 2; ++detected) {
                summary.closure[truth][detected] += clip.closure[truth][detected];
            }
        }
        rateErrors.push_back(std::abs(clip.rateError()));
    }
    summary.medianAbsRateError = median(rateErrors);
    summary.clips = std::move(clips);
    return summary;
}

QString formatTable(const Summary& summary)
{
    QString text;
    QTextStream out(&text);
    const auto row = [&](const QString& name, int truth, int detected, int ignored,
                         const Counts& counts, const QString& truthRate,
                         const QString& detectedRate, const QString& error) {
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10")
                   .arg(name.left(16), -16)
                   .arg(truth, 4)
                   .arg(detected, 4)
                   .arg(ignored, 4)
                   .arg(counts.truePositives, 4)
                   .arg(counts.falsePositives, 4)
                   .arg(counts.misses, 4)
                   .arg(optionalText(precision(counts), 6))
                   .arg(optionalText(recall(counts), 6))
                   .arg(optionalText(f1Score(counts), 6))
            << QStringLiteral(" %1 %2 %3\n").arg(truthRate, 7).arg(detectedRate, 7).arg(error, 7);
    };
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11 %12 %13\n")
               .arg(QStringLiteral("clip"), -16)
               .arg(QStringLiteral("GT"), 4)
               .arg(QStringLiteral("det"), 4)
               .arg(QStringLiteral("ign"), 4)
               .arg(QStringLiteral("TP"), 4)
               .arg(QStringLiteral("FP"), 4)
               .arg(QStringLiteral("FN"), 4)
               .arg(QStringLiteral("prec"), 6)
               .arg(QStringLiteral("recall"), 6)
               .arg(QStringLiteral("F1"), 6)
               .arg(QStringLiteral("GT/min"), 7)
               .arg(QStringLiteral("det/min"), 7)
               .arg(QStringLiteral("err/min"), 7);
    const auto number = [](double value) { return QString::number(value, 'f', 2); };
    for (const ClipScore& clip : summary.clips) {
        row(clip.name, clip.truthBlinks, clip.scoredDetections, clip.ignoredDetections,
            countsOf(clip), number(clip.truthPerMinute()), number(clip.detectedPerMinute()),
            QStringLiteral("%1%2")
                .arg(clip.rateError() > 0 ? "+" : "")
                .arg(number(clip.rateError())));
    }
    const double minutes = summary.minutes;
    row(QStringLiteral("total"), summary.truthBlinks, summary.scoredDetections,
        summary.ignoredDetections, summary.total,
        minutes > 0 ? number(summary.truthBlinks / minutes) : QStringLiteral("-"),
        minutes > 0 ? number(summary.scoredDetections / minutes) : QStringLiteral("-"),
        QStringLiteral("-"));
    out << QStringLiteral("%1 clips, %2 min; median |blink-rate error| %3 blinks/min\n")
               .arg(summary.clips.size())
               .arg(number(minutes))
               .arg(summary.medianAbsRateError ? number(*summary.medianAbsRateError)
                                               : QStringLiteral("-"));
    out << "ign = detections overlapping a closure longer than 1 s, not scored\n";
    const auto& c = summary.closure;
    if (c[0][0] + c[0][1] + c[1][0] + c[1][1] > 0) {
        out << QStringLiteral("closure of matched blinks, truth -> detected: complete -> complete "
                              "%1, complete -> incomplete %2; incomplete -> complete %3, "
                              "incomplete -> incomplete %4\n")
                   .arg(c[1][1])
                   .arg(c[1][0])
                   .arg(c[0][1])
                   .arg(c[0][0]);
    }
    return text;
}

QJsonObject summaryToJson(const Summary& summary)
{
    QJsonArray clips;
    for (const ClipScore& clip : summary.clips) {
        const Counts counts = countsOf(clip);
        QJsonArray matches;
        for (const Match& match : clip.matches) {
            matches.append(QJsonObject{{"truth", intervalJson(match.truth)},
                                       {"detection", intervalJson(match.detection)},
                                       {"iou", match.iou}});
        }
        clips.append(QJsonObject{
            {"clip", clip.name},
            {"fps", clip.fps},
            {"frames", clip.frames},
            {"minutes", clip.minutes()},
            {"truthBlinks", clip.truthBlinks},
            {"longClosures", clip.longClosures},
            {"detections", clip.scoredDetections},
            {"ignoredDetections", clip.ignoredDetections},
            {"tp", clip.truePositives},
            {"fp", clip.falsePositives},
            {"fn", clip.misses},
            {"precision", optionalJson(precision(counts))},
            {"recall", optionalJson(recall(counts))},
            {"f1", optionalJson(f1Score(counts))},
            {"truthPerMinute", clip.truthPerMinute()},
            {"detectedPerMinute", clip.detectedPerMinute()},
            {"rateError", clip.rateError()},
            {"matches", matches},
            {"falsePositives", intervalsJson(clip.falsePositiveIntervals)},
            {"misses", intervalsJson(clip.missedIntervals)},
            {"ignored", intervalsJson(clip.ignoredIntervals)},
            {"warnings", QJsonArray::fromStringList(clip.warnings)},
        });
    }
    const double minutes = summary.minutes;
    const QJsonObject total{
        {"clips", int(summary.clips.size())},
        {"minutes", minutes},
        {"truthBlinks", summary.truthBlinks},
        {"detections", summary.scoredDetections},
        {"ignoredDetections", summary.ignoredDetections},
        {"tp", summary.total.truePositives},
        {"fp", summary.total.falsePositives},
        {"fn", summary.total.misses},
        {"precision", optionalJson(precision(summary.total))},
        {"recall", optionalJson(recall(summary.total))},
        {"f1", optionalJson(f1Score(summary.total))},
        {"truthPerMinute",
         minutes > 0 ? QJsonValue(summary.truthBlinks / minutes) : QJsonValue(QJsonValue::Null)},
        {"detectedPerMinute", minutes > 0 ? QJsonValue(summary.scoredDetections / minutes)
                                          : QJsonValue(QJsonValue::Null)},
        {"medianAbsRateError", optionalJson(summary.medianAbsRateError)},
    };
    return QJsonObject{{"clips", clips}, {"total", total}};
}

bool readManifest(const QString& path, std::vector<ClipInput>& inputs, QString& error)
{
    QByteArray content;
    if (!readFile(path, content, error)) {
        return false;
    }
    const QDir base = QFileInfo(path).dir();
    const QList<QByteArray> lines = content.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines[i]).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        const QStringList fields = line.split(QRegularExpression(QStringLiteral("\\s+")));
        if (fields.size() != 2) {
            error = QStringLiteral("%1 line %2: \"TAG DETECTIONS\" expected, got %3 fields")
                        .arg(path)
                        .arg(i + 1)
                        .arg(fields.size());
            return false;
        }
        inputs.push_back({QDir::cleanPath(base.absoluteFilePath(fields[0])),
                          QDir::cleanPath(base.absoluteFilePath(fields[1]))});
    }
    if (inputs.empty()) {
        error = QStringLiteral("%1: no clips listed").arg(path);
        return false;
    }
    return true;
}

namespace {

// How the closure marks of matched blinks compare: a ground-truth blink is complete when any
// blink merged into it is.
void countClosures(const GroundTruth& truth, const ClipInfo& info, const Detections& detections,
                   ClipScore& score)
{
    for (const Match& match : score.matches) {
        const auto t = std::find(truth.blinks.begin(), truth.blinks.end(), match.truth);
        const auto d =
            std::find(detections.blinks.begin(), detections.blinks.end(), match.detection);
        if (t == truth.blinks.end() || d == detections.blinks.end()) {
            continue;
        }
        const std::optional<bool> detected = detections.complete[d - detections.blinks.begin()];
        std::optional<bool> complete;
        for (const int id : truth.ids[t - truth.blinks.begin()]) {
            const auto known = info.completeById.find(id);
            if (known != info.completeById.end()) {
                complete = complete.value_or(false) || known->second;
            }
        }
        if (detected && complete) {
            ++score.closure[*complete ? 1 : 0][*detected ? 1 : 0];
        }
    }
}

} // namespace

bool evaluateClip(const ClipInput& input, double fpsOverride, ClipScore& score, QString& error)
{
    TagFile tag;
    Detections detections;
    if (!readTagFile(input.tagPath, tag, error) ||
        !readDetectionsFile(input.detectionsPath, detections, error)) {
        return false;
    }
    QStringList warnings = tag.warnings + detections.warnings;
    double fps = fpsOverride;
    QString reason;
    const ClipInfo info = readClipInfo(input.tagPath, reason);
    if (info.frames && *info.frames != tag.frameCount()) {
        warnings << QStringLiteral("%1: %2 frame rows, the clip's .json says %3 frames")
                        .arg(input.tagPath)
                        .arg(tag.frameCount())
                        .arg(*info.frames);
    }
    if (fps <= 0) {
        if (info.fps) {
            fps = *info.fps;
        } else if (detections.fps > 0) {
            fps = detections.fps;
            warnings << QStringLiteral("%1; using the detections' fps %2")
                            .arg(reason)
                            .arg(detections.fps);
        } else {
            error = QStringLiteral("%1; no fps in %2 either (give --fps)")
                        .arg(reason, input.detectionsPath);
            return false;
        }
    }
    if (detections.fps > 0 && std::abs(detections.fps - fps) > 0.01 * fps) {
        warnings << QStringLiteral("%1: fps %2 differs from the clip's %3")
                        .arg(input.detectionsPath)
                        .arg(detections.fps)
                        .arg(fps);
    }
    if (detections.frames >= 0 && detections.frames != tag.frameCount()) {
        warnings << QStringLiteral("%1: %2 frames analysed, the clip has %3")
                        .arg(input.detectionsPath)
                        .arg(detections.frames)
                        .arg(tag.frameCount());
    }
    for (const Interval& blink : detections.blinks) {
        if (blink.end >= tag.frameCount()) {
            warnings << QStringLiteral("%1: blink %2 ends after the clip's last frame %3")
                            .arg(input.detectionsPath, intervalText(blink))
                            .arg(tag.frameCount() - 1);
        }
    }
    const GroundTruth truth = buildGroundTruth(tag, fps);
    score = scoreClip(QFileInfo(input.tagPath).completeBaseName(), truth, detections.blinks, fps,
                      tag.frameCount());
    score.warnings = warnings;
    countClosures(truth, info, detections, score);
    return true;
}

int runTool(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const QString usage = QStringLiteral(
        "usage: winkwell-blinkeval [--json] [--fps FPS] (TAG DETECTIONS)... | --manifest FILE\n"
        "  Scores detected blinks against a clip's .tag ground truth.\n"
        "  TAG          clip.tag; the clip's frame rate is read from clip.json beside it\n"
        "  DETECTIONS   JSON {\"blinks\": [{\"startFrame\": s, \"endFrame\": e}...], "
        "\"frames\": n, \"fps\": f}\n"
        "  --manifest   a file of \"TAG DETECTIONS\" lines ('#' comments, paths relative to it)\n"
        "  --fps        frame rate for every clip, instead of the clip's .json\n"
        "  --json       print the summary as JSON instead of a table\n");
    bool json = false;
    double fpsOverride = 0;
    std::vector<ClipInput> inputs;
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            out << usage;
            return 0;
        }
        if (arg == QLatin1String("--json")) {
            json = true;
        } else if (arg == QLatin1String("--fps") || arg == QLatin1String("--manifest")) {
            if (i + 1 >= args.size()) {
                err << "winkwell-blinkeval: " << arg << " needs a value\n" << usage;
                return 2;
            }
            const QString value = args[++i];
            if (arg == QLatin1String("--fps")) {
                bool ok = false;
                fpsOverride = value.toDouble(&ok);
                if (!ok || !std::isfinite(fpsOverride) || fpsOverride <= 0) {
                    err << "winkwell-blinkeval: --fps " << value << " is not a positive number\n";
                    return 2;
                }
            } else {
                QString error;
                if (!readManifest(value, inputs, error)) {
                    err << "winkwell-blinkeval: " << error << "\n";
                    return 1;
                }
            }
        } else if (arg.startsWith(QLatin1String("--"))) {
            err << "winkwell-blinkeval: unknown option " << arg << "\n" << usage;
            return 2;
        } else {
            positional << arg;
        }
    }
    if (positional.size() % 2 != 0) {
        err << "winkwell-blinkeval: " << positional.last()
            << " has no detections file; give TAG DETECTIONS pairs\n"
            << usage;
        return 2;
    }
    for (int i = 0; i < positional.size(); i += 2) {
        inputs.push_back({positional[i], positional[i + 1]});
    }
    if (inputs.empty()) {
        err << "winkwell-blinkeval: no clips given\n" << usage;
        return 2;
    }

    // Every clip is read before anything is reported, so all input problems show at once and a
    // summary never silently leaves a clip out.
    std::vector<ClipScore> scores;
    QStringList errors;
    for (const ClipInput& input : inputs) {
        ClipScore score;
        QString error;
        if (evaluateClip(input, fpsOverride, score, error)) {
            scores.push_back(score);
        } else {
            errors << error;
        }
    }
    for (const ClipScore& score : scores) {
        for (const QString& warning : score.warnings) {
            err << "winkwell-blinkeval: warning: " << warning << "\n";
        }
    }
    if (!errors.isEmpty()) {
        for (const QString& error : errors) {
            err << "winkwell-blinkeval: " << error << "\n";
        }
        err << "winkwell-blinkeval: " << errors.size() << " of " << inputs.size()
            << " clips unreadable; nothing scored\n";
        return 1;
    }
    const Summary summary = summarize(std::move(scores));
    if (json) {
        out << QJsonDocument(summaryToJson(summary)).toJson(QJsonDocument::Indented);
    } else {
        out << formatTable(summary);
    }
    return 0;
}

} // namespace winkwell::blinkeval
