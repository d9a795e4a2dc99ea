#include "EyeStateModel.h"

#include <cmath>
#include <exception>
#include <opencv2/imgproc.hpp>

namespace {

constexpr int kCell = 8;
constexpr int kBlock = 16;
constexpr int kBins = 9;
// An eye narrower than this (in frame pixels) has no shape left to classify.
constexpr float kNarrowestEye = 8.f;

} // namespace

EyeStateModel::EyeStateModel()
    : m_hog(cv::Size(patchWidth, patchHeight), cv::Size(kBlock, kBlock), cv::Size(kCell, kCell),
            cv::Size(kCell, kCell), kBins)
{
}

bool EyeStateModel::cutPatch(const cv::Mat& grey, const EyePair& eyes, int eye, cv::Mat& patch)
{
    const EyeValues& centre = eye == 0 ? eyes.first : eyes.second;
    const float width = static_cast<float>(centre.roiSize) / 2.f; // the ROI is twice the width
    if (grey.empty() || width < kNarrowestEye || !(centre.x >= 0.f && centre.x < grey.cols) ||
        !(centre.y >= 0.f && centre.y < grey.rows)) {
        return false;
    }
    // Level with the line through both eyes: a tilted head gives the same patch.
    const double angle = std::atan2(static_cast<double>(eyes.second.y - eyes.first.y),
                                    static_cast<double>(eyes.second.x - eyes.first.x));
    const double scale = patchSpan * width / patchWidth;
    const double mirror = eye == 0 ? 1.0 : -1.0;
    const double a = scale * std::cos(angle);
    const double b = scale * std::sin(angle);
    const double u0 = patchWidth / 2.0 - 0.5;
    const double v0 = patchHeight / 2.0 - 0.5;
    // Patch pixel (u, v) to frame pixel: the patch's x axis along the eyes' line (mirrored for
    // the second eye), its y axis across it.
    const cv::Matx23d toFrame(mirror * a, -b, centre.x - mirror * a * u0 + b * v0, mirror * b, a,
                              centre.y - mirror * b * u0 - a * v0);
    cv::warpAffine(grey, patch, toFrame, cv::Size(patchWidth, patchHeight),
                   cv::INTER_LINEAR | cv::WARP_INVERSE_MAP, cv::BORDER_REPLICATE);
    return true;
}

void EyeStateModel::describe(const cv::Mat& patch, std::vector<float>& features) const
{
    m_hog.compute(patch, features);
}

int EyeStateModel::featureCount() const
{
    return static_cast<int>(m_hog.getDescriptorSize());
}

bool EyeStateModel::load(const std::string& path, std::string& errorMessage)
{
    m_weights.clear();
    m_bias = 0.f;
    errorMessage.clear();
    try {
        cv::FileStorage file(path, cv::FileStorage::READ);
        if (!file.isOpened()) {
            errorMessage = "cannot be read";
            return false;
        }
        cv::Mat weights;
        file["weights"] >> weights;
        const int width = static_cast<int>(file["patchWidth"]);
        const int height = static_cast<int>(file["patchHeight"]);
        const float span = static_cast<float>(file["patchSpan"]);
        if (width != patchWidth || height != patchHeight || std::abs(span - patchSpan) > 1e-4f) {
            errorMessage = "made for another patch than this engine cuts";
            return false;
        }
        if (weights.type() != CV_32F || static_cast<int>(weights.total()) != featureCount()) {
            errorMessage = "has " + std::to_string(weights.total()) + " weights, " +
                           std::to_string(featureCount()) + " are needed";
            return false;
        }
        const float bias = static_cast<float>(file["bias"]);
        if (!std::isfinite(bias) || !cv::checkRange(weights)) {
            errorMessage = "has weights that are not numbers";
            return false;
        }
        m_weights.assign(weights.begin<float>(), weights.end<float>());
        m_bias = bias;
    } catch (const std::exception& e) {
        errorMessage = e.what();
        return false;
    }
    return true;
}

bool EyeStateModel::save(const std::string& path, const std::string& provenance,
                         std::string& errorMessage) const
{
    try {
        cv::FileStorage file(path, cv::FileStorage::WRITE);
        if (!file.isOpened()) {
            errorMessage = "cannot be written";
            return false;
        }
        file << "provenance" << provenance;
        file << "patchWidth" << patchWidth << "patchHeight" << patchHeight << "patchSpan"
             << patchSpan;
        file << "weights" << cv::Mat(m_weights, true);
        file << "bias" << m_bias;
    } catch (const std::exception& e) {
        errorMessage = e.what();
        return false;
    }
    return true;
}

void EyeStateModel::setWeights(std::vector<float> weights, float bias)
{
    m_weights = std::move(weights);
    m_bias = bias;
}

float EyeStateModel::score(const std::vector<float>& features) const
{
    if (features.size() != m_weights.size()) {
        return std::nanf("");
    }
    double sum = m_bias;
    for (std::size_t i = 0; i < features.size(); ++i) {
        sum += static_cast<double>(m_weights[i]) * features[i];
    }
    return static_cast<float>(sum);
}

float EyeStateModel::scoreEye(const cv::Mat& grey, const EyePair& eyes, int eye)
{
    if (!isLoaded() || !cutPatch(grey, eyes, eye, m_patch)) {
        return std::nanf("");
    }
    describe(m_patch, m_features);
    return score(m_features);
}
