#include "kml/kml_plan.h"

#include <array>
#include <map>

#include "kml/fragments.h"
#include "platform/os_services.h"
#include "platform/path_names.h"

namespace orvanta {
namespace {

// The pictures of the cells of one tile, by path: the file name to link (empty when the
// cell's folder holds none), and whether the cell is shown: it or a cell below it has a
// picture, or empty cells are not left out.
struct CellPictures {
    std::map<std::array<int, 4>, std::string> found;
    std::map<std::array<int, 4>, bool> anyBelow;

    const std::string& of(const QuadPath& path) const { return found.at(path.digits); }
    bool shown(const QuadPath& path) const { return anyBelow.at(path.digits); }
};

// The square of tile pixels that the cell of `path` shows.
struct CellSquare {
    int x = 0, y = 0, size = 0;
};
CellSquare squareOf(const QuadPath& path, int tileSize) {
    CellSquare square{0, 0, tileSize};
    for (int i = 0; i < path.depth(); ++i) {
        square.size /= 2;
        square.x += (path.digits[i] - 1) % 2 * square.size;
        square.y += (path.digits[i] - 1) / 2 * square.size;
    }
    return square;
}

// The part of the cell's picture that shows the globe; nothing when the cell lies off it.
std::optional<PictureCut> cellCut(const KmlTreeOptions& options, const KmlTile& tile,
                                  const QuadPath& path) {
    const CellSquare square = squareOf(path, options.layout->size);
    return globeCut(tile.globe, square.x, square.y, square.size);
}

// The parts of a tree that every file of one tile shares.
struct TileContext {
    const KmlTreeOptions& options;
    const KmlTile& tile;
    const CellPictures& pictures;

    const KmlTreeLayout& layout() const { return *options.layout; }
    TreeFolder kmlFolder(int level) const { return layout().kmlFolder[level - 1]; }
    TreeFolder pictureFolder(int level) const { return layout().pictureFolder[level - 1]; }

