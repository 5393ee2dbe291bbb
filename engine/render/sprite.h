// The sprite renderer: one global quad renderer over one small GLSL program,
// the Sprite record every game object embeds, the blend modes and the shader
// program builder. Main thread only; updates change only Sprite fields.
#pragma once

#include <cstdint>

#include "engine/render/texture.h"
#include "engine/render/vector_math.h"

struct Sprite {
  Vec2 pos;
  Vec2 size;
  Color color;
  float uv[4];       // u, v, du, dv
  float spare4[4];   // free for owners
  Bounds bounds;     // last SpriteBounds result
  float angle;       // degrees, clockwise on screen
  float spare2[2];
  float depth;       // 0..1, larger values in front
  float spare3[3];
};

void SpriteInit(Sprite* sprite);
void DrawSprite(const Sprite* sprite, const Texture* texture);
void DrawSpriteTopLeft(const Sprite* sprite, const Texture* texture);
void DrawSpriteBottomLeft(const Sprite* sprite, const Texture* texture);
void DrawSpriteTopRight(const Sprite* sprite, const Texture* texture);
void DrawSpriteBottomRight(const Sprite* sprite, const Texture* texture);
void SpriteBounds(Sprite* sprite, Bounds* out);
void SpriteBoundsWithMargin(Sprite* sprite, Bounds* out, float margin);

// The one global quad renderer. Corners and uvs are in triangle-strip order
// (top-left, top-right, bottom-left, bottom-right); the corners are offsets
// from the translation point, in pixels.
struct SpriteRenderer {
  uint32_t program;
  Vec2 corners[4];
  Vec2 uvs[4];
  float translation[3];  // x, y, depth
  float rotation;        // degrees
  float screen[2];       // width, height of the projection
  Color color;
  uint32_t texture;      // the last BindDrawTexture's picture
  int32_t skip;          // the last BindDrawTexture had no texture: draw nothing
};
extern SpriteRenderer spriteRenderer;

// BlendMode codes: 0 alpha, 1 additive, 2 unchanged, 3 multiply, 4 invert.
constexpr int32_t kBlendAlpha = 0;
constexpr int32_t kBlendAdditive = 1;

int32_t RendererInit();
void RendererRelease();
void SetScreenSize(float width, float height);
void SetDrawPosition(float x, float y, float depth);
void SetQuadCentered(float w, float h);
void SetQuadTopLeft(float w, float h);
void SetQuadBottomLeft(float w, float h);
void SetQuadTopRight(float w, float h);
void SetQuadBottomRight(float w, float h);
void SetQuadCorners(Vec2 topLeft, Vec2 topRight, Vec2 bottomLeft, Vec2 bottomRight, float depth);
void SetDrawUV(float u, float v, float du, float dv);
void SetDrawUVFlipped(float u, float v, float du, float dv);
void SetDrawRotation(float degrees);
void SetDrawColor(float r, float g, float b, float a);
void BindDrawTexture(const Texture* texture);
void DrawQuad();
// Draws the quads DrawQuad keeps back. The main loop calls it when the frame
// is drawn; anything that reads the frame or changes GL state behind the
// renderer's back calls it first.
void FlushQuads();
void ClearScreen();
void SetClearColor(float r, float g, float b, float a);
void SetBlendMode(int32_t mode);
void SetViewport(int32_t x, int32_t y, int32_t w, int32_t h);
void SetLineWidth(float width);
void SetDepthTest(int32_t on);

// Attribute kinds; an entry of kind kAttribEnd ends a table.
constexpr int32_t kAttribFloat2 = 1;
constexpr int32_t kAttribFloat3 = 2;
constexpr int32_t kAttribEnd = 17;
struct AttributeEntry {
  int32_t offset;
  int32_t kind;
  char name[128];
};
using AttributeTable = const AttributeEntry*;

// The sprite program's GLSL sources, exactly as the renderer compiles them.
extern const char kSpriteVertexSource[];
extern const char kSpriteFragmentSource[];

// 0 success, 1 vertex shader, 2 fragment shader, 3 link failed.
int32_t CreateShaderProgram(uint32_t* program, const char* vertexSource,
                            const char* fragmentSource, AttributeTable table);
void DeleteShaderProgram(uint32_t* program);

// The engine's other drawing modules, built at start-up and freed at shutdown;
// the game never draws with them.
int32_t LineProgramInit();
void LineProgramRelease();
int32_t ModelProgramInit();
void ModelProgramRelease();
int32_t TrueTypeInit();
void TrueTypeRelease();
