#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brindletop"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Brindletop"));
    window.resize(344, 613);
    window.show();
    return app.exec();
}
