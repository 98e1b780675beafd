// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The shared fixture of the desktop program's tests on Qt's offscreen
// platform: a temporary folder, the main window, its commands found by
// object name, images of a known length written into the folder and opened
// through the injected chooser.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QAction>
#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QString>
#include <QtTest>

#include "app/child.h"
#include "app/main_form.h"
#include "app/picture_view.h"
#include "core/image_state.h"
#include "driven_timer.h"
#include "temp_dir.h"

namespace dusk::test {

// The sample geometry of the window tests: 694,320 bytes, a known length,
// read as 1052 x 660.
inline constexpr int kImageWidth = 1052;
inline constexpr int kImageHeight = 660;
inline constexpr int kImageLength = kImageWidth * kImageHeight;

// Test classes derive from this one (it has no slots of its own) and call
// StartForm (or StartFolder, then ShowForm once the window is made) from
// their init() and EndForm from their cleanup().
class AppFixture : public QObject {
protected:
    // The start-up record and a fresh temporary folder.
    // Each test keeps its marks store in its own folder, so no test sees
    // another's marks.
    void StartFolder() {
        dusk::ResetState();
        dir_ = std::make_unique<TempDir>();
        qputenv("XDG_DATA_HOME", QFile::encodeName(Decoded(dir_->path() / "data-home")));
    }
    // Puts a timer on the test's clock behind the scan of the main window.
    DrivenTimer* DriveScanTimer() {
        auto timer = std::make_unique<DrivenTimer>();
        DrivenTimer* driven = timer.get();
        form_->SetScanTimer(std::move(timer));
        return driven;
    }
    // Shows the main window, maximised, and waits until it is on the screen.
    void ShowForm() {
        form_->showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(form_));
    }
    // A fresh folder and the main window, shown, its Open chooser answering
    // Cancel until a test sets another.
    void StartForm() {
        StartFolder();
        form_ = new app::TMainForm;
        form_->SetImageChooser([] { return QString(); });
        ShowForm();
    }
    // Deletes the main window, lets deferred deletions run and removes the folder.
    void EndForm() {
        delete form_;
        form_ = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        dir_.reset();
    }

    QAction* Action(const QString& name) const { return form_->findChild<QAction*>(name); }
    void Trigger(const QString& name, int times = 1) {
        QAction* action = Action(name);
        QVERIFY2(action != nullptr, qPrintable(name));
        for (int i = 0; i < times; ++i) action->trigger();
    }
    QString Counter() const { return form_->findChild<QLineEdit*>("Memo1")->text(); }
    QString Caption() const {
        return form_->CurrentChild() != nullptr ? form_->CurrentChild()->windowTitle() : QString();
    }
    // The picture control of the image window, or null.
    app::TPictureView* View() const {
        return form_->CurrentChild() != nullptr ? form_->CurrentChild()->findChild<app::TPictureView*>("Image")
                                                : nullptr;
    }
    // The picture as the image window paints it, one pixel per device pixel.
    QImage Picture() const {
        app::TPictureView* view = View();
        if (view == nullptr) return {};
        return view->grab().toImage().copy(QRect(QPoint(0, 0), view->ShownSize())).convertToFormat(QImage::Format_RGB32);
    }
    // The grey level at the top left of the picture on display, or -1.
    int Shown() const {
        const QImage picture = Picture();
        return picture.isNull() ? -1 : qRed(picture.pixel(0, 0));
    }

    // A path as the program meets it: the file system's bytes, decoded.
    static QString Decoded(const std::filesystem::path& path) {
        return QFile::decodeName(QByteArray::fromStdString(path.string()));
    }
    // Writes `bytes` as the named file of the folder (making its folders) and
    // returns its path.
    QString WriteImage(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        std::filesystem::create_directories((dir_->path() / name).parent_path());
        return Decoded(dir_->write(name, std::string(bytes.begin(), bytes.end())));
    }
    // Writes an image of the known length, all of one grey level.
    QString WriteImage(const std::string& name, int fill) const {
        std::filesystem::create_directories((dir_->path() / name).parent_path());
        return Decoded(dir_->file(name, kImageLength, static_cast<char>(fill)));
    }

    // Open, with the chooser answering `path`.
    void OpenPath(const QString& path) {
        form_->SetImageChooser([path] { return path; });
        Trigger("Open1");
    }
    // Opens `path`, which must bring up an image window.
    void OpenFile(const QString& path) {
        OpenPath(path);
        QVERIFY(form_->CurrentChild() != nullptr);
    }
    // Opens the named file of the folder, which must bring up an image window.
    void Open(const std::string& name) { OpenFile(Decoded(dir_->path() / name)); }
    // Closes the image window and waits until the main window has let it go.
    void CloseImage() {
        form_->CurrentChild()->close();
        QTRY_VERIFY(form_->CurrentChild() == nullptr);
    }

    std::unique_ptr<TempDir> dir_;
    app::TMainForm* form_ = nullptr;
};

}  // namespace dusk::test
