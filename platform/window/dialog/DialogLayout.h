// The layout of a dialog window's controls: each grows to what its content needs in the style
// in use, pushing those below and to the right of it on, and the reading box takes any room
// the window has beyond that, or gives up its own, down to a few lines, where the window has
// less; so a window fits its screen. A bar along the bottom takes the window's width below them.
#pragma once

#include <QRect>
#include <QSize>

#include <vector>

class QWidget;
struct Window;

class DialogLayout
{
public:
    explicit DialogLayout(const Window& window) : m_window(window) {}

    // Takes a shown template control at its rectangle in pixels, as the template places it.
    void Place(Window* control, const QRect& rect);
    // Places the controls for the window's size (a resizable one's own, any other's within
    // the screen); returns the size the controls need with the reading box as the template has it.
    QSize Lay();
    void SetBottomBar(QWidget* bar);

    QSize templateSize;
    // The box that takes the window's new room; a window that has one in an application
    // window may be resized.
    Window* readingBox = nullptr;
    bool resizable = false;
    int barHeight = 0;  // what the window has grown by for the bar

private:
    struct Placed {
        Window* control;
        QRect rect;
    };

    // Places every control for extra room given to the reading box, or taken from it where
    // negative; returns the size they take.
    QSize Arrange(QSize extra, std::vector<QRect>& laid) const;
    // The least the reading box may be: a few lines, at the smallest zoom.
    QSize LeastReadingBox() const;

    const Window& m_window;
    std::vector<Placed> m_placed;
    QWidget* m_bottomBar = nullptr;
};
