// Our sprite renderer beside two peers on one scene: 250 rotated, tinted,
// alpha-blended 90 x 90 sprites on a 1024 x 576 frame with the depth test on,
// each frame ended by glFinish so the software renderer's fill is counted.
// Contenders: DrawSprite; SFML 2.5's sprites; SDL2's renderer on its OpenGL
// driver; the floor, every quad in one glDrawArrays through a program built
// from the sprite shader sources; and two variants of the floor that take its
// cost apart (a draw per tint; clamped sampling). They take turns frame by
// frame in one run, so other work on the machine falls on all of them alike;
// the medians and our ratios are reported as counters. Needs an X display
// (xvfb-run). The peers are used here only, never by the game.
#include <GL/glew.h>
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <SFML/Graphics.hpp>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/app.h"
#include "engine/render/sprite.h"
#include "engine/render/texture.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 576;
constexpr int kSprites = 250;
constexpr float kSpriteSize = 90.0f;
constexpr int kPicture = 128;

struct SceneSprite {
  float x, y, angle;
  uint8_t r, g, b, a;
};

// A round blob with soft, transparent corners, so blending has work to do.
std::vector<uint8_t> MakePicture() {
  std::vector<uint8_t> rgba(size_t(kPicture) * kPicture * 4);
  for (int y = 0; y < kPicture; ++y) {
    for (int x = 0; x < kPicture; ++x) {
      uint8_t* p = &rgba[(size_t(y) * kPicture + x) * 4];
      float dx = x - kPicture / 2 + 0.5f, dy = y - kPicture / 2 + 0.5f;
      float d = std::sqrt(dx * dx + dy * dy) / (kPicture / 2);
      p[0] = uint8_t(128 + x);
      p[1] = uint8_t(255 - y);
      p[2] = uint8_t((x ^ y) & 0xFF);
      p[3] = uint8_t(d >= 1.0f ? 0 : 255 * (1.0f - d * d * d));
    }
  }
  return rgba;
}

std::vector<SceneSprite> MakeScene() {
  std::vector<SceneSprite> scene(kSprites);
  for (int i = 0; i < kSprites; ++i) {
    scene[i] = SceneSprite{float(45 + (i * 37) % 934), float(45 + (i * 53) % 486),
                           float(i * 7 % 360), 255, uint8_t(128 + (i % 5) * 25), 204,
                           uint8_t(128 + (i % 3) * 63)};
  }
  return scene;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
  return v[v.size() / 2];
}

using Clock = std::chrono::steady_clock;
double MsSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Pixels the frame lit in the current context: a check that every contender
// draws the same scene (and that its depth test lets the sprites through).
long LitPixels() {
  std::vector<uint8_t> rgba(size_t(kWidth) * kHeight * 4);
  glFinish();
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  long lit = 0;
  for (size_t i = 0; i < rgba.size(); i += 4) lit += (rgba[i] | rgba[i + 1] | rgba[i + 2]) != 0;
  return lit;
}

