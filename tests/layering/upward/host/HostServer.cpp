#include "module/Form.h"
#include "platform/Value.h"
