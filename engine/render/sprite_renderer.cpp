// The global sprite renderer: its state setters, DrawQuad (one textured,
// tinted quad per call), the screen clear, blend modes and the small GL state
// wrappers. Main thread only.
//
// DrawQuad places the corners on the CPU (rotation and translation) and keeps
// only the projection and the depth in the matrix uniform, so the matrix
// changes only with the depth; a uniform whose value is unchanged is not sent
// again. On a software GL each uniform change costs far more than the few
// multiplications moved to the CPU.
//
// Quads are not drawn one by one: a run of quads with the same texture,
// colour, depth and projection waits in one vertex array and goes to GL as
// one draw when a quad that differs comes, when GL state changes through this
// file or the texture calls, or when the frame ends (FlushQuads). In a
// browser every GL call crosses into the GPU process: a round's frame of
// about 56 quads is about 20 draws, not 56, and a third of the calls.
#include "engine/render/gl_api.h"

#include "engine/app/app.h"
#include "engine/render/sprite.h"

SpriteRenderer spriteRenderer;

const char kSpriteVertexSource[] =
    "attribute vec2 vPos;\n"
    "attribute vec2 vTex;\n"
    "uniform mat4 u_worldViewProjMatrix;\n"
    "varying vec2 texCoord;\n"
    "void main(void)\n"
    "{\n"
    "\ttexCoord = vTex;\n"
    "\tgl_Position = u_worldViewProjMatrix * vec4(vPos,0.0,1.0);\n"
    "}\n";

const char kSpriteFragmentSource[] =
    "#ifdef GL_ES\n"
    "precision mediump float;\n"
    "#endif\n"
    "uniform sampler2D mainTex;\n"
    "uniform vec4 u_color;\n"
    "varying vec2 texCoord;\n"
    "void main (void)\n"
    "{\n"
    "    gl_FragColor = texture2D(mainTex, texCoord) * u_color;\n"
    "}\n";

namespace {

const AttributeEntry kSpriteAttributes[] = {
    {0, kAttribFloat2, "vPos"},
    {8, kAttribFloat2, "vTex"},
    {0, kAttribEnd, ""},
};

// Uniform locations are constant for a linked program, so they are looked up
// once per program name rather than on every quad. The values last sent are
// kept too: nothing but this file sets the sprite program's uniforms.
struct UniformCache {
  GLuint program;
  GLint matrix;
  GLint color;
  GLint sampler;
  bool samplerSet;  // mainTex already points at unit 0 in this program
  bool matrixSet;   // the matrix below is in the program
  float matrixScreen[2];
  float matrixDepth;
  bool colorSet;    // the colour below is in the program
  Color colorValue;
};
const UniformCache kNoUniforms{0, -1, -1, -1, false, false, {0, 0}, 0, false, {0, 0, 0, 0}};
UniformCache uniformCache = kNoUniforms;

// The quads waiting to be drawn, all with the same texture, colour, depth and
// projection: corner positions on the virtual screen and their texture
// coordinates, interleaved (x, y, u, v) so one array feeds both attributes,
// two triangles a quad (split along the same diagonal as a triangle strip).
constexpr int32_t kBatchQuads = 256;
constexpr int32_t kQuadVertices = 6;
struct QuadBatch {
  GLuint texture;
  Color color;
  float depth;
  float screen[2];
  int32_t quads;
  float vertices[kBatchQuads * kQuadVertices][4];
};
QuadBatch batch{};

// The array buffer the batches are uploaded into, made by RendererInit.
GLuint batchBuffer = 0;

GLbitfield clearMask = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT;

UniformCache& Uniforms() {
  GLuint program = spriteRenderer.program;
  if (uniformCache.program != program) {
    uniformCache = kNoUniforms;
    uniformCache.program = program;
    uniformCache.matrix = glGetUniformLocation(program, "u_worldViewProjMatrix");
    uniformCache.color = glGetUniformLocation(program, "u_color");
    uniformCache.sampler = glGetUniformLocation(program, "mainTex");
  }
  return uniformCache;
}

void SetCorners(Vec2 a, Vec2 b, Vec2 c, Vec2 d) {
  spriteRenderer.corners[0] = a;
  spriteRenderer.corners[1] = b;
  spriteRenderer.corners[2] = c;
  spriteRenderer.corners[3] = d;
}

void ZeroGeometry() {
  SetCorners(Vec2{0, 0}, Vec2{0, 0}, Vec2{0, 0}, Vec2{0, 0});
  for (Vec2& uv : spriteRenderer.uvs) uv = Vec2{0.0f, 0.0f};
  spriteRenderer.translation[0] = spriteRenderer.translation[1] = 0.0f;
  spriteRenderer.translation[2] = 0.0f;
  spriteRenderer.rotation = 0.0f;
}

}  // namespace

