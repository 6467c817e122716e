#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/path_names.h"

namespace orvanta {

// The base name of an image file name: the name up to the first ".", followed by its own
// lower-cased extension, compared without regard to case ("a.b.JPG" gives "a.b").
std::string imageBaseName(const std::string& fileName);

// The directory tree of tiles and marker files under a tile root: Tgroup2 holds the two top
// levels of a 4096 image, Tgroup1 the levels of a 2048 image (or the 1024 pieces of a 4096
// image), Sgroup1 and Sgroup2 the two levels below. Every group folder has a `kml` folder for
// the KML files written over it (and for scratch pieces while tiling).
struct TileSet {
    std::string root;

    std::string kml() const { return joinPath(root, "kml"); }
    std::string tgroup1() const { return joinPath(root, "Tgroup1"); }
    std::string tgroup2() const { return joinPath(root, "Tgroup2"); }
    std::string sgroup1() const { return joinPath(tgroup1(), "Sgroup1"); }
    std::string sgroup2() const { return joinPath(tgroup1(), "Sgroup2"); }
    // The marker naming the picture format of the tiles.
    std::string formatMarker() const { return joinPath(root, "Tgroup1.txt"); }
};

// The marker file a group folder carries: Tgroup2.txt, Sgroup1.txt, Sgroup2.txt.
std::string groupMarker(const std::string& groupFolder);

// True when `fileName` is one of the pictures or KML files a tree names after `name`: the name,
// then any number of "_" and digits, then a picture or KML extension in any letter case.
bool namedAfter(const std::string& fileName, const std::string& name, bool pictures);

// Removes the files of the tree's group folders and kml folders (never the root itself, where
// a folder run's sources lie) that are named after one of `names` but are not in `keep` (full
// paths): what an earlier run made that this one no longer does. Pictures only with `pictures`,
// KML files always. Returns how many went.
int removeLeftovers(const TileSet& tiles, const std::vector<std::string>& names,
                    const std::set<std::string>& keep, bool pictures);

}  // namespace orvanta
