// The standard function library, the library registry, the report's own functions and the
// named constants.
#include "VNStdFunctions.h"

#include "VNChineseNumber.h"
#include "platform/Format.h"
#include "platform/Locale.h"
#include "platform/MessageService.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace {

AnsiString ArgText(const TVNArguments& args, std::size_t n) {
    return n < args.size() ? args[n].AsString() : AnsiString();
}
Value Eval(TVNParser& parser, const TVNArguments& args, std::size_t n) {
    return parser.Evaluate(ArgText(args, n));
}

bool IsBlankArgument(const Value& v) {
    return v.IsEmptyOrNull() || (v.IsString() && v.AsString().empty());
}

// Longest text StringOfChar builds; a larger count is an input error, not a reason to exhaust memory.
constexpr std::int64_t MaxStringOfChar = 1 << 20;

std::vector<AnsiString> CommandLine() {
    std::vector<AnsiString> out;
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\0', start);
        if (end == std::string::npos) end = all.size();
        out.push_back(Utf8ToAnsi(all.substr(start, end - start)));
        start = end + 1;
    }
    return out;
}

struct TRegistry {
    struct TEntry {
        std::type_index Type;
        std::unique_ptr<TVNFunctionLibrary> Library;
    };
    std::vector<TEntry> Entries;
};

TRegistry& Registry() {
    static TRegistry registry = [] {
        TRegistry r;
        r.Entries.push_back({typeid(TVNStdFunctionLibrary), std::make_unique<TVNStdFunctionLibrary>()});
        return r;
    }();
    return registry;
}

} // namespace

namespace VNCategory {
const AnsiString& Aggregate() {
    return CP936("统计");
}
const AnsiString& DateTime() {
    return CP936("日期/时间");
}
const AnsiString& String() {
    return CP936("字符串");
}
const AnsiString& Other() {
    return CP936("其它");
}
const AnsiString& Math() {
    return CP936("数学");
}
const AnsiString& Logical() {
    return CP936("逻辑");
}
const AnsiString& Interpreter() {
    return CP936("解释器");
}
} // namespace VNCategory

// ---------------------------------------------------------------------------------------------
// Libraries and the registry

bool TVNFunctionLibrary::OnFunction(const AnsiString& name, const TVNArguments& args, Value& result,
                                    TVNParser& parser) {
    for (std::size_t i = 0; i < FunctionNames.size(); ++i)
        if (SameText(FunctionNames[i], name)) {
            DoFunction(static_cast<int>(i), args, result, parser);
            return true;
        }
    return false;
}

void TVNFunctionLibrary::AddDescription(const char* name, const AnsiString& category,
                                        const char* descriptionUtf8, const char* paramKinds) {
    FunctionDescriptions.push_back({name, category, Utf8ToAnsi(descriptionUtf8), paramKinds});
}

void VNLibraryRegistry::Add(std::type_index type, std::unique_ptr<TVNFunctionLibrary> (*make)()) {
    auto& entries = Registry().Entries;
    for (const auto& e : entries)
        if (e.Type == type) return;
    entries.push_back({type, make()});
}

void VNLibraryRegistry::Remove(std::type_index type) {
    auto& entries = Registry().Entries;
    entries.erase(
        std::remove_if(entries.begin(), entries.end(), [&](const auto& e) { return e.Type == type; }),
        entries.end());
}

int FunctionLibraryCount() {
    return static_cast<int>(Registry().Entries.size());
}

TVNFunctionLibrary* FunctionLibraryAt(int index) {
    auto& entries = Registry().Entries;
    if (index < 0 || index >= static_cast<int>(entries.size())) return nullptr;
    return entries[index].Library.get();
}

bool CallLibraryFunction(const AnsiString& name, const TVNArguments& args, Value& result, TVNParser& parser) {
    // Indexes, not iterators: a library may register another one while it runs.
    for (int i = 0; i < FunctionLibraryCount(); ++i)
        if (FunctionLibraryAt(i)->OnFunction(name, args, result, parser)) return true;
    return false;
}

TVNStdLibraryHooks& StdLibraryHooks() {
    static TVNStdLibraryHooks hooks;
    return hooks;
}

