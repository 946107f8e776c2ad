// What an icon handle points to: the images of one icon group.
#pragma once

#include <QIcon>

struct IconImage {
    QIcon icon;
};
