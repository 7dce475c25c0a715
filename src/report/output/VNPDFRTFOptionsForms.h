// The options forms of the PDF and RTF exports: "PDF 导出选项" and "RTF 导出选项". OK stores the
// values in the filter; Cancel leaves them and ends the export before anything is written.
#pragma once

#include "report/export/VNPDFExport.h"
#include "report/export/VNRTFExport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>

// Registers both forms with the export dialog hook (VNExportDialogs.h).
void RegisterVNPDFAndRTFDialogs();

// "PDF 导出选项": picture format, JPEG quality (JPG only), colour depth, compression level and
// the searchable text layer. OK stores the values in the filter.
class TVNPDFOptionsForm : public QDialog {
public:
    explicit TVNPDFOptionsForm(TVNPDFExport& filter, QWidget* parent = nullptr);
    void accept() override;

    QComboBox* ImageFormat;
    QLineEdit* Quality;
    QComboBox* PixelFormat;
    QComboBox* Compression;
    QCheckBox* SearchableText;

private:
    TVNPDFExport& FFilter;
};

// "RTF 导出选项": frames, pictures (format and JPEG quality in a group enabled with them).
class TVNRTFOptionsForm : public QDialog {
public:
    explicit TVNRTFOptionsForm(TVNRTFExport& filter, QWidget* parent = nullptr);
    void accept() override;

    QCheckBox* ExportFrames;
    QCheckBox* ExportImages;
    QGroupBox* Pictures;
    QComboBox* ImageFormat;
    QLineEdit* Quality;

private:
    TVNRTFExport& FFilter;
};
