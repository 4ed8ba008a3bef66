// framework.h - the game language's view of the host.
//
// The game class derives from bb_app_App and overrides its event methods.
// bb_app_AppDevice is the adapter: it is the native host (gxtkApp), holds the
// game object, forwards each host event to it and publishes the devices in
// the framework globals. The free functions give the game its update rate,
// clock, state file, random numbers and absolute values.
//
// Depends on: runtime, host/app.h, graphics/graphics.h, devices/input.h,
// devices/audio.h.

#ifndef NUBRIX_HOST_FRAMEWORK_H
#define NUBRIX_HOST_FRAMEWORK_H

#include "host/app.h"
#include "runtime/gc.h"
#include "runtime/string.h"

class bb_app_App : public Object {
public:
    bb_app_App* g_new();

    virtual int m_OnCreate();
    virtual int m_OnUpdate();
    virtual int m_OnSuspend();
    virtual int m_OnResume();
    virtual int m_OnRender();
    virtual int m_OnLoading();
};

class bb_app_AppDevice : public gxtkApp {
public:
    bb_app_App* m_App = nullptr;
    int m_UpdateRate = 0;

    bb_app_AppDevice* g_new(bb_app_App* app);
    bb_app_AppDevice* g_new2();
    void mark() override;

    int SetUpdateRate(int hertz) override;
    int OnCreate() override;
    int OnSuspend() override;
    int OnResume() override;
    int OnUpdate() override;
    int OnRender() override;
    int OnLoading() override;
};

extern bb_app_AppDevice* bb_app_device;
extern int bb_random_Seed;

int bb_app_SetUpdateRate(int hertz);
int bb_app_Millisecs();
String bb_app_LoadState();
int bb_app_SaveState(String state);

float bb_random_Rnd();
float bb_random_Rnd2(float low, float high);
float bb_random_Rnd3(float range);

int bb_math_Abs(int x);
float bb_math_Abs2(float x);

#endif
