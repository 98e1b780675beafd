// SPDX-License-Identifier: GPL-3.0-or-later
// Saving and printing the picture on display: the whole picture of the image
// window at its full size, whatever part of it the window shows. A PNG or
// TIFF of a reduced picture holds the reduced picture alone.
#include <stdexcept>

#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>

#include "app/child.h"
#include "app/file_names.h"
#include "app/main_form.h"
#include "app/marks_export_command.h"
#include "core/image_state.h"
#include "core/print_layout.h"
#include "core/readout.h"
#include "output/tiff_file.h"

namespace dusk::app {

struct TMainForm::OutputDialogs {
    // One printer for the whole run: Print Setup chooses its page for the
    // later print jobs. Printer pixels are those of the device, not of the
    // screen.
    QPrinter printer{QPrinter::HighResolution};
    QFileDialog* saveDialog = nullptr;  // SavePictureDialog
    ImageChooser saveChooser;
    QString chosenFilter;  // the save dialog's filter when it was last accepted
    PrinterDialog print;
    PrinterDialog setup;
};

namespace {

[[noreturn]] void Fail(const QString& message) { throw std::runtime_error(message.toStdString()); }

// The save dialog's filters: the two bitmap entries first, bitmaps the default.
const QString kPngFilter = QStringLiteral("PNG images (*.png)");
const QString kTiffFilter = QStringLiteral("TIFF images (*.tif *.tiff)");

PictureFormat FormatOfFilter(const QString& filter) {
    if (filter == kPngFilter) return PictureFormat::Png;
    if (filter == kTiffFilter) return PictureFormat::Tiff;
    return PictureFormat::Bmp;
}

// The picture's grey samples, top row first: red, green and blue agree.
GreyPicture GreyOf(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    GreyPicture grey{rgb.width(), rgb.height(), {}};
    grey.samples.reserve(static_cast<std::size_t>(rgb.width()) * static_cast<std::size_t>(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) grey.samples.push_back(static_cast<std::uint8_t>(qRed(row[x])));
    }
    return grey;
}

}  // namespace

void TMainForm::CreateOutputDialogs() {
    output_ = std::make_shared<OutputDialogs>();
    OutputDialogs& out = *output_;

    out.saveDialog = new QFileDialog(this);
    out.saveDialog->setObjectName(QStringLiteral("SavePictureDialog"));
    out.saveDialog->setWindowTitle(QStringLiteral("Save image"));
    out.saveDialog->setAcceptMode(QFileDialog::AcceptSave);
    out.saveDialog->setFileMode(QFileDialog::AnyFile);
    out.saveDialog->setOption(QFileDialog::DontUseNativeDialog);
    out.saveDialog->setNameFilters({QStringLiteral("*.bmp"), QStringLiteral("Bitmaps (*.bmp)"), kPngFilter, kTiffFilter});
    out.saveDialog->setDefaultSuffix(QStringLiteral("bmp"));
    // A name typed without extension gets that of the chosen filter.
    connect(out.saveDialog, &QFileDialog::filterSelected, out.saveDialog, [dialog = out.saveDialog](const QString& f) {
        dialog->setDefaultSuffix(QString::fromLatin1(ExtensionOf(FormatOfFilter(f)) + 1));
    });
    out.saveDialog->resize(800, 520);

    SetSaveChooser(nullptr);
    SetPrintDialog(nullptr);
    SetPrintSetupDialog(nullptr);
}

void TMainForm::SetSaveChooser(ImageChooser chooser) {
    if (chooser) {
        output_->saveChooser = std::move(chooser);
    } else {
        output_->saveChooser = [this] { return ChooseSaveName(); };
    }
}

// The print and printer-setup dialogs are made afresh for each use, so each
// starts from the printer's settings as they are now.
void TMainForm::SetPrintDialog(PrinterDialog dialog) {
    if (dialog) {
        output_->print = std::move(dialog);
    } else {
        output_->print = [this](QPrinter& printer) {
            // A guarded pointer, as Qt advises for a dialog run with exec().
            QPointer<QPrintDialog> shown = new QPrintDialog(&printer, this);
            shown->setObjectName(QStringLiteral("PrintDialog1"));
            const bool accepted = shown->exec() == QDialog::Accepted;
            delete shown;
            return accepted;
        };
    }
}

void TMainForm::SetPrintSetupDialog(PrinterDialog dialog) {
    if (dialog) {
        output_->setup = std::move(dialog);
    } else {
        output_->setup = [this](QPrinter& printer) {
            // A guarded pointer, as Qt advises for a dialog run with exec().
            QPointer<QPageSetupDialog> shown = new QPageSetupDialog(&printer, this);
            shown->setObjectName(QStringLiteral("PrinterSetupDialog1"));
            const bool accepted = shown->exec() == QDialog::Accepted;
            delete shown;
            return accepted;
        };
    }
}

QString TMainForm::ChooseSaveName() {
    // Beside the image, named after it.
    const QFileInfo image(FromFileSystem(State().CurrentImagePath));
    if (!image.fileName().isEmpty()) {
        output_->saveDialog->setDirectory(image.absolutePath());
        output_->saveDialog->selectFile(image.completeBaseName() + QStringLiteral(".bmp"));
    }
    if (output_->saveDialog->exec() != QDialog::Accepted) return {};
    output_->chosenFilter = output_->saveDialog->selectedNameFilter();
    const QStringList chosen = output_->saveDialog->selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.front();
}

// The picture is written to a temporary file in the same folder and renamed
// into place once it is complete, so a save that fails leaves any earlier
// file of that name as it was. The format is that of the name's extension
// (.bmp, .png, .tif, .tiff), else that of the filter chosen in the dialog, else
// a bitmap: a name ending in .jpg still gets a bitmap.
void TMainForm::SaveAs() {
    output_->chosenFilter.clear();
    const QString path = output_->saveChooser();
    // A scan may have moved on while the dialog was open: the picture on
    // display now is the one saved.
    if (path.isEmpty() || currentChild_ == nullptr) return;
    const PictureFormat format =
        FormatOfName(QFileInfo(path).fileName().toStdString()).value_or(FormatOfFilter(output_->chosenFilter));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) Fail(tr("Could not save %1: %2").arg(path, file.errorString()));
    if (format == PictureFormat::Bmp) {
        // 24 bits per pixel whatever the extension: Qt would write a grey image
        // with 8 bits and a colour table.
        const QImage picture = currentChild_->Picture().convertToFormat(QImage::Format_RGB32);
        QImageWriter writer(&file, "BMP");
        if (!writer.write(picture)) {
            const QString reason = file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
            file.cancelWriting();
            Fail(tr("Could not save %1: %2").arg(path, reason));
        }
    } else {
        // Of a reduced picture, only its samples, without the grey field.
        const DisplayMapping mapping = CurrentDisplayMapping();
        const GreyPicture grey = CropPicture(GreyOf(currentChild_->Picture()), SampleArea(mapping));
        std::vector<std::uint8_t> bytes;
        std::string reason;
        bool encoded = false;
        if (format == PictureFormat::Png) {
            encoded = EncodePng(grey, bytes, reason);
        } else {
            // Georeferenced where the label gives a map projection.
            std::optional<Georeference> georeference;
            if (State().Projection) georeference = PictureGeoreference(*State().Projection, mapping);
            encoded = EncodeTiff(grey, georeference, bytes, reason);
        }
        const auto size = static_cast<qint64>(bytes.size());
        if (!encoded || file.write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
            const QString why = encoded ? file.errorString() : QString::fromStdString(reason);
            file.cancelWriting();
            Fail(tr("Could not save %1: %2").arg(path, why));
        }
    }
    if (!file.commit()) Fail(tr("Could not save %1: %2").arg(path, file.errorString()));
}

