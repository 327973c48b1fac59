// Which drawing path the film takes: the plain GL calls, or the paths that
// do part of the work in the film's own code because the driver rasterises on
// the processor (Mesa's llvmpipe and softpipe), where smoothed lines are slow.
#pragma once

enum class TRenderPath { Hardware, Software };

// The path for a driver that names itself Renderer (GL_RENDERER), unless
// Forced ("software" or "hardware", from QUILLMOOR_RENDER_PATH) picks one.
// A null or unknown renderer takes the hardware path, which is always right.
TRenderPath ChooseRenderPath(const char *Renderer, const char *Forced);

// Decides the path once for the current GL context (the render window's or
// the capture tool's); until then, and after SetRenderPath, the path is the
// one set.
void DecideRenderPath();
void SetRenderPath(TRenderPath Path);
TRenderPath RenderPath();
inline bool SoftwarePath() { return RenderPath() == TRenderPath::Software; }

// The environment variable that forces a path.
constexpr const char *RenderPathVariable = "QUILLMOOR_RENDER_PATH";
