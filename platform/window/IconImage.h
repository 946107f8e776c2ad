// What an icon handle points to: the images of one icon group, decoded when first asked for.
#pragma once

#include <QIcon>

#include <vector>

#include "platform/core/Resources.h"

struct IconImage {
    // Every image of the group, each size once: the first image of a size is the one kept.
    // A window asks for them only after its first frame, so they never hold up its start.
    const QIcon& Images() const;

    // The group's resources not yet decoded.
    mutable std::vector<const ImageResource*> pending;

private:
    mutable QIcon m_icon;
};
