// Value-type math: vectors, colour, hit-test box and the 4 x 4 matrix the
// sprite renderer builds its world-view-projection from. Row vectors: a point
// is transformed as p * M, the translation lives in m12..m14.
#pragma once

struct Vec2 { float x, y; };
struct Vec3 { float x, y, z; };
struct Vec4 { float x, y, z, w; };
struct Color { float r, g, b, a; };
struct Bounds { float top, bottom, left, right; };
struct Mat4 { float m[16]; };

Vec2 MakeVec2(float x, float y);
Vec2 Vec2Add(Vec2 a, Vec2 b);
Vec2 Vec2Sub(Vec2 a, Vec2 b);
Vec2 Vec2Mul(Vec2 a, Vec2 b);
Vec2 Vec2Div(Vec2 a, Vec2 b);
float Vec2Dot(Vec2 a, Vec2 b);
float Vec2Cross(Vec2 a, Vec2 b);
float Vec2Length(Vec2 a);
Vec2 Vec2Normalize(Vec2 a);

Vec3 MakeVec3(float x, float y, float z);
Vec3 Vec3Add(Vec3 a, Vec3 b);
Vec3 Vec3Sub(Vec3 a, Vec3 b);
Vec3 Vec3Mul(Vec3 a, Vec3 b);
Vec3 Vec3Div(Vec3 a, Vec3 b);
float Vec3Dot(Vec3 a, Vec3 b);
Vec3 Vec3Cross(Vec3 a, Vec3 b);
float Vec3Length(Vec3 a);
Vec3 Vec3Normalize(Vec3 a);

Vec4 MakeVec4(float x, float y, float z, float w);
Vec4 Vec4Add(Vec4 a, Vec4 b);
Vec4 Vec4Sub(Vec4 a, Vec4 b);
Vec4 Vec4Mul(Vec4 a, Vec4 b);
Vec4 Vec4Div(Vec4 a, Vec4 b);
float Vec4Dot(Vec4 a, Vec4 b);
float Vec4Length(Vec4 a);
Vec4 Vec4Normalize(Vec4 a);

Color MakeColor(float r, float g, float b, float a);
Bounds MakeBounds(float top, float bottom, float left, float right);

Mat4 Mat4Identity();
Mat4 Mat4Scale(float sx, float sy, float sz);
Mat4 Mat4Translation(float x, float y, float z);
Mat4 Mat4RotationX(float degrees);
Mat4 Mat4RotationY(float degrees);
Mat4 Mat4RotationZ(float degrees);
// Note m14 = +(far + near) / (far - near): depth 0 lands on the far end.
Mat4 Mat4Ortho(float left, float right, float bottom, float top, float nearZ, float farZ);
Mat4 Mat4Multiply(const Mat4& a, const Mat4& b);
Mat4 Mat4Transpose(const Mat4& a);
// Returns false and leaves *out untouched when the matrix is singular.
bool Mat4Inverse(const Mat4& a, Mat4* out);
Vec4 Vec3TransformPoint(Vec3 p, const Mat4& m);
Vec4 Vec4Transform(Vec4 p, const Mat4& m);
