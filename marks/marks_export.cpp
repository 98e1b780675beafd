// SPDX-License-Identifier: GPL-3.0-or-later
#include "marks/marks_export.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <memory>
#include <numbers>

#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "marks/mark_text.h"
#include "marks/marks_store.h"

namespace dusk {

namespace {

// The images' measures, and the way from each image's raster to the map of
// the first georeferenced one.
class Maps {
public:
    explicit Maps(std::span<const MarkedImage> images, std::vector<std::string>& warnings) {
        for (const MarkedImage& image : images) {
            geodesy_.push_back(std::make_unique<RasterGeodesy>(image.projection));
            const RasterGeodesy& own = *geodesy_.back();
            if (!own.Georeferenced()) {
                if (!image.marks.empty()) {
                    warnings.push_back(image.fileName + ": its label gives no map projection; its " +
                                       std::to_string(image.marks.size()) + " marks are left out");
                }
            } else if (target_ == nullptr) {
                target_ = own.Coordinates();
            }
        }
    }

    const MapCoordinates* Target() const { return target_; }
    const RasterGeodesy& Of(std::size_t image) const { return *geodesy_[image]; }

    // The target map's point of `point` on image `image`; none where either
    // projection has none.
    std::optional<MapPoint> ToTarget(std::size_t image, const RasterPoint& point) const {
        const MapCoordinates* own = geodesy_[image]->Coordinates();
        if (own == nullptr || target_ == nullptr) return std::nullopt;
        if (own == target_ || own->Wkt() == target_->Wkt()) {
            const GeoTransform& t = own->FileTransform();
            return MapPoint{t[0] + point.column * t[1] + point.row * t[2], t[3] + point.column * t[4] + point.row * t[5]};
        }
        const std::optional<LatLon> place = own->AtPoint(point.column, point.row);
        if (!place) return std::nullopt;
        return target_->ToMap(*place);
    }

private:
    std::vector<std::unique_ptr<RasterGeodesy>> geodesy_;
    const MapCoordinates* target_ = nullptr;
};

// The kRimVertices corners of a crater's rim, closed (the first again at the end).
std::vector<RasterPoint> Rim(const Mark& crater) {
    std::vector<RasterPoint> rim;
    for (int k = 0; k <= kRimVertices; ++k) {
        const double angle = 2.0 * std::numbers::pi * (k % kRimVertices) / kRimVertices;
        rim.push_back({crater.points[0].column + crater.radius * std::cos(angle),
                       crater.points[0].row + crater.radius * std::sin(angle)});
    }
    return rim;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

bool HasLength(MarkKind kind) { return kind == MarkKind::Distance || kind == MarkKind::Profile || kind == MarkKind::Area; }

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};

constexpr const char* kAttributes[] = {"image", "mark_id", "kind", "unit", "latitude", "longitude",
                                       "length", "diameter", "area", "note", "created"};

OGRLayer* MakeLayer(GDALDataset& dataset, const char* name, OGRwkbGeometryType type, OGRSpatialReference& srs) {
    OGRLayer* layer = dataset.CreateLayer(name, &srs, type, nullptr);
    if (layer == nullptr) return nullptr;
    const OGRFieldType types[] = {OFTString, OFTInteger64, OFTString, OFTString, OFTReal, OFTReal,
                                  OFTReal,   OFTReal,      OFTReal,   OFTString, OFTString};
    for (std::size_t i = 0; i < std::size(kAttributes); ++i) {
        OGRFieldDefn field(kAttributes[i], types[i]);
        if (layer->CreateField(&field) != OGRERR_NONE) return nullptr;
    }
    return layer;
}

void SetAttributes(OGRFeature& feature, const std::string& image, const Mark& mark) {
    feature.SetField("image", image.c_str());
    feature.SetField("mark_id", static_cast<GIntBig>(mark.id));
    feature.SetField("kind", KindName(mark.kind));
    feature.SetField("unit", mark.inKilometres ? "km" : "samples");
    if (mark.inKilometres) {
        feature.SetField("latitude", mark.latitude);
        feature.SetField("longitude", mark.longitude);
    }
    if (HasLength(mark.kind)) feature.SetField("length", mark.length);
    if (mark.kind == MarkKind::Crater) feature.SetField("diameter", mark.diameter);
    if (mark.kind == MarkKind::Area) feature.SetField("area", mark.area);
    feature.SetField("note", mark.note.c_str());
    feature.SetField("created", mark.created.c_str());
}

// Even-odd test of `p` against the polygon `ring`.
bool Inside(const MapPoint& p, const std::vector<MapPoint>& ring) {
    bool inside = false;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const MapPoint& a = ring[i];
        const MapPoint& b = ring[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
    }
    return inside;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> MarksGeoPackage(std::span<const MarkedImage> images,
                                                         std::vector<std::string>& warnings, std::string& error) {
    const Maps maps(images, warnings);
    if (maps.Target() == nullptr) {
        error = "none of the images has a map projection in its label: there is nothing to place on a map";
        return std::nullopt;
    }
    GDALAllRegister();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    if (driver == nullptr) {
        error = "GDAL has no GeoPackage driver";
        return std::nullopt;
    }
    static std::atomic<int> serial{0};
    const std::string name = "/vsimem/duskmapper-marks-" + std::to_string(serial++) + ".gpkg";
    CPLPushErrorHandler(CPLQuietErrorHandler);
    CPLErrorReset();
    const auto failed = [&](const char* otherwise) {
        const char* message = CPLGetLastErrorMsg();
        error = message != nullptr && *message != '\0' ? message : otherwise;
        return std::nullopt;
    };
    std::optional<std::vector<std::uint8_t>> file;
    {
        std::unique_ptr<GDALDataset, DatasetCloser> dataset(
            driver->Create(name.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        OGRSpatialReference srs;
        if (!dataset || srs.importFromWkt(maps.Target()->Wkt().c_str()) != OGRERR_NONE) {
            CPLPopErrorHandler();
            return failed("the GeoPackage cannot be made");
        }
        srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        OGRLayer* points = MakeLayer(*dataset, "points", wkbPoint, srs);
        OGRLayer* lines = MakeLayer(*dataset, "lines", wkbLineString, srs);
        OGRLayer* polygons = MakeLayer(*dataset, "polygons", wkbPolygon, srs);
        OGRLayer* craters = MakeLayer(*dataset, "craters", wkbPolygon, srs);
        bool ok = points && lines && polygons && craters && dataset->StartTransaction() == OGRERR_NONE;
        for (std::size_t i = 0; ok && i < images.size(); ++i) {
            if (!maps.Of(i).Georeferenced()) continue;
            for (const Mark& mark : images[i].marks) {
                std::vector<RasterPoint> raster = mark.kind == MarkKind::Crater ? Rim(mark) : mark.points;
                if (mark.kind == MarkKind::Area) raster.push_back(raster.front());
                std::vector<MapPoint> placed;
                for (const RasterPoint& p : raster) {
                    if (const auto m = maps.ToTarget(i, p)) placed.push_back(*m);
                }
                if (placed.size() != raster.size()) {
                    warnings.push_back(images[i].fileName + ": mark " + std::to_string(mark.id) +
                                       " lies where the map has no point; it is left out");
                    continue;
                }
                OGRLayer* layer = nullptr;
                std::unique_ptr<OGRGeometry> geometry;
                if (mark.kind == MarkKind::Point) {
                    layer = points;
                    geometry = std::make_unique<OGRPoint>(placed[0].x, placed[0].y);
                } else if (mark.kind == MarkKind::Distance || mark.kind == MarkKind::Profile) {
                    layer = lines;
                    auto line = std::make_unique<OGRLineString>();
                    for (const MapPoint& m : placed) line->addPoint(m.x, m.y);
                    geometry = std::move(line);
                } else {
                    layer = mark.kind == MarkKind::Area ? polygons : craters;
                    auto ring = std::make_unique<OGRLinearRing>();
                    for (const MapPoint& m : placed) ring->addPoint(m.x, m.y);
                    auto polygon = std::make_unique<OGRPolygon>();
                    polygon->addRingDirectly(ring.release());
                    geometry = std::move(polygon);
                }
                OGRFeature feature(layer->GetLayerDefn());
                SetAttributes(feature, images[i].fileName, mark);
                feature.SetGeometryDirectly(geometry.release());
                ok = layer->CreateFeature(&feature) == OGRERR_NONE;
                if (!ok) break;
            }
        }
        ok = ok && dataset->CommitTransaction() == OGRERR_NONE;
        if (ok) {
            dataset->FlushCache();
            ok = CPLGetLastErrorType() < CE_Failure;
        }
        if (!ok) failed("the GeoPackage cannot be written");
        dataset.reset();
        if (ok) {
            vsi_l_offset length = 0;
            GByte* bytes = VSIGetMemFileBuffer(name.c_str(), &length, FALSE);
            if (bytes != nullptr) file.emplace(bytes, bytes + length);
            else failed("the GeoPackage was not written");
        }
    }
    VSIUnlink(name.c_str());
    CPLPopErrorHandler();
    return file;
}

std::optional<std::string> CraterCount(std::span<const MarkedImage> images, std::vector<std::string>& warnings,
                                       std::string& error) {
    const Maps maps(images, warnings);
    if (maps.Target() == nullptr) {
        error = "none of the images has a map projection in its label: craters cannot be measured on Venus";
        return std::nullopt;
    }
    std::string boundary;
    double totalArea = 0.0;
    std::vector<std::vector<MapPoint>> areas;
    int vertex = 0;
    int subArea = 0;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const RasterGeodesy& geodesy = maps.Of(i);
        if (!geodesy.Georeferenced()) continue;
        for (const Mark& mark : images[i].marks) {
            if (mark.kind != MarkKind::Area) continue;
            const AreaMeasure measure = geodesy.Polygon(mark.points);
            std::vector<LatLon> corners;
            std::vector<MapPoint> ring;
            for (const RasterPoint& p : mark.points) {
                const auto place = geodesy.LatLonAt(p);
                const auto onMap = maps.ToTarget(i, p);
                if (place && onMap) {
                    corners.push_back(*place);
                    ring.push_back(*onMap);
                }
            }
            if (!measure.inKilometres || corners.size() != mark.points.size()) {
                warnings.push_back(images[i].fileName + ": area " + std::to_string(mark.id) +
                                   " lies where the map has no point; it is left out");
                continue;
            }
            ++subArea;
            corners.push_back(corners.front());
            for (const LatLon& c : corners) {
                boundary += std::to_string(++vertex) + "\t" + std::to_string(subArea) + "\text\t" +
                            NumberText(c.longitude) + "\t" + NumberText(c.latitude) + "\n";
            }
            totalArea += std::fabs(measure.bodyKm2);
            areas.push_back(std::move(ring));
        }
    }
    if (areas.empty()) {
        error = "no counting area: draw an area around the craters counted";
        return std::nullopt;
    }
    std::string craters;
    int outside = 0;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const RasterGeodesy& geodesy = maps.Of(i);
        if (!geodesy.Georeferenced()) continue;
        for (const Mark& mark : images[i].marks) {
            if (mark.kind != MarkKind::Crater) continue;
            const CraterMeasure measure = geodesy.Crater({mark.points[0], mark.radius});
            const auto centre = maps.ToTarget(i, mark.points[0]);
            const bool counted = measure.inKilometres && centre &&
                                 std::any_of(areas.begin(), areas.end(),
                                             [&](const std::vector<MapPoint>& ring) { return Inside(*centre, ring); });
            if (!counted) {
                ++outside;
                continue;
            }
            craters += NumberText(measure.diameterKm) + "\t" + NumberText(measure.centre.longitude) + "\t" +
                       NumberText(measure.centre.latitude) + "\n";
        }
    }
    if (outside > 0) {
        warnings.push_back(std::to_string(outside) + " craters lie outside the counting area and are left out");
    }
    const Ellipsoid& body = maps.Target()->BodyEllipsoid();
    const double a = body.equatorialRadiusKm;
    const double c = a * (1.0 - body.flattening);
    std::string text = "# Spatial crater count\n#\n# Date of measurement = " + NowUtc().substr(0, 10) +
                       "\n#\n# Ellipsoid axes:\n";
    text += "a_axis_radius = " + NumberText(a) + " <km>\n";
    text += "b_axis_radius = " + NumberText(a) + " <km>\n";
    text += "c_axis_radius = " + NumberText(c) + " <km>\n";
    text += "#\n# area_shapes:\nunit_boundary = {vertex,sub_area,tag,lon,lat\n" + boundary + "}\n#\n";
    text += "Total_area = " + NumberText(totalArea) + " <km^2>\n#\n";
    text += "# crater_diameters:\ncrater = {diam,lon,lat\n" + craters + "}\n";
    return text;
}

std::string MeasurementsCsv(std::span<const MarkedImage> images) {
    std::string csv = std::string(kMeasurementsHeader) + "\n";
    for (const MarkedImage& image : images) {
        for (const Mark& mark : image.marks) {
            const auto figure = [](bool shown, double value) { return shown ? NumberText(value) : std::string(); };
            csv += CsvField(image.fileName) + "," + std::to_string(mark.id) + "," + KindName(mark.kind) + "," +
                   (mark.inKilometres ? "km" : "samples") + "," + figure(mark.inKilometres, mark.latitude) + "," +
                   figure(mark.inKilometres, mark.longitude) + "," + figure(HasLength(mark.kind), mark.length) +
                   "," + figure(mark.kind == MarkKind::Crater, mark.diameter) + "," +
                   figure(mark.kind == MarkKind::Area, mark.area) + "," + CsvField(PointsText(mark.points)) + "," +
                   CsvField(mark.note) + "," + CsvField(mark.created) + "\n";
        }
    }
    return csv;
}

std::string ProfileCsv(const Profile& profile, std::span<const std::uint8_t> raster, int width) {
    std::string csv = std::string(kProfileHeader) + "\n";
    for (const ProfilePoint& p : profile.points) {
        const std::size_t at = static_cast<std::size_t>(p.row) * static_cast<std::size_t>(width) +
                               static_cast<std::size_t>(p.column);
        const bool inside = p.column >= 0 && p.row >= 0 && p.column < width && at < raster.size();
        csv += (profile.inKilometres ? NumberText(p.distanceKm) : std::string()) + "," +
               NumberText(p.distanceSamples) + "," + std::to_string(p.column) + "," + std::to_string(p.row) + "," +
               (inside ? std::to_string(raster[at]) : std::string()) + "\n";
    }
    return csv;
}

bool ExportMarksOfImages(const std::string& storePath, std::span<const MarksExportImage> images,
                         const std::string& output, std::vector<std::uint8_t>& file,
                         std::vector<std::string>& warnings, std::string& error) {
    const std::size_t dot = output.find_last_of("./");
    const std::string extension = dot != std::string::npos && output[dot] == '.' ? Lower(output.substr(dot)) : "";
    if (extension != ".gpkg" && extension != ".scc" && extension != ".csv") {
        error = "the marks are written as .gpkg, .scc or .csv: '" + output + "'";
        return false;
    }
    const std::string path = storePath.empty() ? DefaultMarksPath() : storePath;
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        error = "there is no marks store at " + path;
        return false;
    }
    const auto store = MarksStore::Open(path, error);
    if (!store) return false;
    std::vector<MarkedImage> marked;
    for (const MarksExportImage& image : images) {
        MarkedImage& m = marked.emplace_back();
        m.fileName = image.fileName;
        m.projection = image.projection;
        m.width = image.width;
        m.height = image.height;
        std::string problem;
        const std::string key = ContentKeyOfFile(image.path, problem);
        if (!key.empty()) m.marks = store->MarksOf(key, problem);
        if (!problem.empty()) warnings.push_back(problem);
        if (m.marks.empty() && problem.empty()) warnings.push_back(image.path + " has no marks");
    }
    if (extension == ".csv") {
        const std::string csv = MeasurementsCsv(marked);
        file.assign(csv.begin(), csv.end());
        return true;
    }
    if (extension == ".scc") {
        const std::optional<std::string> count = CraterCount(marked, warnings, error);
        if (!count) return false;
        file.assign(count->begin(), count->end());
        return true;
    }
    std::optional<std::vector<std::uint8_t>> package = MarksGeoPackage(marked, warnings, error);
    if (!package) return false;
    file = std::move(*package);
    return true;
}

}  // namespace dusk
