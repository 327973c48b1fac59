// The SDL backend with message boxes a test answers: while Answer is set a
// box goes to it instead of the screen; without it the real box shows.
#pragma once

#include <functional>

#include "platform/SdlPlatform.h"

using TMessageBoxAnswer =
    std::function<TMessageResult(const char *, const char *, TMessageIcon, TMessageButtons)>;

class TAnsweringSdlPlatform : public TSdlPlatform {
public:
  TMessageBoxAnswer Answer;

  TMessageResult MessageBox(const char *Text, const char *Caption, TMessageIcon Icon,
                            TMessageButtons Buttons) override {
    if (Answer) return Answer(Text, Caption, Icon, Buttons);
    return TSdlPlatform::MessageBox(Text, Caption, Icon, Buttons);
  }
};

// One for the whole test process, never destroyed: the backend's exit-time
// cleanup still reaches it after the tests' objects are gone.
inline TAnsweringSdlPlatform &AnsweringSdlPlatform() {
  static auto *Backend = new TAnsweringSdlPlatform;
  return *Backend;
}
