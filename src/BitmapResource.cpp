#include "BitmapResource.h"

#include <png.h>

#include <cstring>

namespace {

// libpng reports errors with longjmp. Its simplified API catches them inside
// libpng and returns 0 with a message, so no jump ever crosses C++ frames here.
bool DecodePng(TBitmapBytes Png, uint32_t Format, int32_t &Width, int32_t &Height,
               std::vector<uint8_t> &Pixels, std::string &Error) {
  if (!Png.Data || Png.Size == 0) {
    Error = "no image data";
    return false;
  }
  png_image Image;
  std::memset(&Image, 0, sizeof Image);
  Image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&Image, Png.Data, Png.Size)) {
    Error = Image.message;
    png_image_free(&Image);
    return false;
  }
  if (Image.width == 0 || Image.height == 0 || Image.width > MaxBitmapSide ||
      Image.height > MaxBitmapSide) {
    Error = "image size out of range";
    png_image_free(&Image);
    return false;
  }
  Image.format = Format;
  std::vector<uint8_t> Decoded(PNG_IMAGE_SIZE(Image));
  if (!png_image_finish_read(&Image, nullptr, Decoded.data(), 0, nullptr)) {
    Error = Image.message;
    png_image_free(&Image);
    return false;
  }
  Width = static_cast<int32_t>(Image.width);
  Height = static_cast<int32_t>(Image.height);
  Pixels = std::move(Decoded);
  return true;
}

}  // namespace

bool DecodeGreyPng(TBitmapBytes Png, TGreyBitmap &Bitmap, std::string &Error) {
  return DecodePng(Png, PNG_FORMAT_GRAY, Bitmap.Width, Bitmap.Height, Bitmap.Grey, Error);
}

bool DecodeRgbaPng(TBitmapBytes Png, TRgbaBitmap &Bitmap, std::string &Error) {
  return DecodePng(Png, PNG_FORMAT_RGBA, Bitmap.Width, Bitmap.Height, Bitmap.Rgba, Error);
}
