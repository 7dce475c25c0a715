// The engine's own texts (messages, captions, fixed names) in one table, converted once to CP936.
// Every text the report model shows or stores by itself is taken from here.
#pragma once

#include "platform/AnsiString.h"

enum class TVNText {
    ErrorCaption,      // "错误"
    UnsupportedFormat, // "不支持的vnf格式"
    NotReportFile,     // "不是Valnor报表文件！" (report streams)
    NotPreparedFile,   // "不是Valnor报表文件!" (prepared report files)
    NotTemplateFile,   // "不是Valnor报表模板文件!"
    NotDictionaryFile, // "不是Valnor数据字典文件!"
    CustomPaper,       // "自定义大小"
    DefaultBin,        // "缺省"
    DefaultPrinter,    // "默认打印机"
    VirtualPrinter,    // "虚拟打印机"
    CurrencySymbol,    // "￥"
    BuildError,        // "计算时发生错误" (first line of a failed build's error text)
    ReportLabel,       // "报表:" (before the report's file name in that text)
    ObjectLabel,       // "对象:" (before the failing view's name in that text)
    PreparingReport,   // "正在准备报表" (caption of the build's progress window)
    FirstPassLabel,    // "进行第一次处理:"
    PageLabel,         // "正在处理页:"
    OfTotal,           // "从" (between the page number and the total page count)
    PrintingLabel,     // "正在打印页:"
    CancelButton,      // "取消"
    UnexpectedError,   // "异常错误,原因:" (an exception escaping a preview)
    PageLimit,         // "报表页数超过上限:" (a build stopped at MaxPages, before the limit)
    TextExportCaption, // "文本导出选项" (caption of the text export's options dialog)
    CsvExportCaption, // "CSV 导出选项"
    BmpExportCaption, // "BMP 图片导出选项"
    JpegExportCaption, // "Jpeg 图片导出选项"
    MetafileExportCaption, // "Metafile导出选项"
    ScaleLabel, // "缩放比例:"
    KillEmptyLines, // "压缩空行(&K)"
    ConvertToDos, // "转换到DOS(&D)"
    ExportFrames, // "导出框线"
    UsePseudographic, // "使用DOS伪图形(&p)"
    PageBreaks, // "插入页分隔(&b)"
    CsvDelimiter, // "&CSV 分隔"
    Monochrome, // "单色"
    PixelFormatLabel, // "分辨率:"
    Grayscale, // "灰度"
    ProgressiveEncoding, // "显示编码进度"
    QualityLabel, // "质量"
    QualityHint, // "1 = 最大压缩, 100 = 最高质量"
    OkButton, // "确认" (the options dialogs' OK button)
    XlsExportCaption, // "XLS 导出选项" (caption of the spreadsheet export's options dialog)
    PageRangeGroup, // "页范围"
    AllPages, // "全部(&A)"
    CurrentPageOnly, // "当前页(&g)"
    PagesLabel, // "页(&P):"
    PagesHint, // "输入页号或页范围,逗号分隔.例如: 1,3,5-12"
    OptionsGroup, // "选项"
    ShowExcelAfterExport, // "导出完成后显示Excel"
    ShowExportProgress, // "显示导出过程"
    MultiSheet, // "多工作表"
    ExportImages, // "导出图片(&p)"
    ImageFormatLabel, // "图片格式"
    PrinterChangeError, // "所选打印机错误"
    NoPrinter,          // "没有安装打印机" (a print with only the virtual printer)
    VirtualCannotPrint, // "虚拟打印机不能打印"
    WarningCaption,     // "警告"
    MarginsOutside,     // the page setup's offer to move margins into the printable area
    // The print dialog and the page setup dialog.
    PrintCaption, // "打印"
    PrinterGroup, // "打印机"
    PrinterProperties, // "属性"
    NoBackground, // "不打印背景图"
    TypeLabel, // "类型:"
    WhereLabel, // "位置:"
    CommentLabel, // "备注:"
    StatusLabel, // "状态:"
    StatusPrinting, // "打印"
    StatusIdle, // "空闲"
    StatusPaused, // "暂停"
    StatusBusy, // "正在打印"
    JobsWaiting, // "有%d篇文档正在等待打印"
    PagesGroup, // "页码范围"
    CurrentPage, // "当前页(&g)"
    SomePages, // "页(&P):"
    CopiesGroup, // "副本"
    CopiesLabel, // "份数:"
    Collate, // "逐份打印"
    PrintLabel, // "打印:"
    AllSheets, // "全部页"
    OddPages, // "奇数页"
    EvenPages, // "偶数页"
    ScaleGroup, // "缩放"
    ScalePercent, // "缩放比例(%):"
    ScaleToPaper, // "按纸型缩放:"
    NoScaling, // "无缩放"
    OffsetGroup, // "打印偏移"
    OffsetTop, // "上(厘米):"
    OffsetLeft, // "左(厘米):"
    PageSetupCaption, // "页面设置"
    PaperTab, // "纸张类型(&S)"
    SourceTab, // "纸张来源(&P)"
    MarginsTab, // "页边距(&M)"
    OtherTab, // "其它"
    PrinterLabel, // "打印机:"
    TitleLabel, // "标题:"
    OrientationGroup, // "打印方向"
    Portrait, // "纵向(&P)"
    Landscape, // "横向(&L)"
    SizeLabel, // "大小:"
    WidthLabel, // "宽度(厘米):"
    HeightLabel, // "高度(厘米):"
    UnlimitedHeight, // "不限制高度"
    SourceLabel, // "纸张来源:"
    MarginLeft, // "左(厘米):"
    MarginTop, // "上(厘米):"
    MarginRight, // "右(厘米):"
    MarginBottom, // "下(厘米):"
    PrintToPrevPage, // "打印到前一页(&P)"
    DoublePass, // "两遍报表(&T)"
    PrintBackColor, // "打印时打印背景颜色"
    ColumnsGroup, // "分栏"
    ColCount, // "栏数(&N):"
    ColGap, // "栏间隔(厘米):"
    PreviewGroup, // "预览"
    PDFOptions,        // "PDF 导出选项" (caption of the PDF export's options dialog)
    RTFOptions,        // "RTF 导出选项"
    CompressionLabel,  // "压缩率:"
    CompressNone,      // "不压缩"
    CompressFastest,   // "最快"
    CompressNormal,    // "一般"
    CompressMax,       // "最大"
    SearchableText,    // "可搜索的文字层" (the PDF export's invisible text layer)
    TruncatedStream, // a report stream that ends before its closing dictionary section
    Count
};

const AnsiString& VNText(TVNText id);
