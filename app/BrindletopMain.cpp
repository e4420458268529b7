// Brindletop: one player against the computer at a green card table.

#include "app/Application.h"
#include "app/HtmlHelpApi.h"
#include "app/Main.h"
#include "assets/pictures/GameImages.h"
#include "dialogs/Options.h"
#include "dialogs/Statics.h"

#include <QStandardPaths>

#include <memory>

int main(int argc, char* argv[])
{
    TBrindletopApplication app(argc, argv);
    // The name is also the display name. Setting a display name of its own would make Qt
    // add " — Brindletop" to every dialog's caption.
    QApplication::setApplicationName(QStringLiteral("Brindletop"));
    QApplication::setWindowIcon(ApplicationIcon());
    // Lets Wayland desktops match the window with its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.brindletop.Brindletop"));
    // The help viewer is loaded before any window exists and freed at the very end.
    THtmlHelpLibrary helpViewer;

    // The three windows live for the whole run, created in this order. The dialogs belong
    // to the main window, so they are modal over it and centred on it; the options dialog
    // reads the settings file as it is created.
    auto mainForm = std::make_unique<TMainForm>();
    MainForm = mainForm.get();
    mainForm->SetSaveFile(
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
        QStringLiteral("/series.save"));
    StaticsDialog = new TStaticsDialog(mainForm.get());
    OptionsDialog = new TOptionsDialog(mainForm.get());

    // The first series starts when the window first becomes active, or shortly after it is
    // shown when no activation comes. Ask for the focus too: without a window manager
    // nobody else would give it.
    mainForm->show();
    mainForm->activateWindow();
    const int result = TBrindletopApplication::exec();

    // The dialogs go with the main window.
    StaticsDialog = nullptr;
    OptionsDialog = nullptr;
    mainForm.reset();
    return result;
}
