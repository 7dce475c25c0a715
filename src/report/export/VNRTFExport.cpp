// Writing prepared pages as positioned RTF frames, one per object.
#include "VNRTFExport.h"

#include "report/VNEMFPages.h"

#include "platform/LittleEndian.h"
#include "platform/Locale.h"

#include <cctype>
#include <cstdio>
#include <ctime>

namespace {

const char* const CRLF = "\r\n";

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

bool IsPlainMemo(const TVNEFDataRec& rec) {
    return rec.ClassName == "TVNMemoView" || rec.ClassName == "TVNCalcMemoView";
}

std::string N(int v) {
    return std::to_string(v);
}

} // namespace

TVNRTFExport::TVNRTFExport() {
    RegisterExportFilter(this, CP936("Rich Text 文件") + " (*.rtf)", "*.rtf");
}

int TVNRTFExport::Twips(double reportPixels) {
    return int(RoundHalfEven(reportPixels * 14.996221662468514));
}

int TVNRTFExport::PictureExtent(double reportPixels) {
    return int(RoundHalfEven(reportPixels * 26.46875));
}

std::string TVNRTFExport::EscapeText(const AnsiString& text) {
    std::string_view t = text;
    if (t.size() >= 2 && t.substr(t.size() - 2) == "\r\n") t.remove_suffix(2);
    std::string out;
    out.reserve(t.size() + 8);
    for (std::size_t i = 0; i < t.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(t[i]);
        if (IsLeadByte(c) && i + 1 < t.size()) {
            const char trail = t[i + 1];
            // A double-byte character whose second byte is a backslash or a brace would be torn
            // apart by escaping that byte; written as two hexadecimal bytes it stays one character.
            if (trail == '\\' || trail == '{' || trail == '}') {
                char buf[16];
                std::snprintf(buf, sizeof buf, "\\'%02x\\'%02x", c, static_cast<unsigned char>(trail));
                out += buf;
            } else {
                out += char(c);
                out += trail;
            }
            ++i;
            continue;
        }
        if (c == '\\' || c == '{' || c == '}') out += '\\';
        out += char(c);
    }
    return out;
}

std::string TVNRTFExport::MetafileHex(const std::string& bmpFile, int width, int height) {
    const std::uint32_t size = bmpFile.size() >= 6 ? GetLE32(bmpFile, 2) : 0; // the BMP file header's size
    const std::uint32_t stretchWords = size / 2 + 7;
    std::string out;
    auto line = [&out](const std::string& bytes) { out += Hex(bytes) + CRLF; };
    std::string r;
    // Header: type 1 (in memory), 9 words, version 3.0, total size, no objects, largest record.
    PutLE16(r, 1), PutLE16(r, 9), PutLE16(r, 0x0300), PutLE32(r, stretchWords + 36), PutLE16(r, 0),
        PutLE32(r, stretchWords), PutLE16(r, 0);
    line(r);
    r.clear(), PutLE32(r, 5), PutLE16(r, 0x020B), PutLE16(r, 0), PutLE16(r, 0); // SETWINDOWORG
    line(r);
    r.clear(), PutLE32(r, 5), PutLE16(r, 0x020C), PutLE16(r, std::uint32_t(height)),
        PutLE16(r, std::uint32_t(width)); // SETWINDOWEXT
    line(r);
    r.clear(), PutLE32(r, 5), PutLE16(r, 0x0209), PutLE32(r, 0); // SETTEXTCOLOR
    line(r);
    r.clear(), PutLE32(r, 5), PutLE16(r, 0x0201), PutLE32(r, 0xFFFFFF); // SETBKCOLOR
    line(r);
    r.clear(), PutLE32(r, 4), PutLE16(r, 0x0107), PutLE16(r, 3); // SETSTRETCHBLTMODE
    line(r);
    r.clear(), PutLE32(r, stretchWords), PutLE16(r, 0x0F43), PutLE32(r, 0x00CC0020),
        PutLE16(r, 0); // STRETCHDIB
    PutLE16(r, std::uint32_t(height)), PutLE16(r, std::uint32_t(width)), PutLE16(r, 0), PutLE16(r, 0);
    PutLE16(r, std::uint32_t(height)), PutLE16(r, std::uint32_t(width)), PutLE16(r, 0), PutLE16(r, 0);
    line(r);
    for (std::size_t at = 14; at < bmpFile.size(); at += 64)
        line(bmpFile.substr(at, 64));
    out += std::string("030000000000") + CRLF;
    return out;
}

