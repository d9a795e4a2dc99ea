#pragma once

#include "FaceLocator.h"

#include <opencv2/core.hpp>
#include <opencv2/objdetect.hpp>
#include <string>
#include <vector>

// How shut an eye looks to a linear classifier over the gradients of its patch: the patch is cut
// level with the line through both eyes and scaled to the eye's corner distance, so that faces
// of every size and roll look alike, and the gradients are normalised block by block, so that
// the iris's colour and the skin's contrast weigh less than the shapes of lids and iris.
// The weights come from winkwell-eyestate, trained on annotated clips.
class EyeStateModel
{
public:
    static constexpr int patchWidth = 48;
    static constexpr int patchHeight = 24;
    // The patch spans this share of the corner distance across, and half of it up and down.
    static constexpr float patchSpan = 1.4f;

    EyeStateModel();

    // The grey patch of one eye (0 the first, 1 the second, mirrored so that it looks like the
    // first); false when the eye is too small or lies off the frame.
    static bool cutPatch(const cv::Mat& grey, const EyePair& eyes, int eye, cv::Mat& patch);
    // The features the weights apply to.
    void describe(const cv::Mat& patch, std::vector<float>& features) const;
    int featureCount() const;

    // Never throws: a missing or malformed file gives false and why.
    bool load(const std::string& path, std::string& errorMessage);
    bool save(const std::string& path, const std::string& provenance,
              std::string& errorMessage) const;
    bool isLoaded() const { return !m_weights.empty(); }
    void setWeights(std::vector<float> weights, float bias);
    const std::vector<float>& weights() const { return m_weights; }
    float bias() const { return m_bias; }

    // Positive: shut; negative: open; about -1 and 1 for the training's typical eyes.
    float score(const std::vector<float>& features) const;
    // cutPatch, describe and score in one; NaN when there is no patch or no model.
    float scoreEye(const cv::Mat& grey, const EyePair& eyes, int eye);

private:
    cv::HOGDescriptor m_hog;
    std::vector<float> m_weights;
    float m_bias = 0.f;
    cv::Mat m_patch;               // reused between calls
    std::vector<float> m_features; // reused between calls
};
