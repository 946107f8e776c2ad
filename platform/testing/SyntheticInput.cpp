// The user's input through Qt's test events: mouse clicks and key presses reach the widgets
// the way the desktop's do. And the desktop a test stands in, and what the user sees in it.
#include "platform/testing/SyntheticInput.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QRegularExpression>
#include <QStyleOption>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>
#include <QWheelEvent>

#include <cstdlib>
#include <utility>

#include "platform/testing/ScriptedUser.h"
#include "platform/testing/TestEnvironment.h"
#include "platform/testing/WindowQueries.h"
#include "platform/window/DesktopStyle.h"
#include "platform/window/LocalDates.h"
#include "platform/window/controls/MenuBarControl.h"
#include "platform/window/dialog/DialogWindow.h"

namespace
{

Qt::Key QtKey(WORD virtualKey)
{
    const std::pair<WORD, Qt::Key> keys[] = {
        {VK_RETURN, Qt::Key_Return}, {VK_ESCAPE, Qt::Key_Escape}, {VK_PRIOR, Qt::Key_PageUp},
        {VK_NEXT, Qt::Key_PageDown}, {VK_HOME, Qt::Key_Home},     {VK_LEFT, Qt::Key_Left},
        {VK_RIGHT, Qt::Key_Right},   {VK_OEM_PLUS, Qt::Key_Plus}, {VK_OEM_MINUS, Qt::Key_Minus},
    };
    for (const auto& [code, key] : keys)
        if (code == virtualKey)
            return key;
    return static_cast<Qt::Key>(virtualKey);  // digits and letters share their codes with Qt's keys
}

}  // namespace

void WindowView::Click(int id) const
{
    HWND control = Control(id);
    ASSERT_TRUE(IsWindowVisible(control)) << "control " << id << " is not shown";
    QWidget* widget = control->widget;
    const QPoint where = qobject_cast<QCheckBox*>(widget) != nullptr ? QPoint(6, widget->height() / 2) : QPoint();
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, where);
}

void WindowView::Key(WORD virtualKey, WORD heldKey) const
{
    ASSERT_TRUE(IsWindowVisible(m_window)) << "the window is not shown";
    QWidget* target =
        m_window->widget->focusWidget() != nullptr ? m_window->widget->focusWidget() : m_window->widget.data();
    const auto held = heldKey == VK_CONTROL ? Qt::ControlModifier
                      : heldKey == VK_MENU  ? Qt::AltModifier
                                            : Qt::NoModifier;
    QTest::keyClick(target, QtKey(virtualKey), held);
}

void WindowView::CtrlWheel(int id) const
{
    QWidget* widget = Control(id)->widget;
    ASSERT_TRUE(widget != nullptr && widget->isVisible()) << "control " << id << " is not shown";
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget))
        widget = area->viewport();  // a text box's text takes the wheel
    const QPointF at = QRectF(widget->rect()).center();
    QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

void WindowView::Type(int id, LPCTSTR keys) const
{
    HWND control = Control(id);
    ASSERT_TRUE(IsWindowVisible(control) && IsWindowEnabled(control))
        << "field " << id << " is not shown or is disabled";
    control->widget->setFocus(Qt::MouseFocusReason);
    if (auto* edit = qobject_cast<QDateTimeEdit*>(control->widget))
        edit->setSelectedSection(edit->sectionAt(0));
    QTest::keyClicks(control->widget, QString::fromWCharArray(keys));
}

void WindowView::PickDateTime(int id, const SYSTEMTIME& value) const
{
    HWND picker = Control(id);
    ASSERT_TRUE(IsWindowVisible(picker) && IsWindowEnabled(picker)) << "field " << id << " is not shown or is disabled";
    if (auto* time = qobject_cast<QTimeEdit*>(picker->widget))
        time->setTime(TimeOf(value));
    else if (auto* date = qobject_cast<QDateEdit*>(picker->widget))
        date->setDate(DateOf(value));
    else
        ADD_FAILURE() << "control " << id << " is no date or time field";
}

RECT WindowView::OpenDropDown(int id) const
{
    HWND picker = Control(id);
    auto* edit = IsWindowVisible(picker) ? qobject_cast<QDateEdit*>(picker->widget) : nullptr;
    if (edit == nullptr) {
        ADD_FAILURE() << "field " << id << " is no date field the user can open";
        return RECT{};
    }
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(edit->width() - 4, edit->height() / 2));
    QWidget* popup = edit->calendarWidget()->window();
    EXPECT_TRUE(popup->isVisible()) << "the drop-down of field " << id << " does not open";
    const QRect frame = popup->frameGeometry();
    popup->hide();
    return RECT{frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1};
}

void WindowView::ChooseMenuCommand(UINT command) const
{
    const DialogWindow* dialog = AsDialog(m_window);
    for (size_t i = 0; dialog != nullptr && i < dialog->controls.size(); ++i) {
        Window* bar = dialog->controls[i].get();
        if (dynamic_cast<MenuBarControl*>(bar) == nullptr || !IsWindowVisible(bar))
            continue;
        // The user opens the button's pop-up and picks the item.
        for (QToolButton* button : bar->widget->findChildren<QToolButton*>()) {
            if (!button->isEnabled() || button->menu() == nullptr)
                continue;
            for (QAction* action : button->menu()->actions()) {
                if (action->data().toUInt() == command && action->isEnabled()) {
                    action->trigger();
                    return;
                }
            }
        }
    }
    ADD_FAILURE() << "no menu item " << command;
}

BOOL SetDesktopForTesting(int pointSize, const char* style)
{
    static const QFont startFont = QApplication::font();
    QFont font = startFont;
    if (pointSize > 0)
        font.setPointSize(pointSize);
    QApplication::setFont(font);
    return UseStyle(style);
}

bool WaitWhileWindowsRun(const std::function<bool()>& done, double seconds)
{
    return WaitUntil(
        [&] {
            QCoreApplication::processEvents();
            return done();
        },
        seconds);
}

int TextAttributePointSize(HWND control)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control->widget);
    int start = 0, end = 0;
    const QString attributes = accessible != nullptr && accessible->textInterface() != nullptr
                                   ? accessible->textInterface()->attributes(0, &start, &end)
                                   : QString();
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

int UntickedBoxApartInTheDark(HWND checkBox)
{
    auto* box = qobject_cast<QCheckBox*>(checkBox->widget);
    if (box == nullptr || box->isChecked())
        return 0;
    const QColor window(50, 50, 50), text(238, 238, 238);
    QPalette dark(text, window, window.lighter(), window.darker(), window, text, text, window, window);
    box->setPalette(dark);
    const QImage image = box->grab().toImage();
    box->setPalette(QPalette());
    QStyleOptionButton option;
    option.initFrom(box);
    const QPoint centre = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box).center();
    return std::abs(qGray(image.pixel(centre * image.devicePixelRatio())) - qGray(window.rgb()));
}
