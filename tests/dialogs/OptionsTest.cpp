// The options dialog as a window: its controls, their order, the keyboard, and the five
// properties the game reads from it.
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

#include "ModalAnswerer.h"
#include "OptionsProbe.h"

namespace {

using Probe = TOptionsDialogProbe;

// A dialog on a settings file that does not exist yet: the options' defaults.
class OptionsDialogTest : public ::testing::Test
{
protected:
    QTemporaryDir Folder;
    TOptionsDialog Dialog{nullptr, Folder.filePath(QStringLiteral("brindletop.ini"))};
};

struct ControlCase
{
    const char* Name;
    std::function<QWidget*(TOptionsDialog&)> Control;
    QRect Geometry;
    QString Caption;
    QStringList Items;
};

TEST_F(OptionsDialogTest, ControlsSitWhereDesignedWithTheirCaptions)
{
    EXPECT_EQ(Dialog.windowTitle(), QStringLiteral("Options"));
    EXPECT_EQ(Dialog.minimumSize(), QSize(249, 287));
    EXPECT_EQ(Dialog.maximumSize(), QSize(249, 287));
    EXPECT_FALSE(Dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(Dialog.windowFlags() & Qt::WindowMinimizeButtonHint);

    const ControlCase controls[] = {
        {"BestOf",
         Probe::GamesBestOf,
         {7, 106, 114, 108},
         " Best of ",
         {"1 Game", "3 Games", "5 Games", "7 Games"}},
        {"Dealer", Probe::Dealer, {7, 39, 114, 64}, " Dealer ", {"Computer", "Player"}},
        {"SkillLevel",
         Probe::SkillLevel,
         {128, 39, 113, 108},
         " Skill Level ",
         {"Rookie", "Pro", "All-Star", "Legend"}},
        {"Name", Probe::Name, {128, 6, 113, 21}, "Player", {}},
        {"AnimSpeed",
         Probe::AnimSpeed,
         {128, 149, 113, 86},
         " Anim Speed ",
         {"Fast", "Medium", "Low"}},
        {"Ok", Probe::Ok, {85, 247, 75, 25}, "&OK", {}},
        {"Cancel", Probe::Cancel, {165, 247, 75, 25}, "&Cancel", {}},
    };
    for (const ControlCase& c : controls) {
        SCOPED_TRACE(c.Name);
        QWidget* control = c.Control(Dialog);
        EXPECT_EQ(control->geometry(), c.Geometry);
        if (auto* group = qobject_cast<TRadioGroup*>(control)) {
            EXPECT_EQ(group->title(), c.Caption);
            ASSERT_EQ(group->Count(), c.Items.size());
            for (int i = 0; i < group->Count(); ++i) {
                const QRect item = group->Button(i)->geometry();
                EXPECT_EQ(group->Button(i)->text(), c.Items[i]);
                EXPECT_TRUE(group->rect().contains(item)) << "item " << i;
                if (i > 0) {
                    EXPECT_GE(item.top(), group->Button(i - 1)->geometry().bottom());
                }
            }
        } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            EXPECT_EQ(edit->text(), c.Caption);
        } else {
            EXPECT_EQ(qobject_cast<QPushButton*>(control)->text(), c.Caption);
        }
    }
    EXPECT_EQ(Probe::NameLabel(Dialog)->pos(), QPoint(10, 10));
    EXPECT_EQ(Probe::NameLabel(Dialog)->text(), QStringLiteral("Player Name "));
    EXPECT_TRUE(Probe::Ok(Dialog)->isDefault());
}

// Each item index stands for the enumeration value of the same ordinal, read afresh.
TEST_F(OptionsDialogTest, PropertiesFollowTheSelectedItems)
{
    for (int i = 0; i < 2; ++i) {
        Probe::Dealer(Dialog)->Button(i)->click();
        EXPECT_EQ(Dialog.Dealer(), TDealer(i));
    }
    EXPECT_EQ(Dialog.Dealer(), alPlayer);
    for (int i = 0; i < SkillLevelCount; ++i) {
        Probe::SkillLevel(Dialog)->Button(i)->click();
        EXPECT_EQ(Dialog.SkillLevel(), TSkillLevel(i));
    }
    EXPECT_EQ(Dialog.SkillLevel(), slLegend);
    for (int i = 0; i < 4; ++i) {
        Probe::GamesBestOf(Dialog)->Button(i)->click();
        EXPECT_EQ(Dialog.GamesBestOf(), TGamesBestOf(i));
    }
    EXPECT_EQ(Dialog.GamesBestOf(), boSeven);
    for (int i = 0; i < 3; ++i) {
        Probe::AnimSpeed(Dialog)->Button(i)->click();
        EXPECT_EQ(Dialog.AnimSpeed(), TAnimSpeed(i));
    }
    EXPECT_EQ(Dialog.AnimSpeed(), asLow);
    Probe::Name(Dialog)->setText(QStringLiteral("Zoe"));
    EXPECT_EQ(Dialog.PlayerName(), QStringLiteral("Zoe"));
}

// A group left without a selection still gives a valid option: the key's default.
TEST_F(OptionsDialogTest, AGroupWithoutSelectionReadsAsItsDefault)
{
    Probe::Dealer(Dialog)->SetItemIndex(1);
    Probe::SkillLevel(Dialog)->SetItemIndex(2);
    Probe::GamesBestOf(Dialog)->SetItemIndex(3);
    Probe::AnimSpeed(Dialog)->SetItemIndex(2);
    for (TRadioGroup* group : {Probe::Dealer(Dialog), Probe::SkillLevel(Dialog),
                               Probe::GamesBestOf(Dialog), Probe::AnimSpeed(Dialog)}) {
        group->SetItemIndex(-1);
        EXPECT_EQ(group->ItemIndex(), -1);
    }
    EXPECT_EQ(Dialog.Dealer(), alComputer);
    EXPECT_EQ(Dialog.SkillLevel(), slRookie);
    EXPECT_EQ(Dialog.GamesBestOf(), boOne);
    EXPECT_EQ(Dialog.AnimSpeed(), asMedium);
}

TEST_F(OptionsDialogTest, TypingStopsAtTenCharacters)
{
    QLineEdit* name = Probe::Name(Dialog);
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("Alexandrina Bee"));
    EXPECT_EQ(name->text(), QStringLiteral("Alexandrin"));
    QTest::keyClick(name, Qt::Key_Backspace);
    QTest::keyClicks(name, QStringLiteral("XY"));
    EXPECT_EQ(name->text(), QStringLiteral("AlexandriX"));
}

