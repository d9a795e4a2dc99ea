#include "CascadeFaceDetector.h"

#include <QDebug>
#include <QFileInfo>
#include <algorithm>
#include <opencv2/imgproc.hpp>

namespace {

constexpr double kScaleFactor = 1.1;
constexpr int kMinNeighbours = 3;
constexpr int kInitialCapacity = 16;
// Confidence = 6 x merged neighbour windows, at most 100: a new face (>= 90) needs 15 windows, a
// tracked one (>= 40) 7. On sampled frames of the test clips false detections had 4 or 5
// windows and nearly all true faces 20 or more, so neither rule takes a false one.
constexpr int kConfidencePerNeighbour = 6;

// Where the eyes and the rest of the five points sit in a frontal cascade box, as fractions of
// its size (measured against the CNN detector's landmarks on the test clips).
constexpr float kEyeY = 0.41f;
constexpr float kLeftEyeX = 0.31f;
constexpr float kRightEyeX = 0.67f;
constexpr float kNoseY = 0.58f;
constexpr float kMouthY = 0.78f;
constexpr float kMouthLeftX = 0.36f;
constexpr float kMouthRightX = 0.64f;

} // namespace

QString CascadeFaceDetector::defaultCascadePath()
{
    return QStringLiteral("/usr/share/opencv4/haarcascades/haarcascade_frontalface_default.xml");
}

std::unique_ptr<CascadeFaceDetector> CascadeFaceDetector::create(const QString& cascadePath)
{
    if (!QFileInfo(cascadePath).isFile()) {
        return nullptr;
    }
    std::unique_ptr<CascadeFaceDetector> detector(new CascadeFaceDetector(cascadePath));
    try {
        if (!detector->m_cascade.load(cascadePath.toStdString())) {
            return nullptr;
        }
    } catch (const std::exception& e) {
        qDebug() << "CascadeFaceDetector::create cannot load" << cascadePath
                 << QString::fromLocal8Bit(e.what()).trimmed();
        return nullptr;
    }
    return detector;
}

CascadeFaceDetector::CascadeFaceDetector(const QString& cascadePath) : m_cascadePath(cascadePath)
{
    m_boxes.reserve(kInitialCapacity);
    m_neighbours.reserve(kInitialCapacity);
    m_faces.reserve(kInitialCapacity);
}

int CascadeFaceDetector::confidenceFromNeighbours(int neighbours)
{
    return std::clamp(neighbours * kConfidencePerNeighbour, 0, 100);
}

QString CascadeFaceDetector::name() const
{
    return QStringLiteral("Haar cascade (%1)").arg(m_cascadePath);
}

const std::vector<DetectedFace>& CascadeFaceDetector::detect(const cv::Mat& smallBgr)
{
    m_faces.clear();
    if (smallBgr.empty() || smallBgr.type() != CV_8UC3) {
        return m_faces;
    }
    try {
        cv::cvtColor(smallBgr, m_grey, cv::COLOR_BGR2GRAY);
        cv::equalizeHist(m_grey, m_grey);
        m_cascade.detectMultiScale(m_grey, m_boxes, m_neighbours, kScaleFactor, kMinNeighbours);
    } catch (const std::exception& e) {
        qDebug() << "CascadeFaceDetector::detect failed"
                 << QString::fromLocal8Bit(e.what()).trimmed();
        return m_faces;
    }
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        const cv::Rect& box = m_boxes[i];
        const auto at = [&box](float fx, float fy) {
            return cv::Point2f(box.x + fx * box.width, box.y + fy * box.height);
        };
        DetectedFace face;
        face.x = box.x;
        face.y = box.y;
        face.width = box.width;
        face.height = box.height;
        face.confidence = confidenceFromNeighbours(i < m_neighbours.size() ? m_neighbours[i] : 0);
        face.landmarks = {at(kLeftEyeX, kEyeY), at(kRightEyeX, kEyeY), at(0.5f, kNoseY),
                          at(kMouthLeftX, kMouthY), at(kMouthRightX, kMouthY)};
        m_faces.push_back(face);
    }
    return m_faces;
}
