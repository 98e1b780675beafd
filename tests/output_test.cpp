// SPDX-License-Identifier: GPL-3.0-or-later
// Saving, printing and the Info box of the desktop program, on Qt's offscreen
// platform. Saved files are compared byte for byte with the exporter's
// rendering of the same file and options; printed pages go to a PDF file and
// are looked at through pdftoppm.
#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include "app/child.h"
#include "app/main_form.h"
#include "app_fixture.h"
#include "core/image_state.h"
#include "core/print_layout.h"
#include "tools/export.h"

#include <gdal.h>

using dusk::State;
using dusk::app::TChild;
using dusk::app::TMainForm;

namespace {

struct Raster {
    int width;
    int height;
};

// A gentle ramp from 40 at the top left to about 146 at the bottom right:
// never white, so the printed picture stands out from the paper.
std::string RampSamples(Raster r) {
    std::string bytes(static_cast<std::size_t>(r.width) * r.height, '\0');
    for (int y = 0; y < r.height; ++y) {
        for (int x = 0; x < r.width; ++x) {
            bytes[static_cast<std::size_t>(y) * r.width + x] =
                static_cast<char>(40 + x * 53 / r.width + y * 53 / r.height);
        }
    }
    return bytes;
}

// Every sample different from its neighbours, over the whole grey range.
std::string NoisySamples(Raster r) {
    std::string bytes(static_cast<std::size_t>(r.width * r.height), '\0');
    std::uint32_t x = 12345;
    for (char& b : bytes) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<char>(x >> 24);
    }
    return bytes;
}

constexpr Raster kWide{1052, 660};    // 694,320 bytes
constexpr Raster kTall{1036, 1120};  // 1,159,284 bytes

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t U32(const std::string& b, std::size_t at) {
    return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8 |
           static_cast<std::uint8_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 3])) << 24;
}
std::uint16_t U16(const std::string& b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8);
}

std::set<std::string> Listing(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

struct ErrorBox {
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Runs `action` and answers the first message box it shows.
ErrorBox CatchErrorBox(const std::function<void()>& action) {
    ErrorBox box;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (shown == nullptr || box.shown) return;
        box = {true, shown->windowTitle(), shown->text(), shown->icon()};
        shown->accept();
    });
    poll.start();
    action();
    return box;
}

// A Latin-2 label: lines of 78 characters ending in CR LF. The first holds
// code page 1250 letters (0x8A S caron, 0x9E z caron, 0xB3 l stroke, 0xE8 c
// caron, 0xF8 r caron) and ends in blanks; the third is two characters short,
// so the next line's first two bytes and the CR LF fall inside its item.
std::string LabelText() {
    std::string first = "OBJECT \x8A\x9E\xB3\xE8\xF8 LABEL";
    first.resize(78, ' ');
    std::string text = first + "\r\n";
    std::string second = "SECOND";
    second.resize(78, '.');
    text += second + "\r\n";
    std::string third = "SHORT";
    third.resize(76, '-');
    text += third + "\r\nNEXT LINE\r\n";
    return text;
}

}  // namespace

class OutputTest : public dusk::test::AppFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void dialogsAndKeys();
    void saveWritesWholePicture_data();
    void saveWritesWholePicture();
    void saveDialogAddsExtension();
    void saveOtherFormats_data();
    void saveOtherFormats();
    void saveDialogFilterChoosesFormat();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void printPlacesPicture_data();
    void printPlacesPicture();
    void printSetupAppliesToLaterJobs();
    void printerThatCannotStart();
    void printKeepsEverySample();
    void saveDialogStartsBesideTheImage();
    void infoBoxFollowsLoads();

