#include "tiling/tile_executor.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "magick/commands.h"
#include "platform/run_error.h"
#include "platform/step_policy.h"
#include "platform/text_case.h"
#include "platform/text_file.h"
#include "tiling/plan_pool.h"
#include "tiling/shared_decodes.h"

namespace orvanta {
namespace {

void createFolder(const std::string& path) {
    std::error_code error;
    if (std::filesystem::create_directory(path, error) || !error)
        return;
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
        return;
    throw std::filesystem::filesystem_error("cannot create the folder", path, error);
}

void deleteFile(const std::string& path) {
    std::error_code error;
    std::filesystem::remove(path, error);
    if (error && error != std::errc::no_such_file_or_directory) {
        throw std::filesystem::filesystem_error("cannot delete the file", path, error);
    }
}

// The size in MiB of a resource value as the image tool takes it: "512MiB", "2GiB", "1.5GB",
// or bytes without a unit.
double mebibytes(const std::string& value) {
    std::size_t unitAt = 0;
    double number = 0;
    try {
        number = std::stod(value, &unitAt);
    } catch (const std::exception&) {
        return 0;
    }
    std::string unit = value.substr(unitAt);
    if (!unit.empty() && (unit.back() == 'B' || unit.back() == 'b'))
        unit.pop_back();
    if (!unit.empty() && (unit.back() == 'i' || unit.back() == 'I'))
        unit.pop_back();
    const std::string units = "KMGTP";
    const std::size_t power = unit.size() == 1 ? units.find(std::toupper(unit[0])) : units.size();
    if (unit.empty())
        return number / (1024.0 * 1024.0);
    if (power == std::string::npos || power == units.size())
        return 0;
    return number * std::pow(1024.0, static_cast<double>(power)) / 1024.0;
}

}  // namespace

double memoryLimitMb(const ConvertCall& call) {
    const std::vector<std::string>& args = call.args;
    for (std::size_t i = 0; i + 2 < args.size(); ++i) {
        if (args[i] == "-limit" && lowerCase(args[i + 1]) == "memory")
            return mebibytes(args[i + 2]);
    }
    return 0;
}

ConvertRunner magickConvertRunner() {
    ConvertRunner runner([](const ConvertCall& call) {
        std::vector<std::string> argv{"convert"};
        argv.insert(argv.end(), call.args.begin(), call.args.end());
        runConvert(argv);
    });
    runner.keepDecoded = keepDecoded;
    runner.forgetDecoded = forgetDecoded;
    return runner;
}

void performTileOp(const TileOp& op, const ConvertRunner& convert) {
    switch (op.kind) {
        case TileOp::Kind::CreateFolder:
            createFolder(op.path);
            break;
        case TileOp::Kind::WriteMarker:
            writeFileAtomically(op.path, joinCrLf({op.text}));
            break;
        case TileOp::Kind::Convert:
            convert(op.call);
            break;
        case TileOp::Kind::DeleteFile:
            deleteFile(op.path);
            break;
    }
}

bool executePlan(const TilePlan& plan, StepPolicy& policy, const ConvertRunner& convert,
                 const ExecutorSettings& limits, const StepObserver& afterStep) {
    if (limits.jobs > 1)
        return executePlanConcurrently(plan, policy, convert, limits, afterStep);
    SharedDecodes decodes(plan, convert);
    return handOutcomesInOrder(
        plan, policy, [&](std::size_t index) { decodes.perform(index); }, afterStep);
}

bool handOutcomesInOrder(const TilePlan& plan, StepPolicy& policy,
                         const std::function<void(std::size_t)>& perform,
                         const StepObserver& afterStep) {
    for (std::size_t index = 0; index < plan.ops().size(); ++index) {
        const bool goOn = policy.run([&] { perform(index); });
        if (afterStep)
            afterStep(index);
        if (!goOn)
            return false;
    }
    return true;
}

}  // namespace orvanta
