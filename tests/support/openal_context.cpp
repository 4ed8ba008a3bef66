// openal_context.cpp - the test binary's OpenAL context (see
// openal_context.h).

#include "tests/support/openal_context.h"

#include <AL/alc.h>

namespace nubrix_test {

bool OpenAlContext::Open() {
    ALCdevice* d = alcOpenDevice(nullptr);
    device = d;
    ALCcontext* c = d ? alcCreateContext(d, nullptr) : nullptr;
    context = c;
    return c && alcMakeContextCurrent(c);
}

void OpenAlContext::Close() {
    if (context) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(static_cast<ALCcontext*>(context));
        context = nullptr;
    }
    if (device) {
        alcCloseDevice(static_cast<ALCdevice*>(device));
        device = nullptr;
    }
}

}  // namespace nubrix_test
