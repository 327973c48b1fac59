#include "launcher/DisplayModes.h"

#include <cstdio>

std::vector<TDisplayMode> DisplayModes;

void FillDisplayModes() {
  DisplayModes = {
      {640, 480, 32},   {800, 600, 32},   {1024, 768, 32},  {1280, 1024, 32},
      {1400, 1050, 32}, {1600, 1200, 32}, {640, 480, 16},   {800, 600, 16},
      {1024, 768, 16},  {1280, 1024, 16}, {1400, 1050, 16}, {1600, 1200, 16},
  };
}

std::string DisplayModeText(const TDisplayMode &Mode) {
  // Three 32-bit integers with their signs and the separators fit easily.
  char Text[64];
  std::snprintf(Text, sizeof(Text), "%dx%d, %dbit", Mode.Width, Mode.Height, Mode.Bits);
  return Text;
}
