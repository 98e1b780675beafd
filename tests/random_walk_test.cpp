// SPDX-License-Identifier: GPL-3.0-or-later
// A random walk through the real main window: every step is a command of the
// command table (all of it, so new commands join by themselves), a key of
// one, a Ctrl+wheel zoom, a tick of the scan timer or a click in the
// collection overview. After each step the picture on display must equal the
// exporter's rendering of the options and levels a small model of the record
// expects, and the counter, the caption and the enabled and pressed states
// must agree with that model. A failing walk prints its seed and the
// shortest failing list of steps it finds.
//
// DUSK_WALK_SEED adds a walk from that seed to the fixed one; DUSK_WALK_STEPS
// sets the length (default 2,000).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPrinter>
#include <QScrollArea>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>

#include "app/commands.h"
#include "collection/file_list.h"
#include "tests/app_fixture.h"
#include "tests/walk_support.h"
#include "tools/export_render.h"

namespace dusk::test {
namespace {

using app::Cmd;
using app::CommandRow;
using app::CommandTable;
using app::Kind;
using app::Needs;
using app::Press;

// Qt Test ends a test function after five minutes; a soak walk takes longer.
const bool kLongTimeout = qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT") ||
                          qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number(3 * 3600 * 1000));

constexpr std::uint64_t kFixedSeed = 17;
constexpr int kDefaultSteps = 2000;

// The folder of every walk: four images of the collection (two sizes and
// one of no known length), and one image outside it.
struct WalkFile {
    const char* name;
    int length;
};
constexpr WalkFile kFiles[] = {
    {"V0501.IMG", 694320}, {"V0502.IMG", 489180}, {"V0503.IMG", 20000}, {"V0504.IMG", 694320}, {"notes.img", 694320}};
constexpr int kFileCount = static_cast<int>(std::size(kFiles));

// Samples with something for every correction: smooth bands, speckle,
// blank rows between full ones, dark and bright stretches.
std::vector<std::uint8_t> WalkImage(int index, int length) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    std::mt19937 rng(static_cast<std::uint32_t>(index + 1));
    const int w = length == 489180 || length == 694320 ? 1052 : 1000;
    for (int k = 0; k < length; ++k) {
        const int row = k / w;
        const int col = k % w;
        int v = 30 + (row / 5 + col / 9 + 40 * index) % 170 + static_cast<int>(rng() % 9);
        if (rng() % 50 == 0) v = static_cast<int>(rng() % 256);
        if (row % 37 == 11) v = 0;  // a missing line
        bytes[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
    }
    return bytes;
}

// One step of a walk, as data, so that a shorter list of steps can be
// replayed.
enum class StepKind { Command, Key, Wheel, Tick, OverviewClick };

struct Step {
    StepKind kind;
    int row;     // index into CommandTable() for Command and Key
    int choice;  // what a chooser answers, the wheel's direction, the overview's cell
};

// The model of the record and the window.
struct Model {
    bool image = false;
    std::string path;
    OptionFlags defaults{};
    OptionFlags active{};
    std::int32_t contrast = 0;
    std::int32_t brightness = 0;
    std::int32_t shading = 0;
    bool unprocessed = false;
    std::vector<std::string> list;
    int position = 0;
    bool scanning = false;
    Direction direction = Direction::None;
    int pause = 0;
    bool toolbar = true;
    bool histogram = false;
    bool keywords = false;
    bool overview = false;
    bool fitted = false;
};

std::string StepText(const Step& step) {
    const auto rows = CommandTable();
    switch (step.kind) {
    case StepKind::Command:
        return std::string(rows[static_cast<std::size_t>(step.row)].name) + "(" + std::to_string(step.choice) + ")";
    case StepKind::Key: return std::string("key ") + rows[static_cast<std::size_t>(step.row)].keys;
    case StepKind::Wheel: return step.choice != 0 ? "Ctrl+wheel up" : "Ctrl+wheel down";
    case StepKind::Tick: return "scan tick";
    case StepKind::OverviewClick: return "overview click " + std::to_string(step.choice);
    }
    return {};
}

// Commands a walk never runs: Exit would end the test program.
bool Walkable(const CommandRow& row) { return row.kind == Kind::Command && row.id != Cmd::ExitItem; }

class Walker : public AppFixture {
public:
    // Runs `steps` on a fresh window and folder; returns the index of the
    // first step after which a check failed (with `why`), or -1.
    int Run(const std::vector<Step>& steps, QString& why) {
        StartWalk();
        int failed = -1;
        for (std::size_t i = 0; i < steps.size() && failed < 0; ++i) {
            why = Apply(steps[i]);
            if (why.isEmpty()) why = Check();
            if (!why.isEmpty()) failed = static_cast<int>(i);
        }
        EndWalk();
        return failed;
    }

