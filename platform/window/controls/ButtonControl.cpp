// Push buttons and check boxes as Qt buttons.
#include "platform/window/controls/ButtonControl.h"

#include <QCheckBox>
#include <QPushButton>

#include "platform/window/dialog/DialogWindow.h"

LRESULT ButtonControl::Proc(UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* box = qobject_cast<QCheckBox*>(widget);
    switch (message) {
        case BM_GETCHECK:
            return box != nullptr && box->isChecked() ? BST_CHECKED : BST_UNCHECKED;
        case BM_SETCHECK:
            // Setting the state, unlike the user's click, sends no notification.
            if (box != nullptr)
                box->setChecked(wParam == BST_CHECKED);
            return 0;
        default:
            return Window::Proc(message, wParam, lParam);
    }
}

void ButtonControl::SetText(const std::wstring& newText)
{
    Window::SetText(newText);
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(QString::fromStdWString(newText));
}

std::unique_ptr<Window> ButtonControl::Create(DialogWindow* dialog, const DialogItemTemplate& item)
{
    auto control = std::make_unique<ButtonControl>();
    QAbstractButton* button = nullptr;
    if ((item.style & 0x0F) == BS_AUTOCHECKBOX) {
        button = new QCheckBox(dialog->widget);
    } else {
        auto* push = new QPushButton(dialog->widget);
        push->setDefault((item.style & 0x0F) == BS_DEFPUSHBUTTON);
        push->setAutoDefault(false);
        button = push;
    }
    control->Adopt(button);
    Window* self = control.get();
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [dialog, self] { SendCommand(dialog, self->id, BN_CLICKED, self); });
    return control;
}
