// The data grid: table view, frozen columns, multi-marker titles, footer row, data set sorting and
// the layout file. See AdvDBGridQx.h.
//
// Frozen columns are a second table view laid over the left edge of the main one; both share the
// model and the selection, and scroll together vertically. The footer is a strip under the cells
// painted from the header's section positions, so it follows horizontal scrolling and column
// resizing without widgets of its own; the horizontal scroll bar sits under the footer and mirrors
// the view's own.
#include "AdvDBGridQx.h"

#include "platform/Format.h"
#include "platform/IniFile.h"
#include "platform/qt/QtText.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const QColor LineColor(128, 128, 128);

// Title cells: the grid's title colours, line breaks kept, and a marker for every sorted column.
class TGridHeader : public QHeaderView {
public:
    TGridHeader(TAdvCustomDBGridQx* grid, QWidget* parent)
        : QHeaderView(Qt::Horizontal, parent), FGrid(grid) {
        setSectionsClickable(true);
        setHighlightSections(false);
        setSortIndicatorShown(false);
        setDefaultAlignment(Qt::AlignCenter);
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logical) const override {
        if (!rect.isValid()) return;
        painter->save();
        painter->fillRect(rect, FGrid->TitleColor());
        painter->setPen(LineColor);
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        QRect textRect = rect.adjusted(2, 1, -2, -1);
        const TSortMarker marker =
            logical < FGrid->ColumnCount() ? FGrid->SortMarker(logical) : TSortMarker::None;
        if (marker != TSortMarker::None) textRect.setRight(textRect.right() - 10);
        painter->setPen(FGrid->TitleFontColor());
        const QString text = model() ? model()->headerData(logical, Qt::Horizontal).toString() : QString();
        painter->drawText(textRect, Qt::AlignCenter | Qt::TextWordWrap, text);
        if (marker != TSortMarker::None) DrawMarker(painter, rect, logical, marker);
        painter->restore();
    }

    QSize sectionSizeFromContents(int logical) const override {
        const QString text = model() ? model()->headerData(logical, Qt::Horizontal).toString() : QString();
        const QFontMetrics fm(font());
        const QRect r = fm.boundingRect(QRect(0, 0, 10000, 10000), Qt::AlignCenter, text);
        return QSize(r.width() + 14, r.height() + 6);
    }

private:
    void DrawMarker(QPainter* painter, const QRect& rect, int logical, TSortMarker marker) const {
        const int cx = rect.right() - 7;
        const int cy = rect.center().y();
        QPolygon triangle;
        if (marker == TSortMarker::Up)
            triangle << QPoint(cx - 4, cy + 2) << QPoint(cx + 4, cy + 2) << QPoint(cx, cy - 3);
        else
            triangle << QPoint(cx - 4, cy - 2) << QPoint(cx + 4, cy - 2) << QPoint(cx, cy + 3);
        painter->setPen(Qt::NoPen);
        painter->setBrush(FGrid->TitleFontColor());
        painter->drawPolygon(triangle);
        const auto& order = FGrid->MarkedColumns();
        if (order.size() > 1) {
            for (std::size_t i = 0; i < order.size(); ++i)
                if (order[i] == logical) {
                    QFont small = painter->font();
                    small.setPixelSize(8);
                    painter->setFont(small);
                    painter->setPen(FGrid->TitleFontColor());
                    painter->drawText(QRect(cx - 5, rect.top() + 1, 10, 9), Qt::AlignCenter,
                                      QString::number(i + 1));
                }
        }
    }

    TAdvCustomDBGridQx* FGrid;
};

bool ContainsTotalWord(const AnsiString& text) {
    return text.find(CP936("合计")) != AnsiString::npos;
}

} // namespace

