#include "report/VNReport.h"
#include "report/VNBuildEngine.h"
#include "missing/Gone.h"
