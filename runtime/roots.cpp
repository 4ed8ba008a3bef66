// roots.cpp - the collector's roots: the object-valued framework globals.
//
// Everything else stays alive only through references from these. The
// adapter (bb_app_device) marks the game object, which marks its fields.

#include "devices/audio.h"
#include "devices/input.h"
#include "graphics/device.h"
#include "graphics/graphics.h"
#include "host/framework.h"
#include "runtime/gc.h"

gxtkGraphics* bb_graphics_device = nullptr;
gxtkInput* bb_input_device = nullptr;
gxtkAudio* bb_audio_device = nullptr;
bb_app_AppDevice* bb_app_device = nullptr;
bb_graphics_GraphicsContext* bb_graphics_context = nullptr;
gxtkGraphics* bb_graphics_renderDevice = nullptr;

void gc_mark() {
    gc_enqueue(bb_graphics_device);
    gc_enqueue(bb_input_device);
    gc_enqueue(bb_audio_device);
    gc_enqueue(bb_app_device);
    gc_enqueue(bb_graphics_context);
    gc_enqueue(bb_graphics_renderDevice);
}
