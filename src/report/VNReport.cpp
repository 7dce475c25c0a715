// The report component and its stored forms.
//
// Report stream (all little-endian; "str" = uint16 length, bytes, 0; "strlist" = uint16 count,
// lines as uint16 length + bytes separated by 13, then 0):
//   byte 43, byte 0, byte 11                     version and sub-versions
//   str "Valnor Report File", byte 26            signature
//   byte PrintBackColor, int32 PrintOffsetTop, int32 PrintOffsetLeft, byte PrintPagePerPage
//   pages section:
//     5 x str description, byte 0, byte pre-printed default, int16 DoublePass, str printer
//     per page: byte 255, page record
//     per view: byte type, [str class for type 10], byte page index, int32 end position, record
//     byte 252, dictionary section
// Older streams are read by the version rules beside each field.
#include "VNReport.h"
#include "VNStrings.h"

#include "VNBandView.h"
#include "VNEMFPages.h"
#include "print/VNReportSettings.h"
#include "VNEngine.h"
#include "VNStandardViews.h"
#include "VNViewFactory.h"
#include "VNWindowServices.h"

#include "platform/Locale.h"

#include <filesystem>

static const char* const ReportSignature = "Valnor Report File";
static const char* const TemplateSignature = "Valnor Template File";

TVNReport::TVNReport() : Pages(this), EMFPages(std::make_unique<TVNEMFPages>(this)) {}

int TVNReport::DesignPageIndex(const TVNPage& page) const {
    return Pages.IndexOf(&page);
}

void TVNReport::BeforePageAdded(int pageNo) {
    if (OnBeginPage) OnBeginPage(pageNo);
}

// A report printed inside another (a subreport's own pages) tells the master of each new page.
void TVNReport::AfterPageAdded(int pageCount) {
    if (MasterReport && MasterReport != this && MasterReport->OnBeginPage) MasterReport->OnBeginPage(pageCount);
}

bool TVNReport::ObjectClicked(TVNEMFPages& pages, int pageIndex, TVNView* view) {
    if (!OnObjectClick) return false;
    OnObjectClick(&pages, pageIndex, view);
    return true;
}

bool TVNReport::MouseOverObject(TVNView* view, int& cursor) {
    if (!OnMouseOverObject) return false;
    OnMouseOverObject(view, cursor);
    return true;
}

TVNReport::~TVNReport() {
    // A preview left open (non-modal) reads the built pages: it closes before they are freed.
    if (IVNWindowServices* services = VNWindowServices()) services->ReportDestroyed(*this);
    if (Preview) Preview->ReportDestroyed(*this);
}

TVNView* TVNReport::FindObject(std::string_view name) const {
    for (int i = 0; i < Pages.Count(); ++i)
        if (TVNView* v = Pages[i].FindObject(name)) return v;
    return nullptr;
}

void TVNReport::Clear() {
    Pages.Clear();
    Dictionary.Clear();
    ReportInfo = TVNReportInfo{};
}

void TVNReport::PreviewReport() {
    try {
        taoda = false;
        // The build's progress window closes when the build ends. A build that failed has shown
        // its error and cleared the pages: an empty preview after it would only confuse.
        if (BuildReport()) PreviewBuiltReport();
    } catch (const std::exception& e) {
        VNShowMessage(VNText(TVNText::UnexpectedError) + e.what(), VNText(TVNText::ErrorCaption),
                      TVNMessageKind::Error);
    }
}

void TVNReport::PreviewBuiltReport() {
    if (Preview) {
        Preview->Connect(this); // the application's own control: no preview window
        return;
    }
    if (IVNWindowServices* services = VNWindowServices()) services->ShowPreview(*this);
}

void TVNReport::SelectPrinter(const AnsiString& name) {
    PrinterName = VNPrinter().SelectByName(name);
}

void TVNReport::ShowLoadMessage(const AnsiString& text) {
    LoadMessage = text;
    VNShowMessage(text, VNText(TVNText::ErrorCaption), TVNMessageKind::Error);
}

// ---- writing ------------------------------------------------------------------------------------

