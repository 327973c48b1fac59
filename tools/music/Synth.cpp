#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double TwoPi = 2.0 * Pi;

// Xorshift noise in [-1, 1]; each hit gets its own seed so hits differ but
// never change between runs.
class TNoise {
public:
  explicit TNoise(uint32_t Seed) : State(Seed ? Seed : 0x9e3779b9u) {}
  double Next() {
    State ^= State << 13;
    State ^= State >> 17;
    State ^= State << 5;
    return static_cast<double>(State) / 2147483648.0 - 1.0;
  }

private:
  uint32_t State;
};

// Band-limited sawtooth (polyBLEP), phase in [0, 1).
double BlepSaw(double Phase, double Step) {
  double Value = 2.0 * Phase - 1.0;
  if (Phase < Step) {
    const double t = Phase / Step;
    Value -= t + t - t * t - 1.0;
  } else if (Phase > 1.0 - Step) {
    const double t = (Phase - 1.0) / Step;
    Value -= t * t + t + t + 1.0;
  }
  return Value;
}

// One-pole low-pass coefficient for a cutoff in Hz.
double LowPassCoefficient(double Cutoff, int Rate) {
  return 1.0 - std::exp(-TwoPi * Cutoff / Rate);
}

// Constant-power panning: the gain of each side for a placement.
struct TSideGains {
  explicit TSideGains(TPlacement Where)
      : Left(Where.Gain * std::cos((Where.Pan + 1.0) * Pi / 4.0)),
        Right(Where.Gain * std::sin((Where.Pan + 1.0) * Pi / 4.0)) {}
  double Left, Right;
};

void Put(TStereoBuffer &Out, size_t Index, double Sample, const TSideGains &Gains) {
  if (Index >= Out.Frames()) return;
  Out.Left[Index] += static_cast<float>(Sample * Gains.Left);
  Out.Right[Index] += static_cast<float>(Sample * Gains.Right);
}

size_t FrameAt(const TStereoBuffer &Out, double Seconds) {
  return static_cast<size_t>(std::llround(Seconds * Out.Rate));
}

// Attack-release envelope of a held note.
double HeldEnvelope(double t, double Length, double Attack, double Release) {
  const double Rise = std::min(t / Attack, 1.0);
  const double Fall = t < Length ? 1.0 : std::max(0.0, 1.0 - (t - Length) / Release);
  return Rise * Fall;
}

}  // namespace

TStereoBuffer::TStereoBuffer(int SampleRate, double Seconds)
    : Rate(SampleRate),
      Left(static_cast<size_t>(std::llround(Seconds * SampleRate))),
      Right(Left.size()) {}

double MidiToHz(double Note) { return 440.0 * std::pow(2.0, (Note - 69.0) / 12.0); }

void AddKick(TStereoBuffer &Out, double Start, TPlacement Where) {
  const TSideGains Gains(Where);
  const size_t First = FrameAt(Out, Start);
  const size_t Length = static_cast<size_t>(0.45 * Out.Rate);
  double Phase = 0.0;
  for (size_t i = 0; i < Length; ++i) {
    const double t = static_cast<double>(i) / Out.Rate;
    const double Frequency = 48.0 + 110.0 * std::exp(-t * 28.0);
    Phase += Frequency / Out.Rate;
    const double Click = i < 40 ? 0.3 * (1.0 - i / 40.0) : 0.0;
    Put(Out, First + i, std::sin(TwoPi * Phase) * std::exp(-t * 7.0) + Click, Gains);
  }
}

void AddSnare(TStereoBuffer &Out, double Start, TPlacement Where, uint32_t Seed) {
  const TSideGains Gains(Where);
  const size_t First = FrameAt(Out, Start);
  const size_t Length = static_cast<size_t>(0.28 * Out.Rate);
  TNoise Source(Seed);
  double Previous = 0.0, Smoothed = 0.0;
  const double Smooth = LowPassCoefficient(7000.0, Out.Rate);
  for (size_t i = 0; i < Length; ++i) {
    const double t = static_cast<double>(i) / Out.Rate;
    const double White = Source.Next();
    Smoothed += (White - Previous * 0.5 - Smoothed) * Smooth;
    Previous = White;
    const double Body = std::sin(TwoPi * 185.0 * t) * std::exp(-t * 30.0) * 0.5;
    Put(Out, First + i, Smoothed * std::exp(-t * 16.0) * 0.9 + Body, Gains);
  }
}

void AddHat(TStereoBuffer &Out, double Start, double Length, TPlacement Where, uint32_t Seed) {
  const TSideGains Gains(Where);
  const size_t First = FrameAt(Out, Start);
  const size_t Count = static_cast<size_t>((Length + 0.05) * Out.Rate);
  const double Decay = 1.0 / Length * 4.0;
  TNoise Source(Seed);
  double Previous = 0.0;
  for (size_t i = 0; i < Count; ++i) {
    const double t = static_cast<double>(i) / Out.Rate;
    const double White = Source.Next();
    Put(Out, First + i, (White - Previous) * 0.5 * std::exp(-t * Decay), Gains);  // high-passed
    Previous = White;
  }
}

void AddRiser(TStereoBuffer &Out, double Start, double Length, TPlacement Where, uint32_t Seed) {
  const TSideGains Gains(Where);
  const size_t First = FrameAt(Out, Start);
  const size_t Count = static_cast<size_t>(Length * Out.Rate);
  TNoise Source(Seed);
  double Smoothed = 0.0;
  for (size_t i = 0; i < Count; ++i) {
    const double Progress = static_cast<double>(i) / Count;
    Smoothed +=
        (Source.Next() - Smoothed) * LowPassCoefficient(300.0 + 9000.0 * Progress, Out.Rate);
    Put(Out, First + i, Smoothed * Progress * Progress, Gains);
  }
}

