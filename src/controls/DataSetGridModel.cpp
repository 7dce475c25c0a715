// The data set behind the grid as a Qt table model. See DataSetGridModel.h.
#include "DataSetGridModel.h"

#include "platform/qt/QtText.h"

TDataSetGridModel::TDataSetGridModel(std::vector<TGridColumn>& columns, QObject* parent)
    : QAbstractTableModel(parent), FColumns(columns) {}

TDataSetGridModel::~TDataSetGridModel() {
    if (FDataSet && FListenerId >= 0) FDataSet->RemoveListener(FListenerId);
}

void TDataSetGridModel::SetDataSet(std::shared_ptr<TMemDataSet> dataSet) {
    if (dataSet == FDataSet) return;
    beginResetModel();
    if (FDataSet && FListenerId >= 0) FDataSet->RemoveListener(FListenerId);
    FListenerId = -1;
    FDataSet = std::move(dataSet);
    if (FDataSet) FListenerId = FDataSet->AddListener([this](TDataSetEvent e) { OnDataSetEvent(e); });
    ResolveFields();
    FRows = Rows();
    endResetModel();
    emit DataReset();
}

void TDataSetGridModel::ColumnsChanged() {
    beginResetModel();
    ResolveFields();
    FRows = Rows();
    endResetModel();
}

int TDataSetGridModel::FieldIndexOf(int column) const {
    if (column < 0 || column >= static_cast<int>(FFieldIndex.size())) return -1;
    return FFieldIndex[static_cast<std::size_t>(column)];
}

void TDataSetGridModel::ResolveFields() {
    FFieldIndex.assign(FColumns.size(), -1);
    if (!FDataSet) return;
    for (std::size_t i = 0; i < FColumns.size(); ++i)
        if (const TField* f = FDataSet->FindField(FColumns[i].FieldName)) FFieldIndex[i] = f->Index();
}

int TDataSetGridModel::Rows() const {
    return FDataSet && FDataSet->Active() ? FDataSet->RecordCount() : 0;
}

void TDataSetGridModel::OnDataSetEvent(TDataSetEvent event) {
    switch (event) {
    case TDataSetEvent::DataChanged:
    case TDataSetEvent::ActiveChanged:
        beginResetModel();
        ResolveFields();
        FRows = Rows();
        endResetModel();
        if (event == TDataSetEvent::ActiveChanged) emit ActiveChanged();
        emit DataReset();
        break;
    case TDataSetEvent::RecordChanged: {
        const int row = FDataSet->RecNo() - 1;
        if (row >= 0 && row < FRows) emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        break;
    }
    case TDataSetEvent::Scrolled:
        break;
    }
}

int TDataSetGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FRows;
}

int TDataSetGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FColumns.size());
}

QVariant TDataSetGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !FDataSet || index.row() >= FRows) return {};
    const int fieldIndex = FieldIndexOf(index.column());
    switch (role) {
    case Qt::DisplayRole: {
        if (fieldIndex < 0) return {};
        const TField& field = FDataSet->Fields(fieldIndex);
        return AnsiToQString(field.FormatValue(FDataSet->CellValue(index.row(), fieldIndex)));
    }
    case Qt::TextAlignmentRole:
        if (fieldIndex >= 0 && FDataSet->Fields(fieldIndex).IsNumeric())
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole: {
        QColor background = FBaseColor;
        if (FCellParams) FCellParams(index.row(), index.column(), background);
        return background;
    }
    default:
        return {};
    }
}

QVariant TDataSetGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section < 0 || section >= static_cast<int>(FColumns.size())) return {};
    const TGridColumn& column = FColumns[static_cast<std::size_t>(section)];
    if (!column.Title.empty()) return AnsiToQString(column.Title);
    const int fieldIndex = FieldIndexOf(section);
    if (fieldIndex >= 0) return AnsiToQString(FDataSet->Fields(fieldIndex).Label());
    return AnsiToQString(column.FieldName);
}

Qt::ItemFlags TDataSetGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