private:
    QString Path(const std::string& name) const { return Decoded(dir_->path() / name); }
    QString WriteImage(const std::string& name, Raster r) const {
        dir_->write(name, RampSamples(r));
        return Path(name);
    }
    // Prints the picture on display into `pdf`, with `setUp` choosing the
    // page in place of the print dialog; returns the printer as it was used.
    QPrinter* PrintTo(const QString& pdf, const std::function<void(QPrinter&)>& setUp = {}) {
        QPrinter* used = nullptr;
        form_->SetPrintDialog([&](QPrinter& printer) {
            printer.setOutputFileName(pdf);
            if (setUp) setUp(printer);
            used = &printer;
            return true;
        });
        Trigger("Print1");
        return used;
    }
    // The pages of a PDF file as grey images at `dpi`; skips the test when
    // pdftoppm is not installed.
    QList<QImage> RenderPages(const QString& pdf, int dpi) {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (tool.isEmpty()) return {};
        const QString prefix = Path("page");
        QProcess run;
        run.start(tool, {"-r", QString::number(dpi), "-gray", "-png", pdf, prefix});
        if (!run.waitForFinished(60000) || run.exitCode() != 0) return {};
        QList<QImage> pages;
        QDir folder(QString::fromStdString(dir_->path().string()));
        for (const QString& name : folder.entryList({"page-*.png"}, QDir::Files, QDir::Name)) {
            pages << QImage(folder.filePath(name)).convertToFormat(QImage::Format_Grayscale8);
            folder.remove(name);
        }
        return pages;
    }
};

void OutputTest::init() {
    StartFolder();
    form_ = new TMainForm;
    form_->SetImageChooser([] { return QString(); });
    form_->SetSaveChooser([] { return QString(); });
    form_->SetPrintDialog([](QPrinter&) { return false; });
    form_->SetPrintSetupDialog([](QPrinter&) { return false; });
    ShowForm();
}

void OutputTest::cleanup() { EndForm(); }

// ---------------------------------------------------------------------------

void OutputTest::dialogsAndKeys() {
    auto* save = form_->findChild<QFileDialog*>("SavePictureDialog");
    QVERIFY(save != nullptr && save->isHidden());
    QCOMPARE(save->windowTitle(), QStringLiteral("Save image"));
    QCOMPARE(save->defaultSuffix(), QStringLiteral("bmp"));
    QCOMPARE(save->nameFilters(),
             (QStringList{"*.bmp", "Bitmaps (*.bmp)", "PNG images (*.png)", "TIFF images (*.tif *.tiff)"}));
    QCOMPARE(save->acceptMode(), QFileDialog::AcceptSave);
    QVERIFY(!save->testOption(QFileDialog::DontConfirmOverwrite));

    QVERIFY(Action("SaveAs1")->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_S)));
    QVERIFY(Action("Print1")->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_P)));
    QVERIFY(Action("ToolButton29")->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_I)));
}

void OutputTest::saveWritesWholePicture_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QList<int>>("options");
    QTest::addColumn<QString>("saveName");
    QTest::newRow("as loaded") << kWide.width << kWide.height << QStringList{} << QList<int>{} << "a.bmp";
    QTest::newRow("minimize") << kWide.width << kWide.height << QStringList{"ToolButton30"}
                              << QList<int>{dusk::OptMinimizeHalf} << "b.bmp";
    QTest::newRow("invert, named .jpg") << kWide.width << kWide.height << QStringList{"ToolButton19"}
                                        << QList<int>{dusk::OptInvert} << "c.jpg";
    QTest::newRow("tall: invert, rotate, quarter")
        << kTall.width << kTall.height << QStringList{"ToolButton19", "ToolButton33", "ToolButton32"}
        << QList<int>{dusk::OptInvert, dusk::OptRotate, dusk::OptMinimizeQuarter} << "d.bmp";
}