    // The steps of a walk from `seed`: what each step is does not depend on
    // the program, so a seed always gives the same list.
    static std::vector<Step> Draw(std::uint64_t seed, int count) {
        std::mt19937_64 rng(seed);
        std::vector<int> commands;
        std::vector<int> keyed;
        const auto rows = CommandTable();
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (!Walkable(rows[r])) continue;
            commands.push_back(static_cast<int>(r));
            if (rows[r].keys != nullptr) keyed.push_back(static_cast<int>(r));
        }
        std::vector<Step> steps;
        for (int i = 0; i < count; ++i) {
            const int roll = static_cast<int>(rng() % 100);
            const int choice = static_cast<int>(rng() % 1000);
            if (roll < 68) {
                steps.push_back({StepKind::Command, commands[rng() % commands.size()], choice});
            } else if (roll < 78) {
                steps.push_back({StepKind::Key, keyed[rng() % keyed.size()], choice});
            } else if (roll < 83) {
                steps.push_back({StepKind::Wheel, -1, choice % 2});
            } else if (roll < 97) {
                steps.push_back({StepKind::Tick, -1, 0});
            } else {
                steps.push_back({StepKind::OverviewClick, -1, choice});
            }
        }
        return steps;
    }

private:
    void StartWalk() {
        StartFolder();
        for (int i = 0; i < kFileCount; ++i) paths_[i] = WriteImage(kFiles[i].name, WalkImage(i, kFiles[i].length));
        form_ = new app::TMainForm;
        timer_ = DriveScanTimer();
        form_->SetImageChooser([this] { return openAnswer_; });
        form_->SetSaveChooser([this] { return saveAnswer_; });
        form_->SetPrintDialog([this](QPrinter& printer) {
            if (printAnswer_.isEmpty()) return false;
            printer.setOutputFileName(printAnswer_);
            return true;
        });
        form_->SetPrintSetupDialog([](QPrinter&) { return true; });
        ShowForm();
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_));
        model_ = Model{};
        shownKey_.clear();
        // Closes every modal window a command brings up (About, Image Info);
        // an error box is a failure of the step.
        closer_ = new QTimer(form_);
        QObject::connect(closer_, &QTimer::timeout, form_, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) return;
            if (auto* box = qobject_cast<QMessageBox*>(modal)) errorBox_ = box->text();
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            } else {
                modal->close();
            }
        });
        closer_->start(5);
        errorBox_.clear();
    }

    void EndWalk() {
        EndForm();
        timer_ = nullptr;
        closer_ = nullptr;
    }

    // A click on the overview's tile that `choice` picks, while the overview
    // is open: a step to that entry.
    QString ClickInOverview(int choice) {
        if (!model_.overview || model_.list.empty()) return {};
        auto* grid = form_->findChild<QListView*>("OverviewGrid");
        if (grid == nullptr || !grid->isVisible()) return QStringLiteral("the overview is not shown");
        const int row = choice % static_cast<int>(model_.list.size());
        const QModelIndex tile = grid->model()->index(row, 0);
        grid->scrollTo(tile);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(tile).center());
        model_.position = row + 1;
        ModelLoad(dir_->slashed() + model_.list[static_cast<std::size_t>(row)]);
        return {};
    }

    // The model's side of a load: the list entry or file at `path` with the
    // default options and level 0.
    void ModelLoad(const std::string& path) {
        model_.path = path;
        model_.active = model_.defaults;
        model_.contrast = model_.brightness = model_.shading = 0;
        model_.unprocessed = false;
    }
    void ModelStep(int delta) {
        model_.position += delta;
        ModelLoad(dir_->slashed() + model_.list[static_cast<std::size_t>(model_.position - 1)]);
    }
    void ModelStopScan() {
        model_.scanning = false;
        model_.direction = Direction::None;
    }

    // Updates the model for command row `row`, run with chooser answer `choice`.
    void ModelCommand(const CommandRow& row, int choice) {
        const bool enabled = row.needs == Needs::Nothing || (row.needs == Needs::Image) == model_.image;
        if (!enabled) return;
        if (row.press == Press::DefaultOption) ToggleFlag(model_.defaults[row.value]);
        if (row.press == Press::ActiveOption && model_.image) {
            ToggleFlag(model_.active[row.value]);
            model_.unprocessed = false;
        }
        switch (row.id) {
        case Cmd::OpenItem:
        case Cmd::OpenButton: {
            const int file = choice % (kFileCount + 1);
            if (file == kFileCount) break;  // cancelled
            model_.image = true;
            model_.fitted = false;
            model_.pause = 2000;
            ModelLoad(paths_[file].toStdString());
            model_.list.clear();
            for (const WalkFile& f : kFiles) {
                if (IsVolumeName(f.name)) model_.list.push_back(f.name);
            }
            std::sort(model_.list.begin(), model_.list.end());
            const auto at = std::find(model_.list.begin(), model_.list.end(), kFiles[file].name);
            model_.position = at == model_.list.end() ? 0 : static_cast<int>(at - model_.list.begin()) + 1;
            break;
        }
        case Cmd::NextItem:
        case Cmd::NextButton:
            if (model_.position < static_cast<int>(model_.list.size())) ModelStep(+1);
            break;
        case Cmd::PreviousItem:
        case Cmd::PreviousButton:
            if (model_.position >= 2) ModelStep(-1);
            break;
        case Cmd::FirstEntryItem:
            if (!model_.list.empty()) ModelStep(1 - model_.position);
            break;
        case Cmd::LastEntryItem:
            if (!model_.list.empty()) ModelStep(static_cast<int>(model_.list.size()) - model_.position);
            break;
        case Cmd::ScanForwardItem:
        case Cmd::ScanForwardButton:
            model_.scanning = true;
            model_.direction = Direction::Forward;
            break;
        case Cmd::ScanBackwardItem:
        case Cmd::ScanBackwardButton:
            model_.scanning = true;
            model_.direction = Direction::Backward;
            break;
        case Cmd::ScanStopItem:
        case Cmd::ScanStopButton: ModelStopScan(); break;
        case Cmd::CloseImageItem:
            model_.image = false;
            model_.overview = false;  // it shows the collection of the image window
            model_.scanning = false;
            model_.fitted = false;
            break;
        case Cmd::ContrastDownItem:
        case Cmd::ContrastDownButton: AdjustLevel(model_.contrast, -1); model_.unprocessed = false; break;
        case Cmd::ContrastUpItem:
        case Cmd::ContrastUpButton: AdjustLevel(model_.contrast, +1); model_.unprocessed = false; break;
        case Cmd::BrightnessDownItem:
        case Cmd::BrightnessDownButton: AdjustLevel(model_.brightness, -20); model_.unprocessed = false; break;
        case Cmd::BrightnessUpItem:
        case Cmd::BrightnessUpButton: AdjustLevel(model_.brightness, +20); model_.unprocessed = false; break;
        case Cmd::ShadingDownItem: AdjustLevel(model_.shading, -1); model_.unprocessed = false; break;
        case Cmd::ShadingUpItem: AdjustLevel(model_.shading, +1); model_.unprocessed = false; break;
        case Cmd::OriginalImageItem:
        case Cmd::OriginalImageButton:
            model_.active.fill(0);
            model_.contrast = model_.brightness = model_.shading = 0;
            model_.unprocessed = true;
            break;
        case Cmd::ToggleToolbarItem: model_.toolbar = !model_.toolbar; break;
        case Cmd::HistogramItem: model_.histogram = !model_.histogram; break;
        case Cmd::LabelKeywordsItem: model_.keywords = !model_.keywords; break;
        case Cmd::OverviewItem: model_.overview = !model_.overview; break;
        case Cmd::ZoomInItem:
        case Cmd::ZoomOutItem:
        case Cmd::ActualSizeItem: model_.fitted = false; break;
        case Cmd::FitToWindowItem: model_.fitted = !model_.fitted; break;
        case Cmd::ScanPause2Item:
        case Cmd::ScanPause3Item:
        case Cmd::ScanPause4Item:
        case Cmd::ScanPause5Item: model_.pause = row.value; break;
        default: break;  // a command the model does not follow changes nothing it checks
        }
    }

    // Runs one step on the window and the model; a non-empty text when the
    // step itself went wrong.
    QString Apply(const Step& step) {
        const auto rows = CommandTable();
        saveAnswer_.clear();
        printAnswer_.clear();
        switch (step.kind) {
        case StepKind::Command:
        case StepKind::Key: {
            const CommandRow& row = rows[static_cast<std::size_t>(step.row)];
            openAnswer_ = step.choice % (kFileCount + 1) < kFileCount ? paths_[step.choice % (kFileCount + 1)] : QString();
            if (row.id == Cmd::SaveAsItem || row.id == Cmd::SaveAsButton) {
                if (step.choice % 3 != 0) saveAnswer_ = Decoded(dir_->path() / "saved.bmp");
            }
            if ((row.id == Cmd::PrintItem || row.id == Cmd::PrintButton) && step.choice % 4 == 0) {
                printAnswer_ = Decoded(dir_->path() / "printed.pdf");
            }
            QFile::remove(Decoded(dir_->path() / "saved.bmp"));
            QFile::remove(Decoded(dir_->path() / "printed.pdf"));
            const bool wasImage = model_.image;
            ModelCommand(row, step.choice);
            QAction* action = form_->ActionOf(row.id);
            if (!action->isEnabled()) break;  // the check of the enabled states says whether that is right
            if (step.kind == StepKind::Command) {
                action->trigger();
            } else {
                // Keys reach the shortcuts of the active window only. The
                // offscreen platform leaves a closed box active.
                if (QApplication::activeWindow() != form_) QApplication::setActiveWindow(form_);
                const QString keys = QString::fromLatin1(row.keys).split(QStringLiteral("; ")).front();
                QTest::keySequence(form_, QKeySequence(keys));
            }
            if (!saveAnswer_.isEmpty() && wasImage) {
                QImage saved(saveAnswer_, "BMP");
                if (saved.convertToFormat(QImage::Format_RGB32) !=
                    form_->CurrentChild()->Picture().convertToFormat(QImage::Format_RGB32)) {
                    return QStringLiteral("the saved file is not the picture on display");
                }
            }
            if (!printAnswer_.isEmpty() && wasImage && QFileInfo(printAnswer_).size() == 0) {
                return QStringLiteral("nothing was printed");
            }
            break;
        }
        case StepKind::Wheel: {
            if (!model_.image) break;
            QWidget* viewport = form_->CurrentChild()->findChild<QScrollArea*>()->viewport();
            const QPointF at(viewport->width() / 2.0, viewport->height() / 2.0);
            QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, step.choice != 0 ? 120 : -120),
                              Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(viewport, &wheel);
            model_.fitted = false;
            break;
        }
        case StepKind::Tick:
            if (!model_.scanning) break;
            if (!timer_->IsActive()) return QStringLiteral("the scan timer stopped while a scan runs");
            timer_->Tick();
            if (model_.direction == Direction::Forward && model_.position < static_cast<int>(model_.list.size())) {
                ModelStep(+1);
            } else if (model_.direction == Direction::Backward && model_.position >= 2) {
                ModelStep(-1);
            } else {
                model_.scanning = false;  // the scan ends; its direction stays
            }
            break;
        case StepKind::OverviewClick: return ClickInOverview(step.choice);
        }
        QCoreApplication::processEvents();
        if (!errorBox_.isEmpty()) return QStringLiteral("an error box came up: ") + errorBox_;
        return {};
    }

    // The picture the exporter renders for the model's image, options and
    // levels. The tone mapping floors the contrast and bounds the shading
    // and writes them back, in the model too.
    QImage Expected() {
        const std::string key = model_.path + "|" + std::to_string(model_.unprocessed) + "|" +
                                std::to_string(model_.contrast) + "|" + std::to_string(model_.brightness) + "|" +
                                std::to_string(model_.shading) + "|" + [this] {
                                    std::string o;
                                    for (std::int32_t v : model_.active) o += std::to_string(v) + ",";
                                    return o;
                                }();
        if (key == shownKey_) {
            model_.contrast = shownContrast_;
            model_.shading = shownShading_;
            return shown_;
        }
        ScopedImageState scoped;
        ExportSettings settings;
        settings.options = model_.active;
        settings.contrast = model_.contrast;
        settings.brightness = model_.brightness;
        settings.shading = model_.shading;
        settings.original = model_.unprocessed;
        const WorkingBuffers buffers = RenderForExport(model_.path, settings);
        const auto bitmap = buffers.Bitmap();
        QImage picture;
        picture.loadFromData(bitmap.data(), static_cast<int>(bitmap.size()), "BMP");
        if (!model_.unprocessed) {
            model_.contrast = scoped.Record().ContrastLevel;
            model_.shading = scoped.Record().ShadingLevel;
        }
        shown_ = picture.convertToFormat(QImage::Format_RGB32);
        shownKey_ = key;
        shownContrast_ = model_.contrast;
        shownShading_ = model_.shading;
        return shown_;
    }

    // Compares the window with the model; a non-empty text says what differs.
    QString Check() {
        if (QApplication::activeModalWidget() != nullptr) return QStringLiteral("a modal window stayed open");
        app::TChild* child = form_->CurrentChild();
        if ((child != nullptr) != model_.image) {
            return model_.image ? QStringLiteral("the image window is gone") : QStringLiteral("an image window is open");
        }
        if (timer_->IsActive() != model_.scanning) {
            return model_.scanning ? QStringLiteral("the scan stopped") : QStringLiteral("a scan runs");
        }
        const QString counter =
            model_.image ? QStringLiteral("%1/%2").arg(model_.position).arg(model_.list.size()) : QStringLiteral("0/0");
        if (Counter() != counter) return QStringLiteral("counter %1, expected %2").arg(Counter(), counter);
        if (model_.image) {
            const QString name = QFileInfo(QString::fromStdString(model_.path)).fileName();
            if (Caption() != name) return QStringLiteral("caption %1, expected %2").arg(Caption(), name);
            if (child->Picture().convertToFormat(QImage::Format_RGB32) != Expected()) {
                return QStringLiteral("the picture differs from the exporter's rendering");
            }
            if (child->Fitted() != model_.fitted) return QStringLiteral("Fit to Window is %1").arg(child->Fitted());
        }
        for (const CommandRow& row : CommandTable()) {
            if (row.kind != Kind::Command) continue;
            const QAction* action = form_->ActionOf(row.id);
            // The walk's folder holds tiles without labels and no browse image.
            const bool quad = row.id == Cmd::FootprintsItem || row.id == Cmd::ShowInBrowseItem;
            const bool enabled = !quad && (row.needs == Needs::Nothing || (row.needs == Needs::Image) == model_.image);
            if (action->isEnabled() != enabled) {
                return QStringLiteral("%1 is %2").arg(row.name, enabled ? "disabled" : "enabled");
            }
            std::optional<bool> pressed;
            switch (row.press) {
            case Press::DefaultOption: pressed = IsOn(model_.defaults[row.value]); break;
            case Press::ActiveOption: pressed = IsOn(model_.active[row.value]); break;
            case Press::Scan:
                pressed = model_.scanning && model_.direction == (row.id == Cmd::ScanForwardButton
                                                                      ? Direction::Forward
                                                                      : Direction::Backward);
                break;
            case Press::Fit: pressed = model_.fitted; break;
            case Press::Mark:
                if (row.id == Cmd::ToggleToolbarItem) pressed = model_.toolbar;
                if (row.id == Cmd::HistogramItem) pressed = model_.histogram;
                if (row.id == Cmd::LabelKeywordsItem) pressed = model_.keywords;
                if (row.id == Cmd::OverviewItem) pressed = model_.overview;
                if (row.place == app::Place::ScanMenu) pressed = model_.pause == row.value;
                break;
            case Press::None: break;
            }
            if (pressed && action->isChecked() != *pressed) {
                return QStringLiteral("%1 is %2").arg(row.name, *pressed ? "not pressed" : "pressed");
            }
        }
        return {};
    }

    QString paths_[kFileCount];
    DrivenTimer* timer_ = nullptr;
    QTimer* closer_ = nullptr;
    QString openAnswer_;
    QString saveAnswer_;
    QString printAnswer_;
    QString errorBox_;
    Model model_;
    // The last rendering, its key and the levels written back by it.
    std::string shownKey_;
    QImage shown_;
    std::int32_t shownContrast_ = 0;
    std::int32_t shownShading_ = 0;
};

}  // namespace

