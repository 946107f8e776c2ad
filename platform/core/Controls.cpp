// The controls a window template can hold, each a real Qt widget. Each answers its
// requests in Proc, a switch from a message to a typed call; what it tells its dialog goes
// through SendCommand or SendNotify.
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimeEdit>

#include "platform/core/Clock.h"
#include "platform/core/WindowImpl.h"

namespace
{

// The widest range of dates a date control accepts.
const QDate kFirstDate(1601, 1, 1);
const QDate kLastDate(9999, 12, 31);

QDate DateOf(const SYSTEMTIME& st)
{
    return QDate(st.wYear, st.wMonth, st.wDay);
}

// Puts a date into a local date-time, keeping its time of day.
void SetDate(SYSTEMTIME& st, const QDate& date)
{
    st.wYear = static_cast<WORD>(date.year());
    st.wMonth = static_cast<WORD>(date.month());
    st.wDay = static_cast<WORD>(date.day());
    st.wDayOfWeek = static_cast<WORD>(date.dayOfWeek() % 7);  // Qt: Monday 1 .. Sunday 7
}

SYSTEMTIME Now()
{
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return st;
}

// --- Push button and check box -------------------------------------------------------

struct Button : Window {
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        auto* box = qobject_cast<QCheckBox*>(widget);
        switch (message) {
            case BM_GETCHECK:
                return box != nullptr && box->isChecked() ? BST_CHECKED : BST_UNCHECKED;
            case BM_SETCHECK:
                // Setting the state, unlike the user's click, sends no notification.
                if (box != nullptr)
                    box->setChecked(wParam == BST_CHECKED);
                return 0;
            default:
                return Window::Proc(message, wParam, lParam);
        }
    }

    void SetText(const std::wstring& newText) override
    {
        Window::SetText(newText);
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            button->setText(QString::fromStdWString(newText));
    }
};

std::unique_ptr<Window> CreateButton(TopLevelWindow* dialog, const DialogItemTemplate& item)
{
    auto control = std::make_unique<Button>();
    QAbstractButton* button = nullptr;
    if ((item.style & 0x0F) == BS_AUTOCHECKBOX) {
        button = new QCheckBox(dialog->widget);
    } else {
        auto* push = new QPushButton(dialog->widget);
        push->setDefault((item.style & 0x0F) == BS_DEFPUSHBUTTON);
        push->setAutoDefault(false);
        button = push;
    }
    control->widget = button;
    Window* self = control.get();
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [dialog, self] { SendCommand(dialog, self->id, BN_CLICKED, self); });
    return control;
}

// --- Edit box ------------------------------------------------------------------------

// A multi-line edit box. It keeps the text exactly as set; line ends ("\r\n") start a new
// line on screen. With EM_FMTLINES on, reading the text back inserts "\r\r\n" where a line
// wraps, as the device does.
struct EditBox : Window {
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
            case EM_FMTLINES:
                formatLines = wParam != 0;
                return wParam != 0;
            default:
                return Window::Proc(message, wParam, lParam);
        }
    }

    void SetText(const std::wstring& newText) override
    {
        Window::SetText(newText);
        if (auto* edit = Editor())
            edit->setPlainText(HardLines(newText).join(QLatin1Char('\n')));
    }

    std::wstring GetText() const override
    {
        QPlainTextEdit* edit = Editor();
        if (!formatLines || edit == nullptr)
            return text;
        // Hard lines of the text and blocks of the document correspond one to one.
        const QStringList lines = HardLines(text);
        std::wstring out;
        size_t from = 0;
        QTextBlock block = edit->document()->firstBlock();
        for (int i = 0; i < lines.size(); ++i, block = block.next()) {
            const std::wstring line = lines[i].toStdWString();
            int start = 0;
            for (int wrap : WrapPositions(edit, block)) {
                if (wrap <= start || wrap >= static_cast<int>(line.size()))
                    continue;
                out.append(line, static_cast<size_t>(start), static_cast<size_t>(wrap - start));
                out += L"\r\r\n";
                start = wrap;
            }
            out.append(line, static_cast<size_t>(start), std::wstring::npos);
            // Copy the line end as it stood in the text.
            from += line.size();
            const size_t end = BreakLength(text, from);
            out.append(text, from, end);
            from += end;
        }
        return out;
    }

    QPlainTextEdit* Editor() const { return qobject_cast<QPlainTextEdit*>(widget); }

    // The length of the line end at position: "\r\r\n", "\r\n", "\n" or "\r"; 0 if none.
    static size_t BreakLength(const std::wstring& s, size_t at)
    {
        if (s.compare(at, 3, L"\r\r\n") == 0)
            return 3;
        if (s.compare(at, 2, L"\r\n") == 0)
            return 2;
        return at < s.size() && (s[at] == L'\n' || s[at] == L'\r') ? 1 : 0;
    }

    static QStringList HardLines(const std::wstring& s)
    {
        QStringList lines;
        size_t start = 0;
        for (size_t i = 0; i <= s.size();) {
            const size_t length = i < s.size() ? BreakLength(s, i) : 1;
            if (length == 0) {
                ++i;
                continue;
            }
            lines << QString::fromStdWString(s.substr(start, i - start));
            i += length;
            start = i;
        }
        return lines;
    }

    // Where the editor wraps a block, as positions within it.
    static std::vector<int> WrapPositions(QPlainTextEdit* edit, const QTextBlock& block)
    {
        std::vector<int> positions;
        if (!block.isValid())
            return positions;
        // Asking for the block's rectangle lays it out if the editor has not yet.
        edit->document()->documentLayout()->blockBoundingRect(block);
        const QTextLayout* layout = block.layout();
        for (int i = 1; layout != nullptr && i < layout->lineCount(); ++i)
            positions.push_back(layout->lineAt(i).textStart());
        return positions;
    }

    bool formatLines = false;
};

