// The prepared pages store and the ".vnp" prepared report file.
//
// ".vnp" layout: byte 43, byte 10, str "Valnor Prepared Report File" + byte 26, byte compressed,
// byte pre-printed default, int32 background count and per background 4 x int32 (left, top,
// width, height) + picture, str printer name, int32 page count and per page: int32 absolute end
// of the entry, int16 paper size, int32 paper width, int32 paper height (tenths of mm), byte
// orientation, int32 bin, 4 x int32 margins rectangle, the page stream (compressed when the
// flag says so). Readers accept the older layouts by the rules beside each field.
#include "VNEMFPages.h"
#include "VNStrings.h"

#include "VNEngine.h"
#include "VNMemoView.h"
#include "VNViewFactory.h"

#include "platform/Canvas.h"
#include "platform/Locale.h"

static const char* const PreparedSignature = "Valnor Prepared Report File";

static TVNCompressor*& InstalledCompressor() {
    static TVNCompressor* c = nullptr;
    return c;
}

TVNCompressor& VNCompressor() {
    static TVNCompressor plain;
    return InstalledCompressor() ? *InstalledCompressor() : plain;
}

bool VNCompressorInstalled() {
    return InstalledCompressor() != nullptr;
}
void SetVNCompressor(TVNCompressor* compressor) {
    InstalledCompressor() = compressor;
}

TVNEMFPages::~TVNEMFPages() = default;

void TVNEMFPages::Clear() {
    FLoadedFromFile = false;
    if (OnClear) {
        OnClear();
        return;
    }
    ClearAll();
}

void TVNEMFPages::ClearAll() {
    FPages.clear();
    FBackgrounds.clear();
    FCurrentBackground = -1;
    FLoadedFromFile = false;
}

void TVNEMFPages::AddBackground(int left, int top, const TVNPicture& picture, int width, int height) {
    // The engine adds a design page's background at every start of that page's output: again for
    // each record of a multiple report and again in the final pass. An equal entry is shared
    // instead of copied, so the list does not grow with the data (pages find their background
    // by a byte index, which a long list would overflow).
    for (std::size_t i = 0; i < FBackgrounds.size(); ++i) {
        const TVNBkPicture& known = *FBackgrounds[i];
        if (known.Left == left && known.Top == top && known.Width == width && known.Height == height &&
            known.Picture == picture) {
            FCurrentBackground = int(i);
            return;
        }
    }
    FCurrentBackground = BackgroundCount();
    auto bk = std::make_unique<TVNBkPicture>();
    bk->Left = left;
    bk->Top = top;
    bk->Width = width;
    bk->Height = height;
    bk->Picture = picture;
    FBackgrounds.push_back(std::move(bk));
}

const TVNBkPicture* TVNEMFPages::Background(int index) const {
    return index >= 0 && index < BackgroundCount() ? FBackgrounds[std::size_t(index)].get() : nullptr;
}

// expectedSize reserves the stream up front: built pages of one report are mostly alike, so the
// previous page's size spares a long page the copying and the doubled capacity of growing step by
// step (tens of thousands of pages otherwise hold nearly twice the memory they use).
static std::unique_ptr<TVNStream> NewPageStream(std::size_t expectedSize = 0) {
    auto s = std::make_unique<TVNStream>();
    if (expectedSize > 0) s->Data().reserve(expectedSize);
    s->WriteByte(43);
    return s;
}

TVNPreparedPage& TVNEMFPages::AddPage(TVNPage& designPage) {
    if (FOwner) FOwner->BeforePageAdded(Count() + 1);
    auto rec = std::make_unique<TVNPreparedPage>();
    rec->PaperSize = std::int16_t(designPage.PaperSize);
    rec->PaperWidth = designPage.PaperWidth / 100;
    rec->PaperHeight = designPage.PaperHeight / 100;
    rec->Orientation = designPage.Orientation;
    rec->Bin = designPage.Bin;
    rec->Margins = designPage.PrintableRect();
    rec->Metrics = designPage.Metrics;
    rec->BackgroundIndex =
        designPage.ShowBackPicture && !designPage.BackGround.Empty() && BackgroundCount() > 0
            ? std::uint8_t(FCurrentBackground >= 0 ? FCurrentBackground : BackgroundCount() - 1)
            : 255;
    int designIndex = FOwner ? FOwner->DesignPageIndex(designPage) : -1;
    rec->DesignPageNo = std::uint8_t(designIndex + 1);
    const std::size_t previousSize =
        !FPages.empty() && FPages.back()->PageStream ? FPages.back()->PageStream->Size() : 0;
    rec->PageStream = NewPageStream(previousSize + previousSize / 8);
    FPages.push_back(std::move(rec));
    if (FOwner) FOwner->AfterPageAdded(Count());
    return *FPages.back();
}