void OutputTest::saveWritesWholePicture() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QStringList, buttons);
    QFETCH(QList<int>, options);
    QFETCH(QString, saveName);

    const QString image = WriteImage("V0501.img", {width, height});
    OpenFile(image);
    for (const QString& button : buttons) Trigger(button);
    // The window shows only part of the picture.
    auto* scroll = form_->CurrentChild()->findChild<QScrollArea*>("ImageScroll");
    QVERIFY(scroll->viewport()->width() < width || scroll->viewport()->height() < height);

    const QString target = Path(saveName.toStdString());
    form_->SetSaveChooser([target] { return target; });
    Trigger("SaveAs1");
    const std::string saved = ReadAll(target.toStdString());

    // A complete 24-bit bitmap file of the whole picture.
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    const std::size_t fileSize = 54 + rowBytes * static_cast<std::size_t>(height);
    QCOMPARE(saved.size(), fileSize);
    QCOMPARE(saved.substr(0, 2), std::string("BM"));
    QCOMPARE(U32(saved, 2), static_cast<std::uint32_t>(fileSize));
    QCOMPARE(U32(saved, 10), 54u);
    QCOMPARE(U32(saved, 14), 40u);
    QCOMPARE(static_cast<int>(U32(saved, 18)), width);
    QCOMPARE(static_cast<int>(U32(saved, 22)), height);
    QCOMPARE(U16(saved, 26), std::uint16_t{1});
    QCOMPARE(U16(saved, 28), std::uint16_t{24});
    QCOMPARE(U32(saved, 30), 0u);

    // The same pixels as the exporter's, for the same file and options.
    dusk::ExportSettings settings;
    for (const int slot : options) settings.options[static_cast<std::size_t>(slot)] = 1;
    std::vector<std::uint8_t> expected;
    std::string error;
    QVERIFY2(dusk::RenderImageFile(image.toStdString(), settings, expected, error), error.c_str());
    QCOMPARE(expected.size(), fileSize);
    QVERIFY2(std::memcmp(expected.data() + 54, saved.data() + 54, fileSize - 54) == 0,
             "the saved pixels differ from the exporter's");
}

void OutputTest::saveDialogAddsExtension() {
    OpenFile(WriteImage("V0501.img", kWide));
    form_->SetSaveChooser(nullptr);  // the real dialog
    auto* dialog = form_->findChild<QFileDialog*>("SavePictureDialog");
    bool shown = false;
    QTimer::singleShot(0, dialog, [&] {
        shown = dialog->isVisible();
        dialog->setDirectory(QString::fromStdString(dir_->path().string()));
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        if (name != nullptr) name->setText("noext");
        QMetaObject::invokeMethod(dialog, "accept");
        if (dialog->isVisible()) dialog->reject();
    });
    Trigger("SaveAs1");
    QVERIFY(shown);
    const std::string saved = ReadAll(dir_->path() / "noext.bmp");
    QVERIFY(saved.size() > 54);
    QCOMPARE(saved.substr(0, 2), std::string("BM"));
    QVERIFY(!std::filesystem::exists(dir_->path() / "noext"));
}

void OutputTest::saveOtherFormats_data() {
    QTest::addColumn<QString>("saveName");
    QTest::addColumn<int>("reduction");
    QTest::newRow("png") << "x.png" << 1;
    QTest::newRow("tif") << "y.TIF" << 1;
    QTest::newRow("tiff") << "z.tiff" << 1;
    QTest::newRow("png, quarter size") << "q.png" << 4;
    QTest::newRow("tiff, half size") << "h.tif" << 2;
}

