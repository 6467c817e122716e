#include "app/project_file.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "app/app_state.h"
#include "app/error_policy.h"
#include "platform/run_error.h"
#include "platform/text_file.h"

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

std::string checkText(bool checked) {
    return checked ? "1" : "0";
}

bool checked(const std::string& line) {
    return parseCheckLine(line) == 1;
}

PictureFormat formatLine(const std::string& text) {
    if (const std::optional<PictureFormat> format = parsePictureFormat(text))
        return *format;
    throw RunError(errors::InvalidProperty, "Invalid property value: the output format '" + text +
                                                "' is none of GIF, JPG, PNG and TIF");
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

// The line table of the project file: the line, counted from 0, and the control of the main
// window whose value it holds.
//   2 Projectimage    3 Check5     4 Check2     5 tilesdirr    6 List2       7 pathtogoogle
//   8 kmlpath         9 Check3    10 Text11    11 projname    12 Label1     13 Label2
//  14 Label3         15 Label4    16 Combo1    17 Combo2      18 Check4     19 Label25
//  20 Combo4         21 projdir   22 Projectimage  23 imagename  24 Root4096  25 Check1
//  26 Check6         27 List1     28 List3     29 Combo4
std::string projectFileText(const ProjectSettings& s, const RunState& run) {
    return joinCrLf({
        "#OVT Project File",
        "#----------------",
        s.projectImage,
        checkText(s.previewImage),
        checkText(s.multipleFolders),
        s.tilesFolder,
        formatListLine(s.batchFolders),
        s.googleEarthProgram,
        s.kmlFolder,
        checkText(s.openWhenDone),
        s.webServerUrl,
        s.projectName,
        s.widthText,
        s.heightText,
        s.bitDepthText,
        s.resolutionText,
        s.targetTileSize,
        formatName(s.outputFormat),
        checkText(s.transparent),
        std::to_string(s.transparentColour.value()),
        displayOrderName(s.drawOrder),
        s.imageFolder,
        s.projectImage,
        s.imageName,
        run.root4096,
        checkText(s.hostOnWebServer),
        checkText(s.multiResolution),
        formatListLine(s.multiResolutionImages),
        formatListLine(s.multiResolutionFolders),
        displayOrderName(s.drawOrder),
    });
}

void applyProjectLine(AppState& app, int index, const std::string& line) {
    ProjectSettings& s = app.settings;
    const std::string text = trimBlanks(line);
    // Lines 27 and 28: an empty line empties both multi-resolution lists.
    auto multiResolutionList = [&](std::vector<std::string>& list) {
        if (text.empty()) {
            s.multiResolutionImages.clear();
            s.multiResolutionFolders.clear();
        } else {
            for (std::string& item : parseListLine(line))
                list.push_back(std::move(item));
        }
    };
    switch (index) {
        case 2:
            s.projectImage = text;
            break;
        case 3:
            s.previewImage = checked(line);
            break;
        case 4:
            s.multipleFolders = checked(line);
            break;
        case 5:
            s.tilesFolder = text;
            break;
        case 6:
            s.batchFolders = parseListLine(line);
            break;
        case 7:
            break;  // the Google Earth program of the person's own settings stays
        case 8:
            s.kmlFolder = text;
            break;
        case 9:
            s.openWhenDone = checked(line);
            break;
        case 10:
            s.webServerUrl = text;
            break;
        case 11:
            s.projectName = text;
            break;
        case 12:
            s.widthText = text;
            break;
        case 13:
            s.heightText = text;
            break;
        case 14:
            s.bitDepthText = text;
            break;
        case 15:
            s.resolutionText = text;
            break;
        case 16:
            s.targetTileSize = text;
            break;
        case 17:
            s.outputFormat = formatLine(text);
            break;
        case 18:
            s.transparent = checked(line);
            break;
        case 19:
            s.transparentColour = Rgb::fromValue(parseColourLine(line));
            break;
        case 20:
            s.drawOrder = displayOrderOf(text);
            break;
        case 21:
            s.imageFolder = text;
            break;
        case 22:
            s.projectImage = text;
            break;
        case 23:
            s.imageName = text;
            break;
        case 24:
            app.run.root4096 = text;
            break;
        case 25:
            s.hostOnWebServer = checked(line);
            break;
        case 26:
            s.multiResolution = checked(line);
            break;
        case 27:
            multiResolutionList(s.multiResolutionImages);
            break;
        case 28:
            multiResolutionList(s.multiResolutionFolders);
            break;
        case 29:
            s.drawOrder = displayOrderOf(text);
            break;
        default:
            break;  // the header lines and anything after line 29
    }
}

std::optional<std::string> projectFileDamage(const std::vector<std::string>& lines) {
    if (lines.size() < static_cast<std::size_t>(kProjectFileLines))
        return "line " + std::to_string(lines.size()) + " is missing";
    namespace fs = std::filesystem;
    const auto pathDamage = [](const std::string& text) -> std::optional<std::string> {
        const fs::path path(text);
        if (!path.is_absolute())
            return "'" + text + "' is not a full path";
        if (path == path.root_path())
            return "'" + text + "' is the root of the file system";
        for (const fs::path& part : path) {
            if (part == "..")
                return "'" + text + "' climbs out of its folder";
        }
        return std::nullopt;
    };
    for (int index : {2, 5, 6, 8, 21, 22, 24, 27, 28}) {
        const std::string& line = lines[static_cast<std::size_t>(index)];
        for (const std::string& item : index == 6 || index >= 27
                                           ? parseListLine(line)
                                           : std::vector<std::string>{trimBlanks(line)}) {
            if (item.empty())
                continue;
            if (const auto damage = pathDamage(item))
                return "line " + std::to_string(index) + ": " + *damage;
        }
    }
    for (int index : {11, 23}) {
        const std::string name = trimBlanks(lines[static_cast<std::size_t>(index)]);
        if (name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos)
            return "line " + std::to_string(index) + ": '" + name + "' is not a plain name";
    }
    return std::nullopt;
}

bool loadProjectFile(AppState& app, const std::string& path) {
    RunErrorPolicy policy(app);
    std::vector<std::string> lines;
    if (!policy.run([&] { lines = readTextLines(path, kProjectFileLines); }))
        return false;
    if (const std::optional<std::string> damage = projectFileDamage(lines)) {
        app.host().messageBox("The project file " + path + " is damaged: " + *damage + ".",
                              kAppTitle);
        return false;
    }
    app.settings.multiResolutionFolders.clear();
    app.settings.multiResolutionImages.clear();
    app.settings.batchFolders.clear();
    for (std::size_t index = 0; index < lines.size(); ++index) {
        if (!policy.run([&] { applyProjectLine(app, static_cast<int>(index), lines[index]); })) {
            return false;
        }
    }
    app.setStatus("Project file " + path + " was loaded successfully!");
    if (const std::string named = trimBlanks(lines[7]);
        !named.empty() && named != app.settings.googleEarthProgram) {
        app.setStatus("The project names the Google Earth program " + named +
                      "; only the program of your own settings is started.");
    }
    app.doEvents();
    app.applyMultipleDirectoriesRule();
    app.applyMultiResolutionRule();
    return policy.finish();
}

void openProject(AppState& app) {
    app.closeProject();
    const std::string path = app.host().chooseOpenFile("Open", kProjectFileFilter);
    if (path.empty())
        return;
    app.settings.projectFile = path;
    loadProjectFile(app, path);
}

bool writeProjectFile(AppState& app, const std::string& path) {
    RunErrorPolicy policy(app);
    policy.run([&] {
        writeFileAtomically(path, projectFileText(app.settings, app.run));
        app.setStatus("Project file " + path + " was saved!");
    });
    return policy.finish();
}

void saveProject(AppState& app) {
    if (app.settings.projectFile.empty()) {
        saveProjectAs(app);
    } else {
        writeProjectFile(app, app.settings.projectFile);
    }
}

void saveProjectAs(AppState& app) {
    const std::string path =
        app.host().chooseSaveFile("Save Project As", kProjectFileFilter, "Myproject.ovt");
    if (path.empty())
        return;
    std::error_code error;
    if (std::filesystem::exists(path, error) &&
        !app.host().askYesNo("The Target Project already Exists. Do you want to overwrite ?",
                             "OVT Project already Exists", MessageIcon::Question)) {
        return;
    }
    app.settings.projectFile = path;
    writeProjectFile(app, path);
}

}  // namespace orvanta
