// The printers the generator knows without being told: registered in this order on first use,
// so a caller's own registration (made later) wins for the same kind of control.
#pragma once

void RegisterBuiltInFormReportObjects();
