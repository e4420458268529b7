#pragma once
// The program's application object. A failure that no handler deals with is reported to
// the player in an error message box captioned with the program's name, and the program
// goes on with the next event instead of ending.

#include <QApplication>
#include <QString>

#include <functional>

class TBrindletopApplication : public QApplication
{
public:
    TBrindletopApplication(int& argc, char** argv);
    bool notify(QObject* Receiver, QEvent* Event) override;
};

// Runs Deliver; an exception escaping it is shown in the error message box and the call
// then reports the event as not handled. The box is modal over the active window.
bool DeliverReportingErrors(const std::function<bool()>& Deliver);

// The error message box itself: error icon, OK button, the application's name as caption.
void ShowUnhandledError(const QString& Text);
