#include "app/google_earth.h"

#include <algorithm>
#include <cctype>

#include "platform/run_error.h"
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

std::string askForGoogleEarthProgram(Host& host, const std::string& failure) {
    const std::string question = "Google Earth could not be started (" + failure +
                                 "). Is it installed somewhere else? Choose the Google Earth "
                                 "program now; it is remembered for the next runs.";
    if (!host.askYesNo(question, kAppTitle, MessageIcon::Exclamation))
        return {};
    return host.chooseOpenFile(kChooseGoogleEarthTitle, "Programs (*)|*");
}

void StartGoogleEarth(Host& host, const std::string& program, const std::string& kmlPath) {
    host.startDetached(googleEarthArguments(program, shortenDocumentsAndSettings(kmlPath)));
    host.doEvents();
}

void openInGoogleEarth(Host& host, std::string& program, const std::string& kmlPath,
                       Outcome& outcome) {
    for (bool chosen = false;; chosen = true) {
        try {
            StartGoogleEarth(host, program, kmlPath);
            return;
        } catch (const RunError& error) {
            const std::string failure = std::to_string(error.number()) + " " + error.description();
            // A program that is not where the settings say is the usual case: one question
            // says so and offers to choose it, once.
            if (error.number() == errors::FileNotFound && !chosen) {
                if (std::string other = askForGoogleEarthProgram(host, failure); !other.empty()) {
                    program = outcome.chosenGoogleEarthProgram = other;
                    continue;
                }
            } else {
                host.messageBox(failure, kAppTitle);
            }
            outcome.googleEarthFailed = true;
            return;
        }
    }
}

}  // namespace orvanta
