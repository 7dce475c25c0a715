// TVNRichView: a stretcheable view holding formatted text (stored as RTF), with its properties,
// its stream tail, its evaluation and measuring at build time and its drawing.
//
// At build time the text is read, its bracket groups are evaluated (unless TextOnly) and it is
// laid out into the view's usable width; a band drawn across pages writes the lines that fit on
// each page and goes on from the first line that did not. A built page holds the written part as
// RTF of its own, so a page draws exactly the text it was given.
#pragma once

#include "VNMemoView.h"
#include "VNRichLayout.h"
#include "VNRichText.h"
#include "VNViewFactory.h"

class TVNRichView : public TVNStretcheable {
public:
    TVNRichView();
    const char* ClassName() const override { return "TVNRichView"; }

    // The text as stored: RTF, or plain text when it does not start like RTF.
    AnsiString RichText;

    void RegisterProperties() override;
    void SetProperty(const AnsiString& name, const Value& value) override;
    Value GetProperty(const AnsiString& name) override;
    void ReadFromStream(TVNStream& s) override;
    void WriteToStream(TVNStream& s) override;
    void LoadFieldData(TField* field) override;
    void NotifyBuildStart() override;
    int MeasureHeight() override;
    int MinLineHeight() override;
    int RemainingHeight() override;
    bool HasRest() const override { return FRest; }
    void WriteToPage(TVNStream& s) override;
    void Paint(ICanvas* canvas) override;
    void NotifyPrinted() override;

    // The stored text read into a document (read again only when the text changes).
    const TVNRichDocument& Document();
    // The document of this print: from the bound field or the stored text, with its bracket
    // groups evaluated unless TextOnly.
    TVNRichDocument Evaluated();

private:
    // Evaluates the text for a new print and starts it from its beginning.
    void Prepare();
    // The lines of the print from where the current part starts, at scale 1.
    std::vector<TVNRichLine> RestLines();
    // Room for lines inside the frame and gaps, at scale 1.
    int UsableWidth();
    // InnerRect less the gaps (after ScaleForPaint).
    TRect TextRect() const;

    AnsiString FReadFrom;
    TVNRichDocument FRead;
    bool FReadValid = false;
    TVNRichDocument FPrint; // the evaluated text of the current print
    TVNRichPos FPartStart;  // where the next part starts
    bool FPrepared = false;
    bool FRest = false;
};

// The rich text's defaults: "宋体", 11 points, charset 134.
TVNRichFormat RichDefaultFormat();

// The registry entry of the rich-text view.
TVNAddInObjectInfo RichViewAddIn();
