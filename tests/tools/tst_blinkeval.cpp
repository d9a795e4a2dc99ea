// Blink scoring: .tag parsing, ground-truth rules, matching, summaries and the command line.
#include "tools/blinkeval/BlinkEval.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

using namespace winkwell::blinkeval;

Q_DECLARE_METATYPE(winkwell::blinkeval::Interval)

namespace {

// One character per frame: '.' open eyes, '1'-'9' a blink id, 'a'-'i' blink 1-9 with the
// left eye not visible, 'A'-'I' blink 1-9 with the right eye not visible, '-' open eyes with
// the left eye not visible.
QByteArray tagText(const QString& frames)
{
    QByteArray text = "#eye-blink annotation file version 1.1\n#author: test\n#start\n";
    for (int i = 0; i < frames.size(); ++i) {
        const QChar c = frames[i];
        int id = -1;
        bool leftNv = false;
        bool rightNv = false;
        if (c.isDigit()) {
            id = c.digitValue();
        } else if (c >= QLatin1Char('a') && c <= QLatin1Char('i')) {
            id = c.toLatin1() - 'a' + 1;
            leftNv = true;
        } else if (c >= QLatin1Char('A') && c <= QLatin1Char('I')) {
            id = c.toLatin1() - 'A' + 1;
            rightNv = true;
        } else if (c == QLatin1Char('-')) {
            leftNv = true;
        }
        text += QByteArray::number(i) + ':' + QByteArray::number(id) +
                ":X:X:" + (leftNv ? "N" : "X") + ":X:" + (rightNv ? "N" : "X") +
                ":10:10:100:100:0:0:0:0:0:0:0:0\n";
    }
    return text + "#end\n";
}

TagFile parsed(const QString& frames)
{
    TagFile tag;
    QString error;
    if (!parseTag(tagText(frames), QStringLiteral("test.tag"), tag, error)) {
        qWarning() << error;
    }
    return tag;
}

GroundTruth truthOf(const QString& frames, double fps = 30)
{
    return buildGroundTruth(parsed(frames), fps);
}

QString describe(const std::vector<Interval>& intervals)
{
    QStringList parts;
    for (const Interval& interval : intervals) {
        parts << QStringLiteral("%1-%2").arg(interval.start).arg(interval.end);
    }
    return parts.join(QLatin1Char(' '));
}

// Ground truth given directly as intervals.
GroundTruth truthWith(std::vector<Interval> blinks, std::vector<Interval> longClosures = {})
{
    GroundTruth truth;
    truth.blinks = std::move(blinks);
    truth.longClosures = std::move(longClosures);
    return truth;
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

struct ToolRun
{
    int code;
    QString out;
    QString err;
};

ToolRun runWith(const QStringList& args)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int code = runTool(args, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return {code, out, err};
}

} // namespace

class TestBlinkEval : public QObject
{
    Q_OBJECT

private slots:
    void intervalIoU_data();
    void intervalIoU();
    void parseTag_readsRowsBetweenStartAndEnd();
    void parseTag_rejectsMalformedInput_data();
    void parseTag_rejectsMalformedInput();
    void groundTruth_runsAndTouchingMerge_data();
    void groundTruth_runsAndTouchingMerge();
    void groundTruth_dropsBlinksWithANotVisibleFrame();
    void groundTruth_setsApartClosuresLongerThanOneSecond();
    void score_ignoresDetectionsOverlappingALongClosure();
    void score_iouBoundaryIsExclusive();
    void score_truthTakesTheUnmatchedDetectionOfHighestIoU();
    void score_leftoversAreFalsePositivesAndRatesFollow();
    void ratios_undefinedWithoutDetectionsOrTruth();
    void summarize_sumsClipsAndTakesTheMedianRateError();
    void parseDetections_isTolerant();
    void parseDetections_rejectsUnusableFiles_data();
    void parseDetections_rejectsUnusableFiles();
    void runTool_scoresPairsAndManifests();
    void runTool_reportsBadInput();
    void runTool_comparesClosureMarks();
    void sharedClips_groundTruthFollowsTheProtocol();
};

void TestBlinkEval::intervalIoU_data()
{
    QTest::addColumn<Interval>("a");
    QTest::addColumn<Interval>("b");
    QTest::addColumn<double>("iou");
    QTest::addColumn<bool>("matches");
    QTest::newRow("identical") << Interval{3, 7} << Interval{3, 7} << 1.0 << true;
    QTest::newRow("disjoint") << Interval{0, 4} << Interval{10, 12} << 0.0 << false;
    QTest::newRow("adjacent") << Interval{0, 4} << Interval{5, 9} << 0.0 << false;
    QTest::newRow("exactly 0.2, tail") << Interval{0, 9} << Interval{8, 9} << 0.2 << false;
    QTest::newRow("exactly 0.2, inside") << Interval{0, 4} << Interval{2, 2} << 0.2 << false;
    QTest::newRow("a quarter") << Interval{0, 5} << Interval{4, 7} << 0.25 << true;
    QTest::newRow("just above") << Interval{0, 9} << Interval{7, 9} << 0.3 << true;
    QTest::newRow("just below") << Interval{0, 10} << Interval{9, 10} << 2.0 / 11 << false;
    QTest::newRow("one frame each") << Interval{5, 5} << Interval{5, 5} << 1.0 << true;
}

void TestBlinkEval::intervalIoU()
{
    QFETCH(Interval, a);
    QFETCH(Interval, b);
    QFETCH(double, iou);
    QFETCH(bool, matches);
    QVERIFY(qAbs(winkwell::blinkeval::intervalIoU(a, b) - iou) < 1e-12);
    QVERIFY(qAbs(winkwell::blinkeval::intervalIoU(b, a) - iou) < 1e-12);
    QCOMPARE(iouAboveMatchThreshold(a, b), matches);
    QCOMPARE(iouAboveMatchThreshold(b, a), matches);
}

void TestBlinkEval::parseTag_readsRowsBetweenStartAndEnd()
{
    const QByteArray text = "#eye-blink annotation file version 1.1\r\n"
                            "5:7:X:X:X:X:X\r\n" // before #start: not a row
                            "#start\r\n"
                            "0:-1:X:X:X:X:X:1:2:3:4:0:0:0:0:0:0:0:0\r\n"
                            "\r\n"
                            "# a comment inside the rows\n"
                            "1:4:X:C:N:C:X:1:2:3:4:0:0:0:0:0:0:0:0\n"
                            "2:4:N:C:X:C:N\n" // trailing fields are optional
                            "#end\n"
                            "3:9:X:X:X:X:X\n";
    TagFile tag;
    QString error;
    QVERIFY2(parseTag(text, QStringLiteral("t.tag"), tag, error), qPrintable(error));
    QCOMPARE(int(tag.rows.size()), 3);
    QCOMPARE(tag.frameCount(), 3);
    QCOMPARE(tag.rows[0].blinkId, -1);
    QCOMPARE(tag.rows[1].blinkId, 4);
    QVERIFY(tag.rows[1].leftNotVisible && !tag.rows[1].rightNotVisible);
    QVERIFY(!tag.rows[2].leftNotVisible && tag.rows[2].rightNotVisible);
    QVERIFY(tag.warnings.isEmpty());

    // A missing "#end" reads to the end of the file; a gap in the frames is warned about.
    QVERIFY(
        parseTag("#start\n0:-1:X:X:X:X:X\n3:-1:X:X:X:X:X\n", QStringLiteral("t.tag"), tag, error));
    QCOMPARE(tag.frameCount(), 4);
    QCOMPARE(tag.warnings.size(), 1);
    QVERIFY(tag.warnings[0].contains(QLatin1String("frames 1 to 2")));
}

void TestBlinkEval::parseTag_rejectsMalformedInput_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected");
    const QByteArray good = "#start\n0:-1:X:X:X:X:X\n";
    QTest::newRow("too few fields") << good + "1:-1:X:X\n"
                                    << "test.tag line 3: 4 fields";
    QTest::newRow("frame not a number") << good + "x:-1:X:X:X:X:X\n"
                                        << "line 3: frame \"x\"";
    QTest::newRow("negative frame")
        << QByteArray("#start\n-4:-1:X:X:X:X:X\n") << "line 2: frame \"-4\"";
    QTest::newRow("blink id not a number") << good + "1:one:X:X:X:X:X\n"
                                           << "line 3: blink id \"one\"";
    QTest::newRow("repeated frame") << good + "0:-1:X:X:X:X:X\n"
                                    << "frame 0 follows frame 0";
    QTest::newRow("decreasing frame") << good + "2:-1:X:X:X:X:X\n1:-1:X:X:X:X:X\n"
                                      << "line 4: frame 1 follows frame 2";
    QTest::newRow("no #start") << QByteArray("0:-1:X:X:X:X:X\n") << "no \"#start\"";
    QTest::newRow("no rows") << QByteArray("#start\n#end\n") << "no frame rows";
    QTest::newRow("empty") << QByteArray() << "no \"#start\"";
    QTest::newRow("binary") << QByteArray("#start\n\x01\x02\xff:\x00\x00", 12) << "line 2";
}

