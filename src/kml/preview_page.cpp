#include "kml/preview_page.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <optional>

#include "kml/kml_writer.h"
#include "kml/web_text.h"
#include "platform/os_services.h"
#include "platform/path_names.h"
#include "platform/run_error.h"
#include "platform/scratch_files.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;

// Where Debian's libjs-leaflet puts Leaflet.
constexpr const char* kSystemLeaflet = "/usr/share/javascript/leaflet";

// The files of Leaflet the page loads: the minified script under the plain name, the style
// sheet and the pictures the style sheet names.
struct LeafletFile {
    const char* from;
    const char* to;
};
constexpr LeafletFile kLeafletFiles[] = {
    {"leaflet.min.js", "leaflet.js"},
    {"leaflet.css", "leaflet.css"},
    {"images/layers.png", "images/layers.png"},
    {"images/layers-2x.png", "images/layers-2x.png"},
    {"images/marker-icon.png", "images/marker-icon.png"},
    {"images/marker-icon-2x.png", "images/marker-icon-2x.png"},
    {"images/marker-shadow.png", "images/marker-shadow.png"},
};

// A number as JSON writes it: the shortest text that reads back as the same double.
std::string jsonNumber(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string htmlText(const std::string& text) {
    std::string out;
    for (const char c : xmlText(text)) {
        if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    return out;
}

std::string boundsJson(const LatLonBounds& bounds) {
    return "\"n\":" + jsonNumber(bounds.north.value()) +
           ",\"s\":" + jsonNumber(bounds.south.value()) +
           ",\"e\":" + jsonNumber(bounds.east.value()) +
           ",\"w\":" + jsonNumber(bounds.west.value());
}

void appendCell(std::string& out, const TreeCell& cell, const std::string& pageFolder);

// A JSON array of cells.
void appendCells(std::string& out, const std::vector<TreeCell>& cells,
                 const std::string& pageFolder) {
    out += '[';
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out += ',';
        appendCell(out, cells[i], pageFolder);
    }
    out += ']';
}

void appendCell(std::string& out, const TreeCell& cell, const std::string& pageFolder) {
    out += "{\"level\":" + std::to_string(cell.level) +
           ",\"lod\":" + std::to_string(cell.minLodPixels) +
           ",\"z\":" + std::to_string(cell.drawOrder) + "," + boundsJson(cell.bounds) +
           ",\"picture\":";
    out += cell.picture.empty() ? "null"
                                : jsonString(strictUrlPath(relativeLink(cell.picture, pageFolder)));
    out += ",\"children\":";
    appendCells(out, cell.children, pageFolder);
    out += '}';
}

// What the header of the page counts.
struct Census {
    int levels = 0;
    int pictures = 0;
    int sources = 0;
};

void countCell(Census& census, const TreeCell& cell) {
    census.levels = std::max(census.levels, cell.level);
    census.pictures += cell.picture.empty() ? 0 : 1;
    for (const TreeCell& child : cell.children)
        countCell(census, child);
}

// The bounds of every tree that has tiles, as numbers; nothing when none has.
std::optional<LatLonBounds> allBounds(const std::vector<TreeIndex>& trees) {
    std::optional<LatLonBounds> all;
    for (const TreeIndex& tree : trees) {
        if (tree.tiles.empty())
            continue;
        const LatLonBounds& b = tree.bounds;
        if (!all) {
            all = LatLonBounds{
                CoordValue::number(b.north.value()), CoordValue::number(b.south.value()),
                CoordValue::number(b.east.value()), CoordValue::number(b.west.value())};
            continue;
        }
        all->north = CoordValue::number(std::max(all->north.value(), b.north.value()));
        all->south = CoordValue::number(std::min(all->south.value(), b.south.value()));
        all->east = CoordValue::number(std::max(all->east.value(), b.east.value()));
        all->west = CoordValue::number(std::min(all->west.value(), b.west.value()));
    }
    return all;
}

// The script of the page. It reads the index, keeps one picture overlay for every cell that
// the super-overlay rule shows in the current view, each in a pane stacked by its draw order,
// and draws a latitude/longitude graticule. The view is kept in the address ("#zoom/lat/lon")
// so that a view can be reopened.
constexpr const char* kScript = R"JS(
(function () {
  'use strict';
  var index = JSON.parse(document.getElementById('tree-index').textContent);
  var map = L.map('map', { crs: L.CRS.EPSG4326, zoomSnap: 0.25, minZoom: -1, maxZoom: 26 });
  L.control.scale().addTo(map);

  function boxOf(c) { return L.latLngBounds([c.s, c.w], [c.n, c.e]); }

  // The size of a box on the screen as a Region's Lod measures it: the square root of the
  // area it covers, in pixels.
  function pixelsAcross(c) {
    var a = map.latLngToContainerPoint([c.n, c.w]);
    var b = map.latLngToContainerPoint([c.s, c.e]);
    return Math.sqrt(Math.abs((b.x - a.x) * (b.y - a.y)));
  }

  function active(c, view) {
    return view.intersects(boxOf(c)) && pixelsAcross(c) >= c.lod;
  }

  function paneFor(order) {
    var name = 'drawOrder' + order;
    if (!map.getPane(name)) {
      map.createPane(name).style.zIndex = String(300 + order);
    }
    return name;
  }

  function collect(cell, view, wanted) {
    if (!active(cell, view)) return;
    if (cell.picture) wanted.add(cell);
    cell.children.forEach(function (child) { collect(child, view, wanted); });
  }

  var shown = new Map();

  function report() {
    var loading = 0;
    shown.forEach(function (overlay) {
      var image = overlay.getElement();
      if (!image || !image.complete) loading += 1;
    });
    document.body.setAttribute('data-shown', String(shown.size));
    document.body.setAttribute('data-loading', String(loading));
  }

  function update() {
    var view = map.getBounds();
    var wanted = new Set();
    index.trees.forEach(function (tree) {
      if (!active(tree, view)) return;
      tree.tiles.forEach(function (tile) { collect(tile, view, wanted); });
    });
    shown.forEach(function (overlay, cell) {
      if (!wanted.has(cell)) {
        map.removeLayer(overlay);
        shown.delete(cell);
      }
    });
    wanted.forEach(function (cell) {
      if (shown.has(cell)) return;
      var overlay = L.imageOverlay(cell.picture, boxOf(cell), { pane: paneFor(cell.z) });
      overlay.on('load error', report);
      shown.set(cell, overlay.addTo(map));
    });
    report();
  }

  var graticule = L.layerGroup().addTo(map);
  var steps = [30, 20, 10, 5, 2, 1, 0.5, 0.2, 0.1, 0.05, 0.02, 0.01, 0.005, 0.002, 0.001,
               0.0005, 0.0002, 0.0001, 0.00005, 0.00002, 0.00001];

  function degrees(value, decimals, positive, negative) {
    var hemisphere = value > 0 ? positive : value < 0 ? negative : '';
    return Math.abs(value).toFixed(decimals) + '\u00b0' + hemisphere;
  }

  function label(at, text) {
    var icon = L.divIcon({ className: 'graticule-label', html: text, iconSize: null,
                           iconAnchor: [-2, 14] });
    L.marker(at, { icon: icon, interactive: false, keyboard: false }).addTo(graticule);
  }

  function drawGraticule() {
    graticule.clearLayers();
    var view = map.getBounds();
    var south = Math.max(-90, view.getSouth()), north = Math.min(90, view.getNorth());
    var west = Math.max(-180, view.getWest()), east = Math.min(180, view.getEast());
    var span = Math.max(north - south, east - west);
    var step = steps.find(function (s) { return span / s >= 3; }) || steps[steps.length - 1];
    var decimals = Math.max(0, Math.ceil(-Math.log10(step)));
    var line = { color: '#34495e', weight: 1, opacity: 0.6, interactive: false };
    for (var i = Math.ceil(south / step); i * step <= north; i += 1) {
      var lat = i * step;
      L.polyline([[lat, west], [lat, east]], line).addTo(graticule);
      label([lat, west], degrees(lat, decimals, 'N', 'S'));
    }
    for (var j = Math.ceil(west / step); j * step <= east; j += 1) {
      var lon = j * step;
      L.polyline([[south, lon], [north, lon]], line).addTo(graticule);
      label([south, lon], degrees(lon, decimals, 'E', 'W'));
    }
  }

  map.on('moveend', function () {
    update();
    drawGraticule();
    var centre = map.getCenter();
    history.replaceState(null, '', '#' + map.getZoom() + '/' + centre.lat.toFixed(6) + '/' +
                         centre.lng.toFixed(6));
  });

  var asked = location.hash.slice(1).split('/').map(Number);
  if (asked.length === 3 && asked.every(isFinite)) {
    map.setView([asked[1], asked[2]], asked[0]);
  } else if (index.bounds) {
    map.fitBounds(boxOf(index.bounds));
  } else {
    map.fitWorld();
  }
})();
)JS";

