// The yardstick of a start: a plain Qt program with the controls the main window shows (a
// caption, a picture, a date field with its drop-down calendar, a text box, a button and a
// menu bar), and nothing hidden, shown as soon as it is built.
#include <QApplication>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Minimal dialog"));
    dialog.setFixedSize(240, 300);
    auto* date = new QDateEdit(QDate::currentDate(), &dialog);
    date->setCalendarPopup(true);
    date->setGeometry(50, 14, 100, 22);
    auto* text = new QPlainTextEdit(QStringLiteral("Verse 1:\n\nA reading."), &dialog);
    text->setReadOnly(true);
    text->setGeometry(0, 36, 240, 210);
    (new QPushButton(QStringLiteral("May All be Well and Happy!"), &dialog))->setGeometry(0, 246, 240, 24);
    (new QLabel(QStringLiteral("Solmira"), &dialog))->setGeometry(50, 0, 190, 14);
    QPixmap logo(32, 32);
    logo.fill(Qt::darkBlue);
    auto* picture = new QLabel(&dialog);
    picture->setPixmap(logo);
    picture->setGeometry(0, 0, 36, 36);
    auto* bar = new QToolBar(&dialog);
    auto* options = new QToolButton(bar);
    options->setText(QStringLiteral("&Options"));
    auto* menu = new QMenu(options);
    menu->addAction(QStringLiteral("About"));
    menu->addSeparator();
    menu->addAction(QStringLiteral("&Settings"));
    options->setMenu(menu);
    options->setPopupMode(QToolButton::InstantPopup);
    bar->addWidget(options);
    bar->setGeometry(0, 270, 240, 30);
    dialog.show();
    return application.exec();
}
