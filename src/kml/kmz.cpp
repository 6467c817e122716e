#include "kml/kmz.h"

#include <zip.h>

#include <filesystem>
#include <memory>
#include <set>

#include "kml/fragments.h"
#include "kml/kml_writer.h"
#include "kml/web_text.h"
#include "platform/path_names.h"
#include "platform/run_error.h"
#include "platform/scratch_files.h"
#include "platform/text_file.h"

namespace orvanta {
namespace {

namespace fs = std::filesystem;

bool isUrl(const std::string& href) {
    return href.find("://") != std::string::npos;
}

std::string unescapeXml(std::string text) {
    for (const auto& [entity, plain] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}}) {
        const std::string from = entity;
        for (std::size_t at = text.find(from); at != std::string::npos;
             at = text.find(from, at + 1)) {
            text.replace(at, from.size(), plain);
        }
    }
    return text;
}

// The hrefs of a KML text, as written between the tags, and where each starts.
std::vector<std::pair<std::size_t, std::string>> hrefsOf(const std::string& text) {
    const std::string open = "<href>", close = "</href>";
    std::vector<std::pair<std::size_t, std::string>> hrefs;
    for (std::size_t at = text.find(open); at != std::string::npos; at = text.find(open, at)) {
        at += open.size();
        const std::size_t end = text.find(close, at);
        if (end == std::string::npos)
            break;
        hrefs.emplace_back(at, text.substr(at, end - at));
        at = end;
    }
    return hrefs;
}

std::string readWhole(const std::string& path) {
    const std::vector<std::string> lines = readTextLines(path);
    return joinCrLf(lines);
}

fs::path resolve(const std::string& href, const fs::path& folder) {
    const fs::path link(hrefTarget(unescapeXml(href)));
    return (link.is_absolute() ? link : folder / link).lexically_normal();
}

void refuseFullPath(const std::string& file, const std::string& href) {
    throw RunError(errors::InvalidArgument,
                   file + " links " + href +
                       " by its full path: write the tree with relative links to pack it");
}

struct ZipDeleter {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

void addEntry(zip_t* archive, const std::string& name, zip_source_t* source, bool compress) {
    const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        throw RunError(errors::PathFileAccess, zip_strerror(archive));
    }
    // Pictures are compressed already; storing them costs nothing and saves the time.
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                             compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
}

}  // namespace

std::vector<std::string> kmlTreeFiles(const std::vector<std::string>& topKmlFiles) {
    std::vector<std::string> files;
    std::set<std::string> seen;
    for (const std::string& top : topKmlFiles) {
        const std::string path = fs::path(top).lexically_normal().string();
        if (seen.insert(path).second)
            files.push_back(path);
    }
    for (std::size_t next = 0; next < files.size(); ++next) {
        if (fs::path(files[next]).extension() != ".kml")
            continue;
        const fs::path folder = fs::path(files[next]).parent_path();
        for (const auto& [at, href] : hrefsOf(readWhole(files[next]))) {
            std::error_code ignored;
            const std::string target = resolve(href, folder).string();
            if (!isUrl(href) && fs::is_regular_file(target, ignored) &&
                seen.insert(target).second) {
                files.push_back(target);
            }
        }
    }
    return files;
}

std::string commonFolder(const std::vector<std::string>& paths) {
    if (paths.empty())
        return {};
    fs::path common = fs::path(paths.front()).parent_path();
    for (const std::string& path : paths) {
        const fs::path folder = fs::path(path).parent_path();
        while (!common.empty() && folder.lexically_relative(common).string().rfind("..", 0) == 0)
            common = common.parent_path() == common ? fs::path() : common.parent_path();
    }
    return common.string();
}

std::string kmzDocument(const std::vector<std::string>& topKmlFiles,
                        const std::vector<std::string>& topTexts, const std::string& base) {
    if (topKmlFiles.size() == 1) {
        std::string text = topTexts.front();
        const fs::path folder = fs::path(topKmlFiles.front()).parent_path();
        const auto hrefs = hrefsOf(text);
        // From the last href back, so the earlier places stay where they are.
        for (auto href = hrefs.rbegin(); href != hrefs.rend(); ++href) {
            if (isUrl(href->second))
                continue;
            if (fs::path(unescapeXml(href->second)).is_absolute())
                refuseFullPath(topKmlFiles.front(), href->second);
            const std::string rebased =
                xmlText(hrefPath(relativeLink(resolve(href->second, folder).string(), base)));
            text.replace(href->first, href->second.size(), rebased);
        }
        return text;
    }
    KmlWriter out;
    writeHeader(out, true);
    out.line("<name>doc</name>");
    for (const std::string& top : topKmlFiles) {
        out.line("<NetworkLink>");
        out.line("    <name>", xmlText(baseNameOf(top)), "</name>");
        out.line("    <Link>");
        out.line("        <href>", xmlText(hrefPath(relativeLink(top, base))), "</href>");
        out.line("    </Link>");
        out.line("</NetworkLink>");
    }
    writeFooter(out);
    return out.text();
}

void writeKmz(const std::string& kmzPath, const std::vector<std::string>& topKmlFiles) {
    const std::vector<std::string> files = kmlTreeFiles(topKmlFiles);
    const std::string base = commonFolder(files);
    std::vector<std::string> topTexts;
    for (const std::string& top : topKmlFiles)
        topTexts.push_back(readWhole(top));
    // Held until the archive is closed, which is when it is read.
    const std::string document = kmzDocument(topKmlFiles, topTexts, base);
    // A name of this process alone, which the archive replaces when it is closed.
    ScratchFile scratchFile(kmzPath);
    const std::string& scratch = scratchFile.scratchPath();
    int error = 0;
    std::unique_ptr<zip_t, ZipDeleter> archive(
        zip_open(scratch.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error));
    const auto fail = [&](const std::string& reason) {
        archive.reset();
        throw RunError(errors::PathFileAccess,
                       "Path/File access error: " + kmzPath + " (" + reason + ")");
    };
    if (!archive)
        fail("cannot be created");
    try {
        addEntry(archive.get(), "doc.kml",
                 zip_source_buffer(archive.get(), document.data(), document.size(), 0), true);
        for (std::size_t i = topKmlFiles.size(); i < files.size(); ++i) {
            if (fs::path(files[i]).extension() == ".kml") {
                for (const auto& [at, href] : hrefsOf(readWhole(files[i]))) {
                    if (!isUrl(href) && fs::path(unescapeXml(href)).is_absolute())
                        refuseFullPath(files[i], href);
                }
            }
            zip_source_t* source = zip_source_file(archive.get(), files[i].c_str(), 0, -1);
            if (!source)
                fail(zip_strerror(archive.get()));
            addEntry(archive.get(), relativeLink(files[i], base), source,
                     fs::path(files[i]).extension() == ".kml");
        }
    } catch (const RunError& cause) {
        if (cause.number() != errors::PathFileAccess) {
            archive.reset();
            throw;
        }
        fail(cause.description());
    }
    if (zip_close(archive.get()) != 0)
        fail(zip_strerror(archive.get()));
    archive.release();
    scratchFile.commit();
}

}  // namespace orvanta