// PNG and TIFF files of a turned picture hold its grey samples, top row first;
// a TIFF of an image whose label gives a map projection carries it, with the
// turned picture's geotransform. Of a reduced picture they hold the reduced
// picture alone (at half size columns 137 to 662 and lines 69 to 398 of the
// picture shown, at quarter size 269 to 531 and 152 to 316), whose pixels
// are 2 or 4 file samples wide, starting at the same corner of the file.
void OutputTest::saveOtherFormats() {
    QFETCH(QString, saveName);
    QFETCH(int, reduction);
    OpenFile(WriteImage("V0501.img", kWide));
    Trigger("ToolButton33");  // Rotate
    if (reduction == 2) Trigger("ToolButton30");
    if (reduction == 4) Trigger("ToolButton32");
    const QRect part = reduction == 1   ? QRect(0, 0, kWide.width, kWide.height)
                       : reduction == 2 ? QRect(137, 69, 526, 330)
                                        : QRect(269, 152, 263, 165);
    dusk::MapProjection projection;
    projection.type = "SIMPLE CYLINDRICAL";
    projection.aAxisRadius = projection.cAxisRadius = 6051.8;
    projection.lineProjectionOffset = 100;
    projection.sampleProjectionOffset = -200;
    projection.mapScale = 2;
    State().Projection = projection;
    const QString target = Path(saveName.toStdString());
    form_->SetSaveChooser([target] { return target; });
    Trigger("SaveAs1");

    GDALAllRegister();
    GDALDatasetH file = GDALOpen(target.toUtf8().constData(), GA_ReadOnly);
    QVERIFY(file != nullptr);
    const bool png = saveName.endsWith("png");
    QCOMPARE(QString(GDALGetDriverShortName(GDALGetDatasetDriver(file))), png ? QString("PNG") : QString("GTiff"));
    const QSize size(GDALGetRasterXSize(file), GDALGetRasterYSize(file));
    std::vector<std::uint8_t> grey(static_cast<std::size_t>(part.width()) * part.height());
    const CPLErr read = GDALRasterIO(GDALGetRasterBand(file, 1), GF_Read, 0, 0, part.width(), part.height(),
                                     grey.data(), part.width(), part.height(), GDT_Byte, 0, 0);
    double t[6] = {};
    const bool georeferenced = GDALGetGeoTransform(file, t) == CE_None;
    const QString wkt = GDALGetProjectionRef(file);
    GDALClose(file);
    QCOMPARE(size, part.size());
    QCOMPARE(read, CE_None);
    const QImage picture = form_->CurrentChild()->Picture();
    QCOMPARE(picture.size(), QSize(kWide.width, kWide.height));  // the window keeps the grey field
    int wrong = 0;
    for (int y = 0; y < part.height(); ++y) {
        for (int x = 0; x < part.width(); ++x) {
            wrong += grey[y * part.width() + x] != qRed(picture.pixel(part.x() + x, part.y() + y));
        }
    }
    QCOMPARE(wrong, 0);
    if (png) return;
    // Turned: the top left pixel is the file's last sample, so the picture
    // starts at the far corner of the file's raster and runs back.
    QVERIFY(georeferenced);
    QVERIFY(wkt.contains("SIMPLE_CYLINDRICAL VENUS"));
    const double d = 2000;
    QCOMPARE(t[0], (200 - 0.5 + kWide.width) * d);
    QCOMPARE(t[1], -d * reduction);
    QCOMPARE(t[3], (100 + 0.5 - kWide.height) * d);
    QCOMPARE(t[5], d * reduction);
    QCOMPARE(t[2], 0.0);
    QCOMPARE(t[4], 0.0);
}

// Choosing the PNG filter and typing a bare name saves NAME.png as PNG.
void OutputTest::saveDialogFilterChoosesFormat() {
    OpenFile(WriteImage("V0501.img", kWide));
    form_->SetSaveChooser(nullptr);  // the real dialog
    auto* dialog = form_->findChild<QFileDialog*>("SavePictureDialog");
    QTimer::singleShot(0, dialog, [&] {
        dialog->setDirectory(QString::fromStdString(dir_->path().string()));
        auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
        if (types != nullptr) {
            types->setCurrentIndex(2);
            emit types->activated(2);
            emit types->textActivated(types->currentText());
        }
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        if (name != nullptr) name->setText("typed");
        QMetaObject::invokeMethod(dialog, "accept");
        if (dialog->isVisible()) dialog->reject();
    });
    Trigger("SaveAs1");
    QCOMPARE(ReadAll(dir_->path() / "typed.png").substr(0, 4), std::string("\x89PNG"));
}

void OutputTest::failedSaveKeepsOldFile_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("folder missing") << "folder missing";
    QTest::newRow("disk fills up") << "disk fills up";
    QTest::newRow("name is a folder") << "name is a folder";
}