void ClearColourAndDepth() {
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void EnableGameDepthRule() {
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDepthMask(GL_TRUE);
}

// SDL skips a switch to the context it believes current, which SFML's own
// switches bypass; letting go first makes the switch real.
void ForceCurrent(SDL_Window* window, SDL_GLContext context) {
  SDL_GL_MakeCurrent(window, nullptr);
  SDL_GL_MakeCurrent(window, context);
}

// The game's window and renderer, plus the floor drawn in the same context.
struct Ours {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  Texture texture = 0;
  std::vector<Sprite> sprites;
  std::vector<Sprite> depthSprites;  // the same scene over ten depth levels
  std::vector<Sprite> oneTintSprites;  // the same scene in a single tint
  uint32_t floorProgram = 0;
  std::vector<float> floorVertices;  // x, y, u, v per vertex, six per quad

  bool Open(const std::vector<uint8_t>& picture, const std::vector<SceneSprite>& scene) {
    if (CreateAppWindow("TIDE_MARKER peer bench", kWidth, kHeight, kNoTimerThread | kNoVsync) != 0) {
      return false;
    }
    window = SDL_GL_GetCurrentWindow();
    context = SDL_GL_GetCurrentContext();
    SetClearColor(0, 0, 0, 1);
    SetScreenSize(kWidth, kHeight);
    CreateTextureFromPixels(&texture, kPicture, kPicture, kPixelRgba, picture.data());
    for (int i = 0; i < kSprites; ++i) {
      const SceneSprite& s = scene[i];
      Sprite sprite;
      SpriteInit(&sprite);
      sprite.pos = MakeVec2(s.x, s.y);
      sprite.size = MakeVec2(kSpriteSize, kSpriteSize);
      sprite.color = MakeColor(s.r / 255.0f, s.g / 255.0f, s.b / 255.0f, s.a / 255.0f);
      sprite.angle = s.angle;
      sprites.push_back(sprite);
      sprite.depth = (i % 10) / 10.0f;
      depthSprites.push_back(sprite);
      sprite.depth = 0.0f;
      sprite.color = MakeColor(1.0f, 0.8f, 0.8f, 0.75f);
      oneTintSprites.push_back(sprite);
    }
    const AttributeEntry table[] = {{0, kAttribFloat2, "vPos"}, {8, kAttribFloat2, "vTex"}, {0, kAttribEnd, ""}};
    if (CreateShaderProgram(&floorProgram, kSpriteVertexSource, kSpriteFragmentSource, table) != 0) return false;
    BuildFloorVertices(scene);
    return true;
  }

  void BuildFloorVertices(const std::vector<SceneSprite>& scene) {
    const float h = kSpriteSize / 2;
    const float corner[6][4] = {{-h, -h, 0, 0}, {h, -h, 1, 0}, {-h, h, 0, 1},
                                {-h, h, 0, 1}, {h, -h, 1, 0}, {h, h, 1, 1}};
    for (const SceneSprite& s : scene) {
      float c = std::cos(s.angle * 3.14159265f / 180), sn = std::sin(s.angle * 3.14159265f / 180);
      for (const auto& k : corner) {
        floorVertices.insert(floorVertices.end(),
                             {k[0] * c - k[1] * sn + s.x, k[0] * sn + k[1] * c + s.y, k[2], k[3]});
      }
    }
  }

  void MakeCurrent() const { ForceCurrent(window, context); }

  void Draw(const std::vector<Sprite>& which) {
    ClearScreen();
    for (const Sprite& s : which) DrawSprite(&s, &texture);
    FlushQuads();
    glFinish();
  }

  // The sprite path as it was first written, for comparison: per quad the
  // whole matrix R x T x P and the tint go to the program, the corners stay
  // offsets. Drawn with the floor's program (same sources), so the
  // renderer's own notes of its uniforms stay true.
  void DrawPerQuadUniforms() {
    ClearScreen();
    glDisable(GL_CULL_FACE);
    glUseProgram(floorProgram);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glUniform1i(glGetUniformLocation(floorProgram, "mainTex"), 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    const float h = kSpriteSize / 2;
    const float corners[8] = {-h, -h, h, -h, -h, h, h, h};
    const float uvs[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    for (const Sprite& s : sprites) {
      Mat4 m = Mat4Multiply(Mat4Ortho(0, kWidth, kHeight, 0, 0, 1), Mat4Identity());
      m = Mat4Multiply(Mat4Translation(s.pos.x, s.pos.y, s.depth), m);
      m = Mat4Multiply(Mat4RotationZ(s.angle), m);
      glUniformMatrix4fv(glGetUniformLocation(floorProgram, "u_worldViewProjMatrix"), 1, GL_FALSE, m.m);
      glUniform4fv(glGetUniformLocation(floorProgram, "u_color"), 1, &s.color.r);
      glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, corners);
      glEnableVertexAttribArray(0);
      glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 0, uvs);
      glEnableVertexAttribArray(1);
      glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
      glDisableVertexAttribArray(0);
      glDisableVertexAttribArray(1);
    }
    glFinish();
  }

  // The floor's state: cleared frame, the program with the projection as its
  // matrix, the picture, and every quad's vertices as the attributes.
  // Returns the tint's uniform location.
  GLint BeginFloorDraw() {
    ClearScreen();
    Mat4 projection = Mat4Ortho(0, kWidth, kHeight, 0, 0, 1);
    glDisable(GL_CULL_FACE);
    glUseProgram(floorProgram);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glUniformMatrix4fv(glGetUniformLocation(floorProgram, "u_worldViewProjMatrix"), 1, GL_FALSE,
                       projection.m);
    glUniform1i(glGetUniformLocation(floorProgram, "mainTex"), 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 16, floorVertices.data());
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 16, floorVertices.data() + 2);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    return glGetUniformLocation(floorProgram, "u_color");
  }

  void EndFloorDraw() {
    glDisableVertexAttribArray(0);
    glDisableVertexAttribArray(1);
    glFinish();
  }

  // One colour for all: the sprite program takes its tint as a uniform.
  void DrawFloor() {
    glUniform4f(BeginFloorDraw(), 1.0f, 0.8f, 0.8f, 0.75f);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(floorVertices.size() / 4));
    EndFloorDraw();
  }

  // What any renderer pays for a tint that is a uniform of the fragment
  // shader: the floor's vertices, but one draw per quad with its own tint
  // and nothing else changed between draws.
  void DrawFloorTintPerDraw() {
    const GLint color = BeginFloorDraw();
    for (int i = 0; i < kSprites; ++i) {
      glUniform4fv(color, 1, &sprites[i].color.r);
      glDrawArrays(GL_TRIANGLES, i * 6, 6);
    }
    EndFloorDraw();
  }

  // The floor with the texture clamped at its edges, as the peers sample,
  // instead of repeated, as the game's textures are made: the cost of the
  // wrap mode alone.
  void DrawFloorClamped() {
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    DrawFloor();
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  }
};