// ---------------------------------------------------------------------------------------------
// The standard library

namespace {

// One function of the standard library: its name as the library lists it, and what computes it
// (given that name, the argument texts and the parser to evaluate them with).
struct TStdFunctionEntry {
    const char* Name;
    void (*Compute)(const AnsiString& name, const TVNArguments& args, Value& result, TVNParser& parser);
};

// AVG, COUNT, MAX, MIN and SUM belong to the band engine; without it they give the empty string.
void Aggregate(const AnsiString& name, const TVNArguments& args, Value& result, TVNParser&) {
    result = Value::String("");
    if (StdLibraryHooks().Aggregate) StdLibraryHooks().Aggregate(UpperCase(name), args, result);
}

AnsiString EnglishMonth(const TVNArguments& args, TVNParser& parser) {
    static const char* const monthsLong[12] = {"January",   "February", "March",    "April",
                                               "May",       "June",     "July",     "August",
                                               "September", "October",  "November", "December"};
    std::int64_t m = Eval(parser, args, 0).AsInteger();
    return m >= 1 && m <= 12 ? monthsLong[m - 1] : "";
}

// The position in this table is the index DoFunction gets (the library's FunctionNames are made
// from it), so the two cannot disagree.
const TStdFunctionEntry StdFunctions[] = {
    {"AVG", Aggregate},
    {"COUNT", Aggregate},
    {"MAX", Aggregate},
    {"MIN", Aggregate},
    {"SUM", Aggregate},
    {"STRTOFLOAT",
     [](const AnsiString&, const TVNArguments& args, Value& result, TVNParser& parser) {
         Value v = Eval(parser, args, 0);
         result = IsBlankArgument(v) ? Value::Byte(0) : Value::Float(StrToFloat(v.AsString()));
     }},
    {"PARAMSTR",
     [](const AnsiString&, const TVNArguments& args, Value& result, TVNParser& parser) {
         std::int64_t n = Eval(parser, args, 0).AsInteger();
         std::vector<AnsiString> cmd = CommandLine();
         result = Value::String(n >= 0 && n < static_cast<std::int64_t>(cmd.size()) ? cmd[n] : AnsiString());
     }},
    {"EXTRACTFILEPATH",
     [](const AnsiString&, const TVNArguments& args, Value& result, TVNParser& parser) {
         AnsiString path = Eval(parser, args, 0).AsString();
         std::size_t cut = path.find_last_of("\\/:");
         result = Value::String(cut == AnsiString::npos ? AnsiString() : path.substr(0, cut + 1));
     }},
    {"StringOfChar",
     [](const AnsiString&, const TVNArguments& args, Value& result, TVNParser& parser) {
         AnsiString ch = Eval(parser, args, 0).AsString();
         std::int64_t count = std::clamp<std::int64_t>(Eval(parser, args, 1).AsInteger(), 0, MaxStringOfChar);
         result =
             Value::String(ch.empty() ? AnsiString() : AnsiString(static_cast<std::size_t>(count), ch[0]));
     }},
    {"MonthToEnglishShort",
     [](const AnsiString&, const TVNArguments& args, Value& result, TVNParser& parser) {
         result = Value::String(EnglishMonth(args, parser).substr(0, 3));
     }},
    {"MonthToEnglishLong",
     [](const AnsiString&, const TVNArguments& args, Value& result, TVNParser& parser) {
         result = Value::String(EnglishMonth(args, parser));
     }},
    {"SinglNumToBig",
     [](const AnsiString&, const TVNArguments& args, Value& result, TVNParser& parser) {
         result = Value::String(DigitToChineseCapital(Eval(parser, args, 0).AsFloat(),
                                                      static_cast<int>(Eval(parser, args, 1).AsInteger())));
     }},
    {"SmallToBig",
     [](const AnsiString&, const TVNArguments& args, Value& result, TVNParser& parser) {
         result = Value::String(DigitsToChineseCapitals(Eval(parser, args, 0).AsString()));
     }},
    {"CurrToBigNum",
     [](const AnsiString&, const TVNArguments& args, Value& result, TVNParser& parser) {
         result = Value::String(AmountToChineseCapitals(Eval(parser, args, 0).AsCurrencyRaw()));
     }},
    {"VNRound",
     [](const AnsiString&, const TVNArguments& args, Value& result, TVNParser& parser) {
         double x = Eval(parser, args, 0).AsFloat();
         std::int64_t decimals = std::clamp<std::int64_t>(Eval(parser, args, 1).AsInteger(), 0, 18);
         AnsiString text = FormatFloat("#." + AnsiString(static_cast<std::size_t>(decimals), '0'), x);
         // "#." prints nothing for a value that rounds to zero: that is 0, not a conversion error.
         result = Value::Float(Trim(text).empty() ? 0.0 : StrToFloat(text));
     }},
    {"STRTOINT",
     [](const AnsiString&, const TVNArguments& args, Value& result, TVNParser& parser) {
         Value v = Eval(parser, args, 0);
         result = IsBlankArgument(v) ? Value::Byte(0) : Value::Integer(StrToInt64(Trim(v.AsString())));
     }},
    {"ABS",
     [](const AnsiString&, const TVNArguments& args, Value& result, TVNParser& parser) {
         result = Value::Float(std::fabs(Eval(parser, args, 0).AsFloat()));
     }},
    {"GETCONTROLPROPVALUE",
     [](const AnsiString&, const TVNArguments& args, Value& result, TVNParser& parser) {
         result = Value::Integer(0);
         if (StdLibraryHooks().ControlProperty)
             result = StdLibraryHooks().ControlProperty(Eval(parser, args, 0).AsString(),
                                                        Eval(parser, args, 1).AsString());
     }},
};

} // namespace

