#pragma once

#include <dlib/image_processing/shape_predictor.h>
#include <iosfwd>
#include <string>
#include <vector>

namespace winkwell::datadat {

// The members of a dlib::shape_predictor, which dlib keeps private, read and written in exactly
// dlib's serialisation layout so that a reordered model loads as an ordinary shape_predictor.
struct ShapeModel
{
    dlib::matrix<float, 0, 1> initialShape; // x0, y0, x1, y1, ...
    std::vector<std::vector<dlib::impl::regression_tree>> forests;
    std::vector<std::vector<unsigned long>> anchorIdx; // per cascade, per feature-pool pixel
    std::vector<std::vector<dlib::vector<float, 2>>> deltas;

    unsigned long numParts() const { return static_cast<unsigned long>(initialShape.size() / 2); }
};

// Reads a shape predictor. Container sizes are bounded by byteLimit (the input size), so a
// corrupt file ends in dlib::serialization_error instead of a huge allocation.
void readModel(ShapeModel& model, std::istream& in, unsigned long long byteLimit);
void writeModel(const ShapeModel& model, std::ostream& out);

// Empty when the members fit together (sizes, anchors and split indices in range), else why not.
std::string checkModel(const ShapeModel& model);

dlib::shape_predictor toPredictor(const ShapeModel& model);
ShapeModel fromPredictor(const dlib::shape_predictor& predictor);

// newOrder[k] is the old index of the landmark that becomes landmark k. Empty when newOrder is
// a permutation of 0..numParts-1, else why not.
std::string checkOrder(const std::vector<unsigned long>& newOrder, unsigned long numParts);

// Moves the landmarks of a consistent model into newOrder; throws std::invalid_argument when
// newOrder is not a permutation of the model's landmarks. The predictions of the result are
// the old predictions in the new order.
void reorderLandmarks(ShapeModel& model, const std::vector<unsigned long>& newOrder);

// 68-point iBUG 300-W order to the engine's order: eye corners 36, 39, 42, 45 first, then the
// other 64 points in their old order.
std::vector<unsigned long> eyeCornersFirstOrder();
constexpr unsigned long kIbugPartCount = 68;

// Loads and checks a model file; false with a readable message on any failure.
bool loadModelFile(const std::string& path, ShapeModel& model, std::string& error);
// Writes through a temporary file and a rename, so a failed run never leaves a partial OUT.
bool saveModelFile(const std::string& path, const ShapeModel& model, std::string& error);

// The command line: winkwell-datadat IN OUT. Returns the exit code (0 success, 1 failure).
int runTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace winkwell::datadat
