#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/console_host.h"
#include "platform/file_list.h"
#include "platform/file_lookup.h"
#include "platform/folder_lock.h"
#include "platform/large_pages.h"
#include "platform/os_services.h"
#include "platform/process.h"
#include "platform/run_error.h"
#include "platform/text_file.h"
#include "support/scratch_dir.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::ScratchDir;
using testing::writeFile;

TEST(FixedDisks, LocalDiskMountsInListingOrderAndRootAlwaysOffered) {
    const std::string table =
        "/dev/sda1 / ext4 rw 0 0\n"
        "proc /proc proc rw 0 0\n"
        "/dev/sdb1 /data xfs rw 0 0\n"
        "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
        "server:/x /net nfs rw 0 0\n"
        "/dev/sdc1 /mnt/my\\040disk vfat rw 0 0\n"
        "/dev/sdb1 /data xfs rw 0 0\n"
        "/dev/loop0 /snap/core squashfs ro 0 0\n";
    EXPECT_EQ(fixedDisksFromMountTable(table),
              (std::vector<std::string>{"/", "/data", "/mnt/my disk"}));
    EXPECT_EQ(fixedDisksFromMountTable("overlay / overlay rw 0 0\n/dev/vda1 /work ext4 rw 0 0\n"),
              (std::vector<std::string>{"/", "/work"}));
    EXPECT_FALSE(fixedDisks().empty());
}

TEST(MachineFigures, MemoryDiskAndProgramFolderAreKnown) {
    const MemoryFigures memory = physicalMemory();
    EXPECT_GT(memory.totalBytes, 0u);
    EXPECT_LE(memory.freeBytes, memory.totalBytes);
    EXPECT_TRUE(freeDiskSpace("/").has_value());
    EXPECT_FALSE(freeDiskSpace("/no/such/mount").has_value());
    EXPECT_TRUE(std::filesystem::is_directory(programFolder()));
}

TEST(Processes, ArgumentsArePassedIntactAndNeverThroughAShell) {
    ScratchDir dir;
    const std::string marker = dir / "ran";
    const std::string hostile = "a b; touch " + marker + " $(touch " + marker + ")";
    // `test` succeeds only when it receives the text unchanged as one argument.
    EXPECT_EQ(runProgramAndWait({"test", hostile, "=", hostile}, std::chrono::seconds(10)), 0);
    EXPECT_FALSE(std::filesystem::exists(marker));
    EXPECT_EQ(runProgramAndWait({"false"}, std::chrono::seconds(10)), 1);
    EXPECT_EQ(runProgramAndWait({"/no/such/program"}, std::chrono::seconds(10)), std::nullopt);
    // A program past its time limit is ended.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runProgramAndWait({"sleep", "30"}, std::chrono::milliseconds(200)), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(Processes, StartingAMissingProgramIsFileNotFound) {
    try {
        startProgramDetached({"/no/such/earth", "x.kml"});
        FAIL() << "no error";
    } catch (const RunError& error) {
        EXPECT_EQ(error.number(), errors::FileNotFound);
        EXPECT_NE(error.description().find("/no/such/earth"), std::string::npos);
    }
    EXPECT_NO_THROW(startProgramDetached({"true"}));
    EXPECT_EQ(findProgram("sh").empty(), false);
    EXPECT_EQ(findProgram("no-such-program-here"), "");
}

