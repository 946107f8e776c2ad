// Icons from the program's resources: an icon group's images, decoded once.
#include "platform/window/IconImage.h"

#include <QCoreApplication>
#include <QPixmap>

#include <algorithm>
#include <map>
#include <memory>
#include <utility>

#include "platform/window/ResourceImages.h"
#include "platform/window/WinUser.h"

const QIcon& IconImage::Images() const
{
    // The icon files of the handheld hold few colours; they fill the sizes nothing else has.
    std::stable_partition(pending.begin(), pending.end(),
                          [](const ImageResource* resource) { return QByteArray(ImageFormat(*resource)) != "ico"; });
    for (const ImageResource* resource : pending) {
        // A file that adds no size the icon lacks is not decoded at all.
        const std::vector<QSize> sizes = ImageSizes(*resource);
        const QList<QSize> held = m_icon.availableSizes();
        if (std::all_of(sizes.begin(), sizes.end(), [&held](const QSize& size) { return held.contains(size); }))
            continue;
        for (const QImage& image : DecodeImages(*resource))
            if (!m_icon.availableSizes().contains(image.size()))
                m_icon.addPixmap(QPixmap::fromImage(image));
    }
    pending.clear();
    return m_icon;
}

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
    if (FindIcon(module, id) == nullptr)
        return nullptr;
    auto icon = std::make_unique<IconImage>();
    for (const ImageResource& resource : module->icons)
        if (resource.id == id)
            icon->pending.push_back(&resource);
    return (loaded[key] = std::move(icon)).get();
}
