// SPDX-License-Identifier: GPL-3.0-or-later
// The Label Keywords window on Qt's offscreen platform: it follows the image
// on display through Open, Next, Previous and Close, filters its rows, and
// the status bar tells where the label's raster size differs from the rows
// the file holds.
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTreeWidget>
#include <QtTest>

#include "app_fixture.h"

namespace {

// A keyword label whose IMAGE object gives `lines` lines of 1052 samples.
std::string KeywordLabel(int lines) {
    return "PDS_VERSION_ID = PDS3\r\nNOTE = \"Ond\xF8" "ejov,\r\n  two lines\"\r\nOBJECT = IMAGE\r\n  LINES = " +
           std::to_string(lines) +
           "\r\n  LINE_SAMPLES = 1052\r\nEND_OBJECT = IMAGE\r\nOBJECT = IMAGE_MAP_PROJECTION\r\n"
           "  A_AXIS_RADIUS = 6051.8 <KM>\r\n  MAP_SCALE = 1.0 <KM/PIXEL>\r\nEND_OBJECT\r\nEND\r\n";
}

}  // namespace

class LabelKeywordsTest : public dusk::test::AppFixture {
    Q_OBJECT

private slots:
    void init() { StartForm(); }
    void cleanup() { EndForm(); }

    void ctrlKOpensAndClosesTheWindow();
    void followsTheImageOnDisplay();
    void filterKeepsMatchesAndTheirBlocks_data();
    void filterKeepsMatchesAndTheirBlocks();
    void windowKeysReachTheirCommandsFromTheFilter();
    void statusBarTellsADifferentRasterSize();
    void hostileLabelsShowWhatCouldBeRead_data();
    void hostileLabelsShowWhatCouldBeRead();

private:
    QWidget* Window() const { return form_->findChild<QWidget*>("LabelKeywordsWindow"); }
    QTreeWidget* Tree() const { return Window()->findChild<QTreeWidget*>("KeywordTree"); }
    QString Note() const { return Window()->findChild<QLabel*>("KeywordNote")->text(); }
    // Every row as "keyword=value unit" or "block", in order; hidden rows left out.
    QStringList Rows() const {
        QStringList rows;
        for (QTreeWidgetItemIterator it(Tree(), QTreeWidgetItemIterator::NotHidden); *it; ++it) {
            const QTreeWidgetItem* item = *it;
            rows << (item->text(1).isEmpty() ? item->text(0)
                                             : item->text(1) + "=" + item->text(2) + " " + item->text(3));
        }
        return rows;
    }
    void WriteCollection() {
        WriteImage("V0501.img", 90);
        dir_->write("V0501.lbl", KeywordLabel(660));
        WriteImage("V0502.img", 90);  // no label
        WriteImage("V0503.img", 90);
        dir_->write("V0503.lbl", "Plain words, no keywords at all.\r\n");
    }
};

void LabelKeywordsTest::ctrlKOpensAndClosesTheWindow() {
    QAction* item = Action("LabelKeywords1");  // caption and check: see the menu table's test
    QVERIFY(item->isEnabled() && !item->isChecked());
    QTest::keyClick(form_, Qt::Key_K, Qt::ControlModifier);
    QVERIFY(Window()->isVisible() && item->isChecked());
    auto* dock = qobject_cast<QDockWidget*>(Window()->parentWidget());
    QVERIFY(dock != nullptr);
    QCOMPARE(form_->dockWidgetArea(dock), Qt::LeftDockWidgetArea);
    QCOMPARE(Note(), QStringLiteral("No image is shown."));
    dock->close();  // its own close button
    QVERIFY(!item->isChecked() && !Window()->isVisible());
    Trigger("LabelKeywords1", 2);
    QVERIFY(!Window()->isVisible() && !item->isChecked());
}

void LabelKeywordsTest::followsTheImageOnDisplay() {
    WriteCollection();
    Open("V0502.img");  // opened while the window is closed, shown when it opens
    Trigger("LabelKeywords1");
    QCOMPARE(Note(), QStringLiteral("V0502.img has no label."));
    QCOMPARE(Tree()->topLevelItemCount(), 0);

    Trigger("Next1");
    QCOMPARE(Note(), QStringLiteral("The label of V0503.img holds no keywords."));
    QCOMPARE(Tree()->topLevelItemCount(), 0);

    Trigger("Previous1", 2);
    QCOMPARE(Note(), QStringLiteral("The label of V0501.img: 6 keywords in 2 objects and groups."));
    QCOMPARE(Rows(), (QStringList{"PDS_VERSION_ID=PDS3 ", QString::fromUtf8("NOTE=Ondřejov, two lines "),
                                  "OBJECT IMAGE", "LINES=660 ", "LINE_SAMPLES=1052 ", "OBJECT IMAGE_MAP_PROJECTION",
                                  "A_AXIS_RADIUS=6051.8 KM", "MAP_SCALE=1.0 KM/PIXEL"}));

    CloseImage();
    QCOMPARE(Note(), QStringLiteral("No image is shown."));
    QCOMPARE(Tree()->topLevelItemCount(), 0);
}

