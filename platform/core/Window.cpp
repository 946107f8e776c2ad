// Top-level windows: dialogs from templates, message boxes, modal runs, and the requests
// every window answers.
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <cstring>

#include "platform/core/IconImage.h"
#include "platform/core/WindowImpl.h"

namespace
{

ModalHook g_modalHook = nullptr;

// The id of a message box's text, as on the device.
constexpr int kMessageTextId = 0xFFFF;

TopLevelWindow* AsTopLevel(HWND window)
{
    return dynamic_cast<TopLevelWindow*>(window);
}

// The widget of a dialog window. Keys and the window manager's close button reach the
// program as commands through its dialog procedure, never as Qt shortcuts around it.
class DialogWidget : public QWidget
{
public:
    DialogWidget(TopLevelWindow* window, QWidget* owner) : QWidget(owner, Qt::Dialog), m_window(window) {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        switch (event->key()) {
            case Qt::Key_Escape:
                SendCommand(m_window, IDCANCEL, BN_CLICKED, nullptr);
                return;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                SendCommand(m_window, FocusedButtonOrDefault(), BN_CLICKED, nullptr);
                return;
            default:
                QWidget::keyPressEvent(event);
        }
    }

    void closeEvent(QCloseEvent* event) override
    {
        event->ignore();
        SendCommand(m_window, IDCANCEL, BN_CLICKED, nullptr);
    }

private:
    // Enter presses the push button that has the focus, otherwise the default one.
    int FocusedButtonOrDefault() const
    {
        QWidget* focus = focusWidget();
        if (qobject_cast<QPushButton*>(focus) != nullptr) {
            for (const auto& control : m_window->controls)
                if (control->widget == focus)
                    return control->id;
        }
        return m_window->DefaultCommand();
    }

    TopLevelWindow* m_window;
};

// A message box: its procedure ends it with IDOK, however it is closed.
struct MessageBoxWindow : TopLevelWindow {
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_COMMAND) {
            EndDialog(this, IDOK);
            return 0;
        }
        return TopLevelWindow::Proc(message, wParam, lParam);
    }
};

// A control of a message box that only answers its text.
struct MessageBoxPart : Window {
};

DialogUnits UnitsOf(const QFont& font)
{
    // The device's rule: the average width of the 52 letters, rounded, and the font height.
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnits units;
    units.baseX = (width / 26 + 1) / 2;
    units.baseY = metrics.height();
    return units;
}

QRect WorkArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 640, 480);
}

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

TopLevelWindow::~TopLevelWindow()
{
    // Controls first: their widgets are children of this window's widget.
    controls.clear();
}

LRESULT TopLevelWindow::Proc(UINT message, WPARAM wParam, LPARAM lParam)
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

void TopLevelWindow::SetText(const std::wstring& newText)
{
    Window::SetText(newText);
    if (widget != nullptr)
        widget->setWindowTitle(QString::fromStdWString(newText));
}

void SetModalHook(ModalHook hook)
{
    g_modalHook = hook;
}

void SendCommand(Window* dialog, int id, WORD code, Window* from)
{
    if (dialog != nullptr)
        dialog->Proc(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), code), reinterpret_cast<LPARAM>(from));
}

LRESULT SendNotify(Window* from, NMHDR* header)
{
    if (from == nullptr || from->parent == nullptr)
        return 0;
    header->hwndFrom = from;
    header->idFrom = static_cast<UINT>(from->id);
    return from->parent->Proc(WM_NOTIFY, static_cast<WPARAM>(from->id), reinterpret_cast<LPARAM>(header));
}

QFont DialogFont(LPCTSTR typeface, int pointSize)
{
    // "System" names the device's own interface font; here that is the desktop's.
    QFont font = QApplication::font();
    const QString face = QString::fromWCharArray(typeface != nullptr ? typeface : L"");
    if (!face.isEmpty() && face != QLatin1String("System"))
        font.setFamily(face);
    if (pointSize > 0)
        font.setPointSize(pointSize);
    return font;
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return window != nullptr ? window->Proc(message, wParam, lParam) : 0;
}

