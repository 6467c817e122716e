#pragma once

#include <string>
#include <vector>

#include "app/outcome.h"
#include "platform/host.h"

namespace orvanta {

// Replaces every "Documents and Settings", in any letter case, by "Docume~1".
std::string shortenDocumentsAndSettings(const std::string& kmlPath);

// The command line as shown to the person: program, one blank, KML path, no quotation marks.
std::string googleEarthCommandLine(const std::string& program, const std::string& kmlPath);

// The argument vector the program is started with: each path stays one argument.
std::vector<std::string> googleEarthArguments(const std::string& program,
                                              const std::string& kmlPath);

// After Google Earth could not be started (`failure` says why): one question says so and offers
// to choose the program. The chosen program; empty when the person declined or cancelled.
std::string askForGoogleEarthProgram(Host& host, const std::string& failure);
inline constexpr const char* kChooseGoogleEarthTitle = "Choose the Google Earth program";

// Starts Google Earth (`program`) on the KML file without waiting, then lets pending events run.
// A program that cannot be started raises RunError 53 for the caller's policy.
void StartGoogleEarth(Host& host, const std::string& program, const std::string& kmlPath);

// Starts Google Earth on a KML file for a job. A program that cannot be started is told to the
// person and recorded in the outcome (the files already written stand); a program the person
// chooses then is used from here on (`program`) and recorded as their new setting.
void openInGoogleEarth(Host& host, std::string& program, const std::string& kmlPath,
                       Outcome& outcome);

}  // namespace orvanta
