// The INI document: loading rules, look-ups and their remembered positions, write rules,
// the file format and the failures of reading and writing.
#include "IniTestSupport.h"
#include "NoFileOverride.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <climits>
#include <csignal>
#include <functional>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Options = QStringLiteral("Options");

// ---------------------------------------------------------------------------------------
// ReadInteger

struct IntegerCase
{
    const char* text;
    int expected;
};

constexpr int Default = 77;

class ReadIntegerTest : public ::testing::TestWithParam<IntegerCase>
{
};

TEST_P(ReadIntegerTest, ConvertsStoredText)
{
    TIniDocument doc;
    doc.SetStrings(
        {QStringLiteral("[S]"), QStringLiteral("k=") + QString::fromUtf8(GetParam().text)});
    EXPECT_EQ(doc.ReadInteger(QStringLiteral("S"), QStringLiteral("k"), Default),
              GetParam().expected)
        << "text: \"" << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ReadIntegerTest,
    ::testing::Values(
        // decimal
        IntegerCase{"26", 26}, IntegerCase{"+26", 26}, IntegerCase{" 26", 26},
        IntegerCase{"   -26", -26}, IntegerCase{"0", 0}, IntegerCase{"-0", 0},
        IntegerCase{"000000000000026", 26}, IntegerCase{"2147483647", INT_MAX},
        IntegerCase{"-2147483648", INT_MIN},
        // hexadecimal, every prefix, either case
        IntegerCase{"$1a", 26}, IntegerCase{"0x1A", 26}, IntegerCase{"0X1a", 26},
        IntegerCase{"x1A", 26}, IntegerCase{"X1a", 26}, IntegerCase{"-0x10", -16},
        IntegerCase{"+$10", 16}, IntegerCase{" 0x1A", 26}, IntegerCase{"$0000000A", 10},
        // eight digits are the 32 bits as they stand
        IntegerCase{"$FFFFFFFF", -1}, IntegerCase{"0xffffffff", -1},
        IntegerCase{"$80000000", INT_MIN}, IntegerCase{"-$80000000", INT_MIN},
        IntegerCase{"-$FFFFFFFF", 1}, IntegerCase{"$7FFFFFFF", INT_MAX},
        // the default
        IntegerCase{"", Default}, IntegerCase{" ", Default}, IntegerCase{"26 ", Default},
        IntegerCase{"1e3", Default}, IntegerCase{"2147483648", Default},
        IntegerCase{"-2147483649", Default}, IntegerCase{"99999999999999999999", Default},
        IntegerCase{"$123456789", Default}, IntegerCase{"0x000000001", Default},
        IntegerCase{"$", Default}, IntegerCase{"0x", Default}, IntegerCase{"+", Default},
        IntegerCase{"-", Default}, IntegerCase{"+-1", Default}, IntegerCase{"\t26", Default},
        IntegerCase{"0x0x5", Default}, IntegerCase{"$-1", Default}, IntegerCase{"0x 1A", Default},
        IntegerCase{"$1G", Default}, IntegerCase{"12abc", Default},
        IntegerCase{"\xef\xbc\x91\xef\xbc\x92", Default}, // full-width digits
        IntegerCase{"26\xc2\xa0", Default}));

TEST(ReadInteger, MissingKeyOrSectionGivesTheDefault)
{
    TIniDocument doc;
    doc.SetStrings({QStringLiteral("[S]"), QStringLiteral("k=5")});
    EXPECT_EQ(doc.ReadInteger(QStringLiteral("S"), QStringLiteral("other"), -3), -3);
    EXPECT_EQ(doc.ReadInteger(QStringLiteral("T"), QStringLiteral("k"), -3), -3);
}

TEST(ReadInteger, WriteIntegerReadsBack)
{
    TIniDocument doc;
    for (const int value : {0, 1, -1, 26, INT_MAX, INT_MIN}) {
        doc.WriteInteger(Options, QStringLiteral("v"), value);
        EXPECT_EQ(doc.ReadString(Options, QStringLiteral("v"), QString()), QString::number(value));
        EXPECT_EQ(doc.ReadInteger(Options, QStringLiteral("v"), 12345), value);
    }
}

// ---------------------------------------------------------------------------------------
// Loading lines: each flag on its own

enum Flag
{
    NoFlag,
    DropComments,
    FilterInvalid,
    DropWhiteSpace,
    DropApostrophes,
    TrimRight
};

struct LoadCase
{
    const char* name;
    Flag flag;
    QStringList input;
    QStringList expected; // GetStrings of the loaded document
};

void SetFlag(TIniDocument& doc, Flag flag)
{
    switch (flag) {
    case NoFlag:
        break;
    case DropComments:
        doc.SetFlagDropCommentLines(true);
        break;
    case FilterInvalid:
        doc.SetFlagFilterOutInvalid(true);
        break;
    case DropWhiteSpace:
        doc.SetFlagDropWhiteSpace(true);
        break;
    case DropApostrophes:
        doc.SetFlagDropApostrophes(true);
        break;
    case TrimRight:
        doc.SetFlagTrimRight(true);
        break;
    }
}

void PrintTo(const LoadCase& c, std::ostream* os)
{
    *os << c.name;
}

class LoadLineTest : public ::testing::TestWithParam<LoadCase>
{
};

TEST_P(LoadLineTest, AppliesTheRules)
{
    TIniDocument doc;
    SetFlag(doc, GetParam().flag);
    doc.SetStrings(GetParam().input);
    QStringList result;
    doc.GetStrings(result);
    EXPECT_EQ(result, GetParam().expected);
    EXPECT_FALSE(doc.HasChanged());
}

