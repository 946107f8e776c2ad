// Message boxes as Qt message boxes, with their text and button as controls a test can read.
#include "platform/window/MessageBoxWindow.h"

#include <QMessageBox>
#include <QPushButton>

#include <memory>

LRESULT MessageBoxWindow::Proc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        End(IDOK);
        return 0;
    }
    return DialogWindow::Proc(message, wParam, lParam);
}

int MessageBoxWindow::Run(HWND owner, LPCTSTR text, LPCTSTR caption)
{
    auto window = std::make_unique<MessageBoxWindow>();
    window->parent = owner;
    auto* box = new QMessageBox(owner != nullptr ? owner->widget.data() : nullptr);
    window->Adopt(box);
    box->setIcon(QMessageBox::NoIcon);
    box->setTextFormat(Qt::PlainText);
    box->setText(QString::fromWCharArray(text != nullptr ? text : L""));
    window->SetText(caption != nullptr ? caption : L"Error");
    QPushButton* ok = box->addButton(QMessageBox::Ok);

    // The OK button and the text are controls of the box, as on the device.
    auto okPart = std::make_unique<Window>();
    okPart->id = IDOK;
    okPart->style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
    okPart->Adopt(ok);
    okPart->text = L"OK";
    auto textPart = std::make_unique<Window>();
    textPart->id = kTextId;
    textPart->style = WS_CHILD | WS_VISIBLE | SS_LEFT;
    textPart->text = text != nullptr ? text : L"";
    window->AddControl(std::move(okPart));
    window->AddControl(std::move(textPart));

    // However the box closes (its button, Enter, Escape, the close button), it ends with OK.
    MessageBoxWindow* self = window.get();
    const QMetaObject::Connection closed =
        QObject::connect(box, &QDialog::finished, box, [self] { SendCommand(self, IDOK, BN_CLICKED, nullptr); });
    const int result = window->RunModal();
    QObject::disconnect(closed);
    return result;
}