TVNStdFunctionLibrary::TVNStdFunctionLibrary() {
    for (const TStdFunctionEntry& f : StdFunctions)
        FunctionNames.push_back(f.Name);
    using namespace VNCategory;
    AddDescription("Copy", String(), "Copy(<String>, <From>, <Count>)|返回<string>的子串.", "SNN");
    AddDescription("FormatDateTime", String(),
                   "FormatDateTime(<Fmt>, <DateTime>)|按<Fmt>转换 <DateTime> 值为字符串.", "SE");
    AddDescription("FormatFloat", String(), "FormatFloat(<Fmt>, <Numeric>)|按<Fmt>转换<Numeric>值为字符串.",
                   "SV");
    AddDescription("FormatText", String(), "FormatText(<Mask>, <String>)|以<Mask>格式化给定字符串<String>.",
                   "SS");
    AddDescription("Length", String(), "Length(<String>)|返回<String>的长度.", "S");
    AddDescription("LowerCase", String(), "LowerCase(<String>)|转换<String>为小写.", "S");
    AddDescription("NameCase", String(), "NameCase(<String>)|转换<String>符号为小写\"首字符大写", "S");
    AddDescription("Pos", String(), "Pos(<SubString>, <String>)|返回子字符串在给定字符串中的位置.", "SS");
    AddDescription("Str", String(), "Str(<Value>)|转换数值<Value>为字符串.", "N");
    AddDescription("Trim", String(), "Trim(<String>)|返回去掉<String>前后空格的字符串 ", "S");
    AddDescription("UpperCase", String(), "UpperCase(<String>)|转换<String> 为大写.", "S");
    AddDescription("CNumber", String(), "CNumber(Value)|阿拉伯数字转换为中文数字", "N");
    AddDescription("Dec", Math(), "Dec(<Value>)|递减 <Value>.", "N");
    AddDescription("Div", Math(), "Div(<Value1>, <Value2>)|Integer division of <X> by <Y>", "NN");
    AddDescription("Frac", Math(), "Frac(<Value>)|返回<Value>小数部分.", "N");
    AddDescription("Inc", Math(), "Inc(<Value>)|递增 <Value>.", "N");
    AddDescription("Int", Math(), "Int(<Value>)|返回<Value>整数部分.", "N");
    AddDescription("MaxNum", Math(), "MaxNum(<Value1>, <Value2>)|返回最大值.", "NN");
    AddDescription("MinNum", Math(), "MinNum(<Value1>, <Value2>)|返回最小值.", "NN");
    AddDescription("Mod", Math(), "<Value1> Mod <Value2>|返回模运算.", "");
    AddDescription("Round", Math(), "Round(<Value>)|返回 <Value>取整舍入.", "");
    AddDescription("Date", DateTime(), "DATE|返回当前日期.", "D");
    AddDescription("Day", DateTime(), "Day(<Date>)|返回<Date>的日期数(1..31).", "D");
    AddDescription("Month", DateTime(), "Month(<Date>)|返回<Date>月值(1..12).", "D");
    AddDescription("StrtoDate", DateTime(), "StrToDate(<String>)|转换<String>为日期型.", "S");
    AddDescription("StrtoTime", DateTime(), "StrToTime(<String>)|转换<String>为时间型.", "S");
    AddDescription("Time", DateTime(), "TIME|返回当前时间.", "");
    AddDescription("Year", DateTime(), "Year(<Date>)|返回<Date>年部分.", "D");
    AddDescription(
        "IF", Logical(),
        "If(<Expression>, <Value1>, <Value2>)|如表达式<Expression> 为真，返回 <Value1>; 否则，返回 <Value2>",
        "BVV");
    AddDescription("TRUE", Logical(), "TRUE|逻辑 'TRUE'.", "");
    AddDescription("FALSE", Logical(), "FALSE|逻辑 'FALSE'.", "");
    AddDescription("AND", Logical(), "<Value1> And <Value2>|逻辑 'AND'.", "");
    AddDescription("NOT", Logical(), "Not <Value>|逻辑 'NOT'.", "");
    AddDescription("OR", Logical(), "<Value1> Or <Value2>|逻辑 'OR'.", "");
    AddDescription("COLUMN#", Other(), "COLUMN#|返回当前栏目数.", "");
    AddDescription("Input", Other(),
                   "Input(<Caption> [,Default])|显示带编辑的对话框，标题为 <Caption>. "
                   "如设置了[Default],则把该值放入编辑框里. 当用户按[确认]按钮，则返回输入字符串.",
                   "SS");
    AddDescription("LINE#", Other(), "LINE#|返回数据行数(从分组起始位置起).", "");
    AddDescription("LINETHROUGH#", Other(), "LINETHROUGH#|返回数据行数(从报表起始位置起).", "");
    AddDescription("MessageBox", Other(),
                   "MessageBox(<Text>, <Title>, <Buttons>)|显示以<Text>,<Title>标准对话框,按钮<Buttons>.",
                   "SSS");
    AddDescription("PAGE#", Other(), "PAGE#|返回当前页数.", "");
    AddDescription("TOTALPAGES", Other(), "TOTALPAGES|报表总页数.", "");
    AddDescription("Cury", Interpreter(), "CurY|返回当前Band显示的'Y'向(象素)坐标 ", "");
    AddDescription("FinalPass", Interpreter(), "FinalPass|若是最后扫描返回True.", "");
    AddDescription("FreeSpace", Interpreter(), "FreeSpace|返回剩余页面空象素.", "");
    AddDescription("ModalResult", Interpreter(), "ModalResult|赋非零值导致关闭对话框.", "");
    AddDescription("mrCancel", Interpreter(), "mrCancel|对话框常量.", "");
    AddDescription("mrOK", Interpreter(), "mrOK|对话框常量.", "");
    AddDescription("NewColumn", Interpreter(), "NewColumn|开始新栏目.", "");
    AddDescription("NewPage", Interpreter(), "NewPage|开始新页.", "");
    AddDescription("PageHeight", Interpreter(), "PageHeight|页高度象素.", "");
    AddDescription("PageWidth", Interpreter(), "PageWidth|页宽度象素.", "");
    AddDescription("Progress", Interpreter(), "Progress|显示在进程窗口的进程值.", "");
    AddDescription("ShowBand", Interpreter(), "ShowBand(<BandName>)|显示<BandName>.", "");
    AddDescription("StopReport", Interpreter(), "StopReport|停止报表处理.", "");
    AddDescription("Avg", Aggregate(),
                   "AVG(<Expression> [,BandName [,1]])|计算给定行的[BandName]上 <Expression>的平均值. "
                   "如果用[1]参数,则计算亦包含非可见行的.",
                   "NSN");
    AddDescription("Count", Aggregate(), "Count(<BandName>)|返回给定<BandName>上的数据行数. ", "S");
    AddDescription("Max", Aggregate(),
                   "MAX(<Expression> [,BandName [,1]])|计算[BandName]上<Expression>最大值. "
                   "若使用[1]参数,则计算包括非可见行.",
                   "NSN");
    AddDescription("Min", Aggregate(),
                   "MIN(<Expression> [,BandName [,1]])|计算[BandName]上<Expression>最小值. "
                   "若使用[1]参数,则计算包括非可见行.",
                   "NSN");
    AddDescription("Sum", Aggregate(),
                   "SUM(<Expression> [,BandName [,1]])|计算[BandName]上<Expression>的和. "
                   "若使用[1]参数,则计算包括非可见行.",
                   "NSN");
    AddDescription("StrToFloat", Math(), "", "S");
    AddDescription("ParamStr", String(),
                   "ParamStr(<Index>)|Returns the command-line argument of that number, 0 the program.", "S");
    AddDescription("ExtractFilePath", String(),
                   "ExtractFilePath(<FileName>)|Returns the drive and folder part of a file name.", "S");
    AddDescription("StringOfChar", String(),
                   "StringOfChar(<Char>, <Count>)|Returns a text of <Count> copies of <Char>.", "SN");
    AddDescription("MonthtoEnglishShort", DateTime(), "MonthtoEnglishShort|Return English Short Month Name",
                   "N");
    AddDescription("MonthtoEnglishLong", DateTime(), "MonthtoEnglishLong|Return English Long Month Name",
                   "N");
    AddDescription("SinglNumToBig", String(), "SinglNumToBig|", "NN");
    AddDescription("SmallToBig", String(), "SmallToBig|", "N");
    AddDescription("CurrToBigNum", String(), "CurrToBigNum(Value)|数字转换为人民币大写", "N");
    AddDescription("VNRound", Math(), "VNRound(<Value1>, <Value2>)|四舍五入", "NN");
    AddDescription("StrToInt", Math(), "StrToInt(<String>)|Converts a text to an integer.", "S");
    AddDescription("Abs", Math(), "Abs(<Value>)|Returns the absolute value.", "N");
    AddDescription("GetControlPropValue", Other(), "GetControlPropValue|", "SS");
}

