// shell_env.cpp - the shell suites' environment, the per-test working folder
// and game, the record builder and the menu's layout.

#include "tests/shell/shell_env.h"

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
    std::string out;
    auto put = [&out](uint32_t v) { out += std::to_string(static_cast<int32_t>(v)) + "|"; };
    uint32_t sum = 0;
    for (int k = 0; k < 25; ++k) {
        uint32_t v = k < static_cast<int>(settings.size()) ? static_cast<uint32_t>(settings[k]) : 0;
        put(v);
        sum += static_cast<uint32_t>(k) * v;
    }
    put(sum + (badWhich == 0 ? 1 : 0));
    sum = 0;
    for (int w = 0; w < 8; ++w) {
        uint32_t v = w < static_cast<int>(words.size()) ? static_cast<uint32_t>(words[w]) : 0;
        put(v);
        sum += v;
    }
    put(sum + (badWhich == 1 ? 1 : 0));
    for (int m = 0; m < 3; ++m) {
        sum = 0;
        for (int i = 0; i < 10; ++i) {
            auto at = [&](const std::vector<std::vector<int>>& lists) {
                return m < static_cast<int>(lists.size()) && i < static_cast<int>(lists[m].size())
                           ? static_cast<uint32_t>(lists[m][i])
                           : 0u;
            };
            uint32_t top = at(tops), last = at(lasts);
            put(top);
            put(last);
            sum += static_cast<uint32_t>(i + 4) * top + static_cast<uint32_t>(m + i + 3) * last;
        }
        put(sum + (badWhich == 2 + m ? 1 : 0));
    }
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
