// TVNPageSetupForm: the page setup dialog ("页面设置") on one TVNPageSetting: printer, title,
// paper with its orientation, source, margins, page columns and print options, with a small page
// picture (TVNPageImage) that follows the edits. On OK it selects the chosen printer in the shared
// printer object and offers to move margins that lie in the printer's unprintable border.
//
// Entry point (the preview calls it):
//   ShowPageSetupDialog(setting, columnsEnabled, parent)
#pragma once

#include "report/VNPaper.h"

#include <QDialog>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class TVNPageSetupForm;

// The page picture: the sheet in the paper's proportions, its shadow and the margins dotted.
class TVNPageImage : public QWidget {
public:
    explicit TVNPageImage(TVNPageSetupForm* form, QWidget* parent = nullptr);
    // Draws the picture for the form's setting into the bitmap and repaints.
    void Redraw();
    const QImage& Bitmap() const { return FBitmap; }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    TVNPageSetupForm* FForm;
    QImage FBitmap;
};

class TVNPageSetupForm : public QDialog {
public:
    explicit TVNPageSetupForm(QWidget* parent = nullptr);

    // Edited in place; fill it before Prepare.
    TVNPageSetting Setting;
    // Fills the controls from Setting and the shared printer (call before showing).
    void Prepare();
    // The printer list index chosen.
    int PrinterIndex() const;
    // Disables the two column edits.
    void SetColumnsEnabled(bool on);

    QComboBox* Printers() const { return FPrinters; }
    QLineEdit* Title() const { return FTitle; }
    QRadioButton* Portrait() const { return FPortrait; }
    QRadioButton* Landscape() const { return FLandscape; }
    QLabel* PortraitPicture() const { return FPortraitPic; }
    QLabel* LandscapePicture() const { return FLandscapePic; }
    QComboBox* Papers() const { return FPapers; }
    QDoubleSpinBox* PaperWidth() const { return FWidth; }
    QDoubleSpinBox* PaperHeight() const { return FHeight; }
    QListWidget* Bins() const { return FBins; }
    QDoubleSpinBox* Margin(int index) const { return FMargins[index]; }
    QSpinBox* ColCount() const { return FColCount; }
    QDoubleSpinBox* ColGap() const { return FColGap; }
    QCheckBox* Option(int index) const { return FOptions[index]; } // 0 prev page, 1 two passes, 2 unlimited, 3 taoda, 4 back colour
    QTabWidget* Tabs() const { return FTabs; }
    TVNPageImage* Image() const { return FImage; }
    QPushButton* CancelButton() const { return FCancel; }

    // Selects the chosen printer and offers to move margins out of its unprintable border.
    void accept() override;

private:
    friend class TVNPageImage;
    void PrinterChanged();
    void Refresh();
    void PaperChosen();
    void MarginsEdited();
    bool CancelActive() const;
    const TVNPrinterInfo& Info() const;

    bool FRefreshing = false;
    QTabWidget* FTabs;
    QComboBox* FPrinters;
    QLineEdit* FTitle;
    QRadioButton *FPortrait, *FLandscape;
    QLabel *FPortraitPic, *FLandscapePic;
    QComboBox* FPapers;
    QDoubleSpinBox *FWidth, *FHeight;
    QLabel *FWidthLabel, *FHeightLabel;
    QListWidget* FBins;
    QDoubleSpinBox* FMargins[4];
    QSpinBox* FColCount;
    QDoubleSpinBox* FColGap;
    QCheckBox* FOptions[5];
    TVNPageImage* FImage;
    QPushButton* FCancel;
};

// Shows the dialog on `setting` (PrinterName is not read: the dialog starts on the shared
// printer). On OK the setting holds the choices, the shared printer the chosen printer, and the
// answer is true. columnsEnabled false disables the column edits.
bool ShowPageSetupDialog(TVNPageSetting& setting, bool columnsEnabled = true, QWidget* parent = nullptr);
