#include "app/google_earth.h"

#include <algorithm>
#include <cctype>

#include "app/app_state.h"
#include "platform/text_case.h"

namespace orvanta {
std::string shortenDocumentsAndSettings(const std::string& kmlPath) {
    static const std::string kLong = "documents and settings";
    const std::string lower = lowerCase(kmlPath);
    std::string result;
    std::size_t from = 0;
    for (std::size_t at = lower.find(kLong); at != std::string::npos;
         at = lower.find(kLong, from)) {
        result += kmlPath.substr(from, at - from) + "Docume~1";
        from = at + kLong.size();
    }
    return result + kmlPath.substr(from);
}

std::string googleEarthCommandLine(const std::string& program, const std::string& kmlPath) {
    return program + " " + kmlPath;
}

std::vector<std::string> googleEarthArguments(const std::string& program,
                                              const std::string& kmlPath) {
#ifdef __APPLE__
    // An application bundle is started through the system's opener.
    if (program.size() > 4 && program.compare(program.size() - 4, 4, ".app") == 0) {
        return {"open", "-a", program, kmlPath};
    }
#endif
    return {program, kmlPath};
}

bool chooseGoogleEarthProgram(AppState& app, const std::string& failure) {
    Host& host = app.host();
    const std::string question = "Google Earth could not be started (" + failure +
                                 "). Is it installed somewhere else? Choose the Google Earth "
                                 "program now; it is remembered for the next runs.";
    if (!host.askYesNo(question, kAppTitle, MessageIcon::Exclamation))
        return false;
    const std::string chosen = host.chooseOpenFile(kChooseGoogleEarthTitle, "Programs (*)|*");
    if (chosen.empty())
        return false;
    app.settings.googleEarthProgram = chosen;
    if (app.googleEarthChosen)
        app.googleEarthChosen(chosen);
    return true;
}

void StartGoogleEarth(AppState& app, const std::string& kmlPath) {
    const std::string path = shortenDocumentsAndSettings(kmlPath);
    app.host().startDetached(googleEarthArguments(app.settings.googleEarthProgram, path));
    app.doEvents();
}

}  // namespace orvanta
