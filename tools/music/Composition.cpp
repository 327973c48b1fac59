#include "Composition.h"

#include <algorithm>
#include <cmath>

#include "Synth.h"

namespace {

constexpr double BeatSeconds = 0.5;  // seconds: 120 beats a minute
constexpr double Eighth = BeatSeconds / 2;

// The sections, in beats; each starts on the beat nearest a scene change.
enum class TPart { Intro, Strands, Groove, Breakdown, Build, Pulse, Worms, Finale };
struct TSection {
  TPart Kind;
  int FirstBeat, EndBeat;
};
const TSection Sections[] = {
    {TPart::Intro, 0, 44},       {TPart::Strands, 44, 61},  {TPart::Groove, 61, 99},
    {TPart::Breakdown, 99, 118}, {TPart::Build, 118, 126},  {TPart::Pulse, 126, 156},
    {TPart::Worms, 156, 180},    {TPart::Finale, 180, 230},
};
constexpr int FadeBeat = 220;  // 110 s: the film has ended

struct TChord {
  double Bass;
  std::vector<double> Notes;
};
// Am F C G, and Dm Bb F C for the quiet middle.
const TChord MainChords[] = {
    {45, {57, 60, 64}}, {41, {57, 60, 65}}, {48, {55, 60, 64}}, {43, {55, 59, 62}}};
const TChord QuietChords[] = {
    {38, {57, 62, 65}}, {46, {58, 62, 65}}, {41, {57, 60, 65}}, {48, {55, 60, 64}}};

// Lead lines: eight eighths a bar, one bar per chord; -1 holds the note before.
const int Theme[4][8] = {{76, -1, 72, -1, 69, -1, 72, 74},
                         {72, -1, 69, -1, 65, -1, 69, 72},
                         {76, -1, 79, -1, 76, -1, 74, 72},
                         {74, -1, 71, -1, 67, -1, 69, 71}};
const int HighTheme[4][8] = {{81, -1, 79, 76, -1, 74, 76, -1},
                             {77, -1, 76, 72, -1, 69, 72, -1},
                             {79, -1, 76, 79, -1, 84, 83, -1},
                             {83, -1, 79, 74, -1, 76, 79, -1}};
// Arpeggio: indexes into the chord, 3 meaning the root an octave up.
const int ArpeggioSteps[8] = {0, 1, 2, 3, 2, 1, 0, 1};

// Where each instrument sits and how loud it is.
const TPlacement Kick{0.85, 0.0};
const TPlacement Snare{0.45, 0.05};
const TPlacement Hat{0.22, 0.35};
const TPlacement BassPlace{0.55, 0.0};
const TPlacement PadPlace{0.5, 0.0};
const TPlacement LeadPlace{0.22, -0.15};
const TPlacement PluckPlace{0.18, 0.3};

struct TBuses {
  TStereoBuffer Dry;   // drums, bass, pads
  TStereoBuffer Echo;  // lead and plucks, which get a delay
};

double BeatTime(int Beat) { return Beat * BeatSeconds; }

const TChord &ChordAt(const TChord (&Chords)[4], int BeatInSection) {
  return Chords[(BeatInSection / 4) % 4];
}

TPlacement Scaled(TPlacement Where, double Gain) { return {Where.Gain * Gain, Where.Pan}; }

void AddMelodyBar(TBuses &Out, const int (&Line)[4][8], int Bar, int FirstBeat, double Transpose,
                  double Gain) {
  const int(&Notes)[8] = Line[Bar % 4];
  for (int Slot = 0; Slot < 8; ++Slot) {
    if (Notes[Slot] < 0) continue;
    int Held = 1;
    while (Slot + Held < 8 && Notes[Slot + Held] < 0) ++Held;
    AddLead(Out.Echo, BeatTime(FirstBeat) + Slot * Eighth, Held * Eighth - 0.04,
            Notes[Slot] + Transpose, Scaled(LeadPlace, Gain));
  }
}

void AddArpeggioBeat(TBuses &Out, const TChord &Harmony, int Beat, double Gain) {
  for (int Half = 0; Half < 2; ++Half) {
    const int Index = ArpeggioSteps[(Beat % 4) * 2 + Half];
    const double Note = Index == 3 ? Harmony.Notes[0] + 24 : Harmony.Notes[Index] + 12;
    AddPluck(Out.Echo, BeatTime(Beat) + Half * Eighth, Note, Scaled(PluckPlace, Gain));
  }
}

void AddHats(TBuses &Out, int Beat, int PerBeat, double Gain) {
  for (int i = 0; i < PerBeat; ++i) {
    const double Accent = (i % 2 == 1) ? 1.0 : 0.6;
    AddHat(Out.Dry, BeatTime(Beat) + i * BeatSeconds / PerBeat, 0.04, Scaled(Hat, Gain * Accent),
           static_cast<uint32_t>(Beat * 8 + i + 1));
  }
}

void AddPadBar(TBuses &Out, const TChord &Harmony, int Beat, int Beats, double Gain) {
  AddPad(Out.Dry, BeatTime(Beat), Beats * BeatSeconds - 0.05, Harmony.Notes,
         Scaled(PadPlace, Gain));
}

// One beat of a section: everything that starts on that beat.
void AddBeat(TBuses &Out, const TSection &Where, int Beat) {
  const int Local = Beat - Where.FirstBeat;
  const bool BarStart = Local % 4 == 0;
  const bool Backbeat = Local % 2 == 1;
  const int Bar = Local / 4;
  const int Left = Where.EndBeat - Beat;  // beats to the section's end
  switch (Where.Kind) {
    case TPart::Intro: {
      const TChord &Harmony = ChordAt(MainChords, Local);
      if (BarStart) AddPadBar(Out, Harmony, Beat, 4, 0.8);
      if (Local >= 8) AddArpeggioBeat(Out, Harmony, Beat, std::min(1.0, (Local - 8) / 16.0));
      if (Local >= 32) AddHats(Out, Beat, 2, (Local - 32) / 12.0);
      if (Local == 40) AddRiser(Out.Dry, BeatTime(Beat), 4 * BeatSeconds, {0.25, 0.0}, 77);
      break;
    }
    case TPart::Strands: {
      const TChord &Harmony = ChordAt(MainChords, Local);
      AddKick(Out.Dry, BeatTime(Beat), Kick);
      AddHats(Out, Beat, 2, 1.0);
      for (int Half = 0; Half < 2; ++Half)
        AddBass(Out.Dry, BeatTime(Beat) + Half * Eighth, Eighth - 0.03, Harmony.Bass, BassPlace);
      if (BarStart) AddPadBar(Out, Harmony, Beat, std::min(4, Left), 0.7);
      if (Left == 1)
        for (int i = 0; i < 4; ++i)
          AddSnare(Out.Dry, BeatTime(Beat) + i * BeatSeconds / 4, Scaled(Snare, 0.5 + i * 0.15),
                   static_cast<uint32_t>(Beat * 4 + i));
      break;
    }
    case TPart::Groove: {
      const TChord &Harmony = ChordAt(MainChords, Local);
      AddKick(Out.Dry, BeatTime(Beat), Kick);
      if (Backbeat) AddSnare(Out.Dry, BeatTime(Beat), Snare, static_cast<uint32_t>(Beat));
      AddHats(Out, Beat, 2, 1.0);
      for (int Half = 0; Half < 2; ++Half)
        AddBass(Out.Dry, BeatTime(Beat) + Half * Eighth, Eighth - 0.03,
                Harmony.Bass + (Half == 1 && Local % 2 == 1 ? 12 : 0), BassPlace);
      if (BarStart) AddPadBar(Out, Harmony, Beat, std::min(4, Left), 0.6);
      if (BarStart && Left >= 4) AddMelodyBar(Out, Theme, Bar, Beat, 0, 1.0);
      break;
    }
    case TPart::Breakdown: {
      const TChord &Harmony = ChordAt(QuietChords, Local);
      if (BarStart) AddPadBar(Out, Harmony, Beat, std::min(4, Left), 0.75);
      if (Local % 2 == 0)
        AddBass(Out.Dry, BeatTime(Beat), 2 * BeatSeconds - 0.1, Harmony.Bass,
                Scaled(BassPlace, 0.6));
      AddArpeggioBeat(Out, Harmony, Beat, 0.8);
      if (Local >= 8) AddHats(Out, Beat, 4, 0.35);
      break;
    }
    case TPart::Build: {
      // A snare roll that doubles its speed halfway, over a rising sweep and
      // a held dominant chord; the kick returns for the last four beats.
      const int PerBeat = Local < 4 ? 2 : 4;
      for (int i = 0; i < PerBeat; ++i)
        AddSnare(Out.Dry, BeatTime(Beat) + i * BeatSeconds / PerBeat,
                 Scaled(Snare, 0.3 + Local * 0.08), static_cast<uint32_t>(Beat * 4 + i));
      if (Local == 0) {
        AddRiser(Out.Dry, BeatTime(Beat), 8 * BeatSeconds, {0.3, 0.0}, 91);
        AddPadBar(Out, MainChords[3], Beat, 8, 0.7);
      }
      if (Local >= 4) AddKick(Out.Dry, BeatTime(Beat), Kick);
      break;
    }
    case TPart::Pulse: {
      // Every beat is one loud, short hit that dies away before the next:
      // the level swings from near full scale to near silence twice a second.
      const TChord &Harmony = ChordAt(MainChords, Local);
      AddKick(Out.Dry, BeatTime(Beat), Scaled(Kick, 1.1));
      AddBass(Out.Dry, BeatTime(Beat), 0.14, Harmony.Bass, Scaled(BassPlace, 1.1));
      AddStab(Out.Dry, BeatTime(Beat), Harmony.Notes, Scaled(PadPlace, 1.2));
      AddPluck(Out.Echo, BeatTime(Beat) + Eighth,
               Harmony.Notes[static_cast<size_t>(Local) % 3] + 24, Scaled(PluckPlace, 0.5));
      if (Backbeat)
        AddSnare(Out.Dry, BeatTime(Beat), Scaled(Snare, 0.8), static_cast<uint32_t>(Beat));
      break;
    }
    case TPart::Worms: {
      const TChord &Harmony = ChordAt(QuietChords, Local);
      if (Local % 2 == 0) AddKick(Out.Dry, BeatTime(Beat), Kick);
      if (Local % 4 == 1) AddKick(Out.Dry, BeatTime(Beat) + Eighth, Scaled(Kick, 0.7));
      if (Backbeat) AddSnare(Out.Dry, BeatTime(Beat), Snare, static_cast<uint32_t>(Beat));
      AddHats(Out, Beat, 4, 0.8);
      const double Syncopation[4] = {0, 0.75, 1.5, 1.75};  // in beats, within two beats
      if (Local % 2 == 0)
        for (double At : Syncopation)
          AddBass(Out.Dry, BeatTime(Beat) + At * BeatSeconds, Eighth * 0.8,
                  Harmony.Bass + (At > 1.6 ? 12 : 0), BassPlace);
      if (BarStart) AddPadBar(Out, Harmony, Beat, std::min(4, Left), 0.5);
      if (BarStart && Left >= 4) AddMelodyBar(Out, HighTheme, Bar, Beat, -12, 0.9);
      break;
    }
    case TPart::Finale: {
      const TChord &Harmony = ChordAt(MainChords, Local);
      const bool Drums = Beat < FadeBeat + 4;
      if (Drums) {
        AddKick(Out.Dry, BeatTime(Beat), Kick);
        if (Backbeat) AddSnare(Out.Dry, BeatTime(Beat), Snare, static_cast<uint32_t>(Beat));
        AddHats(Out, Beat, 2, 1.0);
        for (int Half = 0; Half < 2; ++Half)
          AddBass(Out.Dry, BeatTime(Beat) + Half * Eighth, Eighth - 0.03,
                  Harmony.Bass + (Half == 1 ? 12 : 0), BassPlace);
      }
      if (Beat < FadeBeat && BarStart) {
        AddPadBar(Out, Harmony, Beat, 4, 0.65);
        AddMelodyBar(Out, (Bar / 4) % 2 == 0 ? HighTheme : Theme, Bar, Beat, 0, 1.0);
      }
      if (Beat == FadeBeat) AddPadBar(Out, MainChords[0], Beat, Where.EndBeat - Beat, 0.8);
      break;
    }
  }
}

// A ping-pong delay of three eighths on the echo bus.
void ApplyEcho(TStereoBuffer &Bus) {
  const size_t Delay = static_cast<size_t>(3 * Eighth * Bus.Rate);
  const float Feedback = 0.35f;
  for (size_t i = Delay; i < Bus.Frames(); ++i) {
    Bus.Left[i] += Bus.Right[i - Delay] * Feedback;
    Bus.Right[i] += Bus.Left[i - Delay] * Feedback;
  }
}

// The master gain over time: full, but for the fade after the film.
double MasterGain(double Seconds) {
  const double FadeStart = BeatTime(FadeBeat);
  if (Seconds < FadeStart) return 1.0;
  const double Progress = std::min((Seconds - FadeStart) / (TrackSeconds - FadeStart), 1.0);
  return 0.5 * (1.0 + std::cos(Progress * 3.14159265358979323846));
}

}  // namespace

std::vector<float> ComposeTrack(int Rate) {
  TBuses Out{TStereoBuffer(Rate, TrackSeconds), TStereoBuffer(Rate, TrackSeconds)};
  for (const TSection &Where : Sections)
    for (int Beat = Where.FirstBeat; Beat < Where.EndBeat; ++Beat) AddBeat(Out, Where, Beat);
  ApplyEcho(Out.Echo);

  std::vector<float> Samples(Out.Dry.Frames() * 2);
  for (size_t i = 0; i < Out.Dry.Frames(); ++i) {
    const double Gain = MasterGain(static_cast<double>(i) / Rate);
    // A gentle saturation keeps the loudest hits below full scale.
    Samples[i * 2] = static_cast<float>(std::tanh((Out.Dry.Left[i] + Out.Echo.Left[i]) * Gain));
    Samples[i * 2 + 1] =
        static_cast<float>(std::tanh((Out.Dry.Right[i] + Out.Echo.Right[i]) * Gain));
  }
  return Samples;
}
