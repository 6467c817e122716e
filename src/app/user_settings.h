#pragma once

#include <string>

#include "app/reprojection.h"
#include "platform/pixel_engine.h"
#include "platform/settings_store.h"

namespace orvanta {

// How many tiling steps run at once, as the window keeps it in the per-user settings store
// (section "Settings", key "Jobs"). The command line takes it from --jobs instead.
inline constexpr int kMaxJobs = 64;

// One step per core.
int defaultJobs();
// The stored number when it is a whole number from 1 to kMaxJobs, else the default.
int loadJobs(const SettingsStore& store);
void saveJobs(SettingsStore& store, int jobs);

// The pixel engine of tiling runs, kept the same way (key "Engine"; the command line takes it
// from --engine): the stored engine, or vips when none or an unknown one is stored.
PixelEngine loadEngine(const SettingsStore& store);
void saveEngine(SettingsStore& store, PixelEngine engine);

// How the window treats images in other coordinate systems, kept the same way (keys
// "Reproject", 1 to always warp them, and "Resampling"): warped when so stored, else the
// person is asked in place of the refusal; bilinear unless another resampling is stored.
ReprojectionSettings loadReprojection(const SettingsStore& store);
void saveReprojection(SettingsStore& store, const ReprojectionSettings& settings);

// The Google Earth program is the person's own setting, kept per user (key "GoogleEarth"),
// never taken from a project file: a shared project must not name a program to run.
// The stored program, or the platform's default when none is stored.
std::string loadGoogleEarthProgram(const SettingsStore& store);
void saveGoogleEarthProgram(SettingsStore& store, const std::string& program);

}  // namespace orvanta