void TVNStdFunctionLibrary::DoFunction(int index, const TVNArguments& args, Value& result,
                                       TVNParser& parser) {
    if (index < 0 || index >= static_cast<int>(std::size(StdFunctions))) return;
    StdFunctions[index].Compute(FunctionNames[index], args, result, parser);
}

// ---------------------------------------------------------------------------------------------
// The report's own functions

namespace {

TMsgButtons ButtonsOf(std::int64_t type) {
    switch (type & 0x0F) {
    case 1:
        return TMsgButtons::OKCancel;
    case 3:
        return TMsgButtons::YesNoCancel;
    case 4:
        return TMsgButtons::YesNo;
    default:
        return TMsgButtons::OK;
    }
}

TMsgIcon IconOf(std::int64_t type) {
    switch (type & 0xF0) {
    case 0x10:
        return TMsgIcon::Error;
    case 0x20:
        return TMsgIcon::Question;
    case 0x30:
        return TMsgIcon::Warning;
    case 0x40:
        return TMsgIcon::Information;
    default:
        return TMsgIcon::None;
    }
}

int ModalResultOf(TMsgResult r) {
    switch (r) {
    case TMsgResult::OK:
        return 1;
    case TMsgResult::Cancel:
        return 2;
    case TMsgResult::Yes:
        return 6;
    case TMsgResult::No:
        return 7;
    default:
        return 0;
    }
}

} // namespace

