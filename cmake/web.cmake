# The web build (Emscripten): the libraries scripts/web/deps.sh compiled from
# Debian's sources, the browser's own OpenAL (Web Audio) and WebGL 1.0, and
# the page that carries the program. Included by the top CMakeLists.txt when
# the compiler is emcc; scripts/web/build.sh configures it.

set(TIDE_WEB_PREFIX "$ENV{TIDE_WEB_PREFIX}" CACHE PATH "the web libraries' folder (the last line of scripts/web/deps.sh)")
if(NOT EXISTS "${TIDE_WEB_PREFIX}/lib/libSDL2.a")
  message(FATAL_ERROR "no web libraries in '${TIDE_WEB_PREFIX}': run scripts/web/deps.sh and pass its folder")
endif()

# Link order: each library before the ones it uses.
set(TIDE_WEB_LIBRARY_NAMES SDL2 png16 freetype vorbisfile vorbis ogg z)
set(TIDE_ENGINE_LIBRARIES "")
foreach(name ${TIDE_WEB_LIBRARY_NAMES})
  list(APPEND TIDE_ENGINE_LIBRARIES ${TIDE_WEB_PREFIX}/lib/lib${name}.a)
endforeach()
include_directories(SYSTEM ${TIDE_WEB_PREFIX}/include ${TIDE_WEB_PREFIX}/include/SDL2
                    ${TIDE_WEB_PREFIX}/include/freetype2)
set(TIDE_VORBISENC_LIBRARY ${TIDE_WEB_PREFIX}/lib/libvorbisenc.a)
set(TIDE_PLATFORM_SOURCE ${CMAKE_SOURCE_DIR}/engine/app/platform_web.cpp)

# Every program of the web build: GL ES 2.0 on WebGL 1.0 (vertices only from
# buffer objects, as WebGL has it: no client-side arrays to emulate), memory
# that grows as pictures and sounds are loaded, Emscripten's OpenAL.
add_link_options(-sMIN_WEBGL_VERSION=1 -sMAX_WEBGL_VERSION=1 -sALLOW_MEMORY_GROWTH=1 -lopenal)

set(TIDE_WEB_PAGE_SOURCE ${CMAKE_SOURCE_DIR}/packaging/web/index.html)
set(TIDE_WEB_MANIFEST_SOURCE ${CMAKE_SOURCE_DIR}/packaging/web/manifest.webmanifest)
set(TIDE_WEB_WORKER_SOURCE ${CMAKE_SOURCE_DIR}/packaging/web/sw.js)
set(TIDE_WEB_PRE_JS ${CMAKE_SOURCE_DIR}/engine/app/platform_web_pre.js)
set(TIDE_WEB_JS_LIBRARY ${CMAKE_SOURCE_DIR}/engine/app/platform_web_lib.js)
# The home-screen icons are drawn on this machine, as the desktop's are.
find_program(RSVG_CONVERT rsvg-convert REQUIRED NO_CMAKE_FIND_ROOT_PATH)

# Makes target the page's program: <build>/dist/index.html beside
# <target>.js, .wasm and .data (the contents, preloaded so that
# contents/<name> opens as on the desktop), the web app's manifest and
# icons, and the service worker that keeps them all for offline play.
function(tide_web_page target)
  set(dist ${CMAKE_BINARY_DIR}/dist)
  # Linked again when a picture or sound changes: the .data is made then.
  file(GLOB contents_files CONFIGURE_DEPENDS ${TIDE_CONTENTS_FROM}/*)
  set_target_properties(${target} PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${dist})
  target_link_options(${target} PRIVATE
    -sENVIRONMENT=web -sEXIT_RUNTIME=0 -lidbfs.js
    "SHELL:--pre-js ${TIDE_WEB_PRE_JS}"
    "SHELL:--js-library ${TIDE_WEB_JS_LIBRARY}"
    "SHELL:--preload-file ${TIDE_CONTENTS_FROM}@/contents")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${TIDE_WEB_PRE_JS} ${TIDE_WEB_JS_LIBRARY} ${contents_files})
  add_dependencies(${target} contents)

  # The icons: the desktop icon's drawing at the two sizes launchers ask for,
  # and the maskable variant (full-bleed tile) for launchers that cut shapes.
  set(art ${CMAKE_SOURCE_DIR}/tools/art/sweets.svg)
  set(drawing ${CMAKE_BINARY_DIR}/web_icons)
  set(icons ${dist}/icon-192.png ${dist}/icon-512.png ${dist}/icon-maskable-512.png)
  add_custom_command(OUTPUT ${icons}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${drawing} ${dist}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${art} -DOUTPUT=${drawing}/icon.svg
            -P ${CMAKE_SOURCE_DIR}/cmake/make_icon.cmake
    COMMAND ${CMAKE_COMMAND} -DINPUT=${art} -DOUTPUT=${drawing}/icon_maskable.svg -DMASKABLE=ON
            -P ${CMAKE_SOURCE_DIR}/cmake/make_icon.cmake
    COMMAND ${RSVG_CONVERT} --format=png --width=192 --height=192 --output=${dist}/icon-192.png ${drawing}/icon.svg
    COMMAND ${RSVG_CONVERT} --format=png --width=512 --height=512 --output=${dist}/icon-512.png ${drawing}/icon.svg
    COMMAND ${RSVG_CONVERT} --format=png --width=512 --height=512 --output=${dist}/icon-maskable-512.png
            ${drawing}/icon_maskable.svg
    DEPENDS ${art} ${CMAKE_SOURCE_DIR}/cmake/make_icon.cmake
    COMMENT "Drawing the web app's icons"
    VERBATIM)

  # The page and manifest are copied, then the service worker is written with
  # the name of a cache that changes with any of the files it keeps.
  add_custom_command(OUTPUT ${dist}/index.html ${dist}/manifest.webmanifest ${dist}/sw.js
    COMMAND ${CMAKE_COMMAND} -E copy ${TIDE_WEB_PAGE_SOURCE} ${dist}/index.html
    COMMAND ${CMAKE_COMMAND} -E copy ${TIDE_WEB_MANIFEST_SOURCE} ${dist}/manifest.webmanifest
    COMMAND ${CMAKE_COMMAND} -DDIST=${dist} -DTEMPLATE=${TIDE_WEB_WORKER_SOURCE}
            -P ${CMAKE_SOURCE_DIR}/cmake/web_offline.cmake
    DEPENDS ${target} ${icons} ${TIDE_WEB_PAGE_SOURCE} ${TIDE_WEB_MANIFEST_SOURCE}
            ${TIDE_WEB_WORKER_SOURCE} ${CMAKE_SOURCE_DIR}/cmake/web_offline.cmake
    COMMENT "Writing the page and its service worker"
    VERBATIM)
  add_custom_target(${target}_page ALL DEPENDS ${dist}/index.html ${dist}/sw.js)
endfunction()