int TVNRTFExport::FontNumber(const AnsiString& name) {
    for (std::size_t i = 0; i < FFonts.size(); ++i)
        if (FFonts[i] == name) return int(i);
    FFonts.push_back(name);
    return int(FFonts.size()) - 1;
}

int TVNRTFExport::ColorNumber(TColor color) {
    const TColor rgb = ColorToRGB(color);
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X%02X%02X", unsigned(rgb & 0xFF), unsigned((rgb >> 8) & 0xFF),
                  unsigned((rgb >> 16) & 0xFF));
    for (std::size_t i = 0; i < FColors.size(); ++i)
        if (FColors[i] == buf) return int(i) + 1;
    FColors.emplace_back(buf);
    return int(FColors.size());
}

void TVNRTFExport::OnBeginDoc() {
    TVNMainExportFilter::OnBeginDoc();
    FBody.clear();
    FFonts.clear();
    FColors.clear();
}

void TVNRTFExport::WritePicture(const TVNEFDataRec& rec, int x, int y) {
    if (!rec.Picture) return;
    const bool bmp = ExportImageFormat == ifBMP;
    FBody += "\\par\\pard\\pvpg\\phpg\\posx" + N(x) + "\\posy" + N(y) + "{\\pict" +
             (bmp ? "\\wmetafile8" : "\\jpegblip") + "\\picw" + N(PictureExtent(rec.Width)) + "\\pich" +
             N(PictureExtent(rec.Height)) + "\\picbmp\\picbpp4" + CRLF;
    if (bmp) {
        FBody += MetafileHex(EncodeBmp(*rec.Picture), rec.Picture->Width, rec.Picture->Height);
    } else {
        const std::string jpeg = BitmapToJpeg(*rec.Picture, JPEGQuality);
        if (GraphicDataInBinary)
            FBody += "\\bin" + N(int(jpeg.size())) + " " + jpeg;
        else
            FBody += Hex(jpeg);
    }
    FBody += std::string("}") + CRLF;
}

void TVNRTFExport::OnEndPage() {
    FBody += std::string("{") + CRLF;
    for (TVNEFDataRec& rec : DataList) {
        const int extra = ExportFrames ? 1 : 0;
        const int x = Twips(rec.X), y = Twips(rec.Y);
        const int w = Twips(rec.Width + extra), h = Twips(rec.Height + extra);
        const bool plain = IsPlainMemo(rec);
        const bool line = rec.ClassName == "TVNLineView";

        if (ExportImages && (!plain || rec.Rotated) && !line) WritePicture(rec, x, y);
        rec.Picture.reset();

        if (ExportFrames && (plain || line)) {
            const bool top = rec.FrameTyp & 8, right = rec.FrameTyp & 1, bottom = rec.FrameTyp & 2,
                       left = rec.FrameTyp & 4;
            std::string border;
            const std::string definition = "\\absh-" + N(h + 1) + "\\absw" + N(w + 1 - 100) +
                                           "\\brdrs\\brdrw" + N(Twips(rec.FrameWidth)) + "\\brdrcf" +
                                           N(ColorNumber(rec.FrameColor));
            if (top && right && bottom && left)
                border = "\\box" + definition;
            else if (top || right || bottom || left) {
                if (top) border += "\\brdrt" + definition;
                if (right) border += "\\brdrr" + definition;
                if (bottom) border += "\\brdrb" + definition;
                if (left) border += "\\brdrl" + definition;
            } else {
                border = (rec.Stretched ? "" : "\\absh-" + N(h)) + "\\absw" + N(w);
            }
            FBody += "\\par\\pard" + border + "\\pvpg\\phpg\\posy" + N(y) + "\\posx" + N(x);
            if (rec.FillColor != clNone)
                FBody += "\\shading10000\\cfpat" + N(ColorNumber(rec.FillColor)) + " ";
        }

        if (plain && !rec.Rotated && !rec.Text.empty()) {
            const std::uint8_t a = rec.Alignment;
            const std::string vertical = a & 64 ? "\\vertalc" : a & 8 ? "\\vertalb" : "\\vertalt";
            const std::string horizontal = a & 2 ? "\\qr" : a & 32 ? "\\qc" : a & 16 ? "\\qj" : "\\ql";
            std::string open, close;
            if (rec.Font.Style & 1) open += " \\b", close += " \\b0";
            if (rec.Font.Style & 2) open += " \\i", close += " \\i0";
            if (rec.Font.Style & 8) open += " \\strike", close += " \\strike0";
            if (rec.Font.Style & 4) open += " \\ul", close += " \\ul0";
            if (!ExportFrames)
                FBody += "\\par\\pard\\pvpg\\phpg\\absw" + N(w) + (rec.Stretched ? "" : "\\absh-" + N(h)) +
                         "\\posy" + N(y) + "\\posx" + N(x);
            FBody += "\\f" + N(FontNumber(rec.Font.Name)) + "\\cf" + N(ColorNumber(rec.Font.Color)) + "\\fs" +
                     N(rec.Font.Size * 2) + open + vertical + horizontal + " " + EscapeText(rec.Text) + CRLF +
                     " " + close + CRLF;
        }
    }
    // The page break goes into a plain paragraph: left in the last object's frame, readers such
    // as LibreOffice drop the break and pile every page's frames onto the last page.
    const bool last = Report && Report->EMFPages && ExportPageIndex >= Report->EMFPages->Count() - 1;
    FBody += std::string(last ? "\\par}" : "\\par\\pard\\page}") + CRLF;
    TVNMainExportFilter::OnEndPage();
}