int32_t RendererInit() {
  ZeroGeometry();
  spriteRenderer.program = 0;
  spriteRenderer.texture = 0;
  uniformCache = kNoUniforms;
  batch.quads = 0;
  if (batchBuffer == 0) glGenBuffers(1, &batchBuffer);
  if (CreateShaderProgram(&spriteRenderer.program, kSpriteVertexSource, kSpriteFragmentSource,
                          kSpriteAttributes) != 0) {
    return 1;
  }
  SetScreenSize(640.0f, 480.0f);
  SetDrawUV(0.0f, 0.0f, 1.0f, 1.0f);
  SetDrawPosition(0.0f, 0.0f, 0.5f);
  SetQuadCentered(100.0f, 100.0f);
  SetDrawColor(1.0f, 1.0f, 1.0f, 1.0f);
  spriteRenderer.skip = 0;
  return 0;
}

void RendererRelease() {
  // What was not drawn by now never will be.
  batch.quads = 0;
  if (batchBuffer != 0) glDeleteBuffers(1, &batchBuffer);
  batchBuffer = 0;
  DeleteShaderProgram(&spriteRenderer.program);
  ZeroGeometry();
  spriteRenderer.program = 0;
  uniformCache = kNoUniforms;
}

void SetScreenSize(float width, float height) {
  spriteRenderer.screen[0] = width;
  spriteRenderer.screen[1] = height;
}

void SetDrawPosition(float x, float y, float depth) {
  spriteRenderer.translation[0] = x;
  spriteRenderer.translation[1] = y;
  spriteRenderer.translation[2] = depth;
}

void SetQuadCentered(float w, float h) {
  float hw = w / 2.0f;
  float hh = h / 2.0f;
  SetCorners(Vec2{-hw, -hh}, Vec2{hw, -hh}, Vec2{-hw, hh}, Vec2{hw, hh});
}

void SetQuadTopLeft(float w, float h) {
  SetCorners(Vec2{0.0f, 0.0f}, Vec2{w, 0.0f}, Vec2{0.0f, h}, Vec2{w, h});
}

void SetQuadBottomLeft(float w, float h) {
  SetCorners(Vec2{0.0f, -h}, Vec2{w, -h}, Vec2{0.0f, 0.0f}, Vec2{w, 0.0f});
}

void SetQuadTopRight(float w, float h) {
  SetCorners(Vec2{-w, 0.0f}, Vec2{0.0f, 0.0f}, Vec2{-w, h}, Vec2{0.0f, h});
}

void SetQuadBottomRight(float w, float h) {
  SetCorners(Vec2{-w, -h}, Vec2{0.0f, -h}, Vec2{-w, 0.0f}, Vec2{0.0f, 0.0f});
}

void SetQuadCorners(Vec2 topLeft, Vec2 topRight, Vec2 bottomLeft, Vec2 bottomRight, float depth) {
  SetCorners(topLeft, topRight, bottomLeft, bottomRight);
  SetDrawPosition(0.0f, 0.0f, depth);
  spriteRenderer.rotation = 0.0f;
}