std::unique_ptr<Window> CreateEdit(TopLevelWindow* dialog, const DialogItemTemplate& item)
{
    auto control = std::make_unique<EditBox>();
    auto* edit = new QPlainTextEdit(dialog->widget);
    control->widget = edit;
    edit->setReadOnly(item.style & ES_READONLY);
    if (item.style & ES_MULTILINE && !(item.style & ES_AUTOHSCROLL)) {
        edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    } else {
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    }
    edit->setVerticalScrollBarPolicy((item.style & WS_VSCROLL) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy((item.style & WS_HSCROLL) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    if (item.exStyle & WS_EX_STATICEDGE)
        edit->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    edit->setTabChangesFocus(true);
    return control;
}

// --- Static text and picture ---------------------------------------------------------

struct StaticText : Window {
    void SetText(const std::wstring& newText) override
    {
        Window::SetText(newText);
        if (auto* label = qobject_cast<QLabel*>(widget); label != nullptr && label->pixmap().isNull())
            label->setText(QString::fromStdWString(newText));
    }
};

std::unique_ptr<Window> CreateStatic(TopLevelWindow* dialog, const DialogItemTemplate& item, HINSTANCE module)
{
    auto control = std::make_unique<StaticText>();
    auto* label = new QLabel(dialog->widget);
    control->widget = label;
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if ((item.style & 0x1F) == SS_BITMAP) {
        // The picture shows its bitmap at its own size, from the control's top left.
        if (const ImageResource* bitmap = FindBitmap(module, item.imageId)) {
            QImage image;
            image.loadFromData(bitmap->data, static_cast<int>(bitmap->size), "BMP");
            label->setPixmap(QPixmap::fromImage(image));
        }
    }
    return control;
}

// --- Date-and-time picker ------------------------------------------------------------

QTime TimeOf(const SYSTEMTIME& st)
{
    return QTime(st.wHour, st.wMinute, st.wSecond);
}

// A date or time field. It holds a whole local date-time; the field shows and edits the
// date, or the time of day, and the rest of the value comes back unchanged.
struct DatePicker : Window {
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) override
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

    LRESULT GetSystemTime(SYSTEMTIME* st) const
    {
        if (st == nullptr)
            return GDT_ERROR;
        *st = value;
        return GDT_VALID;
    }

    // Setting the value, unlike the user's edit, sends no notification. A date-time that
    // does not exist leaves the value as it was.
    LRESULT SetSystemTime(const SYSTEMTIME* st)
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

    void OnUserChangedDate(const QDate& date)
    {
        SetDate(value, date);
        Notify();
    }

    void OnUserChangedTime(const QTime& time)
    {
        value.wHour = static_cast<WORD>(time.hour());
        value.wMinute = static_cast<WORD>(time.minute());
        value.wSecond = static_cast<WORD>(time.second());
        Notify();
    }

    void Notify()
    {
        NMDATETIMECHANGE change{};
        change.nmhdr.code = DTN_DATETIMECHANGE;
        change.st = value;
        SendNotify(this, &change.nmhdr);
    }

    SYSTEMTIME value{};
};

// The short date of the desktop's locale, with the full year, so that typing a year
// never has to guess its century.
QString ShortDateFormat()
{
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    format.replace(twoDigitYear, QStringLiteral("yyyy"));
    return format;
}

// The locale's short time of day, with seconds, which the value keeps.
QString TimeFormat()
{
    QString format = QLocale().timeFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("ss")))
        format.replace(QRegularExpression(QStringLiteral("(m+)")), QStringLiteral("\\1:ss"));
    return format;
}

