// desktop.cpp - window lookup, screen capture and input for the tests of the
// real executable (see desktop.h).

#include "tests/support/desktop.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

#include "tests/support/testing.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO_FOPEN_WARNINGS
#include "stb_image_write.h"
#pragma GCC diagnostic pop

namespace nubrix_test {

namespace {

Display* X(void* p) { return static_cast<Display*>(p); }

double Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// How long a press is held: several updates at 60 per second, and the
// same again before the next action so that an update sees the release.
const char* const kHold = "0.12";
const double kGap = 0.12;

// Runs a program with its arguments; true when it exits 0.
bool Run(const std::vector<std::string>& args) {
    ChildResult r = RunProgram(args, {}, "", 20);
    if (r.exitCode != 0) std::fprintf(stderr, "%s failed: %s\n", args[0].c_str(), r.err.c_str());
    return r.exitCode == 0;
}

}  // namespace

Rgb Picture::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1};
    uint32_t p = pixels[static_cast<size_t>(y) * width + x];
    return {static_cast<int>((p >> 16) & 0xff), static_cast<int>((p >> 8) & 0xff), static_cast<int>(p & 0xff)};
}

int Picture::Count(int x, int y, int w, int h, const std::function<bool(Rgb)>& test) const {
    int n = 0;
    for (int j = y; j < y + h; ++j) {
        for (int i = x; i < x + w; ++i) {
            Rgb c = At(i, j);
            if (c.r >= 0 && test(c)) ++n;
        }
    }
    return n;
}

double Picture::Brightness(int x, int y, int w, int h) const {
    double sum = 0;
    int n = 0;
    for (int j = y; j < y + h; ++j) {
        for (int i = x; i < x + w; ++i) {
            Rgb c = At(i, j);
            if (c.r < 0) continue;
            sum += c.r + c.g + c.b;
            ++n;
        }
    }
    return n ? sum / n : 0;
}

bool Picture::SavePng(const std::string& path) const {
    std::vector<unsigned char> rgb;
    rgb.reserve(pixels.size() * 3);
    for (uint32_t p : pixels) {
        rgb.push_back(static_cast<unsigned char>(p >> 16));
        rgb.push_back(static_cast<unsigned char>(p >> 8));
        rgb.push_back(static_cast<unsigned char>(p));
    }
    return width > 0 && stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

Desktop::Desktop() { display = XOpenDisplay(nullptr); }

Desktop::~Desktop() {
    if (display) XCloseDisplay(X(display));
}

unsigned long Desktop::FindWindow(const std::string& title, double timeoutSeconds) {
    const double end = Now() + timeoutSeconds;
    do {
        ChildResult r = RunProgram({"/usr/bin/xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"});
        unsigned long id = std::strtoul(r.out.c_str(), nullptr, 10);
        if (r.exitCode == 0 && id != 0) return id;
        Pause(0.1);
    } while (Now() < end);
    return 0;
}

bool Desktop::Geometry(unsigned long window, int* x, int* y, int* w, int* h) {
    XWindowAttributes a;
    if (!display || !XGetWindowAttributes(X(display), window, &a)) return false;
    Window child;
    if (!XTranslateCoordinates(X(display), window, DefaultRootWindow(X(display)), 0, 0, x, y, &child)) return false;
    *w = a.width;
    *h = a.height;
    return true;
}

void Desktop::ScreenSize(int* w, int* h) {
    *w = display ? DisplayWidth(X(display), DefaultScreen(X(display))) : 0;
    *h = display ? DisplayHeight(X(display), DefaultScreen(X(display))) : 0;
}

void Desktop::SetResources(const std::string& text) {
    if (!display) return;
    Window root = DefaultRootWindow(X(display));
    if (text.empty()) {
        XDeleteProperty(X(display), root, XA_RESOURCE_MANAGER);
    } else {
        XChangeProperty(X(display), root, XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.c_str()), static_cast<int>(text.size()));
    }
    XSync(X(display), False);
}

