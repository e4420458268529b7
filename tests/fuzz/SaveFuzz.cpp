// Fuzz target: the series save as the game reads it once its checksum has matched, the
// match's text and the score sheet's record. The input is the save's body: the match's
// lines, then a line "[sheet]" and the record's lines.
//
// A text either is refused, leaving the match or record as it was, or it is taken; what is
// taken must be a state play could reach, must read back to itself when written again, and
// must play on to the end of its period under every level without fault.
#include "game/Match.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

[[noreturn]] void Fail(const char* What)
{
    std::fprintf(stderr, "save fuzz: %s\n", What);
    std::abort();
}

// The rest of the period, both sides choosing as the levels do (the player through the
// hint of its mirrored position). Bounded: a period is at most one pass through the pack.
void PlayOn(TMatch M)
{
    TTurn turn = M.Turn();
    int moves = 0;
    while (M.MarkPlayable(turn)) {
        if (++moves > 4 * CardCount)
            Fail("the period does not end");
        M.BeginTurn(turn);
        const int slot = turn == tuComputer ? M.ComputerChoice()
                                            : M.LevelChoiceFor(tuPlayer, M.Level());
        if (!M.Canplay(slot))
            Fail("a level chose a slot that is not playable");
        TSteps steps;
        if (M.Play(turn, slot, steps))
            turn = OtherSide(turn);
        if (!M.Consistent())
            Fail("play left an inconsistent match");
    }
    M.EndPeriod();
}

void CheckMatch(const std::string& Text)
{
    TMatch match;
    const TMatch before = match;
    std::string why;
    if (!TMatch::Restore(Text, match, &why)) {
        if (!(match == before))
            Fail("a refused match changed the target");
        if (why.empty())
            Fail("a refused match without a reason");
        return;
    }
    if (!match.Consistent())
        Fail("a restored match is not consistent");
    TMatch again;
    if (!TMatch::Restore(match.Saved(), again) || !(again == match))
        Fail("a restored match does not read back to itself");
    for (int level = 0; level < SkillLevelCount; ++level) {
        TMatch at = match;
        at.SetLevel(TSkillLevel(level));
        PlayOn(at);
    }
}

void CheckRecord(const std::string& Text)
{
    TSeriesRecord record;
    const TSeriesRecord before = record;
    if (!record.Restore(Text)) {
        if (!(record == before))
            Fail("a refused record changed the target");
        return;
    }
    const std::string saved = record.Saved();
    TSeriesRecord again;
    if (!again.Restore(saved) || !(again == record) || again.Saved() != saved)
        Fail("a restored record does not read back to itself");
    // What the sheet and the statistics read of it.
    for (int row = 0; row <= TSeriesRecord::MaxGames + 1; ++row)
        for (int column = 0; column <= TSeriesRecord::ResultColumns + 1; ++column)
            (void)record.Cell(row, column);
    for (int level = 0; level < SkillLevelCount; ++level)
        (void)record.Summary(TSkillLevel(level));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const std::string input(reinterpret_cast<const char*>(Data), Size);
    static const std::string SheetLine = "[sheet]\n";
    const size_t sheetAt = input.find(SheetLine);
    CheckMatch(input.substr(0, sheetAt));
    if (sheetAt != std::string::npos)
        CheckRecord(input.substr(sheetAt + SheetLine.size()));
    return 0;
}