void OutputTest::failedSaveKeepsOldFile() {
    QFETCH(QString, how);
    OpenFile(WriteImage("V0501.img", kWide));
    const std::string old = "an earlier picture that must survive";
    QString target = Path("kept.bmp");
    if (how == "folder missing") target = Path("no such folder/picture.bmp");
    if (how == "disk fills up") dir_->write("kept.bmp", old);
    if (how == "name is a folder") std::filesystem::create_directory(dir_->path() / "kept.bmp");
    const std::set<std::string> before = Listing(dir_->path());
    form_->SetSaveChooser([target] { return target; });

    // A full disk: the file may grow to 64 KiB, not to the 2 MB picture.
    rlimit oldLimit{};
    getrlimit(RLIMIT_FSIZE, &oldLimit);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    if (how == "disk fills up") {
        rlimit small = oldLimit;
        small.rlim_cur = 64 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    const ErrorBox box = CatchErrorBox([this] { Trigger("SaveAs1"); });
    setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldSignal);

    QVERIFY(box.shown);
    QCOMPARE(box.title, QStringLiteral("Duskmapper"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QVERIFY2(box.text.contains(target), qPrintable(box.text));
    // Nothing changed in the folder: no half-written file, no leftover.
    QCOMPARE(Listing(dir_->path()), before);
    if (how == "disk fills up") QCOMPARE(ReadAll(dir_->path() / "kept.bmp"), old);
    if (how == "name is a folder") QVERIFY(std::filesystem::is_directory(dir_->path() / "kept.bmp"));
    // The program goes on: a save that can be done still works.
    const QString good = Path("good.bmp");
    form_->SetSaveChooser([good] { return good; });
    Trigger("SaveAs1");
    QCOMPARE(ReadAll(dir_->path() / "good.bmp").size(), std::size_t{54 + 1052 * 3 * 660});
}

void OutputTest::printPlacesPicture_data() {
    QTest::addColumn<QPageSize>("page");
    QTest::addColumn<int>("resolution");
    QTest::addColumn<bool>("compressed");
    QTest::addColumn<bool>("ownSize");
    // A4 at 1200 dpi: stretched to the printable width, height in proportion.
    QTest::newRow("A4") << QPageSize(QPageSize::A4) << 1200 << false << false;
    // A wide, low page: the height is cut down to the page's.
    QTest::newRow("short page") << QPageSize(QSizeF(200, 60), QPageSize::Millimeter) << 1200 << true << false;
    // At 72 dpi an A4 page is narrower than the picture: one printer pixel
    // per picture pixel, cut off at the edge.
    QTest::newRow("narrow page") << QPageSize(QPageSize::A4) << 72 << false << true;
}

void OutputTest::printPlacesPicture() {
    QFETCH(QPageSize, page);
    QFETCH(int, resolution);
    QFETCH(bool, compressed);
    QFETCH(bool, ownSize);
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) QSKIP("pdftoppm (poppler-utils) is not installed");

    OpenFile(WriteImage("V0501.img", kWide));
    const QString pdf = Path("print.pdf");
    QPrinter* printer = PrintTo(pdf, [&](QPrinter& p) {
        p.setPageSize(page);
        p.setPageOrientation(QPageLayout::Portrait);
        p.setResolution(resolution);
    });
    QVERIFY(printer != nullptr);
    QCOMPARE(printer->resolution(), resolution);

    const int pageWidth = printer->width();
    const int pageHeight = printer->height();
    const dusk::PrintRect rect = dusk::PrintRectangle(kWide.width, kWide.height, pageWidth, pageHeight);
    QCOMPARE(rect.bottom == pageHeight, compressed);
    QCOMPARE(rect.right == kWide.width && rect.bottom == kWide.height, ownSize);
    const QPoint corner = printer->pageLayout().paintRectPixels(resolution).topLeft();

    constexpr int kDpi = 100;
    const QList<QImage> pages = RenderPages(pdf, kDpi);
    QCOMPARE(pages.size(), 1);  // one page, never split
    const QImage& shown = pages.front();

    // The picture is what is not paper.
    QRect found;
    for (int y = 0; y < shown.height(); ++y) {
        const uchar* line = shown.constScanLine(y);
        for (int x = 0; x < shown.width(); ++x) {
            if (line[x] < 200) found |= QRect(x, y, 1, 1);
        }
    }
    const double scale = static_cast<double>(kDpi) / resolution;
    const QRect expected = QRect(QPoint(qRound((corner.x() + rect.left) * scale), qRound((corner.y() + rect.top) * scale)),
                                 QPoint(qRound((corner.x() + rect.right) * scale) - 1,
                                        qRound((corner.y() + rect.bottom) * scale) - 1))
                               .intersected(shown.rect());
    const auto near = [](int a, int b) { return std::abs(a - b) <= 2; };
    QVERIFY2(near(found.left(), expected.left()) && near(found.top(), expected.top()) &&
                 near(found.right(), expected.right()) && near(found.bottom(), expected.bottom()),
             qPrintable(QStringLiteral("drawn at (%1, %2)-(%3, %4), expected (%5, %6)-(%7, %8)")
                            .arg(found.left()).arg(found.top()).arg(found.right()).arg(found.bottom())
                            .arg(expected.left()).arg(expected.top()).arg(expected.right()).arg(expected.bottom())));
    // Upright: dark at the top left, lighter at the bottom right.
    const int topLeft = qGray(shown.pixel(found.left() + 3, found.top() + 3));
    const int bottomRight = qGray(shown.pixel(found.right() - 3, found.bottom() - 3));
    QVERIFY2(topLeft < 50 && bottomRight > topLeft + 30, qPrintable(QStringLiteral("%1 %2").arg(topLeft).arg(bottomRight)));
}

void OutputTest::printSetupAppliesToLaterJobs() {
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty()) QSKIP("pdftoppm (poppler-utils) is not installed");
    OpenFile(WriteImage("V0501.img", kWide));
    QPrinter* setUp = nullptr;
    form_->SetPrintSetupDialog([&](QPrinter& printer) {
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Landscape);
        setUp = &printer;
        return true;
    });
    Trigger("PrintSetup1");
    // A cancelled print dialog prints nothing.
    Trigger("Print1");
    QVERIFY(!std::filesystem::exists(dir_->path() / "print.pdf"));

    QPrinter* used = PrintTo(Path("print.pdf"));
    QVERIFY(used != nullptr && used == setUp);
    const QList<QImage> pages = RenderPages(Path("print.pdf"), 30);
    QCOMPARE(pages.size(), 1);
    QVERIFY(pages.front().width() > pages.front().height());
}