struct PasteCase
{
    const char* Name;
    QString Before;
    int SelectFrom, SelectLength; // the selection the paste replaces (length 0: the cursor)
    QString Pasted;
    QString After;
    int Cursor;
};

void PrintTo(const PasteCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class OptionsPaste : public ::testing::TestWithParam<PasteCase>
{
};

// A paste is cut to what fits, as typing is; only a paste of which nothing fits changes
// nothing.
TEST_P(OptionsPaste, KeepsAsMuchOfThePastedTextAsFits)
{
    const PasteCase& c = GetParam();
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("brindletop.ini")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Options]\r\nPlayerName=" + c.Before.toUtf8() + "\r\n");
    file.close();
    TOptionsDialog dialog(nullptr, file.fileName());
    QLineEdit* name = Probe::Name(dialog);
    ASSERT_EQ(name->text(), c.Before);
    name->setSelection(c.SelectFrom, c.SelectLength);
    QApplication::clipboard()->setText(c.Pasted);
    name->paste();
    EXPECT_EQ(name->text(), c.After);
    EXPECT_EQ(name->cursorPosition(), c.Cursor);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionsPaste,
    ::testing::Values(PasteCase{"IntoAnEmptyField", "", 0, 0, "Alexandrina Bee", "Alexandrin", 10},
                      PasteCase{"AtTheEnd", "Al", 2, 0, "exandrina Bee", "Alexandrin", 10},
                      PasteCase{"BeforeTheText", "Bee", 0, 0, "Alexandrina ", "AlexandBee", 7},
                      PasteCase{"OverTheWholeText", "Alexandrin", 0, 10, "Maximilianus",
                                "Maximilian", 10},
                      PasteCase{"IntoAFullField", "Alexandrin", 10, 0, "Z", "Alexandrin", 10},
                      PasteCase{"ThatFits", "Al", 2, 0, "ex", "Alex", 4},
                      // A longer stored name may keep its length, never grow.
                      PasteCase{"OverPartOfALongerStoredName", "Maximilianus", 10, 2,
                                "ian the Great", "Maximiliania", 12},
                      // A character of two UTF-16 units is never split.
                      PasteCase{"HalfACharacterDoesNotFit", "Alexandri", 9, 0,
                                QString::fromUtf8("\xf0\x9f\x98\x80"), "Alexandri", 9}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(OptionsDialogLongName, AStoredLongerNameIsKeptButCannotGrow)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("brindletop.ini"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Options]\r\nPlayerName=Maximilianus\r\n");
    file.close();

    TOptionsDialog dialog(nullptr, path);
    QLineEdit* name = Probe::Name(dialog);
    EXPECT_EQ(dialog.PlayerName(), QStringLiteral("Maximilianus"));
    name->end(false);
    QTest::keyClicks(name, QStringLiteral("Z"));
    EXPECT_EQ(name->text(), QStringLiteral("Maximilianus"));
    QTest::keyClick(name, Qt::Key_Backspace);
    EXPECT_EQ(name->text(), QStringLiteral("Maximilianu"));
    QTest::keyClicks(name, QStringLiteral("s"));
    EXPECT_EQ(name->text(), QStringLiteral("Maximilianu"));
    QTest::keyClick(name, Qt::Key_Backspace);
    QTest::keyClicks(name, QStringLiteral("nX"));
    EXPECT_EQ(name->text(), QStringLiteral("Maximilian"));
}

// Every opening puts the focus on the name, its text selected, and shows where the focus
// is; Tab then reads the dialog row by row and enters each group at its ticked button (at
// the first while none is ticked), so Space never changes an option by surprise.
TEST_F(OptionsDialogTest, FocusOpensOnTheNameAndTabFollowsTheLayout)
{
    Probe::GamesBestOf(Dialog)->SetItemIndex(1); // 3 Games
    Probe::SkillLevel(Dialog)->SetItemIndex(2);  // All-Star
    Probe::Dealer(Dialog)->SetItemIndex(-1);
    TRadioGroup* speed = Probe::AnimSpeed(Dialog);
    const QList<QWidget*> order = {
        Probe::Name(Dialog),
        Probe::Dealer(Dialog)->Button(0),
        Probe::SkillLevel(Dialog)->Button(2),
        Probe::GamesBestOf(Dialog)->Button(1),
        speed->Button(speed->ItemIndex()),
        Probe::Ok(Dialog),
        Probe::Cancel(Dialog),
    };
    // Whether the style is told to draw the focus of the control that has it.
    const auto focusDrawn = [] {
        QStyleOption option;
        option.initFrom(QApplication::focusWidget());
        return (option.state & QStyle::State_HasFocus) &&
               (option.state & QStyle::State_KeyboardFocusChange);
    };
    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE(opening);
        QList<QWidget*> visited;
        QString selected;
        QList<bool> drawn;
        ModalAnswerer answer([&](QWidget* modal) {
            selected = Probe::Name(Dialog)->selectedText();
            visited << QApplication::focusWidget();
            drawn << focusDrawn();
            for (int i = 0; i < order.size(); ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                visited << QApplication::focusWidget();
                drawn << focusDrawn();
            }
            // Moved there by the mouse, the focus is still shown.
            QTest::mouseClick(speed->Button(0), Qt::LeftButton);
            visited << QApplication::focusWidget();
            drawn << focusDrawn();
            qobject_cast<QDialog*>(modal)->reject();
        });
        Dialog.exec();
        ASSERT_EQ(answer.Count(), 1);
        EXPECT_EQ(selected, Probe::Name(Dialog)->text());
        const QList<QWidget*> expected = order + QList<QWidget*>{order.first(), speed->Button(0)};
        EXPECT_EQ(visited, expected);
        EXPECT_EQ(drawn, QList<bool>(order.size() + 2, true));
    }
}

