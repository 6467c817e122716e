#include "app/project_file.h"

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/project_commands.h"
#include "platform/run_error.h"
#include "support/fake_host.h"
#include "support/scratch_dir.h"

namespace orvanta {
namespace {

using testing::FakeHost;
using testing::ScratchDir;
using Lines = std::vector<std::string>;

// A project file of the two header lines followed by `lines`, each ended by CR LF.
std::string projectFile(const Lines& lines) {
    std::string text = "#OVT Project File\r\n#----------------\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

// The error number a line parser raises, 0 when none.
template <typename Parse>
int errorOf(Parse parse, const std::string& line) {
    try {
        parse(line);
    } catch (const RunError& error) {
        return error.number();
    }
    return 0;
}

TEST(ProjectFileValues, NumbersColoursAndLists) {
    EXPECT_EQ(leadingNumber("abc"), 0);
    EXPECT_EQ(leadingNumber("  -2.5x"), -2);  // rounded half to even
    EXPECT_EQ(leadingNumber("1.5"), 2);
    EXPECT_EQ(leadingNumber(".7"), 1);
    EXPECT_EQ(errorOf(parseCheckLine, "3"), errors::InvalidProperty);

    EXPECT_EQ(parseColourLine(" 16711935 "), 16711935u);
    for (const char* line : {"", "red", "12abc"})
        EXPECT_EQ(errorOf(parseColourLine, line), errors::TypeMismatch) << line;
    EXPECT_EQ(errorOf(parseColourLine, "99999999999"), errors::Overflow);
    EXPECT_EQ(errorOf(parseColourLine, "-1"), errors::InvalidProperty);

    EXPECT_EQ(parseListLine("C:\\a,C:\\b,"), (Lines{"C:\\a", "C:\\b"}));
    EXPECT_EQ(parseListLine("C:\\a,C:\\b"), (Lines{"C:\\a", "C:\\b"}));  // written by hand
    EXPECT_EQ(parseListLine("a, b, c,"), (Lines{"a", " b", " c"}));
    EXPECT_EQ(parseListLine("   "), Lines{});
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

TEST_F(ProjectFileTest, SavedFileHoldsEachValueOnItsLineAndLoadsBack) {
    // The values differ from their starting ones and from each other where they can, so a
    // value on the wrong line, or one not read back, changes the file.
    ProjectSettings& s = app.settings;
    s.projectImage = "/img/area.jpg";
    s.previewImage = s.multipleFolders = s.transparent = s.multiResolution = true;
    s.openWhenDone = s.hostOnWebServer = false;
    s.tilesFolder = "/tiles";
    s.batchFolders = {"/tiles/a", "/tiles/b"};
    s.googleEarthProgram = "/opt/earth prog";
    s.kmlFolder = "/out";
    s.webServerUrl = "http://host/x/";
    s.projectName = "Area";
    s.widthText = "2048";
    s.heightText = "1024";
    s.bitDepthText = "24";
    s.resolutionText = "72";
    s.targetTileSize = "512x512";
    s.outputFormat = PictureFormat::Png;
    s.transparentColour = {255, 0, 128};
    s.drawOrder = DisplayOrder::High;
    s.imageFolder = "/img";
    s.imageName = "area";
    app.run.root4096 = "/img/area";
    s.multiResolutionImages = {"/hi/a.jpg", "/lo/b.jpg"};
    s.multiResolutionFolders = {"/hi", "/lo"};
    s.outputFolder = "/result";
    s.jpegQuality = 42;
    s.exactEdges = true;
    const std::string expected =
        "#OVT Project File\r\n#----------------\r\n/img/area.jpg\r\n1\r\n1\r\n/tiles\r\n"
        "/tiles/a,/tiles/b,\r\n/opt/earth prog\r\n/out\r\n0\r\nhttp://host/x/\r\nArea\r\n"
        "2048\r\n1024\r\n24\r\n72\r\n512x512\r\nPNG\r\n1\r\n8388863\r\nHIGH\r\n/img\r\n"
        "/img/area.jpg\r\narea\r\n/img/area\r\n0\r\n1\r\n/hi/a.jpg,/lo/b.jpg,\r\n/hi,/lo,\r\n"
        "HIGH\r\n/result\r\n42\r\n1\r\n";
    const std::string path = dir / "saved.ovt";
    ASSERT_TRUE(writeProjectFile(app, path));
    EXPECT_EQ(app.statusText(), "Project file " + path + " was saved!");
    EXPECT_EQ(testing::readFile(path), expected);

    ASSERT_TRUE(load(expected));
    EXPECT_EQ(app.settings.projectFile, "");  // set by the menu command, not by loading
    // The list groups follow their boxes after loading.
    EXPECT_TRUE(app.enabled.batchFolders && app.enabled.multiResolutionImages);
    ASSERT_TRUE(writeProjectFile(app, path));
    EXPECT_EQ(testing::readFile(path), expected);
}

// Lines 2 to 29 of a usable project file; index 0 is line 2.
Lines usableLines() {
    Lines lines(28, "");
    lines[15] = "JPG";  // line 17
    lines[17] = "0";    // line 19
    return lines;
}

TEST_F(ProjectFileTest, LaterLinesWinAnyLineEndIsReadAndTheProgramLineIsNotTaken) {
    Lines lines = usableLines();
    lines[0] = "/first.jpg";
    lines[1] = "1";
    lines[2] = "2";
    lines[5] = "/bin/sh";  // the Google Earth program a shared project names
    lines[17] = "255";
    lines[18] = "LOW";
    lines[20] = "/second.jpg";
    lines[27] = "HIGH";
    std::string text = projectFile(lines);
    text.replace(text.find("\r\n"), 2, "\n");
    text.replace(text.find("\r\n"), 2, "\r");
    ASSERT_TRUE(load(text));
    EXPECT_EQ(app.settings.projectImage, "/second.jpg");
    EXPECT_EQ(app.settings.googleEarthProgram, defaultGoogleEarthPath());
    EXPECT_EQ(app.statusText(),
              "The project names the Google Earth program /bin/sh; only the "
              "program of your own settings is started.");
    EXPECT_EQ(app.settings.transparentColour, (Rgb{255, 0, 0}));
    EXPECT_EQ(app.settings.drawOrder, DisplayOrder::High);
    // A check line is checked only by 1.
    EXPECT_TRUE(app.settings.previewImage);
    EXPECT_FALSE(app.settings.multipleFolders);
    EXPECT_TRUE(host.messages.empty());
}

// A shared project must not send output to the root of the file system, however the path is
// written; its names are plain; a file too big to be a project is not read whole. A damaged
// file changes nothing.
TEST_F(ProjectFileTest, DamagedFilesAreRefusedAndChangeNothing) {
    const std::vector<std::pair<int, std::string>> damages = {
        {8, "/proc/self/root"}, {5, "/tiles/../.."}, {30, "/tmp/.."},
        {6, "/a,/b/../..,"},    {11, "../x"},        {23, "a/b"}};
    for (const auto& [line, text] : damages) {
        Lines lines = usableLines();
        lines.resize(29, "");
        lines[static_cast<std::size_t>(line - 2)] = text;
        lines[8] = "http://other/";  // line 10, kept by closing the project
        EXPECT_FALSE(load(projectFile(lines))) << text;
    }
    EXPECT_FALSE(load(projectFile({std::string(64 * 1024 + 1, 'x')})));
    EXPECT_FALSE(load(std::string(1024 * 1024 - 1, '\n') + "xx"));
    EXPECT_EQ(app.settings.webServerUrl, kDefaultWebserverUrl);
    const std::string damaged = "The project file " + (dir / "project.ovt") + " is damaged: ";
    EXPECT_EQ(
        host.messageTexts(),
        (Lines{damaged + "line 8: '/proc/self/root' is the root of the file system.",
               damaged + "line 5: '/tiles/../..' is the root of the file system.",
               damaged + "line 30: '/tmp/..' is the root of the file system.",
               damaged + "line 6: '/b/../..' is the root of the file system.",
               damaged + "line 11: '../x' is not a plain name.",
               damaged + "line 23: 'a/b' is not a plain name.",
               damaged + "line 2 is longer than 64 KB.", damaged + "it is larger than 1 MB."}));
}

// Relative paths are read against the project file's folder; a file of the two header lines
// is an empty project; a file older than the output-folder, quality and edge lines runs as
// those files were run, whatever the window held before.
TEST_F(ProjectFileTest, RelativePathsHeaderOnlyAndOlderFilesLoad) {
    ASSERT_TRUE(load("#OVT Project File\r\n#----------------\r\n"));
    EXPECT_EQ(app.statusText(),
              "Project file " + (dir / "project.ovt") + " was loaded successfully!");
    EXPECT_EQ(app.settings.tilesFolder, "");
    Lines lines = usableLines();
    lines[2] = "1";           // line 4: a batch
    lines[3] = "tiles";       // line 5
    lines[4] = "a,../b,/c,";  // line 6
    lines[6] = "./out/";      // line 8
    app.settings.outputFolder = "/elsewhere";
    app.settings.jpegQuality = 75;
    app.settings.exactEdges = true;
    ASSERT_TRUE(load(projectFile(lines)));
    const std::string parent = dir.path().parent_path().string();
    EXPECT_EQ(app.settings.tilesFolder, dir / "tiles");
    EXPECT_EQ(app.settings.batchFolders, (Lines{dir / "a", parent + "/b", "/c"}));
    EXPECT_EQ(app.settings.kmlFolder, dir / "out");
    EXPECT_EQ(app.settings.outputFolder, "");
    EXPECT_EQ(app.settings.jpegQuality, 100);
    EXPECT_FALSE(app.settings.exactEdges);
    lines.resize(30, "");
    lines[29] = "101";  // line 31
    EXPECT_FALSE(load(projectFile(lines)));
    EXPECT_EQ(host.messageTexts(), (Lines{"380 Invalid property value: the JPEG quality '101' is "
                                          "not a whole number from 1 to 100"}));
}

TEST_F(ProjectFileTest, EmptyMultiResolutionLineEmptiesBothLists) {
    Lines lines = usableLines();
    lines[25] = "/hi/a.tif,";  // line 27 adds an image ...
    lines[26] = "";            // ... and an empty line 28 empties both lists
    ASSERT_TRUE(load(projectFile(lines)));
    EXPECT_TRUE(app.settings.multiResolutionImages.empty());
    EXPECT_TRUE(app.settings.multiResolutionFolders.empty());

    lines[25] = "";          // line 27 empty
    lines[26] = "/hi,/lo,";  // line 28 then names folders: they go to the folder list alone
    lines[24] = "1";         // multi-resolution on, so the lists are kept after loading
    ASSERT_TRUE(load(projectFile(lines)));
    EXPECT_TRUE(app.settings.multiResolutionImages.empty());
    EXPECT_EQ(app.settings.multiResolutionFolders, (Lines{"/hi", "/lo"}));
}

TEST_F(ProjectFileTest, BadCheckFormatOrColourLineStopsLoadingWithItsError) {
    // Line 3 holds 7: loading stops there, the error is shown, success is not reported.
    Lines lines = usableLines(), badFormat = usableLines(), badColour = usableLines();
    lines[0] = "/keep.jpg";
    lines[1] = "7";
    lines[2] = "1";
    lines[3] = "/never";
    EXPECT_FALSE(load(projectFile(lines)));
    EXPECT_EQ(app.settings.projectImage, "/keep.jpg");
    EXPECT_FALSE(app.settings.multipleFolders);
    EXPECT_EQ(app.settings.tilesFolder, "");
    EXPECT_EQ(app.statusText(), "Status...");
    badFormat[15] = "BMP";  // line 17
    badColour[17] = "red";  // line 19
    EXPECT_FALSE(load(projectFile(badFormat)));
    EXPECT_FALSE(load(projectFile(badColour)));
    EXPECT_EQ(host.messageTexts(), (Lines{"380 Invalid property value",
                                          "380 Invalid property value: the output format 'BMP' "
                                          "is none of GIF, JPG, PNG and TIF",
                                          "13 Type mismatch"}));
}

TEST_F(ProjectFileTest, SaveAsAsksBeforeOverwritingAndFailuresAreReported) {
    // A file that cannot be read or written is reported, not claimed loaded or saved.
    EXPECT_FALSE(loadProjectFile(app, dir / "none.ovt"));
    EXPECT_FALSE(writeProjectFile(app, dir / "no-such-folder/p.ovt"));
    EXPECT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(app.statusText(), "");
    const std::string path = dir / "exists.ovt";
    testing::writeFile(path, "old");
    host.fileAnswers = {path, path};
    host.yesNoAnswers = {false, true};
    saveProjectAs(app);
    EXPECT_EQ(testing::readFile(path), "old");
    EXPECT_EQ(host.questions, (std::vector<FakeHost::Message>{
                                  {"The Target Project already Exists. Do you want to overwrite ?",
                                   "OVT Project already Exists"}}));
    EXPECT_EQ(app.settings.projectFile, "");
    saveProjectAs(app);
    EXPECT_EQ(app.settings.projectFile, path);
    // Save writes to the chosen file without asking again.
    app.settings.projectName = "Again";
    saveProject(app);
    EXPECT_EQ(host.questions.size(), 2u);
    EXPECT_NE(testing::readFile(path).find("\r\nAgain\r\n"), std::string::npos);

    // What would not read back as it was is not saved, and the file stays as it was.
    for (const Lines& folders : {Lines{"/a,b"}, Lines{"/a\nb"}}) {
        app.settings.batchFolders = folders;
        EXPECT_FALSE(writeProjectFile(app, path));
    }
    EXPECT_EQ(host.messageTexts().back(),
              "The project cannot be saved to " + path + ": line 6: '/a\nb' holds a line break.");
    EXPECT_NE(testing::readFile(path).find("\r\nAgain\r\n"), std::string::npos);
}

}  // namespace
}  // namespace orvanta
