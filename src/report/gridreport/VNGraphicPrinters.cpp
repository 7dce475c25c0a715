// The picture, rich text and shape printers (see VNGraphicPrinters.h).
#include "VNGraphicPrinters.h"

#include "VNFormReport.h"
#include "VNGridCells.h"

#include "report/VNAddInViews.h"
#include "report/VNRichView.h"
#include "report/VNStandardViews.h"

#include "platform/Picture.h"
#include "platform/qt/QtPicture.h"
#include "platform/qt/QtText.h"

#include <QFrame>
#include <QLabel>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include <cmath>

bool IsPictureLabel(const QWidget* control) {
    auto* label = qobject_cast<const QLabel*>(control);
    return label && !label->pixmap().isNull();
}

bool IsShapeFrame(const QWidget* control) {
    // Only a plain QFrame: its subclasses (labels, scroll areas, the data grid) are controls of
    // their own.
    if (!control || control->metaObject() != &QFrame::staticMetaObject) return false;
    auto* frame = static_cast<const QFrame*>(control);
    if (frame->frameShape() == QFrame::NoFrame) return false;
    for (QObject* child : frame->children())
        if (child->isWidgetType()) return false;
    return true;
}

void TVNPrintImage::PrintObject(TVNFormReport& fr, TVNPage& page, TVNView*& view, QWidget* c) {
    auto* label = qobject_cast<QLabel*>(c);
    if (!label) return;
    auto* v = new TVNPictureView;
    const QPixmap pixmap = label->pixmap();
    if (!pixmap.isNull()) {
        v->Picture.Kind = pkBitmap;
        v->Picture.Data = EncodeBmp(QImageToRaster(pixmap.toImage()));
    }
    const Qt::Alignment a = label->alignment();
    v->Flags = 0;
    v->SetFlag(flStretched, label->hasScaledContents());
    v->SetFlag(flPictureCenter, a.testFlag(Qt::AlignHCenter) && a.testFlag(Qt::AlignVCenter));
    fr.PlaceSimpleView(page, c, v, 0, 0, c->width(), c->height());
    view = v;
}

namespace {

TVNRichFormat RichFormatOf(const QTextCharFormat& f) {
    TVNRichFormat out;
    const QFont font = f.font();
    if (!font.family().isEmpty()) out.FontName = QStringToAnsi(font.family());
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : 11.0;
    out.HalfPoints = int(std::lround(points * 2));
    out.Style = (font.bold() ? fsBold : 0) | (font.italic() ? fsItalic : 0) | (font.underline() ? fsUnderline : 0) |
                (font.strikeOut() ? fsStrikeOut : 0);
    if (f.foreground().style() != Qt::NoBrush) out.Color = ToTColor(f.foreground().color());
    return out;
}

int RichAlignOf(Qt::Alignment a) {
    if (a & Qt::AlignJustify) return raJustify;
    if (a & Qt::AlignHCenter) return raCenter;
    if (a & Qt::AlignRight) return raRight;
    return raLeft;
}

} // namespace

TVNRichDocument RichFromTextDocument(const QTextDocument& document) {
    TVNRichDocument out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        out.NewParagraph(RichAlignOf(block.blockFormat().alignment()), RichFormatOf(block.charFormat()));
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (const QTextFragment fragment = it.fragment(); fragment.isValid())
                out.Append(RichFormatOf(fragment.charFormat()), QStringToAnsi(fragment.text()));
    }
    return out;
}

void TVNPrintRichEdit::PrintObject(TVNFormReport& fr, TVNPage& page, TVNView*& view, QWidget* c) {
    auto* edit = qobject_cast<QTextEdit*>(c);
    if (!edit) return;
    auto* v = new TVNRichView;
    v->RichText = WriteRtf(RichFromTextDocument(*edit->document()));
    fr.PlaceSimpleView(page, c, v, 0, 0, c->width() + 2, c->height() + 2);
    view = v;
}

void TVNPrintShape::PrintObject(TVNFormReport& fr, TVNPage& page, TVNView*& view, QWidget* c) {
    auto* frame = qobject_cast<QFrame*>(c);
    if (!frame) return;
    const QColor pen = frame->palette().color(QPalette::WindowText);
    const int penWidth = std::max(1, frame->lineWidth());
    const QFrame::Shape shape = frame->frameShape();
    const int w = c->width(), h = c->height();
    if (shape == QFrame::HLine || shape == QFrame::VLine || h <= 2) {
        // A line is one frame side of a line view: the top one across, the left one down.
        auto* line = new TVNLineView;
        const bool down = shape == QFrame::VLine;
        int width = penWidth;
        if (shape != QFrame::HLine && !down) width = w <= 2 ? w : h <= 2 ? std::max(1, h) : 1;
        TVNFrameLine& side = down ? line->LeftFrame() : line->TopFrame();
        if (down) fr.PlaceSimpleView(page, c, line, w / 2, 0, 1, h);
        else fr.PlaceSimpleView(page, c, line, 0, shape == QFrame::HLine ? h / 2 : 0, w, 1);
        side.Visible = 1;
        side.Width = float(width);
        side.Color = ToTColor(pen);
        view = line;
        return;
    }
    // A box: a rectangle drawn with the frame's pen, filled when the frame paints its background.
    auto* box = new TVNShapeView;
    box->Shape = skRectangle;
    fr.PlaceSimpleView(page, c, box, 0, 0, w, h);
    for (TVNFrameLine& side : box->Frames()) {
        side.Width = float(penWidth);
        side.Color = ToTColor(pen);
    }
    if (frame->autoFillBackground()) box->FillColor = ToTColor(frame->palette().color(QPalette::Window));
    view = box;
}