Picture Desktop::Capture(unsigned long window) {
    Picture picture;
    int x, y, w, h;
    if (!Geometry(window, &x, &y, &w, &h) || w <= 0 || h <= 0) return picture;
    XImage* image = XGetImage(X(display), DefaultRootWindow(X(display)), x, y, static_cast<unsigned>(w),
                              static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (!image) return picture;
    picture.width = w;
    picture.height = h;
    picture.pixels.resize(static_cast<size_t>(w) * h);
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            picture.pixels[static_cast<size_t>(j) * w + i] = static_cast<uint32_t>(XGetPixel(image, i, j)) & 0xffffff;
        }
    }
    XDestroyImage(image);
    return picture;
}

bool Desktop::WaitFor(unsigned long window, const std::function<bool(const Picture&)>& test, double timeoutSeconds,
                      Picture* last) {
    const double end = Now() + timeoutSeconds;
    Picture picture;
    bool ok = false;
    do {
        picture = Capture(window);
        ok = picture.width > 0 && test(picture);
        if (!ok) Pause(0.05);
    } while (!ok && Now() < end);
    if (last) *last = picture;
    return ok;
}

void Desktop::MouseDown(unsigned long window, int x, int y) {
    int wx, wy, w, h;
    if (!Geometry(window, &wx, &wy, &w, &h)) return;
    Run({"/usr/bin/xdotool", "mousemove", "--sync", std::to_string(wx + x), std::to_string(wy + y), "mousedown",
         "1"});
}

void Desktop::MouseUp() { Run({"/usr/bin/xdotool", "mouseup", "1"}); }

void Desktop::Click(unsigned long window, int x, int y) {
    int wx, wy, w, h;
    if (!Geometry(window, &wx, &wy, &w, &h)) return;
    Run({"/usr/bin/xdotool", "mousemove", "--sync", std::to_string(wx + x), std::to_string(wy + y), "mousedown",
         "1", "sleep", kHold, "mouseup", "1"});
    Pause(kGap);
}

void Desktop::Key(unsigned long window, const std::string& keysym) {
    Run({"/usr/bin/xdotool", "windowactivate", "--sync", std::to_string(window)});
    Run({"/usr/bin/xdotool", "keydown", keysym, "sleep", kHold, "keyup", keysym});
    Pause(kGap);
}

void Desktop::Resize(unsigned long window, int w, int h) {
    Run({"/usr/bin/xdotool", "windowsize", "--sync", std::to_string(window), std::to_string(w), std::to_string(h)});
}

void Desktop::Cover(unsigned long window, int x, int y, int w, int h, uint32_t colour, double seconds) {
    int wx, wy, ww, wh;
    if (!Geometry(window, &wx, &wy, &ww, &wh)) return;
    Display* d = X(display);
    XSetWindowAttributes a;
    a.override_redirect = True;  // no frame, no placement: exactly there
    a.background_pixel = colour;
    Window cover = XCreateWindow(d, DefaultRootWindow(d), wx + x, wy + y, static_cast<unsigned>(w),
                                 static_cast<unsigned>(h), 0, CopyFromParent, InputOutput, CopyFromParent,
                                 CWOverrideRedirect | CWBackPixel, &a);
    XMapRaised(d, cover);
    XSync(d, False);
    Pause(seconds);
    XDestroyWindow(d, cover);
    XSync(d, False);
}

void Desktop::Iconify(unsigned long window) {
    Run({"/usr/bin/xdotool", "windowminimize", "--sync", std::to_string(window)});
}

void Desktop::Close(const std::string& title) { Run({"/usr/bin/wmctrl", "-F", "-c", title}); }

void Pause(double seconds) {
    timespec ts;
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>((seconds - ts.tv_sec) * 1e9);
    nanosleep(&ts, nullptr);
}

}  // namespace nubrix_test