bool CallReportOwnFunction(const AnsiString& name, const TVNArguments& args, Value& result,
                           TVNParser& parser) {
    auto text = [&](std::size_t n) { return Eval(parser, args, n).AsString(); };
    if (name == "FORMATDATETIME") {
        Value fmt = Eval(parser, args, 0), dt = Eval(parser, args, 1);
        result = Value::String(fmt.IsNull() || dt.IsNull() ? AnsiString()
                                                           : FormatDateTime(fmt.AsString(), dt.AsDateTime()));
    } else if (name == "FORMATFLOAT") {
        AnsiString fmt = text(0);
        result = Value::String(FormatFloat(fmt, Eval(parser, args, 1).AsFloat()));
    } else if (name == "FORMATTEXT") {
        AnsiString mask = text(0) + ";0; ";
        result = Value::String(FormatMaskText(mask, text(1)));
    } else if (name == "LENGTH") {
        result = Value::Integer(static_cast<std::int64_t>(text(0).size()));
    } else if (name == "LOWERCASE") {
        result = Value::String(LowerCase(text(0)));
    } else if (name == "UPPERCASE") {
        result = Value::String(UpperCase(text(0)));
    } else if (name == "NAMECASE") {
        AnsiString s = text(0);
        if (!s.empty() && !IsLeadByte(static_cast<unsigned char>(s[0]))) s[0] = UpperCase(s.substr(0, 1))[0];
        result = Value::String(s);
    } else if (name == "POS") {
        AnsiString sub = text(0), s = text(1);
        std::size_t at = sub.empty() ? AnsiString::npos : s.find(sub);
        result = Value::Integer(at == AnsiString::npos ? 0 : static_cast<std::int64_t>(at) + 1);
    } else if (name == "TRIM") {
        result = Value::String(Trim(text(0)));
    } else if (name == "DIV") {
        std::int64_t a = Eval(parser, args, 0).AsInteger(), b = Eval(parser, args, 1).AsInteger();
        if (b == 0) throw EConvertError("Division by zero");
        if (b == -1)
            result = Value::Integer(a == INT64_MIN ? a : -a);
        else
            result = Value::Integer(a / b);
    } else if (name == "MAXNUM" || name == "MINNUM") {
        Value a = Eval(parser, args, 0), b = Eval(parser, args, 1);
        int cmp = VarCompare(a, b);
        bool first = name == "MAXNUM" ? cmp >= 0 : cmp <= 0;
        result = first ? a : b;
    } else if (name == "DAY" || name == "MONTH" || name == "YEAR") {
        Value v = Eval(parser, args, 0);
        if (v.IsNull()) {
            result = Value::Null();
        } else {
            int y = 0, m = 0, d = 0;
            DecodeDate(v.AsDateTime(), y, m, d);
            result = Value::Integer(name == "DAY" ? d : name == "MONTH" ? m : y);
        }
    } else if (name == "INPUT") {
        AnsiString prompt = text(0), def = text(1);
        auto typed = Messages().InputBox(AnsiString(), prompt, def);
        result = Value::String(typed ? *typed : def);
    } else if (name == "MESSAGEBOX") {
        AnsiString msg = text(0), title = text(1);
        std::int64_t type = Eval(parser, args, 2).AsInteger();
        result =
            Value::Integer(ModalResultOf(Messages().ShowMessage(msg, title, IconOf(type), ButtonsOf(type))));
    } else {
        return false;
    }
    return true;
}