void TVNReport::WritePagesSection(TVNStream& s) {
    s.WriteStr(ReportInfo.Title);
    s.WriteStr(ReportInfo.Author);
    s.WriteStr(ReportInfo.Company);
    s.WriteStr(ReportInfo.CopyRight);
    s.WriteStr(ReportInfo.Comment);
    s.WriteByte(0);
    s.WriteByte(taodaDefault ? 1 : 0);
    s.WriteInt16(DoublePass ? -1 : 0);
    s.WriteStr(PrinterName);
    for (int i = 0; i < Pages.Count(); ++i) {
        s.WriteByte(255);
        Pages[i].WriteToStream(s);
    }
    for (int i = 0; i < Pages.Count(); ++i)
        for (TVNView* v : Pages[i].Objects) {
            s.WriteByte(v->TypeCode);
            if (v->TypeCode == ViewTypeAddIn) s.WriteStr(v->ClassName());
            s.WriteByte(std::uint8_t(i));
            std::size_t endAt = s.Position();
            s.WriteInt32(0);
            bool printing = v->IsPrinting;
            v->IsPrinting = false;
            v->WriteToStream(s);
            v->IsPrinting = printing;
            s.PatchInt32(endAt, std::int32_t(s.Position()));
        }
    s.WriteByte(252);
    Dictionary.WriteSection(s);
}

void TVNReport::SaveReportStream(TVNStream& s) {
    s.Version = 43;
    s.VersionCode = 4311;
    s.SubVersion2 = 11;
    s.WriteByte(43);
    s.WriteByte(0);
    s.WriteByte(11);
    s.WriteStr(ReportSignature);
    s.WriteByte(26);
    s.WriteByte(PrintBackColor ? 1 : 0);
    s.WriteInt32(PrintOffsetTop);
    s.WriteInt32(PrintOffsetLeft);
    s.WriteByte(PrintPagePerPage ? 1 : 0);
    WritePagesSection(s);
}

// ---- reading ------------------------------------------------------------------------------------

namespace {
// A failure that ends the whole load with "不支持的vnf格式".
struct EFatalLoad {};
} // namespace

void TVNReport::ReadPagesSection(TVNStream& s) {
    const int ver = s.Version, code = s.VersionCode;
    if (code > 4001) {
        ReportInfo.Title = s.ReadStr();
        ReportInfo.Author = s.ReadStr();
        ReportInfo.Company = s.ReadStr();
        ReportInfo.CopyRight = s.ReadStr();
        ReportInfo.Comment = s.ReadStr();
    }
    if (ver >= 32) s.ReadByte();
    taodaDefault = ver >= 35 ? s.ReadByte() != 0 : false;
    if (code < 4101) s.Skip(2);
    DoublePass = s.ReadInt16() != 0;
    SelectPrinter(s.ReadStr());

    std::vector<AnsiString> missingClasses;
    ErrorText.clear();
    // The writer always ends the section with the dictionary; a stream that stops before it
    // (cut off between two records) is short of whatever followed.
    bool ended = false;
    while (!s.AtEnd()) {
        std::uint8_t b = s.ReadByte();
        if (b == 255) {
            Pages.Add().ReadFromStream(s);
            continue;
        }
        if (b == 252) {
            Dictionary.ReadSection(s);
            ended = true;
            continue;
        }
        if (b == 254) {
            Dictionary.ReadOldSection(s);
            ended = true;
            continue;
        }
        if (b == 253) {
            ended = true;
            break;
        }
        if (b > 10) throw EFatalLoad{};

        // A view record.
        AnsiString className = b == ViewTypeAddIn ? s.ReadStr() : AnsiString();
        int type = b;
        bool framedMemo = false;
        AnsiString upperClass = UpperCase(className);
        if (upperClass == "TVNBDELOOKUPCONTROL" || upperClass == "TVNIBXLOOKUPCONTROL") {
            className = "TVNDBLookupControl";
        } else if (upperClass == "TVNFRAMEDMEMOVIEW") {
            type = ViewTypeMemo;
            framedMemo = true;
        }
        std::size_t pageIndex = s.ReadByte();
        bool hasEnd = ver >= 29;
        std::size_t endPos = 0;
        if (hasEnd) {
            std::uint32_t e = std::uint32_t(s.ReadInt32());
            if (e < s.Position() || e > s.Size()) throw EFatalLoad{};
            endPos = e;
        }
        TVNView* view = nullptr;
        try {
            view = CreateViewByType(type, className, this);
            if (!view || pageIndex >= std::size_t(Pages.Count())) {
                delete view;
                view = nullptr;
                if (!hasEnd) throw EFatalLoad{}; // without an end position the record cannot be passed
                s.Seek(endPos);
                continue;
            }
            TVNPage& page = Pages[int(pageIndex)];
            page.Add(view);
            view->ReadFromStream(s);
            if (framedMemo) s.Skip(8);
            view->SetProperty("Name", Value(view->Name));
        } catch (const EVNClassNotFound&) {
            missingClasses.push_back(className);
            if (!hasEnd) break;
        } catch (const EFatalLoad&) {
            throw;
        } catch (const std::exception&) {
            // An unreadable record: drop the view and carry on after it.
            if (view) {
                TVNPage& page = Pages[int(pageIndex)];
                page.Delete(page.IndexOf(view));
            }
            if (!hasEnd) continue;
        }
        if (hasEnd) s.Seek(endPos);
    }
    if (code < 3810)
        for (int i = 0; i < Pages.Count(); ++i) {
            if (Pages[i].PageType != ptReport) continue;
            for (TVNView* v : Pages[i].Objects)
                ConvertOldGeometry(*v);
        }
    // What was read stays loaded (its records are whole), but the load is not reported as a
    // success: saving it would silently drop the rest of the report.
    if (!ended && ver >= 29) ShowLoadMessage(VNText(TVNText::TruncatedStream));
    if (!missingClasses.empty()) {
        AnsiString text = "Opened report contains the following non-plugged components:\r";
        for (const AnsiString& n : missingClasses)
            text += n + "\r\n";
        text += "Use appropriate component from VN component palette";
        ShowLoadMessage(text);
    }
    for (int i = 0; i < Pages.Count(); ++i)
        for (TVNView* v : Pages[i].Objects)
            if (auto* sub = dynamic_cast<TVNSubReportView*>(v))
                if (sub->SubPage >= 0 && sub->SubPage < Pages.Count())
                    Pages[sub->SubPage].IsSubReportPage = true;
    for (int i = 0; i < Pages.Count(); ++i)
        for (TVNView* v : Pages[i].Objects)
            v->AfterLoad();
}

