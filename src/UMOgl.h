// The single view object: the chosen display mode, the size of the 2-D
// drawing space, the two projections and the initial GL state.
#pragma once

#include <cstdint>

class TOgl {
public:
  uint32_t ModeWidth = 0;
  uint32_t ModeHeight = 0;
  uint32_t ModeBits = 0;
  uint32_t ViewWidth = 0;
  uint32_t ViewHeight = 0;

  // Pushes a pixel projection: origin top-left, y downward, 0..ViewWidth by
  // 0..ViewHeight, z in [-1, 1]. Leaves the model-view stack selected.
  void BeginOrtho();
  // Undoes exactly one BeginOrtho.
  void EndOrtho();
  // Viewport and 45-degree perspective for a client area; a height of 0 is
  // taken as 1. Replaces the top matrices of both stacks, pushes nothing.
  void Resize(int32_t Width, int32_t Height);
  // Sets the initial GL state; always returns true.
  bool InitGL();
};

// Created by the entry before the dialog and freed at its end; null outside.
extern TOgl *Ogl;