// The cell view with the frozen columns laid over its left edge.
class TGridTableView : public QTableView {
public:
    explicit TGridTableView(TAdvCustomDBGridQx* grid) : QTableView(grid), FGrid(grid) {
        setHorizontalHeader(new TGridHeader(grid, this));
        Frozen = new QTableView(this);
        Frozen->setHorizontalHeader(new TGridHeader(grid, Frozen));
        for (QTableView* v : {static_cast<QTableView*>(this), Frozen}) {
            v->verticalHeader()->hide();
            v->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            v->setEditTriggers(QAbstractItemView::NoEditTriggers);
            v->setSelectionMode(QAbstractItemView::SingleSelection);
            v->setSelectionBehavior(QAbstractItemView::SelectItems);
            v->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
            v->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
            v->setShowGrid(true);
            v->setGridStyle(Qt::SolidLine);
            v->setWordWrap(false);
            v->setAttribute(Qt::WA_InputMethodEnabled, false);
            v->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
            v->horizontalHeader()->setMinimumSectionSize(0);
        }
        setTabKeyNavigation(true);
        Frozen->setFocusPolicy(Qt::NoFocus);
        Frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        Frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        Frozen->setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        viewport()->stackUnder(Frozen);
    }

    void SetupModel(QAbstractItemModel* model) {
        setModel(model);
        Frozen->setModel(model);
        Frozen->setSelectionModel(selectionModel());
        connect(Frozen->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
                &QAbstractSlider::setValue);
        connect(verticalScrollBar(), &QAbstractSlider::valueChanged, Frozen->verticalScrollBar(),
                &QAbstractSlider::setValue);
    }

    int FrozenWidth() const {
        int width = 0;
        for (int c = 0; c < FGrid->ColumnCount(); ++c)
            if (FGrid->IsFrozen(c)) width += FGrid->ColumnWidth(c);
        return width;
    }

    void UpdateFrozenGeometry() {
        if (Frozen == nullptr) return; // still being built
        const int width = FrozenWidth();
        Frozen->setVisible(width > 0);
        if (width <= 0) return;
        Frozen->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
        Frozen->setGeometry(frameWidth(), frameWidth(), width,
                            viewport()->height() + horizontalHeader()->height());
    }

    QTableView* Frozen = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QTableView::resizeEvent(event);
        UpdateFrozenGeometry();
    }

    void updateGeometries() override {
        QTableView::updateGeometries();
        UpdateFrozenGeometry();
        FGrid->UpdateFooterGeometry();
    }

    // Moving left onto a column hidden under the frozen ones scrolls it into sight.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
        const QModelIndex current = QTableView::moveCursor(action, modifiers);
        const int frozen = FrozenWidth();
        if (action == MoveLeft && current.isValid() && !FGrid->IsFrozen(current.column()) &&
            visualRect(current).topLeft().x() < frozen) {
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() +
                                            visualRect(current).topLeft().x() - frozen);
        }
        return current;
    }

    void scrollTo(const QModelIndex& index, ScrollHint hint) override {
        if (index.isValid() && FGrid->IsFrozen(index.column())) {
            // Only the rows move: keep the horizontal position.
            const int keep = horizontalScrollBar()->value();
            QTableView::scrollTo(index, hint);
            horizontalScrollBar()->setValue(keep);
            return;
        }
        QTableView::scrollTo(index, hint);
    }

private:
    TAdvCustomDBGridQx* FGrid;
};

