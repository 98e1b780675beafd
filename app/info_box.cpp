// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/info_box.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>

#include "core/label.h"

namespace dusk::app {

namespace {

constexpr QRect kListGeometry(8, 8, 689, 393);
constexpr QRect kBevelGeometry(8, 417, 681, 2);
constexpr QRect kButtonGeometry(312, 440, 75, 25);
constexpr int kListPixelSize = 16;
constexpr int kSmallestPixelSize = 10;

// The fixed-pitch font at 16 pixels, made smaller where a full line of the
// label would not fit beside the scroll bar.
QFont ListFont(const QWidget& list) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setBold(false);  // not the dialog's bold
    const int room = kListGeometry.width() - 2 * list.style()->pixelMetric(QStyle::PM_DefaultFrameWidth) -
                     list.style()->pixelMetric(QStyle::PM_ScrollBarExtent) - 8;
    const QString line(kLabelRecordLength, QLatin1Char('M'));
    for (int size = kListPixelSize; size >= kSmallestPixelSize; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).horizontalAdvance(line) <= room) break;
    }
    return font;
}

// A control byte keeps its column as a visible symbol: its control picture
// (U+2400 onwards) where the font has one, else an arrow for the line ends
// and the tab and a shaded block for the rest.
QChar VisibleControl(char16_t code, const QFontMetrics& metrics) {
    const char16_t picture = code == 0x7F ? char16_t{0x2421} : static_cast<char16_t>(0x2400 + code);
    if (metrics.inFontUcs4(picture)) return QChar(picture);
    switch (code) {
        case u'\r': return QChar(0x21B5);  // downwards arrow with corner leftwards
        case u'\n': return QChar(0x2193);  // downwards arrow
        case u'\t': return QChar(0x2192);  // rightwards arrow
        default: return QChar(0x2591);     // light shade
    }
}

QString Visible(QString line, const QFontMetrics& metrics) {
    for (QChar& c : line) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = VisibleControl(c.unicode(), metrics);
    }
    return line;
}

}  // namespace

TInfoBox::TInfoBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("InfoBox"));
    setWindowTitle(QStringLiteral("Info"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);
    QFont form = font();
    form.setPixelSize(11);
    form.setBold(true);
    setFont(form);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ListBox1"));
    list_->setGeometry(kListGeometry);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->setUniformItemSizes(true);
    list_->setFont(ListFont(*list_));

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    bevel->setGeometry(kBevelGeometry);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setGeometry(kButtonGeometry);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TInfoBox::SetLines(const QStringList& lines) {
    list_->clear();
    const QFontMetrics metrics(list_->font());
    for (const QString& line : lines) list_->addItem(Visible(line, metrics));
}

}  // namespace dusk::app
