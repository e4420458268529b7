// The typed accessors: Booleans, dates and times, floats, 8-bit strings and byte streams.
#include "IniTestSupport.h"

#include <QBuffer>
#include <QDate>
#include <QTime>

#include <cmath>
#include <limits>

namespace {

const QString S = QStringLiteral("S");
const QString K = QStringLiteral("k");

void SetValue(TIniDocument& doc, const QString& value)
{
    doc.SetStrings({QStringLiteral("[S]"), QStringLiteral("k=") + value});
}

// ---------------------------------------------------------------------------------------
// Booleans

struct BoolCase
{
    const char* text;
    bool defaultValue;
    bool expected;
};

class ReadBoolTest : public ::testing::TestWithParam<BoolCase>
{
};

TEST_P(ReadBoolTest, AnyIntegerButZeroIsTrue)
{
    TIniDocument doc;
    SetValue(doc, QString::fromUtf8(GetParam().text));
    EXPECT_EQ(doc.ReadBool(S, K, GetParam().defaultValue), GetParam().expected)
        << "text: \"" << GetParam().text << "\", default " << GetParam().defaultValue;
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadBoolTest,
                         ::testing::Values(BoolCase{"1", false, true}, BoolCase{"2", false, true},
                                           BoolCase{"-1", false, true},
                                           BoolCase{"0x10", false, true},
                                           BoolCase{"$0", true, false}, BoolCase{"0", true, false},
                                           BoolCase{"yes", false, false},
                                           BoolCase{"yes", true, true},
                                           BoolCase{"true", false, false}, BoolCase{"", true, true},
                                           BoolCase{"", false, false}));

TEST(Bool, WritesOneAndZero)
{
    TIniDocument doc;
    doc.WriteBool(S, K, true);
    EXPECT_EQ(doc.ReadString(S, K, {}), QStringLiteral("1"));
    EXPECT_TRUE(doc.ReadBool(S, K, false));
    doc.WriteBool(S, K, false);
    EXPECT_EQ(doc.ReadString(S, K, {}), QStringLiteral("0"));
    EXPECT_FALSE(doc.ReadBool(S, K, true));
    EXPECT_TRUE(doc.ReadBool(S, QStringLiteral("missing"), true));
}

// ---------------------------------------------------------------------------------------
// Dates and times, under several locales

class DateTimeTest : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override { FDoc.SetFormatLocale(QLocale(QString::fromUtf8(GetParam()))); }

    static TDateTime Make(int y, int m, int d, int h = 0, int min = 0, int s = 0)
    {
        // Before the base day the time still counts forward from midnight.
        const double days = static_cast<double>(QDate(1899, 12, 30).daysTo(QDate(y, m, d)));
        const double time = (h * 3600 + min * 60 + s) / 86400.0;
        return days >= 0 ? days + time : days - time;
    }

    TIniDocument FDoc;
};

TEST_P(DateTimeTest, MidnightStoresTheDateAlone)
{
    const TDateTime value = Make(2026, 12, 10);
    FDoc.WriteDateTime(S, K, value);
    FDoc.WriteDate(S, QStringLiteral("date"), value);
    const QString text = FDoc.ReadString(S, K, {});
    EXPECT_EQ(text, FDoc.ReadString(S, QStringLiteral("date"), {}));
    EXPECT_TRUE(text.contains(QStringLiteral("2026"))) << text.toStdString();
    EXPECT_EQ(FDoc.ReadDateTime(S, K, -1), value);
    EXPECT_EQ(FDoc.ReadDate(S, K, -1), value);
}

TEST_P(DateTimeTest, ValuesReadBackUnderTheSameLocale)
{
    for (const TDateTime value :
         {Make(2026, 12, 10, 13, 45, 7), Make(1899, 12, 30, 0, 0, 1), Make(1, 1, 1, 23, 59, 59),
          Make(9999, 12, 31, 12, 0, 0), Make(1970, 6, 15, 6, 30, 0)}) {
        FDoc.WriteDateTime(S, K, value);
        const QString text = FDoc.ReadString(S, K, {});
        SCOPED_TRACE(text.toStdString());
        EXPECT_NEAR(FDoc.ReadDateTime(S, K, -1), value, 1e-9);
        FDoc.WriteDate(S, K, value);
        EXPECT_EQ(FDoc.ReadDate(S, K, -1), std::trunc(value));
        FDoc.WriteTime(S, K, value);
        EXPECT_NEAR(FDoc.ReadTime(S, K, -1), std::fabs(value - std::trunc(value)), 1e-9);
    }
}

