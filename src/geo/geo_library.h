#pragma once

#include <gdal.h>
#include <ogr_srs_api.h>

#include <memory>
#include <string>
#include <vector>

// Shared by the files of this module only: the library's start-up, its messages and handles.
namespace orvanta::geo {

// Starts the library once per process: every driver, no side files written beside the files
// it reads (no .aux.xml), a bounded block cache, and no message printed by the library itself.
void startLibrary();

// Collects what the library says on this thread while it lives.
class LibraryMessages {
  public:
    LibraryMessages();
    ~LibraryMessages();
    LibraryMessages(const LibraryMessages&) = delete;
    LibraryMessages& operator=(const LibraryMessages&) = delete;

    std::vector<std::string> warnings;
    std::string lastFailure;  // the last error, empty when none
};

struct DatasetCloser {
    void operator()(void* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<void, DatasetCloser>;

struct SpatialReferenceCloser {
    void operator()(void* reference) const { OSRDestroySpatialReference(reference); }
};
using SpatialReference = std::unique_ptr<void, SpatialReferenceCloser>;

// Opens a raster for reading; throws RunError(number, the library's reason) when it cannot.
Dataset openRaster(const std::string& path, int number);

// A coordinate system from WKT with longitude before latitude (the order of world files);
// nothing for empty or unknown WKT.
SpatialReference spatialReference(const std::string& wkt);
// WGS84 latitude/longitude, longitude first.
SpatialReference wgs84();
// The WKT of a coordinate system.
std::string takeWkt(OGRSpatialReferenceH reference);

}  // namespace orvanta::geo
