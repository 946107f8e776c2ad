// Roles and names for assistive tools. Qt builds the accessible tree only when a tool asks
// for it, so nothing here costs a start without one more than a stored name.
#include "platform/window/Accessibility.h"

#include <QAbstractSpinBox>
#include <QAccessibleWidget>
#include <QPlainTextEdit>
#include <QToolBar>

#include "platform/window/Window.h"
#include "platform/window/dialog/DialogWidget.h"
#include "platform/window/dialog/DialogWindow.h"

namespace
{

// A tool bar that offers only the buttons it shows: Qt's own button for the buttons that do
// not fit stays hidden, without a name, on a bar as wide as the window.
class ShownChildren : public QAccessibleWidget
{
public:
    using QAccessibleWidget::QAccessibleWidget;

    int childCount() const override { return static_cast<int>(Shown().size()); }

    QAccessibleInterface* child(int index) const override
    {
        const QList<QWidget*> shown = Shown();
        return index >= 0 && index < shown.size() ? QAccessible::queryAccessibleInterface(shown[index]) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child != nullptr ? static_cast<int>(Shown().indexOf(qobject_cast<QWidget*>(child->object()))) : -1;
    }

private:
    QList<QWidget*> Shown() const
    {
        QList<QWidget*> shown;
        for (QWidget* child : widget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (!child->isWindow() && child->isVisible())
                shown.append(child);
        return shown;
    }
};

QAccessibleInterface* WindowInterface(const QString& /*className*/, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr)
        return nullptr;
    // A dialog window as a frame or a dialog. The controls it hides have no widget, so a
    // screen reader finds none that the user cannot reach.
    if (dynamic_cast<DialogWidget*>(widget) != nullptr) {
        const Window* window = Window::Owning(widget);
        const bool application = window != nullptr && (window->exStyle & WS_EX_APPWINDOW);
        return new QAccessibleWidget(widget, application ? QAccessible::Window : QAccessible::Dialog);
    }
    // The menu bar that a window puts up below its controls.
    if (qobject_cast<QToolBar*>(widget) != nullptr && dynamic_cast<DialogWidget*>(widget->parentWidget()) != nullptr)
        return new ShownChildren(widget, QAccessible::ToolBar, QStringLiteral("Menu bar"));
    return nullptr;
}

bool Overlap(int from, int length, int otherFrom, int otherLength)
{
    return from < otherFrom + otherLength && otherFrom < from + length;
}

// A field's label: a shown check box or static text on its line that ends where the field
// begins, as "AutoRun daily at" stands before the time it sets.
QString LabelOf(const DialogItemTemplate& item, const ResourceTable<DialogItemTemplate>& items)
{
    constexpr int kGap = 4;  // dialog units between a label and its field
    for (const DialogItemTemplate& other : items) {
        const bool labels = other.windowClass == ControlClass::Static
                                ? (other.style & 0x1F) != SS_BITMAP
                                : other.windowClass == ControlClass::Button && (other.style & 0x0F) == BS_AUTOCHECKBOX;
        const int end = other.x + other.cx;
        if (labels && other.text != nullptr && (other.style & WS_VISIBLE) && end <= item.x && end + kGap >= item.x &&
            Overlap(item.y, item.cy, other.y, other.cy))
            return QString::fromWCharArray(other.text).remove(QLatin1Char('&'));
    }
    return {};
}

// What a control without a label of its own is for. A read-only text box holds a text to
// read, and the only picture a window shows is the program's logo.
QString PurposeOf(const DialogItemTemplate& item)
{
    switch (item.windowClass) {
        case ControlClass::Edit:
            return (item.style & ES_READONLY) && (item.style & ES_MULTILINE) ? QStringLiteral("Reading")
                                                                             : QStringLiteral("Text");
        case ControlClass::DateTimePicker:
            return (item.style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT ? QStringLiteral("Time") : QStringLiteral("Date");
        case ControlClass::Static:
            return (item.style & 0x1F) == SS_BITMAP ? QStringLiteral("Logo") : QString();
        case ControlClass::Button:
        case ControlClass::MonthCalendar:  // never shown, so never offered
            return {};
    }
    return {};
}

// The opening of a reading: its heading and the line that follows it.
QString OpeningOf(const QString& reading)
{
    QStringList lines = reading.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& line : lines)
        line = line.trimmed();
    lines.removeAll(QString());
    return QStringList(lines.mid(0, 2)).join(QLatin1Char(' '));
}

}  // namespace

void MakeAccessible(Window* control, const DialogItemTemplate& item, const ResourceTable<DialogItemTemplate>& items)
{
    // Once, before any tool can ask: the factory answers only when one does.
    static const bool installed = (QAccessible::installFactory(&WindowInterface), true);
    static_cast<void>(installed);
    QWidget* widget = control->widget;
    if (widget == nullptr)
        return;
    if (item.windowClass == ControlClass::Edit || item.windowClass == ControlClass::DateTimePicker) {
        const QString label = LabelOf(item, items);
        widget->setAccessibleName(label.isEmpty() ? PurposeOf(item) : label);
    } else if (const QString purpose = PurposeOf(item); !purpose.isEmpty()) {
        widget->setAccessibleName(purpose);
    }
    // A read-only text is still read line by line and word by word: it takes a caret and a
    // selection from the keyboard, and keys move the caret rather than only the view.
    if (auto* edit = qobject_cast<QPlainTextEdit*>(widget); edit != nullptr && edit->isReadOnly())
        edit->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
}

void DescribeNewDate(Window* dateField)
{
    const DialogWindow* dialog = AsDialog(dateField->parent);
    auto* field = qobject_cast<QAbstractSpinBox*>(dateField->widget);
    const Window* box = dialog != nullptr ? dialog->layout.readingBox : nullptr;
    auto* reading = box != nullptr ? qobject_cast<QPlainTextEdit*>(box->widget) : nullptr;
    if (field == nullptr || reading == nullptr)
        return;
    const QString opening = OpeningOf(reading->toPlainText());
    field->setAccessibleDescription(opening);
    reading->setAccessibleDescription(field->text() + QLatin1String(". ") + opening);
}
