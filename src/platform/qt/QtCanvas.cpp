// QPainter canvas: font mapping, cached per-character advances, text with rotation, spacing,
// reading order and clipping, pens, brushes, shapes, pictures and the clip stack.
//
// Shapes are drawn without antialiasing and with the classic rectangle convention (right and
// bottom exclusive), so frames and rules land on whole pixels exactly as the layout computed
// them. Pen modes use raster operations where the device supports them (raster images and
// screens); on a printer they fall back to plain copying, except "no operation".
#include "platform/qt/QtCanvas.h"

#include "platform/AnsiString.h"
#include "platform/MetafilePlayer.h"
#include "platform/Picture.h"
#include "platform/qt/QtPicture.h"
#include "platform/qt/QtText.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <unordered_map>

struct TQtFontEntry {
    QFont Font;
    bool Symbol = false;
    int Ascent = 0;
    int Height = 0;
    std::unique_ptr<QFontMetricsF> Metrics;
    // The part of a width stretch the font itself does not carry: text is measured and drawn
    // this much wider (see the stretch bounds below).
    double ScaleX = 1.0;
    std::array<double, 256> Single; // advance per single byte (ScaleX applied), negative when not measured yet
    std::unordered_map<std::uint16_t, double> Double; // advance per CP936 double-byte code
};