// A screen reader names every control as the dialog shows it: the name field by its label.
TEST_F(OptionsDialogTest, EveryControlHasTheNameItShows)
{
    const std::pair<QWidget*, const char*> controls[] = {
        {Probe::GamesBestOf(Dialog), "Best of"}, {Probe::Dealer(Dialog), "Dealer"},
        {Probe::SkillLevel(Dialog), "Skill Level"}, {Probe::Name(Dialog), "Player Name"},
        {Probe::AnimSpeed(Dialog), "Anim Speed"},   {Probe::Ok(Dialog), "OK"},
        {Probe::Cancel(Dialog), "Cancel"}};
    for (const auto& [control, name] : controls) {
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(read, nullptr) << name;
        EXPECT_EQ(read->text(QAccessible::Name).trimmed().toStdString(), name);
    }
}

struct KeyCase
{
    const char* Name;
    Qt::Key Key;
    Qt::KeyboardModifiers Modifiers;
    int Result;
};

class OptionsKeys : public ::testing::TestWithParam<KeyCase>
{
};

TEST_P(OptionsKeys, CloseTheDialogAsTheirButton)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("brindletop.ini"));
    TOptionsDialog dialog(nullptr, path);
    ModalAnswerer answer(
        [](QWidget* modal) { QTest::keyClick(modal, GetParam().Key, GetParam().Modifiers); });
    EXPECT_EQ(dialog.exec(), GetParam().Result);
    EXPECT_EQ(answer.Count(), 1);
    // Only a confirmed dialog writes the settings file.
    EXPECT_EQ(QFile::exists(path), GetParam().Result == QDialog::Accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Keyboard, OptionsKeys,
    ::testing::Values(KeyCase{"AltO", Qt::Key_O, Qt::AltModifier, QDialog::Accepted},
                      KeyCase{"Enter", Qt::Key_Return, Qt::NoModifier, QDialog::Accepted},
                      KeyCase{"AltC", Qt::Key_C, Qt::AltModifier, QDialog::Rejected},
                      KeyCase{"Escape", Qt::Key_Escape, Qt::NoModifier, QDialog::Rejected}),
    [](const auto& info) { return std::string(info.param.Name); });

