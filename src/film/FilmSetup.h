// The film's set-up: every step between a fresh GL context and the first
// film frame that decides how the frames look (view size, viewport and
// perspective, initial GL state, the precomputation, the line width). The
// demo's runner and render window take these steps one by one around the
// window, the music and the countdown; an offline run takes them all through
// SetUpFilm. Both call the same code, so a frame rendered offline is the
// demo's frame at that instant.
#pragma once

#include <cstdint>

// The 2-D drawing space takes the chosen mode's size; it keeps it when the
// window is later resized.
void SetFilmView();

// With the context current: viewport and 45-degree perspective for a Width x
// Height client area, then the initial GL state. False when the initial state
// could not be set.
bool InitFilmContext(int32_t Width, int32_t Height);

// After the countdown, just before the film clock starts: the line width
// every scene starts from. The leader draws with GL's default width.
void StartFilmPicture();

// An offline run's whole set-up, in the demo's order, in a current context
// with a platform backend set: creates Ogl when there is none with a Width x
// Height x 32 mode, SetFilmView, InitFilmContext, Precompute, then Leader
// (when given: the countdown frames, drawn as the demo draws them before the
// line width changes), then StartFilmPicture. Leaves the pixel projection in
// force, as between frames. False when the precomputation failed (a texture
// could not be set up; the platform's MessageBox has been told why).
bool SetUpFilm(int32_t Width, int32_t Height, void (*Leader)(void *Context) = nullptr,
               void *LeaderContext = nullptr);

// Frees the Ogl that SetUpFilm created and empties the textures' pixels, as
// the entry does at the end of a run. The GL names go with the context.
void TearDownFilm();
