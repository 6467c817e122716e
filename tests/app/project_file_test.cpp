#include "app/project_file.h"

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "platform/run_error.h"
#include "support/fake_host.h"
#include "support/scratch_dir.h"

namespace orvanta {
namespace {

using testing::FakeHost;
using testing::ScratchDir;

// A project file of the two header lines followed by `lines`, each ended by CR LF.
std::string projectFile(const std::vector<std::string>& lines) {
    std::string text = "#OVT Project File\r\n#----------------\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

TEST(ProjectFileValues, NumbersTakeTheLeadingDecimalRoundedHalfToEven) {
    EXPECT_EQ(leadingNumber("1abc"), 1);
    EXPECT_EQ(leadingNumber("abc"), 0);
    EXPECT_EQ(leadingNumber("  -2.5x"), -2);
    EXPECT_EQ(leadingNumber("0.5"), 0);
    EXPECT_EQ(leadingNumber("1.5"), 2);
    EXPECT_EQ(leadingNumber(".7"), 1);
    EXPECT_EQ(leadingNumber("-"), 0);
    EXPECT_EQ(parseCheckLine("2"), 2);
    EXPECT_THROW(parseCheckLine("3"), RunError);
}

TEST(ProjectFileValues, ColourLinesAreWholeNumbersOfTwentyFourBits) {
    EXPECT_EQ(parseColourLine(" 16711935 "), 16711935u);
    auto numberOf = [](const std::string& line) {
        try {
            parseColourLine(line);
        } catch (const RunError& error) {
            return error.number();
        }
        return 0;
    };
    EXPECT_EQ(numberOf(""), errors::TypeMismatch);
    EXPECT_EQ(numberOf("red"), errors::TypeMismatch);
    EXPECT_EQ(numberOf("12abc"), errors::TypeMismatch);
    EXPECT_EQ(numberOf("99999999999"), errors::Overflow);
    EXPECT_EQ(numberOf("-1"), errors::InvalidProperty);
}

TEST(ProjectFileValues, ListLinesEndEveryItemWithAComma) {
    using List = std::vector<std::string>;
    EXPECT_EQ(parseListLine("C:\\a,C:\\b,"), (List{"C:\\a", "C:\\b"}));
    EXPECT_EQ(parseListLine("C:\\a"), (List{"C:\\a"}));
    EXPECT_EQ(parseListLine("C:\\a,C:\\b"), (List{"C:\\a"}));
    EXPECT_EQ(parseListLine("a, b, c,"), (List{"a", " b", " c"}));
    EXPECT_EQ(parseListLine("   "), List{});
    EXPECT_EQ(formatListLine({"C:\\tiles\\a", "C:\\tiles\\b"}), "C:\\tiles\\a,C:\\tiles\\b,");
    EXPECT_EQ(formatListLine({}), "");
}

class ProjectFileTest : public ::testing::Test {
  protected:
    ProjectFileTest() : app(host) {}

    // Loads `content` the way "Open Project..." does.
    bool load(const std::string& content) {
        const std::string path = dir / "project.ovt";
        testing::writeFile(path, content);
        app.closeProject();
        return loadProjectFile(app, path);
    }

    FakeHost host;
    AppState app;
    ScratchDir dir;
};

TEST_F(ProjectFileTest, OpenThenSaveGivesBackEveryLine) {
    // Every value differs from its starting one, so a field not read or not written back
    // changes the saved copy.
    const std::string text = projectFile({"/img/area.jpg",
                                          "1",
                                          "1",
                                          "/tiles",
                                          "/tiles/a,/tiles/b,",
                                          "/opt/earth prog",
                                          "/out",
                                          "0",
                                          "http://host/x/",
                                          "Area",
                                          "2048",
                                          "2048",
                                          "24",
                                          "72",
                                          "512x512",
                                          "PNG",
                                          "1",
                                          "16711935",
                                          "HIGH",
                                          "/img",
                                          "/img/area.jpg",
                                          "area",
                                          "/img/area",
                                          "1",
                                          "1",
                                          "/hi/a.jpg,/lo/b.jpg,",
                                          "/hi,/lo,",
                                          "HIGH"});
    ASSERT_TRUE(load(text));
    const std::string path = dir / "again.ovt";
    ASSERT_TRUE(writeProjectFile(app, path));
    EXPECT_EQ(app.statusText(), "Project file " + path + " was saved!");
    EXPECT_EQ(testing::readFile(path), text);
    EXPECT_EQ(app.settings.transparentColourText, "RGB(255, 0, 255)");
    EXPECT_EQ(app.settings.projectFile, "");  // set by the menu command, not by loading
    // The list groups follow their boxes after loading.
    EXPECT_TRUE(app.enabled.batchFolders && app.enabled.addSubfolders && app.enabled.multiResolutionImages);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ProjectFileTest, HeaderOnlyFileIsAnEmptyProjectLoadedWithSuccess) {
    EXPECT_TRUE(load(projectFile({})));
    EXPECT_EQ(app.settings.projectName, "");
    EXPECT_TRUE(app.settings.batchFolders.empty());
    EXPECT_NE(app.statusText().find("was loaded successfully!"), std::string::npos);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ProjectFileTest, EmptyMultiResolutionLineEmptiesBothLists) {
    // Lines 2 to 29 of a valid file; index 0 is line 2.
    std::vector<std::string> lines(28, "0");
    lines[25] = "/hi/a.tif,";  // line 27 adds to List1 ...
    lines[26] = "";            // ... and an empty line 28 empties both lists
    ASSERT_TRUE(load(projectFile(lines)));
    EXPECT_TRUE(app.settings.multiResolutionImages.empty());
    EXPECT_TRUE(app.settings.multiResolutionFolders.empty());

    lines[25] = "";          // line 27 empty
    lines[26] = "/hi,/lo,";  // line 28 then names folders: they go to List3 alone
    lines[24] = "1";         // Check6, so the lists are kept after loading
    ASSERT_TRUE(load(projectFile(lines)));
    EXPECT_TRUE(app.settings.multiResolutionImages.empty());
    EXPECT_EQ(app.settings.multiResolutionFolders, (std::vector<std::string>{"/hi", "/lo"}));
}

TEST_F(ProjectFileTest, LaterLinesWinAndLineEndsOfAnyKindAreRead) {
    std::string text = "#OVT Project File\n#----------------\r/first.jpg\n";
    text +=
        "0\n0\n\n\n/earth\n/out\n1\nurl\nName\n\n\n\n\n256x256\nJPG\n0\n255\nHIGH\n/d\n/second.jpg";
    ASSERT_TRUE(load(text));
    EXPECT_EQ(app.settings.projectImage, "/second.jpg");
    EXPECT_EQ(app.settings.googleEarthProgram, "/earth");
    EXPECT_EQ(app.settings.transparentColourText, "RGB(255, 0, 0)");
    EXPECT_EQ(app.settings.drawOrder, "HIGH");
}

TEST_F(ProjectFileTest, BadCheckOrColourLineStopsLoadingWithItsError) {
    // Line 3 holds 7: loading stops there, the error is shown, success is not reported.
    EXPECT_FALSE(load(projectFile({"/keep.jpg", "7", "1", "/never"})));
    EXPECT_EQ(app.settings.projectImage, "/keep.jpg");
    EXPECT_EQ(app.settings.multipleFolders, 0);
    EXPECT_EQ(app.settings.tilesFolder, "");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], (FakeHost::Message{"380 Invalid property value", "Orvanta"}));
    EXPECT_EQ(app.statusText(), "Status...");

