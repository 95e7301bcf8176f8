#include "graphics/spline_reader.h"

#include <cstdio>

#include "graphics/keyword_scanner.h"
#include "graphics/problem_cap.h"
#include "system/system.h"

void RSplineReader::problem(const std::string& message) {
    if (countFileProblem(problems, problemCount, message) && !quiet) printf("RSplineReader : %s\n", message.c_str());
}

bool RSplineReader::load(const RSystem& system, const std::string& fileName, std::vector<RSpline*>& splines) {
    if (!system.fileExists(fileName)) return false;
    if (!quiet) printf("\nLoading splines: %s\n", fileName.c_str());
    std::string text;
    if (!RKeywordScanner::readFile(fileName, text)) {
        problem("cannot read " + fileName);
        return false;
    }
    read(text, splines);
    return true;
}

void RSplineReader::read(const std::string& text, std::vector<RSpline*>& splines) {
    RKeywordScanner scanner(text);
    std::string keyword;
    RSpline* current = nullptr;
    auto where = [&] { return "line " + std::to_string(scanner.line()) + ": "; };
    while (scanner.nextKeyword(keyword)) {
        if (keyword == "SHAPEOBJECT") {
            current = new RSpline();
            splines.push_back(current);
        } else if (keyword == "NODE_NAME") {
            if (current == nullptr) continue;
            if (!scanner.readName(current->name)) problem(where() + "NODE_NAME without a name");
        } else if (keyword == "SHAPE_VERTEX_KNOT") {
            int index;
            float x, y, z;
            if (!(scanner.readInt(index) && scanner.readFloat(x) && scanner.readFloat(y) && scanner.readFloat(z))) {
                problem(where() + "SHAPE_VERTEX_KNOT needs an index and a position: skipped");
                continue;
            }
            if (current == nullptr) {
                problem(where() + "SHAPE_VERTEX_KNOT outside a SHAPEOBJECT: skipped");
                continue;
            }
            current->knots.push_back(Vector3{x, z, -y});
        }
    }
}
