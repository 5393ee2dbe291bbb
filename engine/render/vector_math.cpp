// Value-type vector, colour and matrix math. Matrices are used with row
// vectors (p * M), so a product A x B applies A first, then B. Nothing here
// allocates; every builder is straight-line code because the sprite renderer
// runs several of them per quad.
#include "engine/render/vector_math.h"

#include <cmath>
#include <cstring>

namespace {

// pi / 180 as the nearest single-precision value.
constexpr float kDegreesToRadians = 0.0174532924f;

float SinDegrees(float degrees) {
  return static_cast<float>(std::sin(static_cast<double>(degrees * kDegreesToRadians)));
}

float CosDegrees(float degrees) {
  return static_cast<float>(std::cos(static_cast<double>(degrees * kDegreesToRadians)));
}

Mat4 ZeroMatrix() {
  Mat4 m;
  std::memset(m.m, 0, sizeof m.m);
  return m;
}

}  // namespace

// ---- Vec2 ----------------------------------------------------------------------

Vec2 MakeVec2(float x, float y) { return Vec2{x, y}; }
Vec2 Vec2Add(Vec2 a, Vec2 b) { return Vec2{a.x + b.x, a.y + b.y}; }
Vec2 Vec2Sub(Vec2 a, Vec2 b) { return Vec2{a.x - b.x, a.y - b.y}; }
Vec2 Vec2Mul(Vec2 a, Vec2 b) { return Vec2{a.x * b.x, a.y * b.y}; }
Vec2 Vec2Div(Vec2 a, Vec2 b) { return Vec2{a.x / b.x, a.y / b.y}; }
float Vec2Dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
float Vec2Cross(Vec2 a, Vec2 b) { return a.x * b.y - a.y * b.x; }
float Vec2Length(Vec2 a) { return std::sqrt(a.x * a.x + a.y * a.y); }

// Multiplies by the reciprocal (one division); the zero vector stays zero.
Vec2 Vec2Normalize(Vec2 a) {
  float len = std::sqrt(a.x * a.x + a.y * a.y);
  if (!(len > 0.0f)) return Vec2{0.0f, 0.0f};
  float inv = 1.0f / len;
  return Vec2{a.x * inv, a.y * inv};
}

// ---- Vec3 ----------------------------------------------------------------------

