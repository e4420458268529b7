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

private Q_SLOTS:
    void BtnOkClick();

private:
    void FormCreate();
    void LoadSettings();
    void SaveSettings();

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
};

// The program-wide options dialog, created by the shell at start-up.
extern TOptionsDialog* OptionsDialog;
