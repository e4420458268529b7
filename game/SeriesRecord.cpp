#include "game/SeriesRecord.h"

#include <algorithm>
#include <sstream>

#include "game/Match.h"

namespace {

constexpr const char* Placeholder = "x-x";
constexpr int MostPeriods = 255; // counting stops here rather than wrap round
constexpr int MostGoals = 999;

bool InRecord(int Row, int Column)
{
    return Row >= 1 && Row <= TSeriesRecord::MaxGames && Column >= 1 &&
           Column <= TSeriesRecord::ResultColumns;
}

// The goal list ends every line with a line break; the sheet keeps the lines only.
std::string WithoutTrailingBlanks(const std::string& Text)
{
    std::size_t end = Text.size();
    while (end > 0 && static_cast<unsigned char>(Text[end - 1]) <= 32)
        --end;
    return Text.substr(0, end);
}

// Names and goal lists are the player's text: percent-encoded, a value never breaks its
// line or takes the next field's place. Letters, digits and "-._~" stand as they are.
std::string Encoded(const std::string& Text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : Text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
            (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 15];
        }
    }
    return out;
}

int HexDigit(char C)
{
    if (C >= '0' && C <= '9')
        return C - '0';
    if (C >= 'a' && C <= 'f')
        return C - 'a' + 10;
    if (C >= 'A' && C <= 'F')
        return C - 'A' + 10;
    return -1;
}

std::string Decoded(const std::string& Text)
{
    std::string out;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const int high = i + 2 < Text.size() && Text[i] == '%' ? HexDigit(Text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(Text[i + 2]) : -1;
        if (low >= 0) {
            out += char(high * 16 + low);
            i += 2;
        } else {
            out += Text[i];
        }
    }
    return out;
}

// A cell's text in the record: "-" for an empty cell.
std::string EncodedCell(const std::string& Text)
{
    return Text.empty() ? "-" : Encoded(Text);
}

std::string DecodedCell(const std::string& Text)
{
    return Text == "-" ? std::string() : Decoded(Text);
}

std::vector<std::string> Words(const std::string& Line)
{
    std::vector<std::string> words;
    std::size_t start = 0;
    for (;;) {
        const std::size_t space = Line.find(' ', start);
        words.push_back(Line.substr(start, space - start));
        if (space == std::string::npos)
            return words;
        start = space + 1;
    }
}

