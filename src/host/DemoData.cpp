// Demo data generator (see DemoData.h).
//
// The random source is a fixed 32-bit generator used without standard distributions (whose
// results differ between library versions), so a seed gives the same data everywhere. The stock
// ledger is simulated per warehouse and goods item; the counted quantities of each sheet are
// derived from the simulated book stock at the stocktake date, so most lines agree with the book
// and about a quarter show a small gain or loss.
#include "DemoData.h"

#include "HostSchema.h"
#include "HostText.h"
#include "StocktakeFunctions.h"
#include "StocktakeTemplate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <set>

const char* const StocktakeReportName = "盘点损益表";

namespace {

using TRow = std::vector<Value>;

class TRandom {
public:
    explicit TRandom(std::uint32_t seed) : FGen(seed) {}
    std::uint32_t Next() { return static_cast<std::uint32_t>(FGen()); }
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
    double Unit() { return Next() / 4294967296.0; }
    bool Chance(double p) { return Unit() < p; }
    template <class T> const T& Pick(const std::vector<T>& v) { return v[Below(static_cast<int>(v.size()))]; }

private:
    std::mt19937 FGen;
};

double Round2(double v) {
    return std::round(v * 100) / 100;
}

std::string Pad(long long v, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*lld", width, v);
    return buf;
}

Value S(const std::string& s) {
    return Value::String(s);
}
Value I(long long v) {
    return Value::Integer(v);
}
Value F(double v) {
    return Value::Float(v);
}

// EAN-13 with its check digit.
std::string Ean13(const std::string& twelve) {
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += (twelve[i] - '0') * (i % 2 ? 3 : 1);
    return twelve + static_cast<char>('0' + (10 - sum % 10) % 10);
}

struct TKind {
    const char* Code;
    const char* Name;
    const char* Unit;
    std::vector<const char*> Brands;
    std::vector<const char*> Items;
    std::vector<const char*> Specs;
    double MinPrice, MaxPrice, Tax;
    bool Weighed;
};

const std::vector<std::pair<const char*, const char*>>& Categories() {
    static const std::vector<std::pair<const char*, const char*>> c = {
        {"01", "食品"},     {"02", "饮料酒水"}, {"03", "日化用品"},
        {"04", "家居百货"}, {"05", "生鲜"},     {"06", "文体用品"}};
    return c;
}

const std::vector<TKind>& Kinds() {
    static const std::vector<TKind> k = {
        {"0101",
         "方便食品",
         "袋",
         {"康师傅", "统一", "白象", "今麦郎", "日清", "五谷道场"},
         {"红烧牛肉面", "老坛酸菜牛肉面", "香辣牛肉面", "鲜虾鱼板面", "番茄鸡蛋面", "酸辣粉", "葱香排骨面",
          "藤椒牛肉面"},
         {"105g", "五连包", "桶装120g"},
         2.5,
         15,
         13,
         false},
        {"0102",
         "饼干糕点",
         "盒",
         {"奥利奥", "好丽友", "达利园", "嘉士利", "徐福记", "盼盼", "旺旺"},
         {"夹心饼干", "苏打饼干", "蛋黄派", "法式小面包", "巧克力派", "雪饼", "仙贝", "曲奇", "沙琪玛",
          "威化饼干"},
         {"100g", "200g", "388g", "600g"},
         5,
         35,
         13,
         false},
        {"0103",
         "休闲零食",
         "袋",
         {"三只松鼠", "良品铺子", "洽洽", "百草味", "来伊份", "乐事", "上好佳", "卫龙"},
         {"香瓜子", "每日坚果", "碧根果", "夏威夷果", "开心果", "原味薯片", "黄瓜味薯片", "辣条", "牛肉干",
          "猪肉脯", "芒果干"},
         {"95g", "150g", "200g", "500g"},
         5,
         60,
         13,
         false},
        {"0104",
         "粮油调味",
         "瓶",
         {"金龙鱼", "鲁花", "福临门", "海天", "李锦记", "太太乐", "老干妈", "王守义", "中粮"},
         {"花生油", "调和油", "大米", "生抽", "老抽", "蚝油", "鸡精", "香醋", "辣椒酱", "十三香", "面粉"},
         {"500ml", "1.8L", "5L", "5kg"},
         5,
         120,
         9,
         false},
        {"0105",
         "乳制品",
         "箱",
         {"伊利", "蒙牛", "光明", "三元", "君乐宝", "新希望"},
         {"纯牛奶", "酸奶", "高钙奶", "早餐奶", "低脂奶", "核桃奶", "乳酸菌饮品"},
         {"250ml×12", "250ml×24", "200g", "1L"},
         3,
         80,
         13,
         false},
        {"0106",
         "冷冻食品",
         "袋",
         {"三全", "思念", "湾仔码头", "安井", "正大"},
         {"猪肉白菜水饺", "三鲜水饺", "黑芝麻汤圆", "鱼丸", "手抓饼", "速冻玉米", "香酥鸡块"},
         {"450g", "500g", "1kg"},
         8,
         40,
         13,
         false},
        {"0201",
         "饮用水",
         "瓶",
         {"农夫山泉", "怡宝", "娃哈哈", "百岁山", "冰露", "景田"},
         {"饮用天然水", "纯净水", "矿泉水", "苏打水"},
         {"550ml", "1.5L", "4L", "550ml×24"},
         1,
         45,
         13,
         false},
        {"0202",
         "碳酸饮料",
         "罐",
         {"可口可乐", "百事可乐", "雪碧", "芬达", "七喜", "美年达"},
         {"原味", "零度", "青柠味", "橙味"},
         {"330ml", "500ml", "2L", "330ml×24"},
         2.5,
         60,
         13,
         false},
        {"0203",
         "茶饮果汁",
         "瓶",
         {"康师傅", "统一", "王老吉", "加多宝", "汇源", "美汁源"},
         {"冰红茶", "绿茶", "茉莉清茶", "凉茶", "橙汁", "苹果汁", "酸梅汤", "乌龙茶"},
         {"500ml", "1L", "310ml×24"},
         3,
         70,
         13,
         false},
        {"0204",
         "啤酒",
         "罐",
         {"青岛", "雪花", "燕京", "百威", "哈尔滨", "珠江"},
         {"纯生啤酒", "经典啤酒", "清爽啤酒", "黑啤", "小麦啤"},
         {"330ml", "500ml", "500ml×12"},
         3,
         120,
         13,
         false},
        {"0205",
         "白酒",
         "瓶",
         {"五粮液", "泸州老窖", "洋河", "汾酒", "牛栏山", "红星"},
         {"浓香型白酒", "清香型白酒", "二锅头", "绵柔白酒"},
         {"500ml 42度", "500ml 52度", "100ml"},
         10,
         1200,
         13,
         false},
        {"0301",
         "洗护发",
         "瓶",
         {"海飞丝", "飘柔", "潘婷", "清扬", "沙宣", "霸王"},
         {"去屑洗发露", "柔顺洗发水", "护发素", "滋养洗发乳"},
         {"200ml", "400ml", "750ml"},
         15,
         90,
         13,
         false},
        {"0302",
         "口腔护理",
         "支",
         {"高露洁", "佳洁士", "黑人", "云南白药", "舒适达", "中华"},
         {"美白牙膏", "防蛀牙膏", "软毛牙刷", "漱口水"},
         {"90g", "140g", "180g", "两支装"},
         3,
         45,
         13,
         false},
        {"0303",
         "洗涤用品",
         "瓶",
         {"立白", "蓝月亮", "汰渍", "奥妙", "雕牌", "超能"},
         {"洗衣液", "洗衣粉", "洗洁精", "柔顺剂", "消毒液", "洗衣凝珠"},
         {"500g", "1kg", "2kg", "3kg"},
         6,
         70,
         13,
         false},
        {"0304",
         "纸品",
         "提",
         {"心相印", "清风", "维达", "洁柔", "舒洁", "斑布"},
         {"抽纸", "卷纸", "手帕纸", "湿巾", "厨房用纸"},
         {"3层130抽×6包", "10卷", "10包", "80片"},
         5,
         50,
         13,
         false},
        {"0305",
         "个人护理",
         "瓶",
         {"舒肤佳", "六神", "力士", "多芬", "大宝", "曼秀雷敦"},
         {"香皂", "沐浴露", "花露水", "润肤露", "护手霜", "洗面奶"},
         {"100g", "195ml", "400ml", "720ml"},
         4,
         80,
         13,
         false},
        {"0401",
         "厨房用品",
         "个",
         {"苏泊尔", "双立人", "爱仕达", "乐扣乐扣", "茶花"},
         {"不粘锅", "保鲜盒", "菜刀", "砧板", "饭盒", "保温杯"},
         {"24cm", "28cm", "500ml", "1000ml"},
         10,
         300,
         13,
         false},
        {"0402",
         "日用杂品",
         "个",
         {"茶花", "妙洁", "美丽雅", "天堂", "南孚", "公牛"},
         {"拖把", "垃圾袋", "保鲜膜", "晴雨伞", "五号电池", "插线板", "衣架"},
         {"标准装", "大号", "小号", "家庭装"},
         3,
         120,
         13,
         false},
        {"0501",
         "水果",
         "千克",
         {"烟台", "赣南", "新疆", "海南", "云南", "进口"},
         {"红富士苹果", "脐橙", "香梨", "香蕉", "葡萄", "猕猴桃", "火龙果", "芒果"},
         {"散装", "精品", "礼盒"},
         4,
         60,
         9,
         true},
        {"0502",
         "蔬菜",
         "千克",
         {"本地", "山东", "有机", "精选"},
         {"西红柿", "黄瓜", "土豆", "大白菜", "胡萝卜", "青椒", "西兰花", "菠菜", "洋葱", "生姜"},
         {"散装", "袋装"},
         1,
         30,
         9,
         true},
        {"0503",
         "肉禽蛋",
         "千克",
         {"双汇", "雨润", "金锣", "圣农", "正大", "德青源"},
         {"猪肉", "五花肉", "排骨", "鸡胸肉", "鲜鸡蛋", "鸡翅"},
         {"散装", "托盒装"},
         12,
         90,
         9,
         true},
        {"0601",
         "文具",
         "个",
         {"晨光", "得力", "真彩", "齐心", "国誉", "百乐"},
         {"中性笔", "笔记本", "文件夹", "铅笔", "橡皮", "订书机", "固体胶", "便利贴"},
         {"0.5mm", "A5", "12支装", "标准型"},
         1,
         40,
         13,
         false},
        {"0602",
         "体育用品",
         "个",
         {"李宁", "安踏", "红双喜", "361度", "斯伯丁"},
         {"羽毛球拍", "乒乓球", "篮球", "跳绳", "瑜伽垫", "运动水壶"},
         {"标准款", "专业款", "训练款"},
         10,
         300,
         13,
         false},
    };
    return k;
}

struct TGoods {
    std::string Code, Name, Unit;
    double Cost = 0, Tax = 0;
    bool Weighed = false;
};

struct TWarehouse {
    const char* Code;
    const char* Name;
    int Level;
    int Leaf;
    const char* Department;
    double StockShare; // share of goods stocked here
};

const std::vector<TWarehouse>& Warehouses() {
    static const std::vector<TWarehouse> w = {
        {"01", "人民路店仓库", 1, 0, "0201", 0},     {"0101", "人民路店卖场", 2, 1, "0201", 1.0},
        {"0102", "人民路店后仓", 2, 1, "0201", 0.5}, {"0103", "人民路店生鲜库", 2, 1, "0201", 0},
        {"02", "解放路店仓库", 1, 0, "0202", 0},     {"0201", "解放路店卖场", 2, 1, "0202", 0.4},
        {"0202", "解放路店后仓", 2, 1, "0202", 0},   {"03", "城东配送中心库", 1, 1, "0101", 0.6},
    };
    return w;
}

// One stocktake sheet to create.
struct TSheetPlan {
    int DaysBack;
    const char* Warehouse;
    int Lines;
    const char* Remark;
    const char* Maker;
    bool Posted;
};

struct TMove {
    int Day; // days after the ledger start
    double Qty;
};

std::vector<std::pair<const char*, const char*>>
SystemParameters(const std::string& startYm, const std::string& ym, const std::string& today) {
    (void)today;
    return {
        {"qyny", startYm.c_str()},
        {"dqny", ym.c_str()},
        {"dwmc", "鑫源连锁超市人民路店"},
        {"sh", "91320106MA1X8Y2K3L"},
        {"dz", "江苏省南京市鼓楼区人民路128号"},
        {"lxdh", "025-83456789"},
        {"khh", "中国工商银行南京鼓楼支行"},
        {"zh", "4301012309100123456"},
        {"dwlx", "01"},
        {"dybm", "0201"},
        {"hykls", "0201"},
        {"sljd", "2"},
        {"lskz", "1"},
        {"jjkz", "0"},
        {"cskz", "1"},
        {"zrrkz", "0"},
        {"dddyhs", "20"},
        {"sphsfs", "1"},
        {"jjcbhsff", "1"},
        {"sjcbhsff", "1"},
        {"cbjzfs", "1"},
        {"jsxtfs", "1"},
        {"rqssj", "00:00:00"},
        {"fgckjb", "2"},
        {"brddyhs", "20"},
        {"brdhscfs", "1"},
        {"bcddyhs", "20"},
        {"bcdhscfs", "1"},
        {"dbddyhs", "20"},
        {"dbdhscfs", "1"},
        {"jgddyhs", "20"},
        {"jgdhscfs", "1"},
        {"sgddyhs", "20"},
        {"sgdhscfs", "1"},
        {"tbddyhs", "20"},
        {"tbdhscfs", "1"},
        {"ykddyhs", "20"},
        {"ykdhscfs", "1"},
        {"syddyhs", "20"},
        {"sydhscfs", "1"},
        {"ysddyhs", "20"},
        {"ysdhscfs", "1"},
        {"pdbdyhs", "20"},
        {"pdbhscfs", "1"},
        {"psdahsfg", "1"},
        {"ysdahsfg", "1"},
        {"xsdahsfg", "1"},
        {"thddyhs", "20"},
        {"tjddyhs", "20"},
        {"ptfpdyhs", "8"},
        {"spfzflx", "0"},
        {"kpyxcfsp", "1"},
        {"djfgfs", "0"},
        {"psxzsl", "100000"},
        {"xsxzsl", "100000"},
        {"jhxzsl", "100000"},
        {"thcpbxxdythqd", "0"},
        {"zjdyfs", "0"},
        {"ddysfs", "0"},
        {"hsdwh", "001"},
        {"dpckbm", "03"},
        {"dpjfs", "0"},
        {"pslssj", "0"},
        {"thjjclfs", "0"},
        {"sjkbbh", "5.2.1"},
        {"psysjscdjd", "0"},
        {"ysjscdjdbm", "0201"},
        {"ddyszzfs", "0"},
        {"ddyxrqqy", "0"},
        {"ysfs", "0"},
        {"dddysjj", "0"},
        {"cpzkspyzbkz", "0"},
        {"jzscltjbc", "0"},
        {"jzsclyxjjsxzpzdp", "0"},
        {"ysqr", "1"},
        {"khzqqy", "0"},
        {"zkhwlqy", "0"},
        {"hykxc", "0"},
        {"xsfkz", "0"},
        {"kckz", "1"},
        {"hyklwms", "0"},
        {"yckqzj", "0"},
        {"mdzdyjj", "0"},
        {"mdzdysj", "0"},
        {"dchy", "0"},
        {"xstbqyrq", startYm.c_str()},
        {"lxckkc", "0"},
    };
}

} // namespace

