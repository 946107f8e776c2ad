// Static texts and pictures as Qt labels.
#include "platform/window/StaticControl.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>

#include "platform/window/DialogWindow.h"

void StaticControl::SetText(const std::wstring& newText)
{
    Window::SetText(newText);
    if (auto* label = qobject_cast<QLabel*>(widget); label != nullptr && label->pixmap().isNull())
        label->setText(QString::fromStdWString(newText));
}

std::unique_ptr<Window> StaticControl::Create(DialogWindow* dialog, const DialogItemTemplate& item, HINSTANCE module)
{
    auto control = std::make_unique<StaticControl>();
    auto* label = new QLabel(dialog->widget);
    control->Adopt(label);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if ((item.style & 0x1F) == SS_BITMAP) {
        // The picture shows its bitmap at its own size, from the control's top left.
        if (const ImageResource* bitmap = FindBitmap(module, item.imageId)) {
            QImage image;
            image.loadFromData(bitmap->data, static_cast<int>(bitmap->size), "BMP");
            label->setPixmap(QPixmap::fromImage(image));
        }
    }
    return control;
}
