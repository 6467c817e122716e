#pragma once

#include <string>

namespace orvanta {

// Path rules shared by every step that takes a path apart. The separator is the platform's;
// "last" means the last occurrence in the whole path, folders included.

// Text after the last ".", case kept; empty when there is no "." or a separator follows it.
std::string GetFileExtension(const std::string& sFile);

// The path with every "\\" written as "/", the form KML links take.
std::string slashForm(std::string path);

// The path of `target` as a link from a file in `fromFolder` reads it: relative, written with
// "/" ("." for the folder itself, "../" to go up), so that a tree of files can be moved whole.
std::string relativeLink(const std::string& target, const std::string& fromFolder);

// The folder of a path without its trailing separator; empty when the path has no separator.
std::string folderOf(const std::string& path);

// The file name of a path without its folder and without its last extension.
std::string baseNameOf(const std::string& path);

// `folder`, the platform's separator and `name`.
std::string joinPath(const std::string& folder, const std::string& name);

// A path as it enters from a person: made absolute against `base` (the current folder when
// empty), lexically normal, without a trailing separator. An empty path stays empty.
std::string enteredPath(const std::string& path, const std::string& base = {});

// The path with every symbolic link, "." and ".." resolved as the file system has them; a part
// that does not exist yet is taken as written. What a path really names, for checks such as
// "not the root of the file system".
std::string resolvedPath(const std::string& path);

// True for the root of the file system ("/"), however it is written.
bool isFileSystemRoot(const std::string& path);

}  // namespace orvanta
