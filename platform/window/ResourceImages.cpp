// PNG, BMP and ICO files told apart by their signatures; an ICO file's directory read here,
// since only the reading of its images needs the toolkit's plugin.
#include "platform/window/ResourceImages.h"

#include <QBuffer>
#include <QImageReader>

#include <cstring>

namespace
{

// An ICO file: a 6-byte header whose last two bytes count the images, then 16 bytes for each
// image, the first two its width and height, where 0 stands for 256.
constexpr size_t kIconHeader = 6;
constexpr size_t kIconEntry = 16;

// Reads a resource's images in the format its bytes name and in no other: unless told not to
// guess, Qt would load every image plugin to ask it whether it reads that format too.
struct Reader {
    Reader(const ImageResource& resource, const char* format)
        : data(QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data),
                                       static_cast<qsizetype>(resource.size))),
          buffer(&data),
          reader(&buffer, format)
    {
        reader.setAutoDetectImageFormat(false);
    }

    QByteArray data;
    QBuffer buffer;
    QImageReader reader;
};

}  // namespace

const char* ImageFormat(const ImageResource& resource)
{
    const auto starts = [&resource](const char* signature, size_t length) {
        return resource.size >= length && std::memcmp(resource.data, signature, length) == 0;
    };
    if (starts("\x89PNG\r\n\x1a\n", 8))
        return "png";
    if (starts("BM", 2))
        return "bmp";
    if (starts("\0\0\1\0", 4))  // a reserved zero, then the type 1
        return "ico";
    return nullptr;
}

std::vector<QSize> ImageSizes(const ImageResource& resource)
{
    const char* format = ImageFormat(resource);
    if (format == nullptr)
        return {};
    const unsigned char* bytes = resource.data;
    if (std::strcmp(format, "ico") != 0) {
        const QSize size = Reader(resource, format).reader.size();
        return size.isValid() ? std::vector<QSize>{size} : std::vector<QSize>{};
    }
    std::vector<QSize> sizes;
    const size_t count = resource.size >= kIconHeader ? bytes[4] | bytes[5] << 8 : 0;
    for (size_t i = 0; i < count && kIconHeader + (i + 1) * kIconEntry <= resource.size; ++i) {
        const unsigned char* entry = bytes + kIconHeader + i * kIconEntry;
        sizes.emplace_back(entry[0] != 0 ? entry[0] : 256, entry[1] != 0 ? entry[1] : 256);
    }
    return sizes;
}

std::vector<QImage> DecodeImages(const ImageResource& resource)
{
    std::vector<QImage> images;
    const char* format = ImageFormat(resource);
    if (format == nullptr)
        return images;
    Reader read(resource, format);
    do {
        if (QImage image = read.reader.read(); !image.isNull())
            images.push_back(std::move(image));
    } while (read.reader.jumpToNextImage());
    return images;
}
