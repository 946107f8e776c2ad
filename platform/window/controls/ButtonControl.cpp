// Push buttons and check boxes as Qt buttons.
#include "platform/window/controls/ButtonControl.h"

#include <QCheckBox>
#include <QPushButton>

#include "platform/window/dialog/DialogWindow.h"

LRESULT ButtonControl::Proc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case BM_GETCHECK:
            return checked ? BST_CHECKED : BST_UNCHECKED;
        case BM_SETCHECK:
            // Setting the state, unlike the user's click, sends no notification. Only a check
            // box has one.
            checked = (style & 0x0F) == BS_AUTOCHECKBOX && wParam == BST_CHECKED;
            if (auto* box = qobject_cast<QCheckBox*>(widget))
                box->setChecked(checked);
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
    ButtonControl* self = control.get();
    if ((item.style & 0x0F) == BS_AUTOCHECKBOX) {
        auto* box = new QCheckBox(dialog->widget);
        QObject::connect(box, &QCheckBox::toggled, box, [self](bool on) { self->checked = on; });
        button = box;
    } else {
        auto* push = new QPushButton(dialog->widget);
        push->setDefault((item.style & 0x0F) == BS_DEFPUSHBUTTON);
        push->setAutoDefault(false);
        button = push;
    }
    control->Adopt(button);
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [dialog, self] { SendCommand(dialog, self->id, BN_CLICKED, self); });
    return control;
}
