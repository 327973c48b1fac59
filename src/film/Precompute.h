// The start-up precomputation shared by the demo and the capture tool.
#pragma once

// Steps in the film's order (several reseed the generator, so the order
// decides the pictures): landscape, blobs, display lists, textures, worm
// tracks, then the pixel projection and the resting GL state. Needs a current
// GL context. Returns false when a texture could not be set up (the viewer
// has been told).
bool Precompute();
