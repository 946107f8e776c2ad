// Dialog windows: built from a template with their controls, and run modally.
#include "platform/window/dialog/DialogWindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QWindow>

#include <algorithm>
#include <utility>

#include "platform/window/Accessibility.h"
#include "platform/window/IconImage.h"
#include "platform/window/Observers.h"
#include "platform/window/ReadingZoom.h"
#include "platform/window/WindowState.h"
#include "platform/window/WorkArea.h"
#include "platform/window/controls/ButtonControl.h"
#include "platform/window/controls/DateTimePickerControl.h"
#include "platform/window/controls/EditControl.h"
#include "platform/window/controls/MonthCalendarControl.h"
#include "platform/window/controls/StaticControl.h"
#include "platform/window/dialog/DialogWidget.h"

namespace
{

ActivationObserver g_activationObserver = nullptr;

// Every dialog window alive, so that a stale handle is refused rather than followed.
std::vector<DialogWindow*>& Living()
{
    static std::vector<DialogWindow*> windows;
    return windows;
}

// A control the template hides is made without a widget: nothing shows it, so it answers
// the program from the state it keeps, and costs the window's start nothing on the screen.
std::unique_ptr<Window> CreateControl(DialogWindow* dialog, const DialogItemTemplate& item, HINSTANCE module)
{
    const bool shown = item.style & WS_VISIBLE;
    switch (item.windowClass) {
        case ControlClass::Button:
            return shown ? ButtonControl::Create(dialog, item) : std::make_unique<ButtonControl>();
        case ControlClass::Edit:
            return shown ? EditControl::Create(dialog, item) : std::make_unique<EditControl>();
        case ControlClass::Static:
            return shown ? StaticControl::Create(dialog, item, module) : std::make_unique<StaticControl>();
        case ControlClass::DateTimePicker:
            return shown ? DateTimePickerControl::Create(dialog, item) : std::make_unique<DateTimePickerControl>();
        case ControlClass::MonthCalendar:
            return std::make_unique<MonthCalendarControl>();
    }
    return nullptr;
}

// What every control of a template has: its id, styles and text, and, when it is shown, its
// place in dialog units.
void PlaceControl(DialogWindow* dialog, Window* control, const DialogItemTemplate& item)
{
    control->parent = dialog;
    control->id = item.id;
    control->style = item.style;
    control->exStyle = item.exStyle;
    control->enabled = !(item.style & WS_DISABLED);
    if (item.text != nullptr && (item.style & 0x1F) != SS_BITMAP)
        control->SetText(item.text);
    QWidget* widget = control->widget;
    if (widget == nullptr)
        return;
    widget->setEnabled(control->enabled);
    const DialogUnits& u = dialog->units;
    const QRect rect(u.X(item.x), u.Y(item.y), u.X(item.cx), u.Y(item.cy));
    widget->setGeometry(rect);
    dialog->layout.Place(control, rect);
    if (!(item.style & WS_TABSTOP))
        widget->setFocusPolicy(static_cast<Qt::FocusPolicy>(widget->focusPolicy() & ~Qt::TabFocus));
}

}  // namespace

ActivationObserver SetActivationObserverForTesting(ActivationObserver observer)
{
    return std::exchange(g_activationObserver, observer);
}

DialogWindow* AsDialog(HWND window)
{
    return dynamic_cast<DialogWindow*>(window);
}

