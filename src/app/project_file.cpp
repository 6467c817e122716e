#include "app/project_file.h"

#include <cmath>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <type_traits>
#include <variant>

#include "platform/path_names.h"
#include "platform/run_error.h"

namespace orvanta {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the number at the start of `text`: optional sign, digits, optional point and
// digits; 0 when there are no digits.
std::size_t numberLength(const std::string& text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i)
        ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        for (; i < text.size() && isDigit(text[i]); ++i)
            ++digits;
    }
    return digits > 0 ? i : 0;
}

PictureFormat formatLine(const std::string& text) {
    if (const std::optional<PictureFormat> format = parsePictureFormat(text))
        return *format;
    throw RunError(errors::InvalidProperty, "Invalid property value: the output format '" + text +
                                                "' is none of GIF, JPG, PNG and TIF");
}

int qualityLine(const std::string& line) {
    if (const std::optional<int> quality = jpegQualityOf(trimBlanks(line)))
        return *quality;
    throw RunError(errors::InvalidProperty, "Invalid property value: the JPEG quality '" +
                                                trimBlanks(line) +
                                                "' is not a whole number from 1 to 100");
}

// How a line's value is written and read back.
enum class LineKind {
    Header,     // fixed text, skipped when read
    Text,       // trimmed text
    Path,       // trimmed text naming a file or folder, taken as projectPath takes it
    PathList,   // a list of such paths
    ImageList,  // the same; an empty line empties both multi-resolution lists
    Name,       // trimmed text that is a plain file name
    Program,    // the Google Earth program: written, never applied
    Check,      // 0, 1 or 2; only 1 checks the box
    Colour,     // a decimal number of 24 bits, red in the low byte
    Format,     // GIF, JPG, PNG or TIF
    Order,      // HIGH or LOW
    Quality,    // a whole number from 1 to 100
};

// The field a line holds: a member of the settings, the 4096 folder, or a header's text.
using Field =
    std::variant<const char*, std::string ProjectSettings::*, bool ProjectSettings::*,
                 std::vector<std::string> ProjectSettings::*, PictureFormat ProjectSettings::*,
                 Rgb ProjectSettings::*, DisplayOrder ProjectSettings::*, int ProjectSettings::*,
                 std::string StoredProject::*>;

struct Row {
    std::size_t line;  // counted from 0
    LineKind kind;
    Field field;
};

using S = ProjectSettings;
using K = LineKind;

// The lines of the project file, each with the control of the main window that shows its
// value. Lines 30 on were added later: an older file without them loads with their start-up
// values.
const std::vector<Row> kLines = {
    {0, K::Header, "#OVT Project File"},
    {1, K::Header, "#----------------"},
    {2, K::Path, &S::projectImage},                  // Projectimage
    {3, K::Check, &S::previewImage},                 // Check5
    {4, K::Check, &S::multipleFolders},              // Check2
    {5, K::Path, &S::tilesFolder},                   // tilesdirr
    {6, K::PathList, &S::batchFolders},              // List2
    {7, K::Program, &S::googleEarthProgram},         // pathtogoogle
    {8, K::Path, &S::kmlFolder},                     // kmlpath
    {9, K::Check, &S::openWhenDone},                 // Check3
    {10, K::Text, &S::webServerUrl},                 // Text11
    {11, K::Name, &S::projectName},                  // projname
    {12, K::Text, &S::widthText},                    // Label1
    {13, K::Text, &S::heightText},                   // Label2
    {14, K::Text, &S::bitDepthText},                 // Label3
    {15, K::Text, &S::resolutionText},               // Label4
    {16, K::Text, &S::targetTileSize},               // Combo1
    {17, K::Format, &S::outputFormat},               // Combo2
    {18, K::Check, &S::transparent},                 // Check4
    {19, K::Colour, &S::transparentColour},          // Label25
    {20, K::Order, &S::drawOrder},                   // Combo4
    {21, K::Path, &S::imageFolder},                  // projdir
    {22, K::Path, &S::projectImage},                 // Projectimage
    {23, K::Name, &S::imageName},                    // imagename
    {24, K::Path, &StoredProject::root4096},         // Root4096
    {25, K::Check, &S::hostOnWebServer},             // Check1
    {26, K::Check, &S::multiResolution},             // Check6
    {27, K::ImageList, &S::multiResolutionImages},   // List1
    {28, K::ImageList, &S::multiResolutionFolders},  // List3
    {29, K::Order, &S::drawOrder},                   // Combo4
    {30, K::Path, &S::outputFolder},                 // outputFolder
    {31, K::Quality, &S::jpegQuality},               // Combo5
    {32, K::Check, &S::exactEdges},                  // exactEdges
};
constexpr std::size_t kFirstAddedLine = 30;

// The field of a row in `project` (a StoredProject, const or not), of type T.
template <typename T, typename Project>
auto& fieldOf(Project& project, const Field& field) {
    if constexpr (std::is_same_v<T, std::string>) {
        if (const auto* own = std::get_if<std::string StoredProject::*>(&field))
            return project.**own;
    }
    return project.settings.*std::get<T ProjectSettings::*>(field);
}

