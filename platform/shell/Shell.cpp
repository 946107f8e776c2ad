#include "platform/shell/Shell.h"

#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include "platform/core/WindowImpl.h"

namespace
{

// One button of a menu-bar record: seven values after the menu id and the button count.
struct MenuBarButton {
    WORD image;
    WORD command;
    WORD state;
    WORD style;
    WORD captionString;
    WORD tipString;
    WORD popupIndex;
};
constexpr size_t kHeaderValues = 2;
constexpr size_t kButtonValues = 7;
constexpr WORD kButtonEnabled = 0x04;

struct MenuBar : Window {
};

QString ResourceText(HINSTANCE module, UINT id)
{
    LPCTSTR text = FindStringResource(module, id);
    return text != nullptr ? QString::fromWCharArray(text) : QString();
}

}  // namespace

BOOL SHDoneButton(HWND window, DWORD state)
{
    auto* topLevel = dynamic_cast<TopLevelWindow*>(window);
    if (topLevel == nullptr || (state != SHDB_SHOW && state != SHDB_HIDE))
        return FALSE;
    topLevel->doneButtonShown = state == SHDB_SHOW;
    return TRUE;
}

BOOL SHCreateMenuBar(SHMENUBARINFO* info)
{
    if (info == nullptr)
        return FALSE;
    auto* dialog = dynamic_cast<TopLevelWindow*>(info->hwndParent);
    const MenuBarTemplate* record = FindMenuBar(info->hInstRes, info->nToolBarId);
    if (dialog == nullptr || dialog->widget == nullptr || record == nullptr || record->values.count < kHeaderValues)
        return FALSE;
    const WORD* values = record->values.items;
    const MenuTemplate* menu = FindMenu(info->hInstRes, values[0]);
    const size_t buttonCount = values[1];
    if (menu == nullptr || record->values.count < kHeaderValues + buttonCount * kButtonValues)
        return FALSE;

    // The bar goes below the window's dialog area, which keeps its size.
    QWidget* window = dialog->widget;
    auto* bar = new QToolBar(window);
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (size_t b = 0; b < buttonCount; ++b) {
        const WORD* v = values + kHeaderValues + b * kButtonValues;
        const MenuBarButton button{v[0], v[1], v[2], v[3], v[4], v[5], v[6]};
        auto* toolButton = new QToolButton(bar);
        toolButton->setText(ResourceText(info->hInstRes, button.captionString));
        toolButton->setToolTip(ResourceText(info->hInstRes, button.tipString));
        toolButton->setEnabled(button.state & kButtonEnabled);
        if (button.popupIndex < menu->popups.count) {
            auto* popup = new QMenu(toolButton);
            for (const MenuItemTemplate& item : menu->popups.items[button.popupIndex].items) {
                if (item.text == nullptr) {
                    popup->addSeparator();
                    continue;
                }
                QAction* action = popup->addAction(QString::fromWCharArray(item.text));
                const int id = static_cast<int>(item.id);
                QObject::connect(action, &QAction::triggered, popup,
                                 [dialog, id] { SendCommand(dialog, id, 0, nullptr); });
            }
            toolButton->setMenu(popup);
            toolButton->setPopupMode(QToolButton::InstantPopup);
        }
        bar->addWidget(toolButton);
    }
    const int dialogHeight = window->height();
    const int barHeight = bar->sizeHint().height();
    window->setFixedSize(window->width(), dialogHeight + barHeight);
    bar->setGeometry(0, dialogHeight, window->width(), barHeight);
    bar->show();

    auto menuBar = std::make_unique<MenuBar>();
    menuBar->parent = dialog;
    menuBar->widget = bar;
    menuBar->style = WS_CHILD | WS_VISIBLE;
    dialog->menuBar = menuBar.get();
    info->hwndMB = menuBar.get();
    dialog->controls.push_back(std::move(menuBar));
    return TRUE;
}
