// Builds GLSL programs from source with an attribute table, and the engine's
// line and model programs, which start-up builds and shutdown deletes (the
// game draws only through the sprite program). Main thread only.
#include "engine/render/gl_api.h"

#include <cstdio>
#include <string>

#include "engine/render/sprite.h"

namespace {

const char kLineVertexSource[] =
    "attribute vec2 vPos;\n"
    "uniform mat4 u_worldViewProjMatrix;\n"
    "uniform float u_depth;\n"
    "void main(void)\n"
    "{\n"
    "\tgl_Position = u_worldViewProjMatrix * vec4(vPos,u_depth,1);\n"
    "}\n";

const char kLineFragmentSource[] =
    "#ifdef GL_ES\n"
    "precision mediump float;\n"
    "#endif\n"
    "uniform vec4 u_color;\n"
    "void main (void)\n"
    "{\n"
    "gl_FragColor = u_color;\n"
    "}\n";

const AttributeEntry kLineAttributes[] = {
    {0, kAttribFloat2, "vPos"},
    {0, kAttribEnd, ""},
};

const char kModelVertexSource[] =
    "attribute vec3 vPos;\n"
    "attribute vec3 vNml;\n"
    "attribute vec2 vTex;\n"
    "uniform mat4 u_worldViewProjMatrix;\n"
    "uniform mat4 u_modelMatrix;\n"
    "varying vec2 texCoord;\n"
    "void main(void)\n"
    "{\n"
    "\ttexCoord.x = vTex.x;\n"
    "\ttexCoord.y = -vTex.y;\n"
    "\tgl_Position = u_worldViewProjMatrix * vec4(vPos,1.0);\n"
    "}\n";

const AttributeEntry kModelAttributes[] = {
    {0, kAttribFloat3, "vPos"},
    {12, kAttribFloat3, "vNml"},
    {24, kAttribFloat2, "vTex"},
    {0, kAttribEnd, ""},
};

// Longest part of a driver's compile or link log kept for the error line.
constexpr GLint kLogLimit = 1024;

uint32_t lineProgram = 0;
uint32_t modelProgram = 0;

// A driver log as one line: its lines joined with "; ", cut to kLogLimit.
std::string OneLine(std::string log) {
  std::string line;
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    std::string part = log.substr(start, end - start);
    while (!part.empty() && (part.back() == '\r' || part.back() == ' ' || part.back() == '\0')) part.pop_back();
    if (!part.empty()) line += (line.empty() ? "" : "; ") + part;
    start = end + 1;
  }
  return line.empty() ? "the driver gives no log" : line;
}

// The log of a shader (glGetShaderInfoLog) or a program (glGetProgramInfoLog).
std::string DriverLog(GLuint object, PFNGLGETSHADERINFOLOGPROC getLog) {
  std::string log(kLogLimit, '\0');
  GLsizei length = 0;
  getLog(object, kLogLimit, &length, &log[0]);
  log.resize(static_cast<size_t>(length));
  return OneLine(log);
}

// Compiles one shader; 0 when it does not compile (the object is then freed,
// and the driver's log written to standard error as one line).
GLuint CompileShader(GLenum stage, const char* source) {
  GLuint shader = glCreateShader(stage);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint compiled = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
  if (compiled == 0) {
    std::fprintf(stderr, "shader program: the %s shader does not compile: %s\n",
                 stage == GL_VERTEX_SHADER ? "vertex" : "fragment", DriverLog(shader, glGetShaderInfoLog).c_str());
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

}  // namespace

int32_t CreateShaderProgram(uint32_t* program, const char* vertexSource,
                            const char* fragmentSource, AttributeTable table) {
  GLuint vertex = CompileShader(GL_VERTEX_SHADER, vertexSource);
  if (vertex == 0) return 1;
  GLuint fragment = CompileShader(GL_FRAGMENT_SHADER, fragmentSource);
  if (fragment == 0) {
    glDeleteShader(vertex);
    return 2;
  }
  GLuint name = glCreateProgram();
  *program = name;
  glAttachShader(name, vertex);
  glAttachShader(name, fragment);
  // Attribute indices must be bound before linking to take effect.
  for (GLuint i = 0; table != nullptr && table[i].kind != kAttribEnd; ++i) {
    glBindAttribLocation(name, i, table[i].name);
  }
  // Attached shaders live on until the program is deleted.
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  glLinkProgram(name);
  GLint linked = 0;
  glGetProgramiv(name, GL_LINK_STATUS, &linked);
  if (linked == 0) {
    std::fprintf(stderr, "shader program: does not link: %s\n", DriverLog(name, glGetProgramInfoLog).c_str());
    return 3;
  }
  return 0;
}

void DeleteShaderProgram(uint32_t* program) {
  if (*program != 0) glDeleteProgram(*program);
  *program = 0;
}

int32_t LineProgramInit() {
  DeleteShaderProgram(&lineProgram);
  return CreateShaderProgram(&lineProgram, kLineVertexSource, kLineFragmentSource,
                             kLineAttributes) == 0 ? 0 : 1;
}

void LineProgramRelease() { DeleteShaderProgram(&lineProgram); }

int32_t ModelProgramInit() {
  DeleteShaderProgram(&modelProgram);
  // A model is coloured as a sprite is: its texture times the tint, so it
  // takes the sprite program's fragment shader.
  return CreateShaderProgram(&modelProgram, kModelVertexSource, kSpriteFragmentSource,
                             kModelAttributes) == 0 ? 0 : 1;
}

void ModelProgramRelease() { DeleteShaderProgram(&modelProgram); }
