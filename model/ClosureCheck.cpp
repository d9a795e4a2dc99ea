#include "ClosureCheck.h"

#include <algorithm>
#include <cmath>

namespace {

// The box between the corners: as wide as the eye, high enough for the open lids.
constexpr float kBoxHeight = 0.6f; // of the corner distance
constexpr float kDarkShare = 0.15f;
constexpr float kBrightShare = 0.9f;
constexpr int kFewestOpenLooks = 3;
// The eye-state model's open eye: half of the looks may fall on a blink or squint at a run's
// start, and the median must still be an open one.
constexpr int kFewestLearnedLooks = 6;
// Grey levels closer than this tell nothing: the box is flat (no eye, or a dark frame).
constexpr float kLeastContrast = 5.f;

float percentileOf(const std::array<int, 256>& histogram, int count, float share)
{
    const int wanted = static_cast<int>(share * static_cast<float>(count));
    int seen = 0;
    for (int level = 0; level < 256; ++level) {
        seen += histogram[static_cast<std::size_t>(level)];
        if (seen > wanted) {
            return static_cast<float>(level);
        }
    }
    return 255.f;
}

EyeLook lookAtEye(const cv::Mat& grey, const EyeValues& eye, float lids)
{
    EyeLook look;
    look.lids = lids;
    const float width = static_cast<float>(eye.roiSize) / 2.0f; // the ROI is twice the width
    const float height = kBoxHeight * width;
    if (width < 4.f || !(std::abs(eye.x) < 1e6f) || !(std::abs(eye.y) < 1e6f)) {
        return look;
    }
    const cv::Rect box = cv::Rect(cvRound(eye.x - width / 2), cvRound(eye.y - height / 2),
                                  cvRound(width), cvRound(height)) &
                         cv::Rect(0, 0, grey.cols, grey.rows);
    if (box.width < 4 || box.height < 2) {
        return look;
    }
    std::array<int, 256> histogram{};
    for (int y = box.y; y < box.y + box.height; ++y) {
        const uchar* row = grey.ptr<uchar>(y);
        for (int x = box.x; x < box.x + box.width; ++x) {
            ++histogram[row[x]];
        }
    }
    const int count = box.area();
    look.dark = percentileOf(histogram, count, kDarkShare);
    look.middle = percentileOf(histogram, count, 0.5f);
    look.bright = percentileOf(histogram, count, kBrightShare);
    return look;
}

float median(std::vector<float>& values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

float clamped(float depth)
{
    return std::min(1.f, std::max(0.f, depth));
}

// The smaller of two cue values where both are known, else the known one (negative: neither).
float lesserKnown(float a, float b)
{
    if (a < 0.f || b < 0.f) {
        return std::max(a, b);
    }
    return std::min(a, b);
}

} // namespace

void ClosureCheck::reset()
{
    m_kept = {};
    m_open = {};
}

void ClosureCheck::keep(quint64 frame, const cv::Mat& grey, const std::optional<FaceRecord>& face,
                        const EyePair& eyes)
{
    if (m_cues == ClosureCues::None) {
        return;
    }
    Kept& kept = m_kept[frame % keptFrames];
    kept.frame = frame;
    kept.grey = grey;
    kept.face = face;
    kept.eyes = eyes;
    kept.looked = false;
}

std::array<EyeLook, 2> ClosureCheck::look(const cv::Mat& grey, const EyePair& eyes,
                                          const LidOpening& lids)
{
    std::array<EyeLook, 2> looks{lookAtEye(grey, eyes.first, lids.first),
                                 lookAtEye(grey, eyes.second, lids.second)};
    if (m_eyeState) {
        looks[0].shut = m_eyeState->scoreEye(grey, eyes, 0);
        looks[1].shut = m_eyeState->scoreEye(grey, eyes, 1);
    }
    return looks;
}

void ClosureCheck::learnOpenState(const cv::Mat& grey, const EyePair& eyes, const LidOpening& lids)
{
    if (m_cues == ClosureCues::None) {
        return;
    }
    const std::array<EyeLook, 2> looks = look(grey, eyes, lids);
    for (std::size_t eye = 0; eye < 2; ++eye) {
        OpenState& open = m_open[eye];
        if (open.recent.size() < openStateFrames) {
            open.recent.push_back(looks[eye]);
        } else {
            open.recent[open.next] = looks[eye];
        }
        open.next = (open.next + 1) % openStateFrames;
    }
}

// The median of each cue over the recent landmark frames; a blink among them does not move it.
EyeLook ClosureCheck::OpenState::typical() const
{
    std::vector<float> lids;
    std::vector<float> dark;
    std::vector<float> middle;
    std::vector<float> bright;
    std::vector<float> shut;
    for (const EyeLook& look : recent) {
        if (!std::isnan(look.shut)) {
            shut.push_back(look.shut);
        }
        if (look.lids >= 0.f) {
            lids.push_back(look.lids);
        }
        if (look.dark >= 0.f) {
            dark.push_back(look.dark);
            middle.push_back(look.middle);
            bright.push_back(look.bright);
        }
    }
    EyeLook usual;
    if (lids.size() >= kFewestOpenLooks) {
        usual.lids = median(lids);
    }
    if (dark.size() >= kFewestOpenLooks) {
        usual.dark = median(dark);
        usual.middle = median(middle);
        usual.bright = median(bright);
    }
    if (shut.size() >= kFewestLearnedLooks) {
        usual.shut = median(shut);
    }
    return usual;
}

const ClosureCheck::Kept* ClosureCheck::lookAt(quint64 frame, const EyeCornerLocator& locator,
                                               float roiFactor)
{
    Kept& kept = m_kept[frame % keptFrames];
    if (kept.frame != frame || kept.grey.empty() || !kept.face) {
        return nullptr;
    }
    if (!kept.looked) {
        // The eyes where the landmark model puts them in this very frame; the carried ones may
        // be three frames old.
        EyePair eyes = kept.eyes;
        LidOpening lids;
        locator.locateIn(kept.grey, *kept.face, roiFactor, eyes, &lids);
        kept.looks = look(kept.grey, eyes, lids);
        kept.looked = true;
    }
    return &kept;
}

Closure ClosureCheck::examine(quint64 turn, const EyeCornerLocator& locator, float roiFactor)
{
    std::array<EyeClosure, 2> eyes;
    if (m_cues == ClosureCues::None || turn < 2) {
        return {};
    }
    const std::array<EyeLook, 2> usual{m_open[0].typical(), m_open[1].typical()};
    for (const quint64 frame : {turn - 1, turn - 2}) {
        const Kept* kept = lookAt(frame, locator, roiFactor);
        if (!kept) {
            continue;
        }
        for (std::size_t eye = 0; eye < 2; ++eye) {
            const EyeLook& now = kept->looks[eye];
            const EyeLook& open = usual[eye];
            EyeClosure& closure = eyes[eye];
            if (now.lids >= 0.f && open.lids > 0.f) {
                closure.lids = lesserKnown(closure.lids, now.lids);
                closure.lidDepth = std::max(closure.lidDepth, clamped(1.f - now.lids / open.lids));
            }
            if (now.dark >= 0.f && open.dark >= 0.f) {
                const float iris = std::max(kLeastContrast, open.middle - open.dark);
                const float white = std::max(kLeastContrast, open.bright - open.middle);
                closure.iris = std::max(closure.iris, clamped((now.dark - open.dark) / iris));
                closure.white =
                    std::max(closure.white, clamped((open.bright - now.bright) / white));
            }
            if (!std::isnan(now.shut)) {
                closure.shut =
                    std::isnan(closure.shut) ? now.shut : std::max(closure.shut, now.shut);
                closure.openShut = open.shut;
                if (!std::isnan(open.shut)) {
                    const float rise = now.shut - open.shut;
                    closure.shutRise =
                        std::isnan(closure.shutRise) ? rise : std::max(closure.shutRise, rise);
                }
            }
        }
    }
    Closure closure = m_cues == ClosureCues::Learned ? judgeLearned(eyes) : judge(eyes);
    closure.eyes = eyes;
    return closure;
}

// Each eye the model can see votes. An eye that looks plainly open at the deepest frames says
// no. An eye whose open state the model recognises as open says yes when its score rose enough
// over that state: the rise, not the score itself, since the same model scores faces apart (a
// dark eye in a dim face can score shut while open). An eye the model does not recognise open
// (hidden in shadow, a light iris on light skin, an open state taken during a long closure)
// abstains. The blink counts when no eye says no; when none votes, it counts unjudged.
Closure ClosureCheck::judgeLearned(const std::array<EyeClosure, 2>& eyes)
{
    Closure closure;
    int votes = 0;
    bool refused = false;
    float rise = -1.f;
    for (const EyeClosure& eye : eyes) {
        if (std::isnan(eye.shut)) {
            continue;
        }
        if (eye.shut <= -plainlyOpenScore) {
            ++votes;
            refused = true;
        } else if (eye.openShut <= -knownOpenScore && !std::isnan(eye.shutRise)) {
            ++votes;
            refused = refused || eye.shutRise < leastShutRise;
            rise = std::max(rise, eye.shutRise);
        }
    }
    if (votes == 0) {
        return closure;
    }
    closure.judged = true;
    closure.closed = !refused;
    closure.shutRise = rise;
    if (closure.closed) { // then an eye voted yes, by a rise of at least leastShutRise
        closure.depth = clamped(rise / shutEyeRise);
        closure.complete = closure.depth >= completeLearnedDepth;
    }
    return closure;
}

// A blink shuts both eyes. The landmark lids confirm it when both gaps are narrow; the grey
// levels when the iris of either eye is covered (the other may sit in a shadow or a reflection)
// or the white of both. The depth is the deepest that the lids or the white tell; the iris
// alone misleads there, since lashes and make-up stay dark on a shut lid.
Closure ClosureCheck::judge(const std::array<EyeClosure, 2>& eyes) const
{
    Closure closure;
    const bool useLids = m_cues == ClosureCues::Lids || m_cues == ClosureCues::Both;
    const bool usePhotometric = m_cues == ClosureCues::Photometric || m_cues == ClosureCues::Both;
    const bool lidsKnown = useLids && eyes[0].lids >= 0.f && eyes[1].lids >= 0.f;
    const bool greyKnown = usePhotometric && eyes[0].iris >= 0.f && eyes[1].iris >= 0.f;
    if (!lidsKnown && !greyKnown) {
        return closure;
    }
    closure.judged = true;
    float depth = 0.f;
    if (lidsKnown) {
        closure.widerLids = std::max(eyes[0].lids, eyes[1].lids);
        depth = std::max(depth, (eyes[0].lidDepth + eyes[1].lidDepth) / 2.f);
    }
    if (greyKnown) {
        closure.irisCovered = std::max(eyes[0].iris, eyes[1].iris);
        closure.whiteCovered = std::min(eyes[0].white, eyes[1].white);
        depth = std::max(depth, (eyes[0].white + eyes[1].white) / 2.f);
    }
    closure.closed =
        (lidsKnown && closure.widerLids <= mostOpenLids) ||
        (greyKnown && (closure.irisCovered >= irisCovered || closure.whiteCovered >= whiteCovered));
    closure.depth = depth;
    closure.complete = depth >= completeDepth;
    return closure;
}
