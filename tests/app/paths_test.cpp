#include "app/paths.h"

#include <gtest/gtest.h>

#include "platform/run_error.h"
#include "platform/os_services.h"

namespace orvanta {
namespace {

// Builds a path with the platform's separator from one written with "/".
std::string native(std::string path) {
    for (char& c : path) {
        if (c == '/')
            c = kPathSeparator;
    }
    return path;
}

TEST(PathFunctions, FileExtensionTakesTextAfterTheLastDotOfTheName) {
    EXPECT_EQ(GetFileExtension("x.JPG"), "JPG");
    EXPECT_EQ(GetFileExtension(native("a.b/c")), "");
    EXPECT_EQ(GetFileExtension(native("dir/file")), "");
    EXPECT_EQ(GetFileExtension(native("d.x/area.old.tif")), "tif");
    EXPECT_EQ(GetFileExtension("name."), "");
}

TEST(PathFunctions, ProjDirSplitsFolderAndBaseName) {
    ProjectSettings settings;
    EXPECT_EQ(GetProjDir(native("/maps/area.old.tif"), settings), native("/maps"));
    EXPECT_EQ(settings.kmlFolder, native("/maps"));
    EXPECT_EQ(settings.imageName, "area.old");
    // Without a folder nothing changes.
    EXPECT_EQ(GetProjDir("area.tif", settings), "");
    EXPECT_EQ(settings.kmlFolder, native("/maps"));
    EXPECT_EQ(settings.imageName, "area.old");
    // A name without its own dot is an invalid argument, raised after the folder is recorded.
    try {
        GetProjDir(native("/x.y/file"), settings);
        FAIL() << "no error raised";
    } catch (const RunError& error) {
        EXPECT_EQ(error.number(), errors::InvalidArgument);
    }
    EXPECT_EQ(settings.kmlFolder, native("/x.y"));
    EXPECT_THROW(GetProjDir(native("/maps/file"), settings), RunError);
}

TEST(PathFunctions, AddKmlPathRecordsTheFolderOnlyForMultiResolution) {
    ProjectSettings settings;
    settings.multiResolution = true;
    addkmlpath(native("/hi/a.tif"), settings);
    EXPECT_EQ(settings.multiResolutionFolders, std::vector<std::string>{native("/hi")});
    addkmlpath("a.tif", settings);
    EXPECT_EQ(settings.multiResolutionFolders.size(), 1u);
    settings.multiResolution = false;
    addkmlpath(native("/hi/a.tif"), settings);
    EXPECT_TRUE(settings.multiResolutionFolders.empty());
}

}  // namespace
}  // namespace orvanta
