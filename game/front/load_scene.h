// The load scene's four operations on its static record (see load_scene.cpp).
#pragma once

#include <cstdint>

int32_t LoadSceneInit();
void LoadSceneUpdate();
void LoadSceneDraw();
void LoadSceneRelease();
