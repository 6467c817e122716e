#pragma once

#include <optional>
#include <string>

#include "app/job_facts.h"
#include "app/job_plan.h"
#include "app/outcome.h"
#include "platform/host.h"

namespace orvanta {

// What a job may use besides its plan: the person and the system through the front end's
// Host, and the person's Google Earth program.
struct JobServices {
    Host& host;
    std::string googleEarthProgram;
};

// Performs the plan and returns what it did, folder by folder. Before the first file: every
// output path is checked (none may be an input or something of another kind; an existing
// archive or project file is replaced only when the person says so) and its folder made, and
// the person is asked what the plan leaves to them. It reads and changes none of the person's
// settings; a cancel request ends it as cancelled.
Outcome runJob(const JobPlan& plan, JobServices services);

// The whole job the settings describe: its facts read, its plan made and performed. A refusal
// before any work is told to the person and ends it.
Outcome performJob(const JobSettings& settings, JobServices services,
                   const std::optional<ScannedFolder>& scanned = std::nullopt);

// Why the job cannot write `path` (its `what`: a folder it writes into, or a file), from what
// exists there and whether a file there is of the kind it writes; empty when it can. No output
// may be one of the job's inputs (resolved paths).
enum class PathKind { None, File, Folder, Other };
std::string outputRefusal(const std::string& path, const std::string& what, bool folder,
                          PathKind existing, bool sameKind, const std::vector<std::string>& inputs);

}  // namespace orvanta
