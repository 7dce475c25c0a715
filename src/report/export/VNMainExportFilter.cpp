// Collecting objects and text lines of each page into the records the table-like filters read.
#include "VNMainExportFilter.h"

#include "report/VNEMFPages.h"
#include "report/VNEngine.h"
#include "report/VNMemoLayout.h"
#include "report/VNMemoView.h"

#include "platform/Canvas.h"

#include <algorithm>
#include <cctype>

namespace {

bool IsRotated(const TVNMemoView& memo) {
    return memo.RotationType == rt90 || memo.RotationType == rt180 || memo.RotationType == rt270;
}

TVNEFFont FontOf(const TFontSpec& f) {
    return TVNEFFont{f.Name, f.Size, f.Color, f.Style, std::uint8_t(f.Charset)};
}

// Draws the view alone at 0, 0 onto a surface one pixel larger than the view.
std::optional<TRasterImage> DrawViewPicture(TVNView& view) {
    auto surface = CreateVNRasterSurface(view.Width + 1, view.Height + 1);
    if (!surface) return std::nullopt;
    const int left = view.Left, top = view.Top;
    view.Left = 0;
    view.Top = 0;
    TScopedValue exporting(VNState().ExportMode, false);
    TScopedValue running(VNState().RunMode, true);
    view.PaintScaleX = view.PaintScaleY = 1;
    view.PaintOffsetX = view.PaintOffsetY = 0;
    try {
        view.Paint(&surface->Canvas());
    } catch (...) {
        view.Left = left, view.Top = top;
        throw;
    }
    view.Left = left;
    view.Top = top;
    return surface->Image();
}

} // namespace

const char* ExportImageFormatName(TVNExportImageFormat format) {
    return format == ifBMP ? "BMP" : format == ifGIF ? "GIF" : "JPG";
}

void SetExportImageFormatOption(const std::string& name, const std::string& value,
                                TVNExportImageFormat& format) {
    std::string t;
    for (char c : value)
        if (c != ' ') t += char(std::toupper(static_cast<unsigned char>(c)));
    if (t == "JPG" || t == "JPEG")
        format = ifJPG;
    else if (t == "BMP")
        format = ifBMP;
    else if (t != "GIF")
        throw EVNExportError("option " + name + ": \"" + value + "\" is not JPG, BMP or GIF");
}

int ParseJPEGQualityOption(const std::string& name, const std::string& value) {
    const double q = ParseExportNumber(name, value);
    if (q < 0 || q > 100) throw EVNExportError("option " + name + ": \"" + value + "\" is not 0 to 100");
    return int(q);
}

std::uint8_t ExportAlignmentCode(int alignment, int layout) {
    static const std::uint8_t horizontal[4] = {1, 2, 32, 16};
    const std::uint8_t v = layout == vntlCenter ? 64 : layout == vntlBottom ? 8 : 4;
    return std::uint8_t(horizontal[alignment & 3] | v);
}

void TVNMainExportFilter::OnBeginDoc() {
    DataList.clear();
    TextList.clear();
    ObjectNames.clear();
    PageCounter = 0;
    PageWidth = PageHeight = 0;
    if (Report && Report->EMFPages && Report->EMFPages->Count() > 0) {
        const TVNPreparedPage& p = Report->EMFPages->Page(0);
        PageWidth = p.Metrics.PaperWidthPx;
        PageHeight = p.Metrics.PaperHeightPx;
    }
}

void TVNMainExportFilter::OnEndDoc() {
    DataList.clear();
    TextList.clear();
    ObjectNames.clear();
}

void TVNMainExportFilter::OnBeginPage() {
    DataList.clear();
    TextList.clear();
}

void TVNMainExportFilter::OnEndPage() {
    ++PageCounter;
}

void TVNMainExportFilter::OnData(int x, int y, TVNView& view) {
    const std::string cls = view.ClassName();
    if (cls == "TVNSubReportView" || cls == "TVNBandView") return;
    if (IsSpreadsheet && cls == "TVNLineView") return;
    TVNEFDataRec rec;
    rec.X = x;
    rec.Y = y;
    rec.Width = view.Width;
    rec.Height = view.Height;
    auto* memo = dynamic_cast<TVNMemoView*>(&view);
    const bool plainMemo = (cls == "TVNMemoView" || cls == "TVNCalcMemoView") && memo && !IsRotated(*memo);
    if (!plainMemo) {
        if (ExportImages)
            rec.Picture = DrawViewPicture(view);
        else
            rec.NoPicture = 1;
    }
    if (memo) {
        rec.Width += 1;
        const TVNStrings& lines = memo->Memo1.empty() ? memo->Memo : memo->Memo1;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i) rec.Text += "\r\n";
            rec.Text += lines[i];
        }
        rec.Text.erase(std::remove(rec.Text.begin(), rec.Text.end(), '\x01'), rec.Text.end());
        ICanvas& measure = VNMeasureCanvas();
        measure.SetFont(memo->Font);
        rec.TextWidth = measure.TextWidth(rec.Text);
        rec.Font = FontOf(memo->Font);
        rec.Alignment = ExportAlignmentCode(memo->Alignment(), memo->Layout());
        rec.Rotated = IsRotated(*memo);
        rec.Stretched = view.Stretched();
        rec.WordWrap = (view.Flags & flWordWrap) != 0;
    }
    if (ExportFrames) {
        rec.FrameTyp = view.FrameTyp();
        rec.FrameWidth = view.TopFrame().Width;
        rec.FrameColor = view.TopFrame().Color;
        rec.FrameStyle = view.TopFrame().Style;
        rec.FillColor = view.FillColor;
        const auto& f = view.Frames();
        for (int i = 0; i < 4; ++i)
            rec.Sides[i] = TVNEFFrameSide{f[i].Visible != 0, f[i].Style, f[i].Color, f[i].Width};
    }
    rec.Name = view.Name;
    auto it = std::find(ObjectNames.begin(), ObjectNames.end(), view.Name);
    if (it == ObjectNames.end()) {
        ObjectNames.push_back(view.Name);
        it = ObjectNames.end() - 1;
    }
    rec.NameIndex = int(it - ObjectNames.begin());
    rec.ClassName = cls;
    DataList.push_back(std::move(rec));
}

void TVNMainExportFilter::OnText(const TRect& drawRect, int x, TVNView& view, int frameFlags,
                                 const AnsiString& text, int y) {
    (void)frameFlags;
    auto* memo = dynamic_cast<TVNMemoView*>(&view);
    if (!memo || IsRotated(*memo)) return;
    if (ExportImages && std::string(view.ClassName()) == "TVNRoundRectView") return;
    TVNEFTextRec rec;
    rec.X = x;
    rec.Y = y;
    rec.Text = text;
    ICanvas& measure = VNMeasureCanvas();
    measure.SetFont(memo->Font);
    rec.TextWidth = measure.TextWidth(text);
    rec.TextHeight = measure.TextHeight(text);
    rec.Font = FontOf(memo->Font);
    rec.DrawRect = drawRect;
    TextList.push_back(std::move(rec));
}

TJpegOptions TVNMainExportFilter::BitmapJpegOptions(int quality) {
    TJpegOptions o;
    o.Quality = std::clamp(quality, 1, 100);
    o.Progressive = false;
    return o;
}

std::string TVNMainExportFilter::BitmapToJpeg(const TRasterImage& image, int quality) {
    return EncodeJpeg(image, BitmapJpegOptions(quality));
}