void LabelKeywordsTest::filterKeepsMatchesAndTheirBlocks_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("keyword") << "radius" << QStringList{"OBJECT IMAGE_MAP_PROJECTION", "A_AXIS_RADIUS=6051.8 KM"};
    QTest::newRow("value, letter case") << "pds3" << QStringList{"PDS_VERSION_ID=PDS3 "};
    QTest::newRow("unit") << "km/pix" << QStringList{"OBJECT IMAGE_MAP_PROJECTION", "MAP_SCALE=1.0 KM/PIXEL"};
    QTest::newRow("block: all its members") << "object image_map"
                                            << QStringList{"OBJECT IMAGE_MAP_PROJECTION", "A_AXIS_RADIUS=6051.8 KM",
                                                           "MAP_SCALE=1.0 KM/PIXEL"};
    QTest::newRow("nothing") << "venus" << QStringList{};
}

void LabelKeywordsTest::filterKeepsMatchesAndTheirBlocks() {
    QFETCH(QString, filter);
    QFETCH(QStringList, rows);
    WriteCollection();
    Open("V0501.img");
    Trigger("LabelKeywords1");
    auto* field = Window()->findChild<QLineEdit*>("KeywordFilter");
    field->setText(filter);
    QCOMPARE(Rows(), rows);
    Trigger("Next1");
    Trigger("Previous1");  // the filter stays and applies to the label shown anew
    QCOMPARE(Rows(), rows);
    field->clear();
    QCOMPARE(Rows().size(), 8);
}

// The filter field is a line edit that would take Ctrl+E, Ctrl+K and Ctrl+H
// as cursor moves and edits: they stay the window's commands.
void LabelKeywordsTest::windowKeysReachTheirCommandsFromTheFilter() {
    WriteCollection();
    Open("V0501.img");
    Trigger("LabelKeywords1");
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_));
    auto* field = Window()->findChild<QLineEdit*>("KeywordFilter");
    field->setFocus();
    QTRY_VERIFY(field->hasFocus());
    QTest::keyClicks(field, QStringLiteral("ab"));
    field->setCursorPosition(0);
    const bool stretched = Action("Stretch1")->isChecked();
    QTest::keyClick(field, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(Action("Stretch1")->isChecked(), !stretched);
    QTest::keyClick(field, Qt::Key_H, Qt::ControlModifier);
    QVERIFY(Action("Histogram1")->isChecked());
    QCOMPARE(field->text(), QStringLiteral("ab"));
    QCOMPARE(field->cursorPosition(), 0);
    QTest::keyClick(field, Qt::Key_K, Qt::ControlModifier);
    QVERIFY(!Window()->isVisible() && !Action("LabelKeywords1")->isChecked());
}

// The label is measured against the rows the file holds, not against the
// geometry table, which rounds some heights up: 733,244 bytes are 697 full
// rows of 1052, shown as 1052 x 700.
void LabelKeywordsTest::statusBarTellsADifferentRasterSize() {
    WriteImage("V0501.img", 90);
    dir_->write("V0501.lbl", KeywordLabel(700));
    dir_->file("V0502.img", 733244, 90);
    dir_->write("V0502.lbl", KeywordLabel(697));
    Open("V0501.img");
    // The projection object names no type: that is said too.
    const QString note = QString::fromUtf8(
        "The label gives 1052 × 700; the file holds 1052 × 660.   "
        "V0501.lbl gives no map coordinates: no MAP_PROJECTION_TYPE");
    QCOMPARE(form_->statusBar()->currentMessage(), note);
    QCOMPARE(form_->CurrentChild()->Picture().size(), QSize(1052, 660));  // as the file's length has it
    Trigger("Next1");
    QCOMPARE(form_->statusBar()->currentMessage(), QString("V0502.lbl gives no map coordinates: no MAP_PROJECTION_TYPE"));
    QCOMPARE(form_->CurrentChild()->Picture().size(), QSize(1052, 700));
    Trigger("Previous1");
    QCOMPARE(form_->statusBar()->currentMessage(), note);
    CloseImage();
    QCOMPARE(form_->statusBar()->currentMessage(), QString());
}

void LabelKeywordsTest::hostileLabelsShowWhatCouldBeRead_data() {
    QTest::addColumn<QByteArray>("label");
    QTest::addColumn<QString>("note");
    QTest::addColumn<int>("rows");
    QTest::newRow("unterminated text") << QByteArray("A = 1\r\nOBJECT = IMAGE\r\nNOTE = \"open\r\n\r\n")
                                       << "The label of V0501.img is read up to line 3: a quoted text is not closed."
                                       << 2;
    QTest::newRow("1 MiB in all") << "A = " + QByteArray((1 << 20) - 4, 'x')
                                  << "The label of V0501.img: 1 keyword in 0 objects and groups." << 1;
    QTest::newRow("one line of 1 MiB") << "A = " + QByteArray(1 << 20, 'x')
                                       << "The label of V0501.img: 1 keyword in 0 objects and groups. Only its "
                                          "first 1 MiB is read: the file is larger."
                                       << 1;
    QTest::newRow("cut inside a text") << "A = 1\r\nB = \"" + QByteArray(1 << 20, 'x') + "\""
                                       << "The label of V0501.img is read up to line 2: a quoted text is not "
                                          "closed. Only its first 1 MiB is read: the file is larger."
                                       << 1;
}

void LabelKeywordsTest::hostileLabelsShowWhatCouldBeRead() {
    QFETCH(QByteArray, label);
    QFETCH(QString, note);
    QFETCH(int, rows);
    WriteImage("V0501.img", 90);
    dir_->write("V0501.lbl", label.toStdString());
    Trigger("LabelKeywords1");
    Open("V0501.img");
    QCOMPARE(Note(), note);
    QCOMPARE(Rows().size(), rows);
    QVERIFY(Tree()->grab().width() > 0);  // painted
}

QTEST_MAIN(LabelKeywordsTest)
#include "label_keywords_test.moc"
