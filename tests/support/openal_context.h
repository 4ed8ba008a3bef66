// openal_context.h - an OpenAL context for a whole test binary: the game's
// sound effects and the music player reach real OpenAL sources through it
// (OpenAL Soft's null driver under ctest, see tests/CMakeLists.txt).
//
// Depends on: OpenAL.

#ifndef NUBRIX_TESTS_SUPPORT_OPENAL_CONTEXT_H
#define NUBRIX_TESTS_SUPPORT_OPENAL_CONTEXT_H

namespace nubrix_test {

class OpenAlContext {
public:
    OpenAlContext() = default;
    ~OpenAlContext() { Close(); }
    OpenAlContext(const OpenAlContext&) = delete;
    OpenAlContext& operator=(const OpenAlContext&) = delete;

    // Opens the default device, creates a context on it and makes it
    // current; false when any step fails (what did open stays until Close).
    bool Open();
    // Releases the context and closes the device.
    void Close();

private:
    void* device = nullptr;   // ALCdevice*, kept out of this header
    void* context = nullptr;  // ALCcontext*
};

}  // namespace nubrix_test

#endif
