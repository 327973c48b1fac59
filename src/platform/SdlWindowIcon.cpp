#include "platform/SdlWindowIcon.h"

#include <SDL.h>

#include <cstdio>
#include <string>

#include "BitmapResource.h"

void SetRenderWindowIcon(SDL_Window *Window) {
  TRgbaBitmap Icon;
  std::string Error;
  if (!Window || !DecodeRgbaPng(EmbeddedIcon(DesktopIconId), Icon, Error)) {
    if (Window) std::fprintf(stderr, "Quillmoor: the window icon: %s\n", Error.c_str());
    return;
  }
  // The decoded bytes are red, green, blue, alpha in memory: SDL's RGBA32.
  SDL_Surface *Surface = SDL_CreateRGBSurfaceWithFormatFrom(
      Icon.Rgba.data(), Icon.Width, Icon.Height, 32, Icon.Width * 4, SDL_PIXELFORMAT_RGBA32);
  if (!Surface) {
    std::fprintf(stderr, "Quillmoor: the window icon: %s\n", SDL_GetError());
    return;
  }
  // SDL converts the pixels into the window system's icon at once.
  SDL_SetWindowIcon(Window, Surface);
  SDL_FreeSurface(Surface);
}
