#include "LandmarkCascade.h"

#include "ShapePredictorStream.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>

namespace {

using dlib::serialization_error;
using namespace shape_predictor_stream;

constexpr float kLeafUnits = 32767.f;

bool isPowerOfTwo(size_t n)
{
    return n != 0 && (n & (n - 1)) == 0;
}

std::string firstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

} // namespace

bool LandmarkCascade::load(const std::string& path, std::string& errorMessage)
{
    clear();
    errorMessage.clear();
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    if (ec || !in.is_open()) {
        errorMessage = "cannot open " + path;
        return false;
    }
    try {
        read(in, size);
        return true;
    } catch (const serialization_error& e) {
        errorMessage = firstLine(e.info);
    } catch (const std::bad_alloc&) {
        errorMessage = "out of memory while reading it";
    } catch (const std::exception& e) {
        errorMessage = e.what();
    }
    clear();
    return false;
}

void LandmarkCascade::read(std::istream& in, unsigned long long byteLimit)
{
    int version = 0;
    dlib::deserialize(version, in);
    if (version != 1) {
        throw serialization_error("not a dlib shape predictor (version field " +
                                  std::to_string(version) + ", 1 expected)");
    }
    readColumn(m_initialShape, in, byteLimit);
    const long values = m_initialShape.size();
    if (values == 0 || values % 2 != 0) {
        throw serialization_error("the mean shape has no landmarks");
    }

    const unsigned long levels = readCount(in, byteLimit, "cascade");
    m_levels.resize(levels);
    dlib::impl::regression_tree tree;
    for (Level& level : m_levels) {
        const unsigned long trees = readCount(in, byteLimit, "tree");
        level.firstTree = static_cast<std::uint32_t>(m_trees.size());
        level.treeCount = static_cast<std::uint32_t>(trees);
        for (unsigned long t = 0; t < trees; ++t) {
            readTree(tree, in, byteLimit);
            if (tree.leaf_values.size() != tree.splits.size() + 1 ||
                !isPowerOfTwo(tree.leaf_values.size())) {
                throw serialization_error("a tree's leaves do not fit its splits");
            }
            float largest = 0.f;
            for (const dlib::matrix<float, 0, 1>& leaf : tree.leaf_values) {
                if (leaf.size() != values) {
                    throw serialization_error("a leaf does not fit the mean shape");
                }
                largest = std::max(largest, dlib::max(dlib::abs(leaf)));
            }
            if (!std::isfinite(largest)) {
                throw serialization_error("a leaf holds a value that is not a number");
            }
            if (m_trees.empty()) {
                // Every level of a trained model holds as many trees of one depth: room for all
                // of them at once, since growing the leaves would hold twice their memory.
                m_splits.reserve(levels * trees * tree.splits.size());
                m_leaves.reserve(levels * trees * tree.leaf_values.size() *
                                 static_cast<size_t>(values));
            }
            Tree packed;
            packed.firstSplit = static_cast<std::uint32_t>(m_splits.size());
            packed.splitCount = static_cast<std::uint32_t>(tree.splits.size());
            packed.firstLeaf = static_cast<std::uint32_t>(m_leaves.size());
            packed.step = largest / kLeafUnits;
            for (const dlib::impl::split_feature& split : tree.splits) {
                if (split.idx1 > std::numeric_limits<std::uint16_t>::max() ||
                    split.idx2 > std::numeric_limits<std::uint16_t>::max()) {
                    throw serialization_error("a split names a pixel beyond the feature pool");
                }
                m_splits.push_back({static_cast<std::uint16_t>(split.idx1),
                                    static_cast<std::uint16_t>(split.idx2), split.thresh});
            }
            for (const dlib::matrix<float, 0, 1>& leaf : tree.leaf_values) {
                for (long v = 0; v < values; ++v) {
                    m_leaves.push_back(static_cast<std::int16_t>(
                        packed.step > 0.f ? std::lround(leaf(v) / packed.step) : 0));
                }
            }
            m_trees.push_back(packed);
        }
    }
    m_splits.shrink_to_fit();
    m_leaves.shrink_to_fit();

    auto readPerLevel = [&](auto member, const char* what, auto readOne) {
        const unsigned long count = readCount(in, byteLimit, what);
        if (count != m_levels.size()) {
            throw serialization_error(std::string("the ") + what + " lists do not fit the cascade");
        }
        for (Level& level : m_levels) {
            readVector(level.*member, in, byteLimit, what, readOne);
        }
    };
    readPerLevel(&Level::anchors, "anchor", [&](unsigned long& anchor) {
        dlib::deserialize(anchor, in);
        if (anchor >= numParts()) {
            throw serialization_error("a feature pixel is placed from a landmark that is absent");
        }
    });
    readPerLevel(&Level::deltas, "delta",
                 [&](dlib::vector<float, 2>& delta) { dlib::deserialize(delta, in); });
    for (const Level& level : m_levels) {
        if (level.deltas.size() != level.anchors.size()) {
            throw serialization_error("a feature pool's anchors and offsets differ in number");
        }
        for (std::uint32_t t = level.firstTree; t < level.firstTree + level.treeCount; ++t) {
            for (std::uint32_t s = 0; s < m_trees[t].splitCount; ++s) {
                const Split& split = m_splits[m_trees[t].firstSplit + s];
                if (split.first >= level.anchors.size() || split.second >= level.anchors.size()) {
                    throw serialization_error("a split names a pixel beyond the feature pool");
                }
            }
        }
    }
}

