# The tests that need neither GL nor an audio device nor a second process:
# the set that runs where the desktop's tools are missing (the web build's
# under Node.js, the Windows build's under Wine).
set(TIDE_TICK_TESTS
  engine/app/command_line_test.cpp
  engine/app/contents_folder_test.cpp
  engine/app/frame_ticks_test.cpp
  engine/app/input_events_test.cpp
  engine/app/input_test.cpp
  engine/app/settings_file_test.cpp
  engine/audio/ogg_decode_test.cpp
  engine/audio/ogg_regression_test.cpp
  engine/render/png_decode_test.cpp
  engine/render/png_regression_test.cpp
  engine/render/texture_rules_test.cpp
  engine/render/vector_math_test.cpp
  game/scene/anim_sprite_test.cpp
  game/scene/player_settings_test.cpp
  e2e/probe/plate_plan_test.cpp)
