// Helpers shared by the control printers (see VNGridCells.h).
#include "VNGridCells.h"

#include "report/VNMemoView.h"
#include "report/VNStandardViews.h"
#include "report/expr/VNFormat.h"

#include "platform/qt/QtText.h"

#include <QFontMetrics>
#include <QHeaderView>

AnsiString FieldReference(const AnsiString& owner, const AnsiString& dataSet, const AnsiString& field) {
    return "[" + owner + "." + dataSet + ".\"" + field + "\"]";
}

void SetFormatFromField(TVNView& view, const TField& field) {
    if (field.DisplayFormat.empty()) return;
    int category = 0, kind = 0;
    switch (field.DataType) {
    case TFieldType::Boolean:
        category = vnfcBoolean, kind = 4;
        break;
    case TFieldType::DateTime:
        category = vnfcDate, kind = 7;
        break;
    case TFieldType::Integer:
    case TFieldType::Float:
    case TFieldType::Currency:
        category = vnfcNumber, kind = 4;
        break;
    case TFieldType::String:
        return;
    }
    view.Format = MakeFormatCode(category, kind, 0, '.');
    view.FormatText = field.DisplayFormat;
}

TColor ToTColor(const QColor& color) {
    return TColor(color.red() | (color.green() << 8) | (color.blue() << 16));
}

TFontSpec ToFontSpec(const QFont& font, const QColor& color) {
    TFontSpec f;
    f.Name = QStringToAnsi(font.family());
    f.Size = font.pointSize() > 0 ? font.pointSize() : int(font.pointSizeF() + 0.5);
    if (f.Size <= 0) f.Size = 9;
    f.Style = (font.bold() ? fsBold : 0) | (font.italic() ? fsItalic : 0) | (font.underline() ? fsUnderline : 0) |
              (font.strikeOut() ? fsStrikeOut : 0);
    f.Color = ToTColor(color);
    f.Charset = VNDefaultCharset;
    return f;
}

void ApplyFont(TVNMemoView& memo, const TFontSpec& font, bool keepColor) {
    const TColor own = memo.Font.Color;
    memo.Font = font;
    if (keepColor) memo.Font.Color = own;
}

void SetAllFrames(TVNView& view, bool on) {
    for (TVNFrameLine& line : view.Frames()) {
        line.Visible = on ? 1 : 0;
        line.Width = 1.0f;
    }
}

void WideFrameLine(TVNFrameLine& line) {
    line.Visible = 1;
    line.Width = 2;
}

TVNView* DoubleFrameBottomLine(int left, int top, int width, bool stretched) {
    auto* line = new TVNLineView;
    line->PlaceAt(left, top, width, 2);
    WideFrameLine(line->TopFrame());
    line->SetStretched(stretched);
    return line;
}

int MemoAlignment(Qt::Alignment alignment) {
    if (alignment & Qt::AlignRight) return vntaRightJustify;
    if (alignment & Qt::AlignHCenter) return vntaCenterJustify;
    return vntaLeftJustify;
}

std::vector<int> VisibleSections(const QHeaderView& header) {
    std::vector<int> out;
    for (int v = 0; v < header.count(); ++v)
        if (const int logical = header.logicalIndex(v); !header.isSectionHidden(logical)) out.push_back(logical);
    return out;
}

int LetterHeight(const QFont& font) {
    return QFontMetrics(font).height();
}