struct DismissCase
{
    const char* Name;
    std::function<void(QDialog&)> Dismiss;
};

void PrintTo(const DismissCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

class OptionsDismissed : public ::testing::TestWithParam<DismissCase>
{
};

// Cancel takes back every edit of this opening, and only of this one: what an earlier OK
// confirmed stays.
TEST_P(OptionsDismissed, RestoresWhatTheControlsShowedWhenTheDialogOpened)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("brindletop.ini"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Options]\r\nPlayerName=Maximilianus\r\nDealer=1\r\nSkillLevel=2\r\n"
               "BestOf=3\r\nAnimSpeed=0\r\n");
    file.close();
    TOptionsDialog dialog(nullptr, path);

    // Every control changed, then the dialog dismissed.
    auto editAllAndDismiss = [&] {
        ModalAnswerer answer([&](QWidget*) {
            Probe::Name(dialog)->setText(QStringLiteral("Kim"));
            Probe::Dealer(dialog)->Button(0)->click();
            Probe::SkillLevel(dialog)->Button(0)->click();
            Probe::GamesBestOf(dialog)->Button(1)->click();
            Probe::AnimSpeed(dialog)->Button(2)->click();
            GetParam().Dismiss(dialog);
        });
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    };
    editAllAndDismiss();
    // The stored name is longer than typing allows, and still comes back whole.
    EXPECT_EQ(dialog.PlayerName(), QStringLiteral("Maximilianus"));
    EXPECT_EQ(dialog.Dealer(), alPlayer);
    EXPECT_EQ(dialog.SkillLevel(), slAllStar);
    EXPECT_EQ(dialog.GamesBestOf(), boSeven);
    EXPECT_EQ(dialog.AnimSpeed(), asFast);

    {
        ModalAnswerer answer([&](QWidget*) {
            Probe::SkillLevel(dialog)->Button(1)->click();
            Probe::Ok(dialog)->click();
        });
        EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    }
    editAllAndDismiss();
    EXPECT_EQ(dialog.PlayerName(), QStringLiteral("Maximilianus"));
    EXPECT_EQ(dialog.Dealer(), alPlayer);
    EXPECT_EQ(dialog.SkillLevel(), slPro);
    EXPECT_EQ(dialog.GamesBestOf(), boSeven);
    EXPECT_EQ(dialog.AnimSpeed(), asFast);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, OptionsDismissed,
    ::testing::Values(
        DismissCase{"CancelButton",
                    [](QDialog& d) { Probe::Cancel(static_cast<TOptionsDialog&>(d))->click(); }},
        DismissCase{"CloseBox", [](QDialog& d) { d.close(); }},
        DismissCase{"Escape", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }}),
    [](const auto& info) { return std::string(info.param.Name); });

// --- the radio group on its own ---

TEST(RadioGroup, SelectionIsClampedAboveAndClearedBelow)
{
    TRadioGroup group(QStringLiteral(" Pick "), {"a", "b", "c"});
    QSignalSpy changed(&group, &TRadioGroup::ItemIndexChanged);
    EXPECT_EQ(group.ItemIndex(), -1);
    const struct
    {
        int Set, Expected;
    } cases[] = {{1, 1}, {2, 2}, {3, 2}, {99, 2}, {0, 0}, {-1, -1}, {-1, -1}, {0, 0}, {-7, -1}};
    for (const auto& c : cases) {
        group.SetItemIndex(c.Set);
        EXPECT_EQ(group.ItemIndex(), c.Expected) << "after SetItemIndex(" << c.Set << ")";
        for (int i = 0; i < group.Count(); ++i)
            EXPECT_EQ(group.Button(i)->isChecked(), i == c.Expected);
    }
    // One signal per actual change of the selection.
    const QList<int> expected = {1, 2, 0, -1, 0, -1};
    ASSERT_EQ(changed.size(), expected.size());
    for (int i = 0; i < changed.size(); ++i)
        EXPECT_EQ(changed[i][0].toInt(), expected[i]);
}

} // namespace
