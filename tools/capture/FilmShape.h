// The film's own picture inside a video frame of any shape. The film is
// made for the display-settings dialog's modes (4:3, and 5:4 for
// 1280x1024): drawn at another shape its 3-D scenes lose their top and
// bottom and its 2-D scenes keep their pixel size. So a capture draws the
// film at a size of its own shape and shows it in the frame as the demo's
// fullscreen shows it on a monitor: scaled, centred, black bars around it.
#pragma once

struct TFilmSize {
  int Width = 0;
  int Height = 0;
};

// The size the film is drawn at in a FrameWidth x FrameHeight frame when
// none is asked for: the frame itself when it is a dialog mode's size or
// 4:3 (drawn as it always was), else the largest 4:3 size that fits it
// (1440x1080 in 1920x1080).
TFilmSize DefaultFilmSize(int FrameWidth, int FrameHeight);
