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

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>

namespace {

// A memo at the control's place in the walk, in the control's font, filed and framed.
TVNMemoView* PlaceMemo(TVNFormReport& fr, TVNPage& page, QWidget* c, int dx, int dy, int width, int height) {
    auto* m = new TVNMemoView;
    ApplyFont(*m, ToFontSpec(c->font(), c->palette().color(QPalette::WindowText)), false);
    fr.PlaceSimpleView(page, c, m, dx, dy, width, height);
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
    if (auto* list = qobject_cast<QListView*>(c)) {
        if (const QAbstractItemModel* model = list->model())
            for (int i = 0; i < model->rowCount(list->rootIndex()); ++i)
                m->Memo.push_back(
                    QStringToAnsi(model->index(i, list->modelColumn(), list->rootIndex()).data().toString()));
        m->Adjust = int(vntaLeftJustify) | vntlCenter;
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(c)) {
        m->Memo = SplitLines(QStringToAnsi(memo->toPlainText()));
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
    } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(c)) {
        m->Memo = {QStringToAnsi(spin->text())};
        m->Adjust = MemoAlignment(spin->alignment()) | vntlCenter;
    }
    view = m;
}

void TVNPrintCheckBox::PrintObject(TVNFormReport& fr, TVNPage& page, TVNView*& view, QWidget* c) {
    auto* box = qobject_cast<QCheckBox*>(c);
    if (!box) return;
    auto* mark = new TVNCheckBoxView;
    mark->Memo = {box->isChecked() ? "1" : "0"};
    fr.PlaceSimpleView(page, c, mark, 0, 0, 18, c->height() + 2);
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
