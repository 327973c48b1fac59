#include "sound/Resampler.h"

void Resampler::SetRates(int NewInRate, int NewOutRate) {
  // Keep the fraction between the two input frames when the rates change.
  if (HaveLast && OutRate != NewOutRate) Phase = Phase * NewOutRate / OutRate;
  InRate = NewInRate;
  OutRate = NewOutRate;
}

size_t Resampler::MaxOutput(size_t InFrames) const {
  return static_cast<size_t>((static_cast<int64_t>(InFrames) * OutRate) / InRate + 2);
}

size_t Resampler::Process(const float *In, size_t InFrames, size_t &Consumed, float *Out,
                          size_t OutFrames) {
  size_t InPos = 0;
  size_t OutPos = 0;
  if (!HaveLast && InFrames > 0) {
    Last[0] = In[0];
    Last[1] = In[1];
    HaveLast = true;
    InPos = 1;
  }
  while (OutPos < OutFrames) {
    // Step past every input frame the output position has overtaken.
    while (Phase >= OutRate && InPos < InFrames) {
      Last[0] = In[InPos * 2];
      Last[1] = In[InPos * 2 + 1];
      ++InPos;
      Phase -= OutRate;
    }
    if (Phase >= OutRate || InPos >= InFrames) break;  // needs more input
    const float Fraction = static_cast<float>(Phase) / static_cast<float>(OutRate);
    const float *Next = &In[InPos * 2];
    Out[OutPos * 2] = Last[0] + (Next[0] - Last[0]) * Fraction;
    Out[OutPos * 2 + 1] = Last[1] + (Next[1] - Last[1]) * Fraction;
    ++OutPos;
    Phase += InRate;
  }
  Consumed = InPos;
  return OutPos;
}