DialogWindow::DialogWindow() : layout(*this)
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
        case WM_SETICON: {
            HICON& slot = wParam == ICON_BIG ? bigIcon : smallIcon;
            HICON previous = slot;
            slot = reinterpret_cast<HICON>(lParam);
            // A window not yet on the screen takes its icon after its first frame.
            if (widget != nullptr && widget->isVisible())
                ShowIcon();
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
    DialogLayout& layout = dialog->layout;
    layout.templateSize = QSize(dialog->units.X(dialogTemplate.cx), dialog->units.Y(dialogTemplate.cy));
    widget->resize(layout.templateSize);
    dialog->SetText(dialogTemplate.caption != nullptr ? dialogTemplate.caption : L"");

    for (const DialogItemTemplate& item : dialogTemplate.items) {
        std::unique_ptr<Window> control = CreateControl(dialog, item, module);
        if (control == nullptr)
            continue;
        PlaceControl(dialog, control.get(), item);
        MakeAccessible(control.get(), item, dialogTemplate.items);
        if (layout.readingBox == nullptr && item.windowClass == ControlClass::Edit && (control->style & WS_VISIBLE) &&
            (item.style & ES_MULTILINE) && (item.style & WS_VSCROLL))
            layout.readingBox = control.get();
        dialog->AddControl(std::move(control));
    }

    // An application window with a reading box is the reader's: it may be resized, and
    // opens at the size it was left at, as far as the screen holds it (see RunModal).
    const QRect area = WorkArea();
    const WindowState state = LoadWindowState();
    layout.resizable = (dialog->exStyle & WS_EX_APPWINDOW) && layout.readingBox != nullptr;
    const QSize natural = layout.Lay();
    if (layout.resizable) {
        const auto remembered = state.sizes.find(dialog->templateId);
        QSize size = natural;
        if (remembered != state.sizes.end())
            size = QSize(remembered->second.width, remembered->second.height).expandedTo(natural);
        widget->resize(size);
        // Maximized, it keeps the normal size it had to come back to.
        if (remembered != state.sizes.end() && remembered->second.maximized)
            widget->setWindowState(widget->windowState() | Qt::WindowMaximized);
    }
    // The zoom remembered is the reader's; any other window's lasts while it is open.
    if (layout.readingBox != nullptr)
        dialog->zoom = std::make_unique<ReadingZoom>(dialog, layout.resizable ? state.zoom : 0);

    if (dialog->style & DS_CENTER) {
        widget->move(area.center() - widget->rect().center());
    } else {
        const QPoint origin = owner != nullptr && owner->widget != nullptr ? owner->widget->pos() : area.topLeft();
        widget->move(origin + QPoint(dialog->units.X(dialogTemplate.x), dialog->units.Y(dialogTemplate.y)));
    }
    return dialog;
}

void DialogWindow::ShowIcon() const
{
    // Qt keeps one icon per window, with every size in it; the big one wins.
    HICON shown = bigIcon != nullptr ? bigIcon : smallIcon;
    widget->setWindowIcon(shown != nullptr ? shown->Images() : QIcon());
}

void DialogWindow::Remember() const
{
    if (!layout.resizable || widget == nullptr)
        return;
    const QSize size =
        (widget->isMaximized() || widget->isFullScreen()) ? widget->normalGeometry().size() : widget->size();
    RememberSize(templateId, size.width(), size.height() - layout.barHeight, widget->isMaximized());
}

void DialogWindow::FitWorkArea() const
{
    // The frame is known once the window exists, where the platform draws one.
    widget->winId();
    const QMargins frame = widget->windowHandle() != nullptr ? widget->windowHandle()->frameMargins() : QMargins();
    const QRect area = WorkArea();
    if (layout.resizable)
        widget->resize(widget->size().boundedTo(area.size().shrunkBy(frame)));
    const QSize size = widget->size().grownBy(frame);
    widget->move(std::max(area.left(), std::min(widget->x(), area.right() + 1 - size.width())),
                 std::max(area.top(), std::min(widget->y(), area.bottom() + 1 - size.height())));
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
        // The program's main window has no owner and blocks no other window: the desktop
        // treats it as the normal window it is.
        if (owner != nullptr)
            widget->setWindowModality(Qt::ApplicationModal);
        FitWorkArea();
        widget->show();
        widget->raise();
        widget->activateWindow();
        if (g_activationObserver != nullptr)
            g_activationObserver(this);
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
