#pragma once

#include <string>
#include <vector>

namespace orvanta {

class AppState;

// Replaces every "Documents and Settings", in any letter case, by "Docume~1".
std::string shortenDocumentsAndSettings(const std::string& kmlPath);

// The command line as shown to the person: program, one blank, KML path, no quotation marks.
std::string googleEarthCommandLine(const std::string& program, const std::string& kmlPath);

// The argument vector the program is started with: each path stays one argument.
std::vector<std::string> googleEarthArguments(const std::string& program,
                                              const std::string& kmlPath);

// After Google Earth could not be started (`failure` says why): one question says so and offers
// to choose the program; the chosen one becomes `googleEarthProgram` and is passed to
// AppState::googleEarthChosen to be remembered. False when the person declined or cancelled.
bool chooseGoogleEarthProgram(AppState& app, const std::string& failure);
inline constexpr const char* kChooseGoogleEarthTitle = "Choose the Google Earth program";

// Starts Google Earth (`googleEarthProgram`) on the KML file without waiting, then lets pending
// events run. A program that cannot be started raises RunError 53 for the caller's policy.
void StartGoogleEarth(AppState& app, const std::string& kmlPath);

}  // namespace orvanta
