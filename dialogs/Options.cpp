#include "dialogs/Options.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QValidator>

#include <algorithm>
#include <exception>

#include "dialogs/DialogFont.h"
#include "ini/IniDocument.h"
#include "platform/ErrorMessage.h"
#include "platform/RadioGroup.h"
#include "platform/WindowSystem.h"

TOptionsDialog* OptionsDialog = nullptr;

namespace {

// Limits what the player can type without cutting a longer name that came from the
// settings file: an edit may not make the text longer than the limit and longer than it
// was before. What goes past that is cut from the end of the inserted text, so a paste
// keeps as much as fits, and a key typed into a full field is refused.
class TTypingLimit : public QValidator
{
public:
    TTypingLimit(QLineEdit* Edit, int Limit) : QValidator(Edit), FLimit(Limit), FText(Edit->text())
    {
        connect(Edit, &QLineEdit::textChanged, this, [this](const QString& Text) { FText = Text; });
    }

    State validate(QString& Input, int& Position) const override
    {
        const qsizetype excess = Input.size() - std::max<qsizetype>(FLimit, FText.size());
        if (excess <= 0)
            return Acceptable;
        // The inserted text lies between what the old and the new text share at each end.
        const qsizetype shorter = std::min(Input.size(), FText.size());
        qsizetype head = 0;
        while (head < shorter && Input.at(head) == FText.at(head))
            ++head;
        qsizetype tail = 0;
        while (tail < shorter - head &&
               Input.at(Input.size() - 1 - tail) == FText.at(FText.size() - 1 - tail))
            ++tail;
        qsizetype keep = Input.size() - tail - head - excess;
        // Never split a character that takes two UTF-16 units.
        if (keep > 0 && Input.at(head + keep - 1).isHighSurrogate())
            --keep;
        if (keep <= 0)
            return Invalid;
        Input.remove(head + keep, Input.size() - tail - head - keep);
        Position = int(head + keep);
        return Acceptable;
    }

private:
    int FLimit;
    QString FText;
};

// The value a group stands for; a group left without a selection counts as its default.
int IndexOr(const TRadioGroup* Group, int Default)
{
    const int index = Group->ItemIndex();
    return index < 0 ? Default : index;
}

// A stored index below 0 would leave the group without a selection: use the default.
int StoredIndexOr(int Stored, int Default)
{
    return Stored < 0 ? Default : Stored;
}

} // namespace

