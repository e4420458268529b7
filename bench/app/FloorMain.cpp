// The floor for the program's start-up, memory and idle figures: the least a Qt Widgets
// program of the same shape costs. A main window of the same outer size with a menu bar
// and a plain green area where the card table would be, nothing else.
//
//   bt_floor        (window title "Floor")
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPalette>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Floor"));

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Floor"));
    QMenuBar* menu = window.menuBar();
    QMenu* file = menu->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&New Game"));
    file->addAction(QStringLiteral("E&xit"), &app, &QApplication::quit);
    menu->addMenu(QStringLiteral("&Help"))->addAction(QStringLiteral("&About"));

    auto* table = new QWidget;
    table->setFixedSize(344, 538);
    table->setAutoFillBackground(true);
    QPalette palette = table->palette();
    palette.setColor(QPalette::Window, QColor(0, 128, 0));
    table->setPalette(palette);
    window.setCentralWidget(table);

    window.show();
    return QApplication::exec();
}
