// The reading box's zoom, in points from its window's own size: Ctrl+plus, Ctrl+minus and
// Ctrl+0 change it wherever the window's focus is, as Ctrl with the wheel does over the box.
// Each window has its own; the reader's window's is remembered for the user in the windows'
// state, never in the program's settings.
#pragma once

#include <QFont>

struct DialogWindow;

// The reading's font at a zoom from the window's own font, never smaller than a few points.
QFont ReadingFont(const QFont& windowFont, int zoom);

class ReadingZoom
{
public:
    // Opens the window's reading box at the zoom remembered, and lets the keys and wheel change it.
    ReadingZoom(DialogWindow* dialog, int remembered);
    ReadingZoom(const ReadingZoom&) = delete;
    ReadingZoom& operator=(const ReadingZoom&) = delete;

    // Steps on from the zoom in use when relative, otherwise the zoom itself.
    void Zoom(int steps, bool relative);

private:
    DialogWindow* m_dialog;
    int m_zoom;
};
