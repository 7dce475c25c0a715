// Every kind of file the engine reads, told apart by its bytes alone, and one call that loads
// any of them. Tools and programs use this instead of sniffing signatures themselves, so that a
// file is recognised the same way everywhere.
#pragma once

#include "VNReport.h"

#include <string_view>

enum class TVNFileKind {
    ReportStream,  // ".vnf": the report stream (also the fallback for anything unrecognised)
    Template,      // ".vnt": a report stream behind a description and a preview picture
    Dictionary,    // ".vnd": variables and aliases only
    PreparedPages, // ".vnp": pages built before
    HexText,       // a report stream as hexadecimal text, as the host stores templates
};

// The kind of the given file contents. Signatures decide; hexadecimal text is two or more hex
// digits that run to the end, to a "#" or to a line break. Anything else is taken for a report
// stream, whose reader then says what is wrong with it.
TVNFileKind DetectVNFileKind(std::string_view data);

// A short English name of the kind ("report stream", "template", ...), for tools' output.
const char* VNFileKindName(TVNFileKind kind);

// Loads the stream's contents, of the given kind, into the report: report streams, templates
// and hexadecimal text into its pages, a dictionary into its dictionary, prepared pages into its
// built pages. False when nothing or not everything was loaded (the engine's message says why).
bool LoadVNFile(TVNReport& report, TVNStream& s, TVNFileKind kind);
