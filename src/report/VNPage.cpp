// Design pages: views, paper and margins, properties by name and the page record of the stream.
#include "VNPage.h"

#include "VNEngine.h"
#include "VNReport.h"
#include "VNView.h"

#include "platform/Locale.h"

#include <algorithm>

// Page sizes and margins in pixels stay within the engine's coordinate range, however damaged
// the stored thousandths of a millimetre are.
static int RoundInt(double v) {
    return ClampCoordinate(RoundToIntClamped(v));
}

TVNPage::TVNPage(TVNReport* report) : Report(report) {
    TVNPagePrinter& printer = VNPrinter();
    PaperSize = printer.PaperSize();
    Orientation = std::uint8_t(printer.Orientation());
    PaperWidth = ClampToInt(std::int64_t(printer.PaperWidth()) * 100);
    PaperHeight = ClampToInt(std::int64_t(printer.PaperHeight()) * 100);
    printer.FillPrinterMetrics(Metrics);
}

TVNPage::~TVNPage() {
    Clear();
}

void TVNPage::Add(TVNView* view) {
    view->Page = this;
    Objects.push_back(view);
}

void TVNPage::Delete(int index) {
    if (index < 0 || index >= int(Objects.size())) return;
    delete Objects[std::size_t(index)];
    Objects.erase(Objects.begin() + index);
}

void TVNPage::Clear() {
    for (TVNView* v : Objects)
        delete v;
    Objects.clear();
}

TVNView* TVNPage::FindObject(std::string_view name) const {
    for (TVNView* v : Objects)
        if (SameText(v->Name, name)) return v;
    return nullptr;
}

int TVNPage::IndexOf(const TVNView* view) const {
    auto it = std::find(Objects.begin(), Objects.end(), view);
    return it == Objects.end() ? -1 : int(it - Objects.begin());
}

int TVNPage::PaperWidthPx() const {
    return RoundInt(MMToPixels(PaperWidth / 1000.0));
}
int TVNPage::PaperHeightPx() const {
    return RoundInt(MMToPixels(PaperHeight / 1000.0));
}
int TVNPage::LeftMarginPx() const {
    return RoundInt(MMToPixels(LeftMargin / 1000.0));
}
int TVNPage::TopMarginPx() const {
    return RoundInt(MMToPixels(TopMargin / 1000.0));
}
int TVNPage::RightMarginPx() const {
    return RoundInt(MMToPixels(RightMargin / 1000.0));
}
int TVNPage::BottomMarginPx() const {
    return RoundInt(MMToPixels(BottomMargin / 1000.0));
}

TRect TVNPage::PrintableRect() const {
    return TRect{LeftMarginPx(), TopMarginPx(), ClampToInt(std::int64_t(PaperWidthPx()) - RightMarginPx()),
                 ClampToInt(std::int64_t(PaperHeightPx()) - BottomMarginPx())};
}

static std::int32_t PxToThousandths(double px) {
    return RoundToIntClamped(PixelsToMM(px) * 1000);
}

void TVNPage::SetLeftMarginPx(double px) {
    int before = LeftMarginPx();
    LeftMargin = PxToThousandths(px);
    int shift = ClampToInt(std::int64_t(LeftMarginPx()) - before);
    if (shift != 0 && !IsBuilding)
        for (TVNView* v : Objects)
            v->Left += shift;
}

void TVNPage::SetTopMarginPx(double px) {
    int before = TopMarginPx();
    TopMargin = PxToThousandths(px);
    int shift = ClampToInt(std::int64_t(TopMarginPx()) - before);
    if (shift != 0)
        for (TVNView* v : Objects)
            v->Top += shift;
}

void TVNPage::SetMarginsPx(double left, double top, double right, double bottom) {
    SetLeftMarginPx(left);
    SetTopMarginPx(top);
    RightMargin = PxToThousandths(right);
    BottomMargin = PxToThousandths(bottom);
}

void TVNPage::ChangePaper(int paperSize, int widthThousandths, int heightThousandths, int orientation,
                          int bin) {
    TVNPagePrinter& printer = VNPrinter();
    printer.SetPaper(paperSize, widthThousandths / 100, heightThousandths / 100, orientation, bin);
    PaperSize = printer.PaperSize();
    Orientation = std::uint8_t(printer.Orientation());
    PaperWidth = ClampToInt(std::int64_t(printer.PaperWidth()) * 100);
    PaperHeight = ClampToInt(std::int64_t(printer.PaperHeight()) * 100);
    Bin = bin;
    printer.FillPrinterMetrics(Metrics);
}

