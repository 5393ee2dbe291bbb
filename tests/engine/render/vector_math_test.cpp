// Checks the vector and matrix math the sprite renderer and the game rely on:
// the row-vector convention, the ortho projection's depth sign, clockwise
// rotation on the y-down screen and safe normalising.
#include "engine/render/vector_math.h"

#include <gtest/gtest.h>

namespace {

Vec4 Apply(const Mat4& m, float x, float y, float z) {
  return Vec3TransformPoint(MakeVec3(x, y, z), m);
}

void ExpectVec4Near(Vec4 actual, Vec4 expected, float tolerance = 1e-5f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
  EXPECT_NEAR(actual.w, expected.w, tolerance);
}

TEST(VectorMath, NormalizeHandlesZeroAndScales) {
  struct Case {
    Vec2 in;
    Vec2 out;
  } cases[] = {
      {{0.0f, 0.0f}, {0.0f, 0.0f}},
      {{3.0f, 4.0f}, {0.6f, 0.8f}},
      {{-5.0f, 0.0f}, {-1.0f, 0.0f}},
      // Its squared length underflows to 0: zero, never inf or NaN.
      {{0.0f, 1e-30f}, {0.0f, 0.0f}},
  };
  for (const Case& c : cases) {
    Vec2 n = Vec2Normalize(c.in);
    EXPECT_FLOAT_EQ(n.x, c.out.x) << c.in.x << "," << c.in.y;
    EXPECT_FLOAT_EQ(n.y, c.out.y) << c.in.x << "," << c.in.y;
  }
  Vec3 zero3 = Vec3Normalize(MakeVec3(0, 0, 0));
  EXPECT_EQ(zero3.x + zero3.y + zero3.z, 0.0f);
  Vec4 zero4 = Vec4Normalize(MakeVec4(0, 0, 0, 0));
  EXPECT_EQ(zero4.x + zero4.y + zero4.z + zero4.w, 0.0f);
  EXPECT_FLOAT_EQ(Vec4Length(Vec4Normalize(MakeVec4(1, 2, 3, 4))), 1.0f);
}

TEST(VectorMath, CrossAndDotSigns) {
  EXPECT_EQ(Vec2Cross(MakeVec2(1, 0), MakeVec2(0, 1)), 1.0f);
  EXPECT_EQ(Vec2Cross(MakeVec2(0, 1), MakeVec2(1, 0)), -1.0f);
  EXPECT_EQ(Vec2Dot(MakeVec2(2, 3), MakeVec2(-3, 2)), 0.0f);
  Vec3 z = Vec3Cross(MakeVec3(1, 0, 0), MakeVec3(0, 1, 0));
  EXPECT_EQ(z.x, 0.0f);
  EXPECT_EQ(z.y, 0.0f);
  EXPECT_EQ(z.z, 1.0f);
  Vec2 m = Vec2Mul(MakeVec2(2, 3), MakeVec2(4, 5));
  EXPECT_EQ(m.x, 8.0f);
  EXPECT_EQ(m.y, 15.0f);
}

TEST(VectorMath, OrthoMapsScreenCornersWithFlippedDepth) {
  Mat4 p = Mat4Ortho(0, 1024, 576, 0, 0, 1);
  struct Case {
    float x, y, z;
    Vec4 clip;
  } cases[] = {
      {0, 0, 0, {-1, 1, 1, 1}},
      {1024, 576, 1, {1, -1, -1, 1}},
      {512, 288, 0.5f, {0, 0, 0, 1}},
      {256, 144, 0.25f, {-0.5f, 0.5f, 0.5f, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << "," << c.z);
    ExpectVec4Near(Apply(p, c.x, c.y, c.z), c.clip);
  }
}

TEST(VectorMath, RotationZTurnsClockwiseOnScreen) {
  struct Case {
    float degrees;
    Vec4 image;  // of (1, 0, 0)
  } cases[] = {
      {0, {1, 0, 0, 1}},
      {90, {0, 1, 0, 1}},
      {180, {-1, 0, 0, 1}},
      {-90, {0, -1, 0, 1}},
      {450, {0, 1, 0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.degrees);
    ExpectVec4Near(Apply(Mat4RotationZ(c.degrees), 1, 0, 0), c.image);
  }
  ExpectVec4Near(Apply(Mat4RotationX(90), 0, 1, 0), {0, 0, 1, 1});
  ExpectVec4Near(Apply(Mat4RotationY(90), 0, 0, 1), {1, 0, 0, 1});
}

TEST(VectorMath, MultiplyAppliesLeftOperandFirstAndMayAlias) {
  Mat4 t = Mat4Translation(100, 50, 0.25f);
  Mat4 p = Mat4Ortho(0, 1024, 576, 0, 0, 1);
  Mat4 tp = Mat4Multiply(t, p);
  // (0, 0, 0) translated to (100, 50, 0.25) then projected.
  ExpectVec4Near(Apply(tp, 0, 0, 0), Apply(p, 100, 50, 0.25f));
  // The other order projects first, then shifts clip space by 100 units.
  ExpectVec4Near(Apply(Mat4Multiply(p, t), 0, 0, 0), {99, 51, 1.25f, 1});

  Mat4 aliased = t;
  aliased = Mat4Multiply(aliased, p);
  Mat4 aliasedRight = p;
  aliasedRight = Mat4Multiply(t, aliasedRight);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(aliased.m[i], tp.m[i]) << i;
    EXPECT_EQ(aliasedRight.m[i], tp.m[i]) << i;
  }

  // Rotation, translation, projection: the renderer's composition.
  Mat4 rtp = Mat4Multiply(Mat4RotationZ(90), tp);
  ExpectVec4Near(Apply(rtp, 10, 0, 0), Apply(p, 100, 60, 0.25f));
}

TEST(VectorMath, InverseUndoesAndRefusesSingular) {
  // A swap of x and y then a translation: the first pivot is exactly zero,
  // so the inverse must bring up a lower row to proceed.
  Mat4 swapXY = Mat4Identity();
  swapXY.m[0] = swapXY.m[5] = 0.0f;
  swapXY.m[1] = swapXY.m[4] = 1.0f;
  Mat4 m = Mat4Multiply(swapXY, Mat4Translation(3, -2, 1));
  Mat4 inv;
  ASSERT_TRUE(Mat4Inverse(m, &inv));
  Mat4 product = Mat4Multiply(m, inv);
  Mat4 id = Mat4Identity();
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(product.m[i], id.m[i], 1e-5f) << i;

  Mat4 singular = Mat4Scale(1, 0, 1);
  Mat4 untouched = Mat4Translation(9, 9, 9);
  EXPECT_FALSE(Mat4Inverse(singular, &untouched));
  EXPECT_EQ(untouched.m[12], 9.0f);
}

}  // namespace