TEST_P(DateTimeTest, DaysBeforeTheBaseCountTheTimeForward)
{
    // -1.25 is 29 December 1899, 06:00.
    FDoc.WriteDateTime(S, K, -1.25);
    FDoc.WriteDate(S, QStringLiteral("date"), -1.25);
    FDoc.WriteTime(S, QStringLiteral("time"), -1.25);
    EXPECT_EQ(FDoc.ReadDateTime(S, K, 0), -1.25);
    EXPECT_EQ(FDoc.ReadDate(S, QStringLiteral("date"), 0), -1.0);
    EXPECT_EQ(FDoc.ReadTime(S, QStringLiteral("time"), 0), 0.25);
}

TEST_P(DateTimeTest, MalformedTextGivesTheDefault)
{
    for (const char* text : {"", "tomorrow", "32/13/2026", "12:61:00", "2026"}) {
        FDoc.WriteString(S, K, QString::fromUtf8(text));
        SCOPED_TRACE(text);
        EXPECT_EQ(FDoc.ReadDate(S, K, 42.5), 42.5);
        EXPECT_EQ(FDoc.ReadDateTime(S, K, 42.5), 42.5);
        EXPECT_EQ(FDoc.ReadTime(S, K, 42.5), 42.5);
    }
    EXPECT_EQ(FDoc.ReadDateTime(S, QStringLiteral("missing"), 7.0), 7.0);
}

INSTANTIATE_TEST_SUITE_P(Locales, DateTimeTest,
                         ::testing::Values("C", "en_US", "de_DE", "ja_JP", "fr_FR"));

TEST(DateTime, ValuesOutsideTheCalendarAreRefused)
{
    TIniDocument doc;
    for (const double value :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 1e300,
          -693594.0, 2958466.0}) {
        EXPECT_THROW(doc.WriteDateTime(S, K, value), EIniFileError) << value;
        EXPECT_THROW(doc.WriteDate(S, K, value), EIniFileError) << value;
        EXPECT_THROW(doc.WriteTime(S, K, value), EIniFileError) << value;
    }
    EXPECT_FALSE(doc.HasChanged());
}

TEST(DateTime, TwoDigitYearFormatsWriteFourDigits)
{
    TIniDocument doc;
    doc.SetFormatLocale(QLocale(QStringLiteral("en_US"))); // short format M/d/yy
    doc.WriteDate(S, K, 45000.0);                          // 15 March 2023
    EXPECT_EQ(doc.ReadString(S, K, {}), QStringLiteral("3/15/2023"));
    doc.WriteDateTime(S, K, 45000.5);
    EXPECT_TRUE(doc.ReadString(S, K, {}).startsWith(QStringLiteral("3/15/2023 12:00:00")))
        << doc.ReadString(S, K, {}).toStdString();
    EXPECT_EQ(doc.ReadDateTime(S, K, -1), 45000.5);
}

// ---------------------------------------------------------------------------------------
// Floats

TEST(Float, RoundTripsWithFifteenDigits)
{
    for (const char* name : {"C", "de_DE", "en_US"}) {
        TIniDocument doc;
        doc.SetFormatLocale(QLocale(QString::fromUtf8(name)));
        for (const double value : {0.0, 0.1, -2.5, 1234567.25, 1e20, -1e-300, 123456789012345.0}) {
            doc.WriteFloat(S, K, value);
            EXPECT_EQ(doc.ReadFloat(S, K, -99), value) << name << ": " << value;
        }
        doc.WriteFloat(S, K, 1.0 / 3.0);
        EXPECT_EQ(doc.ReadString(S, K, {}).remove(u',').remove(u'.'),
                  QStringLiteral("0333333333333333"))
            << name;
    }
}

TEST(Float, DecimalSeparatorOfTheLocale)
{
    TIniDocument doc;
    doc.SetFormatLocale(QLocale(QStringLiteral("de_DE")));
    doc.WriteFloat(S, K, 1234.5);
    EXPECT_EQ(doc.ReadString(S, K, {}), QStringLiteral("1234,5"));
    doc.WriteString(S, K, QStringLiteral("1.5"));
    EXPECT_EQ(doc.ReadFloat(S, K, -1), -1) << "wrong separator";

    doc.SetFormatLocale(QLocale(QStringLiteral("en_US")));
    doc.WriteString(S, K, QStringLiteral("1,5"));
    EXPECT_EQ(doc.ReadFloat(S, K, -1), -1);
    doc.WriteString(S, K, QStringLiteral("1,234.5"));
    EXPECT_EQ(doc.ReadFloat(S, K, -1), -1) << "group separators are refused";
    for (const char* text : {"", "abc", "1.5x", "--1"}) {
        doc.WriteString(S, K, QString::fromUtf8(text));
        EXPECT_EQ(doc.ReadFloat(S, K, -1), -1) << text;
    }
}

