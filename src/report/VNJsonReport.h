// The text form of reports: a report file (".vnf"), a template (".vnt") or a dictionary (".vnd")
// written as JSON that people can read, review, diff and write by hand, and read back into the
// model so that the model's own writers produce the file.
//
// Layout of the text (keys of the model in its own spelling, structure keys in lower case):
//   {"format": "Valnor Report File" | "Valnor Template File" | "Valnor Dictionary File",
//    "report":   {report description and switches},
//    "template": {"Description": [lines], "PreviewBitmap": base64}      (templates only)
//    "pages":    [{page fields, "views": [{"Kind": "Memo", properties...}, ...]}, ...],
//    "dictionary": {"Variables": [[name, value], ...], "FieldAliases": ..., "DataSetAliases": ...}}
// Views are listed in the page's drawing order, as the stream holds them. Values equal to a fresh
// object's are left out; key order is fixed, so a dump is a pure function of the model and
// dumping what was made from a dump gives the same text.
//
// Reading checks everything before the model is used: unknown keys and kinds, wrong types and
// numbers out of a field's range raise EVNJsonError naming the line and the property path.
#pragma once

#include "VNJsonFields.h"
#include "VNReport.h"

#include <string>
#include <string_view>

extern const char* const VNJsonReportFormat;     // "Valnor Report File"
extern const char* const VNJsonTemplateFormat;   // "Valnor Template File"
extern const char* const VNJsonDictionaryFormat; // "Valnor Dictionary File"

// What a text form holds besides the report: its format and the template header.
struct TVNJsonDocument {
    std::string Format = VNJsonReportFormat;
    TVNTemplateInfo Template;
};

// The text of a report (a template when the document says so). Throws EVNJsonError when a view
// holds something its fields do not carry (the text would lose it).
std::string ReportToJson(TVNReport& report, const TVNJsonDocument& document = {});
std::string DictionaryToJson(TVNDataDictionary& dictionary);

// Reads a text form into an empty report (for a dictionary document only its dictionary is
// filled). Throws EVNJsonError (with Line set) on any problem; the report is then to be thrown away.
TVNJsonDocument ReportFromJson(std::string_view text, TVNReport& report);

// Whole files. The bytes of a report stream, template, dictionary file or hexadecimal template
// text to their text form; EVNJsonError (with the loader's message) when they do not load
// cleanly, since a text of a half-loaded report would silently lose the rest.
std::string StoredBytesToJson(const std::string& bytes);
// The bytes of the stored form that extension names (".vnf", ".vnt", ".vnd", or ".hex" for the
// host's hexadecimal template text) made from a text form; EVNJsonError when the text is wrong
// or does not fit that form.
std::string JsonToStoredBytes(std::string_view text, const std::string& extension);

// Makes outFile from the text in jsonFile (the kind by outFile's extension), written whole or not
// at all. Empty on success, else what went wrong: "FILE:LINE: path: message" for a wrong text.
std::string MakeStoredFile(const std::string& jsonFile, const std::string& outFile);

// Views held inside another view (the cells of a grid view): the text of a view written as the
// differences from fresh (a view of the same kind as its holder makes it new), checked to carry
// the whole design record; and the keys of such a text applied to a view of the named kind.
TVNJson NestedViewToJson(TVNView& view, TVNView& fresh, const std::string& path);
void NestedViewFromJson(const TVNJson& j, TVNView& view, const std::string& path);
// The type code and class name of the kind a view text names in "Kind"; EVNJsonError when none.
void JsonViewKind(const TVNJson& j, const std::string& path, int& typeCode, AnsiString& className);
