// The twelve screen modes the dialog offers, in list order, and the text
// each row shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TDisplayMode {
  int32_t Width;
  int32_t Height;
  int32_t Bits;
};

// Filled by the entry; the row index is the position in the dialog's list.
extern std::vector<TDisplayMode> DisplayModes;

// Sizes DisplayModes to 12 and fills it with the offered modes.
void FillDisplayModes();

// The list text of a mode: "%dx%d, %dbit" of width, height and bits.
std::string DisplayModeText(const TDisplayMode &Mode);
