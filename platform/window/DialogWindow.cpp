// Dialog windows: built from a template with their controls, and run modally.
#include "platform/window/DialogWindow.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "platform/window/Accessibility.h"
#include "platform/window/ButtonControl.h"
#include "platform/window/DateTimePickerControl.h"
#include "platform/window/DialogWidget.h"
#include "platform/window/EditControl.h"
#include "platform/window/Hooks.h"
#include "platform/window/IconImage.h"
#include "platform/window/MonthCalendarControl.h"
#include "platform/window/StaticControl.h"
#include "platform/window/WindowState.h"

namespace
{

// Every dialog window alive, so that a stale handle is refused rather than followed.
std::vector<DialogWindow*>& Living()
{
    static std::vector<DialogWindow*> windows;
    return windows;
}

std::unique_ptr<Window> CreateControl(DialogWindow* dialog, const DialogItemTemplate& item, HINSTANCE module)
{
    switch (item.windowClass) {
        case ControlClass::Button:
            return ButtonControl::Create(dialog, item);
        case ControlClass::Edit:
            return EditControl::Create(dialog, item);
        case ControlClass::Static:
            return StaticControl::Create(dialog, item, module);
        case ControlClass::DateTimePicker:
            return DateTimePickerControl::Create(dialog, item);
        case ControlClass::MonthCalendar:
            return MonthCalendarControl::Create(dialog);
    }
    return nullptr;
}

// What every control of a template has: its place in dialog units, its id, styles and
// text. A control without the visible style exists and answers requests, but is never shown.
void PlaceControl(DialogWindow* dialog, Window* control, const DialogItemTemplate& item)
{
    control->parent = dialog;
    control->id = item.id;
    control->style = item.style;
    control->exStyle = item.exStyle;
    control->enabled = !(item.style & WS_DISABLED);
    control->widget->setEnabled(control->enabled);
    const DialogUnits& u = dialog->units;
    const QRect rect(u.X(item.x), u.Y(item.y), u.X(item.cx), u.Y(item.cy));
    control->widget->setGeometry(rect);
    dialog->placed.push_back({control, rect});
    if (!(item.style & WS_TABSTOP))
        control->widget->setFocusPolicy(static_cast<Qt::FocusPolicy>(control->widget->focusPolicy() & ~Qt::TabFocus));
    if (item.text != nullptr && (item.style & 0x1F) != SS_BITMAP)
        control->SetText(item.text);
    control->widget->setVisible(item.style & WS_VISIBLE);
}

// The size a control's content needs in the style in use.
QSize ContentSize(QWidget* widget)
{
    if (qobject_cast<QLabel*>(widget) != nullptr || qobject_cast<QAbstractButton*>(widget) != nullptr ||
        qobject_cast<QAbstractSpinBox*>(widget) != nullptr)
        return widget->sizeHint();
    return widget->minimumSizeHint().expandedTo(QSize(0, 0));
}

bool Shown(const Window* control)
{
    return (control->style & WS_VISIBLE) != 0;
}

// Whether a is above b in the template: its middle above b's top, their columns shared.
bool Above(const QRect& a, const QRect& b)
{
    return a.center().y() < b.top() && a.left() <= b.right() && b.left() <= a.right();
}

bool LeftOf(const QRect& a, const QRect& b)
{
    return a.center().x() < b.left() && a.top() <= b.bottom() && b.top() <= a.bottom();
}

// The reading box's text follows Ctrl with the wheel, in whole steps.
class WheelZoom : public QObject
{
public:
    WheelZoom(DialogWindow* dialog, QObject* parent) : QObject(parent), m_dialog(dialog) {}

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
            m_dialog->Zoom(steps, true);
        return true;
    }

private:
    DialogWindow* m_dialog;
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
        if (dialog == nullptr || dialog->readingBox == nullptr)
            return false;
        switch (key->key()) {
            case Qt::Key_Plus:
            case Qt::Key_Equal:
                dialog->Zoom(1, true);
                return true;
            case Qt::Key_Minus:
                dialog->Zoom(-1, true);
                return true;
            case Qt::Key_0:
                dialog->Zoom(0, false);
                return true;
            default:
                return false;
        }
    }
};

void AddZoomKeys(DialogWindow* dialog)
{
    static ZoomKeys* keys = nullptr;
    if (keys == nullptr) {
        keys = new ZoomKeys;
        keys->setParent(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(keys);
    }
    auto* box = qobject_cast<QAbstractScrollArea*>(dialog->readingBox->widget);
    if (box != nullptr)
        box->viewport()->installEventFilter(new WheelZoom(dialog, box));
}

}  // namespace