HWND CreateDialogIndirectParam(HINSTANCE module, const DialogTemplate* dialogTemplate, HWND owner, WNDPROC dialogProc,
                               LPARAM initParam)
{
    if (dialogTemplate == nullptr)
        return nullptr;
    auto* dialog = new TopLevelWindow;
    dialog->parent = owner;
    dialog->id = dialogTemplate->id;
    dialog->style = dialogTemplate->style;
    dialog->exStyle = dialogTemplate->exStyle;
    dialog->dialogProc = dialogProc;
    dialog->userData = initParam;

    auto* widget = new DialogWidget(dialog, owner != nullptr ? owner->widget.data() : nullptr);
    dialog->widget = widget;
    const QFont font = DialogFont(dialogTemplate->typeface, dialogTemplate->pointSize);
    widget->setFont(font);
    dialog->units = UnitsOf(font);
    widget->setFixedSize(dialog->units.X(dialogTemplate->cx), dialog->units.Y(dialogTemplate->cy));
    dialog->SetText(dialogTemplate->caption != nullptr ? dialogTemplate->caption : L"");

    const QRect area = WorkArea();
    if (dialog->style & DS_CENTER) {
        widget->move(area.center() - widget->rect().center());
    } else {
        const QPoint origin = owner != nullptr && owner->widget != nullptr ? owner->widget->pos() : area.topLeft();
        widget->move(origin + QPoint(dialog->units.X(dialogTemplate->x), dialog->units.Y(dialogTemplate->y)));
    }

    for (const DialogItemTemplate& item : dialogTemplate->items) {
        if (std::unique_ptr<Window> control = CreateControl(dialog, item, module))
            dialog->controls.push_back(std::move(control));
    }

    // The first control that takes the focus gets it when the procedure answers TRUE.
    Window* firstTabStop = nullptr;
    for (const auto& control : dialog->controls) {
        if ((control->style & WS_TABSTOP) && (control->style & WS_VISIBLE) && control->enabled) {
            firstTabStop = control.get();
            break;
        }
    }
    if (dialog->Proc(WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), initParam) && firstTabStop != nullptr &&
        firstTabStop->widget != nullptr)
        firstTabStop->widget->setFocus(Qt::OtherFocusReason);
    return dialog;
}

int RunModalLoop(HWND window)
{
    TopLevelWindow* dialog = AsTopLevel(window);
    if (dialog == nullptr || dialog->widget == nullptr)
        return -1;
    Window* owner = dialog->parent;
    const bool ownerWasEnabled = owner != nullptr && owner->enabled;
    // Qt's application modality blocks the owner's input while the run lasts; the owner
    // also answers IsWindowEnabled with FALSE, as on the device.
    if (owner != nullptr)
        owner->enabled = false;
    if (!dialog->modalEnded) {
        dialog->widget->setWindowModality(Qt::ApplicationModal);
        dialog->widget->show();
        dialog->widget->raise();
        dialog->widget->activateWindow();
        if (g_modalHook != nullptr)
            g_modalHook(dialog);
        QEventLoop loop;
        dialog->modalLoop = &loop;
        if (!dialog->modalEnded)
            loop.exec(QEventLoop::DialogExec);
        dialog->modalLoop = nullptr;
    }
    if (dialog->widget != nullptr)
        dialog->widget->hide();
    if (owner != nullptr) {
        owner->enabled = ownerWasEnabled;
        if (owner->widget != nullptr && owner->widget->isVisible())
            owner->widget->activateWindow();
    }
    return dialog->modalResult;
}

BOOL EndDialog(HWND window, int result)
{
    TopLevelWindow* dialog = AsTopLevel(window);
    if (dialog == nullptr)
        return FALSE;
    dialog->modalEnded = true;
    dialog->modalResult = result;
    if (dialog->modalLoop != nullptr)
        dialog->modalLoop->exit(result);
    return TRUE;
}

BOOL DestroyWindow(HWND window)
{
    TopLevelWindow* dialog = AsTopLevel(window);
    if (dialog == nullptr)
        return FALSE;
    if (dialog->dialogProc != nullptr)
        dialog->dialogProc(dialog, WM_DESTROY, 0, 0);
    delete dialog;
    return TRUE;
}

