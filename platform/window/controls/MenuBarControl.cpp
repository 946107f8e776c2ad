// The menu bar as a Qt tool bar with drop-down tool buttons and Qt menus.
#include "platform/window/controls/MenuBarControl.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>

#include "platform/window/Menu.h"
#include "platform/window/dialog/DialogWindow.h"

namespace
{

QMenu* BuildMenu(HMENU menu, Window* owner, QWidget* parent)
{
    auto* popup = new QMenu(parent);
    // A menu opened by a key (its mnemonic, F10) opens on its first item, which a screen
    // reader then announces and Enter picks; one a click opens shows none under the pointer.
    QObject::connect(popup, &QMenu::aboutToShow, popup, [popup] {
        if (QGuiApplication::mouseButtons() != Qt::NoButton)
            return;
        for (QAction* action : popup->actions())
            if (action->isEnabled() && !action->isSeparator()) {
                popup->setActiveAction(action);
                return;
            }
    });
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

}  // namespace

std::unique_ptr<MenuBarControl> MenuBarControl::Create(DialogWindow* dialog, int id, DWORD style)
{
    if (dialog == nullptr || dialog->widget == nullptr || (style & CCS_BOTTOM) != CCS_BOTTOM)
        return nullptr;
    auto control = std::make_unique<MenuBarControl>();
    control->parent = dialog;
    control->id = id;
    control->style = style;
    auto* bar = new QToolBar(dialog->widget);
    control->Adopt(bar);
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    dialog->layout.SetBottomBar(bar);
    bar->setVisible(style & WS_VISIBLE);
    // F10 opens the first menu, as on the desktop's menu bars.
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), dialog->widget);
    QObject::connect(f10, &QShortcut::activated, bar, [bar] {
        for (auto* button : bar->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly))
            if (button->isVisible() && button->isEnabled() && button->menu() != nullptr) {
                button->showMenu();
                return;
            }
    });
    return control;
}

LRESULT MenuBarControl::Proc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case TB_BUTTONSTRUCTSIZE:
            return 0;
        case TB_ADDBUTTONS:
            return AddButtons(wParam, reinterpret_cast<const TBBUTTON*>(lParam));
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
        auto* button = new QToolButton(bar);
        if (buttons[b].iString != 0)
            button->setText(QString::fromWCharArray(reinterpret_cast<LPCTSTR>(buttons[b].iString)));
        button->setEnabled(buttons[b].fsState & TBSTATE_ENABLED);
        if (auto menu = reinterpret_cast<HMENU>(buttons[b].dwData);
            menu != nullptr && (buttons[b].fsStyle & TBSTYLE_DROPDOWN)) {
            button->setMenu(BuildMenu(menu, parent, button));
            button->setPopupMode(QToolButton::InstantPopup);
        }
        bar->addWidget(button);
    }
    AsDialog(parent)->layout.Lay();
    return TRUE;
}