void TVNEMFPages::InsertPage(int index, const TVNPreparedPage& record) {
    if (index < 0 || index > Count()) index = Count();
    auto rec = std::make_unique<TVNPreparedPage>();
    rec->PreviewRect = record.PreviewRect;
    rec->PaperSize = record.PaperSize;
    rec->PaperWidth = record.PaperWidth;
    rec->PaperHeight = record.PaperHeight;
    rec->Orientation = record.Orientation;
    rec->Bin = record.Bin;
    rec->Margins = record.Margins;
    rec->Metrics = record.Metrics;
    rec->Visible = record.Visible;
    rec->BackgroundIndex = record.BackgroundIndex;
    rec->DesignPageNo = record.DesignPageNo;
    rec->PageStream = NewPageStream();
    FPages.insert(FPages.begin() + index, std::move(rec));
}

void TVNEMFPages::DeletePage(int index) {
    if (index >= 0 && index < Count()) FPages.erase(FPages.begin() + index);
}

void TVNEMFPages::WriteView(TVNView& view) {
    if (FPages.empty()) return;
    TVNStream& s = *FPages.back()->PageStream;
    s.Seek(s.Size());
    view.WriteToPage(s);
}

void TVNEMFPages::ForEachStreamView(TVNStream& s, const std::function<void(std::unique_ptr<TVNView>)>& fn) {
    s.Seek(0);
    if (s.AtEnd()) return;
    try {
        s.Version = s.ReadByte();
        s.VersionCode = s.Version * 100;
        while (!s.AtEnd()) {
            int type = s.ReadByte();
            AnsiString className = type == ViewTypeAddIn ? s.ReadStr() : AnsiString();
            std::unique_ptr<TVNView> view(CreateViewByType(type, className, nullptr));
            // Without end positions an unknown record cannot be passed: the page ends there.
            if (!view) break;
            view->IsPrinting = true;
            view->ReadFromStream(s);
            view->IsPrinting = false;
            view->ClampStoredGeometry();
            view->Memo = view->Memo1; // the decoded page is edited and drawn from Memo
            fn(std::move(view));
        }
    } catch (const std::exception&) {
        // A damaged page shows the views read before the damage.
    }
}

void TVNEMFPages::DecodePage(int index) {
    TVNPreparedPage& rec = Page(index);
    auto page = std::make_unique<TVNPage>(FOwner ? FOwner->StoreReport() : nullptr);
    page->PaperSize = rec.PaperSize;
    page->PaperWidth = ClampToInt(std::int64_t(rec.PaperWidth) * 100);
    page->PaperHeight = ClampToInt(std::int64_t(rec.PaperHeight) * 100);
    page->Orientation = rec.Orientation;
    page->Bin = rec.Bin;
    page->SetMarginsPx(rec.Margins.Left, rec.Margins.Top, double(page->PaperWidthPx()) - rec.Margins.Right,
                       double(page->PaperHeightPx()) - rec.Margins.Bottom);
    page->Metrics = rec.Metrics;
    TVNPage* target = page.get();
    ForEachStreamView(*rec.PageStream, [target](std::unique_ptr<TVNView> v) { target->Add(v.release()); });
    rec.DecodedPage = std::move(page);
}

void TVNEMFPages::EncodePage(int index) {
    TVNPreparedPage& rec = Page(index);
    if (!rec.DecodedPage) return;
    rec.PageStream = NewPageStream();
    for (TVNView* v : rec.DecodedPage->Objects) {
        v->Memo1 = v->Memo;
        v->WriteToPage(*rec.PageStream);
    }
}