void TestBlinkEval::parseTag_rejectsMalformedInput()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    TagFile tag;
    QString error;
    QVERIFY(!parseTag(text, QStringLiteral("test.tag"), tag, error));
    QVERIFY2(error.contains(expected), qPrintable(error));
    QVERIFY2(error.startsWith(QLatin1String("test.tag")), qPrintable(error));
}

void TestBlinkEval::groundTruth_runsAndTouchingMerge_data()
{
    QTest::addColumn<QString>("frames");
    QTest::addColumn<QString>("blinks");
    QTest::addColumn<int>("mergedAway");
    QTest::newRow("separate") << "..111..222.."
                              << "2-4 7-9" << 0;
    QTest::newRow("one frame apart") << "11.22"
                                     << "0-1 3-4" << 0;
    QTest::newRow("adjacent ids merge") << "..111222.."
                                        << "2-7" << 1;
    QTest::newRow("triple merge") << ".1223."
                                  << "1-4" << 2;
    QTest::newRow("same id split by open eyes") << "..11.11.."
                                                << "2-3 5-6" << 0;
    QTest::newRow("first and last frame") << "1...2"
                                          << "0-0 4-4" << 0;
    QTest::newRow("none") << "....."
                          << "" << 0;
}

void TestBlinkEval::groundTruth_runsAndTouchingMerge()
{
    QFETCH(QString, frames);
    QFETCH(QString, blinks);
    QFETCH(int, mergedAway);
    const GroundTruth truth = truthOf(frames);
    QCOMPARE(describe(truth.blinks), blinks);
    QCOMPARE(truth.mergedAway, mergedAway);
    QVERIFY(truth.longClosures.empty());
}

