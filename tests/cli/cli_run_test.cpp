#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <thread>
#include <utility>

#include "magick/commands.h"
#include "support/kml_walk.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "support/test_images.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using testing::runProgram;
using testing::ScratchDir;

// Every file below `folder` but the KML files, with its size and modification time, to see
// that no source, world file or tile changed.
std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> snapshot(
    const std::string& folder) {
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() != ".kml")
            files[entry.path().string()] = {entry.file_size(), entry.last_write_time()};
    }
    return files;
}

int countFiles(const std::string& folder, const std::string& extension) {
    return static_cast<int>(
        std::count_if(fs::recursive_directory_iterator(folder), {},
                      [&](const auto& e) { return e.path().extension() == extension; }));
}

class CliRunTest : public ::testing::Test {
  protected:
    // A square JPEG tile with its world file.
    void tile(const std::string& folder, const std::string& name, int size, double west = 10) {
        fs::create_directories(folder);
        testing::makeImage(folder + "/" + name + ".jpg", size, size);
        testing::writeWorldFile(folder + "/" + name + ".jgw", 0.001, -0.001, west, 20);
    }

    testing::ProgramResult cli(std::vector<std::string> args) {
        args.insert(args.begin(), ORVANTA_CLI);
        return runProgram(args);
    }

    ScratchDir dir;
};

// The third image has no world file: --yes to the question leaves it out of tiles and KML.
TEST_F(CliRunTest, FolderOfTwo2048TilesGivesItsTreeAndLeavesOutTheUnreferencedImage) {
    const std::string folder = dir / "tiles";
    tile(folder, "a", 2048, 10);
    tile(folder, "b", 2048, 12.048);
    testing::makeImage(folder + "/c.jpg", 2048, 2048);
    const auto result = cli({"transform", folder, "--name", "Area", "--yes"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, folder + "/Area.kml\n");
    EXPECT_EQ(countFiles(folder + "/Tgroup1", ".JPG"), 2 * 85);
    EXPECT_EQ(countFiles(folder, ".kml"), 1 + 2 * 85);
    const testing::KmlTreeWalk walk = testing::walkKmlTree(folder + "/Area.kml");
    EXPECT_EQ(walk.files, 1 + 2 * 85);
    EXPECT_TRUE(walk.missing.empty()) << walk.missing.front();
    EXPECT_NE(result.err.find("\n0...10...20...30...40...50...60...70...80...90...100 - done.\n"
                              "Generating kml files...\nKML files were written successfully..."),
              std::string::npos)
        << result.err;
}

// --name names the top file of every kind of job: the one of a single image, and one over a
// pair that links both passes; the JPEG quality given (any from 1 to 100) reaches the tiles.
TEST_F(CliRunTest, NameNamesTheTopFileAndQualityReachesTheTiles) {
    tile(dir / "one", "a", 1024);
    tile(dir / "one", "b", 1024);
    const auto single =
        cli({"transform", dir / "one/a.jpg", "--name", "Europe", "--quality", "40"});
    EXPECT_EQ(single.out, dir / "one/Europe.kml\n") << single.err;
    EXPECT_TRUE(testing::walkKmlTree(dir / "one/Europe.kml").missing.empty());
    EXPECT_FALSE(fs::exists(dir / "one/a.kml"));
    EXPECT_EQ(runIdentify({"identify", "-format", "%Q", dir / "one/a/Tgroup1/Sgroup1/a.JPG"}),
              "40");

    const auto pair = cli({"multires", dir / "one/a.jpg", dir / "one/b.jpg", "--name", "Pair"});
    EXPECT_EQ(pair.out, dir / "one/Pair.kml\n") << pair.err;
    const testing::KmlTreeWalk walk = testing::walkKmlTree(dir / "one/Pair.kml");
    EXPECT_TRUE(walk.missing.empty());
    const std::string top = testing::readFile(dir / "one/Pair.kml");
    EXPECT_LT(top.find("<href>" + dir / "one/a.kml</href>"),
              top.find("<href>" + dir / "one/b.kml</href>"));
    EXPECT_NE(top.find("<href>" + dir / "one/b.kml</href>"), std::string::npos);
}

// Written into an output folder with relative links, the result still works after it was
// moved, and packs into one file; the input folder gains nothing.
TEST_F(CliRunTest, RelativeLinksResolveAfterTheTreeIsMoved) {
    tile(dir / "input", "area", 2048);
    const auto input = snapshot(dir / "input");
    const std::string kmz = dir / "area.kmz";
    const auto result = cli({"transform", dir / "input/area.jpg", "--output", dir / "here",
                             "--relative-links", "--kmz", kmz});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, dir / "here/area.kml\n" + kmz + "\n");
    EXPECT_EQ(snapshot(dir / "input"), input);  // the input is only read
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "input"), {}), 2);
    fs::rename(dir / "here", dir / "there");
    const testing::KmlTreeWalk walk = testing::walkKmlTree(dir / "there/area.kml");
    EXPECT_EQ(walk.files, 1 + 85);
    EXPECT_EQ(walk.overlays, 85);
    EXPECT_TRUE(walk.missing.empty()) << walk.missing.front();
    // Another super-overlay reader opens the moved tree and the packed file alike.
    for (const std::string& top : {dir / "there/area.kml", kmz}) {
        const auto info = runProgram({"gdalinfo", top});
        EXPECT_NE(info.out.find("Size is 2048, 2048"), std::string::npos) << info.out << info.err;
        EXPECT_NE(info.out.find("Pixel Size = (0.001000000000000,-0.001000000000000)"),
                  std::string::npos);
    }
}

