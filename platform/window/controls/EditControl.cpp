// The text box as a Qt plain-text editor, with the device's soft line breaks read back.
#include "platform/window/controls/EditControl.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <vector>

#include "platform/window/dialog/DialogWindow.h"

namespace
{

// A wrapping text box wider than a readable measure keeps its lines to about seventy
// characters of its font, centred, at every zoom; the room either side is the box's own.
class TextBox : public QPlainTextEdit
{
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        KeepMeasure();
        QPlainTextEdit::resizeEvent(event);
    }

    void changeEvent(QEvent* event) override
    {
        QPlainTextEdit::changeEvent(event);
        if (event->type() == QEvent::FontChange)
            KeepMeasure();
    }

private:
    void KeepMeasure()
    {
        constexpr int kMeasure = 70;
        if (lineWrapMode() == NoWrap)
            return;
        const int text =
            kMeasure * fontMetrics().averageCharWidth() + 2 * static_cast<int>(document()->documentMargin());
        int room = contentsRect().width();
        if (verticalScrollBar()->isVisibleTo(this))
            room -= verticalScrollBar()->sizeHint().width();
        const int side = std::max(0, (room - text) / 2);
        if (viewportMargins().left() != side)
            setViewportMargins(side, 0, side, 0);
    }
};

// The length of the line end at position: "\r\r\n", "\r\n", "\n" or "\r"; 0 if none.
size_t BreakLength(const std::wstring& s, size_t at)
{
    if (s.compare(at, 3, L"\r\r\n") == 0)
        return 3;
    if (s.compare(at, 2, L"\r\n") == 0)
        return 2;
    return at < s.size() && (s[at] == L'\n' || s[at] == L'\r') ? 1 : 0;
}

QStringList HardLines(const std::wstring& s)
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

// A line longer than this is cut into blocks of the editor: the editor lays a block out
// whole, at a cost that grows faster than its length, while it lays out only the blocks
// in sight. A cut falls after a space where one is near, and never inside a character.
constexpr int kLongestBlock = 4096;

QStringList Pieces(const QString& line)
{
    QStringList pieces;
    int start = 0;
    while (line.size() - start > kLongestBlock) {
        int cut = start + kLongestBlock;
        const int space = static_cast<int>(line.lastIndexOf(QLatin1Char(' '), cut - 1));
        if (space > start + kLongestBlock / 2)
            cut = space + 1;
        else if (line.at(cut - 1).isHighSurrogate())
            --cut;
        pieces << line.mid(start, cut - start);
        start = cut;
    }
    pieces << line.mid(start);
    return pieces;
}

// Where the editor wraps a block, as positions within it.
std::vector<int> WrapPositions(QPlainTextEdit* edit, const QTextBlock& block)
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

}  // namespace

LRESULT EditControl::Proc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case EM_FMTLINES:
            formatLines = wParam != 0;
            return wParam != 0;
        default:
            return Window::Proc(message, wParam, lParam);
    }
}

void EditControl::SetText(const std::wstring& newText)
{
    Window::SetText(newText);
    QPlainTextEdit* edit = Editor();
    if (edit == nullptr)
        return;
    QStringList blocks;
    for (const QString& line : HardLines(newText))
        blocks << Pieces(line);
    edit->setPlainText(blocks.join(QLatin1Char('\n')));
}

std::wstring EditControl::GetText() const
{
    QPlainTextEdit* edit = Editor();
    if (!formatLines || edit == nullptr)
        return text;
    // Each hard line of the text is one block of the document, or the pieces it was cut
    // into, which end as wrapped lines end.
    const QStringList lines = HardLines(text);
    std::wstring out;
    size_t from = 0;
    QTextBlock block = edit->document()->firstBlock();
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList pieces = Pieces(lines[i]);
        for (int k = 0; k < pieces.size(); ++k, block = block.next()) {
            const QString& piece = pieces[k];
            int start = 0;
            for (int wrap : WrapPositions(edit, block)) {
                if (wrap <= start || wrap >= piece.size())
                    continue;
                out += piece.mid(start, wrap - start).toStdWString() + L"\r\r\n";
                start = wrap;
            }
            out += piece.mid(start).toStdWString();
            if (k + 1 < pieces.size())
                out += L"\r\r\n";
        }
        // Copy the line end as it stood in the text.
        from += lines[i].toStdWString().size();
        const size_t end = BreakLength(text, from);
        out.append(text, from, end);
        from += end;
    }
    return out;
}

QPlainTextEdit* EditControl::Editor() const
{
    return qobject_cast<QPlainTextEdit*>(widget);
}

std::unique_ptr<Window> EditControl::Create(DialogWindow* dialog, const DialogItemTemplate& item)
{
    auto control = std::make_unique<EditControl>();
    auto* edit = new TextBox(dialog->widget);
    control->Adopt(edit);
    edit->setReadOnly(item.style & ES_READONLY);
    if (item.style & ES_MULTILINE && !(item.style & ES_AUTOHSCROLL)) {
        edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        edit->setBackgroundRole(QPalette::Base);
        edit->setAutoFillBackground(true);
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