void ShowMessageFunction(const TVNArguments& args, TVNParser& parser) {
    AnsiString msg = Eval(parser, args, 0).AsString();
    Messages().ShowMessage(msg, AnsiString(), TMsgIcon::None, TMsgButtons::OK);
}

AnsiString ArrayElementName(std::string_view arrayName, const Value& index) {
    AnsiString indexText = index.IsString() ? index.AsString() : IntToStr(index.AsInteger());
    return "Arr_" + AnsiString(arrayName) + "_" + indexText;
}

bool CallArrayFunction(const AnsiString& name, const TVNArguments& args, Value& result, TVNParser& parser,
                       TVNVariables& reportVariables) {
    if (name != "SETARRAY" && name != "GETARRAY") return false;
    AnsiString array = Trim(ArgText(args, 0));
    if (array.find('.') != AnsiString::npos) return false; // a view's indexed property
    AnsiString element = ArrayElementName(array, Eval(parser, args, 1));
    if (name == "SETARRAY") {
        reportVariables.SetVariable(element, Eval(parser, args, 2));
    } else {
        const Value* v = reportVariables.Find(element);
        result = v ? *v : Value::Null();
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Constants

const TVNVariables& VNConstants() {
    static const TVNVariables constants = [] {
        TVNVariables c;
        c.SetSorted(true);
        const struct {
            const char* Name;
            std::int64_t Value;
        } table[] = {
            {"clWhite", 0x00FFFFFF},
            {"clBlack", 0},
            {"clMaroon", 0x80},
            {"clGreen", 0x8000},
            {"clOlive", 0x8080},
            {"clNavy", 0x800000},
            {"clPurple", 0x800080},
            {"clTeal", 0x808000},
            {"clGray", 0x808080},
            {"clSilver", 0xC0C0C0},
            {"clRed", 0xFF},
            {"clLime", 0xFF00},
            {"clYellow", 0xFFFF},
            {"clBlue", 0xFF0000},
            {"clFuchsia", 0xFF00FF},
            {"clAqua", 0xFFFF00},
            {"clTransparent", 0x1FFFFFFF},
            {"vntaLeftJustify", 0},
            {"vntaRightJustify", 1},
            {"vntaCenterJustify", 2},
            {"vntaEuqalJustify", 3},
            {"vntlTop", 0},
            {"vntlCenter", 1},
            {"vntlBottom", 2},
            {"mrNone", 0},
            {"mrOk", 1},
            {"mrCancel", 2},
            {"mrYes", 6},
            {"mrNo", 7},
            {"fsBold", 2},
            {"fsItalic", 1},
            {"fsUnderline", 4},
            {"VNftNone", 0},
            {"VNftRight", 1},
            {"VNftBottom", 2},
            {"VNftLeft", 4},
            {"VNftTop", 8},
            {"VNtaLeft", 0},
            {"VNtaRight", 1},
            {"VNtaCenter", 2},
            {"VNtaVertical", 4},
            {"VNtaMiddle", 8},
            {"VNtaDown", 16},
            {"baNone", 0},
            {"baLeft", 1},
            {"baRight", 2},
            {"baCenter", 3},
            {"baWidth", 4},
            {"baBottom", 5},
            {"psSolid", 0},
            {"psDash", 1},
            {"psDot", 2},
            {"psDashDot", 3},
            {"psDashDotDot", 4},
            {"psDouble", 7},
            {"rbFirst", 0},
            {"rbCurrent", 1},
            {"rbDefault", 2},
            {"reLast", 0},
            {"reCurrent", 1},
            {"reCount", 2},
            {"reDefault", 3},
            {"mb_Ok", 0},
            {"mb_OkCancel", 1},
            {"mb_YesNo", 4},
            {"mb_YesNoCancel", 3},
            {"mb_IconError", 16},
            {"mb_IconQuestion", 32},
            {"mb_IconInformation", 64},
            {"mb_IconWarning", 48},
        };
        for (const auto& t : table)
            c.SetVariable(t.Name, Value::Integer(t.Value));
        static const char* const systemColours[] = {
            "clScrollBar",    "clBackground",  "clActiveCaption", "clInactiveCaption",
            "clMenu",         "clWindow",      "clWindowFrame",   "clMenuText",
            "clWindowText",   "clCaptionText", "clActiveBorder",  "clInactiveBorder",
            "clAppWorkSpace", "clHighlight",   "clHighlightText", "clBtnFace",
            "clBtnShadow",    "clGrayText",    "clBtnText",       "clInactiveCaptionText",
            "clBtnHighlight", "cl3DDkShadow",  "cl3DLight",       "clInfoText",
            "clInfoBk"};
        std::int64_t code = 0x80000000LL;
        for (const char* n : systemColours)
            c.SetVariable(n, Value::Integer(code++));
        c.SetVariable("CRLF", Value::String("\r\n"));
        c.SetVariable("Null", Value::Null());
        return c;
    }();
    return constants;
}
