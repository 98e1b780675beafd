// SPDX-License-Identifier: GPL-3.0-or-later
// The Quad Mosaic window: opened from the View menu on a sample quad with a
// tile's label gone, rendered in the background, its picture against a
// mosaic built separately, what it left out, a double click that shows the
// tile in the image window centred there, and saving.
#include <QApplication>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

#include "app/quad_mosaic_window.h"
#include "app_fixture.h"
#include "mosaic/mosaic.h"

namespace {

class QuadMosaicTest : public dusk::test::AppFixture {
    Q_OBJECT

private slots:
    void init() { StartForm(); }
    void cleanup() { EndForm(); }

    void RendersPlacesAndOpensTheTileUnderADoubleClick() {
        const std::string folder = (dir_->path() / "s").string();
        QCOMPARE(std::system(("\"" DUSK_SAMPLES_TOOL "\" \"" + folder + "\" > /dev/null").c_str()), 0);
        std::filesystem::remove(dir_->path() / "s" / "V0503.lbl");
        Open("s/V0506.img");
        Trigger("QuadMosaic1");
        auto* window = form_->findChild<dusk::app::TQuadMosaicWindow*>("QuadMosaicWindow");
        QVERIFY(window != nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(window->Finished(), 60000);
        QCOMPARE(window->TilesPlaced(), 15);
        QVERIFY2(window->LeftOutText().contains("V0503.img has no label"), qPrintable(window->LeftOutText()));

        // The picture: the mosaic's levels where a tile has data, the chequer elsewhere.
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
        dusk::MosaicPlan plan = dusk::PlanMosaic(folder, names, "V0506.img", {});
        const dusk::MosaicCanvas canvas = dusk::BuildMosaic(plan, 2);
        const QImage& shown = window->Picture();
        QCOMPARE(shown.width(), canvas.width);
        QCOMPARE(shown.height(), canvas.height);
        QCOMPARE(shown.format(), QImage::Format_Grayscale8);
        int wrong = 0;
        for (int y = 0; y < canvas.height; ++y) {
            const std::uint8_t* line = shown.constScanLine(y);
            for (int x = 0; x < canvas.width; ++x) {
                const std::size_t at = static_cast<std::size_t>(y) * canvas.width + x;
                const int level = line[x];
                if (canvas.owner[at] != 0 ? level != canvas.grey[at] : level != 0x74 && level != 0x9c) ++wrong;
            }
        }
        QCOMPARE(wrong, 0);

        // Tile 11 (third across, third down) at column 526, row 351.
        const QPointF point(2 * 1052 + 526.5, 2 * 703 + 351.5);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        dusk::app::TPictureView* mosaicView = window->View();
        const QPointF at = mosaicView->PositionOf(point);
        // Sent to the view: the offscreen platform routes pointer events to the main window.
        QMouseEvent move(QEvent::MouseMove, at, mosaicView->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(mosaicView, &move);
        QTRY_VERIFY2(window->ReadoutText().startsWith("V0511.img, row 351, column 526: shown"),
                     qPrintable(window->ReadoutText()));
        QMouseEvent click(QEvent::MouseButtonDblClick, at, mosaicView->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(mosaicView, &click);
        QTRY_COMPARE(Caption(), QStringLiteral("V0511.img"));
        auto* scroll = form_->CurrentChild()->findChild<QScrollArea*>();
        const QPoint middle = scroll->viewport()->rect().center() - View()->pos();
        const QPoint pixel = View()->PixelAt(middle);
        QVERIFY2(std::abs(pixel.x() - 526) <= 2 && std::abs(pixel.y() - 351) <= 2,
                 qPrintable(QStringLiteral("%1, %2").arg(pixel.x()).arg(pixel.y())));

        // Saved as a PNG through the window's Save As.
        const QString png = Decoded(dir_->path() / "V05.png");
        window->SetSaveChooser([png](const QString&) { return png; });
        window->findChild<QToolButton*>("MosaicSave")->click();
        QFile file(png);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
    }

    // The mosaic's view keeps its picture as grey levels and averages only
    // what it paints: at every scale, before and after a part is replaced,
    // it paints what a view of the same picture in 32 bits shown afresh does.
    void GreyPicturePaintsAsItsThirtyTwoBitForm() {
        QImage grey(301, 187, QImage::Format_Grayscale8);
        for (int y = 0; y < grey.height(); ++y) {
            for (int x = 0; x < grey.width(); ++x) grey.scanLine(y)[x] = static_cast<std::uint8_t>((x * 7 + y * 13) ^ y);
        }
        QImage piece(57, 41, QImage::Format_Grayscale8);
        piece.fill(200);
        const QPoint at(250, 160);  // reaching past the right and bottom edges
        QImage replaced = grey;
        for (int y = at.y(); y < replaced.height(); ++y) {
            for (int x = at.x(); x < replaced.width(); ++x) replaced.scanLine(y)[x] = 200;
        }
        for (const double scale : {0.23, 0.5, 1.0, 2.5}) {
            dusk::app::TPictureView view;
            view.Show(grey, scale);
            QCOMPARE(view.Picture().format(), QImage::Format_Grayscale8);
            dusk::app::TPictureView reference;
            const auto painted = [](dusk::app::TPictureView& v) {
                return v.grab().toImage().convertToFormat(QImage::Format_RGB32);
            };
            reference.Show(grey.convertToFormat(QImage::Format_RGB32), scale);
            QCOMPARE(painted(view), painted(reference));
            view.ReplacePart(piece, at);
            reference.Show(replaced.convertToFormat(QImage::Format_RGB32), scale);
            QVERIFY2(painted(view) == painted(reference), qPrintable(QString::number(scale)));
        }
    }
};

}  // namespace

QTEST_MAIN(QuadMosaicTest)
#include "quad_mosaic_test.moc"