void TestBlinkEval::groundTruth_dropsBlinksWithANotVisibleFrame()
{
    // Left eye, right eye, and a not-visible frame outside any blink.
    GroundTruth truth = truthOf("..1a1..2B2..333.--.");
    QCOMPARE(describe(truth.blinks), QStringLiteral("12-14"));
    QCOMPARE(truth.droppedNotVisible, 2);

    // A dropped blink does not take a touching visible one with it.
    truth = truthOf("..1a1222..");
    QCOMPARE(describe(truth.blinks), QStringLiteral("5-7"));
    QCOMPARE(truth.droppedNotVisible, 1);
    QCOMPARE(truth.mergedAway, 0);
}

void TestBlinkEval::groundTruth_setsApartClosuresLongerThanOneSecond()
{
    // At 10 fps, 11 frames are 1.1 s (deliberate) and 10 frames exactly 1 s (a blink).
    GroundTruth truth = truthOf("..11111111111..2222222222..33..", 10);
    QCOMPARE(describe(truth.longClosures), QStringLiteral("2-12"));
    QCOMPARE(describe(truth.blinks), QStringLiteral("15-24 27-28"));

    // Two touching runs that together exceed a second form one long closure.
    truth = truthOf(".111111222222.", 10);
    QCOMPARE(describe(truth.longClosures), QStringLiteral("1-12"));
    QVERIFY(truth.blinks.empty());

    // The same frames at 30 fps are all blinks.
    truth = truthOf("..11111111111..", 30);
    QCOMPARE(describe(truth.blinks), QStringLiteral("2-12"));
    QVERIFY(truth.longClosures.empty());
}

