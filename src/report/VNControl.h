// Controls of dialog pages. A dialog page asks the user for report parameters before the report
// pages are built; its controls are views of the add-in kind, created, streamed and named like
// any other view. What a control does is up to its concrete kind: the window side turns each
// visual control into a widget of the dialog's form, and a non-visual one (a data source, a
// query) is handed to the report's OnCustomizeObject before the form is shown.
#pragma once

#include "VNView.h"

#include <vector>

class TVNControl : public TVNView {
public:
    TVNControl();
    const char* ClassName() const override { return "TVNControl"; }
    virtual bool IsVisual() const { return true; }
    // The tab order its "TabOrder" property gives, or -1 when the kind has none.
    int TabOrder();
};

class TVNNonVisualControl : public TVNControl {
public:
    const char* ClassName() const override { return "TVNNonVisualControl"; }
    bool IsVisual() const override { return false; }
};

// Visual controls in tab order: they start in object order, and each control with a tab order
// then moves to that place in the list (a place past the end means the end), in object order,
// the way setting a widget's tab order inserts it into its parent's tab list.
std::vector<TVNControl*> ControlsInTabOrder(const std::vector<TVNControl*>& controls);