void TVNPage::ResetDialogSettings() {
    Caption = "Form";
    DialogLeft = 220;
    DialogTop = 180;
    DialogWidth = 380;
    DialogHeight = 300;
    Color = clBtnFace;
    BorderStyle = 3;
    Position = 4;
}

// ---- properties ---------------------------------------------------------------------------------

void TVNPage::RegisterProperties() {
    RegisterEnumProperty("Type", "ptReport;ptDialog");
    RegisterProperty("Visible", pkBoolean);
    if (PageType == ptDialog) {
        RegisterEnumProperty("BorderStyle", "bsDialog;bsSizeable", nullptr, nullptr, {3, 2});
        RegisterProperty("Caption", pkString);
        RegisterProperty("Color", pkColor);
        for (const char* n : {"Left", "Top", "Width", "Height"})
            RegisterProperty(n, pkPixelSize);
        RegisterEnumProperty("Position", "poDesigned;poScreenCenter", nullptr, nullptr, {0, 4});
        RegisterProperty("OnActivate", pkSingleOnly | pkEditor);
        return;
    }
    AnsiString names;
    std::vector<int> codes;
    const TVNPrinterInfo& info = VNPrinter().Info();
    for (std::size_t i = 0; i < info.PaperNames.size(); ++i) {
        names += (i ? ";" : "") + info.PaperNames[i];
        codes.push_back(info.PaperCodeAt(int(i)));
    }
    RegisterEnumProperty("Size", names, nullptr, nullptr, codes);
    for (const char* n : {"Width", "Height", "LeftMargin", "TopMargin", "RightMargin", "BottomMargin"})
        RegisterProperty(n, pkPixelSize);
    RegisterEnumProperty("Orientation", "poPortrait;poLandscape");
    RegisterProperty("PrintToPrevPage", pkBoolean);
    RegisterProperty("Columns", pkInteger);
    RegisterProperty("ColumnGap", pkPixelSize);
    RegisterProperty("OnBeforePrint", pkSingleOnly | pkEditor);
    RegisterProperty("BackGround", pkEditor);
    RegisterProperty("BackGroundLeft", pkPixelSize);
    RegisterProperty("BackGroundTop", pkPixelSize);
    RegisterProperty("AutoHCenter", pkBoolean);
    RegisterProperty("PrintPagePerPage", pkBoolean);
    RegisterProperty("Objects.Count", pkHidden);
    RegisterProperty("ShowBackPicture", pkBoolean);
}

void TVNPage::SetProperty(const AnsiString& name, const Value& value) {
    const AnsiString n = UpperCase(name);
    auto asInt = [&] { return std::int32_t(value.AsInteger()); };
    if (n == "TYPE")
        PageType = std::uint8_t(asInt());
    else if (n == "VISIBLE")
        Visible = value.AsBoolean();
    else if (n == "NAME")
        Name = value.AsString();
    else if (n == "BORDERSTYLE")
        BorderStyle = std::uint8_t(asInt());
    else if (n == "CAPTION")
        Caption = value.AsString();
    else if (n == "COLOR")
        Color = TColor(value.AsInteger());
    else if (n == "POSITION")
        Position = std::uint8_t(asInt());
    else if (n == "ONACTIVATE" || n == "ONBEFOREPRINT")
        OnBeforePrint = SplitLines(value.AsString());
    else if (PageType == ptDialog && n == "LEFT")
        DialogLeft = asInt();
    else if (PageType == ptDialog && n == "TOP")
        DialogTop = asInt();
    else if (PageType == ptDialog && n == "WIDTH")
        DialogWidth = asInt();
    else if (PageType == ptDialog && n == "HEIGHT")
        DialogHeight = asInt();
    else if (n == "SIZE")
        ChangePaper(asInt(), PaperWidth, PaperHeight, Orientation, Bin);
    else if (n == "WIDTH")
        ChangePaper(CustomPaperCode, PxToThousandths(value.AsFloat()), PaperHeight, Orientation, Bin);
    else if (n == "HEIGHT")
        ChangePaper(CustomPaperCode, PaperWidth, PxToThousandths(value.AsFloat()), Orientation, Bin);
    else if (n == "ORIENTATION") {
        int o = asInt() ? 1 : 0;
        if (o != Orientation) ChangePaper(PaperSize, PaperHeight, PaperWidth, o, Bin);
    } else if (n == "LEFTMARGIN")
        SetLeftMarginPx(value.AsFloat());
    else if (n == "TOPMARGIN")
        SetTopMarginPx(value.AsFloat());
    else if (n == "RIGHTMARGIN")
        RightMargin = PxToThousandths(value.AsFloat());
    else if (n == "BOTTOMMARGIN")
        BottomMargin = PxToThousandths(value.AsFloat());
    else if (n == "PRINTTOPREVPAGE")
        PrintToPrevPage = value.AsBoolean();
    else if (n == "COLUMNS")
        Columns = asInt();
    else if (n == "COLUMNGAP")
        ColumnGap = PxToThousandths(value.AsFloat());
    else if (n == "BACKGROUNDLEFT")
        BackGroundLeft = asInt();
    else if (n == "BACKGROUNDTOP")
        BackGroundTop = asInt();
    else if (n == "AUTOHCENTER")
        AutoHCenter = value.AsBoolean() ? 1 : 0;
    else if (n == "SHOWBACKPICTURE")
        ShowBackPicture = value.AsBoolean();
    else if (n == "PRINTPAGEPERPAGE" && Report)
        Report->PrintPagePerPage = value.AsBoolean();
}

