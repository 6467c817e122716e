#include "platform/text_file.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/run_error.h"
#include "platform/scratch_files.h"

namespace orvanta {

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

std::vector<std::string> readTextLines(const std::string& path, std::size_t maxLines) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        throw RunError(errors::FileNotFound, "File not found: " + path);
    }
    std::ifstream file(path, std::ios::binary);
    if (!file || std::filesystem::is_directory(path, error)) {
        throw RunError(errors::PathFileAccess, "Path/File access error: " + path);
    }
    std::vector<std::string> lines;
    std::string line;
    char c = 0;
    bool open = false;  // a line has begun and not yet ended
    while (lines.size() < maxLines && file.get(c)) {
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            open = false;
            if (c == '\r' && file.peek() == '\n')
                file.get(c);
        } else {
            line += c;
            open = true;
        }
    }
    if (open && lines.size() < maxLines)
        lines.push_back(std::move(line));
    if (file.bad())
        throw RunError(errors::PathFileAccess, "Path/File access error: " + path);
    return lines;
}

namespace {

// "64 KB", "1 MB": a limit as messages name it.
std::string sizeText(std::size_t bytes) {
    if (bytes % (1024 * 1024) == 0)
        return std::to_string(bytes / (1024 * 1024)) + " MB";
    if (bytes % 1024 == 0)
        return std::to_string(bytes / 1024) + " KB";
    return std::to_string(bytes) + " bytes";
}

std::string lineTooLong(std::size_t index, TextLimits limits) {
    return "line " + std::to_string(index) + " is longer than " + sizeText(limits.lineBytes);
}

std::string fileTooLarge(TextLimits limits) {
    return "it is larger than " + sizeText(limits.fileBytes);
}

// Closes a file descriptor on every way out.
struct OpenFile {
    int fd;
    ~OpenFile() { ::close(fd); }
};

}  // namespace

std::optional<std::string> textBeyondLimits(const std::vector<std::string>& lines,
                                            TextLimits limits) {
    std::size_t total = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].size() > limits.lineBytes)
            return lineTooLong(i, limits);
        total += lines[i].size() + 2;
    }
    if (total > limits.fileBytes)
        return fileTooLarge(limits);
    return std::nullopt;
}

std::variant<std::vector<std::string>, std::string> readLimitedTextLines(
    const std::string& path, TextLimits limits, const std::function<void()>& pause) {
    // Not blocking: a pipe or device that gives nothing leaves time to see a cancel.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT)
        throw RunError(errors::FileNotFound, "File not found: " + path);
    struct stat facts {};
    if (fd < 0 || ::fstat(fd, &facts) != 0 || S_ISDIR(facts.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        throw RunError(errors::PathFileAccess, "Path/File access error: " + path);
    }
    const OpenFile file{fd};
    std::string text;
    std::size_t line = 0, lineLength = 0;
    bool afterCr = false;
    char chunk[64 * 1024];
    for (;;) {
        pause();
        pollfd ready{file.fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, 100);
        if (polled < 0 && errno != EINTR)
            throw RunError(errors::PathFileAccess, "Path/File access error: " + path);
        if (polled <= 0)
            continue;  // nothing yet, or a signal came: pause again
        const ssize_t count = ::read(file.fd, chunk, sizeof chunk);
        if (count == 0)
            break;
        if (count < 0) {
            if (errno == EAGAIN || errno == EINTR)
                continue;
            throw RunError(errors::PathFileAccess, "Path/File access error: " + path);
        }
        for (ssize_t i = 0; i < count; ++i) {
            const char c = chunk[i];
            if (c == '\r' || c == '\n') {
                line += (c == '\n' && afterCr) ? 0 : 1;
                lineLength = 0;
            } else if (++lineLength > limits.lineBytes) {
                return lineTooLong(line, limits);
            }
            afterCr = c == '\r';
        }
        text.append(chunk, static_cast<std::size_t>(count));
        if (text.size() > limits.fileBytes)
            return fileTooLarge(limits);
    }
    return splitLines(text);
}

std::string joinCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void writeFileAtomically(const std::string& path, const std::string& content) {
    ScratchFile file(path);
    file.write(content);
    file.commit();
}

}  // namespace orvanta