DialogUnits DialogUnits::Of(const QFont& font)
{
    // The device's rule: the average width of the 52 letters, rounded, and the font height.
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnits units;
    units.baseX = (width / 26 + 1) / 2;
    units.baseY = metrics.height();
    return units;
}

QFont DialogFont(LPCTSTR typeface, int pointSize)
{
    // "System" names the device's own interface font; here that is the desktop's.
    constexpr double kStandardPointSize = 8;
    QFont font = QApplication::font();
    const QString face = QString::fromWCharArray(typeface != nullptr ? typeface : L"");
    if (!face.isEmpty() && face != QLatin1String("System"))
        font.setFamily(face);
    const double scale = pointSize > 0 ? pointSize / kStandardPointSize : 1;
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * scale);
    else if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * scale))));
    return font;
}

QRect WorkArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 640, 480);
}

DialogWindow* AsDialog(HWND window)
{
    return dynamic_cast<DialogWindow*>(window);
}

DialogWindow::DialogWindow()
{
    Living().push_back(this);
}

DialogWindow::~DialogWindow()
{
    Living().erase(std::find(Living().begin(), Living().end(), this));
    // Controls first: their widgets are children of this window's widget.
    controls.clear();
}

bool DialogWindow::IsAlive(HWND window)
{
    // Only addresses are compared: a stale handle must not be followed.
    for (const DialogWindow* dialog : Living()) {
        if (dialog == window)
            return true;
        for (const auto& control : dialog->controls)
            if (control.get() == window)
                return true;
    }
    return false;
}

LRESULT DialogWindow::Proc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_INITDIALOG:
        case WM_COMMAND:
        case WM_NOTIFY:
            return dialogProc != nullptr ? dialogProc(this, message, wParam, lParam) : 0;
        case WM_GETICON:
            return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? bigIcon : smallIcon);
        case WM_SETICON: {
            HICON& slot = wParam == ICON_BIG ? bigIcon : smallIcon;
            HICON previous = slot;
            slot = reinterpret_cast<HICON>(lParam);
            // Qt keeps one icon per window, with every size in it; the big one wins.
            HICON shown = bigIcon != nullptr ? bigIcon : smallIcon;
            if (widget != nullptr)
                widget->setWindowIcon(shown != nullptr ? shown->icon : QIcon());
            return reinterpret_cast<LRESULT>(previous);
        }
        default:
            return Window::Proc(message, wParam, lParam);
    }
}

void DialogWindow::SetText(const std::wstring& newText)
{
    Window::SetText(newText);
    if (widget != nullptr)
        widget->setWindowTitle(QString::fromStdWString(newText));
}

DialogWindow* DialogWindow::Create(HINSTANCE module, const DialogTemplate& dialogTemplate, HWND owner,
                                   WNDPROC dialogProc, LPARAM userData)
{
    auto* dialog = new DialogWindow;
    dialog->parent = owner;
    dialog->id = dialogTemplate.id;
    dialog->style = dialogTemplate.style;
    dialog->exStyle = dialogTemplate.exStyle;
    dialog->dialogProc = dialogProc;
    dialog->userData = userData;

    auto* widget = new DialogWidget(dialog, owner != nullptr ? owner->widget.data() : nullptr);
    dialog->Adopt(widget);
    const QFont font = DialogFont(dialogTemplate.typeface, dialogTemplate.pointSize);
    widget->setFont(font);
    dialog->units = DialogUnits::Of(font);
    dialog->templateId = dialogTemplate.id;
    dialog->templateSize = QSize(dialog->units.X(dialogTemplate.cx), dialog->units.Y(dialogTemplate.cy));
    widget->resize(dialog->templateSize);
    dialog->SetText(dialogTemplate.caption != nullptr ? dialogTemplate.caption : L"");

    for (const DialogItemTemplate& item : dialogTemplate.items) {
        std::unique_ptr<Window> control = CreateControl(dialog, item, module);
        if (control == nullptr || control->widget == nullptr)
            continue;
        PlaceControl(dialog, control.get(), item);
        MakeAccessible(control.get(), item, dialogTemplate.items);
        if (dialog->readingBox == nullptr && item.windowClass == ControlClass::Edit && Shown(control.get()) &&
            (item.style & ES_MULTILINE) && (item.style & WS_VSCROLL))
            dialog->readingBox = control.get();
        dialog->AddControl(std::move(control));
    }

    // An application window with a reading box is the reader's: it may be resized, and
    // opens at the size it was left at, if that fits the screen.
    const QRect area = WorkArea();
    const WindowState state = LoadWindowState();
    dialog->resizable = (dialog->exStyle & WS_EX_APPWINDOW) && dialog->readingBox != nullptr;
    const QSize natural = dialog->Lay();
    if (dialog->resizable) {
        const auto remembered = state.sizes.find(dialog->templateId);
        if (remembered != state.sizes.end() && remembered->second.width <= area.width() &&
            remembered->second.height <= area.height())
            widget->resize(QSize(remembered->second.width, remembered->second.height).expandedTo(natural));
    }
    if (dialog->readingBox != nullptr) {
        dialog->zoom = state.zoom;
        dialog->Zoom(state.zoom, false);
        AddZoomKeys(dialog);
    }

    if (dialog->style & DS_CENTER) {
        widget->move(area.center() - widget->rect().center());
    } else {
        const QPoint origin = owner != nullptr && owner->widget != nullptr ? owner->widget->pos() : area.topLeft();
        widget->move(origin + QPoint(dialog->units.X(dialogTemplate.x), dialog->units.Y(dialogTemplate.y)));
    }
    return dialog;
}