    FadePair fade(int level) const {
        return fadePairFor(level >= layout().settingFadeFrom, options.order);
    }
    std::string kmlName(const QuadPath& path) const { return tile.name + path.kmlSuffix(); }
    // The box the cell of `path`, on the globe, shows of `bounds`, its box before the cut.
    LatLonBounds onGlobe(const LatLonBounds& bounds, const QuadPath& path) const {
        return cutBounds(bounds, cellCut(options, tile, path).value(), kTilePictureSize,
                         tile.bounds.west.value());
    }
    // The href of the file of `path` in the file of `from`.
    std::string kmlHref(const QuadPath& path, const QuadPath& from) const {
        const int level = path.depth() + 1;
        return treeHref(options.root, kmlFolder(level), options.url, linksFrom(from),
                        "kml/" + kmlName(path) + ".kml");
    }
    std::string kmlFolderPath(const QuadPath& path) const {
        return treeFolderPath(options.root, kmlFolder(path.depth() + 1)) + kPathSeparator + "kml";
    }
    std::string kmlPath(const QuadPath& path) const {
        return kmlFolderPath(path) + kPathSeparator + kmlName(path) + ".kml";
    }
    // Where the links of the file of `path` start from; empty for absolute links.
    std::string linksFrom(const QuadPath& path) const {
        return options.relativeLinks ? kmlFolderPath(path) : std::string();
    }
};

// The Region bounds of a cell before the cut to the globe: the tile's own at level 1, one
// quadrant step at level 2 (so the tile's world-file edges keep their text), the cell-edge
// functions further down.
LatLonBounds wholeBoundsOf(const TileContext& context, const QuadPath& path) {
    const int level = path.depth() + 1;
    if (level == 1)
        return context.tile.bounds;
    if (level == 2)
        return QuadrantBounds(context.tile.bounds, path.digits[0]);
    return CellBounds(path, context.tile.bounds);
}

LatLonBounds boundsOf(const TileContext& context, const QuadPath& path) {
    return context.onGlobe(wholeBoundsOf(context, path), path);
}

// The bounds of a link out of a file: the links of a level-2 file take one quadrant step
// from their parent's bounds before the cut, like level 2 itself.
LatLonBounds childBounds(const TileContext& context, const QuadPath& parent, int q) {
    const QuadPath child = parent.child(q);
    if (parent.depth() <= 1)
        return context.onGlobe(QuadrantBounds(wholeBoundsOf(context, parent), q), child);
    return context.onGlobe(CellBounds(child, context.tile.bounds), child);
}

BoundsStyle styleAt(int level) {
    return level <= 2 ? BoundsStyle::Plain : BoundsStyle::Indented;
}

void writeLinks(KmlWriter& out, const TileContext& context, const QuadPath& path) {
    const int level = path.depth() + 1;
    for (int q = 1; q <= 4; ++q) {
        const QuadPath child = path.child(q);
        if (!context.pictures.shown(child))
            continue;
        const KmlLink link{context.kmlName(child), childBounds(context, path, q),
                           context.kmlHref(child, path)};
        if (level == 1) {
            writeTileLink(out, link, context.fade(level));
        } else {
            writeCellLink(
                out, link,
                CellLod{cellMinLodPixels(level + 1), context.fade(level), styleAt(level)});
        }
    }
}

// The cell's picture; nothing when its folder holds none.
void writeOverlay(KmlWriter& out, const TileContext& context, const QuadPath& path,
                  const LatLonBounds& bounds) {
    const int level = path.depth() + 1;
    const std::string& found = context.pictures.of(path);
    if (found.empty())
        return;
    const std::string href = treeHref(context.options.root, context.pictureFolder(level),
                                      context.options.url, context.linksFrom(path), found);
    writeGroundOverlay(
        out, GroundOverlay{DrawOrder(context.options.order, level), href, bounds, styleAt(level)});
}

// The cell of `path` and, to the depth of the tree, the cells its file links.
TreeCell cellOf(const TileContext& context, const QuadPath& path) {
    const int level = path.depth() + 1;
    TreeCell cell;
    cell.level = level;
    cell.bounds = boundsOf(context, path);
    cell.minLodPixels =
        level == 1 ? topMinLodPixels(context.options.order) : cellMinLodPixels(level);
    cell.drawOrder = DrawOrder(context.options.order, level);
    cell.kmlFile = context.kmlPath(path);
    if (const std::string& found = context.pictures.of(path); !found.empty()) {
        cell.picture =
            joinPath(treeFolderPath(context.options.root, context.pictureFolder(level)), found);
    }
    for (int q = 1; q <= 4 && level < context.layout().depth; ++q) {
        if (context.pictures.shown(path.child(q)))
            cell.children.push_back(cellOf(context, path.child(q)));
    }
    return cell;
}

KmlFile cellFile(const TileContext& context, const QuadPath& path) {
    const int level = path.depth() + 1;
    const LatLonBounds bounds = boundsOf(context, path);
    KmlWriter out;
    writeHeader(out, false);
    if (level == 1) {
        writeTileRegion(out, bounds, context.options.order, context.fade(level));
    } else {
        writeCellRegion(out, bounds,
                        CellLod{cellMinLodPixels(level), context.fade(level), styleAt(level)});
    }
    if (level < context.layout().depth)
        writeLinks(out, context, path);
    if (level >= 2)
        writeDocumentName(out, context.tile.name + path.pictureSuffix());
    writeOverlay(out, context, path, bounds);
    writeFooter(out);
    return KmlFile{context.kmlPath(path), out.text()};
}

// The order the root document's Lod follows.
DisplayOrder rootLodOrder(const KmlTreeOptions& options) {
    return options.layout->rootLodFollowsOrder ? options.order : DisplayOrder::Low;
}

// Every path of `depth` digits, in order.
std::vector<QuadPath> pathsOfDepth(int depth) {
    std::vector<QuadPath> paths{QuadPath{}};
    for (int d = 0; d < depth; ++d) {
        std::vector<QuadPath> next;
        for (const QuadPath& path : paths) {
            for (int q = 1; q <= 4; ++q)
                next.push_back(path.child(q));
        }
        paths = std::move(next);
    }
    return paths;
}

// The cell's picture in the tile's format; without one, PNG first. Empty when the folder
// holds none.
std::string findCellPicture(const KmlTreeOptions& options, const KmlTile& tile,
                            const QuadPath& path, const PictureLookup& findPicture) {
    const std::string folder =
        treeFolderPath(options.root, options.layout->pictureFolder[path.depth()]);
    const std::string picture = tile.name + path.pictureSuffix();
    if (!tile.pictureFormat.empty())
        return findPicture(folder, picture + "." + tile.pictureFormat);
    std::string found = findPicture(folder, picture + ".png");
    if (found.empty())
        found = findPicture(folder, picture + "." + options.pictureExtension);
    return found;
}

// Looks up the picture of every cell of the tile, the deepest level first.
CellPictures cellPictures(const KmlTreeOptions& options, const KmlTile& tile,
                          const PictureLookup& findPicture) {
    CellPictures pictures;
    const int depth = options.layout->depth;
    for (int level = depth; level >= 1; --level) {
        for (const QuadPath& path : pathsOfDepth(level - 1)) {
            const std::string found = findCellPicture(options, tile, path, findPicture);
            bool any = !options.leaveOutEmptyCells || !found.empty();
            for (int q = 1; q <= 4 && level < depth; ++q)
                any = any || pictures.shown(path.child(q));
            pictures.found.emplace(path.digits, found);
            pictures.anyBelow.emplace(path.digits, any && cellCut(options, tile, path).has_value());
        }
    }
    return pictures;
}

}  // namespace

std::string rootKmlText(const KmlTreeOptions& options, const LatLonBounds& rootBounds,
                        const std::vector<KmlTile>& tiles) {
    const KmlTreeLayout& layout = *options.layout;
    KmlWriter out;
    writeHeader(out, true);
    writeRootDocument(out, options.imageName, rootBounds, rootLodOrder(options));
    const std::string linksFrom = options.relativeLinks ? options.rootFileFolder : std::string();
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        const KmlLink link{options.imageName + std::to_string(i),
                           shownTileBounds(options, tiles[i]).value(),
                           treeHref(options.root, layout.kmlFolder[0], options.url, linksFrom,
                                    "kml/" + tiles[i].name + ".kml")};
        writeRootLink(out, link, options.order);
    }
    writeFooter(out);
    return out.text();
}

TileKml tileKml(const KmlTreeOptions& options, const KmlTile& tile,
                const PictureLookup& findPicture) {
    const CellPictures pictures = cellPictures(options, tile, findPicture);
    const TileContext context{options, tile, pictures};
    TileKml kml{{}, cellOf(context, QuadPath{})};
    for (int depth = 0; depth < options.layout->depth; ++depth) {
        for (const QuadPath& path : pathsOfDepth(depth)) {
            // The root file links the tile's own file whatever it shows.
            if (depth == 0 || pictures.shown(path))
                kml.files.push_back(cellFile(context, path));
        }
    }
    return kml;
}

std::optional<LatLonBounds> shownTileBounds(const KmlTreeOptions& options, const KmlTile& tile) {
    const std::optional<PictureCut> cut = cellCut(options, tile, QuadPath{});
    if (!cut)
        return std::nullopt;
    return cutBounds(tile.bounds, *cut, kTilePictureSize, tile.bounds.west.value());
}

int rootMinLodPixels(const KmlTreeOptions& options) {
    return topMinLodPixels(rootLodOrder(options));
}

}  // namespace orvanta
