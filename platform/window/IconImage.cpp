// Icons from the program's resources: an icon group's images, decoded once.
#include "platform/window/IconImage.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <QPixmap>

#include <algorithm>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/window/WinUser.h"

namespace
{

// Sizes up to this are decoded with the icon; larger ones once the window is shown.
constexpr int kLargestAtOnce = 64;

// An .ico file starts with a reserved zero and the type 1.
bool IsIconFile(const ImageResource& resource)
{
    return resource.size >= 4 && resource.data[0] == 0 && resource.data[1] == 0 && resource.data[2] == 1 &&
           resource.data[3] == 0;
}

QByteArray Bytes(const ImageResource& resource)
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data), static_cast<qsizetype>(resource.size));
}

int ImageSide(const ImageResource& resource)
{
    QByteArray bytes = Bytes(resource);
    QBuffer buffer(&bytes);
    return QImageReader(&buffer).size().width();
}

// Adds the images of a resource in the sizes the icon does not have yet.
void AddImages(QIcon& icon, const ImageResource& resource)
{
    QByteArray bytes = Bytes(resource);
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, IsIconFile(resource) ? "ico" : QByteArray());
    do {
        const QImage image = reader.read();
        if (!image.isNull() && !icon.availableSizes().contains(image.size()))
            icon.addPixmap(QPixmap::fromImage(image));
    } while (reader.jumpToNextImage());
}

}  // namespace

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
    // Every image under the id, in full colour where the module has it: a size the icon
    // already holds is not added again, so the first image of each size is the one shown.
    auto icon = std::make_unique<IconImage>();
    std::vector<const ImageResource*> icons;
    for (const ImageResource& resource : module->icons)
        if (resource.id == id)
            icons.push_back(&resource);
    // The icon files of the handheld hold few colours; they fill the sizes nothing else has.
    std::stable_partition(icons.begin(), icons.end(), [](const ImageResource* r) { return !IsIconFile(*r); });
    for (const ImageResource* resource : icons) {
        if (IsIconFile(*resource) || ImageSide(*resource) <= kLargestAtOnce)
            AddImages(icon->icon, *resource);
        else
            icon->later.push_back(resource);
    }
    if (icon->icon.isNull())
        return nullptr;
    return (loaded[key] = std::move(icon)).get();
}

bool IconImage::Complete() const
{
    if (later.empty())
        return false;
    for (const ImageResource* resource : later)
        AddImages(icon, *resource);
    later.clear();
    return true;
}
