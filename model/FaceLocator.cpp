#include "FaceLocator.h"

// Placeholder until localisation lands.
std::optional<FaceRecord> chooseFace(const std::vector<DetectedFace>&,
                                     const std::optional<FaceRecord>&, int, int, EyePair&)
{
    return std::nullopt;
}

struct EyeCornerLocator::Impl
{
    bool loaded = false;
};

EyeCornerLocator::EyeCornerLocator() : m_impl(std::make_unique<Impl>()) {}
EyeCornerLocator::~EyeCornerLocator() = default;

bool EyeCornerLocator::load(const std::string&, std::string& errorMessage)
{
    errorMessage = "not implemented";
    return false;
}

bool EyeCornerLocator::isLoaded() const
{
    return m_impl->loaded;
}

void EyeCornerLocator::unload()
{
    m_impl->loaded = false;
}

void EyeCornerLocator::setImage(const cv::Mat&) {}

void EyeCornerLocator::locate(const FaceRecord&, float, EyePair&) const {}