void TestBlinkEval::score_ignoresDetectionsOverlappingALongClosure()
{
    const GroundTruth truth = truthWith({{40, 42}}, {{10, 25}});
    const std::vector<Interval> detections = {
        {20, 22}, // inside the closure
        {24, 30}, // overlapping its end
        {5, 10},  // overlapping its start
        {26, 28}, // just after it: an ordinary false positive
        {40, 42}, // the real blink
    };
    const ClipScore score = scoreClip(QStringLiteral("c"), truth, detections, 10, 600);
    QCOMPARE(score.ignoredDetections, 3);
    QCOMPARE(describe(score.ignoredIntervals), QStringLiteral("20-22 24-30 5-10"));
    QCOMPARE(score.scoredDetections, 2);
    QCOMPARE(score.truePositives, 1);
    QCOMPARE(score.falsePositives, 1);
    QCOMPARE(describe(score.falsePositiveIntervals), QStringLiteral("26-28"));
    QCOMPARE(score.misses, 0);
    QCOMPARE(score.longClosures, 1);
    QCOMPARE(score.truthBlinks, 1);
}

void TestBlinkEval::score_iouBoundaryIsExclusive()
{
    // IoU exactly 0.2 does not match: one miss and one false positive.
    ClipScore score = scoreClip(QStringLiteral("c"), truthWith({{0, 9}}), {{8, 9}}, 30, 300);
    QCOMPARE(score.truePositives, 0);
    QCOMPARE(score.falsePositives, 1);
    QCOMPARE(score.misses, 1);

    score = scoreClip(QStringLiteral("c"), truthWith({{0, 9}}), {{7, 9}}, 30, 300);
    QCOMPARE(score.truePositives, 1);
    QCOMPARE(score.falsePositives, 0);
    QCOMPARE(score.misses, 0);
    QCOMPARE(score.matches[0].iou, 0.3);
}

void TestBlinkEval::score_truthTakesTheUnmatchedDetectionOfHighestIoU()
{
    // The better detection is taken whatever the order; the other is left over.
    for (const std::vector<Interval>& detections :
         {std::vector<Interval>{{8, 14}, {12, 19}}, std::vector<Interval>{{12, 19}, {8, 14}}}) {
        const ClipScore score =
            scoreClip(QStringLiteral("c"), truthWith({{10, 19}}), detections, 30, 300);
        QCOMPARE(score.truePositives, 1);
        QCOMPARE(score.matches[0].detection, (Interval{12, 19}));
        QCOMPARE(describe(score.falsePositiveIntervals), QStringLiteral("8-14"));
    }

    // A detection taken by one blink is not available to the next, which takes its second best.
    ClipScore score =
        scoreClip(QStringLiteral("c"), truthWith({{0, 9}, {12, 21}}), {{2, 11}, {6, 16}}, 30, 300);
    QCOMPARE(score.truePositives, 2);
    QCOMPARE(score.matches[0].detection, (Interval{2, 11}));
    QCOMPARE(score.matches[1].detection, (Interval{6, 16}));

    // One detection between two blinks with equal IoU goes to the earlier blink.
    score = scoreClip(QStringLiteral("c"), truthWith({{0, 9}, {10, 19}}), {{5, 14}}, 30, 300);
    QCOMPARE(score.truePositives, 1);
    QCOMPARE(score.matches[0].truth, (Interval{0, 9}));
    QCOMPARE(describe(score.missedIntervals), QStringLiteral("10-19"));
    QCOMPARE(score.falsePositives, 0);
}

