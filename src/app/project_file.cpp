#include "app/project_file.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "app/app_state.h"
#include "app/error_policy.h"
#include "app/run_error.h"
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

std::string checkText(int value) {
    return std::to_string(value);
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
    return items;
}

std::string formatListLine(const std::vector<std::string>& items) {
    std::string line;
    for (const std::string& item : items)
        line += item + ",";
    return line;
}

std::string projectFileText(const ProjectSettings& s, const RunState& run) {
    return joinCrLf({
        "#OVT Project File",
        "#----------------",
        s.Projectimage,
        checkText(s.Check5),
        checkText(s.Check2),
        s.tilesdirr,
        formatListLine(s.List2),
        s.pathtogoogle,
        s.kmlpath,
        checkText(s.Check3),
        s.Text11,
        s.projname,
        s.Label1,
        s.Label2,
        s.Label3,
        s.Label4,
        s.Combo1,
        s.Combo2,
        checkText(s.Check4),
        std::to_string(s.Label25),
        s.Combo4,
        s.projdir,
        s.Projectimage,
        s.imagename,
        run.Root4096,
        checkText(s.Check1),
        checkText(s.Check6),
        formatListLine(s.List1),
        formatListLine(s.List3),
        s.Combo4,
    });
}

void applyProjectLine(AppState& app, int index, const std::string& line) {
    ProjectSettings& s = app.settings;
    const std::string text = trimBlanks(line);
    // Lines 27 and 28: an empty line empties both multi-resolution lists.
    auto multiResolutionList = [&](std::vector<std::string>& list) {
        if (text.empty()) {
            s.List1.clear();
            s.List3.clear();
        } else {
            for (std::string& item : parseListLine(line))
                list.push_back(std::move(item));
        }
    };
    switch (index) {
        case 2:
            s.Projectimage = text;
            break;
        case 3:
            s.Check5 = parseCheckLine(line);
            break;
        case 4:
            s.Check2 = parseCheckLine(line);
            break;
        case 5:
            s.tilesdirr = text;
            break;
        case 6:
            s.List2 = parseListLine(line);
            break;
        case 7:
            s.pathtogoogle = text;
            break;
        case 8:
            s.kmlpath = text;
            break;
        case 9:
            s.Check3 = parseCheckLine(line);
            break;
        case 10:
            s.Text11 = text;
            break;
        case 11:
            s.projname = text;
            break;
        case 12:
            s.Label1 = text;
            break;
        case 13:
            s.Label2 = text;
            break;
        case 14:
            s.Label3 = text;
            break;
        case 15:
            s.Label4 = text;
            break;
        case 16:
            s.Combo1 = text;
            break;
        case 17:
            s.Combo2 = text;
            break;
        case 18:
            s.Check4 = parseCheckLine(line);
            break;
        case 19:
            app.setTransparentColour(parseColourLine(line));
            break;
        case 20:
            s.Combo4 = text;
            break;
        case 21:
            s.projdir = text;
            break;
        case 22:
            s.Projectimage = text;
            break;
        case 23:
            s.imagename = text;
            break;
        case 24:
            app.run.Root4096 = text;
            break;
        case 25:
            s.Check1 = parseCheckLine(line);
            break;
        case 26:
            s.Check6 = parseCheckLine(line);
            break;
        case 27:
            multiResolutionList(s.List1);
            break;
        case 28:
            multiResolutionList(s.List3);
            break;
        case 29:
            s.Combo4 = text;
            break;
        default:
            break;  // the header lines and anything after line 29
    }
}

bool loadProjectFile(AppState& app, const std::string& path) {
    RunErrorPolicy policy(app);
    std::vector<std::string> lines;
    if (!policy.run([&] { lines = readTextLines(path, kProjectFileLines); }))
        return false;
    app.settings.List3.clear();
    app.settings.List1.clear();
    app.settings.List2.clear();
    for (std::size_t index = 0; index < lines.size(); ++index) {
        if (!policy.run([&] { applyProjectLine(app, static_cast<int>(index), lines[index]); })) {
            return false;
        }
    }
    app.setStatus("Project file " + path + " was loaded successfully!");
    app.doEvents();
    app.applyMultipleDirectoriesRule();
    app.applyMultiResolutionRule();
    return policy.finish();
}

void openProject(AppState& app) {
    app.CloseProject();
    const std::string path = app.host().chooseOpenFile("Open", kProjectFileFilter);
    if (path.empty())
        return;
    app.settings.Projectfilename = path;
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
    if (app.settings.Projectfilename.empty()) {
        saveProjectAs(app);
    } else {
        writeProjectFile(app, app.settings.Projectfilename);
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
    app.settings.Projectfilename = path;
    writeProjectFile(app, path);
}

}  // namespace orvanta