// The footer row, painted from the header's section positions.
class TGridFooter : public QWidget {
public:
    TGridFooter(TAdvCustomDBGridQx* grid, QWidget* parent) : QWidget(parent), FGrid(grid) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        TGridTableView* view = FGrid->FView;
        const QHeaderView* header = view->horizontalHeader();
        const int left = view->frameWidth();
        const int frozenWidth = view->FrozenWidth();
        painter.fillRect(rect(), palette().window());
        auto paintCell = [&](int column, int x) {
            const int width = FGrid->ColumnWidth(column);
            const QRect cell(x, 0, width, height() - 1);
            painter.fillRect(cell, FGrid->FooterColor());
            painter.setPen(LineColor);
            painter.drawLine(cell.topRight(), cell.bottomRight());
            painter.drawLine(cell.bottomLeft(), cell.bottomRight());
            painter.drawLine(cell.topLeft(), cell.topRight());
            const AnsiString text = FGrid->FooterDisplayText(column);
            if (text.empty()) return;
            painter.setPen(Qt::black);
            const TFooterValueType type = FGrid->Column(column).FooterType;
            const bool sum = type == TFooterValueType::Sum || type == TFooterValueType::Count;
            painter.drawText(cell.adjusted(2, 0, -3, 0),
                             (sum ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, AnsiToQString(text));
        };
        painter.save();
        painter.setClipRect(QRect(left + frozenWidth, 0, width() - left - frozenWidth, height()));
        for (int c = 0; c < FGrid->ColumnCount(); ++c) {
            if (!FGrid->ColumnVisible(c) || FGrid->IsFrozen(c)) continue;
            const int x = left + header->sectionViewportPosition(c);
            if (x > width() || x + FGrid->ColumnWidth(c) < left) continue;
            paintCell(c, x);
        }
        painter.restore();
        int x = left;
        for (int c = 0; c < FGrid->ColumnCount(); ++c)
            if (FGrid->IsFrozen(c)) {
                paintCell(c, x);
                x += FGrid->ColumnWidth(c);
            }
    }

private:
    TAdvCustomDBGridQx* FGrid;
};

TAdvCustomDBGridQx::TAdvCustomDBGridQx(QWidget* parent) : QFrame(parent) {
    FModel = new TDataSetGridModel(FColumns, this);
    FView = new TGridTableView(this);
    FView->SetupModel(FModel);
    FFooter = new TGridFooter(this, this);
    FHBar = new QScrollBar(Qt::Horizontal, this);
    FHBar->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(FView, 1);
    layout->addWidget(FFooter);
    layout->addWidget(FHBar);
    ApplyFont();

    QScrollBar* inner = FView->horizontalScrollBar();
    connect(inner, &QScrollBar::rangeChanged, this, [this, inner](int min, int max) {
        FHBar->setRange(min, max);
        FHBar->setPageStep(inner->pageStep());
        FHBar->setSingleStep(inner->singleStep());
        FHBar->setVisible(max > min);
    });
    connect(inner, &QScrollBar::valueChanged, FHBar, &QScrollBar::setValue);
    connect(FHBar, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);
    connect(inner, &QScrollBar::valueChanged, FFooter, qOverload<>(&QWidget::update));

    auto onResized = [this](QTableView* source, int logical, int, int newSize) {
        if (FApplying || logical < 0 || logical >= ColumnCount() || newSize <= 0) return;
        FColumns[static_cast<std::size_t>(logical)].Width = newSize;
        QTableView* other = source == FView ? FView->Frozen : static_cast<QTableView*>(FView);
        if (other->columnWidth(logical) != newSize && !other->isColumnHidden(logical))
            other->setColumnWidth(logical, newSize);
        FView->UpdateFrozenGeometry();
        FFooter->update();
    };
    connect(FView->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this, onResized](int l, int o, int n) { onResized(FView, l, o, n); });
    connect(FView->Frozen->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this, onResized](int l, int o, int n) { onResized(FView->Frozen, l, o, n); });
    for (QHeaderView* header : {FView->horizontalHeader(), FView->Frozen->horizontalHeader()})
        connect(header, &QHeaderView::sectionClicked, this, [this](int logical) {
            ClickTitle(logical, (QApplication::keyboardModifiers() & Qt::ControlModifier) != 0);
        });

    connect(FModel, &TDataSetGridModel::DataReset, this, [this] { OnDataReset(); });
    connect(FModel, &TDataSetGridModel::ActiveChanged, this, [this] {
        ClearSortMarkers();
        if (ShowSumCount) UpdateSumCount();
    });
    connect(FView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                const auto& ds = FModel->DataSet();
                if (ds && ds->Active() && current.isValid() && ds->RecNo() != current.row() + 1)
                    ds->SetRecNo(current.row() + 1);
            });
    SetGridColor(FGridColor);
}

