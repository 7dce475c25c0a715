#pragma once
#include "framework/Context.h"
#include <QWidget>
