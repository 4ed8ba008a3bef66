// program.cpp - the program's module globals and its two hooks into the
// runtime start: bbInit gives every process global its start value, bbMain
// creates the game object (and through it the host and the devices).
//
// Depends on: runtime/start.h, game/nubrix.h, platform/data.h.

#include "game/nubrix.h"
#include "platform/data.h"
#include "runtime/start.h"

float bb_Nubrix_rawscrw = 0;
float bb_Nubrix_rawscrh = 0;
float bb_Nubrix_vscrw = 0;
float bb_Nubrix_vscrh = 0;
int bb_Nubrix_HasMusic = 0;
int bb_Nubrix_DebugMode = 0;
int bb_Nubrix_iCadeControls = 0;
int bb_Nubrix_OnScreenControls = 0;
int bb_Nubrix_AccelerometerControls = 0;

// Every process global, in a fixed order; the graphics context is the only
// object created here.
int bbInit() {
    bb_graphics_device = nullptr;
    bb_input_device = nullptr;
    bb_audio_device = nullptr;
    bb_app_device = nullptr;
    gc_assign(bb_graphics_context, (new bb_graphics_GraphicsContext())->g_new());
    bb_graphics_Image::g_DefaultFlags = 0;
    bb_graphics_renderDevice = nullptr;
    bb_Nubrix_HasMusic = 0;
    bb_Nubrix_DebugMode = 0;
    bb_Nubrix_rawscrw = 640.0f;
    bb_Nubrix_rawscrh = 480.0f;
    bb_Nubrix_vscrw = 640.0f;
    bb_Nubrix_vscrh = 480.0f;
    bb_Nubrix_iCadeControls = 0;
    bb_random_Seed = 1234;
    bb_Nubrix_OnScreenControls = 0;
    bb_Nubrix_AccelerometerControls = 0;
    return 0;
}

// The adapter created by g_new roots the game object from here on. Before
// it: a word for a player who started the game away from its data, and the
// leftovers of saves that were killed half-way are cleared.
int bbMain() {
    CheckDataFolder();
    RemoveStaleStateFiles();
    (new bb_Nubrix_MyApp())->g_new();
    return 0;
}
