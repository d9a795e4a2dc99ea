#pragma once

#include "FaceDetector.h"

#include <array>
#include <memory>
#include <opencv2/core.hpp>
#include <optional>
#include <string>
#include <vector>

// Face rectangle in pixels of the processed (640-pixel-wide) frame.
struct FaceRecord
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct EyeValues
{
    float x = 0.f;
    float y = 0.f;
    int roiSize = 0; // side of the square cut around the eye for the flow
};

struct EyePair
{
    EyeValues first;
    EyeValues second;
};

// How open each eye is by the landmark model's lids: the mean distance of the upper lid points
// from the lower ones over the corner distance. Negative where the model places no lids.
struct LidOpening
{
    float first = -1.f;
    float second = -1.f;
};

// Picks the face to follow among the detector's faces (quarter-size coordinates): while tracking
// (a previous face exists) the nearest face of width >= 100 and confidence >= 40, otherwise the
// widest of width >= 100 and confidence >= 90. Writes the provisional eye values of the chosen
// face and returns its record clamped to the frame; returns nothing (eyes untouched) when no face
// qualifies.
std::optional<FaceRecord> chooseFace(const std::vector<DetectedFace>& faces,
                                     const std::optional<FaceRecord>& previous, int frameWidth,
                                     int frameHeight, EyePair& eyes);

// Finds a face while none is followed. The strict rule of chooseFace takes a face at once; a face
// below its confidence but at tracking confidence counts once the detector has found it in the
// same place on framesToConfirm consecutive frames: this detector scores many clear faces in
// the 80s, and one frame's false face seldom stays put. Writes the eye values as chooseFace does,
// only when it returns a face.
class FaceAcquisition
{
public:
    static constexpr int framesToConfirm = 3;

    std::optional<FaceRecord> choose(const std::vector<DetectedFace>& faces, int frameWidth,
                                     int frameHeight, EyePair& eyes);
    // The next face starts its count afresh (a face was found, or the run starts).
    void reset();

private:
    std::optional<FaceRecord> m_pending;
    EyePair m_pendingEyes;
    int m_seen = 0;
};

// The landmark step: four eye corners from the data.dat shape predictor (landmarks 0 and 1 the
// first eye, 2 and 3 the second).
class EyeCornerLocator
{
public:
    EyeCornerLocator();
    ~EyeCornerLocator();
    EyeCornerLocator(const EyeCornerLocator&) = delete;
    EyeCornerLocator& operator=(const EyeCornerLocator&) = delete;

    // Never throws: a missing, truncated or foreign file gives false and the reader's message.
    bool load(const std::string& path, std::string& errorMessage);
    bool isLoaded() const;
    void unload();
    // Keeps the loaded model in a compact file in `folder` (written now) between camera runs, so
    // that an idle engine does not hold it in memory: hold() reads it back for a run (a few
    // milliseconds), letGo() drops it again. False, with the model left in memory, when the file
    // cannot be written.
    bool keepOnDisk(const std::string& folder, std::string& errorMessage);
    // The model in memory for a run: from the compact file, or from the model file again where
    // that is gone or stale. False when neither can be read; placing does nothing then.
    bool hold(std::string& errorMessage);
    void letGo();
    // Which landmarks are the four corners; data.dat has them at 0 to 3, other models (the
    // 68-point one in tests) elsewhere. Set before load(), which checks the model has them.
    void setCornerParts(const std::array<unsigned long, 4>& parts);
    // Which landmarks face each other on the lids: upper and lower point of two pairs for the
    // first eye, then two for the second. data.dat has them at 40/43, 41/42, 44/47 and 45/46.
    // Set before load().
    void setLidParts(const std::array<unsigned long, 8>& parts);
    // The model places the lid points too (the 68-point model does, a corners-only one not).
    bool placesLids() const;
    // The (unblurred) grey frame the landmarks are placed on; its pixels are shared, not copied.
    void setImage(const cv::Mat& grey);
    // Eye centres, corner distances and ROI sizes (roiFactor x distance) for this face; lids,
    // when given, gets their opening (left negative without lid points).
    void locate(const FaceRecord& face, float roiFactor, EyePair& eyes,
                LidOpening* lids = nullptr) const;
    // The same on another grey frame than the landmark image (an earlier one), without copying.
    void locateIn(const cv::Mat& grey, const FaceRecord& face, float roiFactor, EyePair& eyes,
                  LidOpening* lids) const;

private:
    void place(const cv::Mat& image, const FaceRecord& face, float roiFactor, EyePair& eyes,
               LidOpening* lids) const;

    struct Impl;
    std::unique_ptr<Impl> m_impl;
    std::array<unsigned long, 4> m_cornerParts{0, 1, 2, 3};
    std::array<unsigned long, 8> m_lidParts{40, 43, 41, 42, 44, 47, 45, 46};
    bool m_placesLids = false;
};
