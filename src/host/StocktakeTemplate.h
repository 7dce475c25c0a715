// The standard template of the stocktake sheet ("盘点损益表") as the host stores it in its template
// table: the report stream as hexadecimal text, two digits per byte, ended by "#".
//
// The text is made from StocktakeTemplate.json (the template's text form) and compiled in at build
// time (see CMakeLists.txt), so the host serves a designed template without linking the report
// engine. The file is written by the template test from the design in tests/template, which also
// checks that the two agree.
#pragma once

extern const char* const StocktakeTemplateHex;
