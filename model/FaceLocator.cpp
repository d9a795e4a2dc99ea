#include "FaceLocator.h"

#include "LandmarkCascade.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <dlib/opencv/cv_image.h>
#include <exception>
#include <filesystem>

namespace {

// Detector coordinates are those of the quarter-size image.
constexpr double kSmallToFrame = 4.0;
constexpr int kMinimumFaceWidth = 100;
constexpr int kNewFaceConfidence = 90;
constexpr int kTrackingConfidence = 40;
constexpr int kBorderMargin = 3;

struct ScaledFace
{
    int x;
    int y;
    int width;
    int height;
};

ScaledFace scaled(const DetectedFace& face)
{
    return {static_cast<int>(face.x * kSmallToFrame), static_cast<int>(face.y * kSmallToFrame),
            static_cast<int>(face.width * kSmallToFrame),
            static_cast<int>(face.height * kSmallToFrame)};
}

long long squaredCentreDistance(const ScaledFace& face, const FaceRecord& previous)
{
    const long long dx = (face.x + face.width / 2) - (previous.x + previous.width / 2);
    const long long dy = (face.y + face.height / 2) - (previous.y + previous.height / 2);
    return dx * dx + dy * dy;
}

EyeValues provisionalEye(const cv::Point2f& landmark, int faceWidth)
{
    return {static_cast<float>(landmark.x * kSmallToFrame),
            static_cast<float>(landmark.y * kSmallToFrame), faceWidth / 2};
}

} // namespace

namespace {

std::optional<FaceRecord> chooseFaceAbove(int minimumConfidence,
                                          const std::vector<DetectedFace>& faces,
                                          const std::optional<FaceRecord>& previous, int frameWidth,
                                          int frameHeight, EyePair& eyes)
{
    const DetectedFace* chosen = nullptr;
    ScaledFace best{};
    long long bestDistance = 0;
    for (const DetectedFace& face : faces) {
        const ScaledFace candidate = scaled(face);
        if (candidate.width < kMinimumFaceWidth || face.confidence < minimumConfidence) {
            continue;
        }
        if (previous) {
            // Strictly nearer only: the first of equally near faces stays.
            const long long distance = squaredCentreDistance(candidate, *previous);
            if (!chosen || distance < bestDistance) {
                chosen = &face;
                best = candidate;
                bestDistance = distance;
            }
        } else if (!chosen || candidate.width > best.width) {
            chosen = &face;
            best = candidate;
        }
    }
    if (!chosen) {
        return std::nullopt;
    }

    eyes.first = provisionalEye(chosen->landmarks[0], best.width);
    eyes.second = provisionalEye(chosen->landmarks[1], best.width);

    FaceRecord record;
    record.x = std::max(0, best.x);
    record.y = std::max(0, best.y);
    record.width = std::min(frameWidth - best.x - kBorderMargin, best.width);
    record.height = std::min(frameHeight - best.y - kBorderMargin, best.height);
    return record;
}

bool inSamePlace(const FaceRecord& face, const FaceRecord& before)
{
    const long long dx = (face.x + face.width / 2) - (before.x + before.width / 2);
    const long long dy = (face.y + face.height / 2) - (before.y + before.height / 2);
    const long long reach = before.width / 2;
    return dx * dx + dy * dy <= reach * reach;
}

} // namespace

std::optional<FaceRecord> chooseFace(const std::vector<DetectedFace>& faces,
                                     const std::optional<FaceRecord>& previous, int frameWidth,
                                     int frameHeight, EyePair& eyes)
{
    return chooseFaceAbove(previous ? kTrackingConfidence : kNewFaceConfidence, faces, previous,
                           frameWidth, frameHeight, eyes);
}

