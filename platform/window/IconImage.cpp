// Icons from the program's resources: an icon group's images, decoded once.
#include "platform/window/IconImage.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QPixmap>

#include <map>
#include <memory>
#include <utility>

#include "platform/window/WinUser.h"

HICON LoadIcon(HINSTANCE module, UINT id)
{
    // Icons live as long as the window system, which is as long as the program runs.
    static std::map<std::pair<HINSTANCE, UINT>, std::unique_ptr<IconImage>> loaded;
    static const bool released = [] {
        qAddPostRoutine([] { loaded.clear(); });
        return true;
    }();
    (void)released;
    const auto key = std::make_pair(module, id);
    const auto it = loaded.find(key);
    if (it != loaded.end())
        return it->second.get();
    const ImageResource* resource = FindIcon(module, id);
    if (resource == nullptr)
        return nullptr;
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(resource->data), static_cast<qsizetype>(resource->size));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "ico");
    auto icon = std::make_unique<IconImage>();
    do {
        const QImage image = reader.read();
        if (!image.isNull())
            icon->icon.addPixmap(QPixmap::fromImage(image));
    } while (reader.jumpToNextImage());
    if (icon->icon.isNull())
        return nullptr;
    return (loaded[key] = std::move(icon)).get();
}