// A whole number from 0 to Highest, written as digits alone.
bool Number(const std::string& Text, int Highest, int& Value)
{
    if (Text.empty() || Text.size() > 9 ||
        !std::all_of(Text.begin(), Text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    Value = std::stoi(Text);
    return Value <= Highest;
}

} // namespace

std::string OrdinalText(unsigned N)
{
    static const char* const words[] = {"first", "second", "third", "fourth", "fifth", "sixth"};
    return N >= 1 && N <= 6 ? words[N - 1] : "error";
}

void TSeriesRecord::NewSeries(TDealer Dealer, TGamesBestOf BestOf, const std::string& PlayerName)
{
    FGame = 1;
    FPeriod = 0;
    FAIWins = 0;
    FPlayerWins = 0;
    FPlayerName = PlayerName;
    FDealer = Dealer;
    FDPDealer = Dealer;
    FGamesBestOf = BestOf;
    FSeriesGames.clear();
    // The verdict of the last series is no caption for an empty sheet.
    FCaption = "Score";
    ClearPeriodResults();
    SetGamesDrawed();
}

void TSeriesRecord::SetGameGoals(int AIGoals, int PlayerGoals)
{
    FAIGoals = AIGoals;
    FPlayerGoals = PlayerGoals;
}

TSetPeriodResult TSeriesRecord::EnterPeriod(const std::string& PeriodResult,
                                            const std::string& Goals)
{
    FPeriod = std::min(FPeriod + 1, MostPeriods);

    if (FPeriod == 1)
        FCaption = "First intermission";
    else if (FPeriod == 2)
        FCaption = "Second intermission";
    else
        FCaption = "Over-time";

    if (FPeriod <= 3) {
        SetCell(FGame, 2 * FPeriod - 1, PeriodResult);
        SetCell(FGame, 2 * FPeriod, WithoutTrailingBlanks(Goals));
    }

    const bool inOvertime = FPeriod > 3;
    if (!GameOverAfterPeriod(FPeriod, FAIGoals, FPlayerGoals, !Goals.empty()))
        return spnewperiod;

    // The side that deals the game is named second, so its goals come last.
    std::string finalScore = FDealer == alComputer
                                 ? std::to_string(FPlayerGoals) + '-' + std::to_string(FAIGoals)
                                 : std::to_string(FAIGoals) + '-' + std::to_string(FPlayerGoals);
    if (inOvertime) {
        finalScore += " OT";
        SetCell(FGame, 8, WithoutTrailingBlanks(Goals));
    }
    SetCell(FGame, 7, finalScore);
    FSeriesGames.push_back({FAIGoals, FPlayerGoals, false, inOvertime});

    std::string winner;
    if (FAIGoals > FPlayerGoals) {
        ++FAIWins;
        winner = "Computer";
    } else {
        ++FPlayerWins;
        winner = FPlayerName;
    }
    SetGamesDrawed();

    TSetPeriodResult result;
    if (FGame == FGamesDrawed) {
        FCaption = "Play-off winner is " + winner + '!';
        result = spendofgame;
    } else {
        FDealer = FDealer == alComputer ? alPlayer : alComputer;
        FCaption = "End of " + OrdinalText(unsigned(FGame)) + " game.";
        result = spnewgame;
    }
    FPeriod = 0;
    ++FGame;
    return result;
}

void TSeriesRecord::ClearPeriodResults()
{
    for (auto& row : FPeriodResults)
        for (std::string& cell : row)
            cell.clear();
}

void TSeriesRecord::SetGamesDrawed()
{
    // The record has room for the longest series; never lay out rows it cannot hold.
    FGamesDrawed = std::min(GamesToPlay(FAIWins, FPlayerWins, FGamesBestOf), MaxGames);
    for (int row = 1; row <= FGamesDrawed; ++row) {
        if (Cell(row, 1).empty()) {
            for (int column : {1, 3, 5, 7})
                SetCell(row, column, Placeholder);
        }
    }
}

const std::string& TSeriesRecord::Cell(int Row, int Column) const
{
    static const std::string none;
    return InRecord(Row, Column) ? FPeriodResults[Row - 1][Column - 1] : none;
}

void TSeriesRecord::SetCell(int Row, int Column, const std::string& Text)
{
    if (InRecord(Row, Column))
        FPeriodResults[Row - 1][Column - 1] = Text;
}

TSeriesSummary TSeriesRecord::Summary(TSkillLevel Level) const
{
    return {Level, FSeriesGames, FPlayerWins > FAIWins};
}

bool TSeriesRecord::Decided() const
{
    return std::max(FAIWins, FPlayerWins) >= int(FGamesBestOf) + 1;
}

std::string TSeriesRecord::Saved() const
{
    std::ostringstream out;
    out << "name " << Encoded(FPlayerName) << '\n';
    out << "title " << Encoded(FCaption) << '\n';
    out << "numbers " << int(FDealer) << ' ' << int(FDPDealer) << ' ' << int(FGamesBestOf) << ' '
        << FAIGoals << ' ' << FPlayerGoals << ' ' << FAIWins << ' ' << FPlayerWins << ' ' << FGame
        << ' ' << FPeriod << '\n';
    out << "ended " << FSeriesGames.size();
    for (const TGameResult& game : FSeriesGames)
        out << ' ' << game.ComputerGoals << ' ' << game.PlayerGoals << ' ' << int(game.Drawn) << ' '
            << int(game.DecidedInOvertime);
    out << '\n';
    for (int row = 1; row <= MaxGames; ++row) {
        out << "game" << row;
        for (int column = 1; column <= ResultColumns; ++column)
            out << ' ' << EncodedCell(Cell(row, column));
        out << '\n';
    }
    return out.str();
}

bool TSeriesRecord::Restore(const std::string& Text)
{
    std::vector<std::string> lines;
    {
        std::size_t start = 0;
        while (start < Text.size()) {
            std::size_t end = Text.find('\n', start);
            if (end == std::string::npos)
                end = Text.size();
            if (end > start)
                lines.push_back(Text.substr(start, end - start));
            start = end + 1;
        }
    }
    if (lines.size() != 4 + MaxGames)
        return false;
    // The words after Key on line Line, when there are exactly Count of them.
    const auto fields = [&](int Line, const std::string& Key, std::size_t Count) {
        std::vector<std::string> words = Words(lines[Line]);
        if (words.size() != Count + 1 || words.front() != Key)
            return std::vector<std::string>();
        words.erase(words.begin());
        return words;
    };
    const std::vector<std::string> name = fields(0, "name", 1);
    const std::vector<std::string> title = fields(1, "title", 1);
    const std::vector<std::string> numbers = fields(2, "numbers", 9);
    if (name.empty() || title.empty() || numbers.empty())
        return false;
    int n[9];
    // Dealers 0-1, best of 0-3, goals, wins, the game and the period within their ranges.
    const int highest[9] = {
        1, 1, 3, MostGoals, MostGoals, MaxGames, MaxGames, MaxGames + 1, MostPeriods};
    for (int i = 0; i < 9; ++i)
        if (!Number(numbers[i], highest[i], n[i]))
            return false;

    // The games that have ended, four figures each.
    std::vector<TGameResult> ended;
    {
        std::vector<std::string> words = Words(lines[3]);
        int count = 0;
        if (words.size() < 2 || words[0] != "ended" || !Number(words[1], MaxGames, count) ||
            words.size() != 2 + 4 * std::size_t(count))
            return false;
        for (int g = 0; g < count; ++g) {
            int v[4];
            for (int i = 0; i < 4; ++i)
                if (!Number(words[2 + 4 * g + i], i < 2 ? MostGoals : 1, v[i]))
                    return false;
            ended.push_back({v[0], v[1], v[2] != 0, v[3] != 0});
        }
    }
    decltype(FPeriodResults) cells;
    for (int row = 1; row <= MaxGames; ++row) {
        const std::vector<std::string> parts =
            fields(3 + row, "game" + std::to_string(row), ResultColumns);
        if (parts.empty())
            return false;
        for (int column = 1; column <= ResultColumns; ++column) {
            // An empty cell is written "-": a field of nothing is a line cut short.
            if (parts[column - 1].empty())
                return false;
            cells[row - 1][column - 1] = DecodedCell(parts[column - 1]);
        }
    }

    // A name or caption is never taken for an empty cell.
    FPlayerName = Decoded(name[0]);
    FCaption = Decoded(title[0]);
    FDealer = TDealer(n[0]);
    FDPDealer = TDealer(n[1]);
    FGamesBestOf = TGamesBestOf(n[2]);
    FAIGoals = n[3];
    FPlayerGoals = n[4];
    FAIWins = n[5];
    FPlayerWins = n[6];
    FGame = n[7];
    FPeriod = n[8];
    FSeriesGames = std::move(ended);
    FPeriodResults = cells;
    SetGamesDrawed();
    return true;
}
