// Telling the engine's file kinds apart and loading any of them (see VNReportFiles.h).
#include "VNReportFiles.h"

#include "VNEMFPages.h"

#include <cctype>

namespace {

// Where each signature text stands: after the fields that precede it in its file's header.
struct TSignature {
    std::size_t Offset;
    std::string_view Text;
    TVNFileKind Kind;
};
constexpr TSignature Signatures[] = {
    {4, "Valnor Prepared Report File", TVNFileKind::PreparedPages}, // byte 43, byte 10, length
    {6, "Valnor Dictionary File", TVNFileKind::Dictionary},         // int32 version, length
    {3, "Valnor Template File", TVNFileKind::Template},             // byte, length
};

bool IsHexText(std::string_view data) {
    std::size_t n = 0;
    while (n < data.size() && std::isxdigit(static_cast<unsigned char>(data[n])))
        ++n;
    return n >= 2 && (n == data.size() || data[n] == '#' || data[n] == '\r' || data[n] == '\n');
}

} // namespace

TVNFileKind DetectVNFileKind(std::string_view data) {
    for (const TSignature& sig : Signatures)
        if (data.size() >= sig.Offset + sig.Text.size() && data.substr(sig.Offset, sig.Text.size()) == sig.Text)
            return sig.Kind;
    return IsHexText(data) ? TVNFileKind::HexText : TVNFileKind::ReportStream;
}

const char* VNFileKindName(TVNFileKind kind) {
    switch (kind) {
    case TVNFileKind::ReportStream: return "report stream";
    case TVNFileKind::Template: return "template";
    case TVNFileKind::Dictionary: return "dictionary";
    case TVNFileKind::PreparedPages: return "prepared report";
    case TVNFileKind::HexText: return "hexadecimal report text";
    }
    return "report stream";
}

bool LoadVNFile(TVNReport& report, TVNStream& s, TVNFileKind kind) {
    switch (kind) {
    case TVNFileKind::Template: return report.LoadTemplateStream(s);
    case TVNFileKind::Dictionary: return report.Dictionary.LoadFromStream(s);
    case TVNFileKind::PreparedPages: return report.EMFPages->LoadFromStream(s);
    case TVNFileKind::HexText: return report.LoadReportHex(s.Data());
    case TVNFileKind::ReportStream: break;
    }
    return report.LoadReportStream(s);
}