class RandomWalkTest : public Walker {
    Q_OBJECT

private slots:
    void walk_data() { AddWalkSeeds(kFixedSeed); }

    void walk() {
        QFETCH(quint64, seed);
        QString why;
        int failed = -1;
        const std::vector<Step> steps = RunWalk(*this, "walk", seed, kDefaultSteps, why, failed);
        const auto count = steps.size();
        if (failed < 0) return;
        std::vector<Step> shortest(steps.begin(), steps.begin() + failed + 1);
        Shrink(shortest, why);
        QString list;
        for (const Step& step : shortest) list += QStringLiteral("\n  ") + QString::fromStdString(StepText(step));
        QFAIL(qPrintable(QStringLiteral("walk from seed %1 failed after step %2 of %3: %4\nshortest failing list "
                                        "found (%5 steps), each checked after it runs:%6")
                             .arg(seed)
                             .arg(failed + 1)
                             .arg(count)
                             .arg(why)
                             .arg(shortest.size())
                             .arg(list)));
    }

private:
    // Leaves out ever smaller runs of steps while the walk still fails, for
    // at most a minute.
    void Shrink(std::vector<Step>& steps, QString& why) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        for (std::size_t chunk = steps.size() / 2; chunk >= 1; chunk /= 2) {
            for (std::size_t from = 0; from + chunk <= steps.size();) {
                if (std::chrono::steady_clock::now() > deadline) return;
                std::vector<Step> fewer(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(from));
                fewer.insert(fewer.end(), steps.begin() + static_cast<std::ptrdiff_t>(from + chunk), steps.end());
                QString reason;
                const int failed = fewer.empty() ? -1 : Run(fewer, reason);
                if (failed >= 0) {
                    fewer.resize(static_cast<std::size_t>(failed) + 1);
                    steps = fewer;
                    why = reason;
                } else {
                    from += chunk;
                }
            }
            if (chunk == 1) break;
        }
    }
};

}  // namespace dusk::test

QTEST_MAIN(dusk::test::RandomWalkTest)
#include "random_walk_test.moc"
