// What the windows remember for the user between starts: the reading's zoom and the size of
// each window the user may resize. A small file of the window system's own, under
// $XDG_STATE_HOME/solmira (by default ~/.local/state/solmira), apart from the program's
// settings. A file that does not read as this one is ignored, whole or line by line.
#pragma once

#include <map>

struct WindowState {
    // Steps of one point from the reading's own size; negative makes it smaller.
    int zoom = 0;
    // The size a window was last left at, by its template's id, in device-independent pixels:
    // its normal size, and whether it was maximized.
    struct Size {
        int width = 0;
        int height = 0;
        bool maximized = false;
    };
    std::map<int, Size> sizes;

    static constexpr int kMinZoom = -10;
    static constexpr int kMaxZoom = 40;
};

// The state as its file holds it; the state of nothing remembered when there is none.
WindowState LoadWindowState();
// Puts the state in its file whole; a state that cannot be written is not worth an error.
void SaveWindowState(const WindowState& state);
// Puts the reading's zoom, or a window's size, in the state as it is in its file.
void RememberZoom(int zoom);
void RememberSize(int templateId, int width, int height, bool maximized);
