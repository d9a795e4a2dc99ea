#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <array>
#include <map>
#include <optional>
#include <vector>

namespace winkwell::blinkeval {

// Inclusive range of frame indices in decode order.
struct Interval
{
    int start = 0;
    int end = 0;

    int length() const { return end - start + 1; }
    bool overlaps(const Interval& other) const { return start <= other.end && other.start <= end; }
    bool operator==(const Interval& other) const
    {
        return start == other.start && end == other.end;
    }
};

// Intersection over union of the frame sets of two intervals.
double intervalIoU(const Interval& a, const Interval& b);
// IoU above 0.2, decided on integer frame counts so the boundary is exact.
bool iouAboveMatchThreshold(const Interval& a, const Interval& b);

// One row of a .tag file; only the fields the scoring uses.
struct TagRow
{
    int frame = 0;
    int blinkId = -1;
    bool leftNotVisible = false;
    bool rightNotVisible = false;
};

struct TagFile
{
    std::vector<TagRow> rows;
    QStringList warnings;
    int frameCount() const { return rows.empty() ? 0 : rows.back().frame + 1; }
};

// Parses the rows between "#start" and "#end". False with a message naming the line on the
// first malformed row; sourceName prefixes messages.
bool parseTag(const QByteArray& text, const QString& sourceName, TagFile& tag, QString& error);
bool readTagFile(const QString& path, TagFile& tag, QString& error);

struct GroundTruth
{
    std::vector<Interval> blinks;       // scored blinks, in frame order
    std::vector<std::vector<int>> ids;  // for each scored blink, the blink ids merged into it
    std::vector<Interval> longClosures; // deliberate closures: not blinks, detections ignored
    int droppedNotVisible = 0;          // blink runs with a not-visible frame
    int mergedAway = 0;                 // runs absorbed into a touching one
};

// Maximal runs of one blink id, without runs that contain a not-visible frame, touching runs
// merged, and runs longer than one second (frame count / fps) set apart as long closures.
GroundTruth buildGroundTruth(const TagFile& tag, double fps);

struct Detections
{
    std::vector<Interval> blinks;
    // For each blink, its "complete" mark when it has one: did the lids close all the way?
    std::vector<std::optional<bool>> complete;
    int frames = -1; // -1 when absent
    double fps = 0;  // 0 when absent
    QStringList warnings;
};

// Reads {"blinks": [{"startFrame": s, "endFrame": e}, ...], "frames": n, "fps": f}. Tolerant:
// unknown fields are ignored, "start"/"end" are accepted too, a bare array is taken as the
// blink list, and unusable entries are skipped with a warning.
bool parseDetections(const QByteArray& json, const QString& sourceName, Detections& detections,
                     QString& error);
bool readDetectionsFile(const QString& path, Detections& detections, QString& error);

// What the clip's .json beside its .tag says: "fps", and the frame count ("frames" or
// "frame_count"). Absent values are nullopt; reason says why fps is absent.
struct ClipInfo
{
    std::optional<double> fps;
    std::optional<int> frames;
    // Blink id to whether its lids closed all the way: "complete", or else a "closed" range
    // (null when no frame is fully closed).
    std::map<int, bool> completeById;
};
ClipInfo readClipInfo(const QString& tagPath, QString& reason);

struct Match
{
    Interval truth;
    Interval detection;
    double iou = 0;
};

struct ClipScore
{
    QString name;
    double fps = 0;
    int frames = 0;
    int truthBlinks = 0;
    int longClosures = 0;
    int scoredDetections = 0; // detections not overlapping a long closure
    int ignoredDetections = 0;
    int truePositives = 0;
    int falsePositives = 0;
    int misses = 0;
    std::vector<Match> matches;
    std::vector<Interval> falsePositiveIntervals;
    std::vector<Interval> missedIntervals;
    std::vector<Interval> ignoredIntervals;
    // Matched blinks whose closure both sides mark: [truth complete][detected complete].
    std::array<std::array<int, 2>, 2> closure{};
    QStringList warnings;

    double minutes() const { return fps > 0 ? frames / fps / 60.0 : 0; }
    double truthPerMinute() const;
    double detectedPerMinute() const;
    double rateError() const { return detectedPerMinute() - truthPerMinute(); }
};

// Ground-truth blinks in frame order each take the unmatched detection of highest IoU above 0.2
// (the earliest on ties); detections overlapping a long closure are ignored; the rest are false
// positives.
ClipScore scoreClip(const QString& name, const GroundTruth& truth,
                    const std::vector<Interval>& detections, double fps, int frames);

struct Counts
{
    int truePositives = 0;
    int falsePositives = 0;
    int misses = 0;
};
// Undefined ratios (no detections, no ground truth) are nullopt.
std::optional<double> precision(const Counts& counts);
std::optional<double> recall(const Counts& counts);
std::optional<double> f1Score(const Counts& counts);
Counts countsOf(const ClipScore& clip);

struct Summary
{
    std::vector<ClipScore> clips;
    Counts total;
    int truthBlinks = 0;
    int scoredDetections = 0;
    int ignoredDetections = 0;
    double minutes = 0;
    std::optional<double> medianAbsRateError; // over clips, blinks per minute
    std::array<std::array<int, 2>, 2> closure{};
};

Summary summarize(std::vector<ClipScore> clips);
std::optional<double> median(std::vector<double> values);

QString formatTable(const Summary& summary);
QJsonObject summaryToJson(const Summary& summary);

struct ClipInput
{
    QString tagPath;
    QString detectionsPath;
};

// Manifest: one "TAG DETECTIONS" pair per line, '#' comments; relative paths are taken from
// the manifest's folder.
bool readManifest(const QString& path, std::vector<ClipInput>& inputs, QString& error);

// Loads and scores one clip. fpsOverride > 0 replaces the clip's own frame rate.
bool evaluateClip(const ClipInput& input, double fpsOverride, ClipScore& score, QString& error);

// The command line; returns the exit code (0 scored, 1 input error, 2 usage error).
int runTool(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace winkwell::blinkeval