// Transparent parts that JPG tiles would turn black are warned of once; PNG tiles keep them.
TEST_F(CliRunTest, TransparencyThatTheTilesCannotHoldIsWarnedOfOnce) {
    tile(dir / "alpha", "a", 1024);
    runConvert({"convert", "-size", "1024x1024", "xc:none", "PNG32:" + dir / "alpha/a.png"});
    fs::rename(dir / "alpha/a.jgw", dir / "alpha/a.pgw");
    fs::remove(dir / "alpha/a.jpg");
    const std::string warning = "a.png has transparent parts, but JPG tiles cannot hold them";
    const auto jpg = cli({"transform", dir / "alpha/a.png"});
    EXPECT_EQ(jpg.exitStatus, 0) << jpg.err;
    const std::size_t at = jpg.err.find(warning);
    EXPECT_NE(at, std::string::npos) << jpg.err;
    EXPECT_EQ(jpg.err.find(warning, at + 1), std::string::npos);
    EXPECT_EQ(cli({"transform", dir / "alpha/a.png", "--format", "PNG"}).err.find(warning),
              std::string::npos);
}

TEST_F(CliRunTest, SavedProjectRegeneratesTheSameKmlWithoutTouchingTiles) {
    const std::string folder = dir / "one";
    tile(folder, "area", 1024);
    const std::string project = dir / "x.ovt";
    const std::string program = dir / "earth", marker = dir / "started";
    testing::writeFile(program, "#!/bin/sh\ntouch '" + marker + "'\n");
    fs::permissions(program, fs::perms::owner_all);
    const auto first = cli({"transform", folder + "/area.jpg", "--order", "HIGH", "--google-earth",
                            program, "--save-project", project});
    ASSERT_EQ(first.exitStatus, 0) << first.err;
    EXPECT_EQ(first.out, folder + "/area.kml\n");
    const std::string kml = folder + "/area/kml/area.kml";
    const std::string before = testing::readFile(kml);
    const auto tiles = snapshot(folder + "/area/Tgroup1");
    fs::remove(kml);

    const auto again = cli({"regenerate", "--project", project});
    EXPECT_EQ(again.exitStatus, 0) << again.err;
    EXPECT_EQ(testing::readFile(kml), before);
    EXPECT_EQ(snapshot(folder + "/area/Tgroup1"), tiles);

    // The program the project names is never started, only the person's own.
    const auto opened = cli({"open", project});
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(fs::exists(marker));
    EXPECT_NE(opened.err.find("only the program of your own settings"), std::string::npos);
}

TEST_F(CliRunTest, BatchStartsGoogleEarthOnceOnTheTopFile) {
    tile(dir / "A", "west", 1024, 10);
    tile(dir / "B", "east", 1024, 5);
    const std::string log = dir / "started.log";
    const std::string program = dir / "earth";
    testing::writeFile(program, "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$1\" >> '" + log + "'\n");
    fs::permissions(program, fs::perms::owner_all);
    const auto result = cli({"batch", dir / "A", dir / "B", "--name", "Area", "--open",
                             "--google-earth", program, "--kml-folder", dir.path().string()});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, dir / "Area.kml\n");
    for (int wait = 0; wait < 100 && !fs::exists(log); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(testing::readFile(log), "1|" + dir / "Area.kml\n");

    // A Google Earth that cannot start does not hide the files written.
    const auto failed = cli({"batch", dir / "A", dir / "B", "--name", "Area", "--open",
                             "--google-earth", dir / "none", "--kml-folder", dir.path().string()});
    EXPECT_EQ(failed.exitStatus, 1);
    EXPECT_EQ(failed.out, dir / "Area.kml\n");
    EXPECT_NE(failed.err.find("53 File not found: " + dir / "none"), std::string::npos);
}

