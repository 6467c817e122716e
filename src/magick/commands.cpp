#include "magick/commands.h"

#include <stdlib.h>
#include <wand/MagickWand.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>

#include "magick/scratch_output.h"
#include "magick/temporary_folder.h"
#include "platform/colour.h"
#include "platform/os_services.h"
#include "platform/run_error.h"

namespace orvanta {
namespace {

// The resource policy the library starts with on a machine with `physicalBytes` of memory.
std::string magickPolicy(std::uint64_t physicalBytes) {
    const std::uint64_t mebibytes = std::max<std::uint64_t>(physicalBytes >> 20, 1024);
    const auto resource = [](const std::string& name, const std::string& value) {
        return "  <policy domain=\"resource\" name=\"" + name + "\" value=\"" + value + "\"/>\n";
    };
    // Pixel caches beyond the memory limit go to memory-mapped files and then to disk, so the
    // memory figures follow the machine and disk is practically unbounded. Callers lower these
    // limits per operation with "-limit".
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<policymap>\n" + resource("width", "1GP") +
           resource("height", "1GP") + resource("area", "1EP") +
           resource("memory", std::to_string(mebibytes) + "MiB") +
           resource("map", std::to_string(2 * mebibytes) + "MiB") + resource("disk", "1PiB") +
           "</policymap>\n";
}

// Writes the policy into a private folder that is looked at before the system's, starts the
// library (which reads the resource policy while it starts) and removes the folder again.
void startWithOwnPolicy() {
    std::error_code ignored;
    std::string folder =
        (std::filesystem::temp_directory_path(ignored) / "orvanta-magick-XXXXXX").string();
    const bool haveFolder = mkdtemp(folder.data()) != nullptr;
    const char* previous = getenv("MAGICK_CONFIGURE_PATH");
    const std::string saved = previous ? previous : "";
    if (haveFolder) {
        std::ofstream(folder + "/policy.xml") << magickPolicy(physicalMemory().totalBytes);
        // Our folder first: the first policy found for a resource wins.
#ifdef _WIN32
        const char* const listSeparator = ";";
#else
        const char* const listSeparator = ":";
#endif
        const std::string path = previous ? folder + listSeparator + saved : folder;
        setenv("MAGICK_CONFIGURE_PATH", path.c_str(), 1);
    }
    MagickWandGenesis();
    if (!haveFolder)
        return;
    if (previous) {
        setenv("MAGICK_CONFIGURE_PATH", saved.c_str(), 1);
    } else {
        unsetenv("MAGICK_CONFIGURE_PATH");
    }
    std::filesystem::remove_all(folder, ignored);
}

// Settings every command starts from. Only the first frame of an animation or a multi-page
// file is read, as "[0]" after its name would ask: the other frames would add extra tiles and
// crops. Every picture written is a file of its own: a crop into tiles of a format that holds
// several pages (TIFF, GIF) would otherwise become one file when its name holds a '%'. PNG
// files carry no dates, so two runs over the same sources write the same bytes.
ImageInfo* acquireImageInfo() {
    ImageInfo* info = AcquireImageInfo();
    info->adjoin = MagickFalse;
    info->scene = 0;
    info->number_scenes = 1;
    (void)CloneString(&info->scenes, "0");
    SetImageOption(info, "png:exclude-chunk", "date,time");
    return info;
}

struct InfoDeleter {
    void operator()(ImageInfo* info) const { DestroyImageInfo(info); }
    void operator()(ExceptionInfo* exception) const { DestroyExceptionInfo(exception); }
    void operator()(Image* image) const { DestroyImageList(image); }
};
using ImageInfoPtr = std::unique_ptr<ImageInfo, InfoDeleter>;
using ExceptionPtr = std::unique_ptr<ExceptionInfo, InfoDeleter>;
using ImagePtr = std::unique_ptr<Image, InfoDeleter>;

using Command = MagickBooleanType (*)(ImageInfo*, int, char**, char**, ExceptionInfo*);

// The library tests whether its registry is empty before it locks it, then reads the tree's
// root under the lock: when a command looks a name up (a pixel cache that spills to disk asks
// for "cache:hosts", "mpr:" reads) or drops one ("-write"). A decoded image freed on another
// thread in that gap, when it was the last entry, makes that read dereference null. An entry
// that is never removed keeps the registry from ever being empty.
void anchorRegistry() {
    ExceptionPtr exception(AcquireExceptionInfo());
    SetImageRegistry(StringRegistryType, "orvanta-anchor", "", exception.get());
}

std::string describe(const ExceptionInfo& exception) {
    std::string text = exception.reason ? exception.reason : "image operation failed";
    if (exception.description && *exception.description) {
        text += std::string(" `") + exception.description + "'";
    }
    return text;
}

// "-limit" changes the library's limits for the whole process, not only for the command that
// carries it. Such commands may run at the same time on several threads: the first to start
// saves the limits in force and the last to end puts them back, so that none restores limits
// under another one still running and the process is left with the limits it had. Commands
// without "-limit" that run meanwhile share the lowered limits; the memory and map limits
// decide where pixels are cached, never the pixels themselves.
class ResourceLimitsGuard {
  public:
    explicit ResourceLimitsGuard(const std::vector<std::string>& argv)
        : active_(std::find(argv.begin(), argv.end(), "-limit") != argv.end()) {
        if (!active_)
            return;
        const std::lock_guard lock(mutex_);
        if (holders_++ > 0)
            return;
        for (std::size_t i = 0; i < kTypes.size(); ++i)
            saved_[i] = GetMagickResourceLimit(kTypes[i]);
    }
    ~ResourceLimitsGuard() {
        if (!active_)
            return;
        const std::lock_guard lock(mutex_);
        if (--holders_ > 0)
            return;
        for (std::size_t i = 0; i < kTypes.size(); ++i)
            SetMagickResourceLimit(kTypes[i], saved_[i]);
    }
    ResourceLimitsGuard(const ResourceLimitsGuard&) = delete;
    ResourceLimitsGuard& operator=(const ResourceLimitsGuard&) = delete;

