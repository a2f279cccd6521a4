// Loading the spreadsheet plugin, without LibreOffice.

#include "gui/platform/SpreadsheetPlugin.h"

#include "core/base/Failure.h"
#include "features/Main.h"
#include "gui/Form1.h"
#include "gui/ListView.h"
#include "plugins/calc/ServerFailure.h"
#include "support/ScriptedServices.h"

#include <gtest/gtest.h>

namespace {

TEST(SpreadsheetPlugin, IsLookedForInLibQuorvaneBesideTheProgramFolderThenInIt)
{
    EXPECT_EQ(CalcPlugin::candidates(QStringLiteral("/opt/quorvane/bin")),
              QStringList({"/opt/quorvane/lib/quorvane/quorvane_calc.so",
                           "/opt/quorvane/bin/quorvane_calc.so"}));
    EXPECT_EQ(CalcPlugin::candidates(QStringLiteral("/home/u/build/bin/")).first(),
              "/home/u/build/lib/quorvane/quorvane_calc.so");
}

TEST(SpreadsheetPlugin, MissingPluginIsAFailureNamingTheFile)
{
    PluginSpreadsheetServer server({}, QStringLiteral("/nonexistent/quorvane_calc.so"));
    EXPECT_TRUE(failureOf(server).contains("/nonexistent/quorvane_calc.so"));
    // Tried again at the next creation, and fails the same way.
    EXPECT_TRUE(failureOf(server).contains("/nonexistent/quorvane_calc.so"));
}

TEST(SpreadsheetPlugin, FileThatIsNoLibraryIsAFailure)
{
    TempFolder folder;
    PluginSpreadsheetServer server({}, folder.write("quorvane_calc.so", "not a library\n"));
    EXPECT_FALSE(failureOf(server).isEmpty());
}

TEST(SpreadsheetPlugin, LibraryWithoutThePluginsEntriesIsAFailure)
{
    PluginSpreadsheetServer server({}, QStringLiteral(QT_CORE_LIBRARY));
    EXPECT_TRUE(failureOf(server).contains("is not a spreadsheet plugin of this program"));
}

TEST(SpreadsheetPlugin, PluginOfAnotherVersionIsAFailure)
{
    PluginSpreadsheetServer server({}, QStringLiteral(OTHER_VERSION_PLUGIN));
    EXPECT_TRUE(failureOf(server).contains(
        QStringLiteral("is version %1 of the spreadsheet plugin; this program needs version %2")
            .arg(CalcPlugin::Version + 1)
            .arg(CalcPlugin::Version)));
}

TEST(SpreadsheetPlugin, PluginsOwnFailureComesThroughWithItsDescription)
{
    PluginSpreadsheetServer server({}, QStringLiteral(STAND_IN_PLUGIN));
    EXPECT_EQ(failureOf(server), "The stand-in office cannot be started");
}

TEST(SpreadsheetPlugin, TheReaderLoadsAsTheServerDoes)
{
    for (const auto& [file, failure] :
         {std::pair{"/nonexistent/quorvane_calc.so", "/nonexistent/quorvane_calc.so"},
          std::pair{QT_CORE_LIBRARY, "is not a spreadsheet plugin of this program"},
          std::pair{STAND_IN_PLUGIN, "The stand-in office cannot be started"}}) {
        SCOPED_TRACE(file);
        PluginSpreadsheetReader reader({}, QString::fromUtf8(file));
        try {
            reader.saveFirstSheetAsCsv(QStringLiteral("codes.ods"), QStringLiteral("codes.csv"));
            ADD_FAILURE() << "no failure";
        } catch (const Failure& f) {
            EXPECT_TRUE(f.description().contains(QLatin1String(failure))) << f.what();
        }
    }
}

TEST(SpreadsheetPlugin, WithoutAUsablePluginTheHandlerShowsTheTwoMessagesAndNothingElse)
{
    for (const char* file : {"/nonexistent/quorvane_calc.so", STAND_IN_PLUGIN, NO_SERVER_PLUGIN}) {
        SCOPED_TRACE(file);
        ScriptedServices script;
        PluginSpreadsheetServer server({}, QString::fromUtf8(file));
        Services services = script.services();
        services.spreadsheet = &server;
        Form1 form(services);
        form.Form_Load();
        script.log.clear();
        form.ListView3->AppendItem(QStringLiteral("12345"));
        form.SetMousePointer(PointerMode::Custom);

        form.PushButton7_Click();

        const QString title = Main::ApplicationTitle();
        EXPECT_EQ(script.log,
                  QStringList({"message|" + title +
                                   "|Excel is not installed on this computer. You need to have it "
                                   "installed to use this software without error.",
                               "message|" + title +
                                   "|Excel is not installed on this computer. You need to have it "
                                   "installed to use this feature."}));
        EXPECT_EQ(form.MousePointer(), PointerMode::Custom);
    }
}

} // namespace