Vec3 MakeVec3(float x, float y, float z) { return Vec3{x, y, z}; }
Vec3 Vec3Add(Vec3 a, Vec3 b) { return Vec3{a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 Vec3Sub(Vec3 a, Vec3 b) { return Vec3{a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Vec3Mul(Vec3 a, Vec3 b) { return Vec3{a.x * b.x, a.y * b.y, a.z * b.z}; }
Vec3 Vec3Div(Vec3 a, Vec3 b) { return Vec3{a.x / b.x, a.y / b.y, a.z / b.z}; }
float Vec3Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec3 Vec3Cross(Vec3 a, Vec3 b) {
  return Vec3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Vec3Length(Vec3 a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }

Vec3 Vec3Normalize(Vec3 a) {
  float len = Vec3Length(a);
  if (!(len > 0.0f)) return Vec3{0.0f, 0.0f, 0.0f};
  float inv = 1.0f / len;
  return Vec3{a.x * inv, a.y * inv, a.z * inv};
}

// ---- Vec4 and Color ------------------------------------------------------------

Vec4 MakeVec4(float x, float y, float z, float w) { return Vec4{x, y, z, w}; }
Vec4 Vec4Add(Vec4 a, Vec4 b) { return Vec4{a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w}; }
Vec4 Vec4Sub(Vec4 a, Vec4 b) { return Vec4{a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w}; }
Vec4 Vec4Mul(Vec4 a, Vec4 b) { return Vec4{a.x * b.x, a.y * b.y, a.z * b.z, a.w * b.w}; }
Vec4 Vec4Div(Vec4 a, Vec4 b) { return Vec4{a.x / b.x, a.y / b.y, a.z / b.z, a.w / b.w}; }
float Vec4Dot(Vec4 a, Vec4 b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }
float Vec4Length(Vec4 a) { return std::sqrt(Vec4Dot(a, a)); }

Vec4 Vec4Normalize(Vec4 a) {
  float len = Vec4Length(a);
  if (!(len > 0.0f)) return Vec4{0.0f, 0.0f, 0.0f, 0.0f};
  float inv = 1.0f / len;
  return Vec4{a.x * inv, a.y * inv, a.z * inv, a.w * inv};
}

Color MakeColor(float r, float g, float b, float a) { return Color{r, g, b, a}; }

Bounds MakeBounds(float top, float bottom, float left, float right) {
  return Bounds{top, bottom, left, right};
}

// ---- Mat4 builders ---------------------------------------------------------------

Mat4 Mat4Identity() {
  Mat4 m = ZeroMatrix();
  m.m[0] = m.m[5] = m.m[10] = m.m[15] = 1.0f;
  return m;
}

Mat4 Mat4Scale(float sx, float sy, float sz) {
  Mat4 m = ZeroMatrix();
  m.m[0] = sx;
  m.m[5] = sy;
  m.m[10] = sz;
  m.m[15] = 1.0f;
  return m;
}

Mat4 Mat4Translation(float x, float y, float z) {
  Mat4 m = Mat4Identity();
  m.m[12] = x;
  m.m[13] = y;
  m.m[14] = z;
  return m;
}

Mat4 Mat4RotationX(float degrees) {
  float c = CosDegrees(degrees);
  float s = SinDegrees(degrees);
  Mat4 m = ZeroMatrix();
  m.m[0] = 1.0f;
  m.m[5] = c;
  m.m[6] = s;
  m.m[9] = -s;
  m.m[10] = c;
  m.m[15] = 1.0f;
  return m;
}

Mat4 Mat4RotationY(float degrees) {
  float c = CosDegrees(degrees);
  float s = SinDegrees(degrees);
  Mat4 m = ZeroMatrix();
  m.m[0] = c;
  m.m[2] = -s;
  m.m[5] = 1.0f;
  m.m[8] = s;
  m.m[10] = c;
  m.m[15] = 1.0f;
  return m;
}

// Positive angles turn clockwise on the y-down screen.
Mat4 Mat4RotationZ(float degrees) {
  float c = CosDegrees(degrees);
  float s = SinDegrees(degrees);
  Mat4 m = ZeroMatrix();
  m.m[0] = c;
  m.m[1] = s;
  m.m[4] = -s;
  m.m[5] = c;
  m.m[10] = 1.0f;
  m.m[15] = 1.0f;
  return m;
}

// m14 is +(far + near) / (far - near), not the usual minus: with near 0 and
// far 1 a depth d lands on clip z = 1 - 2d, so larger depths are in front
// under GL_LEQUAL. The sprite renderer's depth rule depends on this sign.
Mat4 Mat4Ortho(float left, float right, float bottom, float top, float nearZ, float farZ) {
  Mat4 m = ZeroMatrix();
  m.m[0] = 2.0f / (right - left);
  m.m[5] = 2.0f / (top - bottom);
  m.m[10] = -2.0f / (farZ - nearZ);
  m.m[12] = -(right + left) / (right - left);
  m.m[13] = -(top + bottom) / (top - bottom);
  m.m[14] = (farZ + nearZ) / (farZ - nearZ);
  m.m[15] = 1.0f;
  return m;
}

// Computed into a temporary, so the caller may assign the result to either input.
Mat4 Mat4Multiply(const Mat4& a, const Mat4& b) {
  Mat4 r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      r.m[4 * i + j] = a.m[4 * i + 0] * b.m[0 + j] + a.m[4 * i + 1] * b.m[4 + j] +
                       a.m[4 * i + 2] * b.m[8 + j] + a.m[4 * i + 3] * b.m[12 + j];
    }
  }
  return r;
}

Mat4 Mat4Transpose(const Mat4& a) {
  Mat4 r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) r.m[4 * i + j] = a.m[4 * j + i];
  }
  return r;
}

// Gauss-Jordan elimination in double precision on [A | I]. A zero pivot is
// replaced by the first lower row with a non-zero entry in that column.
bool Mat4Inverse(const Mat4& a, Mat4* out) {
  double work[4][8];
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      work[i][j] = a.m[4 * i + j];
      work[i][j + 4] = (i == j) ? 1.0 : 0.0;
    }
  }
  for (int col = 0; col < 4; ++col) {
    if (work[col][col] == 0.0) {
      int swap = -1;
      for (int row = col + 1; row < 4; ++row) {
        if (work[row][col] != 0.0) {
          swap = row;
          break;
        }
      }
      if (swap < 0) return false;
      for (int j = 0; j < 8; ++j) {
        double t = work[col][j];
        work[col][j] = work[swap][j];
        work[swap][j] = t;
      }
    }
    double pivot = work[col][col];
    for (int j = 0; j < 8; ++j) work[col][j] /= pivot;
    for (int row = 0; row < 4; ++row) {
      if (row == col) continue;
      double factor = work[row][col];
      if (factor == 0.0) continue;
      for (int j = 0; j < 8; ++j) work[row][j] -= factor * work[col][j];
    }
  }
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) out->m[4 * i + j] = static_cast<float>(work[i][j + 4]);
  }
  return true;
}

// ---- Points through matrices -------------------------------------------------------

Vec4 Vec3TransformPoint(Vec3 p, const Mat4& m) {
  return Vec4Transform(Vec4{p.x, p.y, p.z, 1.0f}, m);
}

Vec4 Vec4Transform(Vec4 p, const Mat4& m) {
  const float* e = m.m;
  return Vec4{p.x * e[0] + p.y * e[4] + p.z * e[8] + p.w * e[12],
              p.x * e[1] + p.y * e[5] + p.z * e[9] + p.w * e[13],
              p.x * e[2] + p.y * e[6] + p.z * e[10] + p.w * e[14],
              p.x * e[3] + p.y * e[7] + p.z * e[11] + p.w * e[15]};
}
