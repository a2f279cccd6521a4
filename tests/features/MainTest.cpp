#include "features/Main.h"

#include "core/base/ApplicationTitle.h"
#include "core/base/Failure.h"
#include "features/host/Platform.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(ApplicationTitle, CutsBeforeTheLastBlank)
{
    EXPECT_EQ(makeApplicationTitle("Bulk UPC Validator"), "Bulk UPC");
    EXPECT_EQ(makeApplicationTitle("Two Words"), "Two");
    // Longer than 40: words go from the end until at most 40 remain.
    EXPECT_EQ(makeApplicationTitle("The quite remarkably long product name of a tool here"),
              "The quite remarkably long product name");
    EXPECT_EQ(makeApplicationTitle("aaaaaaaaaa bbbbbbbbbb cccccccccc ddddddd e"),
              "aaaaaaaaaa bbbbbbbbbb cccccccccc ddddddd"); // 40 stay
    EXPECT_EQ(makeApplicationTitle("aaaaaaaaaa bbbbbbbbbb cccccccccc ddddddddddd e"),
              "aaaaaaaaaa bbbbbbbbbb cccccccccc");
}

TEST(ApplicationTitle, NameWithoutBlankIsKeptWhole)
{
    EXPECT_EQ(makeApplicationTitle("Quorvane"), "Quorvane");
    EXPECT_EQ(makeApplicationTitle(""), "");
    Main::SetApplicationTitle();
    EXPECT_EQ(Main::ApplicationTitle(), "Quorvane");
}

class ScriptedRandom : public RandomSource
{
public:
    void seed(double s) override { seeds.append(s); }
    double next() override { return number; }
    QList<double> seeds;
    double number = 0;
};

class RecordingOpener : public UrlOpener
{
public:
    void openUrl(const QString& url) override { opened.append(url); }
    QStringList opened;
};

TEST(OpenHomePageOccasionally, OpensOnlyWhenTheDrawIsSeven)
{
    ScriptedRandom random;
    RecordingOpener opener;
    // n = int(r * 100) + 1: 0.06 gives 7, 0.0599 gives 6, 0.07 gives 8.
    for (const double r : {0.0, 0.0599, 0.07, 0.5, 0.999}) {
        random.number = r;
        Main::OpenHomePageOccasionally(random, opener, 100);
    }
    EXPECT_TRUE(opener.opened.isEmpty());
    random.number = 0.06;
    Main::OpenHomePageOccasionally(random, opener, 43200.5);
    EXPECT_EQ(opener.opened, QStringList{"https://tarnwell.example/"});
    EXPECT_EQ(random.seeds.last(), 43200.5);
}

TEST(FileExists, AnswersWithoutFailing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("present.txt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_TRUE(Main::FileExists(path));
    EXPECT_FALSE(Main::FileExists(dir.filePath("missing.txt")));
    EXPECT_FALSE(Main::FileExists(dir.filePath("no/such/folder/file")));
    EXPECT_FALSE(Main::FileExists(""));
    EXPECT_FALSE(Main::FileExists(QStringLiteral("bad") + QChar(0) + "name"));
}

} // namespace
