// The printers of simple controls: each places one view (two for a check box) where the control
// sits, filed above the grid (title band) before the grid has printed and below it (column
// footer band) after it, framed on all sides with vngoDrawBorder.
//   TVNPrintControl         labels, plain text edits (memos), list boxes (list views of a model)
//   TVNPrintEdit            line edits, combo boxes and spin boxes
//   TVNPrintCheckBox        check boxes: a check box view and the caption beside it
//   TVNPrintDateTimePicker  date and time edits: the date (short date) or time (long time)
#pragma once

#include "VNFormReportObject.h"

class TVNPrintControl : public TVNFormReportObject {
public:
    void PrintObject(TVNFormReport& report, TVNPage& page, TVNView*& view, QWidget* control) override;
};

class TVNPrintEdit : public TVNFormReportObject {
public:
    void PrintObject(TVNFormReport& report, TVNPage& page, TVNView*& view, QWidget* control) override;
};

class TVNPrintCheckBox : public TVNFormReportObject {
public:
    void PrintObject(TVNFormReport& report, TVNPage& page, TVNView*& view, QWidget* control) override;
};

class TVNPrintDateTimePicker : public TVNFormReportObject {
public:
    void PrintObject(TVNFormReport& report, TVNPage& page, TVNView*& view, QWidget* control) override;
};