TEST(TextFiles, LinesEndAtCrLfLfOrCr) {
    EXPECT_EQ(splitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(joinCrLf({"x", ""}), "x\r\n\r\n");
    ScratchDir dir;
    testing::writeFile(dir / "t.txt", "1\r\n2\n3\r4\r\n5");
    EXPECT_EQ(readTextLines(dir / "t.txt", 3), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(readTextLines(dir / "t.txt").size(), 5u);
    EXPECT_THROW(readTextLines(dir / "missing.txt"), RunError);
}

TEST(TextFiles, AtomicWriteReplacesWholeOrLeavesTheOldFile) {
    ScratchDir dir;
    const std::string path = dir / "out.txt";
    writeFileAtomically(path, "first");
    writeFileAtomically(path, "second");
    EXPECT_EQ(testing::readFile(path), "second");
    std::filesystem::permissions(
        dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (access(dir.path().c_str(), W_OK) != 0) {  // root may write anyway
        EXPECT_THROW(writeFileAtomically(path, "third"), RunError);
        EXPECT_EQ(testing::readFile(path), "second");
    }
    try {
        writeFileAtomically(dir / "missing/out.txt", "x");
        FAIL() << "no error";
    } catch (const RunError& error) {
        EXPECT_EQ(error.number(), errors::PathNotFound);
    }
}

TEST(FileLists, ImagesOfAFolderInCaseInsensitiveNameOrder) {
    ScratchDir dir;
    for (const char* name :
         {"b.JPG", "a.png", "_z.tif", "B.jpg", "c.gif", "d.bmp", "e.jpeg", "notes.txt"}) {
        testing::writeFile(dir / name, "x");
    }
    std::filesystem::create_directory(dir / "sub.jpg");
    EXPECT_EQ(listFiles(dir.path().string(), kImagePattern),
              (std::vector<std::string>{"_z.tif", "a.png", "B.jpg", "b.JPG", "c.gif", "e.jpeg"}));
    EXPECT_TRUE(listFiles(dir / "missing", kImagePattern).empty());
    EXPECT_TRUE(matchesPattern("X.TIF", "*.jpg;*.tif"));
    EXPECT_FALSE(matchesPattern("x.tiff", "*.jpg;*.tif"));
}

TEST(FileLists, DerivedNamesAreFoundWithoutRegardToCase) {
    ScratchDir dir;
    testing::writeFile(dir / "IMG.JGW", "1");
    EXPECT_EQ(findFileLoosely(dir / "IMG.JGW"), dir / "IMG.JGW");
    EXPECT_EQ(findFileLoosely(dir / "IMG.jgw"), dir / "IMG.JGW");
    EXPECT_EQ(findFileLoosely(dir / "img.pgw"), "");
    EXPECT_EQ(findFileLoosely(dir / "missing/IMG.jgw"), "");
}

// Every line the console writes of itself carries the program's prefix; the idle status text
// of a window that closed its project is not shown.
TEST(ConsoleHost, QuestionsAreAnsweredByThePresetOrNoAndEveryLineIsPrefixed) {
    std::FILE* input = std::tmpfile();
    std::FILE* output = std::tmpfile();
    ConsoleHost yes(true, input, output);
    EXPECT_TRUE(yes.askYesNo("Go on?", "Title", MessageIcon::Question));
    ConsoleHost none(std::nullopt, input, output);
    EXPECT_FALSE(none.askYesNo("Go on?", kAppTitle, MessageIcon::Question));
    none.messageBox("Something failed\nin two lines", kAppTitle);
    none.statusChanged(kIdleStatus);
    std::rewind(output);
    char buffer[256] = {};
    const std::size_t length = std::fread(buffer, 1, sizeof buffer - 1, output);
    EXPECT_EQ(std::string(buffer, length),
              "orvanta-cli: Title: Go on? [y/N] y\norvanta-cli: Go on? [y/N] n (no terminal to "
              "answer on: --yes answers Yes)\norvanta-cli: Something failed\norvanta-cli: in two "
              "lines\n");
    std::fclose(input);
    std::fclose(output);
}

// A lock file that is a link, a folder or a device refuses the run; one found is never written.
TEST(FolderLockFile, WhatIsNoLockFileOfOursIsRefusedOrLeftAsItWas) {
    testing::ScratchDir dir;
    writeFile(dir / "victim", "precious");
    const std::string lock = std::string("/") + kLockFileName;
    const auto plant = [&](const std::string& name, const auto& how) {
        fs::create_directory(dir / name);
        how(dir / name + lock);
        return dir / name;
    };
    for (const std::string& folder :
         {plant("link", [&](const std::string& at) { fs::create_symlink(dir / "victim", at); }),
          plant("folder", [](const std::string& at) { fs::create_directory(at); }),
          plant("fifo", [](const std::string& at) { mkfifo(at.c_str(), 0600); })}) {
        const FolderLock held(folder);
        EXPECT_FALSE(held.held());
        EXPECT_EQ(held.refusal().find("The lock file " + folder + lock + " is not a regular file"),
                  0u);
        EXPECT_TRUE(fs::exists(fs::symlink_status(folder + lock)));
    }
    const std::string hard =
        plant("hard", [&](const std::string& at) { fs::create_hard_link(dir / "victim", at); });
    {
        const FolderLock held(hard);
        EXPECT_TRUE(held.held());
        EXPECT_EQ(readFile(hard + lock), std::to_string(getpid()) + "\r\n");
    }
    EXPECT_FALSE(fs::exists(hard + lock));
    EXPECT_EQ(readFile(dir / "victim"), "precious");
    // A folder of the run that another user made a link is refused too.
    fs::create_directory_symlink(dir.path(), hard + "/Tgroup1");
    if (lchown((hard + "/Tgroup1").c_str(), 1, 1) == 0) {
        const FolderLock held(hard, {hard + "/kml", hard + "/Tgroup1"});
        EXPECT_EQ(held.refusal().find("The folder " + hard + "/Tgroup1 is a link that another"),
                  0u);
    }
}

// The restart with huge pages happens once, and never when the person set the tunable.
TEST(LargePages, RestartOnceAndOnlyWithoutThePersonsOwnChoice) {
    const std::string huge = "glibc.malloc.hugetlb=1";
    EXPECT_EQ(largePageTunables(nullptr, false), huge);
    EXPECT_EQ(largePageTunables("glibc.malloc.check=3", false), "glibc.malloc.check=3:" + huge);
    EXPECT_EQ(largePageTunables("glibc.malloc.hugetlb=0", false), std::nullopt);
    EXPECT_EQ(largePageTunables(nullptr, true), std::nullopt);
}

}  // namespace
}  // namespace orvanta