void TestBlinkEval::score_leftoversAreFalsePositivesAndRatesFollow()
{
    // One minute at 30 fps: 3 blinks, 5 detections of which 2 match.
    const GroundTruth truth = truthWith({{100, 106}, {500, 508}, {900, 905}});
    const std::vector<Interval> detections = {
        {101, 106}, {300, 303}, {499, 507}, {700, 702}, {1500, 1504}};
    const ClipScore score = scoreClip(QStringLiteral("c"), truth, detections, 30, 1800);
    QCOMPARE(score.truePositives, 2);
    QCOMPARE(score.falsePositives, 3);
    QCOMPARE(score.misses, 1);
    QCOMPARE(describe(score.falsePositiveIntervals), QStringLiteral("300-303 700-702 1500-1504"));
    QCOMPARE(describe(score.missedIntervals), QStringLiteral("900-905"));
    const Counts counts = countsOf(score);
    QCOMPARE(*precision(counts), 0.4);
    QCOMPARE(*recall(counts), 2.0 / 3.0);
    QCOMPARE(*f1Score(counts), 0.5);
    QCOMPARE(score.minutes(), 1.0);
    QCOMPARE(score.truthPerMinute(), 3.0);
    QCOMPARE(score.detectedPerMinute(), 5.0);
    QCOMPARE(score.rateError(), 2.0);

    // Half a minute doubles the rates.
    const ClipScore half = scoreClip(QStringLiteral("c"), truth, detections, 30, 900);
    QCOMPARE(half.truthPerMinute(), 6.0);
    QCOMPARE(half.rateError(), 4.0);
}

void TestBlinkEval::ratios_undefinedWithoutDetectionsOrTruth()
{
    QVERIFY(!precision({0, 0, 0}));
    QVERIFY(!recall({0, 0, 0}));
    QVERIFY(!f1Score({0, 0, 0}));
    // Blinks but no detections: nothing detected wrongly, everything missed.
    QVERIFY(!precision({0, 0, 2}));
    QCOMPARE(*recall({0, 0, 2}), 0.0);
    QCOMPARE(*f1Score({0, 0, 2}), 0.0);
    // Detections on a clip without blinks.
    QCOMPARE(*precision({0, 3, 0}), 0.0);
    QVERIFY(!recall({0, 3, 0}));
    QCOMPARE(*f1Score({0, 3, 0}), 0.0);
}

void TestBlinkEval::summarize_sumsClipsAndTakesTheMedianRateError()
{
    const GroundTruth truth = truthWith({{10, 15}, {100, 105}});
    // 1 minute each at 30 fps; rate errors -1, +2 and 0 blinks per minute.
    std::vector<ClipScore> clips = {
        scoreClip(QStringLiteral("a"), truth, {{10, 15}}, 30, 1800),
        scoreClip(QStringLiteral("b"), truth, {{10, 15}, {100, 104}, {300, 305}, {400, 405}}, 30,
                  1800),
        scoreClip(QStringLiteral("c"), truth, {{12, 16}, {600, 602}}, 30, 1800),
    };
    Summary summary = summarize(clips);
    QCOMPARE(summary.total.truePositives, 1 + 2 + 1);
    QCOMPARE(summary.total.falsePositives, 0 + 2 + 1);
    QCOMPARE(summary.total.misses, 1 + 0 + 1);
    QCOMPARE(summary.truthBlinks, 6);
    QCOMPARE(summary.scoredDetections, 7);
    QCOMPARE(summary.minutes, 3.0);
    QCOMPARE(*summary.medianAbsRateError, 1.0);
    QCOMPARE(*precision(summary.total), 4.0 / 7.0);

    clips.pop_back();
    summary = summarize(clips);
    QCOMPARE(*summary.medianAbsRateError, 1.5);
    QVERIFY(!summarize({}).medianAbsRateError);

    // The JSON summary carries the same numbers, with null for undefined ratios.
    const QJsonObject json =
        summaryToJson(summarize({scoreClip(QStringLiteral("empty"), GroundTruth(), {}, 30, 1800)}));
    const QJsonObject clip = json.value("clips").toArray().at(0).toObject();
    QCOMPARE(clip.value("clip").toString(), QStringLiteral("empty"));
    QVERIFY(clip.value("precision").isNull());
    QCOMPARE(json.value("total").toObject().value("fn").toInt(-1), 0);
    QCOMPARE(json.value("total").toObject().value("medianAbsRateError").toDouble(-1), 0.0);
}

