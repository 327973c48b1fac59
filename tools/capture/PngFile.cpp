#include "PngFile.h"

#include <png.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

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

  // Written to a new file beside Path, then renamed over it: whatever sits
  // at Path (an older frame, a planted symbolic link) is replaced, never
  // followed or written through. Opened here rather than by libpng so that
  // the reason for a refusal (missing folder, no permission) reaches the user.
  std::string Temporary = Path + ".XXXXXX";
  const int Fd = mkstemp(&Temporary[0]);
  FILE *File = Fd >= 0 ? fdopen(Fd, "wb") : nullptr;
  if (!File) {
    Error = "cannot write " + Path + ": " + std::strerror(errno);
    if (Fd >= 0) {
      close(Fd);
      unlink(Temporary.c_str());
    }
    return false;
  }
  // mkstemp makes the file private; a frame gets the usual mode.
  const mode_t Mask = umask(0);
  umask(Mask);
  fchmod(Fd, 0666 & ~Mask);
  // The simplified API keeps libpng's longjmp error handling inside libpng.
  png_image Image;
  std::memset(&Image, 0, sizeof Image);
  Image.version = PNG_IMAGE_VERSION;
  Image.width = static_cast<png_uint_32>(Width);
  Image.height = static_cast<png_uint_32>(Height);
  Image.format = PNG_FORMAT_RGB;
  const bool Written = png_image_write_to_stdio(&Image, File, 0, Rgb.data(), 0, nullptr) != 0;
  const bool Closed = std::fclose(File) == 0;
  if (!Written || !Closed || std::rename(Temporary.c_str(), Path.c_str()) != 0) {
    Error = "cannot write " + Path + ": " + (Written ? std::strerror(errno) : Image.message);
    png_image_free(&Image);
    unlink(Temporary.c_str());
    return false;
  }
  return true;
}
