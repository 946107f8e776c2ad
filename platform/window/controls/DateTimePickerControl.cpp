// The date field as a Qt date editor with a drop-down calendar, and the time field as a Qt
// time editor with up-down arrows.
#include "platform/window/controls/DateTimePickerControl.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLocale>
#include <QTimeEdit>

#include "platform/window/Accessibility.h"
#include "platform/window/dialog/DialogWindow.h"

namespace
{

// The format with each run of a letter replaced as change gives it for the run.
template <class Change>
QString WithRuns(const QString& format, QChar letter, Change change)
{
    QString out;
    for (qsizetype i = 0; i < format.size();) {
        qsizetype end = i;
        while (end < format.size() && format[end] == format[i])
            ++end;
        const QString run = format.mid(i, end - i);
        out += format[i] == letter ? change(run) : run;
        i = end;
    }
    return out;
}

// The short date of the desktop's locale, with the full year, so that typing a year
// never has to guess its century.
QString ShortDateFormat()
{
    return WithRuns(QLocale().dateFormat(QLocale::ShortFormat), QLatin1Char('y'),
                    [](const QString& run) { return run.size() == 2 ? QStringLiteral("yyyy") : run; });
}

// The locale's short time of day, with seconds, which the value keeps.
QString TimeFormat()
{
    const QString format = QLocale().timeFormat(QLocale::ShortFormat);
    if (format.contains(QLatin1String("ss")))
        return format;
    return WithRuns(format, QLatin1Char('m'), [](const QString& run) { return run + QLatin1String(":ss"); });
}

// Keeps the drop-down calendar's right edge on the field's right edge. The field makes its
// calendar, a pop-up window of its own, when it is first opened.
class RightAlignPopup : public QObject
{
public:
    explicit RightAlignPopup(QDateEdit* edit) : QObject(edit), m_edit(edit) { edit->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_edit) {
            QObject* child =
                event->type() == QEvent::ChildPolished ? static_cast<QChildEvent*>(event)->child() : nullptr;
            if (child != nullptr && static_cast<QWidget*>(child)->isWindow())
                child->installEventFilter(this);
        } else if (event->type() == QEvent::Show) {
            auto* popup = static_cast<QWidget*>(watched);
            const QPoint fieldRight = m_edit->mapToGlobal(QPoint(m_edit->width(), m_edit->height()));
            popup->move(fieldRight.x() - popup->width(), fieldRight.y());
        }
        return false;
    }

private:
    QDateEdit* m_edit;
};

// The day a key steps the date of a window with a date field to, wherever its focus is:
// Alt+Right and Ctrl+Page Down the next day, Alt+Left and Ctrl+Page Up the previous one,
// Alt+Home today. The field moves to it as if the user had set it there, so the window
// hears its change. They are taken before any control sees them.
class DayKeys : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers held = key->modifiers() & ~Qt::KeypadModifier;
        int step = 0;
        bool today = false;
        if (held == Qt::AltModifier && (key->key() == Qt::Key_Right || key->key() == Qt::Key_Left))
            step = key->key() == Qt::Key_Right ? 1 : -1;
        else if (held == Qt::ControlModifier && (key->key() == Qt::Key_PageDown || key->key() == Qt::Key_PageUp))
            step = key->key() == Qt::Key_PageDown ? 1 : -1;
        else
            today = held == Qt::AltModifier && key->key() == Qt::Key_Home;
        if (step == 0 && !today)
            return false;
        QDateEdit* field = DateFieldOf(static_cast<QWidget*>(watched));
        if (field == nullptr)
            return false;
        field->setDate(today ? DateOf(Now()) : field->date().addDays(step));
        return true;
    }

private:
    // The first shown and enabled date field of the window the widget is in.
    static QDateEdit* DateFieldOf(QWidget* widget)
    {
        Window* window = Window::Owning(widget);
        DialogWindow* dialog = AsDialog(window);
        if (dialog == nullptr && window != nullptr)
            dialog = AsDialog(window->parent);
        if (dialog == nullptr)
            return nullptr;
        for (const auto& control : dialog->controls)
            if (auto* field = qobject_cast<QDateEdit*>(control->widget);
                field != nullptr && field->isVisible() && field->isEnabled())
                return field;
        return nullptr;
    }
};

}  // namespace

LRESULT DateTimePickerControl::Proc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case DTM_GETSYSTEMTIME:
            return GetSystemTime(reinterpret_cast<SYSTEMTIME*>(lParam));
        case DTM_SETSYSTEMTIME:
            return SetSystemTime(reinterpret_cast<const SYSTEMTIME*>(lParam));
        default:
            return Window::Proc(message, wParam, lParam);
    }
}

LRESULT DateTimePickerControl::GetSystemTime(SYSTEMTIME* st) const
{
    if (st == nullptr)
        return GDT_ERROR;
    *st = value;
    return GDT_VALID;
}

// A date-time that does not exist leaves the value as it was.
LRESULT DateTimePickerControl::SetSystemTime(const SYSTEMTIME* st)
{
    if (st == nullptr || !IsValidLocalTime(*st))
        return FALSE;
    value = *st;
    SetDate(value, DateOf(*st));
    const QSignalBlocker quiet(widget);
    if (auto* time = qobject_cast<QTimeEdit*>(widget))
        time->setTime(TimeOf(value));
    else if (auto* date = qobject_cast<QDateEdit*>(widget))
        date->setDate(DateOf(value));
    return TRUE;
}

// Qt's editors report a value again when Enter makes them read their text; only a change
// of the value notifies the dialog.
void DateTimePickerControl::OnUserChangedDate(const QDate& date)
{
    if (date == DateOf(value))
        return;
    SetDate(value, date);
    Notify();
    DescribeNewDate(this);
}

void DateTimePickerControl::OnUserChangedTime(const QTime& time)
{
    if (time == TimeOf(value))
        return;
    value.wHour = static_cast<WORD>(time.hour());
    value.wMinute = static_cast<WORD>(time.minute());
    value.wSecond = static_cast<WORD>(time.second());
    Notify();
}

void DateTimePickerControl::Notify()
{
    NMDATETIMECHANGE change{};
    change.nmhdr.code = DTN_DATETIMECHANGE;
    change.st = value;
    SendNotify(this, &change.nmhdr);
}

std::unique_ptr<Window> DateTimePickerControl::Create(DialogWindow* dialog, const DialogItemTemplate& item)
{
    auto control = std::make_unique<DateTimePickerControl>();
    DateTimePickerControl* self = control.get();
    if ((item.style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT) {
        auto* edit = new QTimeEdit(TimeOf(control->value), dialog->widget);
        control->Adopt(edit);
        edit->setDisplayFormat(TimeFormat());
        edit->setWrapping(true);
        QObject::connect(edit, &QTimeEdit::timeChanged, edit,
                         [self](const QTime& time) { self->OnUserChangedTime(time); });
        return control;
    }
    auto* edit = new QDateEdit(DateOf(control->value), dialog->widget);
    control->Adopt(edit);
    edit->setDateRange(kFirstControlDate, kLastControlDate);
    edit->setDisplayFormat(ShortDateFormat());
    edit->setCalendarPopup(true);
    if (item.style & DTS_RIGHTALIGN)
        new RightAlignPopup(edit);
    QObject::connect(edit, &QDateEdit::dateChanged, edit, [self](const QDate& date) { self->OnUserChangedDate(date); });
    static const bool dayKeys =
        (QCoreApplication::instance()->installEventFilter(new DayKeys(QCoreApplication::instance())), true);
    static_cast<void>(dayKeys);
    return control;
}
