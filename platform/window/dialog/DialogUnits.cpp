// Dialog units in pixels, and the dialog font they are measured in.
#include "platform/window/dialog/DialogUnits.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>

#include <algorithm>
#include <cmath>

DialogUnits DialogUnits::Of(const QFont& font)
{
    // The device's rule: the average width of the 52 letters, rounded, and the font height.
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnits units;
    units.baseX = (width / 26 + 1) / 2;
    units.baseY = metrics.height();
    return units;
}

QFont DialogFont(LPCTSTR typeface, int pointSize)
{
    // "System" names the device's own interface font; here that is the desktop's.
    constexpr double kStandardPointSize = 8;
    QFont font = QApplication::font();
    const QString face = QString::fromWCharArray(typeface != nullptr ? typeface : L"");
    if (!face.isEmpty() && face != QLatin1String("System"))
        font.setFamily(face);
    const double scale = pointSize > 0 ? pointSize / kStandardPointSize : 1;
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * scale);
    else if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * scale))));
    return font;
}
