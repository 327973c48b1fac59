// The instruments of the bundled track. Each one adds a single note or hit
// into a stereo buffer at a start time; all of them are plain arithmetic on
// a fixed noise sequence, so the same call always gives the same samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct StereoBuffer {
  explicit StereoBuffer(int Rate, double Seconds);
  int Rate;
  std::vector<float> Left, Right;
  size_t Frames() const { return Left.size(); }
};

// Where a voice sits between the speakers: -1 left, 0 centre, 1 right.
struct Placement {
  double Gain = 1.0;
  double Pan = 0.0;
};

double MidiToHz(double Note);

void AddKick(StereoBuffer &Out, double Start, Placement Where);
void AddSnare(StereoBuffer &Out, double Start, Placement Where, uint32_t Seed);
void AddHat(StereoBuffer &Out, double Start, double Length, Placement Where, uint32_t Seed);
// A rising noise sweep over Length seconds, for builds into a new section.
void AddRiser(StereoBuffer &Out, double Start, double Length, Placement Where, uint32_t Seed);
// Filtered sawtooth bass.
void AddBass(StereoBuffer &Out, double Start, double Length, double Note, Placement Where);
// A soft chord of detuned sawtooths with slow attack and release.
void AddPad(StereoBuffer &Out, double Start, double Length, const std::vector<double> &Notes,
            Placement Where);
// A short, bright chord hit that dies away quickly.
void AddStab(StereoBuffer &Out, double Start, const std::vector<double> &Notes, Placement Where);
// A vibrato pulse-wave lead line note.
void AddLead(StereoBuffer &Out, double Start, double Length, double Note, Placement Where);
// A short plucked triangle, for arpeggios.
void AddPluck(StereoBuffer &Out, double Start, double Note, Placement Where);