std::optional<FaceRecord> FaceAcquisition::choose(const std::vector<DetectedFace>& faces,
                                                  int frameWidth, int frameHeight, EyePair& eyes)
{
    std::optional<FaceRecord> face = chooseFace(faces, std::nullopt, frameWidth, frameHeight, eyes);
    if (face) {
        reset();
        return face;
    }
    // The face nearest to the one seen on the last frame continues its count; otherwise the
    // widest at tracking confidence starts a new one.
    EyePair candidateEyes = m_pendingEyes;
    std::optional<FaceRecord> candidate;
    if (m_pending) {
        candidate = chooseFaceAbove(kTrackingConfidence, faces, m_pending, frameWidth, frameHeight,
                                    candidateEyes);
        if (candidate && !inSamePlace(*candidate, *m_pending)) {
            candidate.reset();
        }
    }
    if (candidate) {
        ++m_seen;
    } else {
        candidate = chooseFaceAbove(kTrackingConfidence, faces, std::nullopt, frameWidth,
                                    frameHeight, candidateEyes);
        m_seen = candidate ? 1 : 0;
    }
    m_pending = candidate;
    m_pendingEyes = candidateEyes;
    if (m_seen < framesToConfirm) {
        return std::nullopt;
    }
    eyes = m_pendingEyes;
    reset();
    return candidate;
}

void FaceAcquisition::reset()
{
    m_pending.reset();
    m_seen = 0;
}

struct EyeCornerLocator::Impl
{
    LandmarkCascade predictor;
    bool usable = false;
    std::string modelPath;
    std::string compactPath; // empty: the model stays in memory
    std::uint64_t stamp = 0; // of the model file, as the compact file was written from it
    cv::Mat image; // shares the frame's pixels: a grey frame is not written after its conversion
};

EyeCornerLocator::EyeCornerLocator() : m_impl(std::make_unique<Impl>())
{
}
EyeCornerLocator::~EyeCornerLocator() = default;

namespace {

// The model file's size and time: a compact file written from another one does not fit.
std::uint64_t stampOf(const std::string& path)
{
    std::error_code ec;
    const std::uint64_t size = std::filesystem::file_size(path, ec);
    const auto time = std::filesystem::last_write_time(path, ec).time_since_epoch().count();
    return size * 0x9E3779B97F4A7C15ULL ^ static_cast<std::uint64_t>(time);
}

} // namespace

bool EyeCornerLocator::load(const std::string& path, std::string& errorMessage)
{
    LandmarkCascade& predictor = m_impl->predictor;
    m_impl->usable = false;
    m_impl->compactPath.clear();
    if (!predictor.load(path, errorMessage)) {
        return false;
    }
    const unsigned long needed = *std::max_element(m_cornerParts.begin(), m_cornerParts.end()) + 1;
    if (predictor.numParts() < needed) {
        errorMessage = "The shape predictor has " + std::to_string(predictor.numParts()) +
                       " landmarks; at least " + std::to_string(needed) + " are needed.";
        predictor.clear();
        return false;
    }
    m_placesLids = predictor.numParts() > *std::max_element(m_lidParts.begin(), m_lidParts.end());
    m_impl->usable = true;
    m_impl->modelPath = path;
    m_impl->stamp = stampOf(path);
    return true;
}

bool EyeCornerLocator::isLoaded() const
{
    return m_impl->usable;
}

void EyeCornerLocator::unload()
{
    m_impl->predictor.clear();
    m_impl->usable = false;
    m_impl->compactPath.clear();
    m_placesLids = false;
}

bool EyeCornerLocator::keepOnDisk(const std::string& folder, std::string& errorMessage)
{
    namespace fs = std::filesystem;
    if (!isLoaded() || m_impl->predictor.empty()) {
        errorMessage = "no model loaded";
        return false;
    }
    // Named by the model file it holds: builds and installations share the cache folder, and
    // each needs its own.
    char name[40];
    std::snprintf(name, sizeof name, "landmarks-%016llx.compact",
                  static_cast<unsigned long long>(m_impl->stamp));
    const fs::path path = fs::path(folder) / name;
    // Written at the first start with this model only: it is 34 MB.
    if (!m_impl->predictor.savedIn(path.string(), m_impl->stamp) &&
        !m_impl->predictor.save(path.string(), m_impl->stamp, errorMessage)) {
        return false;
    }
    // Those of earlier model files are of no more use.
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const std::string other = entry.path().filename().string();
        if (other != name && other.rfind("landmarks-", 0) == 0 &&
            entry.path().extension() == ".compact") {
            fs::remove(entry.path(), ec);
        }
    }
    m_impl->compactPath = path.string();
    letGo();
    return true;
}

