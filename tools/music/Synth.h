// The instruments of the bundled track. Each one adds a single note or hit
// into a stereo buffer at a start time; all of them are plain arithmetic on
// a fixed noise sequence, so the same call always gives the same samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct TStereoBuffer {
  explicit TStereoBuffer(int Rate, double Seconds);
  int Rate;
  std::vector<float> Left, Right;
  size_t Frames() const { return Left.size(); }
};

// Where a voice sits between the speakers: -1 left, 0 centre, 1 right.
struct TPlacement {
  double Gain = 1.0;
  double Pan = 0.0;
};

double MidiToHz(double Note);

void AddKick(TStereoBuffer &Out, double Start, TPlacement Where);
void AddSnare(TStereoBuffer &Out, double Start, TPlacement Where, uint32_t Seed);
void AddHat(TStereoBuffer &Out, double Start, double Length, TPlacement Where, uint32_t Seed);
// A rising noise sweep over Length seconds, for builds into a new section.
void AddRiser(TStereoBuffer &Out, double Start, double Length, TPlacement Where, uint32_t Seed);
// Filtered sawtooth bass.
void AddBass(TStereoBuffer &Out, double Start, double Length, double Note, TPlacement Where);
// A soft chord of detuned sawtooths with slow attack and release.
void AddPad(TStereoBuffer &Out, double Start, double Length, const std::vector<double> &Notes,
            TPlacement Where);
// A short, bright chord hit that dies away quickly.
void AddStab(TStereoBuffer &Out, double Start, const std::vector<double> &Notes, TPlacement Where);
// A vibrato pulse-wave lead line note.
void AddLead(TStereoBuffer &Out, double Start, double Length, double Note, TPlacement Where);
// A short plucked triangle, for arpeggios.
void AddPluck(TStereoBuffer &Out, double Start, double Note, TPlacement Where);
