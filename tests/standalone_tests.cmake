# The tests that need neither GL nor an audio device nor a second process:
# the set that runs where the desktop's tools are missing (the web build's
# under Node.js, the Windows build's under Wine).
set(TIDE_STANDALONE_TESTS
  engine/app/command_line_test.cpp
  engine/app/contents_folder_test.cpp
  engine/app/frame_ticks_test.cpp
  engine/app/input_events_test.cpp
  engine/app/input_test.cpp
  engine/app/player_file_test.cpp
  engine/audio/ogg_decode_test.cpp
  engine/audio/ogg_regression_test.cpp
  engine/render/png_decode_test.cpp
  engine/render/png_regression_test.cpp
  engine/render/texture_rules_test.cpp
  engine/render/truetype_test.cpp
  engine/render/vector_math_test.cpp
  game/field/random_plate_test.cpp
  game/scene/anim_sprite_test.cpp
  game/scene/headless_round_test.cpp
  game/scene/player_settings_test.cpp
  game/scene/replay_data_test.cpp
  game/field/plate_plan_test.cpp
  game/scene/replay_file_test.cpp)

# Makes a test program of each of them, linked with tide_test_engine and
# GoogleTest's main (a game test with the game too), run from the build
# folder without the cases named in excluded (a GoogleTest filter,
# "Suite.Case:Suite.Case"). Sets out_var to the tests' names.
function(tide_add_standalone_tests excluded out_var)
  set(names "")
  foreach(rel ${TIDE_STANDALONE_TESTS})
    string(REGEX REPLACE "\\.cpp$" "" name ${rel})
    string(REPLACE "/" "_" name ${name})
    add_executable(${name} ${rel})
    target_link_libraries(${name} PRIVATE tide_test_engine gtest_main)
    if(rel MATCHES "^game/")
      target_link_libraries(${name} PRIVATE tide_game)
    endif()
    add_test(NAME ${name} COMMAND ${name} --gtest_filter=-${excluded} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    list(APPEND names ${name})
  endforeach()
  set(${out_var} ${names} PARENT_SCOPE)
endfunction()