QSize DialogWindow::Lay()
{
    if (widget == nullptr)
        return QSize();
    // The style's sizes hold once it has polished the controls, which showing does too.
    widget->ensurePolished();
    // The bar grows the window downwards, so the controls keep their room.
    const int bar = bottomBar != nullptr && !bottomBar->isHidden() ? bottomBar->sizeHint().height() : 0;
    if (bar != barHeight) {
        const int grow = bar - barHeight;
        barHeight = bar;
        widget->resize(widget->width(), widget->height() + grow);
    }
    const size_t count = placed.size();
    const QRect* box = nullptr;
    for (const Placed& p : placed)
        if (p.control == readingBox)
            box = &p.rect;

    // Places every control for extra room given to the reading box; returns the size they take.
    std::vector<QRect> laid(count);
    const auto arrange = [&](QSize extra) {
        std::vector<int> down(count, 0), right(count, 0);
        for (size_t i = 0; i < count; ++i) {
            const QRect& r = placed[i].rect;
            QSize size = r.size();
            if (Shown(placed[i].control) && placed[i].control->widget != nullptr) {
                const QSize need = ContentSize(placed[i].control->widget);
                size = size.expandedTo(need);
                // A line of text is as tall as its text, so it never reaches into the next row.
                const auto* label = qobject_cast<QLabel*>(placed[i].control->widget);
                if (label != nullptr && label->pixmap().isNull() && need.height() > 0)
                    size.setHeight(need.height());
            }
            if (placed[i].control == readingBox)
                size += extra;
            else if (box != nullptr && Above(*box, r) && r.left() == box->left() && r.width() == box->width())
                size.rwidth() += extra.width();
            laid[i] = QRect(r.topLeft(), size);
        }
        // Each grown control pushes on those below it and right of it; templates list them
        // in any order, so the pushes go by place.
        std::vector<size_t> byTop(count), byLeft(count);
        for (size_t i = 0; i < count; ++i)
            byTop[i] = byLeft[i] = i;
        std::stable_sort(byTop.begin(), byTop.end(),
                         [&](size_t a, size_t b) { return placed[a].rect.top() < placed[b].rect.top(); });
        std::stable_sort(byLeft.begin(), byLeft.end(),
                         [&](size_t a, size_t b) { return placed[a].rect.left() < placed[b].rect.left(); });
        // Where the template lets two controls overlap, the one pushed starts after the other;
        // the reading box alone keeps its overlap, since it ends where the next control begins.
        const auto overlap = [&](size_t j, int gap) { return placed[j].control == readingBox ? 0 : std::max(0, -gap); };
        for (size_t i : byTop)
            for (size_t j : byTop)
                if (Shown(placed[j].control) && Above(placed[j].rect, placed[i].rect))
                    down[i] = std::max(down[i], down[j] + laid[j].bottom() - placed[j].rect.bottom() +
                                                    overlap(j, placed[i].rect.top() - placed[j].rect.bottom() - 1));
        for (size_t i : byLeft)
            for (size_t j : byLeft)
                if (Shown(placed[j].control) && LeftOf(placed[j].rect, placed[i].rect))
                    right[i] = std::max(right[i], right[j] + laid[j].right() - placed[j].rect.right() +
                                                      overlap(j, placed[i].rect.left() - placed[j].rect.right() - 1));
        QSize total = templateSize;
        for (size_t i = 0; i < count; ++i) {
            laid[i].translate(right[i], down[i]);
            if (!Shown(placed[i].control))
                continue;
            const QRect& r = placed[i].rect;
            total = total.expandedTo(QSize(laid[i].right() + 1 + std::max(0, templateSize.width() - r.right() - 1),
                                           laid[i].bottom() + 1 + std::max(0, templateSize.height() - r.bottom() - 1)));
        }
        // The reading box ends where a control below it begins.
        for (size_t i = 0; box != nullptr && i < count; ++i)
            for (size_t j = 0; j < count; ++j)
                if (placed[i].control == readingBox && Shown(placed[j].control) && Above(*box, placed[j].rect) &&
                    laid[j].intersects(laid[i]))
                    laid[i].setBottom(laid[j].top() - 1);
        return total;
    };

    const QSize natural = arrange(QSize(0, 0));
    QSize extra(0, 0);
    if (resizable)
        extra = (widget->size() - QSize(0, barHeight) - natural).expandedTo(QSize(0, 0));
    if (!extra.isNull())
        arrange(extra);
    for (size_t i = 0; i < count; ++i)
        if (placed[i].control->widget != nullptr)
            placed[i].control->widget->setGeometry(laid[i]);

    const QSize whole = natural + QSize(0, barHeight);
    if (resizable) {
        widget->setMinimumSize(whole);
        widget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        widget->setFixedSize(whole);
    }
    if (bottomBar != nullptr)
        bottomBar->setGeometry(0, widget->height() - barHeight, widget->width(), barHeight);
    return natural;
}

