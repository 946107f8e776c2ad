// The program's image resources as Qt images: each is decoded in the format its first bytes
// name, so that no image plugin is loaded to guess it, and measured from its header alone.
#pragma once

#include <QImage>
#include <QSize>

#include <vector>

#include "platform/core/Resources.h"

// The format a resource's first bytes name, as Qt names it ("png", "bmp", "ico"); null when
// they name none of these.
const char* ImageFormat(const ImageResource& resource);
// The sizes of the images a resource holds, without decoding them: one for a PNG or a BMP
// file, one for each image of an ICO file's directory.
std::vector<QSize> ImageSizes(const ImageResource& resource);
// The images a resource holds, in order; none when it holds no image Qt can read.
std::vector<QImage> DecodeImages(const ImageResource& resource);
