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

// The eye-state model, copied beside the executables from the source tree.
inline QString builtEyeStateModel()
{
    return QStringLiteral(WINKWELL_BIN_DIR "/eyestate.yml");
}

// Why a test that needs these files cannot run here, or empty when they are all present.
inline QString missingFiles(const QStringList& files)
{
    for (const QString& file : files) {
        if (QFile::exists(file)) {
            continue;
        }
        if (file == builtLandmarkModel()) {
            return QStringLiteral("%1 was not built: it needs dlib's landmark model "
                                  "(libdlib-data)")
                .arg(file);
        }
        return QStringLiteral("%1 is absent: the face clips and models are read from ../shared "
                              "beside the checkout")
            .arg(file);
    }
    return QString();
}

// Skips the calling test function when a file is absent. A macro, because QSKIP returns from
// the function it is written in: inside a helper it would end the helper and the test would go
// on to fail.
#define SKIP_UNLESS_PRESENT(...)                                                                   \
    do {                                                                                           \
        const QString missingSharedFile = missingFiles(QStringList{__VA_ARGS__});                  \
        if (!missingSharedFile.isEmpty()) {                                                        \
            QSKIP(qPrintable(missingSharedFile));                                                  \
        }                                                                                          \
    } while (false)