TEST_F(CliRunTest, RefusedInputsEndWithTheirMessageAndChangeNothing) {
    fs::create_directories(dir / "empty");
    tile(dir / "mixed", "a", 1024);
    tile(dir / "mixed", "b", 2048);
    tile(dir / "unreferenced", "a", 1024);
    fs::remove(dir / "unreferenced/a.jgw");
    tile(dir / "utm", "a", 1024, 500000);
    tile(dir / "odd", "a", 1000);
    tile(dir / "good", "a", 1024);
    tile(dir / "pair", "a", 1024);
    fs::copy_file(dir / "pair/a.jpg", dir / "pair/a.png");
    fs::copy_file(dir / "pair/a.jgw", dir / "pair/a.pgw");
    // Lines 6 on are missing: they keep the values of an empty project.
    testing::writeFile(dir / "gone.ovt",
                       "#OVT Project File\r\n#----------------\r\n\r\n0\r\n0\r\n" + dir / "gone");
    testing::writeFile(dir / "header.ovt", "#OVT Project File\r\n#----------------\r\n");
    // Padded to 4096 pixels, the pieces of the whole-earth sample would reach beyond the globe.
    for (const char* name : {"earth.jpg", "earth.jgw"})
        fs::copy_file(std::string(ORVANTA_SOURCE_DIR) + "/samples/earth/" + name, dir / name);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"transform", dir / "empty"}, "holds no images"},
        {{"transform", dir / "missing"}, "does not exist"},
        {{"transform", dir / "mixed"}, "Sizes found: 1024x1024: a.jpg; 2048x2048: b.jpg.\n"},
        {{"transform", dir / "unreferenced"}, "does not contain any reference 'world file'"},
        {{"transform", dir / "utm/a.jpg"}, "is not using 'WGS84 Datum Projection'"},
        {{"transform", dir / "odd/a.jpg"},
         "to be sliced! It is 1000x1000 pixels. An image of any other size is tiled with "
         "'orvanta-cli large IMAGE', which cuts it into 4096 pieces first.\n"},
        {{"multires", dir / "good/a.jpg", dir / "odd/a.jpg"}, "This image could not be tiled."},
        {{"multires", dir / "pair/a.jpg", dir / "pair/a.png"}, "would write the same tiles"},
        {{"batch", dir / "good", dir / "utm"}, "not using 'WGS84 Datum Projection'"},
        {{"run", dir / "gone.ovt"}, "which does not exist"},
        {{"open", dir / "header.ovt"}, "names no image or folder"},
        {{"run", "/dev/zero"}, "/dev/zero is damaged: line 0 is longer than 64 KB."},
        {{"large", dir / "earth.jpg", "--no"}, "stopped at a question answered No"},
        {{"large", dir / "earth.jpg"}, "(no terminal to answer on: --yes answers Yes)"},
    };
    const auto before = snapshot(dir.path().string());
    for (const auto& [args, message] : cases) {
        const auto result = cli(args);
        EXPECT_EQ(result.exitStatus, 1) << args[1] << "\n" << result.err;
        EXPECT_EQ(result.out, "") << args[1];
        EXPECT_NE(result.err.find(message), std::string::npos) << args[1] << "\n" << result.err;
        // Messages carry the command line's one prefix; no idle status follows the refusal.
        EXPECT_EQ(result.err.find("Orvanta: "), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find("Status..."), std::string::npos) << result.err;
    }
    EXPECT_EQ(snapshot(dir.path().string()), before);
    EXPECT_FALSE(fs::exists(dir / "earthL"));  // nor a folder
}