Value TVNPage::GetProperty(const AnsiString& name) {
    const AnsiString n = UpperCase(name);
    if (n == "TYPE") return Value(int(PageType));
    if (n == "VISIBLE") return Value::Boolean(Visible);
    if (n == "NAME") return Value(Name);
    if (n == "BORDERSTYLE") return Value(int(BorderStyle));
    if (n == "CAPTION") return Value(Caption);
    if (n == "COLOR") return Value(std::int64_t(Color));
    if (n == "POSITION") return Value(int(Position));
    if (n == "ONACTIVATE" || n == "ONBEFOREPRINT") return Value(JoinLines(OnBeforePrint));
    if (PageType == ptDialog) {
        if (n == "LEFT") return Value(DialogLeft);
        if (n == "TOP") return Value(DialogTop);
        if (n == "WIDTH") return Value(DialogWidth);
        if (n == "HEIGHT") return Value(DialogHeight);
    }
    if (n == "SIZE") return Value(PaperSize);
    if (n == "WIDTH") return Value(PaperWidthPx());
    if (n == "HEIGHT") return Value(PaperHeightPx());
    if (n == "ORIENTATION") return Value(int(Orientation));
    if (n == "LEFTMARGIN") return Value(LeftMarginPx());
    if (n == "TOPMARGIN") return Value(TopMarginPx());
    if (n == "RIGHTMARGIN") return Value(RightMarginPx());
    if (n == "BOTTOMMARGIN") return Value(BottomMarginPx());
    if (n == "PRINTTOPREVPAGE") return Value::Boolean(PrintToPrevPage);
    if (n == "COLUMNS") return Value(Columns);
    if (n == "COLUMNGAP") return Value(RoundInt(MMToPixels(ColumnGap / 1000.0)));
    if (n == "BACKGROUNDLEFT") return Value(BackGroundLeft);
    if (n == "BACKGROUNDTOP") return Value(BackGroundTop);
    if (n == "AUTOHCENTER") return Value::Boolean(AutoHCenter != 0);
    if (n == "SHOWBACKPICTURE") return Value::Boolean(ShowBackPicture);
    if (n == "OBJECTS.COUNT") return Value(int(Objects.size()));
    if (n == "PRINTPAGEPERPAGE") return Value::Boolean(Report && Report->PrintPagePerPage);
    return Value();
}

Value TVNPage::CallMethod(const AnsiString& name, const Value& p1, const Value& p2, const Value& p3) {
    const AnsiString n = UpperCase(name);
    if (n == "LOADFROMFILE") {
        if (!BackGround.LoadFromFile(p1.AsString())) BackGround.Clear();
    } else if (n == "CHANGEPAPER") {
        // size, orientation, bin (the size keeps the current custom width and height)
        ChangePaper(int(p1.AsInteger()), PaperWidth, PaperHeight,
                    p2.IsEmpty() ? Orientation : int(p2.AsInteger()),
                    p3.IsEmpty() ? Bin : int(p3.AsInteger()));
    } else if (n == "SETVIEWPROP") {
        // "ViewName.Property", value
        AnsiString path = p1.AsString();
        std::size_t dot = path.find('.');
        if (dot != std::string::npos)
            if (TVNView* v = FindObject(path.substr(0, dot))) v->SetProperty(path.substr(dot + 1), p2);
    }
    return Value();
}

// ---- stream record ------------------------------------------------------------------------------

