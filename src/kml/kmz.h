#pragma once

#include <string>
#include <vector>

namespace orvanta {

// The deepest folder that holds every one of the files; empty when they share none.
std::string commonFolder(const std::vector<std::string>& paths);

// The text of the archive's doc.kml: one top file's text with its relative links re-based from
// the top file's folder to `base`; for several top files, a document that links each of them.
std::string kmzDocument(const std::vector<std::string>& topKmlFiles,
                        const std::vector<std::string>& topTexts, const std::string& base);

// Packs the KML trees of the top files into one shareable file: doc.kml at the archive's root
// and each of `files` (every file of the trees as the run that wrote them names them, each
// once; with several top files, those too) at its place relative to the folder that holds them
// all, so the trees' relative links hold inside it. Nothing is read to find what to pack.
// Written under a scratch name and renamed when complete. Throws RunError 75 naming the archive
// when it cannot be written, and 5 when a top file links a file by its full path (such a link
// would not travel with the archive).
void writeKmz(const std::string& kmzPath, const std::vector<std::string>& topKmlFiles,
              const std::vector<std::string>& files);

}  // namespace orvanta
