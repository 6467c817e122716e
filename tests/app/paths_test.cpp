#include "app/paths.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/os_services.h"
#include "platform/run_error.h"

namespace orvanta {
namespace {

// Builds a path with the platform's separator from one written with "/".
std::string native(std::string path) {
    std::replace(path.begin(), path.end(), '/', kPathSeparator);
    return path;
}

TEST(PathFunctions, FileExtensionTakesTextAfterTheLastDotOfTheName) {
    EXPECT_EQ(GetFileExtension("x.JPG"), "JPG");
    EXPECT_EQ(GetFileExtension(native("a.b/c")), "");
    EXPECT_EQ(GetFileExtension(native("d.x/area.old.tif")), "tif");
    EXPECT_EQ(GetFileExtension("name."), "");
}

TEST(PathFunctions, ProjDirSplitsFolderAndBaseName) {
    ProjectSettings settings;
    EXPECT_EQ(GetProjDir(native("/maps/area.old.tif"), settings), native("/maps"));
    EXPECT_EQ(settings.kmlFolder + " " + settings.imageName, native("/maps") + " area.old");
    // Without a folder nothing changes.
    EXPECT_EQ(GetProjDir("area.tif", settings), "");
    EXPECT_EQ(settings.kmlFolder + " " + settings.imageName, native("/maps") + " area.old");
    // A name without its own dot is an invalid argument, raised after the folder is recorded.
    EXPECT_THROW(GetProjDir(native("/x.y/file"), settings), RunError);
    EXPECT_EQ(settings.kmlFolder, native("/x.y"));
}

}  // namespace
}  // namespace orvanta