void TVNEMFPages::DrawPage(int index, ICanvas& canvas, const TRect& rect, TVNDrawTarget target,
                           const TRect* clip) {
    if (index < 0 || index >= Count()) return;
    TVNPreparedPage& rec = Page(index);
    TScopedValue running(VNState().RunMode, true);
    if (rec.Visible == 0) {
        rec.DecodedPage.reset();
        return;
    }
    if (!rec.DecodedPage) DecodePage(index);
    const bool toPrinter = target == TVNDrawTarget::Printer;
    double sx = rec.Metrics.PaperWidthPx > 0 ? double(rect.Width()) / rec.Metrics.PaperWidthPx : 1.0;
    double sy = rec.Metrics.PaperHeightPx > 0 ? double(rect.Height()) / rec.Metrics.PaperHeightPx : 1.0;
    const int printScale = FOwner ? FOwner->StorePrintScale() : 100;
    if (toPrinter && printScale != 100) {
        sx = RoundHalfEven(sx * printScale / 100.0);
        sy = RoundHalfEven(sy * printScale / 100.0);
    }
    const bool preprinted = toPrinter && FOwner && FOwner->PrintingOnPreprintedForms();
    for (TVNView* v : rec.DecodedPage->Objects) {
        if (target == TVNDrawTarget::Screen && clip) {
            const double l = double(v->Left), t = double(v->Top);
            TRect r{ClampToInt(l * sx + rect.Left - 10), ClampToInt(t * sy + rect.Top - 10),
                    ClampToInt((l + v->Width) * sx + rect.Left + 11),
                    ClampToInt((t + v->Height) * sy + rect.Top + 11)};
            if (IntersectRect(r, *clip).IsEmpty()) continue;
        }
        if (preprinted && !v->PrintVisible()) continue;
        v->PaintScaleX = sx;
        v->PaintScaleY = sy;
        v->PaintOffsetX = rect.Left;
        v->PaintOffsetY = rect.Top;
        v->IsPrinting = toPrinter;
        v->Paint(&canvas);
        v->IsPrinting = false;
    }
}

void TVNEMFPages::ExportPage(int index) {
    if (index < 0 || index >= Count()) return;
    TVNPreparedPage& rec = Page(index);
    TVNPage scratch(FOwner ? FOwner->StoreReport() : nullptr);
    TScopedValue exporting(VNState().ExportMode, true);
    ForEachStreamView(*rec.PageStream, [&scratch](std::unique_ptr<TVNView> v) {
        v->Page = &scratch;
        v->IsPrinting = true;
        v->NotifyPrinted();
        v->Page = nullptr;
    });
}

bool TVNEMFPages::HitTest(int index, TPoint point, bool forClick, int* cursor) {
    if (index < 0 || index >= Count()) return false;
    TVNPreparedPage& rec = Page(index);
    if (!rec.DecodedPage) DecodePage(index);
    auto& objects = rec.DecodedPage->Objects;
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        TVNView* v = *it;
        const std::int64_t right = std::int64_t(v->Left) + v->Width,
                           bottom = std::int64_t(v->Top) + v->Height;
        if (point.X < v->Left || point.X > right || point.Y < v->Top || point.Y > bottom) continue;
        if (!FOwner) return false;
        if (forClick) return FOwner->ObjectClicked(*this, index, v);
        int shown = cursor ? *cursor : 0;
        if (!FOwner->MouseOverObject(v, shown)) return false;
        if (cursor) *cursor = shown;
        return true;
    }
    return false;
}

// ---- ".vnp" files -------------------------------------------------------------------------------

void TVNEMFPages::SaveToStream(TVNStream& s) {
    s.Version = 43;
    s.WriteByte(43);
    s.WriteByte(10);
    s.WriteStr(PreparedSignature);
    s.WriteByte(26);
    const bool compressed = VNCompressorInstalled() && VNCompressor().Enabled;
    s.WriteByte(compressed ? 1 : 0);
    s.WriteByte(FOwner && FOwner->PreprintedFormDefault() ? 1 : 0);
    s.WriteInt32(BackgroundCount());
    for (auto& bk : FBackgrounds) {
        s.WriteInt32(bk->Left);
        s.WriteInt32(bk->Top);
        s.WriteInt32(bk->Width);
        s.WriteInt32(bk->Height);
        bk->Picture.Write(s);
    }
    s.WriteStr(VNPrinter().SelectedName());
    s.WriteInt32(Count());
    for (auto& rec : FPages) {
        std::size_t endAt = s.Position();
        s.WriteInt32(0);
        s.WriteInt16(rec->PaperSize);
        s.WriteInt32(rec->PaperWidth);
        s.WriteInt32(rec->PaperHeight);
        s.WriteByte(rec->Orientation);
        s.WriteInt32(rec->Bin);
        s.WriteInt32(rec->Margins.Left);
        s.WriteInt32(rec->Margins.Top);
        s.WriteInt32(rec->Margins.Right);
        s.WriteInt32(rec->Margins.Bottom);
        if (compressed) {
            std::string packed;
            VNCompressor().Compress(rec->PageStream->Data(), packed);
            s.WriteBytes(packed);
        } else {
            s.WriteBytes(rec->PageStream->Data());
        }
        s.PatchInt32(endAt, std::int32_t(s.Position()));
    }
}

