// The grid's filter operation. See GridFilterDialog.h.
#include "GridFilterDialog.h"

#include "UnitQuerySet.h"
#include "platform/MessageService.h"

#include <QPushButton>

#include <exception>
#include <memory>

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
    } catch (const std::exception& e) {
        Messages().Error(e.what());
        return false;
    }
}
