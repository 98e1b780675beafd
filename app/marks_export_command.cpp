// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/marks_export_command.h"

#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <QFileDialog>
#include <QSaveFile>
#include <QStringList>
#include <QWidget>

#include "app/file_names.h"
#include "app/marks_model.h"
#include "app/measure_tools.h"
#include "core/image_state.h"
#include "geo/map_coordinates.h"
#include "geo/quad.h"
#include "marks/marks_export.h"
#include "marks/marks_store.h"

namespace dusk::app {

namespace {

struct ExportRow {
    MarksExportCommand::Export what;
    const char* filter;
    const char* extension;
};

constexpr std::array<ExportRow, 6> kExports{{
    {MarksExportCommand::Export::ImageGeoPackage, "GeoPackage of this image's marks (*.gpkg)", ".gpkg"},
    {MarksExportCommand::Export::QuadGeoPackage, "GeoPackage of the marks of the whole quad (*.gpkg)", ".gpkg"},
    {MarksExportCommand::Export::ImageCraterCount, "Craterstats crater count of this image (*.scc)", ".scc"},
    {MarksExportCommand::Export::QuadCraterCount, "Craterstats crater count of the whole quad (*.scc)", ".scc"},
    {MarksExportCommand::Export::MeasurementsCsv, "Measurements as CSV (*.csv)", ".csv"},
    {MarksExportCommand::Export::ProfileCsv, "Profile as CSV (*.csv)", ".csv"},
}};

bool Quadwide(MarksExportCommand::Export what) {
    return what == MarksExportCommand::Export::QuadGeoPackage || what == MarksExportCommand::Export::QuadCraterCount;
}

// The image on display with the marks its panel shows, then, for the whole
// quad, every other tile of its quad with its marks from the store.
std::vector<MarkedImage> ImagesToExport(const MeasureTools& tools, bool quadwide, std::vector<std::string>& warnings) {
    const ImageState& s = State();
    std::vector<MarkedImage> images;
    images.push_back({s.CurrentFileName, s.Projection, s.ImageWidth, s.ImageHeight, tools.Model().Marks()});
    if (!quadwide) return images;
    const std::vector<std::string> names(s.FileList.begin(), s.FileList.begin() + s.FileCount);
    const Quad quad = QuadOf(s.DirectoryPath, names, s.CurrentFileName);
    if (quad.id.empty()) {
        warnings.push_back(s.CurrentFileName + " belongs to no quad: its own marks only");
        return images;
    }
    std::string error;
    const std::unique_ptr<MarksStore> store = MarksStore::Open(DefaultMarksPath(), error);
    if (!store) {
        warnings.push_back(error);
        return images;
    }
    for (const QuadImage& tile : quad.tiles) {
        if (tile.name == s.CurrentFileName) continue;
        std::string problem;
        const std::string key = ContentKeyOfFile(s.DirectoryPath + tile.name, problem);
        std::vector<Mark> marks = key.empty() ? std::vector<Mark>{} : store->MarksOf(key, problem);
        if (!problem.empty()) warnings.push_back(problem);
        if (marks.empty()) continue;
        std::optional<MapProjection> projection;
        if (tile.coordinates) projection = tile.coordinates->Projection();
        images.push_back({tile.name, projection, tile.width, tile.height, std::move(marks)});
    }
    return images;
}

}  // namespace

MarksExportCommand::MarksExportCommand(QWidget& window, const MeasureTools& tools) : window_(window), tools_(tools) {
    SetChooser(nullptr);
}

void MarksExportCommand::SetChooser(Chooser chooser) {
    chooser_ = chooser ? std::move(chooser) : [this] { return ChooseWithDialog(); };
}

MarksExportCommand::Choice MarksExportCommand::ChooseWithDialog() {
    QStringList filters;
    for (const ExportRow& row : kExports) filters << QString::fromUtf8(row.filter);
    QFileDialog dialog(&window_, QObject::tr("Export Marks"));
    dialog.setObjectName(QStringLiteral("ExportMarksDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(filters);
    const ImageState& s = State();
    dialog.setDirectory(FromFileSystem(s.DirectoryPath));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const auto index = static_cast<std::size_t>(std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter())));
    QString path = dialog.selectedFiles().front();
    const QString extension = QString::fromLatin1(kExports[index].extension);
    if (!path.endsWith(extension, Qt::CaseInsensitive)) path += extension;
    return {path, kExports[index].what};
}

QString MarksExportCommand::Run() {
    const Choice choice = chooser_();
    if (choice.path.isEmpty()) return {};
    const ImageState& s = State();
    std::vector<std::string> warnings;
    std::string error;
    std::string bytes;
    switch (choice.what) {
        case Export::ImageGeoPackage:
        case Export::QuadGeoPackage: {
            const std::vector<MarkedImage> images = ImagesToExport(tools_, Quadwide(choice.what), warnings);
            if (const auto file = MarksGeoPackage(images, warnings, error)) bytes.assign(file->begin(), file->end());
            break;
        }
        case Export::ImageCraterCount:
        case Export::QuadCraterCount: {
            const std::vector<MarkedImage> images = ImagesToExport(tools_, Quadwide(choice.what), warnings);
            if (const auto count = CraterCount(images, warnings, error)) bytes = *count;
            break;
        }
        case Export::MeasurementsCsv:
            bytes = MeasurementsCsv(ImagesToExport(tools_, false, warnings));
            break;
        case Export::ProfileCsv: {
            const std::optional<Profile> profile = tools_.ShownProfile();
            if (!profile) {
                error = "no profile is shown: draw one with Measure ▸ Profile first";
                break;
            }
            const std::size_t stored = s.FileLength > 0 ? static_cast<std::size_t>(s.FileLength) : 0;
            bytes = dusk::ProfileCsv(*profile, std::span(s.OriginalImage.data(), std::min(stored, s.OriginalImage.size())),
                                     s.ImageWidth);
            break;
        }
    }
    if (bytes.empty()) {
        return QObject::tr("The marks were not exported: %1").arg(QString::fromStdString(error));
    }
    QSaveFile file(choice.path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
                                                static_cast<qint64>(bytes.size()) ||
        !file.commit()) {
        return QObject::tr("The marks were not exported: %1: %2").arg(choice.path, file.errorString());
    }
    QString said = QObject::tr("Marks exported to %1").arg(choice.path);
    if (!warnings.empty()) said += QStringLiteral(" (") + QString::fromStdString(warnings.front()) +
                                   (warnings.size() > 1 ? QObject::tr(" and %1 more)").arg(warnings.size() - 1)
                                                        : QStringLiteral(")"));
    return said;
}

}  // namespace dusk::app