void TMainForm::PrintSetup() { output_->setup(output_->printer); }

void TMainForm::Print() {
    QPrinter& printer = output_->printer;
    if (!output_->print(printer)) return;
    if (currentChild_ == nullptr) return;
    const QImage picture = currentChild_->Picture();

    printer.setDocName(FromFileSystem(State().CurrentFileName));
    QPainter painter;
    if (!painter.begin(&printer)) {
        const QString where = printer.outputFormat() == QPrinter::PdfFormat
                                  ? (printer.outputFileName().isEmpty() ? tr("no output file was chosen")
                                                                        : printer.outputFileName())
                                  : printer.printerName();
        Fail(tr("The printer could not start the print job (%1).").arg(where));
    }
    // The job is ended whatever happens while drawing.
    struct EndJob {
        QPainter& painter;
        ~EndJob() {
            if (painter.isActive()) painter.end();
        }
    } endJob{painter};

    // Every sample reaches a PDF exactly as shown, never as lossy JPEG.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    const PrintRect r = PrintRectangle(picture.width(), picture.height(), printer.width(), printer.height());
    painter.drawImage(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), picture);
    if (!painter.end()) Fail(tr("The print job could not be finished."));
}

// ---------------------------------------------------------------------------
// Export Marks.

MarksExportCommand& TMainForm::MarksExport() {
    if (marksExport_ == nullptr) marksExport_ = std::make_unique<MarksExportCommand>(*this, *measure_);
    return *marksExport_;
}

void TMainForm::ExportMarks() {
    if (currentChild_ == nullptr) return;
    const QString said = MarksExport().Run();
    if (!said.isEmpty()) ShowHint(said);
}

}  // namespace dusk::app
