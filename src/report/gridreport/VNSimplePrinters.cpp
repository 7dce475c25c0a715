// The simple control printers (see VNSimplePrinters.h).
#include "VNSimplePrinters.h"

#include "VNFormReport.h"
#include "VNGridCells.h"

#include "report/VNAddInViews.h"
#include "report/VNMemoView.h"
#include "report/VNPage.h"
#include "report/expr/VNFormat.h"

#include "platform/Locale.h"
#include "platform/qt/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

// A memo at the control's place in the walk, in the control's font, filed and framed.
TVNMemoView* PlaceMemo(TVNFormReport& fr, TVNPage& page, QWidget* c, int dx, int dy, int width, int height) {
    auto* m = new TVNMemoView;
    m->PlaceAt(c->x() + fr.OffsetX + dx, c->y() + fr.OffsetY + dy, width, height);
    ApplyFont(*m, ToFontSpec(c->font(), c->palette().color(QPalette::WindowText)), false);
    SetAllFrames(*m, fr.HasOption(vngoDrawBorder));
    fr.AddView(page, m);
    fr.FileSimpleView(m);
    return m;
}

} // namespace

void TVNPrintControl::PrintObject(TVNFormReport& fr, TVNPage& page, TVNView*& view, QWidget* c) {
    if (auto* label = qobject_cast<QLabel*>(c)) {
        // Labels print 2 pixels higher, as their text sits on screen.
        TVNMemoView* m = PlaceMemo(fr, page, c, 0, -2, c->width() + 8, c->height() + 4);
        m->Memo = SplitLines(QStringToAnsi(label->text()));
        m->SetFlag(flWordWrap, label->wordWrap());
        const Qt::Alignment a = label->alignment();
        const int layout = a & Qt::AlignVCenter ? vntlCenter : a & Qt::AlignBottom ? vntlBottom : vntlTop;
        m->Adjust = MemoAlignment(a) | layout;
        view = m;
        return;
    }
    TVNMemoView* m = PlaceMemo(fr, page, c, 0, 0, c->width() + 8, c->height() + 4);
    if (auto* list = qobject_cast<QListWidget*>(c)) {
        for (int i = 0; i < list->count(); ++i)
            m->Memo.push_back(QStringToAnsi(list->item(i)->text()));
        m->Adjust = int(vntaLeftJustify) | vntlCenter;
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(c)) {
        m->Memo = SplitLines(QStringToAnsi(memo->toPlainText()));
    } else if (auto* text = qobject_cast<QTextEdit*>(c)) {
        m->Memo = SplitLines(QStringToAnsi(text->toPlainText()));
    } else {
        m->Memo = SplitLines(QStringToAnsi(c->windowTitle()));
    }
    view = m;
}

void TVNPrintEdit::PrintObject(TVNFormReport& fr, TVNPage& page, TVNView*& view, QWidget* c) {
    // Over the client area, centred in the control.
    const QRect client = c->contentsRect();
    TVNMemoView* m = PlaceMemo(fr, page, c, (c->width() - client.width()) / 2, (c->height() - client.height()) / 2,
                               client.width(), client.height());
    m->Adjust = int(vntaLeftJustify) | vntlCenter;
    if (auto* edit = qobject_cast<QLineEdit*>(c)) {
        m->Memo = {QStringToAnsi(edit->text())};
        m->Adjust = MemoAlignment(edit->alignment()) | vntlCenter;
    } else if (auto* combo = qobject_cast<QComboBox*>(c)) {
        m->Memo = {QStringToAnsi(combo->currentText())};
    }
    view = m;
}

void TVNPrintCheckBox::PrintObject(TVNFormReport& fr, TVNPage& page, TVNView*& view, QWidget* c) {
    auto* box = qobject_cast<QCheckBox*>(c);
    if (!box) return;
    auto* mark = new TVNCheckBoxView;
    mark->PlaceAt(c->x() + fr.OffsetX, c->y() + fr.OffsetY, 18, c->height() + 2);
    mark->Memo = {box->isChecked() ? "1" : "0"};
    SetAllFrames(*mark, fr.HasOption(vngoDrawBorder));
    fr.AddView(page, mark);
    fr.FileSimpleView(mark);
    TVNMemoView* caption = PlaceMemo(fr, page, c, 18, 0, c->width() - 16, c->height() + 2);
    caption->Memo = {QStringToAnsi(box->text())};
    caption->Adjust = int(vntaLeftJustify) | vntlCenter;
    view = mark;
}

void TVNPrintDateTimePicker::PrintObject(TVNFormReport& fr, TVNPage& page, TVNView*& view, QWidget* c) {
    auto* edit = qobject_cast<QDateTimeEdit*>(c);
    if (!edit) return;
    TVNMemoView* m = PlaceMemo(fr, page, c, 0, 0, c->width() + 2, c->height() + 2);
    m->Font = TVNMemoView().Font; // the default font
    SetAllFrames(*m, fr.HasOption(vngoDrawBorder));
    const bool timeOnly = !(edit->displayedSections() & QDateTimeEdit::DateSections_Mask);
    const QDateTime dt = edit->dateTime();
    if (timeOnly) {
        const QTime t = dt.time();
        m->Memo = {FormatDateText(Locale().LongTimeFormat,
                                  (t.hour() * 3600 + t.minute() * 60 + t.second()) / 86400.0)};
    } else {
        const QDate d = dt.date();
        m->Memo = {FormatDateText(Locale().ShortDateFormat, EncodeDate(d.year(), d.month(), d.day()))};
    }
    view = m;
}
