// The system parameter items of the working context: one table row per item in evaluation order,
// with the key, the field it fills and what a missing row means. The few items with a rule of
// their own (chain code, goods accounting method, quantity precision, receipt confirmation, the
// store price pair) are marked and handled next to the table.
#include "WorkContext.h"

#include "SharedRoutines.h"

#include <algorithm>

namespace {

enum class TParamType : std::uint8_t { Text, Integer, Flag };

enum class TRule : std::uint8_t {
    Required,     // missing: the error text
    Default,      // missing: the default
    BlankDefault, // missing, empty or blank: the default (integers only)
    ChainCode,    // required only for unit types "01", "02" and "11", else empty
    Accounting,   // unit type "00": 1 when missing, else required
    Precision,    // an integer n becomes "0." and n zeros
    Confirmation, // anything but "1" becomes "0"
    StorePrices,  // the pair mdzdysj / mdzdyjj
};

struct TParamItem {
    int Item;
    const char* Key;
    TParamType Type;
    TRule Rule;
    const char* Text; // the error text (UTF-8) or the default
    AnsiString TWorkContext::*TextField = nullptr;
    std::int32_t TWorkContext::*IntField = nullptr;
    bool TWorkContext::*FlagField = nullptr;
};

using W = TWorkContext;
using P = TParamType;
using R = TRule;

constexpr TParamItem T(int item, const char* key, R rule, const char* text, AnsiString W::*field) {
    return {item, key, P::Text, rule, text, field, nullptr, nullptr};
}
constexpr TParamItem I(int item, const char* key, R rule, const char* text, std::int32_t W::*field) {
    return {item, key, P::Integer, rule, text, nullptr, field, nullptr};
}
constexpr TParamItem F(int item, const char* key, R rule, const char* text, bool W::*field) {
    return {item, key, P::Flag, rule, text, nullptr, nullptr, field};
}

const TParamItem ParamItems[] = {
    T(12, "dwlx", R::Required, "没有可利用的单位类型！", &W::dwlx),
    T(0, "qyny", R::Required, "没有可利用的启用年月！", &W::qyny),
    T(37, "rqssj", R::Required, "取得日起始时间时出错！", &W::rqssj),
    T(13, "dybm", R::ChainCode, "没有可利用的连锁编码及前台销售柜组编码！", &W::dybm),
    T(5, "dwmc", R::Required, "没有可利用的单位名称！", &W::dwmc),
    T(72, "ysjscdjdbm", R::Required, "没有可利用的验收价生成定价单部门！", &W::ysjscdjdbm),
    T(69, "sjkbbh", R::Required, "没有可利用的数据库版本号！", &W::sjkbbh),
    T(68, "hykls", R::Required, "没有可利用的会员卡连锁！", &W::hykls),
    T(74, "djfgfs", R::Default, "0", &W::djfgfs),
    T(11, "ysqr", R::Confirmation, "没有可利用的验收确认！", &W::ysqr),
    T(6, "sh", R::Required, "没有可利用的税号！", &W::sh),
    T(7, "dz", R::Required, "没有可利用的单位地址！", &W::dz),
    I(18, "fgckjb", R::Required, "没有可利用的分割仓库级别！", &W::fgckjb),
    I(19, "sphsfs", R::Accounting, "没有可利用的商品核算方式！", &W::sphsfs),
    I(59, "jsxtfs", R::Required, "没有可利用的结算系统方式！", &W::jsxtfs),
    T(60, "pslssj", R::Default, "0", &W::pslssj),
    I(20, "jjcbhsff", R::Required, "没有可利用的进价成本核算方法！", &W::jjcbhsff),
    I(21, "sjcbhsff", R::Required, "没有可利用的售价成本核算方法！", &W::sjcbhsff),
    I(75, "psxzsl", R::BlankDefault, "100000", &W::psxzsl),
    I(76, "xsxzsl", R::BlankDefault, "100000", &W::xsxzsl),
    I(77, "jhxzsl", R::BlankDefault, "100000", &W::jhxzsl),
    I(22, "cbjzfs", R::Required, "没有可利用的成本结转方式！", &W::cbjzfs),
    T(8, "lxdh", R::Required, "没有可利用的联系电话！", &W::lxdh),
    T(9, "khh", R::Required, "没有可利用的开户行！", &W::khh),
    T(10, "zh", R::Required, "没有可利用的账号！", &W::zh),
    T(14, "sljd", R::Precision, "没有可利用的数量精度！", &W::sljd),
    F(16, "jjkz", R::Default, "0", &W::jjkz),
    F(15, "lskz", R::Required, "没有可利用的连锁控制！", &W::lskz),
    F(71, "kpyxcfsp", R::Default, "1", &W::kpyxcfsp),
    T(30, "cpzkspyzbkz", R::Default, "0", &W::cpzkspyzbkz),
    T(38, "jzscltjbc", R::Default, "0", &W::jzscltjbc),
    T(39, "jzsclyxjjsxzpzdp", R::Default, "0", &W::jzsclyxjjsxzpzdp),
    F(70, "psysjscdjd", R::Required, "没有可利用的配送验收价生成定价单！", &W::psysjscdjd),
    F(17, "cskz", R::Required, "没有可利用的厂商控制！", &W::cskz),
    F(24, "zrrkz", R::Required, "没有可利用的责任人控制！", &W::zrrkz),
    I(25, "dddyhs", R::Required, "没有可利用的订货单打印行数！", &W::dddyhs),
    I(73, "spfzflx", R::BlankDefault, "0", &W::spfzflx),
    I(26, "brddyhs", R::Required, "没有可利用的拨入单打印行数！", &W::brddyhs),
    T(27, "brdhscfs", R::Required, "没有可利用的拨入单号生成方式！", &W::brdhscfs),
    T(78, "dddysjj", R::Default, "0", &W::dddysjj),
    T(48, "psdahsfg", R::Default, "1", &W::psdahsfg),
    T(49, "ysdahsfg", R::Default, "1", &W::ysdahsfg),
    T(50, "xsdahsfg", R::Default, "1", &W::xsdahsfg),
    I(28, "bcddyhs", R::Required, "没有可利用的拨出单打印行数！", &W::bcddyhs),
    I(58, "tjddyhs", R::Required, "没有可利用的调价单打印行数！", &W::tjddyhs),
    T(29, "bcdhscfs", R::Required, "没有可利用的拨出单号生成方式！", &W::bcdhscfs),
    I(35, "sgddyhs", R::Required, "没有可利用的上柜（直配）单打印行数！", &W::sgddyhs),
    T(36, "sgdhscfs", R::Required, "没有可利用的上柜（直配）单号生成方式！", &W::sgdhscfs),
    I(42, "ykddyhs", R::Required, "没有可利用的移库单打印行数！", &W::ykddyhs),
    T(43, "ykdhscfs", R::Required, "没有可利用的移库单号生成方式！", &W::ykdhscfs),
    I(31, "dbddyhs", R::Required, "没有可利用的调拨单打印行数！", &W::dbddyhs),
    T(32, "dbdhscfs", R::Required, "没有可利用的调拨单号生成方式！", &W::dbdhscfs),
    I(33, "jgddyhs", R::Required, "没有可利用的加工单打印行数！", &W::jgddyhs),
    T(34, "jgdhscfs", R::Required, "没有可利用的加工单号生成方式！", &W::jgdhscfs),
    I(40, "tbddyhs", R::Required, "没有可利用的退补单打印行数！", &W::tbddyhs),
    T(41, "tbdhscfs", R::Required, "没有可利用的退补单号生成方式！", &W::tbdhscfs),
    I(44, "syddyhs", R::Required, "没有可利用的损溢单打印行数！", &W::syddyhs),
    T(45, "sydhscfs", R::Required, "没有可利用的损溢单号生成方式！", &W::sydhscfs),
    I(46, "ysddyhs", R::Required, "没有可利用的验收单打印行数！", &W::ysddyhs),
    T(47, "ysdhscfs", R::Required, "没有可利用的验收单号生成方式！", &W::ysdhscfs),
    I(52, "pdbdyhs", R::Required, "没有可利用的盘点单打印行数！", &W::pdbdyhs),
    T(51, "pdbhscfs", R::Required, "没有可利用的盘点单号生成方式！", &W::pdbhscfs),
    I(53, "thddyhs", R::Required, "没有可利用的提货单打印行数！", &W::thddyhs),
    I(54, "ptfpdyhs", R::Required, "没有可利用的普通发票打印行数！", &W::ptfpdyhs),
    T(55, "thcpbxxdythqd", R::Required, "没有可利用的退货出票必须先打印退货清单！", &W::thcpbxxdythqd),
    T(56, "zjdyfs", R::Required, "没有可利用的整件打印方式！", &W::zjdyfs),
    T(57, "ddysfs", R::Required, "没有可利用的订单验收方式！", &W::ddysfs),
    T(61, "hsdwh", R::Required, "没有可利用的核算单位号！", &W::hsdwh),
    T(62, "dpckbm", R::Required, "没有可利用的代配仓库编码！", &W::dpckbm),
    T(63, "dpjfs", R::Required, "没有可利用的代配价方式！", &W::dpjfs),
    T(64, "thjjclfs", R::Required, "没有可利用的退货进价处理方式！", &W::thjjclfs),
    I(65, "ddyszzfs", R::Required, "没有可利用的订单验收终止方式！", &W::ddyszzfs),
    I(66, "ddyxrqqy", R::Required, "没有可利用的订单有效日期启用！", &W::ddyxrqqy),
    I(67, "ysfs", R::Required, "没有可利用的验收方式！", &W::ysfs),
    T(79, "khzqqy", R::Required, "没有可利用的客户账期启用！", &W::khzqqy),
    T(80, "zkhwlqy", R::Required, "没有可利用的总客户往来启用！", &W::zkhwlqy),
    I(81, "hykxc", R::BlankDefault, "0", &W::hykxc),
    I(82, "xsfkz", R::Required, "没有可利用的小数分控制！", &W::xsfkz),
    T(83, "kckz", R::Default, "1", &W::kckz),
    T(84, "hyklwms", R::Required, "没有可利用的会员卡联网模式！", &W::hyklwms),
    T(85, "yckqzj", R::Required, "没有可利用的远程卡前置机！", &W::yckqzj),
    F(87, "mdzdysj", R::StorePrices, "0", &W::mdzdysj),
    F(88, "dchy", R::Default, "0", &W::dchy),
    T(89, "xstbqyrq", R::Default, "", &W::xstbqyrq),
};

// Stores a found (or default) value in the item's field, converted to the field's type.
void Store(TWorkContext& context, const TParamItem& p, const AnsiString& value) {
    switch (p.Type) {
    case P::Text:
        context.*p.TextField = value;
        break;
    case P::Integer:
        context.*p.IntField = TextToInt32(value);
        break;
    case P::Flag:
        context.*p.FlagField = value == "1";
        break;
    }
}

} // namespace

