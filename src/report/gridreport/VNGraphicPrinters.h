// Printers of the controls that show a picture, formatted text or a drawn shape, placed and filed
// like the other simple controls (above the grid in the title band, below it in the column
// footer):
//   TVNPrintImage     a label showing a picture: a picture view of the label's size with the
//                     picture, centred or stretched as the label shows it
//   TVNPrintRichEdit  a rich text edit: a rich-text view of the edit's size + 2 with its text,
//                     fonts, colours and paragraph alignment
//   TVNPrintShape     a plain frame drawn as a line or a box: a line view for a line (or any
//                     shape at most 2 pixels high), otherwise a shape view
#pragma once

#include "VNFormReportObject.h"

#include "report/VNRichText.h"

class QTextDocument;

class TVNPrintImage : public TVNFormReportObject {
public:
    void PrintObject(TVNFormReport& report, TVNPage& page, TVNView*& view, QWidget* control) override;
};

class TVNPrintRichEdit : public TVNFormReportObject {
public:
    void PrintObject(TVNFormReport& report, TVNPage& page, TVNView*& view, QWidget* control) override;
};

class TVNPrintShape : public TVNFormReportObject {
public:
    void PrintObject(TVNFormReport& report, TVNPage& page, TVNView*& view, QWidget* control) override;
};

// Whether a label shows a picture (the image printer's kind).
bool IsPictureLabel(const QWidget* control);
// Whether a widget is a plain frame that draws a line or a box and holds no controls (the shape
// printer's kind); a frame holding controls is a container and is walked.
bool IsShapeFrame(const QWidget* control);

// A text document as the report's rich-text model (paragraph alignment, runs with font, size,
// style and colour).
TVNRichDocument RichFromTextDocument(const QTextDocument& document);
