#include "PngFile.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

bool WritePng(const std::string &Path, const std::vector<uint8_t> &Rgba, int Width, int Height,
              std::string &Error) {
  const size_t Pixels = static_cast<size_t>(Width) * static_cast<size_t>(Height);
  if (Width <= 0 || Height <= 0 || Rgba.size() < Pixels * 4) {
    Error = "no frame to write";
    return false;
  }
  std::vector<uint8_t> Rgb(Pixels * 3);
  for (size_t i = 0; i < Pixels; ++i) std::memcpy(&Rgb[i * 3], &Rgba[i * 4], 3);

  // Opened here rather than by libpng so that the reason for a refusal
  // (missing folder, no permission) reaches the user.
  FILE *File = std::fopen(Path.c_str(), "wb");
  if (!File) {
    Error = "cannot write " + Path + ": " + std::strerror(errno);
    return false;
  }
  // The simplified API keeps libpng's longjmp error handling inside libpng.
  png_image Image;
  std::memset(&Image, 0, sizeof Image);
  Image.version = PNG_IMAGE_VERSION;
  Image.width = static_cast<png_uint_32>(Width);
  Image.height = static_cast<png_uint_32>(Height);
  Image.format = PNG_FORMAT_RGB;
  const bool Written = png_image_write_to_stdio(&Image, File, 0, Rgb.data(), 0, nullptr) != 0;
  const bool Closed = std::fclose(File) == 0;
  if (!Written || !Closed) {
    Error = "cannot write " + Path + ": " + (Written ? std::strerror(errno) : Image.message);
    png_image_free(&Image);
    std::remove(Path.c_str());
    return false;
  }
  return true;
}