bool TVNReport::LoadReportStream(TVNStream& s) {
    LoadMessage.clear();
    if (s.Remaining() == 0) return false;
    const std::size_t start = s.Position();
    try {
        int ver = s.ReadByte();
        if (ver > 43) {
            ShowLoadMessage(VNText(TVNText::UnsupportedFormat));
            return false;
        }
        int sub1 = 0, sub2 = 0;
        if (ver <= 20) {
            s.Seek(start);
            ver = 21;
        } else if (ver >= 36) {
            sub1 = s.ReadByte();
            sub2 = s.ReadByte();
        }
        s.Version = ver;
        s.VersionCode = ver * 100 + sub1 * 10 + sub2;
        s.SubVersion2 = sub2;
        LoadedVersionCode = s.VersionCode;
        const int code = s.VersionCode;
        if (code > 4101) {
            AnsiString sig = s.ReadStr();
            std::uint8_t eof = s.ReadByte();
            if (sig != ReportSignature || eof != 26) {
                Clear();
                Pages.Add();
                ShowLoadMessage(VNText(TVNText::NotReportFile));
                return false;
            }
        }
        if (code > 4003) PrintBackColor = s.ReadByte() != 0;
        if (code > 4099) {
            PrintOffsetTop = s.ReadInt32();
            PrintOffsetLeft = s.ReadInt32();
        }
        if (sub2 > 10) PrintPagePerPage = s.ReadByte() != 0;
        Clear();
        ReadPagesSection(s);
    } catch (...) {
        Clear();
        ShowLoadMessage(VNText(TVNText::UnsupportedFormat));
        return false;
    }
    if (SaveReportOptions.AutoLoadSaveSetting) LoadReportSetting(*this);
    return LoadMessage.empty();
}

// ---- files and hexadecimal text -----------------------------------------------------------------

static std::string CompleteName(const std::string& fileName, const char* ext, bool onlyWhenMissing) {
    std::filesystem::path p(fileName);
    if (p.has_extension()) return fileName;
    if (onlyWhenMissing && std::filesystem::exists(p)) return fileName;
    return fileName + ext;
}

bool TVNReport::LoadReportFile(const std::string& fileName) {
    std::string name = CompleteName(fileName, ".vnf", true);
    TVNStream s;
    if (!std::filesystem::is_regular_file(name) || !s.LoadFromFile(name)) return false;
    LoadReportStream(s);
    FileName = name;
    return true;
}

bool TVNReport::SaveReportFile(const std::string& fileName) {
    TVNStream s;
    SaveReportStream(s);
    return s.SaveToFile(CompleteName(fileName, ".vnf", false));
}

