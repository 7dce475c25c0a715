// A platform header that reaches up into the module.
#pragma once
#include "module/Form.h"
#include "platform/Text.h"