bool NeedsSystemParameters(const TItemSet& items) {
    TItemSet others = items;
    others.Exclude(ContextItem::CurrentYearMonth)
        .Exclude(ContextItem::CurrentDate)
        .Exclude(ContextItem::OperatorName);
    return !others.Empty();
}

std::optional<AnsiString> LoadParameterItems(TWorkContext& context, const TItemSet& items,
                                             const TParameterFinder& find) {
    for (const TParamItem& p : ParamItems) {
        if (!items.Contains(p.Item)) continue;
        const std::optional<AnsiString> found = find(p.Key);
        switch (p.Rule) {
        case R::Required:
            if (!found) return Utf8ToAnsi(p.Text);
            Store(context, p, *found);
            break;
        case R::Default:
            Store(context, p, found ? *found : AnsiString(p.Text));
            break;
        case R::BlankDefault:
            Store(context, p, found && !Trim(*found).empty() ? *found : AnsiString(p.Text));
            break;
        case R::ChainCode:
            if (found)
                context.dybm = *found;
            else if (context.dwlx == "01" || context.dwlx == "02" || context.dwlx == "11")
                return Utf8ToAnsi(p.Text);
            else
                context.dybm.clear();
            break;
        case R::Accounting:
            if (found)
                Store(context, p, *found);
            else if (context.dwlx == "00")
                context.sphsfs = 1;
            else
                return Utf8ToAnsi(p.Text);
            break;
        case R::Precision: {
            if (!found) return Utf8ToAnsi(p.Text);
            const std::int32_t n = TextToInt32(*found);
            // More decimals than a double carries mean nothing; the cap keeps a stray value harmless.
            context.sljd = "0." + AnsiString(static_cast<std::size_t>(std::clamp(n, 0, 20)), '0');
            break;
        }
        case R::Confirmation:
            if (!found) return Utf8ToAnsi(p.Text);
            context.ysqr = *found == "1" ? "1" : "0";
            break;
        case R::StorePrices:
            // The store's own purchase price only counts where it may set its own selling price.
            context.mdzdysj = found && *found == "1";
            if (context.mdzdysj) {
                const std::optional<AnsiString> purchase = find("mdzdyjj");
                context.mdzdyjj = purchase && *purchase == "1";
            } else {
                context.mdzdyjj = false;
            }
            break;
        }
    }
    return std::nullopt;
}
