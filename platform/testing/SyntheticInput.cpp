// Synthetic input through Qt's test events: mouse clicks and key presses reach the widgets
// the way the desktop's do.
#include "platform/testing/SyntheticInput.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>

#include "platform/window/LocalDates.h"
#include "platform/window/controls/MenuBarControl.h"
#include "platform/window/dialog/DialogWindow.h"

namespace
{

Qt::Key QtKey(WORD virtualKey)
{
    switch (virtualKey) {
        case VK_TAB:
            return Qt::Key_Tab;
        case VK_RETURN:
            return Qt::Key_Return;
        case VK_ESCAPE:
            return Qt::Key_Escape;
        case VK_SPACE:
            return Qt::Key_Space;
        case VK_UP:
            return Qt::Key_Up;
        case VK_DOWN:
            return Qt::Key_Down;
        case VK_OEM_PLUS:
            return Qt::Key_Plus;
        case VK_OEM_MINUS:
            return Qt::Key_Minus;
        default:
            // Digits and letters share their codes with Qt's keys.
            return static_cast<Qt::Key>(virtualKey);
    }
}

bool Reachable(HWND window)
{
    return window != nullptr && window->widget != nullptr && window->widget->isVisible();
}

}  // namespace

BOOL UserClick(HWND control)
{
    if (!Reachable(control))
        return FALSE;
    QWidget* widget = control->widget;
    const QPoint where = qobject_cast<QCheckBox*>(widget) != nullptr ? QPoint(6, widget->height() / 2) : QPoint();
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, where);
    return TRUE;
}

BOOL UserKey(HWND window, WORD virtualKey)
{
    if (!Reachable(window))
        return FALSE;
    QWidget* target = window->widget->focusWidget() != nullptr ? window->widget->focusWidget() : window->widget.data();
    QTest::keyClick(target, QtKey(virtualKey));
    return TRUE;
}

BOOL UserControlKey(HWND window, WORD virtualKey)
{
    if (!Reachable(window))
        return FALSE;
    QWidget* target = window->widget->focusWidget() != nullptr ? window->widget->focusWidget() : window->widget.data();
    QTest::keyClick(target, QtKey(virtualKey), Qt::ControlModifier);
    return TRUE;
}

BOOL UserType(HWND control, LPCTSTR keys)
{
    if (!Reachable(control) || !control->widget->isEnabled() || keys == nullptr)
        return FALSE;
    QWidget* widget = control->widget;
    widget->setFocus(Qt::MouseFocusReason);
    if (auto* edit = qobject_cast<QDateTimeEdit*>(widget))
        edit->setSelectedSection(edit->sectionAt(0));
    QTest::keyClicks(widget, QString::fromWCharArray(keys));
    return TRUE;
}

BOOL UserPickDateTime(HWND picker, const SYSTEMTIME& value)
{
    if (!Reachable(picker) || !picker->widget->isEnabled())
        return FALSE;
    if (auto* time = qobject_cast<QTimeEdit*>(picker->widget)) {
        time->setTime(TimeOf(value));
        return TRUE;
    }
    if (auto* date = qobject_cast<QDateEdit*>(picker->widget)) {
        date->setDate(DateOf(value));
        return TRUE;
    }
    return FALSE;
}

BOOL UserChooseMenuItem(HWND window, UINT command)
{
    const DialogWindow* dialog = AsDialog(window);
    for (size_t i = 0; dialog != nullptr && i < dialog->controls.size(); ++i) {
        Window* bar = dialog->controls[i].get();
        if (dynamic_cast<MenuBarControl*>(bar) == nullptr || !Reachable(bar))
            continue;
        // The user opens the button's pop-up and picks the item.
        for (QToolButton* button : bar->widget->findChildren<QToolButton*>()) {
            if (!button->isEnabled() || button->menu() == nullptr)
                continue;
            for (QAction* action : button->menu()->actions()) {
                if (action->data().toUInt() == command && action->isEnabled()) {
                    action->trigger();
                    return TRUE;
                }
            }
        }
    }
    return FALSE;
}

BOOL SetDesktopForTesting(int pointSize, const char* style)
{
    static const QFont startFont = QApplication::font();
    static const QString startStyle = QApplication::style()->name();
    QFont font = startFont;
    if (pointSize > 0)
        font.setPointSize(pointSize);
    QApplication::setFont(font);
    QStyle* next = QStyleFactory::create(style != nullptr ? QString::fromLatin1(style) : startStyle);
    if (next == nullptr)
        return FALSE;
    QApplication::setStyle(next);
    return TRUE;
}

int TextAttributePointSize(HWND control)
{
    QAccessibleInterface* accessible = control != nullptr && control->widget != nullptr
                                           ? QAccessible::queryAccessibleInterface(control->widget)
                                           : nullptr;
    if (accessible == nullptr || accessible->textInterface() == nullptr)
        return 0;
    int start = 0, end = 0;
    const QString attributes = accessible->textInterface()->attributes(0, &start, &end);
    static const QRegularExpression size(QStringLiteral("font-size:\\s*([0-9.]+)pt"));
    const QRegularExpressionMatch match = size.match(attributes);
    return match.hasMatch() ? static_cast<int>(match.captured(1).toDouble() + 0.5) : 0;
}

std::vector<SeenControl> SeenControls(HWND window)
{
    std::vector<SeenControl> seen;
    const DialogWindow* dialog = AsDialog(window);
    for (size_t i = 0; dialog != nullptr && i < dialog->controls.size(); ++i) {
        QWidget* widget = dialog->controls[i]->widget;
        if (widget == nullptr || !widget->isVisible())
            continue;
        RECT rect{};
        GetWindowRect(dialog->controls[i].get(), &rect);
        // A field's text must fit its editing part; a caption, what the style asks for it.
        bool whole = true;
        if (auto* edit = widget->findChild<QLineEdit*>())
            whole = edit->contentsRect().width() - 4 >= edit->fontMetrics().horizontalAdvance(edit->text());
        else if (qobject_cast<QAbstractButton*>(widget) != nullptr || qobject_cast<QLabel*>(widget) != nullptr)
            whole = widget->width() >= widget->sizeHint().width() && widget->height() >= widget->sizeHint().height();
        seen.push_back({dialog->controls[i]->id, rect, whole});
    }
    return seen;
}
