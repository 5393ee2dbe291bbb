// Loads a contents picture by its bare name, and says so when it fails.
#include "game/scene/contents_picture.h"

#include "engine/app/app.h"

int32_t LoadContentsPicture(Texture* texture, const char* name) {
  if (LoadTexture(texture, ContentsPath(name)) != 0) {
    PrintTextureLoadFailure(name);
    return 1;
  }
  return 0;
}
