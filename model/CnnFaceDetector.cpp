#include "CnnFaceDetector.h"

#include <QDebug>
#include <QFileInfo>

namespace {

// Faces below the tracking confidence (40) are never chosen, so the net need not report them.
constexpr float kScoreThreshold = 0.4f;
constexpr float kNmsThreshold = 0.3f;
constexpr int kTopK = 5000;
constexpr int kInitialCapacity = 16;

} // namespace

std::unique_ptr<CnnFaceDetector> CnnFaceDetector::create(const QString& modelPath)
{
    if (!QFileInfo(modelPath).isFile()) {
        return nullptr;
    }
    try {
        cv::Ptr<cv::FaceDetectorYN> net =
            cv::FaceDetectorYN::create(modelPath.toStdString(), std::string(), cv::Size(160, 120),
                                       kScoreThreshold, kNmsThreshold, kTopK);
        if (!net) {
            return nullptr;
        }
        return std::unique_ptr<CnnFaceDetector>(new CnnFaceDetector(net, modelPath));
    } catch (const std::exception& e) {
        qDebug() << "CnnFaceDetector::create cannot load" << modelPath
                 << QString::fromLocal8Bit(e.what()).trimmed();
        return nullptr;
    }
}

CnnFaceDetector::CnnFaceDetector(cv::Ptr<cv::FaceDetectorYN> net, const QString& modelPath)
    : m_net(std::move(net)), m_modelPath(modelPath), m_inputSize(160, 120)
{
    m_faces.reserve(kInitialCapacity);
}

QString CnnFaceDetector::name() const
{
    return QStringLiteral("YuNet CNN (%1)").arg(m_modelPath);
}

const std::vector<DetectedFace>& CnnFaceDetector::detect(const cv::Mat& smallBgr)
{
    m_faces.clear();
    if (smallBgr.empty() || smallBgr.type() != CV_8UC3) {
        return m_faces;
    }
    try {
        if (smallBgr.size() != m_inputSize) {
            m_inputSize = smallBgr.size();
            m_net->setInputSize(m_inputSize);
        }
        m_net->detect(smallBgr, m_rows);
    } catch (const std::exception& e) {
        if (!m_failureLogged) {
            qDebug() << "CnnFaceDetector::detect failed"
                     << QString::fromLocal8Bit(e.what()).trimmed();
            m_failureLogged = true;
        }
        return m_faces;
    }
    for (int r = 0; r < m_rows.rows; ++r) {
        const float* row = m_rows.ptr<float>(r);
        DetectedFace face;
        face.x = static_cast<int>(row[0]);
        face.y = static_cast<int>(row[1]);
        face.width = static_cast<int>(row[2]);
        face.height = static_cast<int>(row[3]);
        // The net lists the subject's right eye first, which is the eye on the image's left.
        for (int i = 0; i < 5; ++i) {
            face.landmarks[i] = cv::Point2f(row[4 + 2 * i], row[5 + 2 * i]);
        }
        face.confidence = static_cast<int>(row[14] * 100.f);
        m_faces.push_back(face);
    }
    return m_faces;
}