void TestBlinkEval::parseDetections_isTolerant()
{
    Detections detections;
    QString error;
    const QByteArray json = R"({"version": 3, "frames": 1800, "fps": 29.97, "clip": "x",
        "blinks": [
            {"startFrame": 50, "endFrame": 55, "confidence": 0.9},
            {"start": 10, "end": 12},
            {"startFrame": 70.0, "endFrame": 71},
            {"startFrame": "80", "endFrame": 81},
            {"startFrame": 90.5, "endFrame": 91},
            {"startFrame": 99, "endFrame": 95},
            {"startFrame": -3, "endFrame": 2},
            7
        ]})";
    QVERIFY2(parseDetections(json, QStringLiteral("d.json"), detections, error), qPrintable(error));
    QCOMPARE(describe(detections.blinks), QStringLiteral("10-12 50-55 70-71"));
    QCOMPARE(detections.frames, 1800);
    QCOMPARE(detections.fps, 29.97);
    QCOMPARE(detections.warnings.size(), 5);
    QVERIFY2(detections.warnings[0].contains(QLatin1String("d.json: blink 3")),
             qPrintable(detections.warnings[0]));
    QVERIFY(detections.warnings[2].contains(QLatin1String("before startFrame")));

    // A bare array is the blink list; frames and fps are then unknown.
    QVERIFY(parseDetections(R"([{"startFrame": 1, "endFrame": 2}])", QStringLiteral("d.json"),
                            detections, error));
    QCOMPARE(describe(detections.blinks), QStringLiteral("1-2"));
    QCOMPARE(detections.frames, -1);
    QCOMPARE(detections.fps, 0.0);

    QVERIFY(parseDetections(R"({"blinks": []})", QStringLiteral("d.json"), detections, error));
    QVERIFY(detections.blinks.empty());
}

void TestBlinkEval::parseDetections_rejectsUnusableFiles_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("expected");
    QTest::newRow("not JSON") << QByteArray("blinks: 3") << "not JSON";
    QTest::newRow("truncated") << QByteArray(R"({"blinks": [{"startFrame": 1)") << "not JSON";
    QTest::newRow("no blinks") << QByteArray(R"({"frames": 10})") << "no \"blinks\" array";
    QTest::newRow("blinks not a list") << QByteArray(R"({"blinks": 4})") << "no \"blinks\" array";
    QTest::newRow("empty") << QByteArray() << "not JSON";
}

void TestBlinkEval::parseDetections_rejectsUnusableFiles()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, expected);
    Detections detections;
    QString error;
    QVERIFY(!parseDetections(json, QStringLiteral("d.json"), detections, error));
    QVERIFY2(error.startsWith(QLatin1String("d.json: ")) && error.contains(expected),
             qPrintable(error));
}

