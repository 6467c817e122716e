#include "support/geo_images.h"

#include <cpl_conv.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "support/scratch_dir.h"

namespace orvanta::testing {
namespace {

OGRSpatialReferenceH reference(const std::string& system) {
    GDALAllRegister();
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    if (OSRSetFromUserInput(srs, system.c_str()) != OGRERR_NONE)
        throw std::runtime_error("unknown system " + system);
    OSRSetAxisMappingStrategy(srs, OAMS_TRADITIONAL_GIS_ORDER);
    return srs;
}

}  // namespace

void makeGeoImage(const std::string& path, int width, int height,
                  const std::array<double, 6>& transform, const std::string& system, bool withPrj) {
    namespace fs = std::filesystem;
    OGRSpatialReferenceH srs = reference(system);
    const bool tiff = fs::path(path).extension() == ".tif";
    const std::string target = tiff ? path : path + ".scratch.tif";
    GDALDatasetH image = GDALCreate(GDALGetDriverByName("GTiff"), target.c_str(), width, height, 3,
                                    GDT_Byte, nullptr);
    for (int band = 1; band <= 3; ++band) {
        std::vector<GByte> row(static_cast<std::size_t>(width));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const bool left = x < width / 2;
                const bool top = y < height / 4;
                const bool lit = top ? band == 2 : (band == 1 && left) || (band == 3 && !left);
                row[static_cast<std::size_t>(x)] = lit ? 255 : 0;
            }
            if (GDALRasterIO(GDALGetRasterBand(image, band), GF_Write, 0, y, width, 1, row.data(),
                             width, 1, GDT_Byte, 0, 0) != CE_None)
                throw std::runtime_error("cannot write " + target);
        }
    }
    if (tiff) {
        GDALSetGeoTransform(image, const_cast<double*>(transform.data()));
        GDALSetSpatialRef(image, srs);
    }
    GDALClose(image);
    if (!tiff) {
        // Another format without georeference of its own: a world file and a .prj beside it.
        char* options[] = {const_cast<char*>("WORLDFILE=NO"), nullptr};
        GDALDatasetH source = GDALOpen(target.c_str(), GA_ReadOnly);
        const std::string driver = fs::path(path).extension() == ".png" ? "PNG" : "JPEG";
        GDALClose(GDALCreateCopy(GDALGetDriverByName(driver.c_str()), path.c_str(), source, FALSE,
                                 options, nullptr, nullptr));
        GDALClose(source);
        fs::remove(target);
        fs::remove(path + ".aux.xml");
        const double a = transform[1], e = transform[5];
        const std::string world =
            fs::path(path).replace_extension(driver == "PNG" ? ".pgw" : ".jgw");
        char text[256];
        std::snprintf(text, sizeof text, "%.15G\r\n0\r\n0\r\n%.15G\r\n%.15G\r\n%.15G\r\n", a, e,
                      transform[0] + a / 2, transform[3] + e / 2);
        writeFile(world, text);
        if (withPrj) {
            char* wkt = nullptr;
            OSRExportToWkt(srs, &wkt);
            writeFile(fs::path(path).replace_extension(".prj").string(), wkt);
            CPLFree(wkt);
        }
    }
    OSRDestroySpatialReference(srs);
}

std::pair<double, double> toLonLat(const std::string& system, double x, double y) {
    OGRSpatialReferenceH from = reference(system);
    OGRSpatialReferenceH to = reference("EPSG:4326");
    OGRCoordinateTransformationH transform = OCTNewCoordinateTransformation(from, to);
    double z = 0;
    OCTTransform(transform, 1, &x, &y, &z);
    OCTDestroyCoordinateTransformation(transform);
    OSRDestroySpatialReference(from);
    OSRDestroySpatialReference(to);
    return {x, y};
}

}  // namespace orvanta::testing
