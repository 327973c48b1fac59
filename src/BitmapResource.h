// The grey bitmaps carried inside the executable, looked up by resource id
// (2 to 6), and their decoding from PNG into grey levels; and the desktop
// icon, decoded in colour for the windows' icons.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The stored bytes of one embedded bitmap; Data is null when there is none.
struct TBitmapBytes {
  const uint8_t *Data = nullptr;
  size_t Size = 0;
};

// The PNG bytes embedded under ResId (generated at build time from the PNGs
// in resources/); {null, 0} for an id the program does not carry.
TBitmapBytes EmbeddedBitmap(int32_t ResId);

// The desktop icon's PNG bytes (resources/quillmoor.png, 128 x 128 RGBA, the
// menu entry's icon) under DesktopIconId; {null, 0} for any other id.
constexpr int32_t DesktopIconId = 1;
TBitmapBytes EmbeddedIcon(int32_t ResId);

// An 8-bit grey image, row 0 the top row, no padding.
struct TGreyBitmap {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Grey;  // Width x Height levels
};

// An 8-bit RGBA image (bytes in the order red, green, blue, alpha; alpha
// not premultiplied), row 0 the top row, no padding.
struct TRgbaBitmap {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Rgba;  // Width x Height x 4 bytes
};

// The largest side accepted from a PNG header, so a damaged header cannot
// ask for gigabytes.
constexpr int32_t MaxBitmapSide = 8192;

// Decodes PNG bytes into grey levels (a colour image would be turned grey;
// the film's bitmaps are grey already and come out unchanged). Returns false
// with a short reason in Error for damaged or unreadable data.
bool DecodeGreyPng(TBitmapBytes Png, TGreyBitmap &Bitmap, std::string &Error);

// Decodes PNG bytes into RGBA (a grey or opaque image gets alpha 255).
// Returns false with a short reason in Error for damaged or unreadable data.
bool DecodeRgbaPng(TBitmapBytes Png, TRgbaBitmap &Bitmap, std::string &Error);