void TestBlinkEval::runTool_scoresPairsAndManifests()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // 600 frames at 10 fps (1 minute): blinks 20-24 and 100-103, a 1.5 s closure at 300-314.
    QString frames(600, QLatin1Char('.'));
    frames.replace(20, 5, QStringLiteral("11111"));
    frames.replace(100, 4, QStringLiteral("2222"));
    frames.replace(300, 15, QString(15, QLatin1Char('3')));
    QVERIFY(writeFile(dir.filePath("clip.tag"), tagText(frames)));
    QVERIFY(writeFile(dir.filePath("clip.json"), R"({"fps": 10, "frames": 600})"));
    QVERIFY(writeFile(dir.filePath("det.json"), R"({"frames": 600, "fps": 10, "blinks": [
        {"startFrame": 21, "endFrame": 24}, {"startFrame": 305, "endFrame": 309},
        {"startFrame": 200, "endFrame": 202}]})"));

    ToolRun run = runWith({dir.filePath("clip.tag"), dir.filePath("det.json")});
    QCOMPARE(run.code, 0);
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    QVERIFY(run.out.contains(QRegularExpression(QStringLiteral(
        "\\nclip\\s+2\\s+2\\s+1\\s+1\\s+1\\s+1\\s+0\\.500\\s+0\\.500\\s+0\\.500\\s+2\\.00\\s+"
        "2\\.00\\s+0\\.00\\n"))));
    QVERIFY(run.out.contains(QLatin1String("\ntotal ")));

    // The manifest takes paths relative to itself; --json gives the same numbers.
    QVERIFY(QDir(dir.path()).mkdir("lists"));
    QVERIFY(writeFile(dir.filePath("lists/m.txt"),
                      "# clip and detections\n../clip.tag   ../det.json\n\n"
                      "../clip.tag ../det.json\n"));
    run = runWith({"--json", "--manifest", dir.filePath("lists/m.txt")});
    QCOMPARE(run.code, 0);
    const QJsonObject json = QJsonDocument::fromJson(run.out.toUtf8()).object();
    const QJsonObject total = json.value("total").toObject();
    QCOMPARE(json.value("clips").toArray().size(), 2);
    QCOMPARE(total.value("tp").toInt(), 2);
    QCOMPARE(total.value("fp").toInt(), 2);
    QCOMPARE(total.value("fn").toInt(), 2);
    QCOMPARE(total.value("ignoredDetections").toInt(), 2);
    QCOMPARE(total.value("minutes").toDouble(), 2.0);
    const QJsonObject clip = json.value("clips").toArray().at(0).toObject();
    QCOMPARE(clip.value("misses").toArray(), (QJsonArray{QJsonArray{100, 103}}));
    QCOMPARE(clip.value("falsePositives").toArray(), (QJsonArray{QJsonArray{200, 202}}));

    // --fps replaces the clip's rate: at 30 fps the closure is a blink and its detection scores.
    run = runWith({"--json", "--fps", "30", dir.filePath("clip.tag"), dir.filePath("det.json")});
    QCOMPARE(run.code, 0);
    const QJsonObject at30 = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QCOMPARE(at30.value("total").toObject().value("tp").toInt(), 2);
    QCOMPARE(at30.value("total").toObject().value("ignoredDetections").toInt(), 0);
    QVERIFY2(run.err.contains(QLatin1String("differs from the clip's 30")), qPrintable(run.err));

    // Without the clip's .json the detections' fps is used, with a warning.
    QVERIFY(QFile::remove(dir.filePath("clip.json")));
    run = runWith({dir.filePath("clip.tag"), dir.filePath("det.json")});
    QCOMPARE(run.code, 0);
    QVERIFY2(run.err.contains(QLatin1String("using the detections' fps 10")), qPrintable(run.err));
}

// Matched blinks compare their closure: the truth's "closed" range (null: no fully closed frame)
// or "complete", the detection's "complete"; blinks without a mark on either side are left out.
void TestBlinkEval::runTool_comparesClosureMarks()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString frames(200, QLatin1Char('.'));
    frames.replace(20, 4, QStringLiteral("1111"));
    frames.replace(60, 4, QStringLiteral("2222"));
    frames.replace(100, 4, QStringLiteral("3333"));
    frames.replace(140, 4, QStringLiteral("4444"));
    QVERIFY(writeFile(dir.filePath("clip.tag"), tagText(frames)));
    QVERIFY(writeFile(dir.filePath("clip.json"), R"({"fps": 10, "blinks": [
        {"id": 1, "closed": [21, 22]}, {"id": 2, "closed": null}, {"id": 3, "complete": false},
        {"id": 4, "closed": [141, 141]}]})"));
    QVERIFY(writeFile(dir.filePath("det.json"), R"({"blinks": [
        {"startFrame": 20, "endFrame": 23, "complete": true},
        {"startFrame": 60, "endFrame": 63, "complete": true},
        {"startFrame": 100, "endFrame": 103, "complete": false},
        {"startFrame": 140, "endFrame": 143}]})"));
    const ToolRun run = runWith({dir.filePath("clip.tag"), dir.filePath("det.json")});
    QCOMPARE(run.code, 0);
    QVERIFY2(run.out.contains(QLatin1String(
                 "complete -> complete 1, complete -> incomplete 0; incomplete -> complete 1, "
                 "incomplete -> incomplete 1\n")),
             qPrintable(run.out));
}