QStringList L(std::initializer_list<const char*> lines)
{
    QStringList list;
    for (const char* line : lines)
        list.append(QString::fromUtf8(line));
    return list;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, LoadLineTest,
    ::testing::Values(
        LoadCase{"AllOffKeepsEveryLineAfterTheFirstHeader", NoFlag,
                 L({"before=1", "; before", "[S]", "; comment", "no equals", "PlayerName = Bob",
                    "q=\"quoted\"", "", "trail=1  ", "[T] ", "=lead"}),
                 L({"[S]", "; comment", "no equals", "PlayerName = Bob", "q=\"quoted\"",
                    "trail=1  ", "[T] ", "=lead", ""})},
        LoadCase{
            "HeaderNamesAreTakenAsTheyStand", NoFlag,
            L({"[ Spaced ]", "a=1", "[]", "b=2", "[a]b]", "c=3", "[[x]", "d=4"}),
            L({"[ Spaced ]", "a=1", "", "[]", "b=2", "", "[a]b]", "c=3", "", "[[x]", "d=4", ""})},
        LoadCase{"SingleBracketIsNoHeader", NoFlag, L({"[S]", "[", "]"}), L({"[S]", "[", "]", ""})},
        LoadCase{"DropCommentLines", DropComments, L({"[S]", ";c=1", "a=1", " ;kept", ";"}),
                 L({"[S]", "a=1", " ;kept", ""})},
        LoadCase{"CommentHeaderIsDroppedToo", DropComments, L({";[S]", "a=1", "[T]", "b=1"}),
                 L({"[T]", "b=1", ""})},
        LoadCase{"FilterOutInvalid", FilterInvalid, L({"[S]", "no equals", "a=1", "=", "; c"}),
                 L({"[S]", "a=1", "=", ""})},
        LoadCase{"DropWhiteSpace", DropWhiteSpace,
                 L({"[S]", "a \t = \t1", "b=  2 ", "c =", " = x", "=  y", "d==  e", "none  x"}),
                 L({"[S]", "a=1", "b=2 ", "c=", "= x", "=  y", "d==  e", "none  x", ""})},
        LoadCase{"DropApostrophes", DropApostrophes,
                 L({"[S]", "a=\"x\"", "b='y'", "c=\"z'", "d=\"\"", "e=\"", "f='a'b'", "=\"q\"",
                    "g=x\"y\"", "h=\"'x'\""}),
                 L({"[S]", "a=x", "b=y", "c=\"z'", "d=", "e=\"", "f=a'b", "=\"q\"", "g=x\"y\"",
                    "h='x'", ""})},
        LoadCase{"TrimRight", TrimRight, L({"[S]", "a=1 \t", "   ", "b=2\x01", "[T] ", "c=3"}),
                 L({"[S]", "a=1", "", "b=2", "[T]", "c=3", ""})}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST(LoadLine, TrimmedBlankLineIsDroppedByTheFilter)
{
    TIniDocument doc;
    doc.SetFlagTrimRight(true);
    doc.SetFlagFilterOutInvalid(true);
    doc.SetStrings(L({"[S]", "   ", "a=1 "}));
    EXPECT_EQ(Contents(doc), L({"[S]", "a=1", ""}));
}

TEST(LoadLine, FlagsSetAfterALoadAffectOnlyLaterLoads)
{
    TIniDocument doc;
    doc.SetStrings(L({"[S]", "a = 1"}));
    doc.SetFlagDropWhiteSpace(true);
    doc.SetStrings(L({"[T]", "b = 2"}));
    EXPECT_EQ(Contents(doc), L({"[S]", "a = 1", "", "[T]", "b=2", ""}));
}

// ---------------------------------------------------------------------------------------
// The file format on reading

class FileFormatTest : public IniFileTest
{
};

struct ReadCase
{
    const char* name;
    QByteArray bytes;
    QStringList expected;
};

void PrintTo(const ReadCase& c, std::ostream* os)
{
    *os << c.name;
}

class ReadFormatTest : public IniFileTest, public ::testing::WithParamInterface<ReadCase>
{
};

TEST_P(ReadFormatTest, SplitsLines)
{
    WriteBytes(Path(), GetParam().bytes);
    TIniDocument doc(Path());
    EXPECT_EQ(Contents(doc), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, ReadFormatTest,
    ::testing::Values(
        ReadCase{"Lf", QByteArray("[S]\na=1\nb=2\n"), L({"[S]", "a=1", "b=2", ""})},
        ReadCase{"CrLf", QByteArray("[S]\r\na=1\r\nb=2\r\n"), L({"[S]", "a=1", "b=2", ""})},
        ReadCase{"LoneCrIsDropped", QByteArray("[S]\na=\r1\nb\r=2\r\r\n"),
                 L({"[S]", "a=1", "b=2", ""})},
        // A CR between two bytes goes before they are read: together they are the text
        // they spell, as they are when the file is written back without the CR.
        ReadCase{"LoneCrInsideACharacter", QByteArray("[S]\na=\xd8\r\xb0\n"),
                 QStringList{QStringLiteral("[S]"), QStringLiteral("a=\u0630"), QString()}},
        ReadCase{"CtrlZEndsTheText", QByteArray("[S]\na=1\x1a\nb=2\n"), L({"[S]", "a=1", ""})},
        ReadCase{"NoLineEndAtTheEnd", QByteArray("[S]\na=1\nb=tail"),
                 L({"[S]", "a=1", "b=tail", ""})},
        ReadCase{"ByteOrderMarkIsText", QByteArray("\xef\xbb\xbf[S]\na=1\n[T]\nb=1\n"),
                 L({"[T]", "b=1", ""})},
        ReadCase{"NulBytesStay", QByteArray("[S]\na=\0b\n", 9),
                 QStringList{QStringLiteral("[S]"), QString::fromUtf8("a=\0b", 4), QString()}},
        // Bytes that are no UTF-8 each read as the escape U+DC00 + byte, which writes
        // back as that byte; the valid text around them reads as what it encodes.
        ReadCase{"InvalidBytesKeptAsEscapes", QByteArray("[S]\na=\xff\xfe\n"),
                 QStringList{QStringLiteral("[S]"), QStringLiteral("a=\xdcff\xdcfe"), QString()}},
        ReadCase{"TruncatedSequenceAtTheEndKept", QByteArray("[S]\nk=caf\xc3"),
                 QStringList{QStringLiteral("[S]"), QStringLiteral("k=caf\xdcc3"), QString()}},
        ReadCase{"ValidTextBesideAForeignByte", QByteArray("[S]\na=Jos\xc3\xa9\nb=caf\xe9\n"),
                 QStringList{QStringLiteral("[S]"), QStringLiteral("a=Jos\u00e9"),
                             QStringLiteral("b=caf\xdce9"), QString()}},
        ReadCase{
            "CutSequenceBeforeValidText", QByteArray("[S]\na=\xe2\x82\xc3\xa9\n"),
            QStringList{QStringLiteral("[S]"), QStringLiteral("a=\xdce2\xdc82\u00e9"), QString()}},
        ReadCase{"OverlongAndSurrogateFormsAreNoText",
                 QByteArray("[S]\na=\xc0\xaf\nb=\xed\xa0\x80\nc=\xf4\x90\x80\x80\n"),
                 QStringList{QStringLiteral("[S]"), QStringLiteral("a=\xdcc0\xdcaf"),
                             QStringLiteral("b=\xdced\xdca0\xdc80"),
                             QStringLiteral("c=\xdcf4\xdc90\xdc80\xdc80"), QString()}},
        ReadCase{"FourByteCharacter", QByteArray("[S]\na=\xf0\x9f\x83\x8f\n"),
                 QStringList{QStringLiteral("[S]"), QStringLiteral("a=\U0001F0CF"), QString()}},
        ReadCase{"Utf8Text", QByteArray("[Spieler]\nName=J\xc3\xbcrgen\n"),
                 QStringList{QStringLiteral("[Spieler]"), QStringLiteral("Name=J\u00fcrgen"),
                             QString()}},
        ReadCase{"EmptyFile", QByteArray(), QStringList()}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST_F(FileFormatTest, LoneCrJoinsAHeaderToTheNextLine)
{
    // "[S]\ra=1" reads as one line "[S]a=1", which is no header: nothing is loaded.
    WriteBytes(Path(), QByteArray("[S]\ra=1\n"));
    TIniDocument doc(Path());
    EXPECT_EQ(doc.Sections().Count(), 0);
}

TEST_F(FileFormatTest, FixtureSurvivesARoundTripByteForByte)
{
    const QByteArray fixture = "; written by hand\r\n"
                               "orphan=1\r\n"
                               "[Options]\r\n"
                               "; the player's name\r\n"
                               "PlayerName = Bob\r\n"
                               "PlayerName=Ann\r\n"
                               "\r\n"
                               "no equals sign here\r\n"
                               "Quoted=\"a b\"\r\n"
                               "=empty key\r\n"
                               "[Display]\n"
                               "Width=344\n"
                               "[options]\r\n"
                               "Dealer=1\r\n"
                               "[Empty]\r\n"
                               "[Last]\r\n"
                               "x=\xc3\xa9\r\n"
                               "y=1"; // no line end
    const QByteArray expected = "[Options]\r\n"
                                "; the player's name\r\n"
                                "PlayerName = Bob\r\n"
                                "PlayerName=Ann\r\n"
                                "no equals sign here\r\n"
                                "Quoted=\"a b\"\r\n"
                                "=empty key\r\n"
                                "\r\n"
                                "[Display]\r\n"
                                "Width=344\r\n"
                                "Height=613\r\n"
                                "\r\n"
                                "[Last]\r\n"
                                "x=\xc3\xa9\r\n"
                                "y=1\r\n"
                                "\r\n";
    WriteBytes(Path(), fixture);
    {
        TIniDocument doc(Path());
        EXPECT_FALSE(doc.HasChanged()) << "erased duplicates do not count on construction";
        EXPECT_EQ(doc.Sections().Count(), 4) << "[Empty] stays in memory, is never written";
        EXPECT_EQ(doc.ReadString(Options, QStringLiteral("PlayerName"), QStringLiteral("?")),
                  QStringLiteral("Ann"));
        EXPECT_EQ(doc.ReadInteger(Options, QStringLiteral("Dealer"), -1), -1)
            << "the second [options] is gone";
        doc.WriteString(QStringLiteral("Display"), QStringLiteral("Height"), QStringLiteral("613"));
        doc.UpdateFile();
    }
    EXPECT_EQ(ReadBytes(Path()), expected);

    // What was written loads and writes again unchanged.
    {
        TIniDocument doc(Path());
        EXPECT_EQ(doc.Sections().Count(), 3);
        doc.WriteString(QStringLiteral("Display"), QStringLiteral("Height"), QStringLiteral("0"));
        doc.WriteString(QStringLiteral("Display"), QStringLiteral("Height"), QStringLiteral("613"));
        ASSERT_TRUE(doc.HasChanged());
    }
    EXPECT_EQ(ReadBytes(Path()), expected);
}

// ---------------------------------------------------------------------------------------
// Look-ups and write rules

TEST(Lookup, SectionsAndKeysIgnoreCase)
{
    TIniDocument doc;
    doc.SetStrings(L({"[OPTIONS]", "PlayerName=Bob",
                      "[\xc3\x9c"
                      "ber]",
                      "Gr\xc3\xb6\xc3\x9f"
                      "e=3"}));
    EXPECT_EQ(doc.ReadString(QStringLiteral("options"), QStringLiteral("playername"), QString()),
              QStringLiteral("Bob"));
    EXPECT_EQ(doc.ReadInteger(QStringLiteral("\u00fcBER"), QStringLiteral("GR\u00d6\u00dfE"), 0),
              3);
    EXPECT_EQ(doc.ReadInteger(QStringLiteral("\u00fcBER"), QStringLiteral("GR\u00d6SSE"), 0), 0)
        << "simple case folding keeps sharp s apart from ss";
    EXPECT_EQ(doc.ReadString(QStringLiteral("OPTIONS"), QStringLiteral("Player\u212Aame"), {}),
              QString())
        << "no such key";
    EXPECT_EQ(doc.ReadString(QStringLiteral("OPTIONS"), QStringLiteral("PLAYERNAME"), {}),
              QStringLiteral("Bob"));
    doc.SetStrings(L({"[Mar\xe2\x84\xaa"
                      "et]",
                      "\xe2\x84\xaa"
                      "ey=1"})); // Kelvin signs
    EXPECT_EQ(doc.ReadInteger(QStringLiteral("market"), QStringLiteral("KEY"), 0), 1)
        << "the Kelvin sign folds to k";
    EXPECT_EQ(doc.ReadInteger(QStringLiteral("Mar\u212Aet"), QStringLiteral("\u212Aey"), 0), 1);
    EXPECT_TRUE(doc.SectionExists(QStringLiteral("Options")));
    EXPECT_TRUE(doc.ValueExists(QStringLiteral("options"), QStringLiteral("PLAYERNAME")));
    EXPECT_FALSE(doc.ValueExists(QStringLiteral("options"), QStringLiteral("Player")));
}

TEST(Lookup, ValueIsEverythingAfterTheFirstEquals)
{
    TIniDocument doc;
    doc.SetStrings(L({"[S]", "a==b=c", "e=", "PlayerName = Bob", "=x", "k=\"q\" "}));
    const QString S = QStringLiteral("S");
    EXPECT_EQ(doc.ReadString(S, QStringLiteral("a"), QStringLiteral("?")), QStringLiteral("=b=c"));
    EXPECT_EQ(doc.ReadString(S, QStringLiteral("e"), QStringLiteral("?")), QString());
    EXPECT_EQ(doc.ReadString(S, QStringLiteral("PlayerName"), QStringLiteral("?")),
              QStringLiteral("?"));
    EXPECT_EQ(doc.ReadString(S, QStringLiteral("PlayerName "), QStringLiteral("?")),
              QStringLiteral(" Bob"));
    EXPECT_EQ(doc.ReadString(S, QString(), QStringLiteral("?")), QStringLiteral("x"));
    EXPECT_EQ(doc.ReadString(S, QStringLiteral("k"), QStringLiteral("?")),
              QStringLiteral("\"q\" "));
    EXPECT_EQ(doc.ReadString(S, QStringLiteral("a="), QStringLiteral("?")), QStringLiteral("?"));
}

TEST(Lookup, RunOfReadsInOneSectionCostsOneComparisonEach)
{
    TIniDocument doc;
    doc.SetStrings(L({"[A]", "k=1", "[B]", "k=2", "[C]", "k=3", "l=4", "[D]", "k=5"}));
    const auto compares = [&](auto&& lookUp) {
        const std::uint64_t before = doc.SectionComparisons();
        lookUp();
        return doc.SectionComparisons() - before;
    };
    EXPECT_EQ(compares([&] { doc.ReadString(QStringLiteral("C"), QStringLiteral("k"), {}); }), 3u);
    EXPECT_EQ(doc.PrevSectionIndex(), 2);
    EXPECT_EQ(compares([&] { doc.ReadString(QStringLiteral("c"), QStringLiteral("l"), {}); }), 1u);
    EXPECT_EQ(compares([&] { doc.WriteString(QStringLiteral("C"), QStringLiteral("m"), "5"); }),
              1u);
    EXPECT_EQ(compares([&] { doc.ReadString(QStringLiteral("A"), QStringLiteral("k"), {}); }), 3u)
        << "C, D, then wrap to A";
    // A miss compares every section once and leaves the cache on the one before the start.
    EXPECT_EQ(compares([&] { doc.ReadString(QStringLiteral("Z"), QStringLiteral("k"), {}); }), 4u);
    EXPECT_EQ(doc.PrevSectionIndex(), 3);
    // Writing to a missing section appends it and remembers it.
    doc.WriteString(QStringLiteral("New"), QStringLiteral("k"), QStringLiteral("1"));
    EXPECT_EQ(doc.PrevSectionIndex(), 4);
    EXPECT_EQ(compares([&] { doc.ReadString(QStringLiteral("NEW"), QStringLiteral("k"), {}); }),
              1u);
}

TEST(Lookup, IndexOfRemembersItsOwnPosition)
{
    TIniDocument doc;
    doc.SetStrings(L({"[A]", "k=1", "[B]", "k=2", "[C]", "k=3"}));
    const TSectionList& sections = doc.Sections();
    const auto compares = [&](const char* name) {
        const std::uint64_t before = sections.Comparisons();
        doc.SectionExists(QString::fromUtf8(name));
        return sections.Comparisons() - before;
    };
    EXPECT_EQ(compares("c"), 3u);
    EXPECT_EQ(sections.PrevIndex(), 2);
    EXPECT_EQ(compares("C"), 1u);
    EXPECT_EQ(compares("B"), 3u) << "C, then wrap to A, B";
    EXPECT_EQ(compares("X"), 3u);
    EXPECT_EQ(sections.PrevIndex(), 1) << "a miss leaves the position alone";
    // Key look-ups keep their own position.
    EXPECT_EQ(doc.PrevSectionIndex(), 0);
    doc.EraseSection(QStringLiteral("b"));
    EXPECT_EQ(sections.PrevIndex(), 0);
}

TEST(WriteRules, IdenticalValueChangesNothing)
{
    TIniDocument doc;
    doc.SetStrings(L({"[Options]", "PlayerName=Bob"}));
    doc.WriteString(Options, QStringLiteral("PlayerName"), QStringLiteral("Bob"));
    EXPECT_FALSE(doc.HasChanged());
    doc.WriteString(Options, QStringLiteral("PLAYERNAME"), QStringLiteral("Bob"));
    EXPECT_TRUE(doc.HasChanged()) << "the key's spelling changed";
    EXPECT_EQ(Contents(doc), L({"[Options]", "PLAYERNAME=Bob", ""}));
}

TEST(WriteRules, NewKeysAppendAndNewSectionsTakeTheCallersSpelling)
{
    TIniDocument doc;
    doc.SetStrings(L({"[OPTIONS]", "a=1", "[Other]", "b=2"}));
    doc.WriteString(QStringLiteral("Options"), QStringLiteral("c"), QStringLiteral("3"));
    doc.WriteString(QStringLiteral("MiXed"), QStringLiteral("d"), QStringLiteral("4"));
    doc.WriteString(QStringLiteral("Options"), QStringLiteral("a"), QStringLiteral("one"));
    EXPECT_EQ(Contents(doc),
              L({"[OPTIONS]", "a=one", "c=3", "", "[Other]", "b=2", "", "[MiXed]", "d=4", ""}));
}

TEST(WriteRules, BlanksAroundEqualsMakeAnotherKey)
{
    TIniDocument doc;
    doc.SetStrings(L({"[Options]", "PlayerName = Bob"}));
    EXPECT_EQ(doc.ReadString(Options, QStringLiteral("PlayerName"), QStringLiteral("Player")),
              QStringLiteral("Player"));
    doc.WriteString(Options, QStringLiteral("PlayerName"), QStringLiteral("Ann"));
    EXPECT_EQ(Contents(doc), L({"[Options]", "PlayerName = Bob", "PlayerName=Ann", ""}));
}

TEST(WriteRules, EmptyKey)
{
    TIniDocument doc;
    doc.SetStrings(L({"[A]", "k=1", "[B]", "k=2"}));
    doc.WriteString(QStringLiteral("a"), QString(), QStringLiteral("ignored"));
    EXPECT_FALSE(doc.SectionExists(QStringLiteral("A")));
    EXPECT_TRUE(doc.HasChanged());
    doc.WriteString(QString(), QString(), QString());
    EXPECT_FALSE(doc.HasChanged()) << "a flush without a file forgets the change";
    doc.WriteString(QStringLiteral("missing"), QString(), QString());
    EXPECT_FALSE(doc.HasChanged());
    EXPECT_EQ(Contents(doc), L({"[B]", "k=2", ""}));
}

TEST(WriteRules, DeleteKey)
{
    TIniDocument doc;
    doc.SetStrings(L({"[A]", "k=1", "K=2", "l=3"}));
    doc.DeleteKey(QStringLiteral("a"), QStringLiteral("x"));
    EXPECT_FALSE(doc.HasChanged());
    doc.DeleteKey(QStringLiteral("a"), QStringLiteral("K"));
    EXPECT_TRUE(doc.HasChanged());
    EXPECT_EQ(Contents(doc), L({"[A]", "K=2", "l=3", ""})) << "only the first line of a key goes";
}

TEST_F(FileFormatTest, DeleteKeyOnAMissingSectionCreatesItEmpty)
{
    WriteBytes(Path(), "[A]\r\nk=1\r\n");
    {
        TIniDocument doc(Path());
        doc.DeleteKey(QStringLiteral("Ghost"), QStringLiteral("k"));
        EXPECT_TRUE(doc.SectionExists(QStringLiteral("Ghost")));
        EXPECT_FALSE(doc.HasChanged());
        doc.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"));
    }
    EXPECT_EQ(ReadBytes(Path()), QByteArray("[A]\r\nk=2\r\n\r\n"));
}

struct RefusedCase
{
    const char* name;
    QString section, key, value;
};

void PrintTo(const RefusedCase& c, std::ostream* os)
{
    *os << c.name;
}

class RefusedWriteTest : public ::testing::TestWithParam<RefusedCase>
{
};

TEST_P(RefusedWriteTest, ValuesThatWouldNotReadBackAreRefused)
{
    TIniDocument doc;
    doc.SetStrings(L({"[S]", "k=1"}));
    const RefusedCase& c = GetParam();
    EXPECT_THROW(doc.WriteString(c.section, c.key, c.value), EIniFileError);
    EXPECT_FALSE(doc.HasChanged());
    EXPECT_EQ(Contents(doc), L({"[S]", "k=1", ""}));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RefusedWriteTest,
    ::testing::Values(RefusedCase{"LfInValue", "S", "k", "a\n[Evil]\nx=1"},
                      RefusedCase{"CrInValue", "S", "k", "a\rb"},
                      RefusedCase{"CtrlZInValue", "S", "k", QStringLiteral("a\x1a")},
                      RefusedCase{"LfInKey", "S", "k\nj", "1"},
                      RefusedCase{"LfInSection", "S\n", "k", "1"},
                      RefusedCase{"EqualsInKey", "S", "a=b", "1"},
                      RefusedCase{"LineLooksLikeAHeader", "S", "[k", "v]"}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST(WriteRules, HeaderLikeKeysWithOtherValuesAreFine)
{
    TIniDocument doc;
    doc.WriteString(QStringLiteral("S"), QStringLiteral("[k"), QStringLiteral("v"));
    doc.WriteString(QStringLiteral("S"), QStringLiteral("k]"), QStringLiteral("]"));
    EXPECT_EQ(Contents(doc), L({"[S]", "[k=v", "k]=]", ""}));
}

TEST(Sections, ReadSectionReadSectionsAndValues)
{
    TIniDocument doc;
    doc.SetStrings(L({"[S]", "a=1", "no key", "=empty", ";c=2", "a=3", "[T]", "x=1"}));
    QStringList keys{QStringLiteral("kept")};
    doc.ReadSection(QStringLiteral("s"), keys);
    EXPECT_EQ(keys, L({"kept", "a", ";c", "a"}));
    doc.ReadSection(QStringLiteral("missing"), keys);
    EXPECT_EQ(keys.size(), 4);

    doc.SetFlagDropCommentLines(true);
    keys.clear();
    doc.ReadSection(QStringLiteral("S"), keys);
    EXPECT_EQ(keys, L({"a", "a"}));
    EXPECT_FALSE(doc.ValueExists(QStringLiteral("S"), QStringLiteral(";c")));

    QStringList names{QStringLiteral("old")};
    doc.ReadSections(names);
    EXPECT_EQ(names, L({"S", "T"}));

    QStringList values{QStringLiteral("old")};
    doc.ReadSectionValues(QStringLiteral("T"), values);
    EXPECT_EQ(values, L({"old", "x=1"}));
    doc.SetFlagClearOnReadSectionValues(true);
    doc.ReadSectionValues(QStringLiteral("missing"), values);
    EXPECT_EQ(values, L({"old", "x=1"}));
    doc.ReadSectionValues(QStringLiteral("T"), values);
    EXPECT_EQ(values, L({"x=1"}));
}

TEST(Sections, EraseSectionKeepsTheKeyCacheInsideTheList)
{
    TIniDocument doc;
    doc.SetStrings(L({"[A]", "k=1", "[B]", "k=2", "[C]", "k=3"}));
    doc.ReadString(QStringLiteral("C"), QStringLiteral("k"), {});
    EXPECT_EQ(doc.PrevSectionIndex(), 2);
    doc.EraseSection(QStringLiteral("c"));
    EXPECT_EQ(doc.PrevSectionIndex(), 0);
    EXPECT_EQ(doc.ReadString(QStringLiteral("B"), QStringLiteral("k"), {}), QStringLiteral("2"));
    doc.EraseSection(QStringLiteral("A"));
    EXPECT_EQ(doc.PrevSectionIndex(), 0) << "still inside the list, pointing at B";
    EXPECT_EQ(doc.ReadString(QStringLiteral("B"), QStringLiteral("k"), {}), QStringLiteral("2"));
    EXPECT_EQ(Contents(doc), L({"[B]", "k=2", ""}));
}

TEST(Sections, ClearKeepsTheChangeState)
{
    TIniDocument doc;
    doc.SetStrings(L({"[A]", "k=1"}));
    doc.Clear();
    EXPECT_FALSE(doc.HasChanged());
    EXPECT_EQ(doc.Sections().Count(), 0);
    EXPECT_EQ(doc.ReadString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("-")),
              QStringLiteral("-"));
    doc.WriteString(QStringLiteral("B"), QStringLiteral("k"), QStringLiteral("2"));
    EXPECT_EQ(Contents(doc), L({"[B]", "k=2", ""}));
}

// ---------------------------------------------------------------------------------------
// Duplicate sections

TEST(Duplicates, WithoutCallbackTheFirstSurvivesAlone)
{
    TIniDocument doc;
    doc.SetStrings(L({"[Options]", "a=1", "[Other]", "x=1", "[OPTIONS]", "b=2", "[options]", "c=3",
                      "[other]", "y=2"}));
    EXPECT_TRUE(doc.HasChanged()) << "erased duplicates mark the document changed";
    EXPECT_EQ(Contents(doc), L({"[Options]", "a=1", "", "[Other]", "x=1", ""}));
}

TEST(Duplicates, SetStringsWithoutDuplicatesDoesNotMarkChanged)
{
    TIniDocument doc;
    doc.SetStrings(L({"[A]", "a=1"}));
    doc.SetStrings(L({"[B]", "b=1"}));
    EXPECT_FALSE(doc.HasChanged());
    doc.SetStrings(L({"[a]", "c=1"}));
    EXPECT_TRUE(doc.HasChanged()) << "a later load meets the sections already there";
    EXPECT_EQ(Contents(doc), L({"[A]", "a=1", "", "[B]", "b=1", ""}));
}

struct CallbackCall
{
    QString name;
    QStringList sl1, sl2;
};

TEST(Duplicates, CallbackChoosesAndSeesTheGroupInDocumentOrder)
{
    TIniDocument doc;
    std::vector<CallbackCall> calls;
    // Keep the later section the first time, the earlier one the second time.
    doc.SetEraseSectionCallback([&calls](const QString& name, QStringList& sl1, QStringList& sl2) {
        calls.push_back({name, sl1, sl2});
        return calls.size() != 1;
    });
    doc.SetStrings(L({"[S]", "a=1", "[T]", "t=1", "[s]", "b=2", "[S ]", "z=1", "[S]", "c=3"}));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].name, QStringLiteral("s"));
    EXPECT_EQ(calls[0].sl1, L({"a=1"}));
    EXPECT_EQ(calls[0].sl2, L({"b=2"}));
    EXPECT_EQ(calls[1].name, QStringLiteral("S"));
    EXPECT_EQ(calls[1].sl1, L({"b=2"})) << "the survivor of the first meeting";
    EXPECT_EQ(calls[1].sl2, L({"c=3"}));
    EXPECT_EQ(Contents(doc), L({"[T]", "t=1", "", "[s]", "b=2", "", "[S ]", "z=1", ""}));
}

TEST(Duplicates, CallbackMayMoveLinesBetweenTheLists)
{
    TIniDocument doc;
    doc.SetEraseSectionCallback([](const QString&, QStringList& sl1, QStringList& sl2) {
        sl1.append(sl2);
        sl2.clear();
        return true;
    });
    doc.SetStrings(L({"[S]", "a=1", "[T]", "t=1", "[s]", "b=2", "[S]", "c=3"}));
    EXPECT_EQ(Contents(doc), L({"[S]", "a=1", "b=2", "c=3", "", "[T]", "t=1", ""}));
}

TEST(Duplicates, ThrowingCallbackLeavesASoundList)
{
    TIniDocument doc;
    int calls = 0;
    doc.SetEraseSectionCallback([&calls](const QString&, QStringList&, QStringList&) -> bool {
        if (++calls == 2)
            throw std::runtime_error("refused");
        return true;
    });
    EXPECT_THROW(doc.SetStrings(L({"[S]", "a=1", "[S]", "b=2", "[S]", "c=3", "[T]", "t=1"})),
                 std::runtime_error);
    // The first decision stands; nothing dangles.
    EXPECT_EQ(Contents(doc), L({"[S]", "a=1", "", "[S]", "c=3", "", "[T]", "t=1", ""}));
    EXPECT_EQ(doc.ReadString(QStringLiteral("T"), QStringLiteral("t"), {}), QStringLiteral("1"));
}

TEST(Duplicates, ManyDuplicatesCollapseToOne)
{
    QStringList lines;
    for (int i = 0; i < 20000; ++i) {
        lines.append(i % 2 ? QStringLiteral("[dup]") : QStringLiteral("[DUP]"));
        lines.append(QStringLiteral("k=%1").arg(i));
    }
    TIniDocument doc;
    doc.SetStrings(lines);
    EXPECT_EQ(Contents(doc), L({"[DUP]", "k=0", ""}));
}

// ---------------------------------------------------------------------------------------
// Files: loading, writing, change tracking

TEST_F(FileFormatTest, WritesCrLfAndLeavesOutEmptySections)
{
    {
        TIniDocument doc(Path());
        EXPECT_EQ(doc.Sections().Count(), 0);
        doc.WriteString(Options, QStringLiteral("PlayerName"), QStringLiteral("J\u00fcrgen"));
        doc.WriteInteger(Options, QStringLiteral("Dealer"), 1);
        doc.DeleteKey(QStringLiteral("Empty"), QStringLiteral("x"));
        doc.WriteString(QStringLiteral("Z"), QStringLiteral("k"), QString());
    }
    EXPECT_EQ(
        ReadBytes(Path()),
        QByteArray("[Options]\r\nPlayerName=J\xc3\xbcrgen\r\nDealer=1\r\n\r\n[Z]\r\nk=\r\n\r\n"));
}

struct EncodingCase
{
    const char* name;
    QByteArray bytes;
};

void PrintTo(const EncodingCase& c, std::ostream* os)
{
    *os << c.name;
}

class EncodingRoundTripTest : public IniFileTest, public ::testing::WithParamInterface<EncodingCase>
{
};

// A save after a change elsewhere writes every old byte back as it was, and the new
// value, which Latin-1 cannot hold, as UTF-8.
TEST_P(EncodingRoundTripTest, KeepsEveryByteAndWritesNewTextAsUtf8)
{
    WriteBytes(Path(), GetParam().bytes);
    {
        TIniDocument doc(Path());
        doc.WriteString(QStringLiteral("New"), QStringLiteral("Name"),
                        QStringLiteral("\u0141ukasz \u4e09"));
        doc.UpdateFile();
    }
    EXPECT_EQ(ReadBytes(Path()),
              GetParam().bytes + "[New]\r\nName=\xc5\x81ukasz \xe4\xb8\x89\r\n\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Files, EncodingRoundTripTest,
    ::testing::Values(EncodingCase{"Utf8", "[S]\r\na=Jos\xc3\xa9\r\n\r\n"},
                      EncodingCase{"Latin1", "[S]\r\na=caf\xe9 cr\xe8me\r\n\r\n"},
                      EncodingCase{"MixedLines", "[S]\r\na=Jos\xc3\xa9\r\nb=caf\xe9\r\n\r\n"},
                      EncodingCase{"EveryHighByteAlone",
                                   [] {
                                       QByteArray bytes = "[S]\r\n";
                                       for (int b = 0x80; b <= 0xff; ++b)
                                           bytes +=
                                               "k" + QByteArray::number(b) + '=' + char(b) + "\r\n";
                                       return bytes + "\r\n";
                                   }()},
                      EncodingCase{"EscapeLikeBytes", "[S]\r\na=\xed\xb2\x80\xed\xb3\xbf\r\n\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// Reading and writing keep no state from one text to the next: a sequence cut short at the
// end of one value does not swallow the start of the next.
TEST(IniEncoding, EachTextIsDecodedAndEncodedOnItsOwn)
{
    TIniDocument doc;
    doc.WriteAnsiString("S", "a", "caf\xc3");
    doc.WriteAnsiString("S", "b", "\xa9t\xc3\xa9");
    EXPECT_EQ(doc.ReadString(QStringLiteral("S"), QStringLiteral("a"), {}),
              QStringLiteral("caf\xdcc3"));
    EXPECT_EQ(doc.ReadString(QStringLiteral("S"), QStringLiteral("b"), {}),
              QStringLiteral("\xdca9t\u00e9"));
    EXPECT_EQ(doc.ReadAnsiString(QStringLiteral("S"), QStringLiteral("a"), {}),
              QByteArray("caf\xc3"));
    EXPECT_EQ(doc.ReadAnsiString(QStringLiteral("S"), QStringLiteral("b"), {}),
              QByteArray("\xa9t\xc3\xa9"));
    // A character of two UTF-16 units whose second unit looks like an escape is text.
    doc.WriteString(QStringLiteral("S"), QStringLiteral("c"), QStringLiteral("\U000100FF"));
    EXPECT_EQ(doc.ReadAnsiString(QStringLiteral("S"), QStringLiteral("c"), {}),
              QByteArray("\xf0\x90\x83\xbf"));
}

TEST_F(FileFormatTest, UnchangedDocumentNeverWrites)
{
    const QByteArray original = "[Options]\nPlayerName=Bob\n\n[options]\nx=1\n";
    WriteBytes(Path(), original);
    const QDateTime before = QFileInfo(Path()).lastModified();
    {
        TIniDocument doc(Path());
        doc.WriteString(Options, QStringLiteral("PlayerName"), QStringLiteral("Bob"));
        doc.ReadString(Options, QStringLiteral("x"), {});
        doc.UpdateFile();
        doc.Clear();
    }
    EXPECT_EQ(ReadBytes(Path()), original);
    EXPECT_EQ(QFileInfo(Path()).lastModified(), before);
    EXPECT_EQ(QDir(FDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("settings.ini")});
}

TEST_F(FileFormatTest, ClearAfterAChangeWritesTheClearedDocument)
{
    WriteBytes(Path(), "[A]\r\nk=1\r\n");
    {
        TIniDocument doc(Path());
        doc.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"));
        doc.Clear();
    }
    EXPECT_EQ(ReadBytes(Path()), QByteArray());
}

TEST_F(FileFormatTest, EmptyFileNameNeverWrites)
{
    const QString here = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(FDir.path()));
    {
        TIniDocument doc;
        EXPECT_TRUE(doc.FileName().isEmpty());
        EXPECT_EQ(doc.Sections().Count(), 0);
        doc.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1"));
        doc.UpdateFile();
        EXPECT_FALSE(doc.HasChanged());
    }
    EXPECT_TRUE(QDir(FDir.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    QDir::setCurrent(here);
}

TEST_F(FileFormatTest, FileNameChangeFlushesToTheOldFileAndLoadsTheNew)
{
    WriteBytes(Path("b.ini"), "[B]\nk=1\n[b]\nk=2\n");
    TIniDocument doc(Path("a.ini"));
    doc.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1"));
    doc.SetFileName(Path("b.ini"));
    EXPECT_EQ(ReadBytes(Path("a.ini")), QByteArray("[A]\r\nk=1\r\n\r\n"));
    EXPECT_EQ(Contents(doc), L({"[B]", "k=1", ""}));
    EXPECT_FALSE(doc.HasChanged()) << "also when the load erased duplicates";
    EXPECT_EQ(doc.FileName(), Path("b.ini"));
}

TEST_F(FileFormatTest, AppendFromFileAddsAfterTheSectionsThere)
{
    WriteBytes(Path("more.ini"), "[B]\nk=2\n[a]\nk=3\n");
    TIniDocument doc(Path());
    doc.SetStrings(L({"[A]", "k=1"}));
    doc.AppendFromFile(Path("more.ini"));
    EXPECT_EQ(Contents(doc), L({"[A]", "k=1", "", "[B]", "k=2", ""}));
    EXPECT_TRUE(doc.HasChanged());
    EXPECT_EQ(doc.FileName(), Path()) << "the file name is not changed";
    doc.AppendFromFile(Path("missing.ini"));
    EXPECT_EQ(doc.Sections().Count(), 2);
}

TEST_F(FileFormatTest, ReplaceKeepsPermissionsAndFollowsLinks)
{
    WriteBytes(Path("real.ini"), "[A]\r\nk=1\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(Path("real.ini")).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(Path("real.ini"), Path("link.ini")));
    {
        TIniDocument doc(Path("link.ini"));
        doc.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"));
        doc.UpdateFile();
    }
    EXPECT_TRUE(QFileInfo(Path("link.ini")).isSymLink());
    EXPECT_EQ(ReadBytes(Path("real.ini")), QByteArray("[A]\r\nk=2\r\n\r\n"));
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(Path("real.ini")).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// ---------------------------------------------------------------------------------------
// Failures

class FailureTest : public IniFileTest
{
protected:
    static bool IsRoot() { return ::geteuid() == 0; }

    static void ExpectMessage(const EIniFileError& error, const QString& path, const char* reason)
    {
        EXPECT_TRUE(error.message().contains(path)) << error.message().toStdString();
        EXPECT_TRUE(error.message().contains(QString::fromUtf8(reason)))
            << error.message().toStdString();
        EXPECT_EQ(QString::fromStdString(error.what()), error.message());
    }
};

TEST_F(FailureTest, DirectoryOfTheFilesNameCannotBeReadOrWritten)
{
    ASSERT_TRUE(QDir(FDir.path()).mkdir(QStringLiteral("settings.ini")));
    try {
        TIniDocument doc(Path());
        ADD_FAILURE() << "a directory loaded as a file";
    } catch (const EIniFileError& error) {
        ExpectMessage(error, Path(), "Is a directory");
    }

    TIniDocument doc;
    EXPECT_THROW(doc.SetFileName(Path()), EIniFileError);
    EXPECT_EQ(doc.FileName(), Path());
}

TEST_F(FailureTest, WriteToADirectoryReportsAndKeepsTheChange)
{
    TIniDocument doc(Path());
    doc.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1"));
    ASSERT_TRUE(QDir(FDir.path()).mkdir(QStringLiteral("settings.ini")));
    try {
        doc.UpdateFile();
        ADD_FAILURE() << "no error";
    } catch (const EIniFileError& error) {
        ExpectMessage(error, Path(), "Is a directory");
    }
    EXPECT_TRUE(doc.HasChanged());
    // The same failure through the empty-key write.
    EXPECT_THROW(doc.WriteString(QString(), QString(), QString()), EIniFileError);
    ASSERT_TRUE(QDir(FDir.path()).rmdir(QStringLiteral("settings.ini")));
    doc.FlushFile();
    EXPECT_FALSE(doc.HasChanged());
    EXPECT_EQ(ReadBytes(Path()), QByteArray("[A]\r\nk=1\r\n\r\n"));
}

TEST_F(FailureTest, UnreadableFileRaises)
{
    WriteBytes(Path(), "[A]\nk=1\n");
    ASSERT_EQ(::chmod(QFile::encodeName(Path()).constData(), 0200), 0);
    ASSERT_TRUE(RunWithoutFileOverride([&] {
        try {
            TIniDocument doc(Path());
            ADD_FAILURE() << "read an unreadable file";
        } catch (const EIniFileError& error) {
            ExpectMessage(error, Path(), "Permission denied");
        }
    })) << "could not give up the power to override file permissions";
}

TEST_F(FailureTest, ReadOnlyFileIsNotReplaced)
{
    WriteBytes(Path(), "[A]\r\nk=1\r\n");
    TIniDocument doc(Path());
    ASSERT_EQ(::chmod(QFile::encodeName(Path()).constData(), 0444), 0);
    doc.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"));
    ASSERT_TRUE(RunWithoutFileOverride([&] {
        try {
            doc.UpdateFile();
            ADD_FAILURE() << "replaced a read-only file";
        } catch (const EIniFileError& error) {
            ExpectMessage(error, Path(), "Permission denied");
        }
    })) << "could not give up the power to override file permissions";
    EXPECT_TRUE(doc.HasChanged());
    EXPECT_EQ(ReadBytes(Path()), QByteArray("[A]\r\nk=1\r\n"));
}

enum class TFileSetting
{
    Ordinary,
    HardLinked,
    OtherUsers,
    ReadOnlyFolder,
    ReadOnlyFolderAndFile,
};

struct WriteWayCase
{
    const char* name;
    TFileSetting setting;
    bool inPlace; // the file keeps its inode
    bool fails;
};

void PrintTo(const WriteWayCase& c, std::ostream* os)
{
    *os << c.name;
}

class WriteWayTest : public FailureTest, public ::testing::WithParamInterface<WriteWayCase>
{
protected:
    void TearDown() override { ::chmod(QFile::encodeName(FDir.path()).constData(), 0755); }
};

// A file is replaced whole where that keeps it what it was; a file with other links, one
// of another user, and one in a folder that takes no new file are rewritten in place. Only
// when neither way can write does the save fail, and then the file stays as it was.
TEST_P(WriteWayTest, ReplacesTheFileOrRewritesItInPlace)
{
    const WriteWayCase& c = GetParam();
    // The new text is shorter: nothing of the old may be left at its end.
    const QByteArray before = "[A]\r\nk=1\r\nx=a longer line\r\n\r\n";
    const QByteArray after = "[A]\r\nk=2\r\n\r\n";
    WriteBytes(Path(), before);
    const QByteArray path = QFile::encodeName(Path());
    const QString link = Path(QStringLiteral("link.ini"));
    QStringList entries{QStringLiteral("settings.ini")};
    switch (c.setting) {
    case TFileSetting::Ordinary:
        break;
    case TFileSetting::HardLinked:
        ASSERT_EQ(::link(path.constData(), QFile::encodeName(link).constData()), 0);
        entries.prepend(QStringLiteral("link.ini"));
        break;
    case TFileSetting::OtherUsers:
        if (!IsRoot())
            GTEST_SKIP() << "only root can give a file to another user";
        ASSERT_EQ(::chown(path.constData(), 65534, 65534), 0);
        ASSERT_EQ(::chmod(path.constData(), 0666), 0);
        break;
    case TFileSetting::ReadOnlyFolderAndFile:
        ASSERT_EQ(::chmod(path.constData(), 0444), 0);
        [[fallthrough]];
    case TFileSetting::ReadOnlyFolder:
        ASSERT_EQ(::chmod(QFile::encodeName(FDir.path()).constData(), 0555), 0);
        break;
    }
    struct stat old;
    ASSERT_EQ(::stat(path.constData(), &old), 0);

    TIniDocument doc(Path());
    doc.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"));
    doc.DeleteKey(QStringLiteral("A"), QStringLiteral("x"));
    QString error;
    ASSERT_TRUE(RunWithoutFileOverride([&] {
        try {
            doc.UpdateFile();
        } catch (const EIniFileError& e) {
            error = e.message();
        }
    })) << "could not give up the power to override file permissions";
    ::chmod(QFile::encodeName(FDir.path()).constData(), 0755);

    EXPECT_EQ(!error.isEmpty(), c.fails) << error.toStdString();
    EXPECT_EQ(ReadBytes(Path()), c.fails ? before : after);
    if (c.setting == TFileSetting::HardLinked) {
        EXPECT_EQ(ReadBytes(link), after);
    }
    struct stat now;
    ASSERT_EQ(::stat(path.constData(), &now), 0);
    EXPECT_EQ(now.st_ino == old.st_ino, c.inPlace);
    EXPECT_EQ(now.st_uid, old.st_uid);
    EXPECT_EQ(now.st_gid, old.st_gid);
    EXPECT_EQ(now.st_mode, old.st_mode);
    EXPECT_EQ(now.st_nlink, old.st_nlink);
    // No temporary file is left behind.
    EXPECT_EQ(QDir(FDir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              entries);
}

INSTANTIATE_TEST_SUITE_P(
    Files, WriteWayTest,
    ::testing::Values(WriteWayCase{"OrdinaryFileIsReplaced", TFileSetting::Ordinary, false, false},
                      WriteWayCase{"HardLinkedFile", TFileSetting::HardLinked, true, false},
                      WriteWayCase{"OtherUsersFile", TFileSetting::OtherUsers, true, false},
                      WriteWayCase{"WritableFileInAReadOnlyFolder", TFileSetting::ReadOnlyFolder,
                                   true, false},
                      WriteWayCase{"ReadOnlyFileInAReadOnlyFolder",
                                   TFileSetting::ReadOnlyFolderAndFile, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A write that fails half-way (here: the file size limit, which holds for root too) leaves
// the old file exactly as it was and no temporary file behind.
TEST_F(FailureTest, WriteFailingHalfWayKeepsTheOldFile)
{
    const QByteArray original = "[A]\r\nk=1\r\n";
    WriteBytes(Path(), original);
    TIniDocument doc(Path());
    for (int i = 0; i < 2000; ++i)
        doc.WriteString(QStringLiteral("A"), QStringLiteral("key%1").arg(i), QString(40, u'v'));

    struct rlimit old;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool raised = false;
    QString message;
    try {
        doc.UpdateFile();
    } catch (const EIniFileError& error) {
        raised = true;
        message = error.message();
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_TRUE(raised);
    EXPECT_TRUE(message.contains(QStringLiteral("File too large"))) << message.toStdString();
    EXPECT_TRUE(doc.HasChanged());
    EXPECT_EQ(ReadBytes(Path()), original);
    EXPECT_EQ(QDir(FDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("settings.ini")});
    doc.UpdateFile();
    EXPECT_EQ(doc.ReadString(QStringLiteral("A"), QStringLiteral("key1999"), {}),
              QString(40, u'v'));
    EXPECT_GT(ReadBytes(Path()).size(), 4096);
}

TEST_F(FailureTest, DestructorSwallowsAFailedWrite)
{
    const QString folder = FDir.filePath(QStringLiteral("gone"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString path = folder + QStringLiteral("/settings.ini");
    EXPECT_NO_THROW({
        TIniDocument doc(path);
        doc.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1"));
        ASSERT_TRUE(QDir(folder).removeRecursively());
    });
    EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST_F(FailureTest, MissingFolderRaisesOnFlush)
{
    TIniDocument doc(FDir.filePath(QStringLiteral("no/such/settings.ini")));
    doc.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1"));
    try {
        doc.FlushFile();
        ADD_FAILURE() << "no error";
    } catch (const EIniFileError& error) {
        ExpectMessage(error, doc.FileName(), "No such file or directory");
    }
}

TEST_F(FailureTest, FifoIsRefusedWithoutBlocking)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path()).constData(), 0600), 0);
    EXPECT_THROW(TIniDocument doc(Path()), EIniFileError);
    // Nor is it replaced by a write.
    TIniDocument doc;
    EXPECT_THROW(doc.SetFileName(Path()), EIniFileError);
    doc.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1"));
    EXPECT_THROW(doc.UpdateFile(), EIniFileError);
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(Path()).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

// ---------------------------------------------------------------------------------------
// Bad input: nothing crashes, nothing hangs, and what loads writes back and loads the same.

class BadInputTest : public IniFileTest
{
protected:
    // Loads bytes, writes the document, loads the result: the two documents must agree.
    void ExpectStableRoundTrip(const QByteArray& bytes)
    {
        WriteBytes(Path(), bytes);
        QStringList first;
        {
            TIniDocument doc(Path());
            QStringList sections;
            doc.ReadSections(sections);
            for (const QString& section : sections) {
                QStringList keys;
                doc.ReadSection(section, keys);
                for (const QString& key : keys)
                    doc.ReadString(section, key, {});
            }
            doc.GetStrings(first);
            doc.WriteString(QStringLiteral("Touched"), QStringLiteral("k"), QStringLiteral("1"));
            doc.EraseSection(QStringLiteral("Touched"));
        }
        TIniDocument again(Path());
        EXPECT_EQ(Contents(again), first);
    }
};

TEST_F(BadInputTest, RandomBytes)
{
    QRandomGenerator random(20261210);
    for (int round = 0; round < 50; ++round) {
        QByteArray bytes(1 + random.bounded(4000), Qt::Uninitialized);
        for (char& c : bytes) {
            // Mostly structure characters, so that headers and keys appear.
            static const char alphabet[] = "[]=;\r\n\x1a\0 aA\xc3\xbc\xff";
            c = random.bounded(3) ? alphabet[random.bounded(int(sizeof alphabet) - 1)]
                                  : static_cast<char>(random.bounded(256));
        }
        SCOPED_TRACE(round);
        ExpectStableRoundTrip(bytes);
    }
}

TEST_F(BadInputTest, TenMegabyteLine)
{
    QByteArray bytes = "[S]\nk=";
    bytes.append(QByteArray(10 * 1024 * 1024, 'x'));
    ExpectStableRoundTrip(bytes);
    TIniDocument doc(Path());
    EXPECT_EQ(doc.ReadString(QStringLiteral("S"), QStringLiteral("k"), {}).size(),
              10 * 1024 * 1024);
}

TEST_F(BadInputTest, HundredThousandSections)
{
    QByteArray bytes;
    for (int i = 0; i < 100000; ++i)
        bytes += "[Section" + QByteArray::number(i) + "]\nk=" + QByteArray::number(i) + "\n";
    WriteBytes(Path(), bytes);
    TIniDocument doc(Path());
    EXPECT_EQ(doc.Sections().Count(), 100000);
    EXPECT_EQ(doc.ReadInteger(QStringLiteral("section99999"), QStringLiteral("K"), -1), 99999);
    EXPECT_EQ(doc.ReadInteger(QStringLiteral("Section5"), QStringLiteral("k"), -1), 5);
}

TEST_F(BadInputTest, OnlyGarbageAndEdges)
{
    for (const QByteArray& bytes :
         {QByteArray(1000, '\0'), QByteArray("\xef\xbb\xbf"), QByteArray("["), QByteArray("]"),
          QByteArray("[]"), QByteArray("[\n]\n=\n"), QByteArray(5000, '\r'), QByteArray(5000, '\n'),
          QByteArray("[S]\nk=\xe2\x82"), QByteArray("\x1a[S]\nk=1")}) {
        SCOPED_TRACE(bytes.left(20).toHex().toStdString());
        ExpectStableRoundTrip(bytes);
    }
}

// ---------------------------------------------------------------------------------------
// Overrides take effect on the document's own paths.

class RecordingDocument : public TIniDocument
{
public:
    using TIniDocument::TIniDocument;
    QStringList Calls;

    void AppendFromFile(const QString& aName) override
    {
        Calls.append(QStringLiteral("AppendFromFile"));
        TIniDocument::AppendFromFile(aName);
    }
    void EraseSection(const QString& aSection) override
    {
        Calls.append(QStringLiteral("EraseSection"));
        TIniDocument::EraseSection(aSection);
    }
    void FlushFile() override
    {
        Calls.append(QStringLiteral("FlushFile"));
        TIniDocument::FlushFile();
    }
    void ReadSection(const QString& aSection, QStringList& aStrings) override
    {
        Calls.append(QStringLiteral("ReadSection"));
        TIniDocument::ReadSection(aSection, aStrings);
    }
    QString ReadString(const QString& aSection, const QString& aKey,
                       const QString& aDefault) override
    {
        Calls.append(QStringLiteral("ReadString"));
        return TIniDocument::ReadString(aSection, aKey, aDefault);
    }
    void WriteString(const QString& aSection, const QString& aKey, const QString& aValue) override
    {
        Calls.append(QStringLiteral("WriteString"));
        TIniDocument::WriteString(aSection, aKey, aValue);
    }
};

struct DispatchCase
{
    const char* name;
    std::function<void(RecordingDocument&)> action;
    QStringList calls;
};

void PrintTo(const DispatchCase& c, std::ostream* os)
{
    *os << c.name;
}

class DispatchTest : public ::testing::TestWithParam<DispatchCase>
{
};

TEST_P(DispatchTest, GoesThroughTheVirtualSlot)
{
    RecordingDocument doc;
    doc.SetStrings(L({"[S]", "k=1"}));
    GetParam().action(doc);
    EXPECT_EQ(doc.Calls, GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DispatchTest,
    ::testing::Values(
        DispatchCase{"ReadInteger", [](RecordingDocument& d) { d.ReadInteger("S", "k", 0); },
                     L({"ReadString"})},
        DispatchCase{"ReadBool", [](RecordingDocument& d) { d.ReadBool("S", "k", false); },
                     L({"ReadString"})},
        DispatchCase{"ReadAnsiString",
                     [](RecordingDocument& d) { d.ReadAnsiString("S", "k", QByteArray()); },
                     L({"ReadString"})},
        DispatchCase{"WriteInteger", [](RecordingDocument& d) { d.WriteInteger("S", "k", 2); },
                     L({"WriteString"})},
        DispatchCase{"WriteAnsiString",
                     [](RecordingDocument& d) { d.WriteAnsiString("S", "k", "v"); },
                     L({"WriteString"})},
        DispatchCase{"EmptyKeyErases", [](RecordingDocument& d) { d.WriteString("S", "", ""); },
                     L({"WriteString", "EraseSection"})},
        DispatchCase{"EmptyKeyFlushes", [](RecordingDocument& d) { d.WriteString("", "", ""); },
                     L({"WriteString", "FlushFile"})},
        DispatchCase{"ValueExists", [](RecordingDocument& d) { d.ValueExists("S", "k"); },
                     L({"ReadSection"})},
        DispatchCase{"UpdateFile", [](RecordingDocument& d) { d.UpdateFile(); }, L({"FlushFile"})},
        DispatchCase{
            "FileName",
            [](RecordingDocument& d) { d.SetFileName(QStringLiteral("/nonexistent/x.ini")); },
            L({"FlushFile", "AppendFromFile"})}),
    [](const ::testing::TestParamInfo<DispatchCase>& info) {
        return std::string(info.param.name);
    });

} // namespace
