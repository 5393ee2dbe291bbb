// The logo scene's four operations on its static record (see logo_scene.cpp).
#pragma once

#include <cstdint>

int32_t LogoSceneInit();
void LogoSceneUpdate();
void LogoSceneDraw();
void LogoSceneRelease();