TAdvCustomDBGridQx::~TAdvCustomDBGridQx() {
    // The views read the columns through the model: they go before the columns do.
    delete FFooter;
    FFooter = nullptr;
    delete FView;
    FView = nullptr;
    delete FModel;
    FModel = nullptr;
}

QTableView* TAdvCustomDBGridQx::View() const {
    return FView;
}

int TAdvCustomDBGridQx::RowHeight() const {
    return FView->verticalHeader()->defaultSectionSize();
}

int TAdvCustomDBGridQx::TitleHeight() const {
    return FView->horizontalHeader()->height();
}

bool TAdvCustomDBGridQx::HasFooter() const {
    for (const TGridColumn& c : FColumns)
        if (c.FooterType != TFooterValueType::None) return true;
    return false;
}

void TAdvCustomDBGridQx::SetMultiSelect(bool on) {
    for (QTableView* v : {static_cast<QTableView*>(FView), FView->Frozen}) {
        v->setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
        v->setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    }
}

bool TAdvCustomDBGridQx::MultiSelect() const {
    return FView->selectionMode() == QAbstractItemView::ExtendedSelection;
}

void TAdvCustomDBGridQx::SelectRow(int row, bool selected) {
    const QModelIndex first = FModel->index(row, 0);
    const QModelIndex last = FModel->index(row, std::max(0, FModel->columnCount() - 1));
    if (!first.isValid()) return;
    FView->selectionModel()->select(QItemSelection(first, last), selected ? QItemSelectionModel::Select
                                                                        : QItemSelectionModel::Deselect);
}

std::vector<TMemDataSet::TBookmark> TAdvCustomDBGridQx::SelectedBookmarks() const {
    std::vector<TMemDataSet::TBookmark> out;
    const auto& ds = FModel->DataSet();
    if (!MultiSelect() || !ds || !ds->Active()) return out;
    for (const QModelIndex& index : FView->selectionModel()->selectedRows())
        if (index.row() < ds->RecordCount()) out.push_back(ds->BookmarkOfRow(index.row()));
    return out;
}

void TAdvCustomDBGridQx::SetColumns(std::vector<TGridColumn> columns) {
    FColumns = std::move(columns);
    FMarkOrder.clear();
    for (std::size_t i = 0; i < FColumns.size(); ++i)
        if (FColumns[i].SortMarker != TSortMarker::None) FMarkOrder.push_back(static_cast<int>(i));
    FModel->ColumnsChanged();
    ApplyColumns();
    RecomputeSums();
}

int TAdvCustomDBGridQx::FindColumn(const AnsiString& fieldName) const {
    for (std::size_t i = 0; i < FColumns.size(); ++i)
        if (SameText(FColumns[i].FieldName, fieldName)) return static_cast<int>(i);
    return -1;
}

void TAdvCustomDBGridQx::SetColumnVisible(int index, bool visible) {
    FColumns.at(static_cast<std::size_t>(index)).Visible = visible;
    ApplyColumns();
}

void TAdvCustomDBGridQx::SetColumnWidth(int index, int width) {
    if (width <= 0) return;
    FColumns.at(static_cast<std::size_t>(index)).Width = width;
    ApplyColumns();
}

void TAdvCustomDBGridQx::SetColumnTitle(int index, const AnsiString& title) {
    FColumns.at(static_cast<std::size_t>(index)).Title = title;
    FModel->headerDataChanged(Qt::Horizontal, index, index);
}

