#include "LandmarkCascade.h"

#include "ShapePredictorStream.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <new>

namespace {

using dlib::serialization_error;
using namespace shape_predictor_stream;

constexpr float kLeafUnits = 32767.f;
constexpr const char* kBeyondPool = "a split names a pixel beyond the feature pool";

bool isPowerOfTwo(std::uint64_t n)
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
    return readFile(path, errorMessage,
                    [this](std::istream& in, unsigned long long size) { read(in, size); });
}

bool LandmarkCascade::readFile(const std::string& path, std::string& errorMessage,
                               const std::function<void(std::istream&, unsigned long long)>& read)
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
    dlib::impl::regression_tree tree;
    // The levels grow with what is read: a corrupt count must not allocate on its own.
    for (unsigned long l = 0; l < levels; ++l) {
        Level& level = m_levels.emplace_back();
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
                // No more than the file's bytes, though, whatever its counts say.
                const auto room = [&](unsigned long long wanted) {
                    return static_cast<size_t>(std::min(wanted, byteLimit));
                };
                m_splits.reserve(room(1ULL * levels * trees * tree.splits.size()));
                m_leaves.reserve(room(1ULL * levels * trees * tree.leaf_values.size() *
                                      static_cast<unsigned long long>(values)));
            }
            Tree packed;
            packed.firstSplit = static_cast<std::uint32_t>(m_splits.size());
            packed.splitCount = static_cast<std::uint32_t>(tree.splits.size());
            packed.firstLeaf = static_cast<std::uint32_t>(m_leaves.size());
            packed.step = largest / kLeafUnits;
            for (const dlib::impl::split_feature& split : tree.splits) {
                if (split.idx1 > std::numeric_limits<std::uint16_t>::max() ||
                    split.idx2 > std::numeric_limits<std::uint16_t>::max()) {
                    throw serialization_error(kBeyondPool);
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
    readPerLevel(&Level::anchors, "anchor",
                 [&](unsigned long& anchor) { dlib::deserialize(anchor, in); });
    readPerLevel(&Level::deltas, "delta",
                 [&](dlib::vector<float, 2>& delta) { dlib::deserialize(delta, in); });
    check();
}

void LandmarkCascade::check() const
{
    const long values = m_initialShape.size();
    std::uint32_t nextTree = 0;
    for (const Level& level : m_levels) {
        if (level.deltas.size() != level.anchors.size()) {
            throw serialization_error("a feature pool's anchors and offsets differ in number");
        }
        for (unsigned long anchor : level.anchors) {
            if (anchor >= numParts()) {
                throw serialization_error(
                    "a feature pixel is placed from a landmark that is absent");
            }
        }
        if (level.firstTree != nextTree || level.treeCount > m_trees.size() - nextTree) {
            throw serialization_error("the levels do not hold the trees in order");
        }
        nextTree += level.treeCount;
        for (std::uint32_t t = level.firstTree; t < nextTree; ++t) {
            const Tree& tree = m_trees[t];
            const std::uint64_t leafValues = (std::uint64_t{tree.splitCount} + 1) * values;
            if (!isPowerOfTwo(std::uint64_t{tree.splitCount} + 1) ||
                tree.splitCount > m_splits.size() ||
                tree.firstSplit > m_splits.size() - tree.splitCount ||
                tree.firstLeaf > m_leaves.size() || leafValues > m_leaves.size() - tree.firstLeaf ||
                !std::isfinite(tree.step)) {
                throw serialization_error("a tree's splits or leaves lie outside the model");
            }
            for (std::uint32_t s = 0; s < tree.splitCount; ++s) {
                const Split& split = m_splits[tree.firstSplit + s];
                if (split.first >= level.anchors.size() || split.second >= level.anchors.size()) {
                    throw serialization_error(kBeyondPool);
                }
            }
        }
    }
    if (nextTree != m_trees.size()) {
        throw serialization_error("trees beyond the last level");
    }
}

namespace {

constexpr char kCompactMagic[8] = {'W', 'W', 'L', 'M', 'K', 'C', '0', '1'};
constexpr std::uint32_t kByteOrder = 0x01020304;

template <typename T> void put(std::ostream& out, const T& value)
{
    out.write(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T> void putAll(std::ostream& out, const T* values, size_t count)
{
    out.write(reinterpret_cast<const char*>(values),
              static_cast<std::streamsize>(count * sizeof(T)));
}

template <typename T> T take(std::istream& in)
{
    T value{};
    if (!in.read(reinterpret_cast<char*>(&value), sizeof value)) {
        throw serialization_error("the file ends early");
    }
    return value;
}

// Reads count items, checked against the bytes the file holds before anything is allocated.
template <typename T>
void takeAll(std::istream& in, std::vector<T>& items, std::uint64_t count,
             unsigned long long byteLimit)
{
    if (count > byteLimit / sizeof(T)) {
        throw serialization_error("implausible count " + std::to_string(count));
    }
    items.resize(count);
    if (!in.read(reinterpret_cast<char*>(items.data()),
                 static_cast<std::streamsize>(count * sizeof(T)))) {
        throw serialization_error("the file ends early");
    }
}

} // namespace

bool LandmarkCascade::save(const std::string& path, std::uint64_t stamp,
                           std::string& errorMessage) const
{
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(kCompactMagic, sizeof kCompactMagic);
        put(out, kByteOrder);
        put(out, stamp);
        put(out, static_cast<std::uint64_t>(m_initialShape.size()));
        put(out, static_cast<std::uint64_t>(m_levels.size()));
        put(out, static_cast<std::uint64_t>(m_trees.size()));
        put(out, static_cast<std::uint64_t>(m_splits.size()));
        put(out, static_cast<std::uint64_t>(m_leaves.size()));
        putAll(out, &m_initialShape(0), static_cast<size_t>(m_initialShape.size()));
        for (const Level& level : m_levels) {
            put(out, static_cast<std::uint64_t>(level.anchors.size()));
            put(out, level.firstTree);
            put(out, level.treeCount);
            for (unsigned long anchor : level.anchors) {
                put(out, static_cast<std::uint32_t>(anchor));
            }
            for (const dlib::vector<float, 2>& delta : level.deltas) {
                put(out, delta.x());
                put(out, delta.y());
            }
        }
        putAll(out, m_trees.data(), m_trees.size());
        putAll(out, m_splits.data(), m_splits.size());
        putAll(out, m_leaves.data(), m_leaves.size());
        out.flush();
        if (!out) {
            errorMessage = "cannot write " + temporary;
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        errorMessage = "cannot replace " + path;
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool LandmarkCascade::loadCompact(const std::string& path, std::uint64_t stamp,
                                  std::string& errorMessage)
{
    return readFile(path, errorMessage, [this, stamp](std::istream& in, unsigned long long size) {
        readCompact(in, size, stamp);
    });
}

namespace {

void readCompactHeader(std::istream& in, std::uint64_t stamp)
{
    char magic[sizeof kCompactMagic] = {};
    if (!in.read(magic, sizeof magic) || !std::equal(magic, magic + sizeof magic, kCompactMagic) ||
        take<std::uint32_t>(in) != kByteOrder) {
        throw serialization_error("not a compact landmark model of this program");
    }
    if (take<std::uint64_t>(in) != stamp) {
        throw serialization_error("written for another landmark model file");
    }
}

} // namespace

bool LandmarkCascade::savedIn(const std::string& path, std::uint64_t stamp) const
{
    std::uint64_t bytes = sizeof kCompactMagic + sizeof kByteOrder + 6 * sizeof(std::uint64_t) +
                          m_initialShape.size() * sizeof(float) + m_trees.size() * sizeof(Tree) +
                          m_splits.size() * sizeof(Split) + m_leaves.size() * sizeof(std::int16_t);
    for (const Level& level : m_levels) {
        bytes += sizeof(std::uint64_t) + 2 * sizeof(std::uint32_t) +
                 level.anchors.size() * 3 * sizeof(std::uint32_t);
    }
    std::error_code ec;
    if (std::filesystem::file_size(path, ec) != bytes || ec) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    try {
        readCompactHeader(in, stamp);
        return true;
    } catch (const serialization_error&) {
        return false;
    }
}

void LandmarkCascade::readCompact(std::istream& in, unsigned long long byteLimit,
                                  std::uint64_t stamp)
{
    readCompactHeader(in, stamp);
    const auto values = take<std::uint64_t>(in);
    const auto levels = take<std::uint64_t>(in);
    const auto trees = take<std::uint64_t>(in);
    const auto splits = take<std::uint64_t>(in);
    const auto leaves = take<std::uint64_t>(in);
    if (values == 0 || values % 2 != 0) {
        throw serialization_error("the mean shape has no landmarks");
    }
    std::vector<float> shape;
    takeAll(in, shape, values, byteLimit);
    m_initialShape.set_size(static_cast<long>(values));
    std::copy(shape.begin(), shape.end(), &m_initialShape(0));
    std::vector<std::uint32_t> anchors;
    std::vector<float> deltas;
    for (std::uint64_t l = 0; l < levels; ++l) {
        Level& level = m_levels.emplace_back();
        const auto pool = take<std::uint64_t>(in);
        level.firstTree = take<std::uint32_t>(in);
        level.treeCount = take<std::uint32_t>(in);
        takeAll(in, anchors, pool, byteLimit);
        takeAll(in, deltas, 2 * pool, byteLimit);
        level.anchors.assign(anchors.begin(), anchors.end());
        level.deltas.resize(pool);
        for (std::uint64_t p = 0; p < pool; ++p) {
            level.deltas[p] = dlib::vector<float, 2>(deltas[2 * p], deltas[2 * p + 1]);
        }
    }
    takeAll(in, m_trees, trees, byteLimit);
    takeAll(in, m_splits, splits, byteLimit);
    takeAll(in, m_leaves, leaves, byteLimit);
    if (in.peek() != std::char_traits<char>::eof()) {
        throw serialization_error("more bytes than the model holds");
    }
    check();
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