void TVNPage::WriteToStream(TVNStream& s) {
    s.WriteByte(PageType);
    s.WriteStr(Caption);
    s.WriteStr(Name);
    s.WriteInt32(DialogLeft);
    s.WriteInt32(DialogTop);
    s.WriteInt32(DialogWidth);
    s.WriteInt32(DialogHeight);
    s.WriteInt32(std::int32_t(Color));
    s.WriteByte(BorderStyle == 2 ? 1 : 0);
    s.WriteByte(Position != 0 ? 1 : 0);
    s.WriteInt32(PaperSize);
    s.WriteInt32(PaperWidth);
    s.WriteInt32(PaperHeight);
    s.WriteInt32(LeftMargin);
    s.WriteInt32(TopMargin);
    s.WriteInt32(RightMargin);
    s.WriteInt32(BottomMargin);
    s.WriteByte(Orientation);
    s.WriteInt16(PrintToPrevPage ? -1 : 0);
    s.WriteInt32(Columns);
    s.WriteInt32(ColumnGap);
    s.WriteInt32(Bin);
    s.WriteStrList(OnBeforePrint);
    BackGround.Write(s);
    s.WriteInt32(BackGroundLeft);
    s.WriteInt32(BackGroundTop);
    s.WriteInt32(BackGroundWidth);
    s.WriteInt32(BackGroundHeight);
    s.WriteByte(AutoHCenter);
}

void TVNPage::ReadFromStream(TVNStream& s) {
    const int ver = s.Version, code = s.VersionCode;
    const bool oldUnits = s.SubVersion2 <= 9;
    if (ver >= 24) {
        PageType = s.ReadByte();
        Caption = s.ReadStr();
        Name = s.ReadStr();
    }
    if (ver >= 25) {
        DialogLeft = s.ReadInt32();
        DialogTop = s.ReadInt32();
        DialogWidth = s.ReadInt32();
        DialogHeight = s.ReadInt32();
        Color = TColor(s.ReadInt32());
        BorderStyle = s.ReadByte() == 1 ? 2 : 3;
        Position = s.ReadByte() != 0 ? 4 : 0;
    }
    int paperSize = s.ReadInt32();
    int width = s.ReadInt32(), height = s.ReadInt32();
    if (oldUnits) {
        width = ClampToInt(std::int64_t(width) * 100);
        height = ClampToInt(std::int64_t(height) * 100);
    }
    if (oldUnits) {
        int l = s.ReadInt32(), t = s.ReadInt32(), r = s.ReadInt32(), b = s.ReadInt32();
        SetMarginsPx(l, t, r, b);
    } else {
        LeftMargin = s.ReadInt32();
        TopMargin = s.ReadInt32();
        RightMargin = s.ReadInt32();
        BottomMargin = s.ReadInt32();
    }
    int orientation = s.ReadByte() ? 1 : 0;
    if (ver < 23) s.Skip(6);
    PrintToPrevPage = s.ReadInt16() != 0;
    if (code < 4003) s.Skip(2);
    Columns = s.ReadInt32();
    ColumnGap = s.ReadInt32();
    if (oldUnits) ColumnGap = PxToThousandths(ColumnGap);
    int bin = ver >= 24 ? s.ReadInt32() : 0;
    if (ver >= 27) OnBeforePrint = s.ReadStrList();
    if (ver >= 33) BackGround.Read(s);
    if (ver >= 34) {
        BackGroundLeft = s.ReadInt32();
        BackGroundTop = s.ReadInt32();
    } else if (ver == 33) {
        BackGroundLeft = LeftMarginPx();
        BackGroundTop = TopMarginPx();
    }
    if (ver >= 40) {
        BackGroundWidth = s.ReadInt32();
        BackGroundHeight = s.ReadInt32();
    } else if (!BackGround.Empty()) {
        BackGroundWidth = BackGround.ReportWidth();
        BackGroundHeight = BackGround.ReportHeight();
    }
    if (code > 4000) AutoHCenter = s.ReadByte();
    ChangePaper(paperSize, width, height, orientation, bin);
    if (ver <= 23) ResetDialogSettings();
}

// ---- page collection ----------------------------------------------------------------------------

TVNPage& TVNPages::Add() {
    FPages.push_back(std::make_unique<TVNPage>(FReport));
    return *FPages.back();
}

void TVNPages::Delete(int index) {
    if (index >= 0 && index < Count()) FPages.erase(FPages.begin() + index);
}

void TVNPages::Move(int from, int to) {
    if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to) return;
    auto page = std::move(FPages[std::size_t(from)]);
    FPages.erase(FPages.begin() + from);
    FPages.insert(FPages.begin() + to, std::move(page));
}

int TVNPages::IndexOf(const TVNPage* page) const {
    for (int i = 0; i < Count(); ++i)
        if (FPages[std::size_t(i)].get() == page) return i;
    return -1;
}
