// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the command table calls: every command of the main window as one
// member function. A handler shared by several rows takes the row's value
// (an option slot, a pause in milliseconds).

namespace dusk::app {

class CommandTarget {
public:
    // File menu and tool-bar row 1.
    virtual void Open() = 0;
    virtual void Next() = 0;
    virtual void Previous() = 0;
    virtual void SaveAs() = 0;
    // The marks of the image or its quad as a GeoPackage, a crater count or
    // CSV, or the profile shown as CSV.
    virtual void ExportMarks() = 0;
    virtual void ScanForward() = 0;
    virtual void ScanBackward() = 0;
    virtual void ScanStop() = 0;
    virtual void Print() = 0;
    virtual void PrintSetup() = 0;
    virtual void Exit() = 0;
    // Closes the image window as its own close button does.
    virtual void CloseImage() = 0;

    // Options menu: flips the default of option `slot` for the next load.
    virtual void ToggleDefaultOption(int slot) = 0;
    // Option buttons: flips option `slot` of the image on display.
    virtual void ToggleActiveOption(int slot) = 0;

    // The tone commands and Original Image: change the image on display.
    virtual void ContrastDown() = 0;
    virtual void ContrastUp() = 0;
    virtual void BrightnessDown() = 0;
    virtual void BrightnessUp() = 0;
    virtual void ShadingDown() = 0;
    virtual void ShadingUp() = 0;
    virtual void OriginalImage() = 0;

    // View, Scan-pause and About menus, and the Info box.
    virtual void ToggleToolbar() = 0;
    // The zoom of the image window: the next step up or down, one pixel per
    // sample, and Fit to Window on or off.
    virtual void ZoomIn() = 0;
    virtual void ZoomOut() = 0;
    virtual void ActualSize() = 0;
    virtual void FitToWindow() = 0;
    // Opens the Histogram window, or closes it while it is open.
    virtual void ToggleHistogram() = 0;
    // Opens the Label Keywords window, or closes it while it is open.
    virtual void ToggleLabelKeywords() = 0;
    // Opens the Collection Overview window, or closes it while it is open.
    virtual void ToggleOverview() = 0;
    // Over a quad's browse image, the outlines of its tiles on or off; from a
    // tile, back to the browse image with the tile's outline framed.
    virtual void ToggleFootprints() = 0;
    virtual void ShowInBrowseImage() = 0;
    // Steps to the first or the last entry of the collection, or to the one
    // the user names by its position or name.
    virtual void FirstEntry() = 0;
    virtual void LastEntry() = 0;
    virtual void GoToEntry() = 0;
    // Opens the Quad Mosaic window on the quad of the image on display.
    virtual void ShowQuadMosaic() = 0;
    virtual void SetScanPause(int milliseconds) = 0;
    virtual void About() = 0;
    virtual void ImageInfo() = 0;

protected:
    ~CommandTarget() = default;
};

}  // namespace dusk::app
