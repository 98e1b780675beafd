// SPDX-License-Identifier: GPL-3.0-or-later
// duskmapper [IMAGE]: the desktop browser for Venera 15 and 16 radar images.
// With an image path it starts showing that image, as if it had been chosen
// in the Open dialog.
#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QByteArray>
#include <QIcon>
#include <QTimer>

#include "app/main_form.h"
#include "app/resources.h"

namespace {

#ifndef DUSK_VERSION
#define DUSK_VERSION "unknown"
#endif

constexpr const char* kUsage =
    "Usage: duskmapper [IMAGE]\n"
    "Shows Venera 15 and 16 radar images (.img files). With IMAGE, starts by\n"
    "opening it as the Open command would.\n"
    "\n"
    "  --help     show this text\n"
    "  --version  show the version\n";

}  // namespace

int main(int argc, char* argv[]) {
    // Answered before Qt looks for a display, so they work without one.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("duskmapper " DUSK_VERSION "\n", stdout);
            return 0;
        }
    }

    QApplication app(argc, argv);  // takes Qt's own options (-platform ...) out of argv
    QApplication::setApplicationName(QStringLiteral("Duskmapper"));
    dusk::app::LoadResources();
    QApplication::setWindowIcon(QIcon(QString::fromLatin1(dusk::app::kAppIcon)));

    if (argc > 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    dusk::app::TMainForm form;
    form.showMaximized();
    if (argc == 2) {
        // The path is kept as the file system's bytes, whatever their encoding.
        const QByteArray path(argv[1]);
        QTimer::singleShot(0, &form, [&form, path] { form.OpenFromCommandLine(path); });
    }
    return app.exec();
}