bool EyeCornerLocator::hold(std::string& errorMessage)
{
    Impl& impl = *m_impl;
    if (!impl.usable || !impl.predictor.empty() || impl.compactPath.empty()) {
        return impl.usable;
    }
    if (impl.predictor.loadCompact(impl.compactPath, impl.stamp, errorMessage)) {
        return true;
    }
    // Gone, damaged, or the model file was replaced: read the model file and write it again.
    const std::string compactPath = impl.compactPath;
    std::string reason;
    if (!load(impl.modelPath, reason)) {
        errorMessage += "; " + reason;
        return false;
    }
    impl.compactPath = impl.predictor.save(compactPath, impl.stamp, reason) ? compactPath : "";
    return true;
}

void EyeCornerLocator::letGo()
{
    if (!m_impl->compactPath.empty()) {
        m_impl->predictor.clear();
    }
}

void EyeCornerLocator::setCornerParts(const std::array<unsigned long, 4>& parts)
{
    m_cornerParts = parts;
}

void EyeCornerLocator::setLidParts(const std::array<unsigned long, 8>& parts)
{
    m_lidParts = parts;
}

bool EyeCornerLocator::placesLids() const
{
    return isLoaded() && m_placesLids;
}

void EyeCornerLocator::setImage(const cv::Mat& grey)
{
    m_impl->image = grey.type() == CV_8UC1 ? grey : cv::Mat();
}

namespace {

EyeValues eyeFromCorners(const dlib::point& a, const dlib::point& b, float roiFactor)
{
    const double dx = static_cast<double>(a.x() - b.x());
    const double dy = static_cast<double>(a.y() - b.y());
    const int cornerDistance = static_cast<int>(std::round(std::sqrt(dx * dx + dy * dy)));
    EyeValues eye;
    eye.x = static_cast<float>((a.x() + b.x()) * 0.5);
    eye.y = static_cast<float>((a.y() + b.y()) * 0.5);
    eye.roiSize = static_cast<int>(cornerDistance * roiFactor);
    return eye;
}

double distance(const dlib::point& a, const dlib::point& b)
{
    const double dx = static_cast<double>(a.x() - b.x());
    const double dy = static_cast<double>(a.y() - b.y());
    return std::sqrt(dx * dx + dy * dy);
}

// The two lid gaps of one eye over its corner distance.
float lidOpening(const dlib::full_object_detection& shape, const unsigned long* lidParts,
                 const dlib::point& cornerA, const dlib::point& cornerB)
{
    const double width = distance(cornerA, cornerB);
    if (width < 1.0) {
        return -1.f;
    }
    const double gaps = distance(shape.part(lidParts[0]), shape.part(lidParts[1])) +
                        distance(shape.part(lidParts[2]), shape.part(lidParts[3]));
    return static_cast<float>(gaps / 2.0 / width);
}

} // namespace

void EyeCornerLocator::place(const cv::Mat& image, const FaceRecord& face, float roiFactor,
                             EyePair& eyes, LidOpening* lids) const
{
    const dlib::rectangle box(face.x, face.y, face.x + face.width, face.y + face.height);
    const dlib::full_object_detection shape =
        m_impl->predictor(dlib::cv_image<unsigned char>(image), box);
    if (shape.num_parts() <= *std::max_element(m_cornerParts.begin(), m_cornerParts.end())) {
        return;
    }
    const dlib::point& a = shape.part(m_cornerParts[0]);
    const dlib::point& b = shape.part(m_cornerParts[1]);
    const dlib::point& c = shape.part(m_cornerParts[2]);
    const dlib::point& d = shape.part(m_cornerParts[3]);
    eyes.first = eyeFromCorners(a, b, roiFactor);
    eyes.second = eyeFromCorners(c, d, roiFactor);
    if (lids && m_placesLids) {
        lids->first = lidOpening(shape, m_lidParts.data(), a, b);
        lids->second = lidOpening(shape, m_lidParts.data() + 4, c, d);
    }
}

void EyeCornerLocator::locate(const FaceRecord& face, float roiFactor, EyePair& eyes,
                              LidOpening* lids) const
{
    if (m_impl->predictor.empty() || m_impl->image.empty()) {
        return;
    }
    place(m_impl->image, face, roiFactor, eyes, lids);
}

void EyeCornerLocator::locateIn(const cv::Mat& grey, const FaceRecord& face, float roiFactor,
                                EyePair& eyes, LidOpening* lids) const
{
    if (m_impl->predictor.empty() || grey.empty() || grey.type() != CV_8UC1) {
        return;
    }
    place(grey, face, roiFactor, eyes, lids);
}