void SetDrawUV(float u, float v, float du, float dv) {
  spriteRenderer.uvs[0] = Vec2{u, v};
  spriteRenderer.uvs[1] = Vec2{u + du, v};
  spriteRenderer.uvs[2] = Vec2{u, v + dv};
  spriteRenderer.uvs[3] = Vec2{u + du, v + dv};
}

void SetDrawUVFlipped(float u, float v, float du, float dv) {
  spriteRenderer.uvs[0] = Vec2{u, v + dv};
  spriteRenderer.uvs[1] = Vec2{u + du, v + dv};
  spriteRenderer.uvs[2] = Vec2{u, v};
  spriteRenderer.uvs[3] = Vec2{u + du, v};
}

void SetDrawRotation(float degrees) { spriteRenderer.rotation = degrees; }

void SetDrawColor(float r, float g, float b, float a) { spriteRenderer.color = Color{r, g, b, a}; }

// Only names the texture: the quad's batch binds it when it is drawn.
void BindDrawTexture(const Texture* texture) {
  if (texture == nullptr) {
    spriteRenderer.skip = 1;
    return;
  }
  spriteRenderer.skip = 0;
  spriteRenderer.texture = *texture;
}

namespace {

bool SameColor(const Color& a, const Color& b) {
  return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

// Sends the matrix and the colour the batch needs, where the program does not
// hold them already. The sprite program is in use.
void SendBatchUniforms() {
  UniformCache& uniforms = Uniforms();
  if (!uniforms.samplerSet) {
    // Nothing else changes mainTex: re-setting it makes the driver
    // revalidate texture state on every draw.
    glUniform1i(uniforms.sampler, 0);
    uniforms.samplerSet = true;
  }
  const float width = batch.screen[0];
  const float height = batch.screen[1];
  if (!uniforms.matrixSet || uniforms.matrixDepth != batch.depth ||
      uniforms.matrixScreen[0] != width || uniforms.matrixScreen[1] != height) {
    Mat4 m = Mat4Multiply(Mat4Ortho(0.0f, width, height, 0.0f, 0.0f, 1.0f), Mat4Identity());
    m = Mat4Multiply(Mat4Translation(0.0f, 0.0f, batch.depth), m);
    glUniformMatrix4fv(uniforms.matrix, 1, GL_FALSE, m.m);
    uniforms.matrixSet = true;
    uniforms.matrixDepth = batch.depth;
    uniforms.matrixScreen[0] = width;
    uniforms.matrixScreen[1] = height;
  }
  if (!uniforms.colorSet || !SameColor(uniforms.colorValue, batch.color)) {
    glUniform4fv(uniforms.color, 1, &batch.color.r);
    uniforms.colorSet = true;
    uniforms.colorValue = batch.color;
  }
}

// Whether the next quad, at this depth, can be drawn in the waiting run.
bool JoinsBatch(float depth) {
  if (batch.quads == 0) return true;
  return batch.quads < kBatchQuads && batch.texture == spriteRenderer.texture &&
         batch.depth == depth && SameColor(batch.color, spriteRenderer.color) &&
         batch.screen[0] == spriteRenderer.screen[0] && batch.screen[1] == spriteRenderer.screen[1];
}

}  // namespace

void FlushQuads() {
  if (batch.quads == 0) return;
  const int32_t vertexCount = batch.quads * kQuadVertices;
  batch.quads = 0;
  if (spriteRenderer.program == 0 || batchBuffer == 0) return;
  // Start-up leaves back-face culling on; a rotated or mirrored quad must
  // never be culled.
  glDisable(GL_CULL_FACE);
  glUseProgram(spriteRenderer.program);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, batch.texture);
  SendBatchUniforms();
  glBindBuffer(GL_ARRAY_BUFFER, batchBuffer);
  // A new store for every batch: the driver need not wait for the draw that
  // still reads the last one.
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexCount * sizeof batch.vertices[0]),
               batch.vertices, GL_STREAM_DRAW);
  const GLsizei stride = sizeof batch.vertices[0];
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, nullptr);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void*>(2 * sizeof(float)));
  glEnableVertexAttribArray(1);
  glDrawArrays(GL_TRIANGLES, 0, vertexCount);
  glDisableVertexAttribArray(0);
  glDisableVertexAttribArray(1);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
}