AnsiString TAdvCustomDBGridQx::ColumnCaption(int index) const {
    const TGridColumn& column = Column(index);
    if (!column.Title.empty()) return column.Title;
    const int fieldIndex = FModel->FieldIndexOf(index);
    if (fieldIndex >= 0) return FModel->DataSet()->Fields(fieldIndex).Label();
    return column.FieldName;
}

bool TAdvCustomDBGridQx::IsFrozen(int column) const {
    // The first FrozenCols visible columns stay in place.
    int seen = 0;
    for (int c = 0; c < ColumnCount() && seen < FFrozenCols; ++c) {
        if (!FColumns[static_cast<std::size_t>(c)].Visible) continue;
        if (c == column) return true;
        ++seen;
    }
    return false;
}

void TAdvCustomDBGridQx::ApplyColumns() {
    FApplying = true;
    for (int c = 0; c < ColumnCount(); ++c) {
        const TGridColumn& column = FColumns[static_cast<std::size_t>(c)];
        FView->setColumnHidden(c, !column.Visible);
        FView->Frozen->setColumnHidden(c, !column.Visible || !IsFrozen(c));
        if (column.Visible) {
            FView->setColumnWidth(c, column.Width);
            FView->Frozen->setColumnWidth(c, column.Width);
        }
    }
    FApplying = false;
    FView->UpdateFrozenGeometry();
    FFooter->update();
}

void TAdvCustomDBGridQx::SetDataSet(std::shared_ptr<TMemDataSet> dataSet) {
    if (dataSet == FModel->DataSet()) return;
    FModel->SetDataSet(std::move(dataSet));
    ApplyColumns();
    ClearSortMarkers();
    if (ShowSumCount) UpdateSumCount();
}

const std::shared_ptr<TMemDataSet>& TAdvCustomDBGridQx::DataSet() const {
    return FModel->DataSet();
}

void TAdvCustomDBGridQx::SetFrozenCols(int count) {
    FFrozenCols = count < 0 ? 0 : count;
    ApplyColumns();
}

void TAdvCustomDBGridQx::SetTitleColor(const QColor& color) {
    FTitleColor = color;
    FView->horizontalHeader()->viewport()->update();
    FView->Frozen->horizontalHeader()->viewport()->update();
}

void TAdvCustomDBGridQx::SetTitleFontColor(const QColor& color) {
    FTitleFontColor = color;
    FView->horizontalHeader()->viewport()->update();
    FView->Frozen->horizontalHeader()->viewport()->update();
}

void TAdvCustomDBGridQx::SetFooterColor(const QColor& color) {
    FFooterColor = color;
    FFooter->update();
}

void TAdvCustomDBGridQx::SetGridColor(const QColor& color) {
    FGridColor = color;
    FModel->SetBaseColor(color);
    for (QTableView* v : {static_cast<QTableView*>(FView), FView->Frozen}) {
        QPalette p = v->palette();
        p.setColor(QPalette::Base, color);
        v->setPalette(p);
        v->viewport()->update();
    }
}

void TAdvCustomDBGridQx::SetCellParams(TCellParams callback) {
    FModel->SetCellParams(std::move(callback));
    FView->viewport()->update();
    FView->Frozen->viewport()->update();
}

void TAdvCustomDBGridQx::SetFooter(int column, TFooterValueType type, const AnsiString& text) {
    TGridColumn& c = FColumns.at(static_cast<std::size_t>(column));
    c.FooterType = type;
    c.FooterText = text;
    RecomputeSums();
    FFooter->update();
}

double TAdvCustomDBGridQx::FooterSum(int column) const {
    if (column < 0 || column >= static_cast<int>(FSums.size())) return 0;
    return FSums[static_cast<std::size_t>(column)];
}

