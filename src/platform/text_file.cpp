#include "platform/text_file.h"

#include <cctype>
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

std::string joinCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void writeFileAtomically(const std::string& path, const std::string& content) {
    const std::filesystem::path target(path);
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        throw RunError(errors::PathNotFound, "Path not found: " + folder.string());
    }
    const std::string scratch = scratchPathFor(path);
    std::FILE* file = std::fopen(scratch.c_str(), "wb");
    if (!file) {
        throw RunError(errors::PathFileAccess,
                       "Path/File access error: " + path + " (" + std::strerror(errno) + ")");
    }
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(scratch.c_str(), path.c_str()) != 0) {
        const int cause = errno;
        std::remove(scratch.c_str());
        throw RunError(errors::PathFileAccess,
                       "Path/File access error: " + path + " (" + std::strerror(cause) + ")");
    }
}

std::string escapedField(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '%' || c == '\t' || c == '\r' || c == '\n') {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> unescapedField(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
            !std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            return std::nullopt;
        }
        out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
        i += 2;
    }
    return out;
}

std::vector<std::string> recordFields(const std::string& line) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        parts.push_back(line.substr(start, tab - start));
    parts.push_back(line.substr(start));
    return parts;
}

}  // namespace orvanta