namespace {

// Qt's FreeType engine crashes drawing large stretches of some fonts (a bold CJK font stretched a
// few hundred percent), and a report may ask for up to 4000%. The font takes at most this range;
// the rest is a horizontal scale of the painter, so the text is still as wide as asked.
constexpr int MinFontStretch = 50, MaxFontStretch = 200;

// Wingdings bytes the reports use for check boxes and their Unicode look-alikes in DejaVu Sans.
char16_t SymbolChar(unsigned char b) {
    switch (b) {
    case 0xFC:
        return u'\u2714'; // heavy check mark
    case 0xFB:
        return u'\u2718'; // heavy ballot X
    case 0xFE:
        return u'\u2611'; // ballot box with check
    case 0xFD:
        return u'\u2612'; // ballot box with X
    case 0xA8:
        return u'\u2610'; // ballot box
    default:
        return char16_t(b);
    }
}

QColor ToQColor(TColor c) {
    TColor rgb = ColorToRGB(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

QRect ToQRect(const TRect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

QPen ToQPen(const TPen& p) {
    if (p.Style == TPenStyle::Clear) return QPen(Qt::NoPen);
    QPen pen(ToQColor(p.Color));
    pen.setWidth(p.Width > 1 ? p.Width : 1);
    switch (p.Style) {
    case TPenStyle::Dash:
        pen.setStyle(Qt::DashLine);
        break;
    case TPenStyle::Dot:
        pen.setStyle(Qt::DotLine);
        break;
    case TPenStyle::DashDot:
        pen.setStyle(Qt::DashDotLine);
        break;
    case TPenStyle::DashDotDot:
        pen.setStyle(Qt::DashDotDotLine);
        break;
    default:
        pen.setStyle(Qt::SolidLine);
        break;
    }
    switch (p.End) {
    case TPenEnd::Round:
        pen.setCapStyle(Qt::RoundCap), pen.setJoinStyle(Qt::RoundJoin);
        break;
    case TPenEnd::Square:
        pen.setCapStyle(Qt::SquareCap), pen.setJoinStyle(Qt::MiterJoin);
        break;
    case TPenEnd::Flat:
        pen.setCapStyle(Qt::FlatCap), pen.setJoinStyle(Qt::MiterJoin);
        break;
    }
    return pen;
}

QBrush ToQBrush(const TBrush& b) {
    static const Qt::BrushStyle styles[] = {Qt::SolidPattern, Qt::NoBrush,         Qt::HorPattern,
                                            Qt::VerPattern,   Qt::FDiagPattern,    Qt::BDiagPattern,
                                            Qt::CrossPattern, Qt::DiagCrossPattern};
    if (b.Style == TBrushStyle::Clear) return QBrush(Qt::NoBrush);
    return QBrush(ToQColor(b.Color), styles[int(b.Style)]);
}

QPainter::CompositionMode ToComposition(TPenMode mode) {
    switch (mode) {
    case TPenMode::Black:
        return QPainter::RasterOp_ClearDestination;
    case TPenMode::White:
        return QPainter::RasterOp_SetDestination;
    case TPenMode::Not:
        return QPainter::RasterOp_NotDestination;
    case TPenMode::NotCopy:
        return QPainter::RasterOp_NotSource;
    case TPenMode::MergePenNot:
        return QPainter::RasterOp_SourceOrNotDestination;
    case TPenMode::MaskPenNot:
        return QPainter::RasterOp_SourceAndNotDestination;
    case TPenMode::MergeNotPen:
        return QPainter::RasterOp_NotSourceOrDestination;
    case TPenMode::MaskNotPen:
        return QPainter::RasterOp_NotSourceAndDestination;
    case TPenMode::Merge:
        return QPainter::RasterOp_SourceOrDestination;
    case TPenMode::NotMerge:
        return QPainter::RasterOp_NotSourceAndNotDestination;
    case TPenMode::Mask:
        return QPainter::RasterOp_SourceAndDestination;
    case TPenMode::NotMask:
        return QPainter::RasterOp_NotSourceOrNotDestination;
    case TPenMode::Xor:
        return QPainter::RasterOp_SourceXorDestination;
    case TPenMode::NotXor:
        return QPainter::RasterOp_NotSourceXorDestination;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

bool SupportsRasterOps(QPainter* painter) {
    return painter->paintEngine() && painter->paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
}

// Process-wide: fonts are measured once, whichever canvas asks first. Never destroyed, so no Qt
// object outlives the application object in a static destructor.
std::unordered_map<std::string, std::unique_ptr<TQtFontEntry>>& FontCache() {
    static auto* cache = new std::unordered_map<std::string, std::unique_ptr<TQtFontEntry>>();
    return *cache;
}

} // namespace

QString TQtCanvas::MapFontFamily(std::string_view name, bool* symbol) {
    struct TMapping {
        const AnsiString& Name;
        const char* Family;
    };
    // Chinese names are compared in CP936, the encoding the reports store them in.
    const TMapping mappings[] = {
        {CP936("宋体"), "AR PL UMing CN"},    {CP936("新宋体"), "AR PL UMing CN"},
        {CP936("仿宋"), "AR PL UMing CN"},    {CP936("仿宋_GB2312"), "AR PL UMing CN"},
        {CP936("楷体"), "AR PL UMing CN"},    {CP936("楷体_GB2312"), "AR PL UMing CN"},
        {CP936("黑体"), "WenQuanYi Zen Hei"}, {CP936("微软雅黑"), "WenQuanYi Zen Hei"},
    };
    const struct {
        const char* Name;
        const char* Family;
    } latin[] = {
        {"SimSun", "AR PL UMing CN"},       {"NSimSun", "AR PL UMing CN"},
        {"SimHei", "WenQuanYi Zen Hei"},    {"Microsoft YaHei", "WenQuanYi Zen Hei"},
        {"Arial", "Liberation Sans"},       {"MS Sans Serif", "Liberation Sans"},
        {"Tahoma", "Liberation Sans"},      {"Times New Roman", "Liberation Serif"},
        {"Courier New", "Liberation Mono"}, {"Wingdings", "DejaVu Sans"},
    };
    if (symbol) *symbol = SameText(name, "Wingdings");
    for (const TMapping& m : mappings)
        if (name == m.Name) return QString::fromLatin1(m.Family);
    for (const auto& m : latin)
        if (SameText(name, m.Name)) return QString::fromLatin1(m.Family);
    return AnsiToQString(name);
}

TQtCanvas::TQtCanvas(QPainter* painter)
    : TQtCanvas(painter, painter->device()->logicalDpiX(), painter->device()->logicalDpiY()) {}

TQtCanvas::TQtCanvas(QPainter* painter, int pixelsPerInchX, int pixelsPerInchY)
    : FPainter(painter), FPpiX(pixelsPerInchX), FPpiY(pixelsPerInchY) {}

// Leaves the painter's clip as the canvas found it when pushes were not all popped.
TQtCanvas::~TQtCanvas() {
    if (FPainter->isActive())
        while (!FClips.empty())
            PopClipRect();
}

void TQtCanvas::SetFont(const TFontSpec& font) {
    if (font == FFont) return;
    FFont = font;
    FEntry = nullptr;
}

TQtFontEntry& TQtCanvas::Entry() {
    if (FEntry) return *FEntry;
    std::string key = FFont.Name;
    key += '\0';
    key += std::to_string(FFont.Size) + "/" + std::to_string(FFont.Height) + "/" +
           std::to_string(FFont.Width) + "/" + std::to_string(FFont.Style) + "/" + std::to_string(FPpiY);
    auto& slot = FontCache()[key];
    if (!slot) {
        auto entry = std::make_unique<TQtFontEntry>();
        QPaintDevice* device = FPainter ? FPainter->device() : nullptr;
        auto metricsOf = [&](const QFont& f) {
            return device ? std::make_unique<QFontMetricsF>(f, device) : std::make_unique<QFontMetricsF>(f);
        };
        QFont font(MapFontFamily(FFont.Name, &entry->Symbol));
        font.setKerning(false);
        font.setBold(FFont.Style & fsBold);
        font.setItalic(FFont.Style & fsItalic);
        font.setUnderline(FFont.Style & fsUnderline);
        font.setStrikeOut(FFont.Style & fsStrikeOut);
        int em;
        if (FFont.Height < 0) {
            em = -FFont.Height;
        } else if (FFont.Height > 0) {
            // A cell height: scale the em so that ascent + descent comes out at that height.
            font.setPixelSize(FFont.Height);
            double cell = metricsOf(font)->height();
            em = cell > 0 ? int(std::lround(double(FFont.Height) * FFont.Height / cell)) : FFont.Height;
        } else {
            em = (FFont.Size * FPpiY + 36) / 72;
        }
        font.setPixelSize(em > 0 ? em : 1);
        if (FFont.Width > 0) {
            double average = metricsOf(font)->averageCharWidth();
            if (average > 0) {
                const double wanted = std::clamp(FFont.Width * 100.0 / average, 1.0, 4000.0);
                const int stretch = std::clamp(int(std::lround(wanted)), MinFontStretch, MaxFontStretch);
                font.setStretch(stretch);
                entry->ScaleX = wanted / stretch;
            }
        }
        entry->Font = font;
        entry->Metrics = metricsOf(font);
        QFontMetrics whole = device ? QFontMetrics(font, device) : QFontMetrics(font);
        entry->Ascent = whole.ascent();
        entry->Height = whole.height();
        entry->Single.fill(-1);
        slot = std::move(entry);
    }
    FEntry = slot.get();
    return *FEntry;
}

QFont TQtCanvas::QtFont() const {
    return const_cast<TQtCanvas*>(this)->Entry().Font;
}

QString TQtCanvas::DisplayText(std::string_view text) const {
    if (const_cast<TQtCanvas*>(this)->Entry().Symbol) {
        QString s;
        s.reserve(qsizetype(text.size()));
        for (char c : text)
            s.append(QChar(SymbolChar(static_cast<unsigned char>(c))));
        return s;
    }
    return AnsiToQString(text);
}

int TQtCanvas::TextWidth(std::string_view text) {
    TQtFontEntry& e = Entry();
    double sum = 0;
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) {
        std::size_t len = e.Symbol ? 1 : CharLengthAt(text, i);
        if (len == 2) {
            auto code = std::uint16_t(std::uint8_t(text[i]) << 8 | std::uint8_t(text[i + 1]));
            auto found = e.Double.find(code);
            if (found == e.Double.end())
                found = e.Double
                            .emplace(code, e.ScaleX * e.Metrics->horizontalAdvance(DisplayText(text.substr(i, 2))))
                            .first;
            sum += found->second;
        } else {
            double& advance = e.Single[std::uint8_t(text[i])];
            if (advance < 0) advance = e.ScaleX * e.Metrics->horizontalAdvance(DisplayText(text.substr(i, 1)));
            sum += advance;
        }
        i += len;
    }
    return int(std::lround(sum)) + count * FCharSpacing;
}

int TQtCanvas::TextHeight(std::string_view) {
    return Entry().Height;
}

void TQtCanvas::DrawText(int x, int y, std::string_view text, const TRect* clip) {
    if (text.empty() || FFont.Color == clNone) return;
    TQtFontEntry& e = Entry();
    QFont font = e.Font;
    if (FCharSpacing) font.setLetterSpacing(QFont::AbsoluteSpacing, FCharSpacing / e.ScaleX);
    FPainter->save();
    if (clip)
        FPainter->setClipRect(ToQRect(*clip), FPainter->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    FPainter->setFont(font);
    FPainter->setPen(ToQColor(FFont.Color));
    FPainter->setLayoutDirection(FRightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    FPainter->translate(x, y);
    if (FFont.Angle % 3600) FPainter->rotate(-FFont.Angle / 10.0);
    if (e.ScaleX != 1.0) FPainter->scale(e.ScaleX, 1.0);
    FPainter->drawText(QPointF(0, e.Ascent), DisplayText(text));
    FPainter->restore();
}

void TQtCanvas::TextOut(int x, int y, std::string_view text) {
    DrawText(x, y, text, nullptr);
}

void TQtCanvas::TextRect(const TRect& clip, int x, int y, std::string_view text) {
    DrawText(x, y, text, &clip);
}

bool TQtCanvas::PreparePainter(bool withBrush) {
    if (FPen.Mode == TPenMode::Nop) return false;
    FPainter->save();
    FPainter->setRenderHint(QPainter::Antialiasing, false);
    FPainter->setPen(ToQPen(FPen));
    FPainter->setBrush(withBrush ? ToQBrush(FBrush) : QBrush(Qt::NoBrush));
    if (FPen.Mode != TPenMode::Copy && SupportsRasterOps(FPainter))
        FPainter->setCompositionMode(ToComposition(FPen.Mode));
    return true;
}

void TQtCanvas::RestorePainter() {
    FPainter->restore();
}

void TQtCanvas::LineTo(int x, int y) {
    if (PreparePainter(false)) {
        FPainter->drawLine(FPenPos.X, FPenPos.Y, x, y);
        RestorePainter();
    }
    FPenPos = {x, y};
}

void TQtCanvas::Polyline(const std::vector<TPoint>& points) {
    if (points.size() < 2 || !PreparePainter(false)) return;
    QPolygon polygon;
    for (const TPoint& p : points)
        polygon << QPoint(p.X, p.Y);
    FPainter->drawPolyline(polygon);
    RestorePainter();
}

// A one-pixel aliased outline of QRect(l, t, w - 1, h - 1) covers exactly columns l..r-1 and rows
// t..b-1; without a pen Qt fills that same rectangle one pixel smaller, as the classic API does.
void TQtCanvas::Rectangle(const TRect& r) {
    if (r.IsEmpty() || !PreparePainter(true)) return;
    FPainter->drawRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
    RestorePainter();
}

void TQtCanvas::RoundRect(const TRect& r, int cornerW, int cornerH) {
    if (r.IsEmpty() || !PreparePainter(true)) return;
    FPainter->drawRoundedRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1), cornerW / 2.0,
                              cornerH / 2.0);
    RestorePainter();
}

void TQtCanvas::Ellipse(const TRect& r) {
    if (r.IsEmpty() || !PreparePainter(true)) return;
    FPainter->drawEllipse(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
    RestorePainter();
}

void TQtCanvas::Polygon(const std::vector<TPoint>& points) {
    if (points.size() < 2 || !PreparePainter(true)) return;
    QPolygon polygon;
    for (const TPoint& p : points)
        polygon << QPoint(p.X, p.Y);
    FPainter->drawPolygon(polygon, Qt::OddEvenFill);
    RestorePainter();
}

void TQtCanvas::FillRect(const TRect& r) {
    if (r.IsEmpty() || FBrush.Style == TBrushStyle::Clear) return;
    FPainter->fillRect(ToQRect(r), ToQBrush(FBrush));
}

void TQtCanvas::FrameRect(const TRect& r) {
    if (r.IsEmpty() || FBrush.Style == TBrushStyle::Clear) return;
    QBrush brush = ToQBrush(FBrush);
    FPainter->fillRect(QRect(r.Left, r.Top, r.Width(), 1), brush);
    FPainter->fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), brush);
    FPainter->fillRect(QRect(r.Left, r.Top, 1, r.Height()), brush);
    FPainter->fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), brush);
}

void TQtCanvas::DrawPicture(const TRect& r, const TPicture& picture, TPictureCopyMode mode) {
    if (picture.IsEmpty() || r.IsEmpty()) return;
    if (picture.Kind() == TPictureKind::Metafile) {
        // Played record by record, so text and lines stay sharp at any zoom.
        try {
            PlayMetafile(picture.Bytes(), *this, r);
        } catch (const EPictureError&) {
            // A damaged metafile draws nothing, like any unreadable picture.
        }
        return;
    }
    QImage image;
    if (picture.Kind() == TPictureKind::Bitmap || picture.Kind() == TPictureKind::Jpeg) {
        const TRasterImage* raster = picture.Raster();
        if (!raster || raster->Pixels.empty()) return;
        // Wraps the picture's pixels without copying; the picture outlives this call.
        image = QImage(reinterpret_cast<const uchar*>(raster->Pixels.data()), raster->Width, raster->Height,
                       qsizetype(raster->Width) * 4, QImage::Format_ARGB32);
    } else {
        image = PictureToQImage(picture);
    }
    if (image.isNull()) return;
    FPainter->save();
    FPainter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (mode == TPictureCopyMode::And && SupportsRasterOps(FPainter))
        FPainter->setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    FPainter->drawImage(ToQRect(r), image);
    FPainter->restore();
}

void TQtCanvas::PushClipRect(const TRect& r) {
    bool enabled = FPainter->hasClipping();
    FClips.push_back({enabled, enabled ? FPainter->clipRegion() : QRegion()});
    FPainter->setClipRect(ToQRect(r), enabled ? Qt::IntersectClip : Qt::ReplaceClip);
}

void TQtCanvas::PopClipRect() {
    if (FClips.empty()) return;
    TSavedClip saved = std::move(FClips.back());
    FClips.pop_back();
    if (saved.Enabled)
        FPainter->setClipRegion(saved.Region);
    else
        FPainter->setClipping(false);
}
