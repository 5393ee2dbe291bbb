# The libraries under the engine on a desktop system, found the same way for
# the game and for the Windows library probe: TIDE_ENGINE_LIBRARIES lists
# them for linking, OPENAL_INCLUDE_DIR is where <AL/al.h> lives.
find_package(PkgConfig REQUIRED)
find_package(OpenGL REQUIRED)
find_package(GLEW REQUIRED)
find_package(PNG REQUIRED)
find_package(Freetype REQUIRED)
find_package(OpenAL REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(VORBIS REQUIRED IMPORTED_TARGET vorbisfile vorbis ogg)
set(TIDE_ENGINE_LIBRARIES PkgConfig::SDL2 GLEW::GLEW OpenGL::GL PNG::PNG Freetype::Freetype
    ${OPENAL_LIBRARY} PkgConfig::VORBIS Threads::Threads)
