#include "VNBuildEngine.h"
#include <QPainter>
#include <vector>
