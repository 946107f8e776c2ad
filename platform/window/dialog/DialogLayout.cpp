// Dialog controls grown to their content, and the reading box given the window's room or
// giving up its own.
#include "platform/window/dialog/DialogLayout.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QWidget>

#include <algorithm>
#include <limits>

#include "platform/window/ReadingZoom.h"
#include "platform/window/Window.h"
#include "platform/window/WindowState.h"
#include "platform/window/WorkArea.h"
#include "platform/window/dialog/DialogWindow.h"

namespace
{

// The size a control's content needs in the style in use.
QSize ContentSize(QWidget* widget)
{
    if (qobject_cast<QLabel*>(widget) != nullptr || qobject_cast<QAbstractButton*>(widget) != nullptr ||
        qobject_cast<QAbstractSpinBox*>(widget) != nullptr)
        return widget->sizeHint();
    return widget->minimumSizeHint().expandedTo(QSize(0, 0));
}

// Whether a is above b in the template: its middle above b's top, their columns shared.
bool Above(const QRect& a, const QRect& b)
{
    return a.center().y() < b.top() && a.left() <= b.right() && b.left() <= a.right();
}

bool LeftOf(const QRect& a, const QRect& b)
{
    return a.center().x() < b.left() && a.top() <= b.bottom() && b.top() <= a.bottom();
}

}  // namespace

void DialogLayout::Place(Window* control, const QRect& rect)
{
    m_placed.push_back({control, rect});
}

QSize DialogLayout::Lay()
{
    QWidget* widget = m_window.widget;
    if (widget == nullptr)
        return QSize();
    // The style's sizes hold once it has polished the controls, which showing does too.
    widget->ensurePolished();
    // The bar grows the window downwards, so the controls keep their room.
    const int bar = m_bottomBar != nullptr && !m_bottomBar->isHidden() ? m_bottomBar->sizeHint().height() : 0;
    if (bar != barHeight) {
        const int grow = bar - barHeight;
        barHeight = bar;
        widget->resize(widget->width(), widget->height() + grow);
    }
    const size_t count = m_placed.size();
    std::vector<QRect> laid(count);
    const QSize natural = Arrange(QSize(0, 0), laid);
    // The reading box gives up room down to a few lines, so the window fits a small screen: a
    // resizable window may be made that small, and any other is cut to the screen.
    QSize least = natural;
    for (size_t i = 0; i < count; ++i)
        if (m_placed[i].control == readingBox && readingBox->widget != nullptr)
            least = Arrange((LeastReadingBox() - laid[i].size()).boundedTo(QSize(0, 0)), laid);
    const QSize room =
        (resizable ? widget->size() - QSize(0, barHeight) : natural.boundedTo(WorkArea().size() - QSize(0, barHeight)))
            .expandedTo(least);
    Arrange(room - natural, laid);
    for (size_t i = 0; i < count; ++i)
        if (m_placed[i].control->widget != nullptr)
            m_placed[i].control->widget->setGeometry(laid[i]);

    if (resizable) {
        widget->setMinimumSize(least + QSize(0, barHeight));
        widget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        widget->setFixedSize(room + QSize(0, barHeight));
    }
    if (m_bottomBar != nullptr)
        m_bottomBar->setGeometry(0, widget->height() - barHeight, widget->width(), barHeight);
    return natural;
}

QSize DialogLayout::LeastReadingBox() const
{
    auto* box = qobject_cast<QPlainTextEdit*>(readingBox->widget);
    if (box == nullptr)
        return ContentSize(readingBox->widget);
    // A few lines at the smallest zoom, so that no zoom changes what the window can be made.
    const QFontMetrics smallest(ReadingFont(m_window.widget->font(), WindowState::kMinZoom));
    const int margins = box->frameWidth() + static_cast<int>(box->document()->documentMargin());
    const int lines = 3 * smallest.lineSpacing() + 2 * margins;
    return ContentSize(box).expandedTo(QSize(0, lines));
}

void DialogLayout::SetBottomBar(QWidget* bar)
{
    m_bottomBar = bar;
    Lay();
}

