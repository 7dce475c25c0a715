// The engine's text table, converted from the UTF-8 source once on first use.
#include "VNStrings.h"

#include <array>

const AnsiString& VNText(TVNText id) {
    static const std::array<AnsiString, std::size_t(TVNText::Count)> table = [] {
        const char* utf8[] = {
            "错误",
            "不支持的vnf格式",
            "不是Valnor报表文件！",
            "不是Valnor报表文件!",
            "不是Valnor报表模板文件!",
            "不是Valnor数据字典文件!",
            "自定义大小",
            "缺省",
            "默认打印机",
            "虚拟打印机",
            "￥",
            "计算时发生错误",
            "报表:",
            "对象:",
            "正在准备报表",
            "进行第一次处理:",
            "正在处理页:",
            "从",
            "正在打印页:",
            "取消",
            "异常错误,原因:",
            "报表页数超过上限:",
            "文本导出选项",
            "CSV 导出选项",
            "BMP 图片导出选项",
            "Jpeg 图片导出选项",
            "Metafile导出选项",
            "缩放比例:",
            "压缩空行(&K)",
            "转换到DOS(&D)",
            "导出框线",
            "使用DOS伪图形(&p)",
            "插入页分隔(&b)",
            "&CSV 分隔",
            "单色",
            "分辨率:",
            "灰度",
            "显示编码进度",
            "质量",
            "1 = 最大压缩, 100 = 最高质量",
            "确认",
            "XLS 导出选项",
            "页范围",
            "全部(&A)",
            "当前页(&g)",
            "页(&P):",
            "输入页号或页范围,逗号分隔.例如: 1,3,5-12",
            "选项",
            "导出完成后显示Excel",
            "显示导出过程",
            "多工作表",
            "导出图片(&p)",
            "图片格式",
            "所选打印机错误",
            "没有安装打印机",
            "虚拟打印机不能打印",
            "警告",
            "有一处或多处页边距设置了页面的可打印区域之外，是否自动调整页边距？",
        };
        static_assert(sizeof(utf8) / sizeof(utf8[0]) == std::size_t(TVNText::Count));
        std::array<AnsiString, std::size_t(TVNText::Count)> t;
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = Utf8ToAnsi(utf8[i]);
        return t;
    }();
    return table[std::size_t(id)];
}
