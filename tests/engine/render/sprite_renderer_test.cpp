// Exercises the sprite renderer directly in the real frame: blend modes,
// drawing skipped after a null texture, a zero handle drawing black, the
// renderer's start and release, and the shader builder's stage results.
#include <gtest/gtest.h>

#include <string>

#include "engine/render/sprite.h"
#include "render_test_scene.h"

namespace {

void DrawSquare(float x, float y, float size, Color tint, const Texture* texture) {
  SetDrawColor(tint.r, tint.g, tint.b, tint.a);
  SetDrawUV(0, 0, 1, 1);
  SetQuadTopLeft(size, size);
  SetDrawRotation(0);
  SetDrawPosition(x, y, 0);
  BindDrawTexture(texture);
  DrawQuad();
}

TEST(SpriteRenderer, BlendModesCombineAsTheirTable) {
  struct Case {
    const char* name;
    int32_t previousMode;
    int32_t mode;
    Color background;
    Color source;
    int passes;
    Color4 expected;
  } cases[] = {
      {"alpha replaces opaque", 1, 0, {0, 0, 0, 1}, {0.4f, 0.4f, 0.4f, 1}, 2, {102, 102, 102, 255}},
      {"additive brightens", 0, 1, {0, 0, 0, 1}, {0.4f, 0.4f, 0.4f, 1}, 2, {204, 204, 204, 255}},
      {"additive weighs by alpha", 0, 1, {0, 0, 0, 1}, {1, 1, 1, 0.25f}, 2, {128, 128, 128, 255}},
      {"2 keeps additive", 1, 2, {0, 0, 0, 1}, {0.4f, 0.4f, 0.4f, 1}, 2, {204, 204, 204, 255}},
      {"2 keeps alpha", 0, 2, {0, 0, 0, 1}, {0.4f, 0.4f, 0.4f, 1}, 2, {102, 102, 102, 255}},
      {"multiply", 0, 3, {0.5f, 0.5f, 1, 1}, {0.5f, 1, 0, 1}, 1, {64, 128, 0, 255}},
      {"invert", 0, 4, {0.25f, 0.5f, 0.75f, 1}, {1, 1, 1, 1}, 1, {191, 128, 64, 255}},
      {"unknown code is alpha", 1, 9, {0, 0, 0, 1}, {1, 1, 1, 0.5f}, 1, {128, 128, 128, 255}},
  };
  Texture white = SolidTexture(255, 255, 255, 255);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BeginTestFrame(c.background.r, c.background.g, c.background.b);
    SetBlendMode(c.previousMode);
    SetBlendMode(c.mode);
    for (int i = 0; i < c.passes; ++i) DrawSquare(100, 100, 50, c.source, &white);
    Color4 got = PixelAt(120, 120);
    EXPECT_NEAR(got.r, c.expected.r, 2);
    EXPECT_NEAR(got.g, c.expected.g, 2);
    EXPECT_NEAR(got.b, c.expected.b, 2);
    SetBlendMode(kBlendAlpha);
  }
  DeleteTexture(&white);
}

TEST(SpriteRenderer, NullTextureSkipsAndZeroHandleDrawsBlack) {
  Texture white = SolidTexture(255, 255, 255, 255);
  BeginTestFrame();
  DrawSquare(100, 100, 50, {1, 1, 1, 1}, nullptr);
  EXPECT_EQ(spriteRenderer.skip, 1);
  // A direct DrawQuad after the null bind still draws nothing.
  DrawQuad();
  EXPECT_EQ(FindPixels(ReadFramePixels(), IsLit).count, 0);
  // The next real texture re-enables drawing.
  DrawSquare(100, 100, 50, {1, 1, 1, 1}, &white);
  EXPECT_EQ(FindPixels(ReadFramePixels(), IsLit).count, 2500);

  // A handle of 0 (after DeleteTexture) draws with no image: opaque black.
  BeginTestFrame(1, 1, 1);
  Texture deleted = SolidTexture(255, 0, 0, 255);
  DeleteTexture(&deleted);
  EXPECT_EQ(deleted, 0u);
  DrawSquare(100, 100, 50, {1, 1, 1, 1}, &deleted);
  EXPECT_EQ(PixelAt(120, 120), (Color4{0, 0, 0, 255}));
  EXPECT_EQ(PixelAt(200, 200), (Color4{255, 255, 255, 255}));
  DeleteTexture(&white);
}

// Quads are drawn in runs; whatever the runs, each quad must land in its
// order, with its own colour, and with the picture it had when it was drawn.
TEST(SpriteRenderer, QuadsKeepTheirOrderTintAndPicture) {
  Texture white = SolidTexture(255, 255, 255, 255);
  Texture red = SolidTexture(255, 0, 0, 255);
  BeginTestFrame();
  DrawSquare(100, 100, 50, {1, 1, 1, 1}, &white);
  DrawSquare(125, 100, 50, {1, 1, 1, 1}, &red);
  DrawSquare(150, 100, 50, {0, 1, 0, 1}, &white);
  for (int i = 0; i < 300; ++i) DrawSquare(float(i % 100), 300, 1, {1, 1, 1, 1}, &red);
  DrawSquare(400, 100, 50, {1, 1, 1, 1}, &white);
  const uint8_t blue[4] = {0, 0, 255, 255};
  EXPECT_EQ(UpdateTexture(&white, 0, 0, 1, 1, kPixelRgba, blue), 0);
  DrawSquare(300, 100, 50, {1, 1, 1, 1}, &white);
  EXPECT_EQ(PixelAt(110, 120), (Color4{255, 255, 255, 255}));
  EXPECT_EQ(PixelAt(140, 120), (Color4{255, 0, 0, 255}));
  EXPECT_EQ(PixelAt(160, 120), (Color4{0, 255, 0, 255}));
  EXPECT_EQ(PixelAt(320, 120), (Color4{0, 0, 255, 255}));
  EXPECT_EQ(PixelAt(420, 120), (Color4{255, 255, 255, 255}));
  EXPECT_EQ(FindPixels(ReadFramePixels(), [](const uint8_t* p) { return p[0] == 255 && p[1] == 0; }).count,
            25 * 50 + 100);
  DeleteTexture(&white);
  DeleteTexture(&red);
}

