// Vector3: a point or direction in metres (or any 3-vector quantity) as three
// 32-bit floats, +Y up. A plain 12-byte aggregate, so it can be brace-built
// (`Vector3{1, 2, 3}`) and copied into records the host reads.
#pragma once

#include <cmath>

struct Vector3 {
    float x, y, z;

    // Components by index 0, 1, 2; any other index answers z, which keeps the
    // accessor branch-only instead of reading past the struct.
    float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
    float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

    Vector3& operator+=(const Vector3& o) {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
    Vector3& operator-=(const Vector3& o) {
        x -= o.x;
        y -= o.y;
        z -= o.z;
        return *this;
    }
    Vector3& operator*=(float s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }

    float length() const { return std::sqrt(x * x + y * y + z * z); }

    // Unit vector in the same direction. The zero vector stays zero rather
    // than turning into NaNs that would spread through a whole pose.
    Vector3 normalised() const {
        float len = length();
        if (len == 0.0f) return Vector3{0.0f, 0.0f, 0.0f};
        float inv = 1.0f / len;
        return Vector3{x * inv, y * inv, z * inv};
    }
};

static_assert(sizeof(Vector3) == 12, "Vector3 is three packed floats");

inline Vector3 operator+(const Vector3& a, const Vector3& b) { return Vector3{a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vector3 operator-(const Vector3& a, const Vector3& b) { return Vector3{a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vector3 operator-(const Vector3& a) { return Vector3{-a.x, -a.y, -a.z}; }
inline Vector3 operator*(const Vector3& a, float s) { return Vector3{a.x * s, a.y * s, a.z * s}; }
inline Vector3 operator*(float s, const Vector3& a) { return a * s; }

inline float dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Ordinary component formula; in this system's left-handed drawing frame
// up × forward gives the side (+X) axis.
inline Vector3 cross(const Vector3& a, const Vector3& b) {
    return Vector3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