void LandmarkCascade::clear()
{
    m_initialShape.set_size(0);
    m_levels.clear();
    m_trees.clear();
    m_splits.clear();
    m_leaves.clear();
    m_splits.shrink_to_fit();
    m_leaves.shrink_to_fit();
}

dlib::full_object_detection LandmarkCascade::operator()(const dlib::cv_image<unsigned char>& image,
                                                        const dlib::rectangle& box) const
{
    if (empty()) {
        return dlib::full_object_detection(box);
    }
    dlib::matrix<float, 0, 1> shape = m_initialShape;
    const long values = shape.size();
    float* current = &shape(0);
    std::vector<float> pixels;
    std::vector<std::pair<const std::int16_t*, float>> leaves;
    for (const Level& level : m_levels) {
        dlib::impl::extract_feature_pixel_values(image, box, shape, m_initialShape, level.anchors,
                                                 level.deltas, pixels);
        // All trees of a level read the same pixels: their leaves are found first and summed
        // after, so that the leaves' memory is fetched side by side instead of one at a time.
        leaves.clear();
        for (std::uint32_t t = level.firstTree; t < level.firstTree + level.treeCount; ++t) {
            const Tree& tree = m_trees[t];
            const Split* splits = m_splits.data() + tree.firstSplit;
            // Split i's children are 2i + 1 (its difference above the threshold) and 2i + 2.
            std::uint32_t node = 0;
            while (node < tree.splitCount) {
                const Split& split = splits[node];
                node = pixels[split.first] - pixels[split.second] > split.threshold ? 2 * node + 1
                                                                                    : 2 * node + 2;
            }
            const std::int16_t* leaf =
                m_leaves.data() + tree.firstLeaf + (node - tree.splitCount) * values;
            for (long byte = 0; byte < values * 2; byte += 64) {
                __builtin_prefetch(reinterpret_cast<const char*>(leaf) + byte);
            }
            leaves.push_back({leaf, tree.step});
        }
        for (const auto& [leaf, step] : leaves) {
            for (long v = 0; v < values; ++v) {
                current[v] += step * static_cast<float>(leaf[v]);
            }
        }
    }
    const dlib::point_transform_affine toImage = dlib::impl::unnormalizing_tform(box);
    std::vector<dlib::point> parts(static_cast<size_t>(values / 2));
    for (size_t i = 0; i < parts.size(); ++i) {
        parts[i] = toImage(dlib::impl::location(shape, i));
    }
    return dlib::full_object_detection(box, parts);
}
