#pragma once
#include "module/Form.h"