  private:
    static constexpr std::array<ResourceType, 8> kTypes = {
        AreaResource,   DiskResource,   FileResource,  MapResource,
        MemoryResource, ThreadResource, WidthResource, HeightResource};
    static inline std::mutex mutex_;
    static inline int holders_ = 0;
    static inline std::array<MagickSizeType, kTypes.size()> saved_{};
    bool active_;
};

// Tiles are for viewers and are cut from the pixels in the order the source stores them. Right
// after the input, the pixels go to sRGB (viewers show CMYK tiles wrongly) and the profiles and
// the orientation go: an EXIF orientation copied onto a tile would make viewers turn it, and a
// CMYK colour profile no longer fits the pixels.
// Where the input file of a command stands: first, or after the limits that must hold while
// it is decoded; 0 when the command starts with another option ("-size" of a new picture).
std::size_t inputIndex(const std::vector<std::string>& argv) {
    std::size_t input = 1;
    while (input + 3 < argv.size() && argv[input] == "-limit")
        input += 3;
    return input + 1 < argv.size() && !argv[input].starts_with("-") ? input : 0;
}

// True when the output of a command (its last argument) is a JPEG, by its format prefix or by
// its extension.
bool writesJpeg(const std::string& output) {
    std::string name = output;
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto jpeg = [](const std::string& format) { return format == "jpg" || format == "jpeg"; };
    if (const std::size_t colon = name.find(':'); colon != std::string::npos && colon > 1)
        return jpeg(name.substr(0, colon));
    const std::size_t dot = name.find_last_of("./");
    return dot != std::string::npos && name[dot] == '.' && jpeg(name.substr(dot + 1));
}

// A JPEG holds no alpha: the transparent parts of a source are laid on the background the
// other engine uses too, before any resize, so every level shows the same.
std::vector<std::string> forViewers(std::vector<std::string> argv) {
    const std::size_t input = inputIndex(argv);
    if (input == 0)
        return argv;
    std::vector<std::string> added = {"-colorspace", "sRGB", "-strip", "+orient"};
    if (writesJpeg(argv.back()))
        added.insert(added.end(), {"-background", kFlattenBackground.text(), "-alpha", "remove"});
    argv.insert(argv.begin() + static_cast<std::ptrdiff_t>(input) + 1, added.begin(), added.end());
    return argv;
}

// Only identify is handed a place for its text: composite misuses a given one after it has
// freed its images. With `literalNames` the library reads no "%" of a file name as a pattern.
std::string run(Command command, const std::vector<std::string>& argv, bool wantText,
                bool literalNames = false) {
    startMagick();
    if (argv.empty())
        throw RunError(errors::ImageTool, "no image operation given");
    std::vector<std::string> copies(argv);
    std::vector<char*> args;
    for (std::string& arg : copies)
        args.push_back(arg.data());
    args.push_back(nullptr);
    const ResourceLimitsGuard limits(argv);
    ImageInfoPtr info(acquireImageInfo());
    if (literalNames)
        SetImageOption(info.get(), "filename:literal", "true");
    ExceptionPtr exception(AcquireExceptionInfo());
    char* metadata = nullptr;
    const MagickBooleanType ok = command(info.get(), static_cast<int>(copies.size()), args.data(),
                                         wantText ? &metadata : nullptr, exception.get());
    std::string text = metadata ? metadata : "";
    if (metadata)
        metadata = DestroyString(metadata);
    // A truncated or damaged source only warns, yet its missing rows come out as a flat grey:
    // that is a failed step, not a tile.
    if (exception->severity >= ErrorException || exception->severity == CorruptImageWarning) {
        throw RunError(errors::ImageTool, describe(*exception));
    }
    if (ok == MagickFalse && exception->severity == UndefinedException) {
        throw RunError(errors::ImageTool, argv[0] + " failed");
    }
    return text;
}

// Runs a command that writes files under scratch names and renames them once it succeeded.
std::string runWritingOutput(Command command, const std::vector<std::string>& argv) {
    ScratchOutput output(argv);
    std::vector<std::string> args = output.arguments();
    // The names of a numbered command are read as patterns: its input keeps a '%' as doubled.
    if (const std::size_t input = inputIndex(args); output.numbered() && input > 0)
        args[input] = commandFileName(args[input]);
    run(command, args, false, !output.numbered());
    output.commit();
    return {};
}

}  // namespace

void startMagick() {
    static std::once_flag once;
    std::call_once(once, [] {
        startWithOwnPolicy();
        anchorRegistry();
        useOwnTemporaryFolder();
    });
}

std::string runConvert(const std::vector<std::string>& argv) {
    return runWritingOutput(ConvertImageCommand, forViewers(argv));
}

std::string runComposite(const std::vector<std::string>& argv) {
    return runWritingOutput(CompositeImageCommand, argv);
}

std::string runIdentify(const std::vector<std::string>& argv) {
    return run(IdentifyImageCommand, argv, true);
}

std::string commandFileName(const std::string& path) {
    std::string name;
    for (char c : path) {
        name += c;
        if (c == '%')
            name += '%';
    }
    return name;
}

// Decoded images are added to and removed from the library's registry one at a time. Commands
// also look names up and drop them there; anchorRegistry makes that safe.
std::mutex registryMutex;

void keepDecoded(const std::string& key, const std::string& path) {
    startMagick();
    ImageInfoPtr info(acquireImageInfo());
    CopyMagickString(info->filename, path.c_str(), MaxTextExtent);
    ExceptionPtr exception(AcquireExceptionInfo());
    Image* image = ReadImage(info.get(), exception.get());
    const bool failed = image == nullptr || exception->severity >= ErrorException ||
                        exception->severity == CorruptImageWarning;
    if (!failed) {
        const std::lock_guard lock(registryMutex);
        SetImageRegistry(ImageRegistryType, key.c_str(), image, exception.get());
    }
    if (image)
        DestroyImageList(image);
    if (failed)
        throw RunError(errors::ImageTool, describe(*exception));
}

void forgetDecoded(const std::string& key) {
    startMagick();
    const std::lock_guard lock(registryMutex);
    DeleteImageRegistry(key.c_str());
}

void setMagickThreads(int threads) {
    startMagick();
    SetMagickResourceLimit(ThreadResource, static_cast<MagickSizeType>(std::max(threads, 1)));
}

int magickThreads() {
    startMagick();
    return static_cast<int>(
        std::min<MagickSizeType>(GetMagickResourceLimit(ThreadResource), INT32_MAX));
}

namespace {

// The first frame of the image file with its header read and no pixels; null when the
// library cannot read it.
ImagePtr pingFirstFrame(const std::string& path) {
    startMagick();
    if (path.empty() || path.size() >= MaxTextExtent)
        return nullptr;
    ImageInfoPtr info(AcquireImageInfo());
    ExceptionPtr exception(AcquireExceptionInfo());
    CopyMagickString(info->filename, path.c_str(), MaxTextExtent);
    ImagePtr image(PingImage(info.get(), exception.get()));
    if (exception->severity >= ErrorException)
        return nullptr;
    return image;
}

}  // namespace

bool imageHasAlpha(const std::string& path) {
    const ImagePtr image = pingFirstFrame(path);
    return image && image->matte != MagickFalse;
}

std::optional<PixelSize> pingImageSize(const std::string& path) {
    const ImagePtr image = pingFirstFrame(path);
    if (!image)
        return std::nullopt;
    if (image->columns == 0 || image->rows == 0 || image->columns > UINT32_MAX ||
        image->rows > UINT32_MAX) {
        return std::nullopt;
    }
    return PixelSize{static_cast<std::uint32_t>(image->columns),
                     static_cast<std::uint32_t>(image->rows)};
}

}  // namespace orvanta

namespace orvanta {

std::string magickVersion() {
    size_t number = 0;
    return GetMagickVersion(&number);
}

}  // namespace orvanta
