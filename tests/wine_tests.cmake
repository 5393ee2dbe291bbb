# The Windows build's tests under Wine (CMAKE_CROSSCOMPILING_EMULATOR, set by
# cmake/windows.cmake): the tick-level tests the web build also runs and the
# sound device's recovery, against GoogleTest from Debian's googletest source,
# sharing one Wine prefix in the build folder, then the whole-program test.
# They run one at a time.

include(${CMAKE_CURRENT_LIST_DIR}/standalone_tests.cmake)

set(GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources (Debian's googletest package)")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The shared test files use a few POSIX calls: tests/windows/compat gives
# them (and is read before every test source).
set(compat ${CMAKE_CURRENT_SOURCE_DIR}/windows/compat)
add_library(tide_test_engine STATIC support/engine/ogg_synth.cpp support/engine/png_test_files.cpp
            support/engine/temp_dir.cpp support/engine/test_data.cpp
            support/engine/wave_capture.cpp)
target_include_directories(tide_test_engine PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR} ${compat})
target_compile_options(tide_test_engine PUBLIC "SHELL:-include ${compat}/posix_compat.h")
target_link_libraries(tide_test_engine PUBLIC tide_engine gtest PkgConfig::VORBISENC)

# Paths reach the programs as Unix paths; Wine opens them through its Z:
# drive, the root of the Unix file system.
set(TEST_ENV "WINEPREFIX=${TIDE_WINE_PREFIX};WINEDEBUG=-all;TIDE_SOURCE_DIR=${CMAKE_SOURCE_DIR};TIDE_BINARY_DIR=${CMAKE_BINARY_DIR};TIDE_TESTDATA=${CMAKE_SOURCE_DIR}/tests/data")
# Test cases left out, for what a Windows program has not: another process
# started by fork; Linux's installed layout, with the XDG data folders and
# "/" between folders where Windows paths have "\".
set(TIDE_WINE_EXCLUDED "PlayerFile.AWriterKilledMidWriteLeavesTheOldOrTheNewFileWhole"
    "ContentsSearch.PlacesComeInOrder" "ContentsFolderTest.EachPlaceIsFoundWhenThoseBeforeItAreMissing")
string(REPLACE ";" ":" TIDE_WINE_EXCLUDED "${TIDE_WINE_EXCLUDED}")

tide_add_standalone_tests("${TIDE_WINE_EXCLUDED}" wine_tests)

# The sound device lost and replaced, heard through OpenAL Soft's wave writer:
# the shipped OpenAL Soft reopens the lost device, which the desktop's
# cannot, so only this run takes that branch.
add_executable(engine_audio_audio_device_test engine/audio/audio_device_test.cpp)
target_link_libraries(engine_audio_audio_device_test PRIVATE tide_test_engine gtest_main)
add_test(NAME engine_audio_audio_device_test COMMAND engine_audio_audio_device_test
         WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
list(APPEND wine_tests engine_audio_audio_device_test)

# The game itself, from its installer to its uninstaller, in a prefix of its own.
add_test(NAME wine_game_test COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/wine_game_test.sh
         ${CMAKE_BINARY_DIR} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
list(APPEND wine_tests wine_game_test)
set_tests_properties(${wine_tests} PROPERTIES ENVIRONMENT "${TEST_ENV}" RUN_SERIAL TRUE)