AnsiString TAdvCustomDBGridQx::FooterDisplayText(int column) const {
    const TGridColumn& c = Column(column);
    switch (c.FooterType) {
    case TFooterValueType::StaticText:
        return c.FooterText;
    case TFooterValueType::Sum: {
        const int fieldIndex = FModel->FieldIndexOf(column);
        const auto& ds = FModel->DataSet();
        if (fieldIndex < 0 || !ds || !ds->Active()) return {};
        const TField& field = ds->Fields(fieldIndex);
        return field.FormatValue(Value::Float(FooterSum(column)));
    }
    case TFooterValueType::Count: {
        const auto& ds = FModel->DataSet();
        return ds && ds->Active() ? std::to_string(ds->RecordCount()) : AnsiString();
    }
    case TFooterValueType::None:
        break;
    }
    return {};
}

void TAdvCustomDBGridQx::RecomputeSums() {
    FSums.assign(FColumns.size(), 0.0);
    const auto& ds = FModel->DataSet();
    if (!ds || !ds->Active()) return;
    const int rows = ds->RecordCount();
    for (int c = 0; c < ColumnCount(); ++c) {
        if (FColumns[static_cast<std::size_t>(c)].FooterType != TFooterValueType::Sum) continue;
        const int fieldIndex = FModel->FieldIndexOf(c);
        if (fieldIndex < 0 || !ds->Fields(fieldIndex).IsNumeric()) continue;
        double sum = 0;
        for (int r = 0; r < rows; ++r) {
            const Value& v = ds->CellValue(r, fieldIndex);
            if (v.IsNumeric()) sum += v.AsFloat();
        }
        FSums[static_cast<std::size_t>(c)] = sum;
    }
}

void TAdvCustomDBGridQx::OnDataReset() {
    RecomputeSums();
    if (ShowSumCount) UpdateSumCount();
    FFooter->update();
}

void TAdvCustomDBGridQx::UpdateFooterGeometry() {
    if (FFooter) FFooter->update();
}

void TAdvCustomDBGridQx::ApplyFont() {
    // Both views and the footer share the grid's font and row height, or the frozen rows would
    // drift away from the others.
    const int rowHeight = fontMetrics().height() + 5;
    for (QTableView* v : {static_cast<QTableView*>(FView), FView->Frozen}) {
        v->setFont(font());
        v->horizontalHeader()->setFont(font());
        v->verticalHeader()->setMinimumSectionSize(1);
        v->verticalHeader()->setDefaultSectionSize(rowHeight);
    }
    FFooter->setFont(font());
    FFooter->setFixedHeight(rowHeight + 1);
    FView->UpdateFrozenGeometry();
}

void TAdvCustomDBGridQx::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange && FView) ApplyFont();
}

void TAdvCustomDBGridQx::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    FView->UpdateFrozenGeometry();
}

// ---------------------------------------------------------------------------------------------
// Sort markers

void TAdvCustomDBGridQx::SetSortMarker(int column, TSortMarker marker, bool keepOthers) {
    if (column < 0 || column >= ColumnCount()) return;
    if (!keepOthers) {
        for (int c : FMarkOrder)
            FColumns[static_cast<std::size_t>(c)].SortMarker = TSortMarker::None;
        FMarkOrder.clear();
    }
    FMarkOrder.erase(std::remove(FMarkOrder.begin(), FMarkOrder.end(), column), FMarkOrder.end());
    FColumns[static_cast<std::size_t>(column)].SortMarker = marker;
    if (marker != TSortMarker::None) FMarkOrder.push_back(column);
    FView->horizontalHeader()->viewport()->update();
    FView->Frozen->horizontalHeader()->viewport()->update();
    if (AutoSorted) ApplyAutoSort();
}