constexpr const char* kStyle = R"CSS(
html, body { height: 100%; margin: 0; font: 14px sans-serif; }
#map { position: absolute; top: 0; bottom: 0; left: 0; right: 0; background: #c8cdd2; }
header { position: absolute; top: 10px; left: 56px; right: 10px; z-index: 1000;
         padding: 5px 10px; border-radius: 4px; background: rgba(35, 49, 63, 0.85);
         color: #eef2f5; }
header h1 { font-size: 16px; margin: 0 0 2px 0; }
header a { color: #9fd0ff; }
.graticule-label { color: #1c2833; font-size: 11px; white-space: nowrap;
                   text-shadow: 0 0 3px #fff, 0 0 3px #fff; }
)CSS";

void copyFile(const std::string& from, const std::string& to) {
    std::error_code error;
    fs::create_directories(fs::path(to).parent_path(), error);
    if (error)
        throw RunError(errors::PathFileAccess, "Path/File access error: " + to);
    copyFileAtomically(from, to);
}

}  // namespace

std::string previewPagePath(const std::string& topKmlFile) {
    return joinPath(folderOf(topKmlFile), baseNameOf(topKmlFile) + ".html");
}

std::string previewIndexJson(const std::vector<TreeIndex>& trees, const std::string& pageFolder) {
    const std::optional<LatLonBounds> all = allBounds(trees);
    std::string out = "{\"bounds\":" + (all ? "{" + boundsJson(*all) + "}" : "null");
    out += ",\"trees\":[";
    for (std::size_t t = 0; t < trees.size(); ++t) {
        const TreeIndex& tree = trees[t];
        out += t > 0 ? ",{" : "{";
        out += "\"rootFile\":" + jsonString(strictUrlPath(relativeLink(tree.rootFile, pageFolder)));
        out += ",\"lod\":" + std::to_string(tree.minLodPixels) + "," + boundsJson(tree.bounds);
        out += ",\"tiles\":";
        appendCells(out, tree.tiles, pageFolder);
        out += '}';
    }
    return out + "]}";
}

std::string previewPageText(const PreviewPage& page) {
    const std::string folder = folderOf(page.path);
    Census census;
    for (const TreeIndex& tree : page.trees) {
        census.sources += static_cast<int>(tree.tiles.size());
        for (const TreeCell& tile : tree.tiles)
            countCell(census, tile);
    }
    std::string facts;
    if (const auto all = allBounds(page.trees)) {
        facts = "North " + FormatCoord(all->north) + ", south " + FormatCoord(all->south) +
                ", east " + FormatCoord(all->east) + ", west " + FormatCoord(all->west) +
                " &middot; ";
    }
    facts += std::to_string(census.levels) + " levels &middot; " + std::to_string(census.pictures) +
             " tiles from " + std::to_string(census.sources) + " images &middot; ";
    for (const std::string& top : page.topKmlFiles) {
        facts += "<a href=\"" + htmlText(strictUrlPath(relativeLink(top, folder))) + "\">" +
                 htmlText(fs::path(top).filename().string()) + "</a> ";
    }
    KmlWriter out;
    out.line("<!DOCTYPE html>");
    out.line("<html lang=\"en\">");
    out.line("<head>");
    out.line("<meta charset=\"utf-8\">");
    out.line("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">");
    out.line("<title>", htmlText(page.title), "</title>");
    out.line("<link rel=\"stylesheet\" href=\"leaflet/leaflet.css\">");
    out.line("<style>", kStyle, "</style>");
    out.line("</head>");
    out.line("<body>");
    out.line("<header>");
    out.line("<h1>", htmlText(page.title), "</h1>");
    out.line("<div id=\"facts\">", facts, "</div>");
    out.line("</header>");
    out.line("<div id=\"map\"></div>");
    out.line("<script type=\"application/json\" id=\"tree-index\">",
             previewIndexJson(page.trees, folder), "</script>");
    // Pictures placed without a compositing layer each: browsers that draw without a GPU leave
    // unpainted seams between many large layers.
    out.line("<script>window.L_DISABLE_3D = true;</script>");
    out.line("<script src=\"leaflet/leaflet.js\"></script>");
    out.line("<script>", kScript, "</script>");
    out.line("</body>");
    out.line("</html>");
    return out.text();
}

std::string leafletFolder() {
    for (const std::string& folder :
         {joinPath(programFolder(), "leaflet"), std::string(kSystemLeaflet)}) {
        std::error_code ignored;
        if (fs::is_regular_file(joinPath(folder, "leaflet.min.js"), ignored))
            return folder;
    }
    throw RunError(errors::FileNotFound,
                   "The preview page needs Leaflet, which was found neither beside the program "
                   "nor in " +
                       std::string(kSystemLeaflet) +
                       ". Install Debian's package libjs-leaflet (sudo apt-get install "
                       "libjs-leaflet) and run the job again.");
}

void writePreviewPage(const PreviewPage& page) {
    const std::string from = leafletFolder();
    const std::string to = joinPath(folderOf(page.path), "leaflet");
    for (const LeafletFile& file : kLeafletFiles)
        copyFile(joinPath(from, file.from), joinPath(to, file.to));
    writeFileAtomically(page.path, previewPageText(page));
}

}  // namespace orvanta