TEST(Float, NonFiniteValuesReadBack)
{
    TIniDocument doc;
    doc.WriteFloat(S, K, std::numeric_limits<double>::infinity());
    EXPECT_EQ(doc.ReadFloat(S, K, 0), std::numeric_limits<double>::infinity());
    doc.WriteFloat(S, K, std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(std::isnan(doc.ReadFloat(S, K, 0)));
}

// ---------------------------------------------------------------------------------------
// 8-bit strings

TEST(AnsiString, ConvertsBothWays)
{
    TIniDocument doc;
    const QByteArray name = "J\xc3\xbcrgen";
    doc.WriteAnsiString("Spieler", "Name", name);
    EXPECT_EQ(doc.ReadString(QStringLiteral("spieler"), QStringLiteral("name"), {}),
              QStringLiteral("J\u00fcrgen"));
    EXPECT_EQ(doc.ReadAnsiString(QStringLiteral("Spieler"), QStringLiteral("Name"), "x"), name);
    EXPECT_EQ(doc.ReadAnsiString(QStringLiteral("Spieler"), QStringLiteral("none"), "d\xc3\xa9"),
              QByteArray("d\xc3\xa9"));
    // The empty key erases, as with WriteString.
    doc.WriteAnsiString("Spieler", "", "");
    EXPECT_FALSE(doc.SectionExists(QStringLiteral("Spieler")));
}

// ---------------------------------------------------------------------------------------
// Byte streams

TEST(BinaryStream, BytesAsUpperCaseHexAndBack)
{
    TIniDocument doc;
    QByteArray source("\x00\xab\xff", 3);
    QBuffer in(&source);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    doc.WriteBinaryStream(S, K, in);
    EXPECT_EQ(doc.ReadString(S, K, {}), QStringLiteral("00ABFF"));
    EXPECT_TRUE(in.atEnd());

    QByteArray target("kept:");
    QBuffer out(&target);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Append));
    EXPECT_EQ(doc.ReadBinaryStream(S, K, out), 3);
    EXPECT_EQ(target, QByteArray("kept:\x00\xab\xff", 8));
}

TEST(BinaryStream, FromTheCurrentPositionAcrossManyReads)
{
    QByteArray source;
    for (int i = 0; i < 1500; ++i)
        source.append(static_cast<char>(i * 7));
    QBuffer in(&source);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    ASSERT_TRUE(in.seek(100));
    TIniDocument doc;
    doc.WriteBinaryStream(S, K, in);
    EXPECT_EQ(doc.ReadString(S, K, {}).size(), 2 * 1400);

    QByteArray target;
    QBuffer out(&target);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    EXPECT_EQ(doc.ReadBinaryStream(S, K, out), 1400);
    EXPECT_EQ(target, source.mid(100));
}

struct HexCase
{
    const char* text;
    QByteArray bytes;
};

class ReadBinaryTest : public ::testing::TestWithParam<HexCase>
{
};

TEST_P(ReadBinaryTest, DecodesPairs)
{
    TIniDocument doc;
    SetValue(doc, QString::fromUtf8(GetParam().text));
    QByteArray target;
    QBuffer out(&target);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    EXPECT_EQ(doc.ReadBinaryStream(S, K, out), GetParam().bytes.size());
    EXPECT_EQ(target, GetParam().bytes) << "text: " << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadBinaryTest,
                         ::testing::Values(HexCase{"00ABFF", QByteArray("\x00\xab\xff", 3)},
                                           HexCase{"00abff", QByteArray("\x00\xab\xff", 3)},
                                           HexCase{"41424", QByteArray("AB")},
                                           HexCase{"G141", QByteArray("\x00"
                                                                      "A",
                                                                      2)},
                                           HexCase{"1G", QByteArray(1, '\0')},
                                           HexCase{" 1", QByteArray(1, '\0')},
                                           HexCase{"", QByteArray()}, HexCase{"7", QByteArray()},
                                           HexCase{"\xc3\xbc", QByteArray(1, '\0')}));

TEST(BinaryStream, EmptyStreamAndMissingKey)
{
    TIniDocument doc;
    QBuffer empty;
    ASSERT_TRUE(empty.open(QIODevice::ReadOnly));
    doc.WriteBinaryStream(S, K, empty);
    EXPECT_TRUE(doc.ValueExists(S, K));
    EXPECT_EQ(doc.ReadString(S, K, QStringLiteral("?")), QString());

    QByteArray target;
    QBuffer out(&target);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    EXPECT_EQ(doc.ReadBinaryStream(S, K, out), 0);
    EXPECT_EQ(doc.ReadBinaryStream(S, QStringLiteral("missing"), out), 0);
    EXPECT_TRUE(target.isEmpty());
}

TEST(BinaryStream, StreamErrorsAreNotStoredAsData)
{
    TIniDocument doc;
    doc.WriteString(S, K, QStringLiteral("0102"));
    QBuffer closed;
    EXPECT_THROW(doc.WriteBinaryStream(S, K, closed), EIniFileError);
    EXPECT_EQ(doc.ReadString(S, K, {}), QStringLiteral("0102"));
    EXPECT_THROW(doc.ReadBinaryStream(S, K, closed), EIniFileError);
}

} // namespace