void TestBlinkEval::runTool_reportsBadInput()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString tag = dir.filePath("clip.tag");
    const QString det = dir.filePath("det.json");
    QVERIFY(writeFile(tag, tagText("..11..")));
    QVERIFY(writeFile(det, R"({"blinks": []})"));
    const QString bad = dir.filePath("bad.tag");
    QVERIFY(writeFile(bad, "#start\n0:-1:X:X:X:X:X\n1:-1:X\n"));

    // No fps anywhere.
    ToolRun run = runWith({tag, det});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(QLatin1String("--fps")), qPrintable(run.err));

    // Every unreadable clip is named, and nothing is scored.
    run = runWith({"--fps", "30", bad, det, tag, dir.filePath("missing.json"), tag, det});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(QLatin1String("bad.tag line 3")), qPrintable(run.err));
    QVERIFY2(run.err.contains(QLatin1String("missing.json: file does not exist")),
             qPrintable(run.err));
    QVERIFY2(run.err.contains(QLatin1String("2 of 3 clips unreadable")), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());

    run = runWith({"--fps", "30", tag, dir.path()});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(QLatin1String("not a regular file")), qPrintable(run.err));

    // Usage errors.
    for (const QStringList& args :
         {QStringList{}, QStringList{tag}, QStringList{"--fps", "zero", tag, det},
          QStringList{"--fps", "-5", tag, det}, QStringList{"--frobnicate", tag, det},
          QStringList{tag, det, "--manifest"}}) {
        run = runWith(args);
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.contains(QLatin1String("winkwell-blinkeval: ")), qPrintable(run.err));
    }

    // Manifests with a wrong line or no clips.
    QVERIFY(writeFile(dir.filePath("m1.txt"), "clip.tag det.json extra\n"));
    run = runWith({"--manifest", dir.filePath("m1.txt")});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(QLatin1String("m1.txt line 1")), qPrintable(run.err));
    QVERIFY(writeFile(dir.filePath("m2.txt"), "# nothing\n"));
    run = runWith({"--manifest", dir.filePath("m2.txt")});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(QLatin1String("no clips listed")), qPrintable(run.err));
}

void TestBlinkEval::sharedClips_groundTruthFollowsTheProtocol()
{
    const QDir real(QStringLiteral(WINKWELL_SHARED_DIR "/data/real"));
    const QStringList clips = real.entryList({QStringLiteral("clip*")}, QDir::Dirs, QDir::Name);
    if (clips.size() != 7) {
        QSKIP(
            qPrintable(QStringLiteral("the 7 annotated clips are not under %1").arg(real.path())));
    }
    int blinks = 0;
    for (const QString& clip : clips) {
        const QString tagPath = real.filePath(clip + "/" + clip + ".tag");
        TagFile tag;
        QString error;
        QVERIFY2(readTagFile(tagPath, tag, error), qPrintable(error));
        QString reason;
        const ClipInfo info = readClipInfo(tagPath, reason);
        QVERIFY2(info.fps, qPrintable(reason));
        QCOMPARE(tag.frameCount(), info.frames.value_or(-1));
        const GroundTruth truth = buildGroundTruth(tag, *info.fps);
        QCOMPARE(int(truth.longClosures.size()), clip == QLatin1String("clip03") ? 1 : 0);
        if (clip == QLatin1String("clip05")) {
            QVERIFY(truth.blinks.empty());
        }
        blinks += int(truth.blinks.size());

        // The annotated blink list, scored as detections, finds every ground-truth blink.
        ClipScore score;
        QVERIFY2(
            evaluateClip({tagPath, real.filePath(clip + "/" + clip + ".json")}, 0, score, error),
            qPrintable(error));
        QCOMPARE(score.truePositives, int(truth.blinks.size()));
        QCOMPARE(score.misses, 0);
        QCOMPARE(score.ignoredDetections, int(truth.longClosures.size()));
    }
    // The data's own count after the scoring rules.
    QCOMPARE(blinks, 35);
}

QTEST_GUILESS_MAIN(TestBlinkEval)
#include "tst_blinkeval.moc"
