// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/about_box.h"

#include <QFont>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "app/resources.h"

namespace dusk::app {

namespace {

constexpr int kMargin = 8;
constexpr QSize kPictureSize(177, 145);
constexpr QSize kIconSize(32, 32);
constexpr int kBevel = 2;

// A sunken frame holding a picture of exactly `size`, drawn from an SVG.
QFrame* FramedPicture(QWidget* parent, const char* name, const QString& resource, QSize size) {
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setLineWidth(kBevel);
    frame->setFixedSize(size + QSize(2 * kBevel, 2 * kBevel));
    auto* picture = new QLabel(frame);
    picture->setObjectName(QString::fromLatin1(name));
    picture->setGeometry(kBevel, kBevel, size.width(), size.height());
    picture->setPixmap(QIcon(resource).pixmap(size, parent->devicePixelRatioF()));
    return frame;
}

QLabel* TextLine(QWidget* parent, const char* name, const QString& text, int pixelSize, int top, int left) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    label->setFont(font);
    label->adjustSize();
    label->move(left, top);
    return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);

    QFrame* picture = FramedPicture(this, "Picture", QString::fromLatin1(kAboutPicture), kPictureSize);
    picture->move(kMargin, kMargin);

    QFrame* icon = FramedPicture(this, "ProgramIcon", QString::fromLatin1(kAppIcon), kIconSize);
    const int iconLeft = kClientWidth - kMargin - icon->width();
    icon->move(iconLeft, kMargin);

    // Under the icon, right-aligned with it.
    const int textTop = kMargin + icon->height() + 12;
    QLabel* product = TextLine(this, "ProductName", QStringLiteral("Duskmapper"), 13, textTop, 0);
    QLabel* platform = TextLine(this, "Platform", QStringLiteral("for Win95/98"), 11, textTop + 22, 0);
    QLabel* version = TextLine(this, "Version", QStringLiteral("version 1.01"), 11, textTop + 40, 0);
    const int right = kClientWidth - kMargin;
    for (QLabel* line : {product, platform, version}) line->move(right - line->width(), line->y());

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setFixedSize(75, 25);
    ok->move(kClientWidth - kMargin - ok->width(), kClientHeight - kMargin - ok->height());
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace dusk::app
