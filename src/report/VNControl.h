// Controls of dialog pages. A dialog page asks the user for report parameters before the report
// pages are built; its controls are views of the add-in kind, created by class name, streamed and
// named like any other view. What a control does is up to its concrete kind: the window side
// turns each visual control into a widget of the dialog's form, and a non-visual one (a data
// source, a query) is handed to the report's OnCustomizeObject before the form is shown.
#pragma once

#include "VNViewFactory.h"

#include <vector>

class TPicture;

class TVNControl : public TVNView {
public:
    TVNControl();
    const char* ClassName() const override { return "TVNControl"; }
    virtual bool IsVisual() const { return true; }
    // The tab order its "TabOrder" property gives, or -1 when the kind has none.
    int TabOrder();
    // The designer shows a visual control as a framed button-face box with its name: the widget
    // itself exists only while the dialog runs.
    void Paint(ICanvas* canvas) override;
    // A control's name is also the name of its component on the report's dialog form, so it must
    // not take the name of a component already there.
    void CollectTakenNames(std::vector<AnsiString>& names) override;
};

class TVNNonVisualControl : public TVNControl {
public:
    // A non-visual component shows as its 28 x 28 mark, whatever size it was given.
    static constexpr int MarkSize = 28;
    TVNNonVisualControl();
    const char* ClassName() const override { return "TVNNonVisualControl"; }
    bool IsVisual() const override { return false; }
    void Paint(ICanvas* canvas) override;
};

// The mark of a non-visual component ("VN_NONVISUALCOMPONENT"), 28 x 28 pixels.
const TPicture& NonVisualComponentMark();

// Visual controls in tab order: they start in object order, and each control with a tab order
// then moves to that place in the list (a place past the end means the end), in object order,
// the way setting a widget's tab order inserts it into its parent's tab list.
std::vector<TVNControl*> ControlsInTabOrder(const std::vector<TVNControl*>& controls);

// The registry entries of the two control kinds, created by their class names.
std::vector<TVNAddInObjectInfo> DialogControlAddIns();
