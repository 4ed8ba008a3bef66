// framework.cpp - the application adapter and the free functions of the
// app, random and math modules.

#include "host/framework.h"

#include <climits>
#include <cstdint>

#include "devices/audio.h"
#include "devices/input.h"
#include "graphics/graphics.h"

int bb_random_Seed = 1234;

bb_app_AppDevice* bb_app_device = nullptr;

namespace {
// The adapter marks the game object, which marks its fields: everything the
// game holds stays alive through here.
const bool rootsAdded = (gc_add_roots([] { gc_enqueue(bb_app_device); }), true);
}  // namespace

// --- bb_app_App --------------------------------------------------------------

bb_app_App* bb_app_App::g_new() {
    bb_app_AppDevice* device = new bb_app_AppDevice();
    gc_assign(bb_app_device, device->g_new(this));
    return this;
}

int bb_app_App::m_OnCreate() { return 0; }
int bb_app_App::m_OnUpdate() { return 0; }
int bb_app_App::m_OnSuspend() { return 0; }
int bb_app_App::m_OnResume() { return 0; }
int bb_app_App::m_OnRender() { return 0; }
int bb_app_App::m_OnLoading() { return 0; }

// --- bb_app_AppDevice --------------------------------------------------------

bb_app_AppDevice* bb_app_AppDevice::g_new(bb_app_App* game) {
    gc_assign(m_App, game);
    bb_graphics_SetGraphicsDevice(GraphicsDevice());
    bb_input_SetInputDevice(InputDevice());
    bb_audio_SetAudioDevice(AudioDevice());
    return this;
}

bb_app_AppDevice* bb_app_AppDevice::g_new2() { return this; }

void bb_app_AppDevice::mark() {
    gxtkApp::mark();
    gc_enqueue(m_App);
}

int bb_app_AppDevice::SetUpdateRate(int hertz) {
    gxtkApp::SetUpdateRate(hertz);
    m_UpdateRate = hertz;
    return 0;
}

int bb_app_AppDevice::OnCreate() {
    bb_graphics_SetFont(nullptr, 32);
    return m_App->m_OnCreate();
}

int bb_app_AppDevice::OnUpdate() { return m_App->m_OnUpdate(); }
int bb_app_AppDevice::OnSuspend() { return m_App->m_OnSuspend(); }
int bb_app_AppDevice::OnResume() { return m_App->m_OnResume(); }

int bb_app_AppDevice::OnRender() {
    if (bb_graphics_device->Mode() != 0) bb_graphics_BeginRender();
    int result = m_App->m_OnRender();
    bb_graphics_EndRender();
    return result;
}

int bb_app_AppDevice::OnLoading() {
    if (bb_graphics_device->Mode() != 0) bb_graphics_BeginRender();
    int result = m_App->m_OnLoading();
    bb_graphics_EndRender();
    return result;
}

// --- free functions ----------------------------------------------------------

int bb_app_SetUpdateRate(int hertz) { return bb_app_device->SetUpdateRate(hertz); }
int bb_app_Millisecs() { return bb_app_device->MilliSecs(); }
String bb_app_LoadState() { return bb_app_device->LoadState(); }
int bb_app_SaveState(String state) { return bb_app_device->SaveState(state); }

float bb_random_Rnd() {
    uint32_t seed = static_cast<uint32_t>(bb_random_Seed) * 1664525u + 1013904223u;
    bb_random_Seed = static_cast<int>(seed);
    return static_cast<float>(seed >> 8) * 5.9604645e-8f;  // 2^-24
}

float bb_random_Rnd2(float low, float high) { return low + (high - low) * bb_random_Rnd(); }
float bb_random_Rnd3(float range) { return bb_random_Rnd() * range; }

int bb_math_Abs(int x) { return x >= 0 || x == INT_MIN ? x : -x; }
float bb_math_Abs2(float x) { return x >= 0 ? x : -x; }
