// The help popup. See RopWin.h.
#include "RopWin.h"

#include "ModuleText.h"
#include "platform/MessageService.h"
#include "platform/qt/QtCanvas.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace {

// 8 x 8 half-tone: pixels with an odd x + y are black, the others let the screen through.
const QBrush& HalfToneBrush() {
    static const QBrush brush = [] {
        QImage pattern(8, 8, QImage::Format_ARGB32);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                pattern.setPixel(x, y, (x + y) % 2 == 1 ? qRgba(0, 0, 0, 255) : qRgba(0, 0, 0, 0));
        return QBrush(pattern);
    }();
    return brush;
}

} // namespace

void TRopWin::Execute() {
    if (Lines.empty()) {
        Messages().ShowMessage("The Lines is empty", "Error", TMsgIcon::None, TMsgButtons::OK);
        return;
    }
    TRopInst popup(*this);
    popup.exec();
}

TRopInst::TRopInst(const TRopWin& source, QWidget* parent)
    // A popup window: the window system closes it on a click anywhere outside it.
    : QDialog(parent, Qt::Popup | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), FFont(source.Font),
      FBrush(source.Brush) {
    setModal(true);

    QStringList lines;
    for (const AnsiString& line : source.Lines)
        lines << AnsiToQString(line);
    FText = lines.join(QLatin1Char('\n'));
    const QFontMetrics metrics(FFont);
    FTextSize =
        metrics.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::AlignLeft | Qt::AlignTop, FText).size();

    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
    const QRect geometry = PopupGeometry(FTextSize, source.xPos, source.yPos, area);
    setFixedSize(geometry.size());
    move(geometry.topLeft());
    // Outside the box the screen behind stays visible, and the shadow darkens every other pixel
    // of it. A translucent window shows black without a compositing manager, so the popup keeps
    // a picture of the screen behind it and paints that itself.
    if (screen != nullptr)
        FBehind = screen->grabWindow(0, geometry.x(), geometry.y(), geometry.width(), geometry.height());
    setAttribute(Qt::WA_NoSystemBackground, !FBehind.isNull());

    if (source.TimeClose > 0) {
        FTimer.setInterval(source.TimeClose);
        connect(&FTimer, &QTimer::timeout, this, &QDialog::reject);
        FTimer.start();
    }
}

QRect TRopInst::PopupGeometry(QSize textSize, int xPos, int yPos, const QRect& screen) {
    // Centred by the text's size, not the window's, as the popup always has been.
    const int left = xPos != 0 ? xPos : (screen.width() - textSize.width()) / 2;
    const int top = yPos != 0 ? yPos : (screen.height() - textSize.height()) / 2;
    return QRect(left, top, textSize.width() + 40, textSize.height() + 30);
}

void TRopInst::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width();
    const int h = height();
    const bool haveBehind = !FBehind.isNull();
    if (haveBehind)
        painter.drawPixmap(0, 0, FBehind);
    else
        painter.fillRect(rect(), palette().window()); // no shadow where nothing can be read

    // The box, from (1, 1) to (w - 16, h - 16) exclusive, first in white and then in the
    // component's brush (which may let the white show through).
    const QRect box(QPoint(1, 1), QPoint(w - 17, h - 17));
    QPen pen(Qt::black);
    pen.setWidth(2);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    painter.setBrush(FBrush);
    painter.drawRect(box);

    painter.setFont(FFont);
    painter.setPen(Qt::black);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.drawText(QRect(QPoint(6, 6), QPoint(w - 22, h - 22)), Qt::AlignLeft | Qt::AlignTop, FText);

    // The shadow: a 16-pixel strip under the box and one to its right.
    if (!haveBehind) return;
    painter.setPen(Qt::NoPen);
    painter.setBrushOrigin(0, 0);
    painter.fillRect(QRect(16, h - 16, w - 32, 16), HalfToneBrush());
    painter.fillRect(QRect(w - 16, 16, 16, h - 16), HalfToneBrush());
}

void TRopInst::keyPressEvent(QKeyEvent*) {
    done(QDialog::Accepted);
}

void TRopInst::mousePressEvent(QMouseEvent*) {
    done(QDialog::Accepted);
}

void TRopInst::done(int result) {
    FTimer.stop();
    QDialog::done(result);
}

std::vector<AnsiString> SheetHelpLines() {
    static const char* const lines[] = {
        "快捷键：",
        "    助  手: F1",
        "    查  询: F2",
        "    转损益: F3",
        "    选  项: F4",
        "    过  滤: F5",
        "    预  览: Ctrl+V",
        "    打  印: Ctrl+P",
        "    退  出: ESC",
        "",
        "报表名称[盘点损益表] 打印内容：",
        "    单据号:    [Djh]         备注:      [Bz] ",
        "    部门编码:  [Bmbm]        部门名称:  [Bmmc] ",
        "    仓库编码:  [Ckbm]        仓库名称:  [Ckmc]",
        "    制单人编码:[Zdrbm]       制单人名称:[Zdrmc]",
        "    制单日期:  [Zdrq]        模拟日期:  [Mnrq]",
        "    盘点日期:  [Pdrq]    ",
        "",
        "    商品编码:  [Ads.f_Spbm]  商品名称:  [Ads.f_Spmc]",
        "    商品货号:  [Ads.f_Sphh]  商品条码:  [Ads.f_Sptm]",
        "    规格型号:  [Ads.f_Ggxh]  税率:      [Ads.f_Sl]",
        "    计量单位:  [Ads.f_Jldw]  单位比率:  [Ads.f_Dwbl]",
        "    销售单价:  [Ads.f_Xsdj]  无税进价:  [Ads.f_Pddj]",
        "    完好数量:  [Ads.f_Whsl]  待退数量:  [Ads.f_Dtsl]",
        "    出样数量:  [Ads.f_Cysl]  实物数量:  [Ads.f_Swsl]",
        "    未提数量:  [Ads.f_Wtsl]  已入数量:  [Ads.f_Yrsl]",
        "    已提数量:  [Ads.f_Ytsl]  实盘数量:  [Ads.f_Spsl]",
        "    账面数量:  [Ads.f_Zmsl]  损益数量:  [Ads.f_Sysl]",
        "    损益金额无税:  [Ads.f_Syjews]",
        "    损益金额含税:  [Ads.f_Syjehs]",
        "    模拟总库存量:  [Ads.f_Mnzkc]",
        "    模拟本库存量:  [Ads.f_Mnbkc]",
        "    模拟总库存金额: [Ads.f_Mnzkcje]",
        "    模拟本库存金额: [Ads.f_Mnbkcje]",
        "",
        "  ",
    };
    std::vector<AnsiString> result;
    for (const char* line : lines)
        result.push_back(Utf8ToAnsi(line));
    return result;
}

void SetupSheetHelp(TRopWin& rop) {
    rop.Lines = SheetHelpLines();
    rop.Font = QFont(TQtCanvas::MapFontFamily(CP936("宋体")), 9);
    rop.TimeClose = 0;
    rop.xPos = 0;
    rop.yPos = 0;
}
