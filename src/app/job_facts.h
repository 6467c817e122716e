#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/job_plan.h"
#include "app/run_state.h"
#include "platform/host.h"

namespace orvanta {

// Reads what the job needs of its inputs before any work, checking each image once: its header
// and size class, its world file (made by the listing program for a GeoTIFF without one) and
// the WGS84 test; a batch's folders are scanned; the sources of a run that cuts tiles are named
// by their content (contentIdentity). An input that cannot be used is told to the person and
// gives nothing; `outcome` then says how the job ended (and whether the project is to close).
std::optional<JobFacts> readJobFacts(const JobSettings& settings, Host& host,
                                     const std::optional<ScannedFolder>& scanned, Outcome& outcome);

}  // namespace orvanta
