#include "platform/testing/ScriptedUser.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>

#include <vector>

#include "platform/core/WindowImpl.h"

namespace
{

ScriptedUser* g_user = nullptr;
constexpr int kMessageTextId = 0xFFFF;

Window* Control(HWND window, int id)
{
    return GetDlgItem(window, id);
}

std::string Narrow(const std::wstring& text)
{
    return QString::fromStdWString(text).toStdString();
}

// Ends a window that the script does not handle, so that the test goes on.
void CloseUnhandled(HWND window, const QPointer<QWidget>& alive, const std::string& why)
{
    if (alive.isNull())
        return;
    ADD_FAILURE() << why << ": \"" << Narrow(WindowView(window).Caption()) << "\" with text \""
                  << Narrow(WindowView(window).MessageText()) << "\"";
    EndDialog(window, IDCANCEL);
}

}  // namespace

std::wstring WindowView::Caption() const
{
    return m_window->text;
}

std::wstring WindowView::MessageText() const
{
    Window* text = Control(m_window, kMessageTextId);
    return text != nullptr ? text->GetText() : m_window->GetText();
}

std::wstring WindowView::ControlText(int id) const
{
    Window* control = Control(m_window, id);
    EXPECT_NE(control, nullptr) << "no control " << id;
    return control != nullptr ? control->GetText() : std::wstring();
}

bool WindowView::Exists(int id) const
{
    return Control(m_window, id) != nullptr;
}

bool WindowView::IsVisible(int id) const
{
    return IsWindowVisible(Control(m_window, id)) != FALSE;
}

bool WindowView::IsEnabled(int id) const
{
    return IsWindowEnabled(Control(m_window, id)) != FALSE;
}

bool WindowView::IsEnabled() const
{
    return IsWindowEnabled(m_window) != FALSE;
}

bool WindowView::HasFocus(int id) const
{
    Window* control = Control(m_window, id);
    return control != nullptr && control->widget != nullptr && m_window->widget->focusWidget() == control->widget;
}

