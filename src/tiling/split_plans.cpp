#include "tiling/split_plans.h"

namespace orvanta {
namespace {

using Args = std::vector<std::string>;

// Joins argument groups into one vector.
Args concat(std::initializer_list<Args> groups) {
    Args all;
    for (const Args& group : groups)
        all.insert(all.end(), group.begin(), group.end());
    return all;
}

// The most memory in MiB a crop or a resize of an edge x edge image holds: the image and as
// many pixels again for its results, at 8 bytes a pixel (16-bit red, green, blue and alpha).
constexpr double operationMemoryMb(int edge) {
    return 2.0 * edge * edge * 8 / (1024.0 * 1024.0);
}

std::string piece(const std::string& folder, const std::string& name) {
    return joinPath(folder, name + ".JPG");
}

std::string tile(const std::string& folder, const std::string& name, const TileSwitches& s) {
    return joinPath(folder, name + "." + formatName(s.format));
}

std::string numbered(const std::string& name, int digit) {
    return name + "_" + std::to_string(digit);
}

// A group folder with its kml folder and its marker holding one blank.
void addGroup(TilePlan& plan, const std::string& folder) {
    plan.createFolder(folder);
    plan.createFolder(joinPath(folder, "kml"));
    plan.writeMarker(groupMarker(folder), " ");
}

// The root (for a single image), its scratch folder, Tgroup1 and the format marker.
void addRoot(TilePlan& plan, const TileSet& tiles, bool single, const std::string& format) {
    if (single)
        plan.createFolder(tiles.root);
    plan.createFolder(tiles.kml());
    plan.createFolder(tiles.tgroup1());
    plan.writeMarker(tiles.formatMarker(), format);
}

}  // namespace

std::vector<std::string> transparencyArgs(const TileSwitches& switches) {
    if (!switches.transparent)
        return {};
    if (switches.fuzzy)
        return {"-fuzz", std::to_string(kPaddingFuzzPercent) + "%", "-transparent",
                switches.colour.text()};
    return {"-transparent", switches.colour.text()};
}

std::vector<std::string> limitArgs(const TileSwitches& switches) {
    return {"-limit", "memory", std::to_string(switches.memoryMb) + "MiB",
            "-limit", "map",    "4096MiB"};
}

TilePlan start1024Plan(const TileSet& tiles, bool single, const std::string& format) {
    TilePlan plan;
    addRoot(plan, tiles, single, format);
    addGroup(plan, tiles.sgroup1());
    return plan;
}

TilePlan start1024PiecesPlan(const TileSet& tiles) {
    TilePlan plan;
    addGroup(plan, tiles.sgroup2());
    addGroup(plan, tiles.sgroup1());
    return plan;
}

TilePlan start2048Plan(const TileSet& tiles, bool single, const std::string& format) {
    TilePlan plan;
    addRoot(plan, tiles, single, format);
    addGroup(plan, tiles.sgroup2());
    addGroup(plan, tiles.sgroup1());
    return plan;
}

TilePlan start4096Plan(const TileSet& tiles, const std::string& format,
                       const std::string& nameMarker) {
    TilePlan plan;
    if (!nameMarker.empty()) {
        plan.createFolder(tiles.root);
        plan.writeMarker(nameMarker, " ");
    }
    addGroup(plan, tiles.tgroup2());
    plan.createFolder(tiles.tgroup1());
    plan.createFolder(joinPath(tiles.tgroup1(), "kml"));
    plan.writeMarker(tiles.formatMarker(), format);
    return plan;
}

TilePlan image1024Plan(const std::string& source, const std::string& name, const std::string& s1,
                       const std::string& s2, const TileSwitches& s) {
    const std::string scratch = joinPath(s1, "kml");
    const Args quality = {"-quality", std::to_string(s.quality)};
    const Args clear = transparencyArgs(s);
    TilePlan plan;
    plan.convert(concat({{source}, quality, {"-crop", "512x512"}, {piece(scratch, name + "_%d")}}));
    plan.convert(concat({{source}, quality, clear, {"-resize", "256x256"}, {tile(s1, name, s)}}));
    for (int q = 0; q < 4; ++q) {
        plan.convert(concat({{piece(scratch, numbered(name, q))},
                             clear,
                             {"-resize", "256x256"},
                             {tile(s1, numbered(name, q), s)}}));
    }
    for (int q = 0; q < 4; ++q) {
        plan.convert(concat({{piece(scratch, numbered(name, q))},
                             quality,
                             clear,
                             {"-crop", "256x256"},
                             {tile(s2, numbered(name, q) + "_%d", s)}}));
    }
    for (int q = 0; q < 4; ++q)
        plan.deleteFile(piece(scratch, numbered(name, q)));
    return plan;
}

TilePlan image2048Plan(const std::string& source, const std::string& name, const TileSet& tiles,
                       bool withWholeImage, const TileSwitches& s) {
    const std::string t1 = tiles.tgroup1(), s1 = tiles.sgroup1(), s2 = tiles.sgroup2();
    const std::string scratch = tiles.kml(), scratch512 = joinPath(s1, "kml");
    const Args quality = {"-quality", std::to_string(s.quality)};
    const Args clear = transparencyArgs(s);
    TilePlan plan;
    plan.convert(
        concat({{source}, quality, {"-crop", "1024x1024"}, {piece(scratch, name + "_%d")}}));
    if (withWholeImage) {
        plan.convert(
            concat({{source}, quality, clear, {"-resize", "256x256"}, {tile(t1, name, s)}}));
    }
    for (int q = 0; q < 4; ++q) {
        const std::string quarter = numbered(name, q);
        plan.convert(concat(
            {{piece(scratch, quarter)}, clear, {"-resize", "256x256"}, {tile(t1, quarter, s)}}));
        plan.convert(concat({{piece(scratch, quarter)},
                             quality,
                             {"-crop", "512x512"},
                             {piece(scratch512, quarter + "_%d")}}));
        for (int r = 0; r < 4; ++r) {
            const std::string cell = numbered(quarter, r);
            plan.convert(concat(
                {{piece(scratch512, cell)}, clear, {"-resize", "256x256"}, {tile(s1, cell, s)}}));
            plan.convert(concat({{piece(scratch512, cell)},
                                 clear,
                                 quality,
                                 {"-crop", "256x256"},
                                 {tile(s2, cell + "_%d", s)}}));
            plan.deleteFile(piece(scratch512, cell));
        }
    }
    for (int q = 0; q < 4; ++q)
        plan.deleteFile(piece(scratch, numbered(name, q)));
    return plan;
}

TilePlan image4096Plan(const std::string& source, const std::string& name, const TileSet& tiles,
                       const TileSwitches& s) {
    const std::string t1 = tiles.tgroup1(), t2 = tiles.tgroup2();
    const std::string scratch = joinPath(t2, "kml");
    const Args limits = limitArgs(s);
    const Args quality = {"-quality", std::to_string(s.quality)};
    const Args clear = transparencyArgs(s);
    TilePlan plan;
    plan.convert(
        concat({{source}, limits, quality, {"-crop", "2048x2048"}, {piece(scratch, name + "_%d")}}),
        operationMemoryMb(4096));
    plan.convert(
        concat({{source}, limits, quality, clear, {"-resize", "256x256"}, {tile(t2, name, s)}}),
        operationMemoryMb(4096));
    for (int q = 0; q < 4; ++q) {
        const std::string quarter = numbered(name, q);
        const std::string input = piece(scratch, quarter);
        plan.convert(
            concat(
                {{input}, limits, quality, {"-crop", "1024x1024"}, {piece(t1, quarter + "_%d")}}),
            operationMemoryMb(2048));
        plan.convert(
            concat(
                {{input}, limits, quality, clear, {"-resize", "256x256"}, {tile(t2, quarter, s)}}),
            operationMemoryMb(2048));
        plan.deleteFile(input);
    }
    return plan;
}

}  // namespace orvanta
