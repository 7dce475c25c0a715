// The text form of a grid view's cell grid: the key "Grid" of a grid view in the report's JSON
// text, holding the sizes of the data columns and rows and the areas that differ from new cells.
//
//   "Grid": {"ColWidths": [64, 80], "RowHeights": [17, 17, 30],
//            "Cells": [{"Col": 1, "Row": 1, "EndCol": 2, "View": {"Kind": "Memo", "Memo": ["x"]}}]}
//
// A cell's view is written as its differences from a new cell's view (all four frame sides,
// centred, the grid's font); for a kind other than a memo the cell's own alignment and font
// follow as "HorizAlign", "VertAlign" and "Font".
#pragma once

#include "VNJsonFields.h"

TVNJsonField<TVNView> GridViewJsonField();
