// The widget of a dialog window. Keys and the window manager's close button reach the
// program as commands through its dialog procedure, never as Qt shortcuts around it:
// Escape and the close button give IDCANCEL, Enter the focused push button or the default.
// An application window (WS_EX_APPWINDOW) is a normal top-level window, which taskbars and
// window switchers list; every other one is a dialog, kept above its owner.
#pragma once

#include <QWidget>

struct DialogWindow;

class DialogWidget : public QWidget
{
public:
    DialogWidget(DialogWindow* window, QWidget* owner);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int FocusedButtonOrDefault() const;

    DialogWindow* m_window;
    bool m_laying = false;
    bool m_painted = false;
};
