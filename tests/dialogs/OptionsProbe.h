#pragma once
// Reaches the options dialog's controls, as the player would with mouse and keyboard.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "dialogs/Options.h"
#include "platform/RadioGroup.h"

class TOptionsDialogProbe
{
public:
    static TRadioGroup* GamesBestOf(TOptionsDialog& Dialog) { return Dialog.RGGamesBestOf; }
    static TRadioGroup* Dealer(TOptionsDialog& Dialog) { return Dialog.RGDealer; }
    static TRadioGroup* SkillLevel(TOptionsDialog& Dialog) { return Dialog.RGSkillLevel; }
    static TRadioGroup* AnimSpeed(TOptionsDialog& Dialog) { return Dialog.RGAnimSpeed; }
    static QLabel* NameLabel(TOptionsDialog& Dialog) { return Dialog.LPlayerName; }
    static QLineEdit* Name(TOptionsDialog& Dialog) { return Dialog.EdPlayerName; }
    static QPushButton* Ok(TOptionsDialog& Dialog) { return Dialog.BtnOk; }
    static QPushButton* Cancel(TOptionsDialog& Dialog) { return Dialog.BtnCancel; }
};