// The values of a path or list line, as written.
std::vector<std::string> pathItems(const Row& row, const std::string& line) {
    return row.kind == K::Path ? std::vector<std::string>{trimBlanks(line)} : parseListLine(line);
}

bool isPathKind(LineKind kind) {
    return kind == K::Path || kind == K::PathList || kind == K::ImageList;
}

std::string valueText(const Row& row, const StoredProject& p) {
    switch (row.kind) {
        case K::Header:
            return std::get<const char*>(row.field);
        case K::Text:
        case K::Path:
        case K::Name:
        case K::Program:
            return fieldOf<std::string>(p, row.field);
        case K::PathList:
        case K::ImageList:
            return formatListLine(fieldOf<std::vector<std::string>>(p, row.field));
        case K::Check:
            return fieldOf<bool>(p, row.field) ? "1" : "0";
        case K::Colour:
            return std::to_string(fieldOf<Rgb>(p, row.field).value());
        case K::Format:
            return formatName(fieldOf<PictureFormat>(p, row.field));
        case K::Order:
            return displayOrderName(fieldOf<DisplayOrder>(p, row.field));
        case K::Quality:
            return std::to_string(fieldOf<int>(p, row.field));
    }
    return {};
}

void applyLine(const Row& row, const std::string& line, const std::string& folder,
               StoredProject& p) {
    const std::string text = trimBlanks(line);
    switch (row.kind) {
        case K::Header:
        case K::Program:  // the Google Earth program of the person's own settings stays
            break;
        case K::Text:
        case K::Name:
            fieldOf<std::string>(p, row.field) = text;
            break;
        case K::Path:
            fieldOf<std::string>(p, row.field) = projectPath(text, folder);
            break;
        case K::PathList:
        case K::ImageList: {
            if (row.kind == K::ImageList && text.empty()) {
                p.settings.multiResolutionImages.clear();
                p.settings.multiResolutionFolders.clear();
            }
            std::vector<std::string> items = pathItems(row, line);
            for (std::string& item : items)
                item = projectPath(item, folder);
            fieldOf<std::vector<std::string>>(p, row.field) = std::move(items);
            break;
        }
        case K::Check:
            fieldOf<bool>(p, row.field) = parseCheckLine(line) == 1;
            break;
        case K::Colour:
            fieldOf<Rgb>(p, row.field) = Rgb::fromValue(parseColourLine(line));
            break;
        case K::Format:
            fieldOf<PictureFormat>(p, row.field) = formatLine(text);
            break;
        case K::Order:
            fieldOf<DisplayOrder>(p, row.field) = displayOrderOf(text);
            break;
        case K::Quality:
            fieldOf<int>(p, row.field) = qualityLine(line);
            break;
    }
}

// Gives the field of a row the value it has in `from`.
void copyField(const Row& row, const StoredProject& from, StoredProject& to) {
    std::visit(
        [&](auto member) {
            using Member = decltype(member);
            if constexpr (std::is_same_v<Member, std::string StoredProject::*>)
                to.*member = from.*member;
            else if constexpr (!std::is_same_v<Member, const char*>)
                to.settings.*member = from.settings.*member;
        },
        row.field);
}

std::string lineLabel(const Row& row) {
    return "line " + std::to_string(row.line);
}

// Shows what a step threw as "number description"; false, for the caller to return.
bool showFailure(Host& host) {
    const RunError error = toRunError(std::current_exception());
    host.messageBox(std::to_string(error.number()) + " " + error.description(), kAppTitle);
    return false;
}

}  // namespace

double roundHalfEven(double value) {
    return std::nearbyint(value);
}

double leadingNumber(const std::string& text) {
    const std::string trimmed = trimBlanks(text);
    const std::size_t length = numberLength(trimmed);
    if (length == 0)
        return 0;
    return roundHalfEven(std::strtod(trimmed.substr(0, length).c_str(), nullptr));
}

int parseCheckLine(const std::string& line) {
    const double value = leadingNumber(line);
    if (value != 0 && value != 1 && value != 2) {
        throw RunError(errors::InvalidProperty, "Invalid property value");
    }
    return static_cast<int>(value);
}

std::uint32_t parseColourLine(const std::string& line) {
    const std::string trimmed = trimBlanks(line);
    const std::size_t length = numberLength(trimmed);
    if (length == 0 || length != trimmed.size()) {
        throw RunError(errors::TypeMismatch, "Type mismatch");
    }
    const double value = roundHalfEven(std::strtod(trimmed.c_str(), nullptr));
    if (value < -2147483648.0 || value > 2147483647.0)
        throw RunError(errors::Overflow, "Overflow");
    if (value < 0 || value > 0xFFFFFF) {
        throw RunError(errors::InvalidProperty, "Invalid property value");
    }
    return static_cast<std::uint32_t>(value);
}

