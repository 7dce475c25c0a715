// The drop-down look-up list shared by every look-up of a business object: a hidden report-style
// list (whole rows, read-only, titles that do not sort) that opens under an edit, lists matching
// code records and hands the user's keys back to its owner.
//
// The list knows nothing about codes or levels: it reports what the user did (Enter or a double
// click, Space, Esc, focus lost) through OnAction and the owner decides. It hides itself when it
// loses the focus, after telling the owner.
#pragma once

#include "platform/AnsiString.h"

#include <QTreeWidget>

#include <functional>
#include <vector>

enum class TLookupAction { Choose, ChooseAnyLevel, Cancel, Leave };

// One column: its title and width in widths of the letter "a" of the list's font.
struct TLookupColumn {
    AnsiString Title;
    int Chars = 12;
};

class TLookupListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TLookupListView(QWidget* parent = nullptr);

    std::function<void(TLookupAction)> OnAction;

    // Replaces columns and rows.
    void SetColumns(const std::vector<TLookupColumn>& columns);
    void AddRow(const std::vector<AnsiString>& cells);
    int RowCount() const { return topLevelItemCount(); }
    // The first cell (the code) of the selected row, or nothing selected.
    bool SelectedCode(AnsiString& code) const;
    AnsiString Cell(int row, int column) const;
    // Selects and focuses a row.
    void SelectRow(int row);
    // Width of n letters "a" in the list's font.
    int CharsWidth(int n) const;
    // Height that shows the given number of rows with the titles and the frame.
    int HeightForRows(int rows) const;

    void SetListColor(const QColor& color);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void Report(TLookupAction action);
    bool FReporting = false;
};