// A project saved after a run reopens it from anywhere: its output folder is kept, a relative
// folder given on the command line is stored absolute, and relative lines are read against the
// project file's own folder. Reading a project that never ends can be stopped.
TEST_F(CliRunTest, SavedProjectsReopenWhatWasRunFromAnywhere) {
    tile(dir / "in", "area", 1024);
    const std::string out = dir / "O", project = dir / "p.ovt";
    ASSERT_EQ(cli({"transform", dir / "in/area.jpg", "--output", out, "--save-project", project})
                  .exitStatus,
              0);
    fs::remove_all(out);
    const auto run = cli({"run", project});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, out + "/area.kml\n");
    EXPECT_FALSE(fs::exists(dir / "in/area"));
    EXPECT_EQ(cli({"open", project, "--google-earth", "/bin/true"}).exitStatus, 0);

    tile(dir / "A", "west", 1024, 10);
    tile(dir / "B", "east", 1024, 5);
    fs::create_directories(dir / "rel/dir");
    // Run from the scratch folder, so that rel/dir is relative to it.
    const auto inFolder = [&](std::vector<std::string> args) {
        args.insert(args.begin(),
                    {"sh", "-c", "cd \"$0\" && exec \"$@\"", dir.path().string(), ORVANTA_CLI});
        return runProgram(args);
    };
    ASSERT_EQ(inFolder({"batch", "A", "B", "--kml-folder", "rel/dir", "--save-project", "b.ovt"})
                  .exitStatus,
              0);
    std::string text = testing::readFile(dir / "b.ovt");
    for (std::size_t at; (at = text.find(dir / "")) != std::string::npos;)
        text.erase(at, (dir / "").size());
    testing::writeFile(dir / "relative.ovt", text);
    for (const std::string saved : {"b.ovt", "relative.ovt"}) {
        fs::remove(dir / "rel/dir/Default.kml");
        const auto again = cli({"regenerate", "--project", dir / saved});
        EXPECT_EQ(again.exitStatus, 0) << again.err;
        EXPECT_EQ(again.out, dir / "rel/dir/Default.kml\n");
    }

    // A project that gives nothing and never ends is read until SIGTERM, which cancels; the
    // signal comes once the program has the file open.
    const auto silent = runProgram(
        {"sh", "-c",
         "mkfifo \"$0\" && exec 3<>\"$0\" && { \"$1\" run \"$0\" 3>&- & pid=$!; "
         "for i in $(seq 600); do ls -l /proc/$pid/fd | grep -q -- \"$0\" && break; sleep 0.05; "
         "done; kill -TERM $pid; (sleep 30; kill -KILL $pid) >/dev/null 2>&1 & guard=$!; "
         "wait $pid; status=$?; kill $guard; echo $status; }",
         dir / "fifo", ORVANTA_CLI});
    EXPECT_EQ(silent.out, "130\n") << silent.err;
}

// A world file that cannot place the image is refused before any work, with the program's own
// text first and then the file, line and value; an unreadable one is told as unreadable. The
// WGS84 test is of the upper-left pixel: its limits pass.
TEST_F(CliRunTest, WorldFileRefusalsGiveTheProgramsTextThenTheLine) {
    tile(dir / "one", "t", 1024);
    const std::string world = dir / "one/t.jgw";
    const std::string notWgs84 = "The Selected image is not using 'WGS84 Datum Projection'. ";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"inf\n0\n0\n-0.001\n10\n50\n", "Line 1 of the world file '" + world + "'"},
        {"0.001\n0\n0\n-0.001\n180.0001\n0\n", "Lines 5 and 6 of the world file '" + world},
        {"30\n0\n0\n-30\n500000\n4649776\n", "must first be warped to WGS84 latitude/longitude"},
        {"", "The world file '" + world + "' cannot be read: Input/output error."},
    };
    for (const auto& [text, message] : cases) {
        fs::remove(world);
        if (text.empty())
            fs::create_symlink("/proc/self/mem", world);  // unreadable, even to root
        else
            testing::writeFile(world, text);
        for (const char* command : {"transform", "info"}) {
            const auto result = cli({command, dir / "one/t.jpg"});
            EXPECT_EQ(result.exitStatus, 1) << command << " " << text;
            EXPECT_NE(result.err.find(message), std::string::npos) << command << "\n" << result.err;
            EXPECT_EQ(result.err.find(notWgs84) != std::string::npos, !text.empty()) << result.err;
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(dir / "one"), {}), 2) << text;
    }
    fs::remove(world);
    testing::writeFile(world, "0.001\n0\n0\n-0.001\n180\n-90\n");
    EXPECT_EQ(cli({"info", dir / "one/t.jpg"}).exitStatus, 0);
    // Every image of a folder is checked; a byte-order mark is no part of the first number.
    tile(dir / "two", "a", 1024);
    tile(dir / "two", "b", 1024);
    testing::writeFile(dir / "two/b.jgw", "0.001\n0\n0\n-0.001\n10\n1e309\n");
    auto result = cli({"transform", dir / "two"});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("There are images in the selected folder not using 'WGS84 Datum "
                              "Projection'. Google Earth requires"),
              std::string::npos);
    EXPECT_NE(result.err.find("Line 6 of the world file '" + dir / "two/b.jgw"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "two"), {}), 4);
    testing::writeFile(world,
                       "\xEF\xBB\xBF"
                       "0.001\n0\n0\n-0.001\n10\n50\n");
    result = cli({"transform", dir / "one/t.jpg"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
}

// The forms GIS tools write tile like the program's own: a .wld or .jpgw world file, a .jpeg
// image, each gives the same tree byte for byte.
TEST_F(CliRunTest, WorldFilesAndImagesOfEveryCommonNameTileAlike) {
    tile(dir / "in", "t", 1024);
    std::map<std::string, std::string> first;
    std::string image = "t.jpg", world = "t.jgw";
    for (const auto& [nextImage, nextWorld] : std::vector<std::pair<std::string, std::string>>{
             {"t.jpg", "t.jgw"}, {"t.jpg", "t.wld"}, {"t.jpg", "t.jpgw"}, {"t.jpeg", "t.jgw"}}) {
        fs::rename(dir / ("in/" + image), dir / ("in/" + nextImage));
        fs::rename(dir / ("in/" + world), dir / ("in/" + nextWorld));
        image = nextImage;
        world = nextWorld;
        fs::remove_all(dir / "out");
        const auto result = cli({"transform", dir / ("in/" + image), "--output", dir / "out"});
        ASSERT_EQ(result.exitStatus, 0) << image << " " << world << "\n" << result.err;
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir / "out")) {
            if (entry.is_regular_file())
                files[entry.path().string()] = testing::readFile(entry.path().string());
        }
        if (first.empty())
            first = files;
        EXPECT_TRUE(files == first) << image << " " << world;
    }
}

