// The desktop's style as a proxy that marks the focus and keeps check boxes in sight.
#include "platform/window/DesktopStyle.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

#include <algorithm>
#include <cmath>

namespace
{

// The luminance the eye sees, and the contrast of two colours, as accessibility guidelines
// measure them: 1 for the same colour, 21 for black on white.
double Luminance(const QColor& colour)
{
    const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

double Contrast(const QColor& a, const QColor& b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor Mix(const QColor& a, const QColor& b, double share)
{
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * share, a.greenF() + (b.greenF() - a.greenF()) * share,
                            a.blueF() + (b.blueF() - a.blueF()) * share);
}

class DesktopStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        // Styles fill a check box with the text boxes' colour and edge it a shade darker than
        // the window: on a dark window neither may show. The box then takes a colour between
        // the window's and its text's, against which both the window and the tick show.
        const auto* box = qstyleoption_cast<const QStyleOptionButton*>(option);
        if (element == PE_IndicatorCheckBox && box != nullptr) {
            const QColor window = box->palette.color(QPalette::Window);
            if (Luminance(window) < 0.18 && Contrast(box->palette.color(QPalette::Base), window) < 2) {
                QStyleOptionButton lifted = *box;
                lifted.palette.setColor(QPalette::Base, Mix(window, box->palette.color(QPalette::WindowText), 0.25));
                QProxyStyle::drawPrimitive(element, &lifted, painter, widget);
                return;
            }
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        QProxyStyle::drawControl(element, option, painter, widget);
        if (!(option->state & State_HasFocus))
            return;
        // A push button with the focus has a ring inside its edge, which the default button
        // has not; a text box's edge takes the colour of the focus, as a field's does.
        if (element == CE_PushButton) {
            Ring(painter, QRectF(option->rect).adjusted(4, 4, -4, -4), 2, option->palette);
        } else if (const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
                   element == CE_ShapedFrame && frame != nullptr && frame->lineWidth > 0 &&
                   qobject_cast<const QAbstractScrollArea*>(widget) != nullptr) {
            const double half = frame->lineWidth / 2.0;
            Ring(painter, QRectF(option->rect).adjusted(half, half, -half, -half), frame->lineWidth, option->palette);
        }
    }

private:
    static void Ring(QPainter* painter, const QRectF& rect, double width, const QPalette& palette)
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setBrush(Qt::NoBrush);
        painter->setPen(QPen(palette.color(QPalette::Highlight), width));
        painter->drawRect(rect);
        painter->restore();
    }
};

}  // namespace

bool UseStyle(const char* name)
{
    static const QString start = QApplication::style()->name();
    QStyle* base = QStyleFactory::create(name != nullptr ? QString::fromLatin1(name) : start);
    if (base == nullptr)
        return false;
    QApplication::setStyle(new DesktopStyle(base));
    return true;
}