// Keeps the drop-down calendar's right edge on the field's right edge.
class RightAlignPopup : public QObject
{
public:
    RightAlignPopup(QDateEdit* edit) : QObject(edit), m_edit(edit) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            auto* popup = static_cast<QWidget*>(watched);
            const QPoint fieldRight = m_edit->mapToGlobal(QPoint(m_edit->width(), m_edit->height()));
            popup->move(fieldRight.x() - popup->width(), fieldRight.y());
        }
        return false;
    }

private:
    QDateEdit* m_edit;
};

std::unique_ptr<Window> CreateDatePicker(TopLevelWindow* dialog, const DialogItemTemplate& item)
{
    auto control = std::make_unique<DatePicker>();
    DatePicker* self = control.get();
    // The field starts at the current local date-time.
    control->value = Now();
    if ((item.style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT) {
        // A time field, with up-down arrows.
        auto* edit = new QTimeEdit(TimeOf(control->value), dialog->widget);
        control->widget = edit;
        edit->setDisplayFormat(TimeFormat());
        edit->setWrapping(true);
        QObject::connect(edit, &QTimeEdit::timeChanged, edit,
                         [self](const QTime& time) { self->OnUserChangedTime(time); });
        return control;
    }
    auto* edit = new QDateEdit(DateOf(control->value), dialog->widget);
    control->widget = edit;
    edit->setDateRange(kFirstDate, kLastDate);
    edit->setDisplayFormat(ShortDateFormat());
    edit->setCalendarPopup(true);
    if (item.style & DTS_RIGHTALIGN)
        edit->calendarWidget()->window()->installEventFilter(new RightAlignPopup(edit));
    QObject::connect(edit, &QDateEdit::dateChanged, edit, [self](const QDate& date) { self->OnUserChangedDate(date); });
    return control;
}

// --- Month calendar ------------------------------------------------------------------

struct MonthCalendar : Window {
    LRESULT Proc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
            case MCM_GETCURSEL:
                return GetCurSel(reinterpret_cast<SYSTEMTIME*>(lParam));
            default:
                return Window::Proc(message, wParam, lParam);
        }
    }

    LRESULT GetCurSel(SYSTEMTIME* st) const
    {
        auto* calendar = qobject_cast<QCalendarWidget*>(widget);
        if (st == nullptr || calendar == nullptr)
            return FALSE;
        *st = SYSTEMTIME{};
        SetDate(*st, calendar->selectedDate());
        return TRUE;
    }

    void Notify(int code)
    {
        NMSELCHANGE change{};
        change.nmhdr.code = code;
        GetCurSel(&change.stSelStart);
        change.stSelEnd = change.stSelStart;
        SendNotify(this, &change.nmhdr);
    }
};

std::unique_ptr<Window> CreateMonthCalendar(TopLevelWindow* dialog)
{
    auto control = std::make_unique<MonthCalendar>();
    auto* calendar = new QCalendarWidget(dialog->widget);
    control->widget = calendar;
    calendar->setDateRange(kFirstDate, kLastDate);
    calendar->setSelectedDate(DateOf(Now()));
    MonthCalendar* self = control.get();
    QObject::connect(calendar, &QCalendarWidget::selectionChanged, calendar, [self] { self->Notify(MCN_SELCHANGE); });
    QObject::connect(calendar, &QCalendarWidget::activated, calendar, [self] { self->Notify(MCN_SELECT); });
    return control;
}

}  // namespace

std::unique_ptr<Window> CreateControl(TopLevelWindow* dialog, const DialogItemTemplate& item, HINSTANCE module)
{
    std::unique_ptr<Window> control;
    switch (item.windowClass) {
        case ControlClass::Button:
            control = CreateButton(dialog, item);
            break;
        case ControlClass::Edit:
            control = CreateEdit(dialog, item);
            break;
        case ControlClass::Static:
            control = CreateStatic(dialog, item, module);
            break;
        case ControlClass::DateTimePicker:
            control = CreateDatePicker(dialog, item);
            break;
        case ControlClass::MonthCalendar:
            control = CreateMonthCalendar(dialog);
            break;
    }
    if (control == nullptr || control->widget == nullptr)
        return nullptr;
    control->parent = dialog;
    control->id = item.id;
    control->style = item.style;
    control->exStyle = item.exStyle;
    control->enabled = !(item.style & WS_DISABLED);
    control->widget->setEnabled(control->enabled);
    control->widget->setGeometry(dialog->units.X(item.x), dialog->units.Y(item.y), dialog->units.X(item.cx),
                                 dialog->units.Y(item.cy));
    if (!(item.style & WS_TABSTOP))
        control->widget->setFocusPolicy(static_cast<Qt::FocusPolicy>(control->widget->focusPolicy() & ~Qt::TabFocus));
    if (item.text != nullptr && (item.style & 0x1F) != SS_BITMAP)
        control->SetText(item.text);
    // A control without the visible style exists and answers requests, but is never shown.
    control->widget->setVisible(item.style & WS_VISIBLE);
    return control;
}
