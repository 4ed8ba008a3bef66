// desktop.h - what a person at the X display does and sees, for tests of
// the real executable: find its window, read the pixels of its client area
// from the X screen, move and press the mouse and keys (xdotool), resize,
// iconify and close the window through the window manager (xdotool,
// wmctrl), and keep screenshots.
//
// Input goes through xdotool's XTEST path, exactly as from real devices; a
// press is held for a few of the game's updates so that one update sees it
// down and a later one sees it up.
//
// Depends on: Xlib (pixels, window geometry), stb_image_write (PNG), the
// xdotool and wmctrl programs, tests/support/testing.h.

#ifndef NUBRIX_TESTS_SUPPORT_DESKTOP_H
#define NUBRIX_TESTS_SUPPORT_DESKTOP_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace nubrix_test {

struct Rgb {
    int r, g, b;
};

// A copy of the client area of a window, 0xRRGGBB per pixel.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;

    Rgb At(int x, int y) const;
    // How many pixels of the rectangle satisfy `test`.
    int Count(int x, int y, int w, int h, const std::function<bool(Rgb)>& test) const;
    // Mean of r + g + b over the rectangle.
    double Brightness(int x, int y, int w, int h) const;
    bool SavePng(const std::string& path) const;
};

class Desktop {
public:
    Desktop();
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    bool Ok() const { return display != nullptr; }

    // The visible top-level window titled exactly `title`, waiting for it
    // to appear; 0 when it does not within the time.
    unsigned long FindWindow(const std::string& title, double timeoutSeconds = 20);
    // Client-area position on the screen and size.
    bool Geometry(unsigned long window, int* x, int* y, int* w, int* h);
    void ScreenSize(int* w, int* h);
    // Replaces the X resources that programs read as they connect (what
    // xrdb loads): "Xft.dpi: 192\n" makes the screen twice as dense; ""
    // removes them all.
    void SetResources(const std::string& text);
    Picture Capture(unsigned long window);
    // Captures until `test` holds (true) or the time runs out (false); the
    // last capture is left in `*last`.
    bool WaitFor(unsigned long window, const std::function<bool(const Picture&)>& test, double timeoutSeconds,
                 Picture* last = nullptr);

    // Pointer actions at client-area coordinates.
    void Click(unsigned long window, int x, int y);
    void MouseDown(unsigned long window, int x, int y);
    void MouseUp();
    // Focuses the window and taps a key (an X keysym name: Up, space,
    // Escape ...).
    void Key(unsigned long window, const std::string& keysym);

    void Resize(unsigned long window, int w, int h);
    // Lays a plain window of one colour (0xRRGGBB) over the rectangle of the
    // client area for a while, then takes it away again, as another program's
    // window would: the game's window is then exposed there.
    void Cover(unsigned long window, int x, int y, int w, int h, uint32_t colour, double seconds);
    // Iconifies the window through the window manager, as its minimise
    // button does.
    void Iconify(unsigned long window);
    // Asks the window manager to close the window, as its close button does.
    void Close(const std::string& title);

private:
    void* display = nullptr;  // Display*, kept out of this header
};

// Sleeps for real time (the program runs on its own clock).
void Pause(double seconds);

}  // namespace nubrix_test

#endif
