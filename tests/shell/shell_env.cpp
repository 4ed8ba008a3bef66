// shell_env.cpp - the shell suites' environment, the per-test working folder
// and game, the record builder and the menu's layout.

#include "tests/shell/shell_env.h"

#include "game/record_format.h"

#include <cmath>

namespace shell_test {

namespace {

// Each test makes its own working folder (ShellTest::SetUp).
::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new nubrix_test::GameEnvironment("shell", false));

}  // namespace

std::string MakeRecord(const std::vector<int>& settings, const std::vector<int>& words,
                       const std::vector<std::vector<int>>& tops, const std::vector<std::vector<int>>& lasts,
                       int badWhich) {
    using namespace record;
    int set[kSettings] = {}, top[kSizes * kPlaces] = {}, last[kSizes * kPlaces] = {};
    uint32_t badges[kBadgeWords] = {};
    for (size_t k = 0; k < settings.size() && k < kSettings; ++k) set[k] = settings[k];
    for (size_t w = 0; w < words.size() && w < kBadgeWords; ++w) badges[w] = static_cast<uint32_t>(words[w]);
    for (int m = 0; m < kSizes; ++m) {
        for (int i = 0; i < kPlaces; ++i) {
            if (m < static_cast<int>(tops.size()) && i < static_cast<int>(tops[m].size())) top[m * kPlaces + i] = tops[m][i];
            if (m < static_cast<int>(lasts.size()) && i < static_cast<int>(lasts[m].size())) last[m * kPlaces + i] = lasts[m][i];
        }
    }
    std::string written = Format(set, badges, top, last);
    if (badWhich < 0) return written;
    // The checksum field of the section, one higher (wrapping as it does).
    const int sumField = badWhich == 0 ? kSettings : badWhich == 1 ? kSettings + 1 + kBadgeWords
                                                                    : 55 + 21 * (badWhich - 2);
    std::vector<std::string> f = Fields(written);
    f[sumField] = std::to_string(static_cast<int32_t>(static_cast<uint32_t>(std::stoll(f[sumField])) + 1u));
    std::string out;
    for (size_t k = 0; k + 1 < f.size(); ++k) out += f[k] + "|";
    return out;
}

std::vector<int> FirstStartSettings() {
    std::vector<int> s(25, 0);
    s[5] = 1;
    s[6] = 1;
    s[9] = 2;
    s[10] = 64;
    s[11] = 64;
    s[12] = 10;
    return s;
}

void ShellTest::SetUp() {
    folder.reset(new nubrix_test::DataWorkingFolder());
    ASSERT_TRUE(folder->Linked());
}

void ShellTest::TearDown() {
    GameFixture::TearDown();
    folder.reset();
}

std::string ShellTest::Start(const std::string* record) {
    if (record) nubrix_test::WriteFile(StatePath(), *record);
    EXPECT_TRUE(OpenWindow());
    testing::internal::CaptureStdout();
    CreateGame();
    std::string printed = testing::internal::GetCapturedStdout();
    Render();
    FinishLoading();
    return printed;
}

void ShellTest::Resize(int width, int height) {
    window.width = width;
    window.height = height;
    Render();
    FinishLoading();
    Render();
}

void ShellTest::PointerAt(float vx, float vy) {
    window.mouseX = static_cast<int>(std::lround(vx * game->m_ScaleX));
    window.mouseY = static_cast<int>(std::lround(vy * game->m_ScaleY));
}

void ShellTest::Press() { bb_input_device->OnKeyDown(1); }
void ShellTest::Release() { bb_input_device->OnKeyUp(1); }

void ShellTest::ClickAt(float vx, float vy) {
    PointerAt(vx, vy);
    Press();
    Update();
    Release();
    Update();
}

void ShellTest::TapKey(int glfwKey) {
    PressKey(glfwKey);
    Update();
    ReleaseKey(glfwKey);
    Update();
}

bool ShellTest::Drawn(int id, std::initializer_list<int> frames, float* x, float* y) {
    for (const Command& c : ImagesOf(id)) {
        for (int frame : frames) {
            if (c.frame != frame) continue;
            *x = c.x;
            *y = c.y;
            return true;
        }
    }
    ADD_FAILURE() << "the last update drew no image " << id << " in the frames asked for";
    *x = *y = -1000;
    return false;
}

float ShellTest::SlotX() {
    float x, y;
    Drawn(1, {14}, &x, &y);
    return x;
}

float ShellTest::SlotY(int player) {
    float x, y;
    Drawn(1, {16 * player - 2}, &x, &y);
    return y;
}

void ShellTest::SizeButton(int k, float* x, float* y) { Drawn(95, {k - 1}, x, y); }
void ShellTest::SoundButton(float* x, float* y) { Drawn(97, {4, 5}, x, y); }
void ShellTest::CreditsButton(float* x, float* y) { Drawn(93, {0}, x, y); }

}  // namespace shell_test
