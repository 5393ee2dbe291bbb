// The clear scene's four operations on its static record (see clear_scene.cpp).
#pragma once

#include <cstdint>

int32_t ClearSceneInit();
void ClearSceneUpdate();
void ClearSceneDraw();
void ClearSceneRelease();