// Tiles show in any viewer as the source's first frame, in its stored pixel order: animations
// give no extra tiles, CMYK sources give sRGB tiles, an EXIF orientation is not copied, and a
// '%' in a name is no frame-number pattern.
TEST_F(CliRunTest, TilesAreTheFirstFrameInSrgbUnturnedWhateverTheSourceAndName) {
    const std::string folder = dir / "mixed";
    tile(folder, "exif", 1024);
    tile(folder, "cmyk", 1024);
    tile(folder, "pct", 1024);
    for (const char* extension : {".jpg", ".jgw"})
        fs::rename(folder + "/pct" + extension, folder + "/50%d" + extension);
    runConvert(
        {"convert", "-size", "1024x1024", "xc:navy", "-colorspace", "CMYK", folder + "/cmyk.jpg"});
    runConvert({"convert", "-size", "1024x1024", "xc:red", "xc:lime", "xc:blue", "-adjoin",
                dir / "a.gif"});
    fs::rename(dir / "a.gif", folder + "/anim.gif");
    fs::copy_file(folder + "/cmyk.jgw", folder + "/anim.gfw");
    // An APP1 segment holding an EXIF orientation of 6 (turn right), after the JPEG's start.
    const std::string exif(
        "Exif\0\0MM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0", 32);
    std::string jpeg = testing::readFile(folder + "/exif.jpg");
    jpeg.insert(2, "\xFF\xE1" + std::string{'\0', static_cast<char>(exif.size() + 2)} + exif);
    testing::writeFile(folder + "/exif.jpg", jpeg);
    ASSERT_EQ(runIdentify({"identify", "-format", "%[orientation]", folder + "/exif.jpg"}),
              "RightTop");

    const auto result = cli({"transform", folder, "--format", "TIF"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(countFiles(folder + "/Tgroup1", ".TIF"), 4 * 21);
    const std::string level0 = folder + "/Tgroup1/Sgroup1/";
    EXPECT_EQ(testing::pixelColour(level0 + "anim.TIF", 10, 10), "255,0,0,255");
    EXPECT_TRUE(fs::exists(level0 + "50%d_3_3.TIF"));
    for (const char* name : {"exif", "cmyk", "anim", "50%d"}) {
        EXPECT_EQ(runIdentify({"identify", "-format", "%[colorspace] %[orientation]",
                               commandFileName(level0 + name + "_0.TIF")}),
                  "sRGB TopLeft")
            << name;
    }
}

}  // namespace
}  // namespace orvanta
