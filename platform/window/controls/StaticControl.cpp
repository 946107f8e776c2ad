// Static texts and pictures as Qt labels.
#include "platform/window/controls/StaticControl.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>

#include <algorithm>
#include <cmath>

#include "platform/window/ResourceImages.h"
#include "platform/window/dialog/DialogWindow.h"

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
        // The picture shows its bitmap from the control's top left: at its own size, or as
        // large as the box where the desktop's font makes the box larger, drawn for the
        // screen's scale from the largest image it needs. Only that image is decoded.
        if (const ImageResource* bitmap = FindBitmap(module, item.imageId)) {
            const auto widthOf = [](const ImageResource& resource) {
                const std::vector<QSize> sizes = ImageSizes(resource);
                return sizes.empty() ? 0 : sizes.front().width();
            };
            const ImageResource* chosen = bitmap;
            int width = widthOf(*bitmap);
            const int side = std::max(width, std::min(dialog->units.X(item.cx), dialog->units.Y(item.cy)));
            const qreal scale = label->devicePixelRatioF();
            const int pixels = static_cast<int>(std::lround(side * scale));
            for (const ImageResource& other : module->bitmaps) {
                if (width >= pixels)
                    break;
                if (other.id == item.imageId && widthOf(other) > width) {
                    chosen = &other;
                    width = widthOf(other);
                }
            }
            const std::vector<QImage> images = DecodeImages(*chosen);
            QImage image = images.empty() ? QImage() : images.front();
            if (!image.isNull() && image.width() != pixels)
                image = image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            image.setDevicePixelRatio(scale);
            label->setPixmap(QPixmap::fromImage(image));
        }
    }
    return control;
}
