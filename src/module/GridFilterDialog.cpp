// The grid's filter operation. See GridFilterDialog.h.
#include "GridFilterDialog.h"

#include "controls/AdvDBGridQx.h"

#include "UnitQuerySet.h"
#include "platform/MessageService.h"

#include <QPushButton>

#include <exception>
#include <memory>
#include <string>

namespace {

// The clerk reads filter problems in the module's words, with the grid's column titles.
AnsiString FilterErrorText(const EFilterError& e, const TMemDataSet& dataSet) {
    const AnsiString at = CP936("（位置 ") + std::to_string(e.Position) + CP936("）");
    switch (e.Kind) {
    case EFilterError::TKind::UnknownName:
        return CP936("过滤条件有误：“") + e.Name + CP936("”不是数值，也不是字段名") + at + CP936("。");
    case EFilterError::TKind::NotComparable: {
        const TField* field = dataSet.FindField(e.Name);
        return CP936("过滤条件有误：字段“") + (field ? field->Label() : e.Name) + CP936("”不能与“") + e.Value +
               CP936("”比较") + at + CP936("。");
    }
    case EFilterError::TKind::Syntax:
        break;
    }
    return CP936("过滤条件有误，无法过滤") + (e.Position > 0 ? at : AnsiString()) + CP936("。");
}

} // namespace

bool FilterDialog(QWidget* owner, TMemDataSet& dataSet, TLogicList& filterStore, const AnsiString& title,
                  bool visibleOnly, const TQuerySetRunner& run) {
    try {
        auto dialog = std::make_unique<TFrmQuerySet>(owner, dataSet, visibleOnly);
        if (!Trim(title).empty()) dialog->SetTitle(title);
        dialog->btnOK->setText(QString::fromUtf8("过  滤(&O)"));
        dialog->SetHelpText(CP936("字段名称值的要求:") + "\r\n");
        dialog->SetLogic(filterStore);
        const int result = run ? run(*dialog) : dialog->exec();
        if (result != QDialog::Accepted) return false;
        filterStore = dialog->Logic();
        // Rebuilt from the confirmed lines (the text memSQL shows), this time with the values each
        // "部分不等于" line excludes.
        ApplyLogicFilter(dataSet, filterStore);
        return true;
    } catch (const EFilterError& e) {
        Messages().Error(FilterErrorText(e, dataSet));
        return false;
    } catch (const std::exception& e) {
        Messages().Error(e.what());
        return false;
    }
}

bool FilterDialog(TAdvCustomDBGridQx& grid, const AnsiString& title, bool visibleOnly, const TQuerySetRunner& run) {
    const std::shared_ptr<TMemDataSet> dataSet = grid.DataSet();
    if (!dataSet) return false;
    return FilterDialog(&grid, *dataSet, grid.FilterStore(), title, visibleOnly, run);
}