TEST(SpriteRenderer, ReleaseZeroesAndInitRestoresDefaults) {
  EnsureGlWindow();
  RendererRelease();
  EXPECT_EQ(spriteRenderer.program, 0u);
  EXPECT_EQ(spriteRenderer.corners[3].x, 0.0f);
  EXPECT_EQ(spriteRenderer.uvs[3].y, 0.0f);
  EXPECT_EQ(spriteRenderer.translation[2], 0.0f);

  SetDrawRotation(45);
  SetDrawColor(0, 0, 0, 0);
  BindDrawTexture(nullptr);
  ASSERT_EQ(RendererInit(), 0);
  EXPECT_NE(spriteRenderer.program, 0u);
  EXPECT_EQ(spriteRenderer.screen[0], 640.0f);
  EXPECT_EQ(spriteRenderer.screen[1], 480.0f);
  EXPECT_EQ(spriteRenderer.translation[2], 0.5f);
  EXPECT_EQ(spriteRenderer.rotation, 0.0f);
  EXPECT_EQ(spriteRenderer.corners[0].x, -50.0f);
  EXPECT_EQ(spriteRenderer.corners[3].y, 50.0f);
  EXPECT_EQ(spriteRenderer.uvs[1].x, 1.0f);
  EXPECT_EQ(spriteRenderer.uvs[2].y, 1.0f);
  EXPECT_EQ(spriteRenderer.color.a, 1.0f);
  EXPECT_EQ(spriteRenderer.skip, 0);

  // The rebuilt program draws (its uniforms are looked up afresh).
  Texture white = SolidTexture(255, 255, 255, 255);
  BeginTestFrame();
  DrawSquare(10, 10, 20, {0, 1, 0, 1}, &white);
  EXPECT_EQ(PixelAt(15, 15), (Color4{0, 255, 0, 255}));
  DeleteTexture(&white);
}

TEST(SpriteRenderer, ShaderBuilderReportsTheFailingStage) {
  EnsureGlWindow();
  const char* goodVertex =
      "attribute vec2 vPos;\nattribute vec2 vTex;\nvarying vec2 t;\n"
      "void main(void)\n{\n\tt = vTex;\n\tgl_Position = vec4(vPos,0.0,1.0);\n}\n";
  const char* goodFragment = "varying vec2 t;\nvoid main(void)\n{\n\tgl_FragColor = vec4(t,0.0,1.0);\n}\n";
  const char* unlinkableFragment =
      "varying vec3 missing;\nvoid main(void)\n{\n\tgl_FragColor = vec4(missing,1.0);\n}\n";
  const AttributeEntry table[] = {{0, kAttribFloat2, "vTex"}, {8, kAttribFloat2, "vPos"}, {0, kAttribEnd, ""}};
  // A failure also writes one line to standard error: the stage, then the
  // driver's own log (Mesa's says "error: ...").
  struct Case {
    const char* name;
    const char* vertex;
    const char* fragment;
    int32_t result;
    const char* line;
  } cases[] = {
      {"both good", goodVertex, goodFragment, 0, ""},
      {"vertex broken", "void main(void) { gl_Position = ; }\n", goodFragment, 1,
       "shader program: the vertex shader does not compile: "},
      {"fragment broken", goodVertex, "void main(void) { gl_FragColor = vec4(; }\n", 2,
       "shader program: the fragment shader does not compile: "},
      {"varying missing at link", goodVertex, unlinkableFragment, 3, "shader program: does not link: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    uint32_t program = 0;
    testing::internal::CaptureStderr();
    EXPECT_EQ(CreateShaderProgram(&program, c.vertex, c.fragment, table), c.result);
    std::string said = testing::internal::GetCapturedStderr();
    if (c.result == 0) {
      EXPECT_EQ(said, "");
    } else {
      EXPECT_EQ(said.rfind(c.line, 0), 0u) << said;
      EXPECT_NE(said.find("error"), std::string::npos) << said;
      EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line: " << said;
    }
    if (c.result == 0) {
      // Entry i of the table is bound to attribute index i.
      EXPECT_EQ(glGetAttribLocation(program, "vTex"), 0);
      EXPECT_EQ(glGetAttribLocation(program, "vPos"), 1);
    }
    if (c.result < 3) {
      EXPECT_EQ(program == 0, c.result != 0);
    }
    DeleteShaderProgram(&program);
    EXPECT_EQ(program, 0u);
  }
  // The engine's other programs build from their fixed sources (start-up
  // built them already; a second start replaces them).
  LineProgramRelease();
  ModelProgramRelease();
  EXPECT_EQ(LineProgramInit(), 0);
  EXPECT_EQ(ModelProgramInit(), 0);
  EXPECT_EQ(LineProgramInit(), 0);
  TrueTypeRelease();
  EXPECT_EQ(TrueTypeInit(), 0);
}

}  // namespace
