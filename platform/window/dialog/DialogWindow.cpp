// Dialog windows: built from a template with their controls, and run modally.
#include "platform/window/dialog/DialogWindow.h"

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <utility>

#include "platform/window/Accessibility.h"
#include "platform/window/IconImage.h"
#include "platform/window/Observers.h"
#include "platform/window/ReadingZoom.h"
#include "platform/window/WindowState.h"
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
    dialog->layout.Place(control, rect);
    if (!(item.style & WS_TABSTOP))
        control->widget->setFocusPolicy(static_cast<Qt::FocusPolicy>(control->widget->focusPolicy() & ~Qt::TabFocus));
    if (item.text != nullptr && (item.style & 0x1F) != SS_BITMAP)
        control->SetText(item.text);
    control->widget->setVisible(item.style & WS_VISIBLE);
}

}  // namespace

ActivationObserver SetActivationObserverForTesting(ActivationObserver observer)
{
    return std::exchange(g_activationObserver, observer);
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
    DialogLayout& layout = dialog->layout;
    layout.templateSize = QSize(dialog->units.X(dialogTemplate.cx), dialog->units.Y(dialogTemplate.cy));
    widget->resize(layout.templateSize);
    dialog->SetText(dialogTemplate.caption != nullptr ? dialogTemplate.caption : L"");

    for (const DialogItemTemplate& item : dialogTemplate.items) {
        std::unique_ptr<Window> control = CreateControl(dialog, item, module);
        if (control == nullptr || control->widget == nullptr)
            continue;
        PlaceControl(dialog, control.get(), item);
        MakeAccessible(control.get(), item, dialogTemplate.items);
        if (layout.readingBox == nullptr && item.windowClass == ControlClass::Edit && (control->style & WS_VISIBLE) &&
            (item.style & ES_MULTILINE) && (item.style & WS_VSCROLL))
            layout.readingBox = control.get();
        dialog->AddControl(std::move(control));
    }

    // An application window with a reading box is the reader's: it may be resized, and
    // opens at the size it was left at, if that fits the screen.
    const QRect area = WorkArea();
    const WindowState state = LoadWindowState();
    layout.resizable = (dialog->exStyle & WS_EX_APPWINDOW) && layout.readingBox != nullptr;
    const QSize natural = layout.Lay();
    if (layout.resizable) {
        const auto remembered = state.sizes.find(dialog->templateId);
        if (remembered != state.sizes.end() && remembered->second.width <= area.width() &&
            remembered->second.height <= area.height())
            widget->resize(QSize(remembered->second.width, remembered->second.height).expandedTo(natural));
    }
    if (layout.readingBox != nullptr)
        dialog->zoom = std::make_unique<ReadingZoom>(dialog, state.zoom);

    if (dialog->style & DS_CENTER) {
        widget->move(area.center() - widget->rect().center());
    } else {
        const QPoint origin = owner != nullptr && owner->widget != nullptr ? owner->widget->pos() : area.topLeft();
        widget->move(origin + QPoint(dialog->units.X(dialogTemplate.x), dialog->units.Y(dialogTemplate.y)));
    }
    return dialog;
}

void DialogWindow::Remember() const
{
    if (!layout.resizable || widget == nullptr)
        return;
    const QSize size =
        (widget->isMaximized() || widget->isFullScreen()) ? widget->normalGeometry().size() : widget->size();
    RememberSize(templateId, size.width(), size.height() - layout.barHeight);
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
