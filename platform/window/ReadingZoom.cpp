// The reading's zoom: the keys and the wheel that change it, and the font it gives the box.
#include "platform/window/ReadingZoom.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QWheelEvent>

#include <algorithm>

#include "platform/window/WindowState.h"
#include "platform/window/dialog/DialogWindow.h"

namespace
{

// The reading box's text follows Ctrl with the wheel, in whole steps.
class WheelZoom : public QObject
{
public:
    WheelZoom(ReadingZoom* zoom, QObject* parent) : QObject(parent), m_zoom(zoom) {}

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() != QEvent::Wheel)
            return false;
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (!(wheel->modifiers() & Qt::ControlModifier))
            return false;
        m_delta += wheel->angleDelta().y();
        const int steps = m_delta / 120;
        m_delta -= steps * 120;
        if (steps != 0)
            m_zoom->Zoom(steps, true);
        return true;
    }

private:
    ReadingZoom* m_zoom;
    int m_delta = 0;
};

// Ctrl+plus, Ctrl+minus and Ctrl+0 zoom the reading box of the window they are pressed in,
// wherever its focus is. They are taken before any control sees them.
class ZoomKeys : public QObject
{
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!(key->modifiers() & Qt::ControlModifier))
            return false;
        Window* window = Window::Owning(static_cast<QWidget*>(watched));
        DialogWindow* dialog = AsDialog(window);
        if (dialog == nullptr && window != nullptr)
            dialog = AsDialog(window->parent);
        if (dialog == nullptr || dialog->zoom == nullptr)
            return false;
        switch (key->key()) {
            case Qt::Key_Plus:
            case Qt::Key_Equal:
                dialog->zoom->Zoom(1, true);
                return true;
            case Qt::Key_Minus:
                dialog->zoom->Zoom(-1, true);
                return true;
            case Qt::Key_0:
                dialog->zoom->Zoom(0, false);
                return true;
            default:
                return false;
        }
    }
};

void AddZoomKeys(ReadingZoom* zoom, Window* readingBox)
{
    static ZoomKeys* keys = nullptr;
    if (keys == nullptr) {
        keys = new ZoomKeys;
        keys->setParent(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(keys);
    }
    auto* box = qobject_cast<QAbstractScrollArea*>(readingBox->widget);
    if (box != nullptr)
        box->viewport()->installEventFilter(new WheelZoom(zoom, box));
}

// The zoom asked for, within the steps allowed, and never smaller than a few points.
int ZoomWithin(const QFont& windowFont, int zoom)
{
    const int base = static_cast<int>(windowFont.pointSizeF() > 0 ? windowFont.pointSizeF() : windowFont.pixelSize());
    return std::clamp(zoom, std::max(WindowState::kMinZoom, 4 - base), WindowState::kMaxZoom);
}

}  // namespace

ReadingZoom::ReadingZoom(DialogWindow* dialog, int remembered) : m_dialog(dialog), m_zoom(remembered)
{
    Zoom(remembered, false);
    AddZoomKeys(this, dialog->layout.readingBox);
}

QFont ReadingFont(const QFont& windowFont, int zoom)
{
    QFont font = windowFont;
    zoom = ZoomWithin(windowFont, zoom);
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() + zoom);
    else
        font.setPixelSize(font.pixelSize() + zoom);
    return font;
}

void ReadingZoom::Zoom(int steps, bool relative)
{
    const Window* readingBox = m_dialog->layout.readingBox;
    if (readingBox == nullptr || readingBox->widget == nullptr || m_dialog->widget == nullptr)
        return;
    const int next = ZoomWithin(m_dialog->widget->font(), relative ? m_zoom + steps : steps);
    readingBox->widget->setFont(ReadingFont(m_dialog->widget->font(), next));
    m_dialog->layout.Lay();
    if (next == m_zoom)
        return;
    m_zoom = next;
    if (m_dialog->layout.resizable)
        RememberZoom(m_zoom);
}
