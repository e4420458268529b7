#pragma once
// Help access: the component through which the main window opens the help file.
//
//     HelpSystem = new THelpSystem(this);
//     HelpSystem->SetHelpfile(HelpFilePath());
//     HelpSystem->SetActive(true);     // FormCreate
//     HelpSystem->Open();              // Help > Index (F1)
//     HelpSystem->SetActive(false);    // FormClose: closes the viewer windows
//
// The viewer must have been loaded at start-up (THtmlHelpLibrary, app/HtmlHelpApi.h).

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

class THookHelpSystem;

// The name of the program's help file.
inline constexpr auto ApplicationHelpFileName = "bt.chm";
// Where the program's help file is: "HELP/bt.chm" in the executable's folder.
QString HelpFilePath();

class TCustomHelpSystem : public QObject
{
    Q_OBJECT

public:
    explicit TCustomHelpSystem(QObject* AOwner = nullptr);
    // Releases the hook (closing the viewer windows), then asks the viewer once more to
    // close all its windows.
    ~TCustomHelpSystem() override;

    // Shows the help file of the moment of activation at its default topic.
    void Open();
    // Shows the page of the current Helpfile that is mapped to the context id Topic.
    void Open(int32_t Topic);

protected:
    bool GetActive() const { return FHHelp != nullptr; }
    void SetActive(bool Value);
    const QString& GetHelpfile() const { return FHelpfile; }
    void SetHelpfile(const QString& Value) { FHelpfile = Value; }

private:
    // Opening help while it cannot be shown tells the user so, instead of doing nothing.
    static void ShowHelpUnavailable();

    QString FHelpfile;
    std::unique_ptr<THookHelpSystem> FHHelp;
};

class THelpSystem : public TCustomHelpSystem
{
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(QString Helpfile READ Helpfile WRITE SetHelpfile)

public:
    using TCustomHelpSystem::TCustomHelpSystem;

    // True while the hook exists. Writing true creates it with the current Helpfile,
    // writing false frees it; writing the current value does nothing.
    bool Active() const { return GetActive(); }
    void SetActive(bool Value) { TCustomHelpSystem::SetActive(Value); }
    // The help file's full path. An active component keeps the path it was activated
    // with until it is activated again.
    QString Helpfile() const { return GetHelpfile(); }
    void SetHelpfile(const QString& Value) { TCustomHelpSystem::SetHelpfile(Value); }
};