void AddBass(TStereoBuffer &Out, double Start, double Length, double Note, TPlacement Where) {
  const TSideGains Gains(Where);
  const size_t First = FrameAt(Out, Start);
  const size_t Count = static_cast<size_t>((Length + 0.05) * Out.Rate);
  const double Step = MidiToHz(Note) / Out.Rate;
  double Phase = 0.0, Low = 0.0, Lower = 0.0;
  for (size_t i = 0; i < Count; ++i) {
    const double t = static_cast<double>(i) / Out.Rate;
    const double Cutoff = 220.0 + 900.0 * std::exp(-t * 9.0);
    const double Coefficient = LowPassCoefficient(Cutoff, Out.Rate);
    const double Raw = BlepSaw(Phase, Step) * 0.7 + std::sin(TwoPi * Phase) * 0.6;
    Low += (Raw - Low) * Coefficient;
    Lower += (Low - Lower) * Coefficient;
    Put(Out, First + i, Lower * HeldEnvelope(t, Length, 0.004, 0.05), Gains);
    Phase += Step;
    if (Phase >= 1.0) Phase -= 1.0;
  }
}

void AddPad(TStereoBuffer &Out, double Start, double Length, const std::vector<double> &Notes,
            TPlacement Where) {
  const double Release = 0.6;
  const size_t First = FrameAt(Out, Start);
  const size_t Count = static_cast<size_t>((Length + Release) * Out.Rate);
  const double Coefficient = LowPassCoefficient(1400.0, Out.Rate);
  const double Detune[2] = {-0.07, 0.07};  // semitones: one voice leans left, one right
  for (int Side = 0; Side < 2; ++Side) {
    const TSideGains Gains(
        TPlacement{Where.Gain, std::clamp(Where.Pan + (Side == 0 ? -0.6 : 0.6), -1.0, 1.0)});
    for (size_t n = 0; n < Notes.size(); ++n) {
      const double Step = MidiToHz(Notes[n] + Detune[Side]) / Out.Rate;
      double Phase = 0.13 * static_cast<double>(n + Side), Low = 0.0;
      for (size_t i = 0; i < Count; ++i) {
        const double t = static_cast<double>(i) / Out.Rate;
        Low += (BlepSaw(Phase, Step) - Low) * Coefficient;
        Put(Out, First + i, Low * HeldEnvelope(t, Length, 0.35, Release) * 0.22, Gains);
        Phase += Step;
        if (Phase >= 1.0) Phase -= 1.0;
      }
    }
  }
}

void AddStab(TStereoBuffer &Out, double Start, const std::vector<double> &Notes, TPlacement Where) {
  const TSideGains Gains(Where);
  const size_t First = FrameAt(Out, Start);
  const size_t Count = static_cast<size_t>(0.4 * Out.Rate);
  const double Coefficient = LowPassCoefficient(2200.0, Out.Rate);
  for (size_t n = 0; n < Notes.size(); ++n) {
    const double Step = MidiToHz(Notes[n]) / Out.Rate;
    double Phase = 0.0, Low = 0.0;
    for (size_t i = 0; i < Count; ++i) {
      const double t = static_cast<double>(i) / Out.Rate;
      Low += (BlepSaw(Phase, Step) - Low) * Coefficient;
      const double Envelope = std::min(t / 0.004, 1.0) * std::exp(-t * 11.0);
      Put(Out, First + i, Low * Envelope * 0.3, Gains);
      Phase += Step;
      if (Phase >= 1.0) Phase -= 1.0;
    }
  }
}

void AddLead(TStereoBuffer &Out, double Start, double Length, double Note, TPlacement Where) {
  const TSideGains Gains(Where);
  const size_t First = FrameAt(Out, Start);
  const size_t Count = static_cast<size_t>((Length + 0.12) * Out.Rate);
  const double Coefficient = LowPassCoefficient(2600.0, Out.Rate);
  double Phase = 0.0, Low = 0.0;
  for (size_t i = 0; i < Count; ++i) {
    const double t = static_cast<double>(i) / Out.Rate;
    const double Vibrato = t > 0.18 ? 0.12 * std::sin(TwoPi * 5.5 * (t - 0.18)) : 0.0;
    const double Step = MidiToHz(Note + Vibrato) / Out.Rate;
    // Two saws a duty cycle apart make a pulse wave, both band-limited.
    double Second = Phase + 0.3;
    if (Second >= 1.0) Second -= 1.0;
    const double Pulse = BlepSaw(Phase, Step) - BlepSaw(Second, Step);
    Low += (Pulse - Low) * Coefficient;
    Put(Out, First + i, Low * 0.5 * HeldEnvelope(t, Length, 0.01, 0.12), Gains);
    Phase += Step;
    if (Phase >= 1.0) Phase -= 1.0;
  }
}

void AddPluck(TStereoBuffer &Out, double Start, double Note, TPlacement Where) {
  const TSideGains Gains(Where);
  const size_t First = FrameAt(Out, Start);
  const size_t Count = static_cast<size_t>(0.5 * Out.Rate);
  const double Step = MidiToHz(Note) / Out.Rate;
  double Phase = 0.0;
  for (size_t i = 0; i < Count; ++i) {
    const double t = static_cast<double>(i) / Out.Rate;
    const double Triangle = 1.0 - 4.0 * std::fabs(Phase - 0.5);
    const double Attack = std::min(t / 0.002, 1.0);
    Put(Out, First + i, Triangle * Attack * std::exp(-t * 9.0), Gains);
    Phase += Step;
    if (Phase >= 1.0) Phase -= 1.0;
  }
}
