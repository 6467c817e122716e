#include "geo/raster_file.h"

#include <cpl_conv.h>
#include <cpl_error.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

#include "geo/geo_library.h"
#include "platform/run_error.h"

namespace orvanta {
namespace geo {
namespace {

// The block cache holds decoded source blocks that neighbouring windows of a warp read again.
constexpr GIntBig kCacheBytes = 32LL * 1024 * 1024;

void CPL_STDCALL collect(CPLErr level, CPLErrorNum, const char* text) {
    auto* messages = static_cast<LibraryMessages*>(CPLGetErrorHandlerUserData());
    if (level == CE_Warning)
        messages->warnings.emplace_back(text);
    else if (level >= CE_Failure)
        messages->lastFailure = text;
}

}  // namespace

std::string takeWkt(OGRSpatialReferenceH reference) {
    char* text = nullptr;
    const char* const options[] = {"FORMAT=WKT2_2019", nullptr};
    std::string wkt;
    if (OSRExportToWktEx(reference, &text, options) == OGRERR_NONE && text)
        wkt = text;
    CPLFree(text);
    return wkt;
}

void startLibrary() {
    static std::once_flag started;
    std::call_once(started, [] {
        // Reading a file must leave its folder as it was.
        CPLSetConfigOption("GDAL_PAM_ENABLED", "NO");
        CPLSetErrorHandler(CPLQuietErrorHandler);
        GDALAllRegister();
        GDALSetCacheMax64(kCacheBytes);
    });
}

LibraryMessages::LibraryMessages() {
    startLibrary();
    CPLPushErrorHandlerEx(collect, this);
}

LibraryMessages::~LibraryMessages() {
    CPLPopErrorHandler();
}

Dataset openRaster(const std::string& path, int number) {
    LibraryMessages messages;
    Dataset dataset(GDALOpenEx(path.c_str(),
                               GDAL_OF_RASTER | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR, nullptr,
                               nullptr, nullptr));
    if (!dataset) {
        throw RunError(number, messages.lastFailure.empty()
                                   ? "'" + path + "' is no image the library reads."
                                   : messages.lastFailure);
    }
    return dataset;
}

SpatialReference spatialReference(const std::string& wkt) {
    startLibrary();
    if (wkt.empty())
        return nullptr;
    SpatialReference reference(OSRNewSpatialReference(nullptr));
    if (OSRSetFromUserInput(reference.get(), wkt.c_str()) != OGRERR_NONE)
        return nullptr;
    OSRSetAxisMappingStrategy(reference.get(), OAMS_TRADITIONAL_GIS_ORDER);
    return reference;
}

SpatialReference wgs84() {
    startLibrary();
    SpatialReference reference(OSRNewSpatialReference(nullptr));
    OSRImportFromEPSG(reference.get(), 4326);
    OSRSetAxisMappingStrategy(reference.get(), OAMS_TRADITIONAL_GIS_ORDER);
    return reference;
}

}  // namespace geo

RasterFacts readRasterFacts(const std::string& path) {
    geo::LibraryMessages messages;
    const geo::Dataset dataset = geo::openRaster(path, errors::PictureLoad);
    RasterFacts facts;
    facts.width = GDALGetRasterXSize(dataset.get());
    facts.height = GDALGetRasterYSize(dataset.get());
    for (int index = 1; index <= GDALGetRasterCount(dataset.get()); ++index) {
        GDALRasterBandH band = GDALGetRasterBand(dataset.get(), index);
        int bits = GDALGetDataTypeSizeBits(GDALGetRasterDataType(band));
        if (const char* packed = GDALGetMetadataItem(band, "NBITS", "IMAGE_STRUCTURE"))
            bits = std::atoi(packed);
        facts.channelBits.push_back(bits);
        const GDALColorInterp meaning = GDALGetRasterColorInterpretation(band);
        facts.palette = facts.palette || (index == 1 && meaning == GCI_PaletteIndex);
        facts.hasAlpha = facts.hasAlpha || meaning == GCI_AlphaBand;
    }
    GeoTransform transform{};
    if (GDALGetGeoTransform(dataset.get(), transform.data()) == CE_None)
        facts.transform = transform;
    if (OGRSpatialReferenceH reference = GDALGetSpatialRef(dataset.get()))
        facts.coordinateSystem = geo::takeWkt(reference);
    facts.warnings = messages.warnings;
    return facts;
}

bool isRasterFile(const std::string& path) {
    try {
        geo::openRaster(path, errors::PictureLoad);
        return true;
    } catch (const RunError&) {
        return false;
    }
}

std::string coordinateSystemFromCode(const std::string& code) {
    geo::LibraryMessages messages;
    geo::SpatialReference reference(OSRNewSpatialReference(nullptr));
    if (code.empty() || OSRSetFromUserInput(reference.get(), code.c_str()) != OGRERR_NONE) {
        throw RunError(errors::InvalidArgument,
                       "'" + code + "' names no coordinate system the library knows.");
    }
    return geo::takeWkt(reference.get());
}

std::string readPrjFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in || text.str().empty())
        return {};
    try {
        return coordinateSystemFromCode(text.str());
    } catch (const RunError&) {
        return {};
    }
}

bool isWgs84LatLon(const std::string& wkt) {
    geo::LibraryMessages messages;
    const geo::SpatialReference reference = geo::spatialReference(wkt);
    if (!reference || !OSRIsGeographic(reference.get()))
        return false;
    const char* const options[] = {"IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES",
                                   "CRITERION=EQUIVALENT_EXCEPT_AXIS_ORDER_GEOGCRS", nullptr};
    return OSRIsSameEx(reference.get(), geo::wgs84().get(), options) != 0;
}

std::string coordinateSystemName(const std::string& wkt) {
    geo::LibraryMessages messages;
    const geo::SpatialReference reference = geo::spatialReference(wkt);
    if (!reference)
        return "unknown";
    const char* name = OSRGetName(reference.get());
    std::string text = name ? name : "unnamed";
    const char* authority = OSRGetAuthorityName(reference.get(), nullptr);
    const char* code = OSRGetAuthorityCode(reference.get(), nullptr);
    if (authority && code)
        text += std::string(" (") + authority + ":" + code + ")";
    return text;
}

std::string geoVersion() {
    geo::startLibrary();
    return std::string("GDAL ") + GDALVersionInfo("RELEASE_NAME");
}

}  // namespace orvanta
