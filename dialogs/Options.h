#pragma once
// The options dialog. Its controls are the only store of the current options while the
// program runs; the rest of the program reads them through the five properties, each
// computed from its control at the moment it is read. The options are loaded from the
// settings file when the dialog is created and saved there when it is confirmed with OK.

#include <QDialog>
#include <QString>

#include "dialogs/Settings.h"
#include "game/Lib.h"

class QLabel;
class QLineEdit;
class QPushButton;
class TRadioGroup;

class TOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    // The most characters the player may type as a name; a longer stored name is kept.
    static constexpr int MaxTypedNameLength = 10;

    explicit TOptionsDialog(QWidget* Parent = nullptr,
                            const QString& SettingsPath = SettingsFilePath());
    ~TOptionsDialog() override;

    QString PlayerName() const;
    TDealer Dealer() const;
    TSkillLevel SkillLevel() const;
    TGamesBestOf GamesBestOf() const;
    TAnimSpeed AnimSpeed() const;

    QString SettingsPath() const { return FSettingsPath; }

public Q_SLOTS:
    // Cancel, Esc and the close box: the controls show again what they showed when the
    // dialog opened, so a cancelled edit changes nothing.
    void reject() override;

protected:
    void showEvent(QShowEvent* Event) override;

private Q_SLOTS:
    void BtnOkClick();

private:
    // What the controls show; a snapshot of it is taken whenever the dialog opens.
    struct TShown
    {
        QString Name;
        int Dealer, SkillLevel, BestOf, AnimSpeed;
    };

    void FormCreate();
    void LoadSettings();
    void SaveSettings();
    TShown Shown() const;
    void Show(const TShown& Values);
    // Sets the name without the typing limit, which does not judge a stored name.
    void SetNameText(const QString& Name);

    friend class TOptionsDialogProbe; // lets the tests reach the controls

    TRadioGroup* RGGamesBestOf;
    TRadioGroup* RGDealer;
    TRadioGroup* RGSkillLevel;
    QLabel* LPlayerName;
    QLineEdit* EdPlayerName;
    TRadioGroup* RGAnimSpeed;
    QPushButton* BtnOk;
    QPushButton* BtnCancel;
    QString FSettingsPath;
    TShown FOpened{};
};

// The program-wide options dialog, created by the shell at start-up.
extern TOptionsDialog* OptionsDialog;
