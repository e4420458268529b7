// Sequence control. Card moves wait in a nested event loop, so the menu can fire while a
// deal, a card's flight or the computer's turn is under way. Starting a new series or
// closing the window right there would overlap two card moves or pull the table from
// under the running sequence; instead such a command waits until the outermost sequence
// has unwound and is carried out then.

#include "app/Main.h"

#include "platform/ErrorMessage.h"

#include <QTimer>

#include <exception>

TMainForm::TSequence::TSequence(TMainForm& form) : FForm(form)
{
    // What the table offers the player goes while cards move.
    if (++FForm.FSequenceDepth == 1)
        FForm.RefreshPlayableMarkers();
}

TMainForm::TSequence::~TSequence()
{
    if (--FForm.FSequenceDepth > 0)
        return;
    if (!FForm.SequenceAborted()) {
        FForm.RefreshPlayableMarkers();
        return;
    }
    if (std::uncaught_exceptions() > 0) {
        // Unwinding from a failure: carry the command out from the event loop instead.
        TMainForm* form = &FForm;
        QTimer::singleShot(0, form, [form] { form->RunPendingCommand(); });
        return;
    }
    try {
        FForm.RunPendingCommand();
    } catch (const std::exception& e) {
        ShowErrorMessage(&FForm, QString::fromLocal8Bit(e.what()));
    }
}

void TMainForm::RequestNewSeries()
{
    if (!SequenceRunning()) {
        TSequence sequence(*this);
        StartSeries();
        StartGame();
        return;
    }
    // A close already asked for outranks a new series.
    if (FPending != TPendingCommand::Close)
        FPending = TPendingCommand::NewSeries;
}

void TMainForm::RequestClose()
{
    if (!SequenceRunning()) {
        FClosing = true;
        close();
        return;
    }
    FPending = TPendingCommand::Close;
}

void TMainForm::RunPendingCommand()
{
    // While a sequence runs, its outermost TSequence carries the command out when it ends.
    if (SequenceRunning())
        return;
    const TPendingCommand command = FPending;
    FPending = TPendingCommand::None;
    switch (command) {
    case TPendingCommand::None:
        break;
    case TPendingCommand::NewSeries: {
        TSequence sequence(*this);
        StartSeries();
        StartGame();
        break;
    }
    case TPendingCommand::Close:
        FClosing = true;
        close();
        break;
    }
}
