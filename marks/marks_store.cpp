// SPDX-License-Identifier: GPL-3.0-or-later
// The marks store: one GeoPackage attribute table "marks", written through
// GDAL's GPKG driver. Each change is a transaction of its own, committed
// before the call returns; the file is kept in write-ahead-log mode with
// SQLite's synchronous level FULL, so that a committed mark survives a crash
// and a power cut (GDAL leaves the level at SQLite's default unless
// OGR_SQLITE_SYNCHRONOUS says otherwise, which is then overridden here).
#include "marks/marks_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>

#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include "marks/mark_text.h"

namespace dusk {

namespace {

constexpr const char* kTable = "marks";

// The table's columns, in order.
enum Column { kKey, kFile, kKind, kPoints, kRadius, kInKm, kLatitude, kLongitude, kLength, kDiameter, kArea, kNote,
              kCreated, kColumnCount };

struct ColumnRow {
    const char* name;
    OGRFieldType type;
    OGRFieldSubType subType;
};

constexpr ColumnRow kColumns[kColumnCount] = {
    {"key", OFTString, OFSTNone},       {"file", OFTString, OFSTNone},     {"kind", OFTString, OFSTNone},
    {"points", OFTString, OFSTNone},    {"radius", OFTReal, OFSTNone},     {"in_km", OFTInteger, OFSTBoolean},
    {"latitude", OFTReal, OFSTNone},    {"longitude", OFTReal, OFSTNone},  {"length", OFTReal, OFSTNone},
    {"diameter", OFTReal, OFSTNone},    {"area", OFTReal, OFSTNone},       {"note", OFTString, OFSTNone},
    {"created", OFTString, OFSTNone},
};

void RegisterGpkg() {
    static std::once_flag registered;
    std::call_once(registered, [] { GDALAllRegister(); });
}

// GDAL's messages go to the caller instead of stderr while it lives.
class QuietErrors {
public:
    QuietErrors() {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietErrors() { CPLPopErrorHandler(); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;

    static std::string Last(const char* otherwise) {
        const char* message = CPLGetLastErrorMsg();
        return message != nullptr && *message != '\0' ? message : otherwise;
    }
};

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using DatasetPtr = std::unique_ptr<GDALDataset, DatasetCloser>;

void Pragma(GDALDataset& dataset, const std::string& statement) {
    OGRLayer* result = dataset.ExecuteSQL(statement.c_str(), nullptr, nullptr);
    if (result != nullptr) dataset.ReleaseResultSet(result);
}

// Puts the store in write-ahead-log mode, which the file keeps from then on.
// SQLite changes the mode only with the file to itself and, busy timeout or
// not, fails at once when another program is opening the same store, so the
// change is tried again for up to five seconds while the file is locked;
// any other failure is reported at once.
bool UseWriteAheadLog(GDALDataset& dataset) {
    constexpr int kAttempts = 250;
    for (int attempt = 1;; ++attempt) {
        CPLErrorReset();
        std::string mode;
        if (OGRLayer* result = dataset.ExecuteSQL("PRAGMA journal_mode = WAL", nullptr, nullptr)) {
            if (std::unique_ptr<OGRFeature> row(result->GetNextFeature()); row && row->GetFieldCount() > 0) {
                mode = row->GetFieldAsString(0);
            }
            dataset.ReleaseResultSet(result);
        }
        if (EQUAL(mode.c_str(), "wal")) return true;
        if (attempt == kAttempts || std::strstr(CPLGetLastErrorMsg(), "locked") == nullptr) return false;
        ::usleep(20'000);
    }
}

// Makes an empty store at `path`: written under a temporary name, then
// renamed into place, so that a crash while it is made leaves no half store.
bool CreateStore(const std::string& path, std::string& error) {
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GPKG");
    if (driver == nullptr) {
        error = "GDAL has no GeoPackage driver";
        return false;
    }
    // A name of this process's own: another program may be making the store
    // at the same moment.
    const std::string temporary = path + ".new." + std::to_string(::getpid());
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) std::filesystem::remove(temporary + suffix, ignored);
    {
        DatasetPtr dataset(driver->Create(temporary.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        if (!dataset) {
            error = QuietErrors::Last("it cannot be created");
            return false;
        }
        const char* const layerOptions[] = {"FID=id", "DESCRIPTION=Duskmapper marks", nullptr};
        OGRLayer* layer = dataset->CreateLayer(kTable, nullptr, wkbNone, const_cast<char**>(layerOptions));
        bool made = layer != nullptr;
        for (int i = 0; made && i < kColumnCount; ++i) {
            OGRFieldDefn field(kColumns[i].name, kColumns[i].type);
            field.SetSubType(kColumns[i].subType);
            made = layer->CreateField(&field) == OGRERR_NONE;
        }
        if (made) {
            Pragma(*dataset, std::string("CREATE INDEX marks_key ON ") + kTable + " (key)");
            dataset->FlushCache();
            // Made in its final mode, so that programs opening it together
            // have no mode to change.
            made = CPLGetLastErrorType() < CE_Failure && UseWriteAheadLog(*dataset);
        }
        if (!made) {
            error = QuietErrors::Last("its table cannot be made");
            dataset.reset();
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    // The new file's bytes reach the disk before its name does.
    const int fd = ::open(temporary.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    // Linked into place only where no store is yet: one another program
    // made meanwhile is kept, and opened.
    const bool linked = ::link(temporary.c_str(), path.c_str()) == 0;
    const int linkError = errno;
    std::filesystem::remove(temporary, ignored);
    if (!linked && linkError != EEXIST) {
        error = std::strerror(linkError);
        return false;
    }
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

// The column indices of the table; false where a column is missing or of
// another type.
bool FindColumns(OGRFeatureDefn& definition, std::array<int, kColumnCount>& index) {
    for (int i = 0; i < kColumnCount; ++i) {
        index[i] = definition.GetFieldIndex(kColumns[i].name);
        if (index[i] < 0 || definition.GetFieldDefn(index[i])->GetType() != kColumns[i].type) return false;
    }
    return true;
}

// GDAL's reason for a failed write, with the system's where a write of the
// file met a full disk, a quota, a file-size limit or a read-only medium
// (SQLite itself calls most of them "disk I/O error").
std::string WriteFailure(int cause, const char* otherwise) {
    std::string reason = QuietErrors::Last(otherwise);
    if (cause == ENOSPC || cause == EDQUOT || cause == EFBIG || cause == EROFS || cause == EIO) {
        reason += std::string(" (") + std::strerror(cause) + ")";
    }
    return reason;
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c;
        if (c == '\'') quoted += '\'';
    }
    return quoted + "'";
}

}  // namespace

std::string DefaultMarksPath() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string folder;
    if (data != nullptr && data[0] == '/') {
        folder = data;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || *home == '\0') {
            const passwd* user = ::getpwuid(::getuid());
            home = user != nullptr ? user->pw_dir : "/tmp";
        }
        folder = std::string(home) + "/.local/share";
    }
    return folder + "/duskmapper/marks.gpkg";
}

struct MarksStore::Data {
    std::string path;
    DatasetPtr dataset;
    OGRLayer* layer = nullptr;
    std::array<int, kColumnCount> column{};

    std::string Failure(const char* verb, const std::string& reason) const {
        return "The marks store " + path + " cannot be " + verb + ": " + reason;
    }
    // Stores `marks` in one transaction, under their own ids where `ownIds`.
    bool Write(const std::string& key, const std::string& fileName, std::span<const Mark> marks, bool ownIds,
               std::vector<std::int64_t>& stored, std::string& error);
};

MarksStore::MarksStore(std::unique_ptr<Data> data) : data_(std::move(data)) {}
MarksStore::~MarksStore() {
    if (data_ && data_->dataset) {
        const QuietErrors quiet;
        data_->dataset.reset();
    }
}

const std::string& MarksStore::Path() const { return data_->path; }

std::unique_ptr<MarksStore> MarksStore::Open(const std::string& path, std::string& error) {
    auto data = std::make_unique<Data>();
    data->path = path;
    const auto fail = [&](const std::string& reason) {
        error = data->Failure("opened", reason);
        return nullptr;
    };
    RegisterGpkg();
    const QuietErrors quiet;

    const std::filesystem::path file(path);
    std::error_code failure;
    if (file.has_parent_path()) {
        std::filesystem::create_directories(file.parent_path(), failure);
        if (failure) return fail(failure.message());
    }
    // Anything but a regular file (a folder, a FIFO, a device) is left alone:
    // reading a FIFO would wait for ever.
    struct stat status {};
    const bool exists = ::stat(path.c_str(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) return fail("it is not a regular file");
    if (!exists || status.st_size == 0) {
        std::string reason;
        if (!CreateStore(path, reason)) return fail(reason);
    }

    const char* const drivers[] = {"GPKG", nullptr};
    // Another program writing the store makes this one wait its turn, from
    // the first statement GDAL runs on opening it.
    CPLSetThreadLocalConfigOption("OGR_SQLITE_PRAGMA", "busy_timeout=5000");
    data->dataset.reset(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_UPDATE, drivers, nullptr, nullptr));
    CPLSetThreadLocalConfigOption("OGR_SQLITE_PRAGMA", nullptr);
    if (!data->dataset) return fail(QuietErrors::Last("it is not a GeoPackage"));
    data->layer = data->dataset->GetLayerByName(kTable);
    if (data->layer == nullptr || !FindColumns(*data->layer->GetLayerDefn(), data->column)) {
        return fail("it is not a marks store (it has no table of marks)");
    }
    // Durable commits: write-ahead log, synced at every commit.
    Pragma(*data->dataset, "PRAGMA busy_timeout = 5000");
    if (!UseWriteAheadLog(*data->dataset)) return fail(QuietErrors::Last("it cannot be written"));
    Pragma(*data->dataset, "PRAGMA synchronous = FULL");
    if (CPLGetLastErrorType() >= CE_Failure) return fail(QuietErrors::Last("it cannot be read"));
    return std::unique_ptr<MarksStore>(new MarksStore(std::move(data)));
}

std::vector<Mark> MarksStore::MarksOf(const std::string& key, std::string& error) const {
    const QuietErrors quiet;
    std::vector<Mark> marks;
    OGRLayer& layer = *data_->layer;
    const auto& c = data_->column;
    if (layer.SetAttributeFilter(("key = " + Quoted(key)).c_str()) != OGRERR_NONE) {
        error = data_->Failure("read", QuietErrors::Last("its table cannot be searched"));
        return marks;
    }
    layer.ResetReading();
    std::size_t unreadable = 0;
    for (std::unique_ptr<OGRFeature> feature(layer.GetNextFeature()); feature;
         feature.reset(layer.GetNextFeature())) {
        Mark mark;
        mark.id = feature->GetFID();
        const std::optional<MarkKind> kind = KindNamed(feature->GetFieldAsString(c[kKind]));
        std::optional<std::vector<RasterPoint>> points = PointsFromText(feature->GetFieldAsString(c[kPoints]));
        if (!kind || !points) {
            ++unreadable;
            continue;
        }
        mark.kind = *kind;
        mark.points = std::move(*points);
        mark.radius = feature->GetFieldAsDouble(c[kRadius]);
        mark.inKilometres = feature->GetFieldAsInteger(c[kInKm]) != 0;
        mark.latitude = feature->GetFieldAsDouble(c[kLatitude]);
        mark.longitude = feature->GetFieldAsDouble(c[kLongitude]);
        mark.length = feature->GetFieldAsDouble(c[kLength]);
        mark.diameter = feature->GetFieldAsDouble(c[kDiameter]);
        mark.area = feature->GetFieldAsDouble(c[kArea]);
        mark.note = feature->GetFieldAsString(c[kNote]);
        mark.created = feature->GetFieldAsString(c[kCreated]);
        if (!WellFormed(mark)) {
            ++unreadable;
            continue;
        }
        marks.push_back(std::move(mark));
    }
    const bool failed = CPLGetLastErrorType() >= CE_Failure;
    layer.SetAttributeFilter(nullptr);
    std::sort(marks.begin(), marks.end(), [](const Mark& a, const Mark& b) { return a.id < b.id; });
    if (failed) {
        error = data_->Failure("read", QuietErrors::Last("it is damaged"));
    } else if (unreadable > 0) {
        error = data_->Failure("read", std::to_string(unreadable) + " of the image's marks are damaged");
    }
    return marks;
}

bool MarksStore::Data::Write(const std::string& key, const std::string& fileName, std::span<const Mark> marks,
                             bool ownIds, std::vector<std::int64_t>& stored, std::string& error) {
    const QuietErrors quiet;
    for (const Mark& mark : marks) {
        if (!WellFormed(mark)) {
            error = Failure("written", std::string("the ") + KindName(mark.kind) + " has not the points it needs");
            return false;
        }
    }
    errno = 0;
    if (dataset->StartTransaction() != OGRERR_NONE) {
        error = Failure("written", WriteFailure(errno, "no transaction can be started"));
        return false;
    }
    const std::string now = NowUtc();
    stored.clear();
    for (const Mark& mark : marks) {
        OGRFeature feature(layer->GetLayerDefn());
        if (ownIds) feature.SetFID(mark.id);
        feature.SetField(column[kKey], key.c_str());
        feature.SetField(column[kFile], fileName.c_str());
        feature.SetField(column[kKind], KindName(mark.kind));
        feature.SetField(column[kPoints], PointsText(mark.points).c_str());
        feature.SetField(column[kRadius], mark.radius);
        feature.SetField(column[kInKm], mark.inKilometres ? 1 : 0);
        feature.SetField(column[kLatitude], mark.latitude);
        feature.SetField(column[kLongitude], mark.longitude);
        feature.SetField(column[kLength], mark.length);
        feature.SetField(column[kDiameter], mark.diameter);
        feature.SetField(column[kArea], mark.area);
        feature.SetField(column[kNote], mark.note.c_str());
        feature.SetField(column[kCreated], (mark.created.empty() ? now : mark.created).c_str());
        if (layer->CreateFeature(&feature) != OGRERR_NONE) {
            error = Failure("written", WriteFailure(errno, "the mark cannot be stored"));
            dataset->RollbackTransaction();
            return false;
        }
        stored.push_back(feature.GetFID());
    }
    if (dataset->CommitTransaction() != OGRERR_NONE) {
        error = Failure("written", WriteFailure(errno, "the mark cannot be stored"));
        dataset->RollbackTransaction();
        return false;
    }
    return true;
}

std::optional<std::int64_t> MarksStore::Add(const std::string& key, const std::string& fileName, const Mark& mark,
                                            std::string& error) {
    std::vector<std::int64_t> ids;
    if (!data_->Write(key, fileName, std::span(&mark, 1), false, ids, error)) return std::nullopt;
    return ids.front();
}

std::optional<std::vector<std::int64_t>> MarksStore::AddAll(const std::string& key, const std::string& fileName,
                                                            std::span<const Mark> marks, std::string& error) {
    std::vector<std::int64_t> ids;
    if (!data_->Write(key, fileName, marks, false, ids, error)) return std::nullopt;
    return ids;
}

bool MarksStore::Restore(const std::string& key, const std::string& fileName, const Mark& mark, std::string& error) {
    if (mark.id <= 0) {
        error = data_->Failure("written", "the mark to put back has no id");
        return false;
    }
    std::vector<std::int64_t> ids;
    return data_->Write(key, fileName, std::span(&mark, 1), true, ids, error);
}

bool MarksStore::Remove(std::int64_t id, std::string& error) {
    const QuietErrors quiet;
    GDALDataset& dataset = *data_->dataset;
    errno = 0;
    if (dataset.StartTransaction() != OGRERR_NONE) {
        error = data_->Failure("written", WriteFailure(errno, "no transaction can be started"));
        return false;
    }
    const OGRErr removed = data_->layer->DeleteFeature(id);
    if (removed == OGRERR_NON_EXISTING_FEATURE) {
        dataset.RollbackTransaction();
        error = data_->Failure("written", "it holds no mark " + std::to_string(id));
        return false;
    }
    if (removed != OGRERR_NONE || dataset.CommitTransaction() != OGRERR_NONE) {
        error = data_->Failure("written", WriteFailure(errno, "the mark cannot be removed"));
        dataset.RollbackTransaction();
        return false;
    }
    return true;
}

std::vector<std::string> MarksStore::Keys(std::string& error) const {
    const QuietErrors quiet;
    std::vector<std::string> keys;
    const std::string query = std::string("SELECT DISTINCT key FROM ") + kTable + " ORDER BY key";
    OGRLayer* result = data_->dataset->ExecuteSQL(query.c_str(), nullptr, nullptr);
    if (result == nullptr) {
        error = data_->Failure("read", QuietErrors::Last("its table cannot be searched"));
        return keys;
    }
    for (std::unique_ptr<OGRFeature> feature(result->GetNextFeature()); feature;
         feature.reset(result->GetNextFeature())) {
        keys.emplace_back(feature->GetFieldAsString(0));
    }
    data_->dataset->ReleaseResultSet(result);
    if (CPLGetLastErrorType() >= CE_Failure) error = data_->Failure("read", QuietErrors::Last("it is damaged"));
    return keys;
}

}  // namespace dusk
