// The look-up list widget (see LookupList.h). Keys and double clicks are turned into actions for
// the owner; a re-entrant report (hiding the list moves the focus, which reports Leave) is dropped.
#include "LookupList.h"

#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtMessageService.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

TLookupListView::TLookupListView(QWidget* parent) : QTreeWidget(parent) {
    setVisible(false);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    QFont font(TQtCanvas::MapFontFamily(CP936("宋体")));
    font.setPointSize(9);
    setFont(font);
}

void TLookupListView::SetColumns(const std::vector<TLookupColumn>& columns) {
    clear();
    setColumnCount(static_cast<int>(columns.size()));
    QStringList titles;
    for (const TLookupColumn& c : columns)
        titles << AnsiToQString(c.Title);
    setHeaderLabels(titles);
    for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        setColumnWidth(i, CharsWidth(columns[i].Chars));
}

void TLookupListView::AddRow(const std::vector<AnsiString>& cells) {
    auto* item = new QTreeWidgetItem(this);
    for (int i = 0; i < static_cast<int>(cells.size()) && i < columnCount(); ++i)
        item->setText(i, AnsiToQString(cells[i]));
}

bool TLookupListView::SelectedCode(AnsiString& code) const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty()) return false;
    code = QStringToAnsi(selected.first()->text(0));
    return true;
}

AnsiString TLookupListView::Cell(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? QStringToAnsi(item->text(column)) : AnsiString();
}

void TLookupListView::SelectRow(int row) {
    if (QTreeWidgetItem* item = topLevelItem(row)) {
        setCurrentItem(item);
        item->setSelected(true);
    }
}

int TLookupListView::CharsWidth(int n) const {
    return fontMetrics().horizontalAdvance(QLatin1Char('a')) * n;
}

int TLookupListView::HeightForRows(int rows) const {
    const int row = fontMetrics().height() + 4;
    return header()->sizeHint().height() + row * rows + 2 * frameWidth();
}

void TLookupListView::SetListColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
}

void TLookupListView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Report(TLookupAction::Choose);
        return;
    case Qt::Key_Space:
        Report(TLookupAction::ChooseAnyLevel);
        return;
    case Qt::Key_Escape:
        Report(TLookupAction::Cancel);
        return;
    default:
        QTreeWidget::keyPressEvent(event);
    }
}

void TLookupListView::focusOutEvent(QFocusEvent* event) {
    QTreeWidget::focusOutEvent(event);
    // A pop-up of our own (the context menu, a message box) is not the user leaving the list.
    if (event->reason() == Qt::PopupFocusReason) return;
    if (!isVisible()) return;
    Report(TLookupAction::Leave);
    hide();
}

void TLookupListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidget::mouseDoubleClickEvent(event);
    Report(TLookupAction::Choose);
}

void TLookupListView::Report(TLookupAction action) {
    if (FReporting || !OnAction) return;
    FReporting = true;
    OnAction(action);
    FReporting = false;
}
