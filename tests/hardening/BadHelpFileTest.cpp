// Help > Index with a help file that is missing or damaged: the viewer either shows what
// it can or tells the player in a box captioned "Brindletop" why the file could not be
// opened; it never takes the game down. Run it under the address sanitizer too: the
// damaged files reach the help file reader's decompression.
#include "app/HelpSystem.h"
#include "app/HtmlHelpApi.h"
#include "platform/HelpViewer.h"

#include "ModalAnswerer.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

const QString HelpChm = QStringLiteral(BT_HELP_CHM);

QByteArray ReadBytes(const QString& Path)
{
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct DamageCase
{
    const char* Name;
    // Makes the damaged file at Path from the good file's bytes.
    std::function<void(const QString& Path, const QByteArray& Good)> Make;
    bool MayOpen; // a damaged file whose front is intact may still show a page
};

void PrintTo(const DamageCase& Case, std::ostream* Out)
{
    *Out << Case.Name;
}

void Write(const QString& Path, const QByteArray& Bytes)
{
    QFile file(Path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(Bytes), Bytes.size());
}

std::function<void(const QString&, const QByteArray&)> CutTo(double Share)
{
    return [Share](const QString& Path, const QByteArray& Good) {
        Write(Path, Good.left(qsizetype(double(Good.size()) * Share)));
    };
}

std::function<void(const QString&, const QByteArray&)> CutToBytes(qsizetype Size)
{
    return [Size](const QString& Path, const QByteArray& Good) { Write(Path, Good.left(Size)); };
}

// The good file with its bytes from Offset on replaced by noise of the same length.
std::function<void(const QString&, const QByteArray&)> NoiseFrom(double Share)
{
    return [Share](const QString& Path, const QByteArray& Good) {
        QByteArray bytes = Good;
        QRandomGenerator random(7);
        for (qsizetype i = qsizetype(double(bytes.size()) * Share); i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(random.bounded(256));
        Write(Path, bytes);
    };
}

class BadHelpFile : public ::testing::TestWithParam<DamageCase>
{
protected:
    void SetUp() override
    {
        LoadHtmlHelp();
        ASSERT_TRUE(HtmlHelpLoaded());
        Good = ReadBytes(HelpChm);
        ASSERT_GT(Good.size(), 4096) << "no help file at " << HelpChm.toStdString();
        Path = Folder.filePath(QStringLiteral("HELP/bt.chm"));
        ASSERT_TRUE(QDir().mkpath(Folder.filePath(QStringLiteral("HELP"))));
    }
    void TearDown() override
    {
        Help.reset(); // closes any viewer it opened
        FreeHtmlHelp();
        EXPECT_TRUE(OpenHelpViewers().isEmpty());
    }

    QTemporaryDir Folder;
    QString Path;
    QByteArray Good;
    std::unique_ptr<THelpSystem> Help;
};

TEST_P(BadHelpFile, OpenShowsAPageOrSaysWhyNot)
{
    GetParam().Make(Path, Good);
    Help = std::make_unique<THelpSystem>();
    Help->SetHelpfile(Path);
    Help->SetActive(true);

    QStringList texts;
    bool warningBox = true;
    ModalAnswerer answer([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        warningBox = warningBox && box && box->windowTitle() == QStringLiteral("Brindletop") &&
                     box->icon() != QMessageBox::NoIcon;
        modal->close();
    });
    Help->Open();
    Help->Open(); // and again, as a second F1 would
    texts = answer.Texts();

    const QList<THelpViewer*> viewers = OpenHelpViewers();
    if (viewers.isEmpty()) {
        EXPECT_EQ(answer.Count(), 2) << "nothing shown and nothing said";
        EXPECT_TRUE(warningBox);
        for (const QString& text : texts)
            EXPECT_TRUE(text.contains(QDir::toNativeSeparators(Path))) << text.toStdString();
    } else {
        EXPECT_TRUE(GetParam().MayOpen) << "a viewer opened on a file that cannot be read";
        EXPECT_EQ(viewers.size(), 1);
        EXPECT_EQ(answer.Count(), 0);
        // Whatever page it shows, walking the contents must not take the program down.
        viewers.front()->ShowTopic(QString());
        for (const TChmTopic& topic : viewers.front()->File().Contents())
            viewers.front()->ShowTopic(topic.Local);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadHelpFile,
    ::testing::Values(
        DamageCase{"Missing", [](const QString&, const QByteArray&) {}, false},
        DamageCase{"Empty", CutToBytes(0), false},
        DamageCase{"OnlyTheSignature", CutToBytes(4), false},
        DamageCase{"CutInTheHeader", CutToBytes(0x40), false},
        DamageCase{"CutAfterFourKilobytes", CutToBytes(4096), true},
        // Noise of the right length cannot be told from pages: the viewer may show it,
        // but must not fall over it.
        DamageCase{"NoiseAfterTheHeader", NoiseFrom(0.02), true},
        DamageCase{"NoiseInTheSecondHalf", NoiseFrom(0.5), true},
        DamageCase{"ADirectory",
                   [](const QString& Path, const QByteArray&) { QDir().mkpath(Path); }, false}),
    [](const ::testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.Name); });

// A file cut short whose front is intact would show the missing pages as junk
// decompressed from nothing; it is refused as damaged like any other unreadable file.
INSTANTIATE_TEST_SUITE_P(
    CutShort, BadHelpFile,
    ::testing::Values(DamageCase{"CutInHalf", CutTo(0.5), false},
                      DamageCase{"LastByteMissing", CutTo(0.999999), false}),
    [](const ::testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.Name); });

} // namespace