void TVNRTFExport::OnEndDoc() {
    std::string header = "{\\rtf1\\ansi\\ansicpg936\\deff0\\deftab720{\\fonttbl";
    for (std::size_t i = 0; i < FFonts.size(); ++i)
        header += "{\\f" + N(int(i)) + "\\fnil " + EscapeText(FFonts[i]) + ";}";
    header += "}{\\colortbl;";
    for (const std::string& c : FColors)
        header += "\\red" + N(std::stoi(c.substr(0, 2), nullptr, 16)) + "\\green" +
                  N(std::stoi(c.substr(2, 2), nullptr, 16)) + "\\blue" +
                  N(std::stoi(c.substr(4, 2), nullptr, 16)) + ";";
    header += "}{\\info{\\title " + EscapeText(Report ? Report->ReportInfo.Title : AnsiString()) + "}";
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    header += "{\\creatim\\yr" + N(local.tm_year + 1900) + "\\mo" + N(local.tm_mon + 1) + "\\dy" +
              N(local.tm_mday) + "\\hr" + N(local.tm_hour) + "\\min" + N(local.tm_min) + "}}\\viewkind1";
    if (Report && Report->EMFPages && Report->EMFPages->Count() > 0) {
        const TVNPreparedPage& first = Report->EMFPages->Page(0);
        const int width = first.Metrics.PaperWidthPx, height = first.Metrics.PaperHeightPx;
        header += "\\paperw" + N(Twips(width)) + "\\paperh" + N(Twips(height)) + "\\margl" +
                  N(Twips(first.Margins.Left)) + "\\margr" + N(Twips(width - first.Margins.Right)) +
                  "\\margt" + N(Twips(first.Margins.Top)) + "\\margb" +
                  N(Twips(height - first.Margins.Bottom));
        if (first.Orientation == 1) header += "\\landscape";
    }
    header += std::string("\\headery0\\footery0") + CRLF;
    Stream->Write(header);
    Stream->Write(FBody);
    Stream->Write("}");
    FBody.clear();
    TVNMainExportFilter::OnEndDoc();
}

// ---- options ------------------------------------------------------------------------------------

std::vector<TVNExportOption> TVNRTFExport::Options() const {
    auto b = [](bool v) { return std::string(v ? "true" : "false"); };
    return {{"ExportFrames", b(ExportFrames),
             "boolean: object frames and fills as paragraph borders and shading"},
            {"ExportImages", b(ExportImages), "boolean: objects other than memos as pictures"},
            {"ExportImageFormat", ExportImageFormatName(ExportImageFormat),
             "JPG or BMP: pictures as JPEG or as bitmaps in metafiles"},
            {"JPEGQuality", std::to_string(JPEGQuality), "0 to 100: quality of JPEG pictures"},
            {"GraphicDataInBinary", b(GraphicDataInBinary),
             "boolean: picture bytes raw after \\bin, not as hex"}};
}

void TVNRTFExport::SetOption(const std::string& name, const std::string& value) {
    if (name == "ExportFrames")
        ExportFrames = ParseExportBool(name, value);
    else if (name == "ExportImages")
        ExportImages = ParseExportBool(name, value);
    else if (name == "ExportImageFormat")
        SetExportImageFormatOption(name, value, ExportImageFormat);
    else if (name == "JPEGQuality")
        JPEGQuality = ParseJPEGQualityOption(name, value);
    else if (name == "GraphicDataInBinary")
        GraphicDataInBinary = ParseExportBool(name, value);
    else
        UnknownOption(name);
}
