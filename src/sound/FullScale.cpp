#include "sound/FullScale.h"

void LimitToFullScale(float *Samples, size_t Count) {
  for (size_t i = 0; i < Count; ++i) Samples[i] = ToFullScale(Samples[i]);
}
