// RMatrixStack: the stack of world transforms that frame drawing pushes and
// pops. The top is what the device's world transform should be; the bottom
// entry always stays, so popping an empty-looking stack leaves the identity
// (or whatever was loaded) rather than nothing.
#pragma once

#include <vector>

#include "chassis/matrix4.h"

class RMatrixStack {
public:
    RMatrixStack() : entries(1) {}

    // Duplicates the top.
    void push() { entries.push_back(entries.back()); }
    // Drops the top; the last entry is never dropped.
    void pop() {
        if (entries.size() > 1) entries.pop_back();
    }
    void loadIdentity() { entries.back().identity(); }
    void load(const Matrix4& m) { entries.back() = m; }
    // top = m · top: with row vectors m acts first, in the top's local frame.
    void multiplyLocal(const Matrix4& m) { entries.back() = Matrix4::multiply(m, entries.back()); }
    const Matrix4& top() const { return entries.back(); }
    int depth() const { return static_cast<int>(entries.size()); }
    // One identity entry again.
    void reset() { entries.assign(1, Matrix4()); }

private:
    std::vector<Matrix4> entries;
};