struct SdlPeer {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_GLContext context = nullptr;
  SDL_Texture* texture = nullptr;
  std::vector<SceneSprite> scene;

  bool Open(const std::vector<uint8_t>& picture, const std::vector<SceneSprite>& sceneIn) {
    scene = sceneIn;
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
    // Naming a driver turns SDL's batching off unless asked for: its best.
    SDL_SetHint(SDL_HINT_RENDER_BATCHING, "1");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "1");
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    window = SDL_CreateWindow("peer SDL", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL);
    if (window == nullptr) return false;
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
    if (renderer == nullptr) return false;
    SDL_RendererInfo info;
    SDL_GetRendererInfo(renderer, &info);
    if (std::string(info.name) != "opengl") return false;
    context = SDL_GL_GetCurrentContext();
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC,
                                kPicture, kPicture);
    SDL_UpdateTexture(texture, nullptr, picture.data(), kPicture * 4);
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    SDL_RenderFlush(renderer);
    EnableGameDepthRule();
    return true;
  }

  void MakeCurrent() const { ForceCurrent(window, context); }

  void Draw() {
    ClearColourAndDepth();
    for (const SceneSprite& s : scene) {
      SDL_SetTextureColorMod(texture, s.r, s.g, s.b);
      SDL_SetTextureAlphaMod(texture, s.a);
      SDL_FRect dst{s.x - kSpriteSize / 2, s.y - kSpriteSize / 2, kSpriteSize, kSpriteSize};
      SDL_RenderCopyExF(renderer, texture, nullptr, &dst, s.angle, nullptr, SDL_FLIP_NONE);
    }
    SDL_RenderFlush(renderer);
    glFinish();
  }

  ~SdlPeer() {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
  }
};

struct SfmlPeer {
  std::unique_ptr<sf::RenderWindow> window;
  sf::Texture texture;
  std::vector<sf::Sprite> sprites;

  bool Open(const std::vector<uint8_t>& picture, const std::vector<SceneSprite>& scene) {
    window = std::make_unique<sf::RenderWindow>(sf::VideoMode(kWidth, kHeight), "peer SFML",
                                                sf::Style::None, sf::ContextSettings(24));
    if (!window->isOpen() || !texture.create(kPicture, kPicture)) return false;
    texture.update(picture.data());
    texture.setSmooth(true);
    for (const SceneSprite& s : scene) {
      sf::Sprite sprite(texture);
      sprite.setOrigin(kPicture / 2.0f, kPicture / 2.0f);
      sprite.setScale(kSpriteSize / kPicture, kSpriteSize / kPicture);
      sprite.setPosition(s.x, s.y);
      sprite.setRotation(s.angle);
      sprite.setColor(sf::Color(s.r, s.g, s.b, s.a));
      sprites.push_back(sprite);
    }
    // SFML sets its GL state at its first draw; the depth rule goes on after.
    window->setActive(true);
    window->draw(sprites[0]);
    EnableGameDepthRule();
    return true;
  }