    host.messages.clear();
    std::vector<std::string> lines(17, "0");
    lines.push_back("not a colour");  // line 19
    EXPECT_FALSE(load(projectFile(lines)));
    EXPECT_EQ(host.messageTexts(), std::vector<std::string>{"13 Type mismatch"});
}

TEST_F(ProjectFileTest, HostileFilesNeverCrash) {
    const std::vector<std::string> contents = {
        "",
        "#OVT",
        std::string(100000, 'x'),
        "#OVT Project File\r\n#----------------\r\n\xff\xfe\x80\r\n1e999\r\n-0\r\n",
        projectFile(std::vector<std::string>(40, ",,,,")),
        std::string("\0\0\0\r\n\0", 6),
    };
    for (const std::string& content : contents) {
        load(content);
        EXPECT_LE(host.messages.size(), 1u);
        host.messages.clear();
    }
}

TEST_F(ProjectFileTest, MissingFileIsReportedAndNothingChanges) {
    app.closeProject();
    EXPECT_FALSE(loadProjectFile(app, dir / "none.ovt"));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.rfind("53 File not found", 0), 0u);
}

TEST_F(ProjectFileTest, OpenCancelledLeavesTheProjectClosed) {
    app.settings.projectName = "Open";
    openProject(app);
    EXPECT_EQ(app.settings.projectName, "");
    EXPECT_EQ(app.statusText(), "Status...");
}

TEST_F(ProjectFileTest, SaveAsAsksBeforeOverwriting) {
    const std::string path = dir / "exists.ovt";
    testing::writeFile(path, "old");
    host.fileAnswers = {path};
    host.yesNoAnswers = {false};
    saveProjectAs(app);
    EXPECT_EQ(testing::readFile(path), "old");
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0],
              (FakeHost::Message{"The Target Project already Exists. Do you want to overwrite ?",
                                 "OVT Project already Exists"}));
    EXPECT_EQ(app.settings.projectFile, "");

    host.fileAnswers = {path};
    host.yesNoAnswers = {true};
    saveProjectAs(app);
    EXPECT_EQ(app.settings.projectFile, path);
    EXPECT_EQ(testing::readFile(path).rfind("#OVT Project File\r\n", 0), 0u);

    // Save writes to the chosen file without asking again.
    app.settings.projectName = "Again";
    saveProject(app);
    EXPECT_EQ(host.questions.size(), 2u);
    EXPECT_NE(testing::readFile(path).find("\r\nAgain\r\n"), std::string::npos);
}

TEST_F(ProjectFileTest, UnwritableTargetIsReportedNotClaimedSaved) {
    EXPECT_FALSE(writeProjectFile(app, dir / "no-such-folder/p.ovt"));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.rfind("76 Path not found", 0), 0u);
    EXPECT_EQ(app.statusText().find("was saved!"), std::string::npos);
}

}  // namespace
}  // namespace orvanta
