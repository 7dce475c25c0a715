// CP936 text: lead-byte rule, conversions at the edges, trimming and single-byte case mapping.
#include "AnsiString.h"
