#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

// Paths to the face clips and models beside the checkout, and to the built landmark model.
inline QString sharedFile(const QString& relative)
{
    return QStringLiteral(WINKWELL_SHARED_DIR "/") + relative;
}

inline QString cnnFaceModel()
{
    return sharedFile(QStringLiteral("models/face_detection_yunet_2022mar.onnx"));
}

inline QString builtLandmarkModel()
{
    return QStringLiteral(WINKWELL_BIN_DIR "/data.dat");
}

// Why a test that needs these files cannot run here, or empty when they are all present.
inline QString missingFiles(const QStringList& files)
{
    for (const QString& file : files) {
        if (!QFile::exists(file)) {
            return QStringLiteral("%1 is absent (the shared data lives beside the checkout; "
                                  "data.dat needs the dlib landmark model)")
                .arg(file);
        }
    }
    return QString();
}