void OutputTest::printerThatCannotStart() {
    OpenFile(WriteImage("V0501.img", kWide));
    const QString pdf = Path("no such folder/print.pdf");
    const ErrorBox box = CatchErrorBox([&] { PrintTo(pdf); });
    QVERIFY(box.shown);
    QCOMPARE(box.title, QStringLiteral("Duskmapper"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    // The printer is free for the next job.
    PrintTo(Path("print.pdf"));
    QVERIFY(std::filesystem::file_size(dir_->path() / "print.pdf") > 1000);
}

// The picture in a printed PDF is stored losslessly: what pdfimages takes out
// of it equals the picture on display sample for sample; the document is
// titled with the image's name.
void OutputTest::printKeepsEverySample() {
    const QString images = QStandardPaths::findExecutable("pdfimages");
    const QString info = QStandardPaths::findExecutable("pdfinfo");
    if (images.isEmpty() || info.isEmpty()) QSKIP("pdfimages and pdfinfo (poppler-utils) are not installed");
    dir_->write("V0501.img", NoisySamples(kWide));
    OpenFile(Path("V0501.img"));
    Trigger("ToolButton12");  // despeckled: any lossy step would show
    PrintTo(Path("print.pdf"));

    QProcess run;
    run.start(images, {"-png", Path("print.pdf"), Path("embedded")});
    QVERIFY(run.waitForFinished(60000) && run.exitCode() == 0);
    const QImage stored = QImage(Path("embedded-000.png")).convertToFormat(QImage::Format_RGB32);
    const QImage shown = form_->CurrentChild()->Picture().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(stored.size(), shown.size());
    QVERIFY(stored == shown);

    run.start(info, {Path("print.pdf")});
    QVERIFY(run.waitForFinished(60000) && run.exitCode() == 0);
    QVERIFY(QString::fromUtf8(run.readAllStandardOutput()).contains(QRegularExpression("Title: +V0501.img")));
}

void OutputTest::saveDialogStartsBesideTheImage() {
    std::filesystem::create_directories(dir_->path() / "volume");
    dir_->write("volume/V0501.img", RampSamples(kWide));
    OpenFile(Path("volume/V0501.img"));
    form_->SetSaveChooser(nullptr);  // the real dialog
    QString folder;
    QString name;
    QTimer::singleShot(0, form_, [&] {
        auto* dialog = form_->findChild<QFileDialog*>("SavePictureDialog");
        folder = dialog->directory().absolutePath();
        name = dialog->findChild<QLineEdit*>("fileNameEdit")->text();
        dialog->reject();
    });
    Trigger("SaveAs1");
    QCOMPARE(folder, QFileInfo(Path("volume")).absoluteFilePath());
    QCOMPARE(name, QStringLiteral("V0501.bmp"));
}

void OutputTest::infoBoxFollowsLoads() {
    dir_->write("V0501.lbl", LabelText());
    dir_->write("V0503.LBL", "THIRD IMAGE");
    const QString first = WriteImage("V0501.img", kWide);
    const QString second = WriteImage("V0502.img", kWide);
    const QString third = WriteImage("V0503.IMG", kWide);
    auto* box = form_->findChild<QDialog*>("InfoBox");
    auto* list = box->findChild<QListWidget*>("ListBox1");
    const auto items = [list] {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
        return texts;
    };

    OpenFile(first);
    QStringList shown = items();
    QCOMPARE(shown.size(), 67);
    // Code page 1250 letters, trailing blanks kept.
    QCOMPARE(shown[0], QString::fromUtf8("OBJECT \u0160\u017E\u0142\u010D\u0159 LABEL").leftJustified(80, ' '));
    QCOMPARE(shown[1], QStringLiteral("SECOND").leftJustified(78, '.') + "  ");
    // Line ends inside an item are visible symbols, not line breaks.
    QCOMPARE(shown[2].size(), 80);
    QVERIFY(shown[2].startsWith(QStringLiteral("SHORT").leftJustified(76, '-')));
    QVERIFY(!shown[2].contains('\r') && !shown[2].contains('\n'));
    QVERIFY(shown[2].at(76).isPrint() && !shown[2].at(76).isSpace());
    QVERIFY(shown[2].at(77).isPrint() && !shown[2].at(77).isSpace());
    QCOMPARE(shown[2].mid(78), QStringLiteral("  "));  // the 79th and 80th bytes are blanks
    QVERIFY(shown[3].startsWith("XT LINE"));
    QVERIFY(shown[4].isEmpty());
    QVERIFY(QFontInfo(list->font()).fixedPitch());

    // Ctrl+I shows the box modally; while it is open, loads replace its lines.
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_));
    bool modal = false;
    bool fits = false;
    QStringList whileOpen[2];
    QTimer::singleShot(0, box, [&] {
        modal = box->isVisible() && box->isModal();
        fits = !list->horizontalScrollBar()->isVisible();
        CloseImage();
        form_->OpenFromCommandLine(QFile::encodeName(second));
        whileOpen[0] = items();
        CloseImage();
        form_->OpenFromCommandLine(QFile::encodeName(third));
        whileOpen[1] = items();
        box->findChild<QPushButton*>("BitBtn1")->click();
    });
    QTest::keyClick(form_, Qt::Key_I, Qt::ControlModifier);
    QVERIFY(modal);
    QVERIFY(fits);  // a whole label line is seen without scrolling sideways
    QVERIFY(box->isHidden());
    QVERIFY(whileOpen[0].isEmpty());  // V0502 has no label
    QCOMPARE(whileOpen[1].size(), 67);
    QCOMPARE(whileOpen[1].front(), QStringLiteral("THIRD IMAGE"));
    // Closing the image keeps the lines until the next load.
    CloseImage();
    QCOMPARE(items(), whileOpen[1]);
}

QTEST_MAIN(OutputTest)
#include "output_test.moc"
