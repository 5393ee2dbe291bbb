# The web build's tests under Node.js: the same test files as the desktop's,
# compiled with emcc against the web build's engine and game, for the tests
# that need neither GL nor threads nor an audio device (Node.js has none of
# them). They read the real file system (NODERAWFS) from the build folder.
# GoogleTest is Debian's source package, compiled here with emcc.

include(${CMAKE_CURRENT_LIST_DIR}/standalone_tests.cmake)

set(GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources (Debian's googletest package)")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The support files that need neither GL nor an audio device.
add_library(tide_test_engine STATIC support/engine/ogg_synth.cpp support/engine/png_test_files.cpp
            support/engine/temp_dir.cpp support/engine/test_data.cpp)
target_include_directories(tide_test_engine PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tide_test_engine PUBLIC tide_engine gtest ${TIDE_VORBISENC_LIBRARY})

# As for the desktop's tests: where the sources and data are, and settings
# written into the build folder, never the user's.
set(TEST_ENV "TIDE_SOURCE_DIR=${CMAKE_SOURCE_DIR};TIDE_BINARY_DIR=${CMAKE_BINARY_DIR};TIDE_TESTDATA=${CMAKE_SOURCE_DIR}/tests/data;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test_config")
set(NODE_ENVIRONMENT_JS ${CMAKE_CURRENT_SOURCE_DIR}/support/node_environment.js)
# Test cases that need what Node.js cannot give a program: another process,
# a second thread, and a file's modification time set back (the in-memory
# file system keeps the time of the last write).
set(TIDE_NODE_EXCLUDED "RandomInt.AnotherThreadFollowsTheSameSeed:PlayerFile.AWriterKilledMidWriteLeavesTheOldOrTheNewFileWhole:PlayerFile.StaleTemporariesGoAndNothingElse")

tide_add_standalone_tests("${TIDE_NODE_EXCLUDED}" node_tests)
set_property(TARGET ${node_tests} APPEND PROPERTY LINK_OPTIONS -sENVIRONMENT=node -sNODERAWFS=1
             -sEXIT_RUNTIME=1 "SHELL:--pre-js ${NODE_ENVIRONMENT_JS}")
set_property(TARGET ${node_tests} APPEND PROPERTY LINK_DEPENDS ${NODE_ENVIRONMENT_JS})
set_tests_properties(${node_tests} PROPERTIES ENVIRONMENT "${TEST_ENV}")
