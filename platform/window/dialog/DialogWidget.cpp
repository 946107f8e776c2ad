// The dialog window's widget: the device's keys as commands.
#include "platform/window/dialog/DialogWidget.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

#include "platform/window/dialog/DialogWindow.h"

DialogWidget::DialogWidget(DialogWindow* window, QWidget* owner)
    : QWidget(owner, (window->exStyle & WS_EX_APPWINDOW) ? Qt::Window : Qt::Dialog), m_window(window)
{
}

void DialogWidget::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
        case Qt::Key_Escape:
            SendCommand(m_window, IDCANCEL, BN_CLICKED, nullptr);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            SendCommand(m_window, FocusedButtonOrDefault(), BN_CLICKED, nullptr);
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void DialogWidget::closeEvent(QCloseEvent* event)
{
    event->ignore();
    SendCommand(m_window, IDCANCEL, BN_CLICKED, nullptr);
}

// The reading box takes the room a resize gives or takes.
void DialogWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!m_laying) {
        m_laying = true;
        m_window->layout.Lay();
        m_laying = false;
    }
}

// The window's icon, which the first frame does not show, is decoded once that frame is drawn.
void DialogWidget::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (m_painted)
        return;
    m_painted = true;
    if (m_window->bigIcon != nullptr || m_window->smallIcon != nullptr)
        QTimer::singleShot(0, this, [this] { m_window->ShowIcon(); });
}

// Enter presses the push button that has the focus, otherwise OK.
int DialogWidget::FocusedButtonOrDefault() const
{
    QWidget* focus = focusWidget();
    if (qobject_cast<QPushButton*>(focus) != nullptr)
        if (const Window* control = Window::Owning(focus); control != nullptr && control != m_window)
            return control->id;
    return IDOK;
}
