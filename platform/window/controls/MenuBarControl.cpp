// The menu bar as a Qt tool bar with drop-down tool buttons and Qt menus.
#include "platform/window/controls/MenuBarControl.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include "platform/window/dialog/DialogWindow.h"
#include "platform/window/Menu.h"

namespace
{

QMenu* BuildMenu(HMENU menu, Window* owner, QWidget* parent)
{
    auto* popup = new QMenu(parent);
    for (const Menu::Item& item : menu->items) {
        if (item.popup == nullptr && item.id == 0) {
            popup->addSeparator();
            continue;
        }
        QAction* action = popup->addAction(QString::fromStdWString(item.text));
        if (item.popup != nullptr) {
            action->setMenu(BuildMenu(item.popup.get(), owner, popup));
            continue;
        }
        const int id = static_cast<int>(item.id);
        action->setData(id);
        QObject::connect(action, &QAction::triggered, popup, [owner, id] { SendCommand(owner, id, 0, nullptr); });
    }
    return popup;
}

bool MenuHolds(HMENU menu, UINT command)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (GetMenuItemID(menu, i) == command || MenuHolds(GetSubMenu(menu, i), command))
            return true;
    return false;
}

}  // namespace

std::unique_ptr<MenuBarControl> MenuBarControl::Create(Window* parent, int id, DWORD style)
{
    if (parent == nullptr || parent->widget == nullptr || (style & CCS_BOTTOM) != CCS_BOTTOM)
        return nullptr;
    auto control = std::make_unique<MenuBarControl>();
    control->parent = parent;
    control->id = id;
    control->style = style;
    auto* bar = new QToolBar(parent->widget);
    control->Adopt(bar);
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    control->m_dialogHeight = parent->widget->height();
    control->Layout();
    bar->setVisible(style & WS_VISIBLE);
    return control;
}

LRESULT MenuBarControl::Proc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case TB_BUTTONSTRUCTSIZE:
            return 0;
        case TB_ADDBUTTONS:
            return AddButtons(wParam, reinterpret_cast<const TBBUTTON*>(lParam));
        case TB_BUTTONCOUNT:
            return static_cast<LRESULT>(m_buttons.size());
        case TB_GETBUTTON:
            return GetButton(wParam, reinterpret_cast<TBBUTTON*>(lParam));
        case SHCMBM_GETSUBMENU:
            return reinterpret_cast<LRESULT>(SubMenu(static_cast<UINT>(lParam)));
        default:
            return Window::Proc(message, wParam, lParam);
    }
}

LRESULT MenuBarControl::AddButtons(size_t count, const TBBUTTON* buttons)
{
    auto* bar = qobject_cast<QToolBar*>(widget);
    if (buttons == nullptr || bar == nullptr)
        return FALSE;
    for (size_t b = 0; b < count; ++b) {
        Button button{buttons[b], {}, new QToolButton(bar)};
        if (buttons[b].iString != 0)
            button.caption = reinterpret_cast<LPCTSTR>(buttons[b].iString);
        button.info.iString = 0;
        button.widget->setText(QString::fromStdWString(button.caption));
        button.widget->setEnabled(button.info.fsState & TBSTATE_ENABLED);
        if (auto menu = reinterpret_cast<HMENU>(button.info.dwData);
            menu != nullptr && (button.info.fsStyle & TBSTYLE_DROPDOWN)) {
            button.widget->setMenu(BuildMenu(menu, parent, button.widget));
            button.widget->setPopupMode(QToolButton::InstantPopup);
        }
        bar->addWidget(button.widget);
        m_buttons.push_back(std::move(button));
    }
    Layout();
    return TRUE;
}

LRESULT MenuBarControl::GetButton(size_t index, TBBUTTON* button) const
{
    if (button == nullptr || index >= m_buttons.size())
        return FALSE;
    *button = m_buttons[index].info;
    button->iString = reinterpret_cast<INT_PTR>(m_buttons[index].caption.c_str());
    return TRUE;
}

HMENU MenuBarControl::SubMenu(UINT command) const
{
    for (const Button& button : m_buttons)
        if (static_cast<UINT>(button.info.idCommand) == command)
            return reinterpret_cast<HMENU>(button.info.dwData);
    return nullptr;
}

QToolButton* MenuBarControl::ButtonFor(UINT command) const
{
    for (const Button& button : m_buttons)
        if (MenuHolds(reinterpret_cast<HMENU>(button.info.dwData), command))
            return button.widget;
    return nullptr;
}

void MenuBarControl::Layout()
{
    if (DialogWindow* dialog = AsDialog(parent)) {
        dialog->layout.SetBottomBar(widget);
        return;
    }
    QWidget* window = parent->widget;
    const int barHeight = widget->sizeHint().height();
    window->setFixedSize(window->width(), m_dialogHeight + barHeight);
    widget->setGeometry(0, m_dialogHeight, window->width(), barHeight);
}
