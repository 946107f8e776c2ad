// The work area, from the primary screen as the toolkit knows it.
#include "platform/window/WorkArea.h"

#include <QGuiApplication>
#include <QScreen>

QRect WorkArea()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 640, 480);
}
