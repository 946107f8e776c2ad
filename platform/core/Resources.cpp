#include "platform/core/Resources.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>

#include <algorithm>
#include <cwchar>
#include <map>
#include <memory>
#include <utility>

#include "platform/core/IconImage.h"

namespace
{

template <class T>
const T* FindById(const ResourceTable<T>& table, UINT id)
{
    const auto found = std::find_if(table.begin(), table.end(), [id](const T& item) { return item.id == id; });
    return found == table.end() ? nullptr : found;
}

}  // namespace

const DialogTemplate* FindDialogTemplate(HINSTANCE module, UINT id)
{
    return module != nullptr ? FindById(module->dialogs, id) : nullptr;
}

const MenuTemplate* FindMenu(HINSTANCE module, UINT id)
{
    return module != nullptr ? FindById(module->menus, id) : nullptr;
}

const MenuBarTemplate* FindMenuBar(HINSTANCE module, UINT id)
{
    return module != nullptr ? FindById(module->menuBars, id) : nullptr;
}

LPCTSTR FindStringResource(HINSTANCE module, UINT id)
{
    const StringResource* found = module != nullptr ? FindById(module->strings, id) : nullptr;
    return found != nullptr ? found->text : nullptr;
}

const ImageResource* FindIcon(HINSTANCE module, UINT id)
{
    return module != nullptr ? FindById(module->icons, id) : nullptr;
}

const ImageResource* FindBitmap(HINSTANCE module, UINT id)
{
    return module != nullptr ? FindById(module->bitmaps, id) : nullptr;
}

int LoadString(HINSTANCE module, UINT id, LPTSTR buffer, int bufferMax)
{
    LPCTSTR text = FindStringResource(module, id);
    if (text == nullptr || buffer == nullptr || bufferMax <= 0)
        return 0;
    const int length = std::min(static_cast<int>(std::wcslen(text)), bufferMax - 1);
    std::wmemcpy(buffer, text, static_cast<size_t>(length));
    buffer[length] = L'\0';
    return length;
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
