// Writing a captured frame as a PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes Width x Height RGBA pixels (top row first) as an 8-bit RGB PNG; the
// frame's alpha channel is dropped, a screen shows no alpha either. Returns
// false with a one-line reason in Error when the file cannot be written.
bool WritePng(const std::string &Path, const std::vector<uint8_t> &Rgba, int Width, int Height,
              std::string &Error);
