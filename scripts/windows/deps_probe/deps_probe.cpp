// Uses each Windows library once and prints one line per library ("name: result"), for
// deps_test.sh to compare with the versions the cache was built from:
//   deps_probe <TrueType font>
// Exits 0 when every library worked.
#define SDL_MAIN_HANDLED
#include <AL/al.h>
#include <AL/alc.h>
#include <GL/glew.h>
#include <SDL.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>
#include <vorbis/vorbisfile.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr int kToneRate = 44100;
constexpr int kToneSamples = kToneRate / 4;

bool CheckSdlAndGl() {
  SDL_version v;
  SDL_GetVersion(&v);
  std::printf("SDL: %d.%d.%d\n", v.major, v.minor, v.patch);
  SDL_SetMainReady();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return std::printf("SDL error: %s\n", SDL_GetError()), false;
  SDL_Window* window = SDL_CreateWindow("deps_probe", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
  GLenum glew = context ? glewInit() : GLEW_ERROR_NO_GL_VERSION;
  bool ok = context != nullptr && glew == GLEW_OK;
  std::printf("GLEW: %s%s%s\n", reinterpret_cast<const char*>(glewGetString(GLEW_VERSION)),
              context ? ", " : ", no GL context: ", context ? reinterpret_cast<const char*>(glewGetErrorString(glew)) : SDL_GetError());
  if (ok) {
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char pixel[4] = {};
    glReadPixels(1, 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    std::printf("GL: %s, cleared pixel %d %d %d\n", glGetString(GL_VERSION), pixel[0], pixel[1], pixel[2]);
    ok = pixel[0] == 0 && pixel[1] == 255 && pixel[2] == 0;
  }
  if (context) SDL_GL_DeleteContext(context);
  if (window) SDL_DestroyWindow(window);
  SDL_Quit();
  return ok;
}

// A 2 x 2 picture through libpng (and so zlib) and back.
bool CheckPng() {
  std::printf("zlib: %s\n", zlibVersion());
  const unsigned char pixels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 9, 8, 7, 6};
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = image.height = 2;
  image.format = PNG_FORMAT_RGBA;
  std::vector<unsigned char> file(1024);
  png_alloc_size_t size = file.size();
  if (!png_image_write_to_memory(&image, file.data(), &size, 0, pixels, 0, nullptr)) return false;
  png_image back{};
  back.version = PNG_IMAGE_VERSION;
  unsigned char read[16] = {};
  bool ok = png_image_begin_read_from_memory(&back, file.data(), size) &&
            (back.format = PNG_FORMAT_RGBA, png_image_finish_read(&back, nullptr, read, 0, nullptr)) &&
            std::memcmp(read, pixels, sizeof pixels) == 0;
  std::printf("libpng: %s, round trip %s\n", png_get_libpng_ver(nullptr), ok ? "ok" : "FAILED");
  return ok;
}

bool CheckFreeType(const char* fontPath) {
  FT_Library library;
  FT_Face face;
  if (FT_Init_FreeType(&library) != 0) return false;
  FT_Int major, minor, patch;
  FT_Library_Version(library, &major, &minor, &patch);
  bool ok = FT_New_Face(library, fontPath, 0, &face) == 0 && FT_Set_Pixel_Sizes(face, 0, 32) == 0 &&
            FT_Load_Char(face, 'A', FT_LOAD_RENDER) == 0 && face->glyph->bitmap.rows > 0;
  std::printf("FreeType: %d.%d.%d, glyph %s\n", major, minor, patch, ok ? "rendered" : "FAILED");
  FT_Done_FreeType(library);
  return ok;
}

bool CheckVorbis() {
  // Reading a stream that is not Ogg must fail cleanly: the decoder and Ogg layer are there.
  const char notOgg[64] = "not an ogg stream";
  FILE* file = std::tmpfile();
  if (!file) return false;
  std::fwrite(notOgg, 1, sizeof notOgg, file);
  std::rewind(file);
  OggVorbis_File vf;
  int result = ov_open(file, &vf, nullptr, 0);
  if (result == 0) ov_clear(&vf); else std::fclose(file);
  std::printf("vorbis: %s, non-Ogg input %s\n", vorbis_version_string(),
              result == OV_ENOTVORBIS ? "refused" : "ACCEPTED");
  return result == OV_ENOTVORBIS;
}

// A quarter second of 440 Hz on the default device; with OpenAL Soft's wave writer
// configured the tone ends up in its file.
bool CheckOpenAl() {
  ALCdevice* device = alcOpenDevice(nullptr);
  if (!device) return std::printf("OpenAL: no device\n"), false;
  ALCcontext* context = alcCreateContext(device, nullptr);
  alcMakeContextCurrent(context);
  std::vector<short> tone(kToneSamples);
  for (int i = 0; i < kToneSamples; ++i) {
    tone[i] = static_cast<short>(12000 * std::sin(2 * 3.14159265 * 440 * i / kToneRate));
  }
  ALuint buffer, source;
  alGenBuffers(1, &buffer);
  alBufferData(buffer, AL_FORMAT_MONO16, tone.data(), kToneSamples * 2, kToneRate);
  alGenSources(1, &source);
  alSourcei(source, AL_BUFFER, buffer);
  alSourcePlay(source);
  ALint state = AL_PLAYING;
  while (state == AL_PLAYING) {
    SDL_Delay(10);
    alGetSourcei(source, AL_SOURCE_STATE, &state);
  }
  bool ok = alGetError() == AL_NO_ERROR;
  std::printf("OpenAL: %s on %s, tone %s\n", alGetString(AL_VERSION),
              alcGetString(device, ALC_DEVICE_SPECIFIER), ok ? "played" : "FAILED");
  alDeleteSources(1, &source);
  alDeleteBuffers(1, &buffer);
  alcMakeContextCurrent(nullptr);
  alcDestroyContext(context);
  alcCloseDevice(device);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return std::printf("usage: deps_probe <font.ttf>\n"), 2;
  bool ok = CheckSdlAndGl();
  ok = CheckPng() && ok;
  ok = CheckFreeType(argv[1]) && ok;
  ok = CheckVorbis() && ok;
  ok = CheckOpenAl() && ok;
  // winpthreads is linked in: a thread must start and join.
  bool threadRan = false;
  std::thread([&] { threadRan = true; }).join();
  std::printf("threads: %s\n", threadRan ? "ok" : "FAILED");
  return ok && threadRan ? 0 : 1;
}