std::string DecodeHexText(std::string_view text) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i + 1 < text.size() && text[i] != '#'; i += 2) {
        int hi = digit(text[i]), lo = digit(text[i + 1]);
        if (hi < 0 || lo < 0) break;
        bytes.push_back(char(hi * 16 + lo));
    }
    return bytes;
}

bool TVNReport::LoadReportHex(std::string_view text) {
    TVNStream s(DecodeHexText(text));
    return LoadReportStream(s);
}

// ---- templates ----------------------------------------------------------------------------------

bool TVNReport::SaveTemplateFile(const std::string& fileName, const TVNStrings& description,
                                 const std::string& previewBitmap) {
    TVNStream s;
    SaveTemplateStream(s, description, previewBitmap);
    return s.SaveToFile(CompleteName(fileName, ".vnt", false));
}

void TVNReport::SaveTemplateStream(TVNStream& s, const TVNStrings& description, const std::string& previewBitmap) {
    s.Version = 43;
    s.VersionCode = 4311;
    s.SubVersion2 = 11;
    s.WriteByte(43);
    s.WriteStr(TemplateSignature);
    s.WriteByte(26);
    s.WriteStrList(description);
    std::size_t posAt = s.Position();
    s.WriteInt32(0);
    s.WriteByte(previewBitmap.empty() ? 0 : 1);
    s.WriteBytes(previewBitmap);
    s.PatchInt32(posAt, std::int32_t(s.Position()));
    WritePagesSection(s);
}

// Reads the template header up to the pages position; false on a wrong signature.
static bool ReadTemplateHeader(TVNStream& s, TVNTemplateInfo* info, std::size_t& pagesPos, bool& headerless) {
    headerless = false;
    int ver = s.ReadByte();
    if (ver < 10) {
        headerless = true;
        pagesPos = 0;
        return true;
    }
    s.Version = 43;
    AnsiString sig = s.ReadStr();
    std::uint8_t eof = s.ReadByte();
    if (ver > 41 && (sig != TemplateSignature || eof != 26)) {
        VNShowMessage(VNText(TVNText::NotTemplateFile), VNText(TVNText::ErrorCaption), TVNMessageKind::Error);
        return false;
    }
    TVNStrings description = s.ReadStrList();
    std::uint32_t pos = std::uint32_t(s.ReadInt32());
    if (pos > s.Size() || pos < s.Position()) throw EVNStreamError("template pages position");
    pagesPos = pos;
    if (info) {
        info->Description = std::move(description);
        info->PreviewBitmap.clear();
        if (s.ReadByte() == 1 && s.Position() < pagesPos)
            info->PreviewBitmap = s.ReadBytes(pagesPos - s.Position());
    }
    return true;
}

bool TVNReport::ReadTemplateInfo(TVNStream& s, TVNTemplateInfo& info) {
    try {
        std::size_t pagesPos = 0;
        bool headerless = false;
        return ReadTemplateHeader(s, &info, pagesPos, headerless);
    } catch (const EVNStreamError&) {
        return false;
    }
}

bool TVNReport::LoadTemplateStream(TVNStream& s) {
    LoadMessage.clear();
    if (s.Remaining() == 0) return false;
    try {
        std::size_t pagesPos = 0;
        bool headerless = false;
        if (!ReadTemplateHeader(s, nullptr, pagesPos, headerless)) {
            LoadMessage = VNText(TVNText::NotTemplateFile);
            return false;
        }
        s.Seek(pagesPos);
        s.Version = 43;
        s.VersionCode = 4311;
        s.SubVersion2 = 11;
        LoadedVersionCode = 4311;
        Clear();
        ReadPagesSection(s);
    } catch (...) {
        Clear();
        ShowLoadMessage(VNText(TVNText::UnsupportedFormat));
        return false;
    }
    return LoadMessage.empty();
}

bool TVNReport::LoadTemplateFile(const std::string& fileName) {
    TVNStream s;
    if (!s.LoadFromFile(CompleteName(fileName, ".vnt", true))) return false;
    return LoadTemplateStream(s);
}

// ---- prepared pages -----------------------------------------------------------------------------

bool TVNReport::SaveBuiltPages(const std::string& fileName) {
    TVNStream s;
    EMFPages->SaveToStream(s);
    return s.SaveToFile(fileName);
}

bool TVNReport::LoadBuiltPages(const std::string& fileName) {
    TVNStream s;
    if (!s.LoadFromFile(fileName)) return false;
    EMFPages->Clear();
    return EMFPages->LoadFromStream(s);
}
