#pragma once

#include "EyeStateModel.h"
#include "FaceLocator.h"

#include <QtGlobal>
#include <array>
#include <limits>
#include <opencv2/core.hpp>
#include <optional>
#include <vector>

// How open one eye looks in one frame, by cues that do not come from motion.
struct EyeLook
{
    float lids = -1.f; // landmark lid gap over the corner distance; negative: no lid points
    // Grey levels of the box between the corners (negative: no box). While the eye is open, the
    // iris and pupil fill its dark end and the white of the eye its bright end; a closing lid
    // covers both with skin.
    float dark = -1.f;   // 15th percentile
    float middle = -1.f; // median
    float bright = -1.f; // 90th percentile
    // The eye-state model's score (positive shut); NaN without a model or a patch.
    float shut = std::numeric_limits<float>::quiet_NaN();
};

// Which cues may confirm a flow candidate; the engine uses the learned one, the analyser
// compares.
enum class ClosureCues
{
    None,        // every flow candidate counts
    Lids,        // the landmark model's lids only
    Photometric, // the iris and the white of the eye only
    Both,        // the lids and the grey levels
    Learned,     // the eye-state model against the run's open state
};

// Per eye, how closed it looked at the deepest of the frames looked at.
struct EyeClosure
{
    float lids = -1.f; // the smallest lid gap
    float lidDepth = -1.f;
    float iris = -1.f;
    float white = -1.f;
    float shut = std::numeric_limits<float>::quiet_NaN();     // the highest score
    float openShut = std::numeric_limits<float>::quiet_NaN(); // the open state's
    float shutRise = std::numeric_limits<float>::quiet_NaN(); // the highest over it
};

// What the look back at a candidate's deepest frames found.
struct Closure
{
    bool judged = false; // false: no open state or no frame to look at yet; the candidate counts
    bool closed = true;  // a cue saw the lids come down
    float depth = -1.f;  // 0 as open as usual ... 1 shut; negative: not judged
    bool complete = false;
    // The cues themselves, for the analyser: the more open eye's lid gap, and how far the iris
    // and the white were covered (the more covered eye, and the less covered one).
    float widerLids = -1.f;
    float irisCovered = -1.f;
    float whiteCovered = -1.f;
    float shutRise = -1.f;          // the eye-state model's largest rise over the open state
    std::array<EyeClosure, 2> eyes; // every cue of both eyes, for the engine's log
};

// Confirms a flow candidate blink by cues that motion does not give, at its deepest frames: the
// landmark model's lid points, and the grey levels between the eye corners against this run's
// open state (the median of its last landmark frames). On faces that move their brows, cheeks or
// gaze, the skin around the eyes moves like a lid; the lids themselves and the iris do not.
// Keeps the last frames for that look back.
class ClosureCheck
{
public:
    static constexpr int keptFrames = 48;      // over 1.5 s at 30 fps: a candidate's whole span
    static constexpr int openStateFrames = 32; // landmark frames, about 4 s at 30 fps
    // Both eyes' lid gaps at most this share of their width: shut as far as the landmark model
    // shows a lid (it seldom brings them together, and a squint stays wider).
    static constexpr float mostOpenLids = 0.22f;
    // The iris of at least one eye covered by this share of its usual contrast to the skin, or
    // the white of both eyes by this share.
    static constexpr float irisCovered = 0.2f;
    static constexpr float whiteCovered = 0.5f;
    // Depth from which a blink is complete: the landmark lids of a shut eye stop about half-way.
    static constexpr float completeDepth = 0.3f;
    // The eye-state model (scores about -2 open, 2 shut on its training eyes): an eye scoring
    // this low at the deepest frames is plainly open; an open state scoring this low is
    // recognised as open; a blink's score rises at least this much over it.
    static constexpr float plainlyOpenScore = 1.5f;
    static constexpr float knownOpenScore = 0.5f;
    static constexpr float leastShutRise = 1.0f;
    // The rise of a shut eye over its open state, depth 1; a complete blink reaches most of it.
    static constexpr float shutEyeRise = 3.0f;
    static constexpr float completeLearnedDepth = 0.8f;

    void setCues(ClosureCues cues) { m_cues = cues; }
    // The learned cue; null (the default) leaves it out.
    void setEyeStateModel(EyeStateModel* model) { m_eyeState = model; }
    ClosureCues cues() const { return m_cues; }

    void reset();
    // Every processed frame, after its localisation; the grey image is held, not copied.
    void keep(quint64 frame, const cv::Mat& grey, const std::optional<FaceRecord>& face,
              const EyePair& eyes);
    // A landmark frame: how both eyes look joins the open state.
    void learnOpenState(const cv::Mat& grey, const EyePair& eyes, const LidOpening& lids);
    // The candidate's lid turned up at history entry `turn`: frames turn - 1 and turn - 2 are
    // its deepest; the landmark model is asked there again (at most twice).
    Closure examine(quint64 turn, const EyeCornerLocator& locator, float roiFactor);

    std::array<EyeLook, 2> look(const cv::Mat& grey, const EyePair& eyes, const LidOpening& lids);

private:
    struct Kept
    {
        quint64 frame = 0;
        cv::Mat grey;
        std::optional<FaceRecord> face;
        EyePair eyes;
        bool looked = false;
        std::array<EyeLook, 2> looks;
    };
    struct OpenState
    {
        std::vector<EyeLook> recent; // ring of the last openStateFrames looks
        std::size_t next = 0;
        EyeLook typical() const;
    };
    const Kept* lookAt(quint64 frame, const EyeCornerLocator& locator, float roiFactor);
    Closure judge(const std::array<EyeClosure, 2>& eyes) const;
    static Closure judgeLearned(const std::array<EyeClosure, 2>& eyes);

    ClosureCues m_cues = ClosureCues::Learned;
    std::array<Kept, keptFrames> m_kept;
    std::array<OpenState, 2> m_open;
    EyeStateModel* m_eyeState = nullptr;
};
