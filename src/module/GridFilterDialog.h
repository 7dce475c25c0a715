// The grid's filter operation: the filter builder dialog over the grid's data set, then the
// confirmed lines applied as the data set's filter.
//
// The grid owns the filter store (the last confirmed logic list) and hands it in; it outlives
// every dialog. The store is replaced as soon as the user confirms, so a filter text the data set
// refuses still leaves the lines for the next try. Errors never escape: they are shown (caption
// "错误") and the result is false.
#pragma once

#include "controls/FilterTextBuilder.h"

#include <functional>

class QWidget;
class TAdvCustomDBGridQx;
class TFrmQuerySet;

// Shows the dialog modally and returns its result (QDialog::Accepted or Rejected). Tests replace
// it to play the user's part.
using TQuerySetRunner = std::function<int(TFrmQuerySet&)>;

// True when a filter was applied. `title` becomes the dialog's caption when it is not blank;
// `visibleOnly` lists only the visible fields.
bool FilterDialog(QWidget* owner, TMemDataSet& dataSet, TLogicList& filterStore, const AnsiString& title,
                  bool visibleOnly, const TQuerySetRunner& run = {});

// The same over a data grid: its linked data set and the filter store the grid keeps. False
// without a data set (nothing to list or to filter).
bool FilterDialog(TAdvCustomDBGridQx& grid, const AnsiString& title, bool visibleOnly,
                  const TQuerySetRunner& run = {});