TDemoSummary CreateDemoDatabase(TDbBackend& db, const TDemoOptions& options) {
    TRandom rnd(options.Seed);
    TDemoSummary summary;
    const std::string today = options.Today.empty() ? Date8OfTimestamp(db.CurrentTimestamp()) : options.Today;
    if (!IsDate8(today)) throw EDbError("demo date is not a valid YYYYMMDD date: " + today);
    summary.Today = today;
    summary.Department = "0201";
    constexpr int HistoryDays = 90;
    const std::string start = AddDays8(today, -HistoryDays);
    auto dayText = [&](int day) { return AddDays8(start, day); };

    TDbTransaction tx(db);
    CreateHostSchema(db);

    // System parameters.
    {
        std::vector<TRow> rows;
        const std::string startYm = start.substr(0, 6), ym = today.substr(0, 6);
        for (const auto& [key, value] : SystemParameters(startYm, ym, today))
            rows.push_back({S(key), S(value), S("")});
        db.BulkInsert("tbSysMsg", {"f_Csmc", "f_Csz", "f_Csms"}, rows);
    }

    // Departments: head office, distribution centres, stores with their counters and stores' own
    // warehouses, convenience stores, franchise stores and a shopping centre.
    db.BulkInsert("tbbmda", {"f_bmbm", "f_bmmc", "f_bmlx", "f_jb", "f_mj", "f_sjbm", "f_pszq"},
                  {
                      {S("01"), S("配送中心"), S("00"), I(1), I(0), S(""), I(7)},
                      {S("0101"), S("城东配送中心"), S("00"), I(2), I(1), S("01"), I(7)},
                      {S("0102"), S("城西配送中心"), S("00"), I(2), I(1), S("01"), I(7)},
                      {S("02"), S("直营连锁店"), S("01"), I(1), I(0), S(""), I(3)},
                      {S("0201"), S("人民路店"), S("01"), I(2), I(0), S("02"), I(3)},
                      {S("020101"), S("食品柜组"), S("11"), I(3), I(1), S("0201"), I(3)},
                      {S("020102"), S("日化柜组"), S("11"), I(3), I(1), S("0201"), I(3)},
                      {S("020103"), S("生鲜柜组"), S("11"), I(3), I(1), S("0201"), I(1)},
                      {S("020104"), S("人民路店仓库"), S("12"), I(3), I(1), S("0201"), I(3)},
                      {S("0202"), S("解放路店"), S("01"), I(2), I(0), S("02"), I(3)},
                      {S("020201"), S("食品柜组"), S("11"), I(3), I(1), S("0202"), I(3)},
                      {S("020202"), S("日化柜组"), S("11"), I(3), I(1), S("0202"), I(3)},
                      {S("020203"), S("解放路店仓库"), S("12"), I(3), I(1), S("0202"), I(3)},
                      {S("0203"), S("中山路店"), S("01"), I(2), I(1), S("02"), I(3)},
                      {S("03"), S("便利店"), S("02"), I(1), I(0), S(""), I(2)},
                      {S("0301"), S("建设路便利店"), S("02"), I(2), I(1), S("03"), I(2)},
                      {S("0302"), S("文化路便利店"), S("02"), I(2), I(1), S("03"), I(2)},
                      {S("04"), S("加盟店"), S("04"), I(1), I(0), S(""), I(5)},
                      {S("0401"), S("青年路加盟店"), S("04"), I(2), I(1), S("04"), I(5)},
                      {S("0402"), S("长江路加盟店"), S("04"), I(2), I(1), S("04"), I(5)},
                      {S("05"), S("购物中心"), S("03"), I(1), I(0), S(""), I(3)},
                      {S("0501"), S("新世纪购物中心"), S("03"), I(2), I(0), S("05"), I(3)},
                      {S("050101"), S("服装部"), S("10"), I(3), I(1), S("0501"), I(3)},
                      {S("050102"), S("家电部"), S("10"), I(3), I(1), S("0501"), I(3)},
                  });
    {
        std::vector<TRow> rows;
        for (const TWarehouse& w : Warehouses())
            rows.push_back({S(w.Code), S(w.Name), I(w.Level), I(w.Leaf), S(w.Department)});
        db.BulkInsert("tbckda", {"f_ckbm", "f_ckmc", "f_jb", "f_mj", "f_bmbm"}, rows);
    }

    // Staff: '1' managers, '2' clerks, '3' buyers, '4' cashiers, '5' stocktake clerks who see
    // only the sheets they made.
    const std::vector<std::array<const char*, 4>> staff = {
        {"0001", "张伟", "1", "0201"}, {"0002", "李娜", "5", "0201"}, {"0003", "王芳", "2", "0201"},
        {"0004", "刘洋", "3", "0201"}, {"0005", "陈静", "5", "0201"}, {"0006", "杨磊", "2", "0202"},
        {"0007", "赵敏", "4", "0202"}, {"0008", "黄强", "1", "0202"}, {"0009", "周杰", "4", "0201"},
        {"0010", "吴婷", "2", "0101"},
    };
    {
        std::vector<TRow> rows;
        for (const auto& s : staff)
            rows.push_back({S(s[0]), S(s[1]), S(s[2]), S(s[3])});
        db.BulkInsert("tbzyda", {"f_zybm", "f_zymc", "f_zylx", "f_bmbm"}, rows);
        // 0001 and 0002 may post gains and losses; 0003 may only look sheets up.
        db.BulkInsert("tbCzyqx", {"f_Czybm", "f_Qxbm"},
                      {{S("0001"), S("030601")},
                       {S("0001"), S(PostGainLossRight)},
                       {S("0001"), S("030608")},
                       {S("0002"), S("030601")},
                       {S("0002"), S(PostGainLossRight)},
                       {S("0003"), S("030601")},
                       {S("0005"), S("030601")},
                       {S("0008"), S("030601")},
                       {S("0008"), S(PostGainLossRight)}});
    }

    // Suppliers (one distributor per brand), a few wholesale customers and manufacturers.
    std::map<std::string, std::string> supplierOfBrand;
    {
        std::vector<TRow> rows;
        std::set<std::string> brands;
        for (const TKind& k : Kinds())
            for (const char* b : k.Brands)
                brands.insert(b);
        int n = 0;
        static const char* const people[] = {"王建国", "李秀英", "张志强", "刘桂兰",
                                             "陈海涛", "杨丽华", "赵永刚", "孙美玲"};
        for (const std::string& b : brands) {
            const std::string code = Pad(++n, 4);
            supplierOfBrand[b] = code;
            rows.push_back({S(code), S("南京" + b + "商贸有限公司"), S(""), S("0"), S("1"), S(people[n % 8]),
                            S("025-8" + Pad(rnd.Between(1000000, 9999999), 7)), S(""), I(1), I(1)});
        }
        const char* const customers[] = {"红星批发部", "永和副食商行", "金陵食品经营部"};
        for (const char* c : customers)
            rows.push_back({S(Pad(++n, 4)), S(c), S(""), S("1"), S("1"), S(people[n % 8]),
                            S("138" + Pad(rnd.Between(10000000, 99999999), 8)), S(""), I(1), I(1)});
        const char* const makers[] = {"江苏恒润食品厂", "南京康乐日化厂"};
        for (const char* c : makers)
            rows.push_back(
                {S(Pad(++n, 4)), S(c), S(""), S("2"), S("1"), S(people[n % 8]), S(""), S(""), I(1), I(1)});
        db.BulkInsert(
            "tbcsda",
            {"f_csbm", "f_csmc", "f_zjf", "f_cslx", "f_kzbz", "f_lxr", "f_dh", "f_cz", "f_jb", "f_mj"}, rows);
    }

    // Goods: categories on two levels, then goods items spread evenly over the sub-categories.
    const std::vector<TSheetPlan> plans = {
        {75, "0102", 60, "", "0002", true},
        {45, "0102", 150, "月末盘点", "0002", false},
        {20, "0101", options.Lines, "", "0002", false},
        {10, "0102", 80, "", "0005", false},
        {3, "0101", 30, "", "0001", false},
    };
    const int goodsCount =
        options.Goods > 0 ? options.Goods : std::max(3000, options.Lines + options.Lines / 20 + 200);
    std::vector<TGoods> goods;
    {
        std::vector<TRow> rows, barcodes;
        for (const auto& [code, name] : Categories())
            rows.push_back({S(code), S(name), S(""), S(""), S(""), F(0), S(""), F(1), F(0), F(0), S(""),
                            S(""), I(1), I(0)});
        const int kinds = static_cast<int>(Kinds().size());
        for (int k = 0; k < kinds; ++k) {
            const TKind& kind = Kinds()[k];
            rows.push_back({S(kind.Code), S(kind.Name), S(""), S(""), S(""), F(0), S(""), F(1), F(0), F(0),
                            S(""), S(""), I(2), I(0)});
        }
        static const char* const editions[] = {"",       "升级装", "家庭装", "促销装",
                                               "新包装", "特惠装", "经典款", "加量装"};
        for (int k = 0; k < kinds; ++k) {
            const TKind& kind = Kinds()[k];
            const int count = goodsCount / kinds + (k < goodsCount % kinds ? 1 : 0);
            // Every brand, item and size combination once, in a shuffled order, then
            // again as other editions.
            std::vector<std::array<int, 3>> combos;
            for (int b = 0; b < static_cast<int>(kind.Brands.size()); ++b)
                for (int i = 0; i < static_cast<int>(kind.Items.size()); ++i)
                    for (int s = 0; s < static_cast<int>(kind.Specs.size()); ++s)
                        combos.push_back({b, i, s});
            for (std::size_t i = combos.size(); i > 1; --i)
                std::swap(combos[i - 1], combos[rnd.Below(static_cast<int>(i))]);
            for (int n = 0; n < count; ++n) {
                const auto& c = combos[n % combos.size()];
                const std::string edition = editions[(n / combos.size()) % 8];
                TGoods g;
                g.Code = std::string(kind.Code) + Pad(n + 1, 4);
                g.Name = std::string(kind.Brands[c[0]]) + kind.Items[c[1]] + edition;
                g.Unit = kind.Unit;
                g.Tax = kind.Tax;
                g.Weighed = kind.Weighed;
                const double price =
                    std::floor((kind.MinPrice + (kind.MaxPrice - kind.MinPrice) * rnd.Unit() * rnd.Unit()) *
                               10) /
                        10 +
                    0.08 * rnd.Below(2);
                g.Cost = Round2(price / (1 + kind.Tax / 100) * (0.70 + 0.15 * rnd.Unit()));
                const std::string barcode = Ean13("69" + Pad(1000 + k * 40 + c[0], 5) +
                                                  Pad(static_cast<long long>(n) * 7 % 100000, 5));
                const std::string sphh = Pad(k + 1, 2) + "-" + Pad(n + 1, 4);
                rows.push_back({S(g.Code), S(g.Name), S(sphh), S(barcode), S(kind.Specs[c[2]]), F(kind.Tax),
                                S(kind.Unit), F(1), F(Round2(price)), F(g.Cost), S(""),
                                S(supplierOfBrand[kind.Brands[c[0]]]), I(3), I(1)});
                barcodes.push_back({S(barcode), S(g.Code), F(1)});
                if (!kind.Weighed && rnd.Chance(0.3))
                    barcodes.push_back({S("1" + barcode), S(g.Code), F(rnd.Chance(0.5) ? 12 : 24)});
                goods.push_back(std::move(g));
            }
        }
        db.BulkInsert("tbspda",
                      {"f_Spbm", "f_Spmc", "f_Sphh", "f_Sptm", "f_Ggxh", "f_Sl", "f_Jldw", "f_Dwbl", "f_Xsdj",
                       "f_Jj", "f_Zjf", "f_Csbm", "f_jb", "f_mj"},
                      rows);
        db.BulkInsert("tbsptm", {"f_Sptm", "f_Spbm", "f_Dwbl"}, barcodes);
    }
    summary.GoodsCount = static_cast<int>(goods.size());

    // Which goods each sheet counts: the large sheet counts its first Lines goods of the
    // warehouse, the others a random selection.
    std::vector<std::vector<int>> sheetGoods(plans.size());
    std::map<std::string, std::vector<int>> stockedIn; // warehouse -> goods stocked there
    std::vector<std::vector<bool>> stocked(Warehouses().size(), std::vector<bool>(goods.size()));
    for (std::size_t w = 0; w < Warehouses().size(); ++w) {
        const TWarehouse& wh = Warehouses()[w];
        for (std::size_t g = 0; g < goods.size(); ++g) {
            stocked[w][g] = wh.StockShare >= 1 || (wh.StockShare > 0 && rnd.Chance(wh.StockShare));
            if (stocked[w][g]) stockedIn[wh.Code].push_back(static_cast<int>(g));
        }
    }
    for (std::size_t s = 0; s < plans.size(); ++s) {
        std::vector<int> pool = stockedIn[plans[s].Warehouse];
        if (plans[s].Lines < static_cast<int>(pool.size()) && s != 2) {
            for (std::size_t i = pool.size(); i > 1; --i)
                std::swap(pool[i - 1], pool[rnd.Below(static_cast<int>(i))]);
            pool.resize(plans[s].Lines);
            std::sort(pool.begin(), pool.end());
        } else if (plans[s].Lines < static_cast<int>(pool.size())) {
            pool.resize(plans[s].Lines);
        }
        sheetGoods[s] = pool;
    }

    // Stock ledger: an opening balance, then purchases and sales on random days. The book stock at
    // every sheet's date is kept for the counted quantities.
    std::vector<std::map<int, double>> bookAt(plans.size()); // sheet -> goods -> balance
    std::vector<std::set<int>> inSheet(plans.size());
    for (std::size_t s = 0; s < plans.size(); ++s)
        inSheet[s].insert(sheetGoods[s].begin(), sheetGoods[s].end());
    {
        std::vector<TRow> ledger;
        for (std::size_t w = 0; w < Warehouses().size(); ++w) {
            const TWarehouse& wh = Warehouses()[w];
            for (std::size_t g = 0; g < goods.size(); ++g) {
                if (!stocked[w][g]) continue;
                const TGoods& gd = goods[g];
                auto qty = [&](double v) { return gd.Weighed ? Round2(v) : std::round(v); };
                std::vector<TMove> moves;
                double balance = qty(rnd.Between(20, 200) * (gd.Weighed ? 0.731 : 1));
                moves.push_back({0, balance});
                std::vector<int> days;
                const int count = rnd.Between(3, 8);
                for (int i = 0; i < count; ++i)
                    days.push_back(rnd.Between(1, HistoryDays - 1));
                std::sort(days.begin(), days.end());
                for (int day : days) {
                    double q;
                    if (balance < 15 || rnd.Chance(0.35))
                        q = qty(rnd.Between(10, 100) * (gd.Weighed ? 0.913 : 1));
                    else
                        q = -qty(std::min(balance, static_cast<double>(rnd.Between(1, 30))) *
                                 (gd.Weighed ? 0.87 : 1));
                    balance += q;
                    moves.push_back({day, q});
                }
                for (const TMove& m : moves)
                    ledger.push_back({S(dayText(m.Day)), S(wh.Code), S(gd.Code), F(m.Qty),
                                      F(Round2(m.Qty * gd.Cost)),
                                      S(m.Day == 0  ? "QC"
                                        : m.Qty > 0 ? "CG"
                                                    : "XS"),
                                      S((m.Day == 0  ? "QC"
                                         : m.Qty > 0 ? "CG"
                                                     : "XS") +
                                        dayText(m.Day) + Pad(static_cast<long long>(w + 1), 2))});
                for (std::size_t s = 0; s < plans.size(); ++s) {
                    if (plans[s].Warehouse != std::string(wh.Code) || !inSheet[s].count(static_cast<int>(g)))
                        continue;
                    double b = 0;
                    for (const TMove& m : moves)
                        if (m.Day <= HistoryDays - plans[s].DaysBack) b += m.Qty;
                    bookAt[s][static_cast<int>(g)] = b;
                }
            }
        }
        db.BulkInsert("tbKcls", {"f_Rq", "f_Ckbm", "f_Spbm", "f_Crsl", "f_Crje", "f_Djlx", "f_Djh"}, ledger);
    }

    // Sheets and their counted lines. The posted sheet's differences enter the book of the same
    // warehouse from its date on, so the later sheets count against the book they will see.
    std::map<std::pair<std::string, int>, std::vector<std::pair<int, double>>>
        postedDiffs; // (warehouse, goods)
    std::vector<TRow> headers, lines;
    std::vector<std::string> numbers;
    for (std::size_t s = 0; s < plans.size(); ++s) {
        const TSheetPlan& p = plans[s];
        const std::string date = AddDays8(today, -p.DaysBack);
        const std::string djh = date + "0001";
        numbers.push_back(djh);
        const auto& maker = *std::find_if(staff.begin(), staff.end(),
                                          [&](const auto& st) { return p.Maker == std::string(st[0]); });
        const TWarehouse& wh =
            *std::find_if(Warehouses().begin(), Warehouses().end(),
                          [&](const TWarehouse& w) { return p.Warehouse == std::string(w.Code); });
        headers.push_back({S(djh), S(p.Remark), S("0201"), S("人民路店"), S(wh.Code), S(wh.Name), S(maker[0]),
                           S(maker[1]), S(date), I(0), S(""), S(""), S("")});
        int xh = 0;
        for (int g : sheetGoods[s]) {
            const TGoods& gd = goods[g];
            double book = bookAt[s][g];
            for (const auto& [daysBack, diff] : postedDiffs[{p.Warehouse, g}])
                if (daysBack >= p.DaysBack) book += diff;
            auto small = [&](double pr, int hi) {
                return rnd.Chance(pr) ? static_cast<double>(rnd.Between(1, hi)) : 0.0;
            };
            const double dtsl = small(0.05, 3), cysl = gd.Weighed ? 0 : small(0.05, 1), wtsl = small(0.03, 4),
                         yrsl = small(0.03, 4), ytsl = small(0.03, 3);
            double diff = rnd.Chance(0.25)
                              ? (rnd.Chance(0.5) ? 1 : -1) * rnd.Between(1, 5) * (gd.Weighed ? 0.35 : 1)
                              : 0;
            double whsl = book + diff - dtsl - cysl + wtsl - ytsl + yrsl;
            if (whsl < 0) whsl = 0;
            whsl = gd.Weighed ? Round2(whsl) : std::round(whsl);
            lines.push_back({S(djh), I(++xh), S(gd.Code), F(gd.Cost), F(whsl), F(dtsl), F(cysl), F(wtsl),
                             F(yrsl), F(ytsl)});
            if (p.Posted) {
                const double spsl = whsl + dtsl + cysl - wtsl + ytsl - yrsl;
                postedDiffs[{p.Warehouse, g}].push_back({p.DaysBack, spsl - book});
            }
        }
    }
    db.BulkInsert("tbDlpdzb",
                  {"f_Djh", "f_Bz", "f_Bmbm", "f_Bmmc", "f_Ckbm", "f_Ckmc", "f_Zdrbm", "f_Zdrmc", "f_Zdrq",
                   "f_Jzbz", "f_Jzrbm", "f_Jzrmc", "f_Jzsj"},
                  headers);
    db.BulkInsert(
        "tbDlpdmx",
        {"f_Djh", "f_Xh", "f_Spbm", "f_Pddj", "f_Whsl", "f_Dtsl", "f_Cysl", "f_Wtsl", "f_Yrsl", "f_Ytsl"},
        lines);

    // The stored template of the stocktake sheet: the standard A4 layout, compiled in from
    // StocktakeTemplate.json.
    db.BulkInsert("tbBbmb", {"f_Bbmc", "f_reportname", "f_reportinfo"},
                  {{S(StocktakeReportName), S("盘点损益表(标准格式)"), S(StocktakeTemplateHex)}});

    // Post the first sheet the way the module does, so its gain/loss document and ledger
    // movements are what a real posting writes.
    const std::string postedDate = AddDays8(today, -plans[0].DaysBack);
    const std::string postedAt =
        postedDate.substr(0, 4) + "-" + postedDate.substr(4, 2) + "-" + postedDate.substr(6, 2) + " 18:30:00";
    RunPostGainLoss(db, DbToAnsi(numbers[0] + "\t" + postedDate + "\t0001\t张伟"), postedAt);
    tx.Commit();

    summary.PostedSheet = numbers[0];
    summary.RemarkSheet = numbers[1];
    summary.Remark = plans[1].Remark;
    summary.LargeSheet = numbers[2];
    for (int i = 0; i < 4; ++i)
        summary.OpenSheets[i] = numbers[i + 1];
    return summary;
}
