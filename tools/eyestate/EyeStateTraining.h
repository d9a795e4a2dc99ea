#pragma once

#include "model/EyeStateModel.h"

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <memory>
#include <opencv2/core.hpp>
#include <optional>
#include <vector>

namespace winkwell::eyestate {

// One eye of one frame of an annotated clip: its patch and how shut it is (1 shut, 0 open,
// between for the synthetic clips' partial closures).
struct EyeSamples
{
    QStringList clips;
    cv::Mat patches; // one row of patchWidth x patchHeight grey levels per sample
    cv::Mat info;    // one row per sample: clip index, frame, eye (0 first), closure
};

// How the frames of a clip are labelled, per eye. Real clips: a fully closed frame is shut; a
// frame with no blink within `openMargin` frames is open; the rest is left out. Synthetic clips:
// the per-frame closure of each eye, open frames likewise kept away from blinks.
struct FrameLabels
{
    std::vector<float> first;  // per frame; negative: not a sample
    std::vector<float> second; // likewise
};
constexpr int openMargin = 6;
// Open frames are many and alike: every openStride-th one is taken.
constexpr int openStride = 3;

// Reads a .tag file's per-eye closed and not-visible marks and blink ids into labels; false with
// why when the file cannot be used.
bool labelsFromTag(const QString& tagPath, FrameLabels& labels, QString& error);
// The synthetic clips' exact closures ("closure_le", "closure_re") from the .json beside the
// .tag; false when the clip has none.
bool labelsFromClosure(const QString& jsonPath, const FrameLabels& fromTag, FrameLabels& labels);

// Finds the face and its eyes in a frame as the engine's landmark frames do: the frame scaled to
// the engine's width, the face detector on a quarter of it, the landmark model on the face.
class Localiser
{
public:
    bool load(const QString& landmarkModelPath, const QString& faceModelPath, QString& error);
    // A new clip: no face followed yet.
    void restart() { m_previous.reset(); }
    // grey gets the processed frame; false when no face is found.
    bool locate(const cv::Mat& frame, cv::Mat& grey, EyePair& eyes);

private:
    std::unique_ptr<FaceDetector> m_detector;
    EyeCornerLocator m_corners;
    std::optional<FaceRecord> m_previous;
};

// Cuts the labelled eyes' patches of every frame with a face. Returns the number of samples
// added; -1 with why when the video cannot be read.
int collectClip(const QString& name, const QString& videoPath, const FrameLabels& labels,
                Localiser& localiser, EyeSamples& samples, QString& error);

bool saveSamples(const QString& path, const EyeSamples& samples, QString& error);
bool loadSamples(const QString& path, EyeSamples& samples, QString& error);

// A linear SVM on the samples' features: shut (closure >= 0.9) against open (closure 0), the
// clips named in `without` left out; both kinds weigh alike. Scores of 1 and -1 are the edges
// of the SVM's margin.
struct Training
{
    double regularisation = 0.1; // the SVM's C
};
bool train(const EyeSamples& samples, const QStringList& without, const Training& training,
           EyeStateModel& model, QString& error);

// Share of the samples of each clip the model puts on the right side (shut or open).
struct ClipAccuracy
{
    QString clip;
    int shut = 0;
    int shutRight = 0;
    int open = 0;
    int openRight = 0;
};
std::vector<ClipAccuracy> accuracyPerClip(const EyeSamples& samples, const QStringList& clips,
                                          EyeStateModel& model);

// The command line: samples, train and crossval (see --help). Returns the exit code.
int runTool(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace winkwell::eyestate
