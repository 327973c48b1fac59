#include "platform/RendererKind.h"

#include <GL/gl.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
TRenderPath Current = TRenderPath::Hardware;

std::string Lowered(const char *Text) {
  std::string Out(Text);
  for (char &C : Out) C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
  return Out;
}
}  // namespace

TRenderPath ChooseRenderPath(const char *Renderer, const char *Forced) {
  if (Forced && std::strcmp(Forced, "software") == 0) return TRenderPath::Software;
  if (Forced && std::strcmp(Forced, "hardware") == 0) return TRenderPath::Hardware;
  if (!Renderer) return TRenderPath::Hardware;
  // Mesa's processor rasterisers: "llvmpipe (LLVM 15.0.6, 256 bits)",
  // "softpipe", and the classic "Software Rasterizer".
  const std::string Name = Lowered(Renderer);
  for (const char *Software : {"llvmpipe", "softpipe", "software rasterizer"})
    if (Name.find(Software) != std::string::npos) return TRenderPath::Software;
  return TRenderPath::Hardware;
}

namespace {
// The variable's value when it names a path; any other value is said on
// standard error and left out, so a typing slip is not taken silently as the
// automatic choice.
const char *ForcedRenderPath() {
  const char *Forced = std::getenv(RenderPathVariable);
  if (!Forced || !*Forced) return nullptr;
  if (std::strcmp(Forced, "software") == 0 || std::strcmp(Forced, "hardware") == 0) return Forced;
  std::fprintf(stderr,
               "Quillmoor: %s=%s is not \"software\" or \"hardware\"; the path is chosen from "
               "the driver\n",
               RenderPathVariable, Forced);
  return nullptr;
}
}  // namespace

void DecideRenderPath() {
  const auto *Renderer = reinterpret_cast<const char *>(glGetString(GL_RENDERER));
  Current = ChooseRenderPath(Renderer, ForcedRenderPath());
}

void SetRenderPath(TRenderPath Path) { Current = Path; }

TRenderPath RenderPath() { return Current; }
