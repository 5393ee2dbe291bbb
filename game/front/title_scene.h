// The title scene's four operations on its static record (see title_scene.cpp).
#pragma once

#include <cstdint>

int32_t TitleSceneInit();
void TitleSceneUpdate();
void TitleSceneDraw();
void TitleSceneRelease();
