#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace orvanta {

// One convert operation as an argument vector of the same form as a convert command line:
// the input file first, then the options, the output file last (without the program name).
struct ConvertCall {
    std::vector<std::string> args;

    const std::string& input() const { return args.front(); }
    const std::string& output() const { return args.back(); }
    bool operator==(const ConvertCall&) const = default;
};

// The files a convert operation writes: its output, or, for a crop into tiles, the four tiles
// numbered 0 to 3 row by row from the top left where the output's last "%d" stands.
std::vector<std::string> outputFiles(const ConvertCall& call);

// One step of tiling an image.
struct TileOp {
    enum class Kind { CreateFolder, WriteMarker, Convert, DeleteFile };
    Kind kind = Kind::Convert;
    std::string path;  // the folder, the marker file or the file to delete
    std::string text;  // the one line of a marker file
    ConvertCall call;  // a convert operation
    // The most memory in MiB the convert operation needs, when the plan knows the size of its
    // image; 0 when unknown.
    double memoryMb = 0;
    // Files and folders the step reads and writes (a deletion and a new folder count as
    // writes), and the earlier steps of the plan it must wait for.
    std::vector<std::string> reads, writes;
    std::vector<std::size_t> after;
};

// The ordered steps of one tiling stage. Each step records the earlier steps it depends on:
// those that make what it reads or the folder it writes into, and those that must read or
// write a file before this step writes or deletes it. Running the steps in order is always
// right; steps without a path between them may run at the same time.
class TilePlan {
  public:
    void createFolder(const std::string& path);
    void writeMarker(const std::string& path, const std::string& line);
    void convert(std::vector<std::string> args, double memoryMb = 0);
    void deleteFile(const std::string& path);
    // Adds the steps of `other` after these, with the dependencies between the two: images
    // that write the same files are still cut in order.
    void append(const TilePlan& other);
    // These steps without `files` among what they leave: a convert operation that writes
    // nothing else is left out, one that writes others too keeps them, and every one of
    // `files` is deleted after whatever writes it (an earlier run may have left it).
    TilePlan without(const std::vector<std::string>& files) const;

    const std::vector<TileOp>& ops() const { return ops_; }

  private:
    void add(TileOp op);
    std::vector<TileOp> ops_;
    // The steps that read, write or make each path so far, so that a step finds the steps it
    // waits for without looking at every earlier one.
    std::unordered_map<std::string, std::vector<std::size_t>> readers_, writers_, folderMakers_;
};

}  // namespace orvanta
