// What an icon handle points to: the images of one icon group.
#pragma once

#include <QIcon>

#include <vector>

#include "platform/core/Resources.h"

struct IconImage {
    // The sizes a title bar and a panel show, decoded when the icon is loaded.
    mutable QIcon icon;
    // The larger sizes, for task switchers and docks, are decoded by Complete: after the
    // window is on the screen, so that they do not hold up its start.
    mutable std::vector<const ImageResource*> later;
    // Adds the larger sizes; false when there were none left to add.
    bool Complete() const;
};