void DialogWindow::SetBottomBar(QWidget* bar)
{
    bottomBar = bar;
    Lay();
}

void DialogWindow::Zoom(int steps, bool relative)
{
    if (readingBox == nullptr || readingBox->widget == nullptr || widget == nullptr)
        return;
    QFont font = widget->font();
    const double base = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize();
    // Never smaller than a few points, whatever was asked or remembered.
    const int smallest = std::max(WindowState::kMinZoom, 4 - static_cast<int>(base));
    const int next = std::clamp(relative ? zoom + steps : steps, smallest, WindowState::kMaxZoom);
    if (font.pointSizeF() > 0)
        font.setPointSizeF(base + next);
    else
        font.setPixelSize(static_cast<int>(base) + next);
    readingBox->widget->setFont(font);
    Lay();
    if (next == zoom)
        return;
    zoom = next;
    WindowState state = LoadWindowState();
    state.zoom = zoom;
    SaveWindowState(state);
}

void DialogWindow::Remember() const
{
    if (!resizable || widget == nullptr)
        return;
    const QSize size =
        (widget->isMaximized() || widget->isFullScreen()) ? widget->normalGeometry().size() : widget->size();
    WindowState state = LoadWindowState();
    state.sizes[templateId] = {size.width(), size.height() - barHeight};
    SaveWindowState(state);
}

void DialogWindow::AddControl(std::unique_ptr<Window> control)
{
    control->parent = this;
    controls.push_back(std::move(control));
}

Window* DialogWindow::FirstTabStop() const
{
    for (const auto& control : controls)
        if ((control->style & WS_TABSTOP) && (control->style & WS_VISIBLE) && control->enabled)
            return control.get();
    return nullptr;
}

Window* DialogWindow::Control(int controlId) const
{
    for (const auto& control : controls)
        if (control->id == controlId)
            return control.get();
    return nullptr;
}

int DialogWindow::RunModal()
{
    Window* owner = parent;
    const bool ownerWasEnabled = owner != nullptr && owner->enabled;
    // Qt's application modality blocks the owner's input while the run lasts; the owner
    // also answers IsWindowEnabled with FALSE, as on the device.
    if (owner != nullptr)
        owner->enabled = false;
    if (!modalEnded) {
        widget->setWindowModality(Qt::ApplicationModal);
        widget->show();
        // The icon's larger sizes follow once the window is on the screen.
        QTimer::singleShot(0, widget, [this] {
            const bool big = bigIcon != nullptr && bigIcon->Complete();
            const bool small = smallIcon != nullptr && smallIcon->Complete();
            if (big || small)
                widget->setWindowIcon(bigIcon != nullptr ? bigIcon->icon : smallIcon->icon);
        });
        widget->raise();
        widget->activateWindow();
        CallCbtHooks(HCBT_ACTIVATE, this);
        QEventLoop loop;
        modalLoop = &loop;
        if (!modalEnded)
            loop.exec(QEventLoop::DialogExec);
        modalLoop = nullptr;
    }
    Remember();
    if (widget != nullptr)
        widget->hide();
    if (owner != nullptr) {
        owner->enabled = ownerWasEnabled;
        if (owner->widget != nullptr && owner->widget->isVisible())
            owner->widget->activateWindow();
    }
    return modalResult;
}

void DialogWindow::End(int result)
{
    modalEnded = true;
    modalResult = result;
    if (modalLoop != nullptr)
        modalLoop->exit(result);
}
