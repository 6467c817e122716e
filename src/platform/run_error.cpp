#include "platform/run_error.h"

#include <filesystem>
#include <new>
#include <system_error>

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

}  // namespace orvanta
