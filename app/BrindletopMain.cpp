// Brindletop: one player against the computer at a green card table.

#include "app/Application.h"
#include "app/DataFolderOwner.h"
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

    // One series has one owner. Started again, the player wants the game already running:
    // it comes forward and this copy ends before it reads or writes anything of ours.
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    TDataFolderOwner owner(dataFolder);
    if (owner.Claim() == TDataFolderOwner::TClaim::OtherRunning)
        return 0;

    // The help viewer is loaded before any window exists and freed at the very end.
    THtmlHelpLibrary helpViewer;

    // The three windows live for the whole run, created in this order. The dialogs belong
    // to the main window, so they are modal over it and centred on it; the options dialog
    // reads the settings file as it is created.
    auto mainForm = std::make_unique<TMainForm>();
    MainForm = mainForm.get();
    mainForm->SetSaveFile(dataFolder + QStringLiteral("/series.save"));
    QObject::connect(&owner, &TDataFolderOwner::ComeForward, mainForm.get(),
                     [form = mainForm.get()] {
                         form->setWindowState(form->windowState() & ~Qt::WindowMinimized);
                         form->show();
                         form->raise();
                         form->activateWindow();
                     });
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