// The whole transform is M = R x T x P with row vectors: each corner is
// rotated about the origin, moved to (x, y, depth), then projected onto the
// virtual screen (y down). The rotation and the x, y move are done here on
// the CPU; the program gets Tz x P, the depth move and the projection, which
// stay the same from quad to quad as long as the depth does.
void DrawQuad() {
  if (spriteRenderer.skip) return;
  const float x = spriteRenderer.translation[0];
  const float y = spriteRenderer.translation[1];
  const float depth = spriteRenderer.translation[2];
  if (!JoinsBatch(depth)) FlushQuads();
  batch.texture = spriteRenderer.texture;
  batch.depth = depth;
  batch.color = spriteRenderer.color;
  batch.screen[0] = spriteRenderer.screen[0];
  batch.screen[1] = spriteRenderer.screen[1];

  float corners[4][4];
  if (spriteRenderer.rotation != 0.0f) {
    Mat4 r = Mat4RotationZ(spriteRenderer.rotation);
    const float c = r.m[0], s = r.m[1];
    for (int i = 0; i < 4; ++i) {
      const Vec2 corner = spriteRenderer.corners[i];
      corners[i][0] = corner.x * c - corner.y * s + x;
      corners[i][1] = corner.x * s + corner.y * c + y;
    }
  } else {
    for (int i = 0; i < 4; ++i) {
      corners[i][0] = spriteRenderer.corners[i].x + x;
      corners[i][1] = spriteRenderer.corners[i].y + y;
    }
  }
  for (int i = 0; i < 4; ++i) {
    corners[i][2] = spriteRenderer.uvs[i].x;
    corners[i][3] = spriteRenderer.uvs[i].y;
  }
  // The strip's triangles (0, 1, 2) and (2, 1, 3).
  static constexpr int kStripOrder[kQuadVertices] = {0, 1, 2, 2, 1, 3};
  float(*out)[4] = &batch.vertices[batch.quads * kQuadVertices];
  for (int i = 0; i < kQuadVertices; ++i) {
    for (int k = 0; k < 4; ++k) out[i][k] = corners[kStripOrder[i]][k];
  }
  ++batch.quads;
}

// Headless there is no context: the state setters below make no GL call.
void ClearScreen() {
  FlushQuads();
  if (IsHeadless()) return;
  glClear(clearMask);
}

void SetClearColor(float r, float g, float b, float a) {
  if (IsHeadless()) return;
  glClearColor(r, g, b, a);
  clearMask = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT;
}

void SetBlendMode(int32_t mode) {
  FlushQuads();
  if (IsHeadless()) return;
  switch (mode) {
    case 1: glBlendFunc(GL_SRC_ALPHA, GL_ONE); break;
    case 2: break;
    case 3: glBlendFunc(GL_ZERO, GL_SRC_COLOR); break;
    case 4: glBlendFunc(GL_ONE_MINUS_DST_COLOR, GL_ZERO); break;
    default: glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA); break;
  }
}

void SetViewport(int32_t x, int32_t y, int32_t w, int32_t h) {
  FlushQuads();
  if (IsHeadless()) return;
  if (w == 0) w = GetClientWidth();
  if (h == 0) h = GetClientHeight();
  glViewport(x, y, w, h);
}

void SetLineWidth(float width) {
  FlushQuads();
  if (IsHeadless()) return;
  glLineWidth(width);
}

void SetDepthTest(int32_t on) {
  FlushQuads();
  if (IsHeadless()) return;
  if (on == 1) {
    glEnable(GL_DEPTH_TEST);
  } else {
    glDisable(GL_DEPTH_TEST);
  }
}
