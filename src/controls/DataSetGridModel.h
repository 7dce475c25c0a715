// The table model between an in-memory data set and the grid view: one model row per record in
// the data set's view order, one model column per grid column.
//
// Cells are read on demand with TMemDataSet::CellValue and formatted with the field's display
// format, so only the visible part is ever converted. Structural changes of the data set (new
// records, sort, filter, open, close) reset the model once; while the data set has its controls
// disabled nothing reaches the view, so filling it record by record never repaints per record.
#pragma once

#include "GridColumn.h"
#include "platform/MemDataSet.h"

#include <QAbstractTableModel>
#include <QColor>

#include <functional>
#include <memory>
#include <vector>

class TDataSetGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Called for every cell drawn: may change the background colour of the cell.
    using TCellParams = std::function<void(int row, int column, QColor& background)>;

    TDataSetGridModel(std::vector<TGridColumn>& columns, QObject* parent = nullptr);
    ~TDataSetGridModel() override;

    // Links the model to a data set (nullptr unlinks). The model keeps the data set alive.
    void SetDataSet(std::shared_ptr<TMemDataSet> dataSet);
    const std::shared_ptr<TMemDataSet>& DataSet() const { return FDataSet; }

    // The grid's columns changed (count, fields or titles).
    void ColumnsChanged();

    // The data set's field index behind a grid column; -1 when the data set has no such field.
    int FieldIndexOf(int column) const;

    void SetCellParams(TCellParams callback) { FCellParams = std::move(callback); }
    void SetBaseColor(const QColor& color) { FBaseColor = color; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // After every reset caused by the data set (records, order, filter, activity).
    void DataReset();
    // The data set was opened or closed.
    void ActiveChanged();

private:
    void OnDataSetEvent(TDataSetEvent event);
    void ResolveFields();
    int Rows() const;

    std::vector<TGridColumn>& FColumns;
    std::shared_ptr<TMemDataSet> FDataSet;
    int FListenerId = -1;
    std::vector<int> FFieldIndex; // per grid column
    int FRows = 0;                // row count as the view knows it
    TCellParams FCellParams;
    QColor FBaseColor = Qt::white;
};
