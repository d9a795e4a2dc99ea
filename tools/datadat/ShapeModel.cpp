#include "ShapeModel.h"

#include "model/ShapePredictorStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <sstream>
#include <system_error>

namespace winkwell::datadat {

namespace {

using dlib::serialization_error;
using shape_predictor_stream::readColumn;
using shape_predictor_stream::readTree;
using shape_predictor_stream::readVector;

void moveLandmarks(dlib::matrix<float, 0, 1>& shape, const std::vector<unsigned long>& newOrder)
{
    dlib::matrix<float, 0, 1> moved(shape.size());
    for (unsigned long k = 0; k < newOrder.size(); ++k) {
        moved(2 * k) = shape(2 * newOrder[k]);
        moved(2 * k + 1) = shape(2 * newOrder[k] + 1);
    }
    shape = std::move(moved);
}

std::string firstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

} // namespace

void readModel(ShapeModel& model, std::istream& in, unsigned long long byteLimit)
{
    int version = 0;
    dlib::deserialize(version, in);
    if (version != 1) {
        throw serialization_error("not a dlib shape predictor (version field " +
                                  std::to_string(version) + ", 1 expected)");
    }
    readColumn(model.initialShape, in, byteLimit);
    readVector(model.forests, in, byteLimit, "cascade",
               [&](std::vector<dlib::impl::regression_tree>& cascade) {
                   readVector(
                       cascade, in, byteLimit, "tree",
                       [&](dlib::impl::regression_tree& tree) { readTree(tree, in, byteLimit); });
               });
    readVector(model.anchorIdx, in, byteLimit, "anchor list",
               [&](std::vector<unsigned long>& anchors) {
                   readVector(anchors, in, byteLimit, "anchor",
                              [&](unsigned long& anchor) { dlib::deserialize(anchor, in); });
               });
    readVector(model.deltas, in, byteLimit, "delta list",
               [&](std::vector<dlib::vector<float, 2>>& deltas) {
                   readVector(deltas, in, byteLimit, "delta",
                              [&](dlib::vector<float, 2>& delta) { dlib::deserialize(delta, in); });
               });
}

void writeModel(const ShapeModel& model, std::ostream& out)
{
    // The layout of dlib::serialize(const shape_predictor&).
    const int version = 1;
    dlib::serialize(version, out);
    dlib::serialize(model.initialShape, out);
    dlib::serialize(model.forests, out);
    dlib::serialize(model.anchorIdx, out);
    dlib::serialize(model.deltas, out);
}

std::string checkModel(const ShapeModel& model)
{
    const long shapeSize = model.initialShape.size();
    if (shapeSize == 0 || shapeSize % 2 != 0) {
        return "initial shape has " + std::to_string(shapeSize) + " values, a positive even " +
               "number expected";
    }
    if (model.anchorIdx.size() != model.forests.size() ||
        model.deltas.size() != model.forests.size()) {
        return "cascade count differs between forests (" + std::to_string(model.forests.size()) +
               "), anchors (" + std::to_string(model.anchorIdx.size()) + ") and deltas (" +
               std::to_string(model.deltas.size()) + ")";
    }
    for (std::size_t c = 0; c < model.forests.size(); ++c) {
        const std::string where = "cascade " + std::to_string(c) + ": ";
        const std::size_t poolSize = model.anchorIdx[c].size();
        if (model.deltas[c].size() != poolSize) {
            return where + "anchor and delta counts differ";
        }
        for (const unsigned long anchor : model.anchorIdx[c]) {
            if (anchor >= model.numParts()) {
                return where + "anchor " + std::to_string(anchor) + " is not a landmark";
            }
        }
        for (std::size_t t = 0; t < model.forests[c].size(); ++t) {
            const dlib::impl::regression_tree& tree = model.forests[c][t];
            const std::string treeWhere = where + "tree " + std::to_string(t) + ": ";
            const std::size_t leaves = tree.leaf_values.size();
            if (leaves != tree.splits.size() + 1 || (leaves & (leaves - 1)) != 0) {
                return treeWhere + std::to_string(tree.splits.size()) + " splits and " +
                       std::to_string(leaves) + " leaves do not form a full tree";
            }
            for (const dlib::impl::split_feature& split : tree.splits) {
                if (split.idx1 >= poolSize || split.idx2 >= poolSize) {
                    return treeWhere + "split refers to a missing feature pixel";
                }
            }
            for (const dlib::matrix<float, 0, 1>& leaf : tree.leaf_values) {
                if (leaf.size() != shapeSize) {
                    return treeWhere + "leaf has " + std::to_string(leaf.size()) + " values, " +
                           std::to_string(shapeSize) + " expected";
                }
            }
        }
    }
    return {};
}

dlib::shape_predictor toPredictor(const ShapeModel& model)
{
    std::stringstream buffer;
    writeModel(model, buffer);
    dlib::shape_predictor predictor;
    dlib::deserialize(predictor, buffer);
    return predictor;
}

ShapeModel fromPredictor(const dlib::shape_predictor& predictor)
{
    std::stringstream buffer;
    dlib::serialize(predictor, buffer);
    const unsigned long long size = buffer.str().size();
    ShapeModel model;
    readModel(model, buffer, size);
    return model;
}

std::string checkOrder(const std::vector<unsigned long>& newOrder, unsigned long numParts)
{
    if (newOrder.size() != numParts) {
        return "order has " + std::to_string(newOrder.size()) + " entries for " +
               std::to_string(numParts) + " landmarks";
    }
    std::vector<bool> seen(numParts, false);
    for (const unsigned long old : newOrder) {
        if (old >= numParts) {
            return "order names landmark " + std::to_string(old) + " of " +
                   std::to_string(numParts);
        }
        if (seen[old]) {
            return "order names landmark " + std::to_string(old) + " twice";
        }
        seen[old] = true;
    }
    return {};
}

void reorderLandmarks(ShapeModel& model, const std::vector<unsigned long>& newOrder)
{
    if (const std::string problem = checkModel(model); !problem.empty()) {
        throw std::invalid_argument("inconsistent model: " + problem);
    }
    if (const std::string problem = checkOrder(newOrder, model.numParts()); !problem.empty()) {
        throw std::invalid_argument(problem);
    }
    std::vector<unsigned long> oldToNew(newOrder.size());
    for (unsigned long k = 0; k < newOrder.size(); ++k) {
        oldToNew[newOrder[k]] = k;
    }
    moveLandmarks(model.initialShape, newOrder);
    for (std::vector<dlib::impl::regression_tree>& cascade : model.forests) {
        for (dlib::impl::regression_tree& tree : cascade) {
            for (dlib::matrix<float, 0, 1>& leaf : tree.leaf_values) {
                moveLandmarks(leaf, newOrder);
            }
        }
    }
    // A feature pixel keeps its offset (delta) from the same physical landmark, now renumbered;
    // splits index the feature pool, whose order is unchanged.
    for (std::vector<unsigned long>& anchors : model.anchorIdx) {
        for (unsigned long& anchor : anchors) {
            anchor = oldToNew[anchor];
        }
    }
}

std::vector<unsigned long> eyeCornersFirstOrder()
{
    std::vector<unsigned long> order = {36, 39, 42, 45};
    for (unsigned long i = 0; i < kIbugPartCount; ++i) {
        if (std::find(order.begin(), order.begin() + 4, i) == order.begin() + 4) {
            order.push_back(i);
        }
    }
    return order;
}

bool loadModelFile(const std::string& path, ShapeModel& model, std::string& error)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) {
        error = "input file " + path + " does not exist";
        return false;
    }
    if (!fs::is_regular_file(status)) {
        error = "input " + path + " is not a regular file";
        return false;
    }
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) {
        error = "cannot read the size of " + path + ": " + ec.message();
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    try {
        readModel(model, in, size);
    } catch (const dlib::serialization_error& e) {
        error = path + " is not a readable dlib shape predictor: " + firstLine(e.info);
        return false;
    } catch (const std::bad_alloc&) {
        error = path + " is not a readable dlib shape predictor: out of memory while reading it";
        return false;
    } catch (const std::exception& e) {
        error = path + " is not a readable dlib shape predictor: " + e.what();
        return false;
    }
    if (const std::string problem = checkModel(model); !problem.empty()) {
        error = path + " is not a consistent dlib shape predictor: " + problem;
        return false;
    }
    return true;
}

