// Brings the film up in a current headless context exactly as the runner
// does before its countdown, so a frame drawn afterwards is the demo's frame.
#pragma once

// With a GL context current and a platform backend set: creates Ogl when
// there is none, sets its mode and view size to Width x Height, then
// Ogl->Resize(Width, Height), Ogl->InitGL(), Precompute() and
// glLineWidth(2.1). Leaves the pixel projection in force, as between frames.
// Returns false when the precomputation failed (a texture could not be set
// up; the platform's MessageBox has been told why).
bool SetUpFilm(int Width, int Height);

// Frees the Ogl that SetUpFilm created and empties the textures' pixels, as
// the entry does at the end of a run. The GL names go with the context.
void TearDownFilm();