TOptionsDialog::TOptionsDialog(QWidget* Parent, const QString& SettingsPath)
    : QDialog(Parent, DialogFrameFlags() | Qt::MSWindowsFixedSizeDialogHint),
      FSettingsPath(SettingsPath)
{
    setWindowTitle(QStringLiteral("Options"));
    setFont(DialogFont());
    setFixedSize(249, 287);

    // Created in focus order, which is also the order of the fields.
    RGGamesBestOf = new TRadioGroup(QStringLiteral(" Best of "),
                                    {QStringLiteral("1 Game"), QStringLiteral("3 Games"),
                                     QStringLiteral("5 Games"), QStringLiteral("7 Games")},
                                    this);
    RGGamesBestOf->setGeometry(7, 106, 114, 108);
    RGGamesBestOf->SetItemIndex(0);

    RGDealer = new TRadioGroup(QStringLiteral(" Dealer "),
                               {QStringLiteral("Computer"), QStringLiteral("Player")}, this);
    RGDealer->setGeometry(7, 39, 114, 64);
    RGDealer->SetItemIndex(0);

    RGSkillLevel = new TRadioGroup(QStringLiteral(" Skill Level "), SkillLevelTexts(), this);
    RGSkillLevel->setGeometry(128, 39, 113, 108); // four levels, as tall as Best of
    RGSkillLevel->SetItemIndex(0);

    LPlayerName = new QLabel(QStringLiteral("Player Name "), this);
    LPlayerName->move(10, 10);
    LPlayerName->adjustSize();

    EdPlayerName = new QLineEdit(QStringLiteral("Player"), this);
    EdPlayerName->setGeometry(128, 6, 113, 21);
    EdPlayerName->setValidator(new TTypingLimit(EdPlayerName, MaxTypedNameLength));
    // The label names the field for a screen reader.
    LPlayerName->setBuddy(EdPlayerName);

    RGAnimSpeed = new TRadioGroup(
        QStringLiteral(" Anim Speed "),
        {QStringLiteral("Fast"), QStringLiteral("Medium"), QStringLiteral("Low")}, this);
    RGAnimSpeed->setGeometry(128, 149, 113, 86);
    RGAnimSpeed->SetItemIndex(0);

    BtnOk = new QPushButton(QStringLiteral("&OK"), this);
    BtnOk->setGeometry(85, 247, 75, 25);
    BtnOk->setDefault(true);

    BtnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    BtnCancel->setGeometry(165, 247, 75, 25);

    // Tab reads the dialog as it is laid out: row by row, left to right. The groups take
    // no focus themselves: their buttons are chained, and Tab stops at a group's ticked one.
    QList<QWidget*> focusOrder{EdPlayerName};
    for (const TRadioGroup* group : {RGDealer, RGSkillLevel, RGGamesBestOf, RGAnimSpeed})
        for (int i = 0; i < group->Count(); ++i)
            focusOrder << group->Button(i);
    focusOrder << BtnOk << BtnCancel;
    for (qsizetype i = 1; i < focusOrder.size(); ++i)
        setTabOrder(focusOrder[i - 1], focusOrder[i]);

    connect(BtnOk, &QPushButton::clicked, this, &TOptionsDialog::BtnOkClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
    FOpened = Shown();
}

TOptionsDialog::~TOptionsDialog()
{
    if (OptionsDialog == this)
        OptionsDialog = nullptr;
}

QString TOptionsDialog::PlayerName() const
{
    return EdPlayerName->text();
}

TDealer TOptionsDialog::Dealer() const
{
    return TDealer(IndexOr(RGDealer, Settings::DefaultDealer));
}

TSkillLevel TOptionsDialog::SkillLevel() const
{
    return TSkillLevel(IndexOr(RGSkillLevel, Settings::DefaultSkillLevel));
}

TGamesBestOf TOptionsDialog::GamesBestOf() const
{
    return TGamesBestOf(IndexOr(RGGamesBestOf, Settings::DefaultBestOf));
}

TAnimSpeed TOptionsDialog::AnimSpeed() const
{
    return TAnimSpeed(IndexOr(RGAnimSpeed, Settings::DefaultAnimSpeed));
}

void TOptionsDialog::FormCreate()
{
    LoadSettings();
}

void TOptionsDialog::BtnOkClick()
{
    // Confirmed before saving: a failed save is reported, yet the new options still
    // start the new series.
    setResult(QDialog::Accepted);
    SaveSettings();
    accept();
}

void TOptionsDialog::LoadSettings()
{
    QString name;
    int dealer = 0, skillLevel = 0, bestOf = 0, animSpeed = 0;
    try {
        TIniDocument ini(FSettingsPath);
        name =
            ini.ReadString(Settings::Section, Settings::KeyPlayerName, Settings::DefaultPlayerName);
        dealer = ini.ReadInteger(Settings::Section, Settings::KeyDealer, Settings::DefaultDealer);
        skillLevel = ini.ReadInteger(Settings::Section, Settings::KeySkillLevel,
                                     Settings::DefaultSkillLevel);
        bestOf = ini.ReadInteger(Settings::Section, Settings::KeyBestOf, Settings::DefaultBestOf);
        animSpeed =
            ini.ReadInteger(Settings::Section, Settings::KeyAnimSpeed, Settings::DefaultAnimSpeed);
    } catch (const std::exception& error) {
        // The dialog keeps its designed options; the game goes on with them.
        QWidget* owner = parentWidget() && parentWidget()->isVisible() ? parentWidget() : nullptr;
        ShowErrorMessage(owner, QStringLiteral("Brindletop could not read your options from "
                                               "%1: %2\nThe game uses its standard options.")
                                    .arg(QDir::toNativeSeparators(FSettingsPath),
                                         ReasonOf(error, FSettingsPath)));
        return;
    }

    Show({name, StoredIndexOr(dealer, Settings::DefaultDealer),
          StoredIndexOr(skillLevel, Settings::DefaultSkillLevel),
          StoredIndexOr(bestOf, Settings::DefaultBestOf),
          StoredIndexOr(animSpeed, Settings::DefaultAnimSpeed)});
}

TOptionsDialog::TShown TOptionsDialog::Shown() const
{
    return {EdPlayerName->text(), RGDealer->ItemIndex(), RGSkillLevel->ItemIndex(),
            RGGamesBestOf->ItemIndex(), RGAnimSpeed->ItemIndex()};
}

void TOptionsDialog::Show(const TShown& Values)
{
    SetNameText(Values.Name);
    RGDealer->SetItemIndex(Values.Dealer);
    RGSkillLevel->SetItemIndex(Values.SkillLevel);
    RGGamesBestOf->SetItemIndex(Values.BestOf);
    RGAnimSpeed->SetItemIndex(Values.AnimSpeed);
}

void TOptionsDialog::SetNameText(const QString& Name)
{
    const QValidator* limit = EdPlayerName->validator();
    EdPlayerName->setValidator(nullptr);
    EdPlayerName->setText(Name);
    EdPlayerName->setValidator(limit);
}

void TOptionsDialog::showEvent(QShowEvent* Event)
{
    // Only the dialog's own opening counts, not the window system showing it again.
    if (!Event->spontaneous()) {
        FOpened = Shown();
        // The name is what a player most often comes to change; typing replaces it.
        EdPlayerName->setFocus(Qt::TabFocusReason);
        EdPlayerName->selectAll();
        // The style draws the focus only after a key moved it; here it is always shown,
        // so a keyboard player sees where Space and the letters go.
        setAttribute(Qt::WA_KeyboardFocusChange);
    }
    QDialog::showEvent(Event);
}

void TOptionsDialog::reject()
{
    Show(FOpened);
    QDialog::reject();
}

void TOptionsDialog::SaveSettings()
{
    try {
        TIniDocument ini(FSettingsPath);
        ini.WriteString(Settings::Section, Settings::KeyPlayerName, PlayerName());
        ini.WriteInteger(Settings::Section, Settings::KeyDealer, int(Dealer()));
        ini.WriteInteger(Settings::Section, Settings::KeySkillLevel, int(SkillLevel()));
        ini.WriteInteger(Settings::Section, Settings::KeyBestOf, int(GamesBestOf()));
        ini.WriteInteger(Settings::Section, Settings::KeyAnimSpeed, int(AnimSpeed()));
        if (ini.HasChanged())
            MakeSettingsFolder(FSettingsPath);
        // Released documents do not report a failed write: write explicitly first.
        ini.UpdateFile();
    } catch (const std::exception& error) {
        ShowErrorMessage(this, QStringLiteral("Brindletop could not save your options to "
                                              "%1: %2\nThe new options are used until "
                                              "Brindletop ends.")
                                   .arg(QDir::toNativeSeparators(FSettingsPath),
                                        ReasonOf(error, FSettingsPath)));
    }
}
