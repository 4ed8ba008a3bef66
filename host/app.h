// app.h - the native application host and the program's only loop.
//
// gxtkApp owns the graphics, input and audio devices, installs the window
// callbacks and turns window state into the events create, update, render,
// suspend and resume. Updates run at a fixed rate with at most 7 per pass of
// the loop; a pass renders once after its updates; while suspended nothing is
// updated or rendered. The collector takes one step after every event
// delivered to the game. bb_app_AppDevice (host/framework.h) derives from it
// and forwards the events to the game object.
//
// Depends on: runtime, platform/glfw2.h, platform/data.h, graphics/device.h,
// devices/input.h, devices/audio.h.

#ifndef NUBRIX_HOST_APP_H
#define NUBRIX_HOST_APP_H

#include "devices/audio.h"
#include "devices/input.h"
#include "graphics/device.h"
#include "runtime/gc.h"
#include "runtime/start.h"
#include "runtime/string.h"

class gxtkApp : public gxtkObject {
public:
    gxtkGraphics* graphics;
    gxtkInput* input;
    gxtkAudio* audio;
    int updateRate;     // updates per second; 0: no timed updates
    double nextUpdate;  // clock time at which the next update is due
    double updatePeriod;
    bool suspended;

    gxtkApp();
    void mark() override;

    virtual gxtkGraphics* GraphicsDevice();
    virtual gxtkInput* InputDevice();
    virtual gxtkAudio* AudioDevice();
    virtual String AppTitle();
    virtual String LoadState();
    virtual int SaveState(String state);
    virtual String LoadString(String path);
    virtual int SetUpdateRate(int hertz);
    virtual int MilliSecs();
    virtual int Loading();
    virtual int OnCreate();
    virtual int OnSuspend();
    virtual int OnResume();
    virtual int OnUpdate();
    virtual int OnRender();
    virtual int OnLoading();

    void InvokeOnCreate();
    void InvokeOnUpdate();
    void InvokeOnRender();
    void InvokeOnSuspend();
    void InvokeOnResume();

    void Run();
};

extern gxtkApp* app;
// Runs app->Run(); the constructor publishes it as the runtime's `runner`.
int RunApp();

#endif