int MessageBox(HWND owner, LPCTSTR text, LPCTSTR caption, UINT /*type*/)
{
    auto* window = new MessageBoxWindow;
    window->parent = owner;
    auto* box = new QMessageBox(owner != nullptr ? owner->widget.data() : nullptr);
    window->widget = box;
    box->setIcon(QMessageBox::NoIcon);
    box->setTextFormat(Qt::PlainText);
    box->setText(QString::fromWCharArray(text != nullptr ? text : L""));
    window->SetText(caption != nullptr ? caption : L"Error");
    QPushButton* ok = box->addButton(QMessageBox::Ok);

    auto okPart = std::make_unique<MessageBoxPart>();
    okPart->parent = window;
    okPart->id = IDOK;
    okPart->style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
    okPart->widget = ok;
    okPart->text = L"OK";
    auto textPart = std::make_unique<MessageBoxPart>();
    textPart->parent = window;
    textPart->id = kMessageTextId;
    textPart->style = WS_CHILD | WS_VISIBLE | SS_LEFT;
    textPart->text = text != nullptr ? text : L"";
    window->controls.push_back(std::move(okPart));
    window->controls.push_back(std::move(textPart));

    // However the box closes (its button, Enter, Escape, the close button), it ends with OK.
    const QMetaObject::Connection closed =
        QObject::connect(box, &QDialog::finished, box, [window] { SendCommand(window, IDOK, BN_CLICKED, nullptr); });
    const int result = RunModalLoop(window);
    QObject::disconnect(closed);
    delete window;
    return result;
}

HWND GetDlgItem(HWND dialogHandle, int id)
{
    TopLevelWindow* dialog = AsTopLevel(dialogHandle);
    if (dialog == nullptr)
        return nullptr;
    for (const auto& control : dialog->controls)
        if (control->id == id)
            return control.get();
    return nullptr;
}

int GetDlgCtrlID(HWND window)
{
    return window != nullptr ? window->id : 0;
}

HWND GetParent(HWND window)
{
    return window != nullptr ? window->parent : nullptr;
}

BOOL SetWindowText(HWND window, LPCTSTR text)
{
    return static_cast<BOOL>(SendMessage(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

int GetWindowText(HWND window, LPTSTR buffer, int bufferMax)
{
    if (bufferMax <= 0)
        return 0;
    return static_cast<int>(
        SendMessage(window, WM_GETTEXT, static_cast<WPARAM>(bufferMax), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLength(HWND window)
{
    return static_cast<int>(SendMessage(window, WM_GETTEXTLENGTH, 0, 0));
}

BOOL EnableWindow(HWND window, BOOL enable)
{
    if (window == nullptr)
        return FALSE;
    const BOOL wasDisabled = window->enabled ? FALSE : TRUE;
    window->enabled = enable != FALSE;
    if (window->widget != nullptr && AsTopLevel(window) == nullptr)
        window->widget->setEnabled(window->enabled);
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND window)
{
    return window != nullptr && window->enabled ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND window)
{
    return window != nullptr && window->widget != nullptr && window->widget->isVisible() ? TRUE : FALSE;
}

LONG GetWindowLong(HWND window, int index)
{
    if (window == nullptr)
        return 0;
    if (index == GWL_STYLE)
        return static_cast<LONG>(window->style);
    if (index == GWL_EXSTYLE)
        return static_cast<LONG>(window->exStyle);
    return 0;
}

LONG SetWindowLong(HWND window, int index, LONG value)
{
    if (window == nullptr)
        return 0;
    DWORD* slot = index == GWL_STYLE ? &window->style : index == GWL_EXSTYLE ? &window->exStyle : nullptr;
    if (slot == nullptr)
        return 0;
    const LONG previous = static_cast<LONG>(*slot);
    *slot = static_cast<DWORD>(value);
    return previous;
}

BOOL SetWindowPos(HWND window, HWND /*insertAfter*/, int x, int y, int cx, int cy, UINT flags)
{
    if (window == nullptr || window->widget == nullptr)
        return FALSE;
    // SWP_FRAMECHANGED applies a changed style to the frame; no style the program changes
    // alters a Linux window's frame, so there is nothing more to do for it.
    if (!(flags & SWP_NOMOVE))
        window->widget->move(x, y);
    if (!(flags & SWP_NOSIZE))
        window->widget->resize(cx, cy);
    return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect)
{
    if (window == nullptr || window->widget == nullptr || rect == nullptr)
        return FALSE;
    QRect frame = window->widget->frameGeometry();
    if (window->widget->parentWidget() != nullptr && !window->widget->isWindow())
        frame.moveTopLeft(window->widget->mapToGlobal(QPoint(0, 0)));
    *rect = RECT{frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1};
    return TRUE;
}

BOOL SystemParametersInfo(UINT action, UINT /*param*/, void* value, UINT /*winIni*/)
{
    if (action != SPI_GETWORKAREA || value == nullptr)
        return FALSE;
    const QRect area = WorkArea();
    *static_cast<RECT*>(value) = RECT{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
    return TRUE;
}

LPARAM GetWindowLongPtr(HWND window, int index)
{
    TopLevelWindow* dialog = AsTopLevel(window);
    return dialog != nullptr && index == GWLP_USERDATA ? dialog->userData : 0;
}
