# The Windows build (MinGW-w64, cmake/mingw-w64-x86_64.cmake): the libraries
# scripts/windows/deps.sh cross-built, the Windows platform file, and the
# program's resources (icon, version information, manifest). Included by the
# top CMakeLists.txt when building for Windows; scripts/windows/build.sh
# configures it.

if(NOT EXISTS "${TIDE_WINDOWS_PREFIX}/bin/OpenAL32.dll")
  message(FATAL_ERROR "no Windows libraries in '${TIDE_WINDOWS_PREFIX}': run scripts/windows/deps.sh and pass its folder as -DTIDE_WINDOWS_PREFIX")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/desktop_libraries.cmake)
pkg_check_modules(VORBISENC REQUIRED IMPORTED_TARGET vorbisenc)
# winmm: the timer resolution the platform file asks for.
list(APPEND TIDE_ENGINE_LIBRARIES winmm)
set(TIDE_PLATFORM_SOURCE ${CMAKE_SOURCE_DIR}/engine/app/platform_windows.cpp
                         ${CMAKE_SOURCE_DIR}/engine/app/platform_desktop.cpp)
set(TIDE_OPENAL_DLL ${TIDE_WINDOWS_PREFIX}/bin/OpenAL32.dll)

# The icons the native build drew (tools/), beside its contents.
get_filename_component(_native_build "${TIDE_CONTENTS_FROM}" DIRECTORY)
set(TIDE_ICONS_FROM "${_native_build}/icons/hicolor" CACHE PATH "the native build's icons/hicolor folder")

# Tests run under Wine, all in one prefix of the build's own.
find_program(TIDE_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${TIDE_WINE})
set(TIDE_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)

# Makes target the game's .exe: the GUI subsystem (no console window on a
# double-click), and its resources. The icon is the native build's PNGs in one
# .ico (PNG entries, as Windows reads since Vista).
function(tide_windows_program target)
  set(resources ${CMAKE_BINARY_DIR}/resources)
  set(icon_sizes 16 24 32 48 64 128 256)
  set(icon_pngs "")
  foreach(size ${icon_sizes})
    list(APPEND icon_pngs ${TIDE_ICONS_FROM}/${size}x${size}/apps/${TIDE_APP_ID}.png)
  endforeach()
  add_custom_command(OUTPUT ${resources}/tide_marker.ico
    COMMAND sh ${CMAKE_SOURCE_DIR}/packaging/windows/make_ico.sh ${resources}/tide_marker.ico ${icon_pngs}
    DEPENDS ${icon_pngs} ${CMAKE_SOURCE_DIR}/packaging/windows/make_ico.sh
    COMMENT "Writing the program's icon"
    VERBATIM)
  string(REPLACE "." "," TIDE_VERSION_COMMAS "${PROJECT_VERSION}.0")
  string(SUBSTRING "${TIDE_RELEASE_DATE}" 0 4 TIDE_YEAR)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/tide_marker.rc.in ${resources}/tide_marker.rc @ONLY)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/tide_marker.manifest.in
                 ${resources}/tide_marker.manifest @ONLY)
  set_source_files_properties(${resources}/tide_marker.rc PROPERTIES
    OBJECT_DEPENDS "${resources}/tide_marker.ico;${resources}/tide_marker.manifest")
  target_sources(${target} PRIVATE ${resources}/tide_marker.rc)
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
  # Beside the .exe in the build folder too, so that it runs from there.
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TIDE_OPENAL_DLL} $<TARGET_FILE_DIR:${target}>
    VERBATIM)
endfunction()