QSize DialogLayout::Arrange(QSize extra, std::vector<QRect>& laid) const
{
    const size_t count = m_placed.size();
    const QRect* box = nullptr;
    for (const Placed& p : m_placed)
        if (p.control == readingBox)
            box = &p.rect;
    for (size_t i = 0; i < count; ++i) {
        const QRect& r = m_placed[i].rect;
        QSize size = r.size();
        if (m_placed[i].control->widget != nullptr) {
            const QSize need = ContentSize(m_placed[i].control->widget);
            size = size.expandedTo(need);
            // A line of text is as tall as its text, so it never reaches into the next row.
            const auto* label = qobject_cast<QLabel*>(m_placed[i].control->widget);
            if (label != nullptr && label->pixmap().isNull() && need.height() > 0)
                size.setHeight(need.height());
        }
        if (m_placed[i].control == readingBox)
            size += extra;
        else if (box != nullptr && Above(*box, r) && r.left() == box->left() && r.width() == box->width())
            size.rwidth() += extra.width();
        laid[i] = QRect(r.topLeft(), size);
    }
    // Each control is pushed on by those right above it and right left of it, by as much as they
    // grew or shrank and were pushed themselves; templates list them in any order, so the
    // pushes go by place.
    std::vector<size_t> byTop(count), byLeft(count);
    for (size_t i = 0; i < count; ++i)
        byTop[i] = byLeft[i] = i;
    std::stable_sort(byTop.begin(), byTop.end(),
                     [&](size_t a, size_t b) { return m_placed[a].rect.top() < m_placed[b].rect.top(); });
    std::stable_sort(byLeft.begin(), byLeft.end(),
                     [&](size_t a, size_t b) { return m_placed[a].rect.left() < m_placed[b].rect.left(); });
    // Where the template lets two controls overlap, the one pushed starts after the other;
    // the reading box alone keeps its overlap, since it ends where the next control begins.
    const auto overlap = [&](size_t j, int gap) { return m_placed[j].control == readingBox ? 0 : std::max(0, -gap); };
    // Whether j comes right before i, with no control between them.
    const auto next = [&](size_t j, size_t i, bool (*before)(const QRect&, const QRect&)) {
        if (!before(m_placed[j].rect, m_placed[i].rect))
            return false;
        for (size_t k = 0; k < count; ++k)
            if (before(m_placed[j].rect, m_placed[k].rect) && before(m_placed[k].rect, m_placed[i].rect))
                return false;
        return true;
    };
    constexpr int kNone = std::numeric_limits<int>::min();
    std::vector<int> down(count, kNone), right(count, kNone);
    for (size_t i : byTop) {
        for (size_t j : byTop)
            if (next(j, i, Above))
                down[i] = std::max(down[i], down[j] + laid[j].bottom() - m_placed[j].rect.bottom() +
                                                overlap(j, m_placed[i].rect.top() - m_placed[j].rect.bottom() - 1));
        down[i] = down[i] == kNone ? 0 : down[i];
    }
    for (size_t i : byLeft) {
        for (size_t j : byLeft)
            if (next(j, i, LeftOf))
                right[i] = std::max(right[i], right[j] + laid[j].right() - m_placed[j].rect.right() +
                                                  overlap(j, m_placed[i].rect.left() - m_placed[j].rect.right() - 1));
        right[i] = right[i] == kNone ? 0 : right[i];
    }
    // The window keeps the template's margin beyond its controls.
    QRect bounds;
    for (const Placed& p : m_placed)
        bounds |= p.rect;
    const QSize margin = (templateSize - QSize(bounds.right() + 1, bounds.bottom() + 1)).expandedTo(QSize(0, 0));
    QSize total = templateSize + extra;
    for (size_t i = 0; i < count; ++i) {
        laid[i].translate(right[i], down[i]);
        total = total.expandedTo(QSize(laid[i].right() + 1, laid[i].bottom() + 1) + margin);
    }
    // The reading box ends where a control below it begins.
    for (size_t i = 0; box != nullptr && i < count; ++i)
        for (size_t j = 0; j < count; ++j)
            if (m_placed[i].control == readingBox && Above(*box, m_placed[j].rect) && laid[j].intersects(laid[i]))
                laid[i].setBottom(laid[j].top() - 1);
    return total;
}
