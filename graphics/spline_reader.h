// RSplineReader: reads the shape objects of a text export (flat keyword
// scan) as splines: each SHAPEOBJECT starts one, NODE_NAME names it and each
// SHAPE_VERTEX_KNOT appends a knot, (x, y, z) stored as (x, z, -y).
#pragma once

#include <string>
#include <vector>

#include "graphics/spline.h"

class RSystem;

class RSplineReader {
public:
    // When the file exists: prints "\nLoading splines: %s\n" and appends its
    // splines to `splines` (owned by the caller). A missing file reads and
    // prints nothing. False when nothing was read.
    bool load(const RSystem& system, const std::string& fileName, std::vector<RSpline*>& splines);
    void read(const std::string& text, std::vector<RSpline*>& splines);

    bool quiet = false;
    // The first kMaxKeptFileProblems knots that could not be read or had no shape (the first
    // kMaxPrintedFileProblems printed), and how many there were in all.
    std::vector<std::string> problems;
    int problemCount = 0;

private:
    void problem(const std::string& message);
};
