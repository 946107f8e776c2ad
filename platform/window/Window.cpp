// The base of every window: its text, its properties, and the one way messages reach a
// window procedure.
#include "platform/window/Window.h"

#include <QVariant>

#include <algorithm>
#include <cwchar>
#include <utility>

#include "platform/window/Observers.h"

namespace
{

// The widget property that names the window a widget belongs to.
constexpr const char* kWindowProperty = "solmiraWindow";

MessageObserver g_messageObserver = nullptr;

}  // namespace

Window::~Window()
{
    delete widget.data();
}

LRESULT Window::Proc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_SETTEXT:
            SetText(lParam != 0 ? reinterpret_cast<LPCTSTR>(lParam) : L"");
            return TRUE;
        case WM_GETTEXT: {
            auto* buffer = reinterpret_cast<LPTSTR>(lParam);
            if (buffer == nullptr || wParam == 0)
                return 0;
            const std::wstring current = GetText();
            const size_t length = std::min(current.size(), static_cast<size_t>(wParam) - 1);
            std::wmemcpy(buffer, current.data(), length);
            buffer[length] = L'\0';
            return static_cast<LRESULT>(length);
        }
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(GetText().size());
        default:
            return 0;
    }
}

void Window::SetText(const std::wstring& newText)
{
    text = newText;
}

void Window::Adopt(QWidget* newWidget)
{
    widget = newWidget;
    if (newWidget != nullptr)
        newWidget->setProperty(kWindowProperty, QVariant::fromValue(reinterpret_cast<quintptr>(this)));
}

Window* Window::Owning(const QWidget* child)
{
    for (const QWidget* w = child; w != nullptr; w = w->parentWidget()) {
        const QVariant owner = w->property(kWindowProperty);
        if (owner.isValid())
            return reinterpret_cast<Window*>(owner.value<quintptr>());
    }
    return nullptr;
}

LRESULT DeliverMessage(Window* window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window == nullptr)
        return 0;
    if (g_messageObserver != nullptr)
        g_messageObserver(window, message, wParam, lParam);
    return window->Proc(message, wParam, lParam);
}

MessageObserver SetMessageObserverForTesting(MessageObserver observer)
{
    return std::exchange(g_messageObserver, observer);
}

void SendCommand(Window* dialog, int id, WORD code, Window* from)
{
    DeliverMessage(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), code), reinterpret_cast<LPARAM>(from));
}

LRESULT SendNotify(Window* from, NMHDR* header)
{
    if (from == nullptr || from->parent == nullptr)
        return 0;
    header->hwndFrom = from;
    header->idFrom = static_cast<UINT>(from->id);
    return DeliverMessage(from->parent, WM_NOTIFY, static_cast<WPARAM>(from->id), reinterpret_cast<LPARAM>(header));
}
