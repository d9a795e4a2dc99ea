#pragma once

#include <algorithm>
#include <dlib/image_processing/shape_predictor.h>
#include <dlib/matrix.h>
#include <dlib/serialize.h>
#include <istream>
#include <string>

// Readers for the parts of dlib's shape-predictor serialisation whose sizes a corrupt file could
// make huge: every count is checked against the bytes the file holds before anything is
// allocated. Each throws dlib::serialization_error.
namespace shape_predictor_stream {

inline unsigned long readCount(std::istream& in, unsigned long long byteLimit, const char* what)
{
    unsigned long count = 0;
    dlib::deserialize(count, in);
    // Every serialised element takes at least one byte.
    if (count > byteLimit) {
        throw dlib::serialization_error(std::string("implausible ") + what + " count " +
                                        std::to_string(count));
    }
    return count;
}

inline void readColumn(dlib::matrix<float, 0, 1>& column, std::istream& in,
                       unsigned long long byteLimit)
{
    long rows = 0;
    long cols = 0;
    dlib::deserialize(rows, in);
    dlib::deserialize(cols, in);
    // dlib writes the dimensions negated.
    rows = rows < 0 ? -rows : rows;
    cols = cols < 0 ? -cols : cols;
    if (rows < 0 || cols < 0 || (cols != 1 && !(rows == 0 && cols == 0))) {
        throw dlib::serialization_error("matrix is not a column vector");
    }
    if (static_cast<unsigned long long>(rows) > byteLimit) {
        throw dlib::serialization_error("implausible matrix size " + std::to_string(rows));
    }
    column.set_size(rows);
    for (long r = 0; r < rows; ++r) {
        dlib::deserialize(column(r), in);
    }
}

// Reads a count, then that many items with readOne(item); the vector grows with the data read
// rather than trusting the stored count.
template <typename T, typename ReadOne>
void readVector(std::vector<T>& items, std::istream& in, unsigned long long byteLimit,
                const char* what, ReadOne readOne)
{
    const unsigned long count = readCount(in, byteLimit, what);
    items.clear();
    items.reserve(std::min<unsigned long>(count, 1UL << 16));
    for (unsigned long i = 0; i < count; ++i) {
        T item;
        readOne(item);
        items.push_back(std::move(item));
    }
}

inline void readTree(dlib::impl::regression_tree& tree, std::istream& in,
                     unsigned long long byteLimit)
{
    readVector(tree.splits, in, byteLimit, "split", [&](dlib::impl::split_feature& split) {
        // A hidden friend: only argument-dependent lookup finds it.
        using dlib::deserialize;
        deserialize(split, in);
    });
    readVector(tree.leaf_values, in, byteLimit, "leaf",
               [&](dlib::matrix<float, 0, 1>& leaf) { readColumn(leaf, in, byteLimit); });
}

} // namespace shape_predictor_stream