bool TVNEMFPages::ReadFile(TVNStream& s) {
    const AnsiString notPrepared = VNText(TVNText::NotPreparedFile);
    try {
        int ver = s.ReadByte();
        int sub = ver >= 39 ? s.ReadByte() : 0;
        s.Version = ver;
        s.VersionCode = ver * 100 + sub * 10;
        if (ver * 100 + sub * 10 > 4119) {
            AnsiString sig = s.ReadStr();
            std::uint8_t eof = s.ReadByte();
            if (sig != PreparedSignature || eof != 26) {
                VNShowMessage(notPrepared, VNText(TVNText::ErrorCaption), TVNMessageKind::Error);
                return false;
            }
        }
        const bool compressed = s.ReadByte() == 1;
        if (sub > 9) {
            bool taodaDefault = s.ReadByte() != 0;
            if (FOwner) FOwner->SetPreprintedFormDefault(taodaDefault);
        }
        if (ver >= 38) {
            std::int32_t count = s.ReadInt32();
            if (count < 0 || std::uint64_t(count) * 13 > s.Remaining())
                throw EVNStreamError("background count");
            for (std::int32_t i = 0; i < count; ++i) {
                auto bk = std::make_unique<TVNBkPicture>();
                bk->Left = s.ReadInt32();
                bk->Top = s.ReadInt32();
                if (ver >= 40) {
                    bk->Width = s.ReadInt32();
                    bk->Height = s.ReadInt32();
                }
                bk->Picture.Read(s);
                if (ver < 40) {
                    bk->Width = bk->Picture.ReportWidth();
                    bk->Height = bk->Picture.ReportHeight();
                }
                FBackgrounds.push_back(std::move(bk));
            }
        }
        AnsiString printer = s.ReadStr();
        if (FOwner) FOwner->SelectStoredPrinter(printer);
        std::int32_t count = s.ReadInt32();
        if (count < 0 || std::uint64_t(count) * 4 > s.Remaining()) throw EVNStreamError("page count");
        for (std::int32_t i = 0; i < count; ++i) {
            std::uint32_t endPos = std::uint32_t(s.ReadInt32());
            auto rec = std::make_unique<TVNPreparedPage>();
            rec->BackgroundIndex = 0;
            rec->DesignPageNo = 0;
            rec->PaperSize = s.ReadInt16();
            rec->PaperWidth = s.ReadInt32();
            rec->PaperHeight = s.ReadInt32();
            rec->Orientation = s.ReadByte();
            rec->Bin = ver >= 29 ? s.ReadInt32() : -1;
            if (ver * 10 + sub < 401) s.Skip(1);
            if (ver >= 24) {
                rec->Margins.Left = s.ReadInt32();
                rec->Margins.Top = s.ReadInt32();
                rec->Margins.Right = s.ReadInt32();
                rec->Margins.Bottom = s.ReadInt32();
            }
            if (endPos < s.Position() || endPos > s.Size()) throw EVNStreamError("page end position");
            std::string data = s.ReadBytes(endPos - s.Position());
            rec->PageStream = std::make_unique<TVNStream>();
            if (compressed)
                VNCompressor().Decompress(data, rec->PageStream->Data());
            else
                rec->PageStream->Data() = std::move(data);
            TVNPagePrinter& printer = VNPrinter();
            printer.SetPaper(rec->PaperSize, rec->PaperWidth, rec->PaperHeight, rec->Orientation, rec->Bin);
            printer.FillPrinterMetrics(rec->Metrics);
            FPages.push_back(std::move(rec));
            if (ver < 39) {
                int index = Count() - 1;
                DecodePage(index);
                for (TVNView* v : Page(index).DecodedPage->Objects)
                    ConvertOldGeometry(*v);
                EncodePage(index);
                Page(index).DecodedPage.reset();
            }
            s.Seek(endPos);
        }
        return true;
    } catch (const std::exception&) {
        ClearAll();
        VNShowMessage(notPrepared, VNText(TVNText::ErrorCaption), TVNMessageKind::Error);
        return false;
    }
}

bool TVNEMFPages::LoadFromStream(TVNStream& s) {
    ClearAll();
    FLoadedFromFile = ReadFile(s);
    return FLoadedFromFile;
}

bool TVNEMFPages::AppendFromStream(TVNStream& s) {
    const bool ok = ReadFile(s);
    FLoadedFromFile = FLoadedFromFile || ok;
    return ok;
}
