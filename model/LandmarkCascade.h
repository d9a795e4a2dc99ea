#pragma once

#include <cstdint>
#include <dlib/image_processing/full_object_detection.h>
#include <dlib/matrix.h>
#include <dlib/opencv/cv_image.h>
#include <functional>
#include <istream>
#include <string>
#include <vector>

// A dlib shape predictor (the regression-tree cascade of the landmark model), held compactly.
// dlib keeps each leaf's shape update as a matrix of its own, about 70 MB for the 68-point model,
// and every placement reads 7500 of them scattered over that memory. Here the split nodes lie
// packed and each leaf holds 16-bit steps of a per-tree scale: half the memory, read in order.
// The placement follows dlib's: the same features, the same trees, the updates rounded to a
// 65535th of the tree's largest.
class LandmarkCascade
{
public:
    // Reads a file written by dlib::serialize(shape_predictor); false with the reason when the
    // file is missing, truncated or not a consistent shape predictor. Never throws.
    bool load(const std::string& path, std::string& errorMessage);
    // The cascade in its own layout, read back in a few milliseconds where parsing dlib's takes
    // over half a second, so that the engine can leave it on disk between camera runs. `stamp`
    // names the model file it was read from; loadCompact() takes only a file with the same stamp,
    // whole and consistent. save() writes through a temporary file.
    bool save(const std::string& path, std::uint64_t stamp, std::string& errorMessage) const;
    bool loadCompact(const std::string& path, std::uint64_t stamp, std::string& errorMessage);
    // The file at path is this cascade's compact form by its header and size (the rest is
    // checked when it is read back).
    bool savedIn(const std::string& path, std::uint64_t stamp) const;
    void clear();
    bool empty() const { return m_initialShape.size() == 0; }
    unsigned long numParts() const { return static_cast<unsigned long>(m_initialShape.size() / 2); }

    dlib::full_object_detection operator()(const dlib::cv_image<unsigned char>& image,
                                           const dlib::rectangle& box) const;

private:
    struct Split
    {
        std::uint16_t first = 0; // feature-pool pixels whose difference is compared
        std::uint16_t second = 0;
        float threshold = 0.f;
    };
    struct Tree
    {
        std::uint32_t firstSplit = 0;
        std::uint32_t splitCount = 0;
        std::uint32_t firstLeaf = 0; // index of its first leaf's first value in m_leaves
        float step = 0.f;            // the value of one unit of its leaves
    };
    struct Level
    {
        std::vector<unsigned long> anchors; // landmark each feature-pool pixel is placed from
        std::vector<dlib::vector<float, 2>> deltas;
        std::uint32_t firstTree = 0;
        std::uint32_t treeCount = 0;
    };

    // Opens the file and runs read on it; false with the reason, and nothing held, on any failure.
    bool readFile(const std::string& path, std::string& errorMessage,
                  const std::function<void(std::istream&, unsigned long long)>& read);
    void read(std::istream& in, unsigned long long byteLimit);
    void readCompact(std::istream& in, unsigned long long byteLimit, std::uint64_t stamp);
    // Throws dlib::serialization_error where the parts do not fit together.
    void check() const;

    dlib::matrix<float, 0, 1> m_initialShape; // x0, y0, x1, y1, ... in the unit square
    std::vector<Level> m_levels;
    std::vector<Tree> m_trees;
    std::vector<Split> m_splits;
    std::vector<std::int16_t> m_leaves;
};