bool WindowView::IsChecked(int id) const
{
    return SendMessage(Control(m_window, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

SYSTEMTIME WindowView::Time(int id) const
{
    SYSTEMTIME time{};
    SendMessage(Control(m_window, id), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    return time;
}

void WindowView::SetTime(int id, const QTime& time) const
{
    auto* edit = qobject_cast<QTimeEdit*>(ControlWidget(id));
    ASSERT_NE(edit, nullptr) << "no time field " << id;
    ASSERT_TRUE(edit->isEnabled()) << "the time field " << id << " is disabled";
    edit->setTime(time);
}

bool WindowView::HasIcon() const
{
    return m_window->widget != nullptr && !m_window->widget->windowIcon().isNull();
}

bool WindowView::IsShown() const
{
    return IsWindowVisible(m_window) != FALSE;
}

WindowView WindowView::Owner() const
{
    return WindowView(GetParent(m_window));
}

DWORD WindowView::Style() const
{
    return static_cast<DWORD>(GetWindowLong(m_window, GWL_STYLE));
}

bool WindowView::DoneButtonShown() const
{
    return static_cast<TopLevelWindow*>(m_window)->doneButtonShown;
}

std::vector<std::wstring> WindowView::MenuBar() const
{
    std::vector<std::wstring> buttons;
    Window* bar = static_cast<TopLevelWindow*>(m_window)->menuBar;
    if (bar == nullptr)
        return buttons;
    for (QToolButton* button : bar->widget->findChildren<QToolButton*>()) {
        if (button->objectName() == QLatin1String("qt_toolbar_ext_button") || button->menu() == nullptr)
            continue;  // the tool bar's own overflow button
        QString description = button->text() + QLatin1String(":");
        QStringList items;
        for (QAction* action : button->menu()->actions())
            items << (action->isSeparator() ? QStringLiteral("-") : action->text());
        buttons.push_back((description + QLatin1Char(' ') + items.join(QLatin1Char('|'))).toStdWString());
    }
    return buttons;
}

QWidget* WindowView::Widget() const
{
    return m_window->widget;
}

QWidget* WindowView::ControlWidget(int id) const
{
    Window* control = Control(m_window, id);
    return control != nullptr ? control->widget.data() : nullptr;
}

void WindowView::Click(int id) const
{
    QWidget* button = ControlWidget(id);
    ASSERT_NE(button, nullptr) << "no button " << id;
    ASSERT_TRUE(button->isVisible()) << "button " << id << " cannot be clicked: it is not shown";
    // A check box is clicked on its box, at its left end.
    const QPoint where = qobject_cast<QCheckBox*>(button) != nullptr ? QPoint(6, button->height() / 2) : QPoint();
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, where);
}

void WindowView::Key(int qtKey) const
{
    QWidget* target = m_window->widget->focusWidget() != nullptr ? m_window->widget->focusWidget() : Widget();
    QTest::keyClick(target, static_cast<Qt::Key>(qtKey));
}

void WindowView::PickDate(int id, const QDate& date) const
{
    auto* edit = qobject_cast<QDateEdit*>(ControlWidget(id));
    ASSERT_NE(edit, nullptr) << "no date field " << id;
    edit->setDate(date);
}

void WindowView::TypeInto(int id, const QString& keys) const
{
    auto* edit = qobject_cast<QDateEdit*>(ControlWidget(id));
    ASSERT_NE(edit, nullptr) << "no date field " << id;
    edit->setFocus();
    // Start with the first field selected, as a user who clicks into it does; each field
    // then takes its digits and passes on to the next.
    edit->setSelectedSection(edit->sectionAt(0));
    QTest::keyClicks(edit, keys);
}

void WindowView::ChooseMenuCommand(const QString& itemText) const
{
    Window* bar = static_cast<TopLevelWindow*>(m_window)->menuBar;
    ASSERT_NE(bar, nullptr) << "the window has no menu bar";
    for (QToolButton* button : bar->widget->findChildren<QToolButton*>()) {
        if (button->menu() == nullptr)
            continue;
        for (QAction* action : button->menu()->actions()) {
            if (action->text() == itemText) {
                action->trigger();
                return;
            }
        }
    }
    ADD_FAILURE() << "no menu item " << itemText.toStdString();
}

void WindowView::PressHiddenButton(int id) const
{
    auto* button = qobject_cast<QPushButton*>(ControlWidget(id));
    ASSERT_NE(button, nullptr) << "no button " << id;
    button->click();
}

void WindowView::SelectHiddenCalendarDate(int id, const QDate& date) const
{
    auto* calendar = qobject_cast<QCalendarWidget*>(ControlWidget(id));
    ASSERT_NE(calendar, nullptr) << "no calendar " << id;
    calendar->setSelectedDate(date);
}

void ScriptedUser::InstallGuard()
{
    SetModalHook(&ScriptedUser::OnModalWindow);
}

ScriptedUser::ScriptedUser()
{
    g_user = this;
}

ScriptedUser::~ScriptedUser()
{
    g_user = nullptr;
    for (const Step& step : m_steps)
        ADD_FAILURE() << "the window \"" << Narrow(step.caption) << "\" never opened";
}

ScriptedUser& ScriptedUser::Expect(const std::wstring& caption, Action action)
{
    m_steps.push_back({caption, std::move(action)});
    return *this;
}

void ScriptedUser::OnModalWindow(HWND window)
{
    // The step runs inside the window's modal run, as the user's input would.
    QPointer<QWidget> alive(window->widget.data());
    QTimer::singleShot(0, window->widget, [window, alive] {
        if (g_user != nullptr)
            g_user->Handle(window, alive);
        else
            CloseUnhandled(window, alive, "a window opened while no scripted user runs");
    });
}

void ScriptedUser::Handle(HWND window, QPointer<QWidget> alive)
{
    if (alive.isNull())
        return;
    if (m_steps.empty() || m_steps.front().caption != WindowView(window).Caption()) {
        CloseUnhandled(window, alive,
                       m_steps.empty() ? "a window opened that the test does not expect"
                                       : "expected \"" + Narrow(m_steps.front().caption) + "\" but this window opened");
        return;
    }
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    WindowView view(window);
    step.action(view);
    // A window the step leaves open fails the test, and is closed, within seconds.
    QTimer::singleShot(kWatchdogMilliseconds, alive.data(), [window, alive] {
        if (!static_cast<TopLevelWindow*>(window)->modalEnded)
            CloseUnhandled(window, alive, "the test left this window open");
    });
}