std::vector<std::string> parseListLine(const std::string& line) {
    const std::string trimmed = trimBlanks(line);
    if (trimmed.empty())
        return {};
    if (line.find(',') == std::string::npos)
        return {trimmed};
    std::vector<std::string> items;
    std::size_t start = 0;
    for (std::size_t comma = line.find(','); comma != std::string::npos;
         comma = line.find(',', start)) {
        items.push_back(line.substr(start, comma - start));
        start = comma + 1;
    }
    // Saved files end every item with its comma; a line written by hand may not.
    if (!trimBlanks(line.substr(start)).empty())
        items.push_back(line.substr(start));
    return items;
}

std::string formatListLine(const std::vector<std::string>& items) {
    std::string line;
    for (const std::string& item : items)
        line += item + ",";
    return line;
}

std::vector<std::string> projectFileLines(const StoredProject& project) {
    std::vector<std::string> lines;
    for (const Row& row : kLines)
        lines.push_back(valueText(row, project));
    return lines;
}

std::string projectFileText(const StoredProject& project) {
    return joinCrLf(projectFileLines(project));
}

std::optional<std::string> projectUnfitToSave(const StoredProject& project) {
    for (const Row& row : kLines) {
        const bool list = row.kind == K::PathList || row.kind == K::ImageList;
        const std::vector<std::string> values =
            list ? fieldOf<std::vector<std::string>>(project, row.field)
                 : std::vector<std::string>{valueText(row, project)};
        for (const std::string& value : values) {
            if (value.find_first_of("\r\n") != std::string::npos)
                return lineLabel(row) + ": '" + value + "' holds a line break";
            if (list && value.find(',') != std::string::npos)
                return lineLabel(row) + ": '" + value + "' holds a comma, which a list cannot keep";
        }
    }
    return textBeyondLimits(projectFileLines(project), kProjectFileLimits);
}

std::string projectPath(const std::string& text, const std::string& folder) {
    if (text.empty() || std::filesystem::path(text).is_absolute())
        return text;
    return enteredPath(text, folder);
}

std::optional<std::string> projectFileDamage(const std::vector<std::string>& lines,
                                             const std::string& folder) {
    for (const Row& row : kLines) {
        if (row.line >= lines.size())
            break;
        const std::string& line = lines[row.line];
        if (row.kind == K::Name) {
            const std::string name = trimBlanks(line);
            if (name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos)
                return lineLabel(row) + ": '" + name + "' is not a plain name";
        }
        if (!isPathKind(row.kind))
            continue;
        for (const std::string& item : pathItems(row, line)) {
            if (!item.empty() && isFileSystemRoot(projectPath(item, folder)))
                return lineLabel(row) + ": '" + item + "' is the root of the file system";
        }
    }
    return std::nullopt;
}

void applyProjectLines(const std::vector<std::string>& lines, const std::string& folder,
                       StoredProject& project) {
    const StoredProject startUp;
    for (const Row& row : kLines) {
        if (row.line < lines.size())
            applyLine(row, lines[row.line], folder, project);
        else if (row.line >= kFirstAddedLine)
            copyField(row, startUp, project);
    }
}

bool loadProject(Host& host, const std::string& path, StoredProject& project) {
    const auto damaged = [&](const std::string& damage) {
        host.messageBox("The project file " + path + " is damaged: " + damage + ".", kAppTitle);
        return false;
    };
    const std::string folder = std::filesystem::path(enteredPath(path)).parent_path().string();
    std::vector<std::string> lines;
    try {
        auto read = readLimitedTextLines(path, kProjectFileLimits, [&] { host.doEvents(); });
        if (const std::string* damage = std::get_if<std::string>(&read))
            return damaged(*damage);
        lines = std::move(std::get<std::vector<std::string>>(read));
    } catch (const std::exception&) {
        return showFailure(host);
    }
    if (const std::optional<std::string> damage = projectFileDamage(lines, folder))
        return damaged(*damage);
    ProjectSettings& s = project.settings;
    s.multiResolutionFolders.clear();
    s.multiResolutionImages.clear();
    s.batchFolders.clear();
    try {
        applyProjectLines(lines, folder, project);
    } catch (const std::exception&) {
        return showFailure(host);
    }
    host.statusChanged("Project file " + path + " was loaded successfully!");
    if (const std::string named = lines.size() > 7 ? trimBlanks(lines[7]) : std::string();
        !named.empty() && named != s.googleEarthProgram) {
        host.statusChanged("The project names the Google Earth program " + named +
                           "; only the program of your own settings is started.");
    }
    host.doEvents();
    // The lists of a group whose box is clear are empty.
    if (!s.multipleFolders)
        s.batchFolders.clear();
    if (!s.multiResolution) {
        s.multiResolutionImages.clear();
        s.multiResolutionFolders.clear();
    }
    return true;
}

bool saveProjectFile(Host& host, const std::string& path, const StoredProject& project) {
    if (const std::optional<std::string> unfit = projectUnfitToSave(project)) {
        host.messageBox("The project cannot be saved to " + path + ": " + *unfit + ".", kAppTitle);
        return false;
    }
    try {
        writeFileAtomically(path, projectFileText(project));
    } catch (const std::exception&) {
        return showFailure(host);
    }
    host.statusChanged("Project file " + path + " was saved!");
    return true;
}

}  // namespace orvanta
