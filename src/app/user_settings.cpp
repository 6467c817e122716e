#include "app/user_settings.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <thread>

#include "app/project_settings.h"

namespace orvanta {
namespace {

constexpr const char* kSection = "Settings";
constexpr const char* kKey = "Jobs";
constexpr const char* kGoogleEarthKey = "GoogleEarth";
constexpr const char* kEngineKey = "Engine";
constexpr const char* kReprojectKey = "Reproject";
constexpr const char* kResamplingKey = "Resampling";

}  // namespace

int defaultJobs() {
    return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMaxJobs);
}

int loadJobs(const SettingsStore& store) {
    const std::optional<std::string> stored = store.value(kSection, kKey);
    if (!stored)
        return defaultJobs();
    int jobs = 0;
    const char* end = stored->data() + stored->size();
    const auto [next, error] = std::from_chars(stored->data(), end, jobs);
    if (error != std::errc() || next != end || jobs < 1 || jobs > kMaxJobs)
        return defaultJobs();
    return jobs;
}

void saveJobs(SettingsStore& store, int jobs) {
    store.setValue(kSection, kKey, std::to_string(std::clamp(jobs, 1, kMaxJobs)));
}

PixelEngine loadEngine(const SettingsStore& store) {
    const std::optional<std::string> stored = store.value(kSection, kEngineKey);
    return stored ? parsePixelEngine(*stored).value_or(PixelEngine::Vips) : PixelEngine::Vips;
}

void saveEngine(SettingsStore& store, PixelEngine engine) {
    store.setValue(kSection, kEngineKey, engineName(engine));
}

ReprojectionSettings loadReprojection(const SettingsStore& store) {
    ReprojectionSettings settings;
    settings.choice = store.value(kSection, kReprojectKey) == "1" ? ReprojectionChoice::Warp
                                                                  : ReprojectionChoice::Ask;
    if (const std::optional<std::string> stored = store.value(kSection, kResamplingKey))
        settings.resampling = parseResampling(*stored).value_or(Resampling::Bilinear);
    return settings;
}

void saveReprojection(SettingsStore& store, const ReprojectionSettings& settings) {
    store.setValue(kSection, kReprojectKey,
                   settings.choice == ReprojectionChoice::Warp ? "1" : "0");
    store.setValue(kSection, kResamplingKey, resamplingName(settings.resampling));
}

std::string loadGoogleEarthProgram(const SettingsStore& store) {
    const std::optional<std::string> stored = store.value(kSection, kGoogleEarthKey);
    return stored && !stored->empty() ? *stored : defaultGoogleEarthPath();
}

void saveGoogleEarthProgram(SettingsStore& store, const std::string& program) {
    store.setValue(kSection, kGoogleEarthKey, program);
}

}  // namespace orvanta