  // SFML keeps its own note of the current context, which the SDL switches
  // bypass: letting go first makes the activation real.
  void MakeCurrent() const {
    window->setActive(false);
    window->setActive(true);
  }

  void Draw() {
    ClearColourAndDepth();
    for (const sf::Sprite& sprite : sprites) window->draw(sprite);
    glFinish();
  }
};

void BM_PeerFrames(benchmark::State& state) {
  const std::vector<uint8_t> picture = MakePicture();
  const std::vector<SceneSprite> scene = MakeScene();
  static Ours ours;
  static bool oursOpen = ours.Open(picture, scene);
  SdlPeer sdl;
  SfmlPeer sfml;
  if (!oursOpen || !sdl.Open(picture, scene) || !sfml.Open(picture, scene)) {
    state.SkipWithError("no GL window or peer renderer (run under xvfb-run)");
    return;
  }

  enum {
    kOurs, kOursPerQuadUniforms, kOursOneTint, kOursDepths, kFloor, kFloorTintPerDraw, kFloorClamped,
    kSdl, kSfml, kContenders
  };
  const char* names[kContenders] = {"ours", "ours_per_quad_uniforms", "ours_one_tint", "ours_ten_depths",
                                    "floor", "floor_tint_per_draw", "floor_clamped", "sdl", "sfml"};
  auto makeCurrent = [&](int who) {
    if (who == kSdl) sdl.MakeCurrent();
    else if (who == kSfml) sfml.MakeCurrent();
    else ours.MakeCurrent();
  };
  auto draw = [&](int who) {
    switch (who) {
      case kOurs: ours.Draw(ours.sprites); break;
      case kOursDepths: ours.Draw(ours.depthSprites); break;
      case kOursOneTint: ours.Draw(ours.oneTintSprites); break;
      case kOursPerQuadUniforms: ours.DrawPerQuadUniforms(); break;
      case kFloor: ours.DrawFloor(); break;
      case kFloorTintPerDraw: ours.DrawFloorTintPerDraw(); break;
      case kFloorClamped: ours.DrawFloorClamped(); break;
      case kSdl: sdl.Draw(); break;
      case kSfml: sfml.Draw(); break;
    }
  };

  // One checked frame each: the same scene lights about the same pixels.
  for (int who = 0; who < kContenders; ++who) {
    makeCurrent(who);
    draw(who);
    GLboolean depthOn = glIsEnabled(GL_DEPTH_TEST);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    std::fprintf(stderr, "%-22s lit pixels %ld, depth test %s, depth bits %d\n", names[who],
                 LitPixels(), depthOn ? "on" : "OFF", depthBits);
  }

  std::vector<double> ms[kContenders];
  int turn = 0;
  for (auto _ : state) {
    // The order rotates so that no contender always follows the same one.
    for (int k = 0; k < kContenders; ++k) {
      int who = (turn + k) % kContenders;
      makeCurrent(who);
      glFinish();
      Clock::time_point t0 = Clock::now();
      draw(who);
      ms[who].push_back(MsSince(t0));
    }
    ++turn;
  }
  ours.MakeCurrent();

  double median[kContenders];
  for (int who = 0; who < kContenders; ++who) {
    median[who] = Median(ms[who]);
    state.counters[std::string(names[who]) + "_ms"] = median[who];
  }
  double bestPeer = std::min(median[kSdl], median[kSfml]);
  state.counters["ours_per_best_peer"] = median[kOurs] / bestPeer;
  state.counters["ours_per_floor"] = median[kOurs] / median[kFloor];
  state.counters["ours_per_tint_per_draw_floor"] = median[kOurs] / median[kFloorTintPerDraw];
}
BENCHMARK(BM_PeerFrames)->Iterations(200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
