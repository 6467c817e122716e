#include "app/error_policy.h"

#include <filesystem>
#include <new>
#include <system_error>

#include "app/app_state.h"

namespace orvanta {
namespace {

RunError fromFilesystemError(const std::filesystem::filesystem_error& error) {
    const std::string path = error.path1().string();
    const std::error_code code = error.code();
    if (code == std::errc::no_such_file_or_directory || code == std::errc::not_a_directory) {
        const std::filesystem::path parent = error.path1().parent_path();
        std::error_code ignored;
        if (!parent.empty() && !std::filesystem::is_directory(parent, ignored)) {
            return RunError(errors::PathNotFound, "Path not found: " + path);
        }
        return RunError(errors::FileNotFound, "File not found: " + path);
    }
    return RunError(errors::PathFileAccess,
                    "Path/File access error: " + path + " (" + code.message() + ")");
}

}  // namespace

RunError toRunError(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const RunError& runError) {
        return runError;
    } catch (const std::filesystem::filesystem_error& fsError) {
        return fromFilesystemError(fsError);
    } catch (const std::bad_alloc&) {
        return RunError(errors::OutOfMemory, "Out of memory");
    } catch (const std::exception& other) {
        return RunError(errors::InvalidArgument, other.what());
    }
}

bool skipsStep(const RunError& error) {
    return error.number() == errors::PathFileAccess || error.number() == errors::ImageTool;
}

bool RunErrorPolicy::run(const std::function<void()>& step) {
    if (ended_)
        return false;
    try {
        step();
        return true;
    } catch (...) {
        const RunError error = toRunError(std::current_exception());
        if (skipsStep(error)) {
            ++skipped_;
            if (!firstSkipped_)
                firstSkipped_ = error;
            return true;
        }
        switch (error.number()) {
            case errors::OutOfMemory:
                app_.host().messageBox(kOutOfMemoryMessage, kAppTitle);
                app_.CloseProject();
                break;
            default:
                app_.host().messageBox(std::to_string(error.number()) + " " + error.description(),
                                       kAppTitle);
                break;
        }
        ended_ = true;
        return false;
    }
}

bool RunErrorPolicy::finish() {
    if (skipped_ > 0)
        app_.host().messageBox(skippedStepsMessage(skipped_, *firstSkipped_), kAppTitle);
    return !ended_ && skipped_ == 0;
}

std::string skippedStepsMessage(int count, const RunError& first) {
    return std::to_string(count) + (count == 1 ? " step" : " steps") + " failed and " +
           (count == 1 ? "was" : "were") +
           " skipped. The first failure: " + std::to_string(first.number()) + " " +
           first.description();
}

}  // namespace orvanta
