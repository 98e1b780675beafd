// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The exports of the marks of one image or of several (the tiles of a
// quad): GeoPackage layers in the label's projected reference system, a
// Craterstats spatial crater count (.scc), and CSV of the measurements and
// of a profile.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/map_projection.h"
#include "geo/geodesy.h"
#include "marks/mark.h"
#include "marks/marks_module.h"

namespace dusk {

// One image and its marks, in its file raster of `width` x `height`.
struct MarkedImage {
    std::string fileName;
    std::optional<MapProjection> projection;  // the label's; none without georeference
    int width = 0;
    int height = 0;
    std::vector<Mark> marks;
};

// A GeoPackage file of layers "points" (points), "lines" (distances and
// profiles), "polygons" (areas) and "craters" (each crater's rim as a
// polygon of kRimVertices corners), every feature with the attributes
// image, mark_id, kind, unit, latitude, longitude, length, diameter, area,
// note, created. Its reference system is the first georeferenced image's;
// the marks of an image on another map are carried over through latitude
// and longitude. Images without georeference are left out, each with a
// warning; none georeferenced gives no file but `error`.
inline constexpr int kRimVertices = 72;
std::optional<std::vector<std::uint8_t>> MarksGeoPackage(std::span<const MarkedImage> images,
                                                         std::vector<std::string>& warnings, std::string& error);

// A Craterstats spatial crater count: the body's axes, the counting area
// (every area mark, each a sub-area of its own) as unit_boundary, its
// Total_area in km^2 and the craters whose centres lie in it as rows of
// diameter (km), longitude and latitude (degrees, east positive, -180 to
// 180). Craters outside the area and images without georeference are left
// out with a warning; without any area there is no count but `error`.
std::optional<std::string> CraterCount(std::span<const MarkedImage> images, std::vector<std::string>& warnings,
                                       std::string& error);

// The Measurements panel as CSV: a header line and one line per mark, in
// the images' order and then the order made.
inline constexpr const char* kMeasurementsHeader =
    "image,id,kind,unit,latitude,longitude,length,diameter,area,points,note,created";
std::string MeasurementsCsv(std::span<const MarkedImage> images);

// A profile as CSV: distance_km,distance_samples,column,row,value for each
// of its points, the value read from `raster` (`width` samples a row, the
// file's own raster).
inline constexpr const char* kProfileHeader = "distance_km,distance_samples,column,row,value";
std::string ProfileCsv(const Profile& profile, std::span<const std::uint8_t> raster, int width);

// The exporter's --marks: the images, from the store at `storePath` (empty:
// DefaultMarksPath), to the
// file named `output` whose extension (.gpkg, .scc, .csv) chooses the
// export. Its bytes in `file`; false with `error` set.
bool ExportMarksOfImages(const std::string& storePath, std::span<const MarksExportImage> images,
                         const std::string& output, std::vector<std::uint8_t>& file,
                         std::vector<std::string>& warnings, std::string& error);

}  // namespace dusk
