// A small row-major matrix helper for the module tests, written apart from GL so
// the expected transforms do not come from the code under test.
#pragma once
#include <array>
#include <cmath>
#include <numbers>

struct Mat {
  std::array<std::array<double, 4>, 4> m{};

  static Mat Identity() {
    Mat r;
    for (int i = 0; i < 4; ++i) r.m[i][i] = 1.0;
    return r;
  }
  Mat operator*(const Mat& b) const {
    Mat r;
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j)
        for (int k = 0; k < 4; ++k) r.m[i][j] += m[i][k] * b.m[k][j];
    return r;
  }
  // Chain steps: each multiplies on the right, as the GL calls do.
  Mat T(double x, double y, double z) const {
    Mat t = Identity();
    t.m[0][3] = x;
    t.m[1][3] = y;
    t.m[2][3] = z;
    return *this * t;
  }
  Mat S(double x, double y, double z) const {
    Mat s = Identity();
    s.m[0][0] = x;
    s.m[1][1] = y;
    s.m[2][2] = z;
    return *this * s;
  }
  // Right-handed rotation by `degrees` about the axis (x, y, z) (Rodrigues).
  Mat R(double degrees, double x, double y, double z) const {
    const double n = std::sqrt(x * x + y * y + z * z);
    x /= n, y /= n, z /= n;
    const double a = degrees * std::numbers::pi / 180.0, c = std::cos(a), s = std::sin(a), t = 1 - c;
    Mat r = Identity();
    r.m[0][0] = t * x * x + c;
    r.m[0][1] = t * x * y - s * z;
    r.m[0][2] = t * x * z + s * y;
    r.m[1][0] = t * x * y + s * z;
    r.m[1][1] = t * y * y + c;
    r.m[1][2] = t * y * z - s * x;
    r.m[2][0] = t * x * z - s * y;
    r.m[2][1] = t * y * z + s * x;
    r.m[2][2] = t * z * z + c;
    return *this * r;
  }
  Mat Rx(double d) const { return R(d, 1, 0, 0); }
  Mat Ry(double d) const { return R(d, 0, 1, 0); }
  Mat Rz(double d) const { return R(d, 0, 0, 1); }

  double Tx() const { return m[0][3]; }
  double Ty() const { return m[1][3]; }
  double Tz() const { return m[2][3]; }
};

// Length of column c (the scale an object gets along its own axis c).
inline double ColumnLength(const float* gl, int c) {
  return std::sqrt(gl[c * 4] * gl[c * 4] + gl[c * 4 + 1] * gl[c * 4 + 1] +
                   gl[c * 4 + 2] * gl[c * 4 + 2]);
}
