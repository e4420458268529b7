#include "app/Application.h"

#include "platform/WindowSystem.h"

#include <QMessageBox>

#include <exception>

TBrindletopApplication::TBrindletopApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TBrindletopApplication::notify(QObject* Receiver, QEvent* Event)
{
    return DeliverReportingErrors([&] { return QApplication::notify(Receiver, Event); });
}

bool DeliverReportingErrors(const std::function<bool()>& Deliver)
{
    try {
        return Deliver();
    } catch (const std::exception& error) {
        ShowUnhandledError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowUnhandledError(QStringLiteral("An unexpected error occurred."));
    }
    return false;
}

void ShowUnhandledError(const QString& Text)
{
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), Text,
                    QMessageBox::Ok, parent, DialogFrameFlags());
    // The text may come from anywhere (a path, a system message): show it as it is.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