void TAdvCustomDBGridQx::ClickTitle(int column, bool addToMarkers) {
    if (column < 0 || column >= ColumnCount()) return;
    emit TitleClicked(column);
    const TSortMarker current = SortMarker(column);
    const TSortMarker flipped = current == TSortMarker::Up ? TSortMarker::Down : TSortMarker::Up;
    if (addToMarkers) {
        // Keep the column's place in the order when it is already marked.
        if (current != TSortMarker::None) {
            FColumns[static_cast<std::size_t>(column)].SortMarker = flipped;
            FView->horizontalHeader()->viewport()->update();
            FView->Frozen->horizontalHeader()->viewport()->update();
            if (AutoSorted) ApplyAutoSort();
            return;
        }
        SetSortMarker(column, TSortMarker::Up, true);
        return;
    }
    const bool alone = FMarkOrder.size() == 1 && FMarkOrder.front() == column;
    SetSortMarker(column, alone ? flipped : TSortMarker::Up, false);
}

void TAdvCustomDBGridQx::ApplyAutoSort() {
    const auto& ds = FModel->DataSet();
    if (!ds || !ds->Active() || ds->IsEmpty() || FMarkOrder.empty()) return;
    AnsiString fields;
    AnsiString descending;
    for (int c : FMarkOrder) {
        const TGridColumn& column = FColumns[static_cast<std::size_t>(c)];
        if (!ds->FindField(column.FieldName)) continue;
        fields += (fields.empty() ? "" : ";") + column.FieldName;
        if (column.SortMarker == TSortMarker::Down)
            descending += (descending.empty() ? "" : ";") + column.FieldName;
    }
    if (fields.empty()) return;
    ds->DeleteIndex("customindex");
    ds->AddIndex(TIndexDef{"customindex", fields, descending});
    ds->SetIndexName("customindex");
}

void TAdvCustomDBGridQx::ClearSortMarkers() {
    for (TGridColumn& c : FColumns)
        c.SortMarker = TSortMarker::None;
    FMarkOrder.clear();
    FView->horizontalHeader()->viewport()->update();
    FView->Frozen->horizontalHeader()->viewport()->update();
}

void TAdvCustomDBGridQx::UpdateSumCount() {
    const auto& ds = FModel->DataSet();
    if (!ds || !ds->Active()) return;
    const int count = ds->RecordCount();
    for (TGridColumn& c : FColumns)
        if (c.FooterType == TFooterValueType::StaticText && ContainsTotalWord(c.FooterText))
            c.FooterText.clear();
    for (TGridColumn& c : FColumns) {
        if (!c.Visible) continue;
        if (c.FooterType == TFooterValueType::None || c.FooterType == TFooterValueType::StaticText) {
            c.FooterType = TFooterValueType::StaticText;
            c.FooterText = CP936("合计:") + std::to_string(count) + CP936("条");
        }
        break;
    }
    FFooter->update();
}

// ---------------------------------------------------------------------------------------------
// Layout file

void TAdvCustomDBGridQx::LoadLayout(const AnsiString& fileName, const AnsiString& section,
                                    const AnsiString& folder) {
    const TIniFile ini(ResolveSettingsPath(fileName, folder));
    for (TGridColumn& column : FColumns) {
        const AnsiString value = ini.ReadString(section, column.FieldName, "1,0");
        const std::size_t comma = value.find(',');
        const AnsiString visible = comma == AnsiString::npos ? AnsiString() : value.substr(0, comma);
        const AnsiString width = comma == AnsiString::npos ? value : value.substr(comma + 1);
        column.Visible = visible == "1";
        // Only a positive whole number is a width; anything else keeps the designed one.
        const AnsiString w = Trim(width);
        if (!w.empty() && w.size() <= 9 && w.find_first_not_of("0123456789") == AnsiString::npos) {
            const int pixels = std::stoi(w);
            if (pixels > 0) column.Width = pixels;
        }
    }
    ApplyColumns();
}

void TAdvCustomDBGridQx::SaveLayout(const AnsiString& fileName, const AnsiString& section,
                                    const AnsiString& folder) {
    TIniFile ini(ResolveSettingsPath(fileName, folder));
    for (const TGridColumn& column : FColumns)
        ini.WriteString(section, column.FieldName,
                        AnsiString(column.Visible ? "1" : "0") + "," + std::to_string(column.Width));
}