bool saveModelFile(const std::string& path, const ShapeModel& model, std::string& error)
{
    namespace fs = std::filesystem;
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out.is_open()) {
            error = "cannot create " + temporary + ": " + std::strerror(errno);
            return false;
        }
        try {
            writeModel(model, out);
        } catch (const std::exception& e) {
            error = "cannot write " + temporary + ": " + e.what();
        }
        out.flush();
        if (error.empty() && !out) {
            error = "cannot write " + temporary + ": " + std::strerror(errno);
        }
    }
    std::error_code ec;
    if (error.empty()) {
        fs::rename(temporary, path, ec);
        if (ec) {
            error = "cannot rename " + temporary + " to " + path + ": " + ec.message();
        }
    }
    if (!error.empty()) {
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

int runTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const char* usage = "usage: winkwell-datadat IN OUT\n"
                        "  Rewrites a 68-point dlib shape predictor (iBUG 300-W order) so that\n"
                        "  the eye corners 36, 39, 42, 45 become landmarks 0-3 and the other 64\n"
                        "  points follow in their old order.\n";
    if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
        out << usage;
        return 0;
    }
    if (args.size() != 2) {
        err << "winkwell-datadat: expected 2 arguments, got " << args.size() << "\n" << usage;
        return 1;
    }
    const std::string& inPath = args[0];
    const std::string& outPath = args[1];
    ShapeModel model;
    std::string error;
    if (!loadModelFile(inPath, model, error)) {
        err << "winkwell-datadat: " << error << "\n";
        return 1;
    }
    if (model.numParts() != kIbugPartCount) {
        err << "winkwell-datadat: " << inPath << " has " << model.numParts()
            << " landmarks; a 68-point model in the iBUG 300-W order is expected\n";
        return 1;
    }
    try {
        reorderLandmarks(model, eyeCornersFirstOrder());
    } catch (const std::exception& e) {
        err << "winkwell-datadat: " << e.what() << "\n";
        return 1;
    }
    if (!saveModelFile(outPath, model, error)) {
        err << "winkwell-datadat: " << error << "\n";
        return 1;
    }
    out << "winkwell-datadat: wrote " << outPath << " (" << model.numParts()
        << " landmarks, eye corners first)\n";
    return 0;
}

} // namespace winkwell::datadat
