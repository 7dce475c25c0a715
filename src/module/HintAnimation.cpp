// Wait hint animations: AVI clip reader and player, built-in folder search. See HintAnimation.h.
//
// AVI layout read here: RIFF "AVI " holding LIST "hdrl" (the main header "avih" with the frame
// time, then one LIST "strl" per stream with "strh" and "strf", the video stream's "strf" being a
// bitmap info header with its palette) and LIST "movi" whose "##db"/"##dc" chunks are the frames of
// the first video stream. RLE8 frames may change only some pixels, so they are decoded over the
// previous frame.
#include "HintAnimation.h"

#include <QPainter>
#include <QTimer>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

std::uint32_t U32(const std::vector<unsigned char>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t U16(const std::vector<unsigned char>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
bool Tag(const std::vector<unsigned char>& b, std::size_t at, const char* tag) {
    return at + 4 <= b.size() && std::memcmp(&b[at], tag, 4) == 0;
}

struct TVideoFormat {
    int Width = 0, Height = 0, Bits = 0, Compression = -1;
    bool BottomUp = true;
    std::vector<QRgb> Palette;
};

bool ReadFormat(const std::vector<unsigned char>& b, std::size_t at, std::size_t size, TVideoFormat& f) {
    if (size < 40) return false;
    const std::uint32_t headerSize = U32(b, at);
    const auto width = static_cast<std::int32_t>(U32(b, at + 4));
    const auto height = static_cast<std::int32_t>(U32(b, at + 8));
    f.Bits = U16(b, at + 14);
    f.Compression = static_cast<int>(U32(b, at + 16));
    std::uint32_t colours = U32(b, at + 32);
    if (width <= 0 || width > 2048 || height == 0 || height < -2048 || height > 2048) return false;
    f.Width = width;
    f.Height = std::abs(height);
    f.BottomUp = height > 0;
    if (f.Bits == 8) {
        if (colours == 0 || colours > 256) colours = 256;
        const std::size_t start = at + headerSize;
        for (std::uint32_t i = 0; i < colours && start + i * 4 + 4 <= at + size; ++i) {
            const std::size_t p = start + i * 4;
            f.Palette.push_back(qRgb(b[p + 2], b[p + 1], b[p]));
        }
        f.Palette.resize(256, qRgb(0, 0, 0));
    }
    return (f.Compression == 0 && (f.Bits == 8 || f.Bits == 24 || f.Bits == 32)) ||
           (f.Compression == 1 && f.Bits == 8);
}

// Decodes RLE8 data over the index canvas (rows counted bottom-up, as the format stores them).
void DecodeRle8(const unsigned char* p, std::size_t n, std::vector<unsigned char>& canvas, int width,
                int height) {
    int x = 0, y = 0;
    std::size_t i = 0;
    auto put = [&](unsigned char v) {
        if (x < width && y < height) canvas[static_cast<std::size_t>(y) * width + x] = v;
        ++x;
    };
    while (i + 1 < n) {
        const unsigned char count = p[i], value = p[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count; ++k)
                put(value);
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            if (i + 1 >= n) return;
            x += p[i];
            y += p[i + 1];
            i += 2;
        } else {
            for (int k = 0; k < value && i < n; ++k)
                put(p[i++]);
            if (value & 1) ++i;
        }
        if (y >= height) return;
    }
}

QImage FrameImage(const std::vector<unsigned char>& b, std::size_t at, std::size_t size,
                  const TVideoFormat& f, std::vector<unsigned char>& canvas) {
    QImage image(f.Width, f.Height, QImage::Format_RGB32);
    if (f.Compression == 1) {
        DecodeRle8(&b[at], size, canvas, f.Width, f.Height);
    } else if (f.Bits == 8) {
        const std::size_t stride = (static_cast<std::size_t>(f.Width) + 3) & ~std::size_t(3);
        for (int y = 0; y < f.Height; ++y)
            for (int x = 0; x < f.Width; ++x) {
                const std::size_t p = y * stride + x;
                if (p < size) canvas[static_cast<std::size_t>(y) * f.Width + x] = b[at + p];
            }
    }
    const int bytes = f.Bits / 8;
    const std::size_t stride = (static_cast<std::size_t>(f.Width) * bytes + 3) & ~std::size_t(3);
    for (int y = 0; y < f.Height; ++y) {
        const int row = f.BottomUp ? f.Height - 1 - y : y;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int x = 0; x < f.Width; ++x) {
            if (f.Bits == 8) {
                line[x] = f.Palette[canvas[static_cast<std::size_t>(y) * f.Width + x]];
            } else {
                const std::size_t p = y * stride + static_cast<std::size_t>(x) * bytes;
                line[x] = p + 3 <= size ? qRgb(b[at + p + 2], b[at + p + 1], b[at + p]) : qRgb(0, 0, 0);
            }
        }
    }
    return image;
}

} // namespace

bool LoadAviClip(const std::string& path, TAviClip& clip) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff length = in.tellg();
    if (length < 12 || length > 64 * 1024 * 1024) return false;
    in.seekg(0);
    std::vector<unsigned char> b(static_cast<std::size_t>(length));
    if (!in.read(reinterpret_cast<char*>(b.data()), length)) return false;
    if (!Tag(b, 0, "RIFF") || !Tag(b, 8, "AVI ")) return false;

    TVideoFormat format;
    bool haveFormat = false;
    int frameMs = 100;
    std::vector<unsigned char> canvas;
    std::vector<QImage> frames;
    // Walks the chunks of one list; lists are entered in place.
    std::vector<std::pair<std::size_t, std::size_t>> stack{{12, b.size()}};
    bool inVideoStream = false;
    while (!stack.empty()) {
        auto& [at, end] = stack.back();
        if (at + 8 > end) {
            stack.pop_back();
            continue;
        }
        const std::size_t size = U32(b, at + 4);
        const std::size_t data = at + 8;
        if (size > end - data) return false;
        const std::size_t next = data + size + (size & 1);
        if (Tag(b, at, "LIST")) {
            if (size < 4) return false;
            if (Tag(b, data, "strl")) inVideoStream = false;
            at = next;
            stack.emplace_back(data + 4, data + size);
            if (stack.size() > 8) return false;
            continue;
        }
        if (Tag(b, at, "avih") && size >= 4) {
            const std::uint32_t micro = U32(b, data);
            if (micro >= 10000 && micro <= 2000000) frameMs = static_cast<int>(micro / 1000);
        } else if (Tag(b, at, "strh") && size >= 4) {
            inVideoStream = Tag(b, data, "vids") && !haveFormat;
        } else if (Tag(b, at, "strf") && inVideoStream) {
            haveFormat = ReadFormat(b, data, size, format);
            if (!haveFormat) return false;
            canvas.assign(static_cast<std::size_t>(format.Width) * format.Height, 0);
        } else if (haveFormat && (Tag(b, at, "00db") || Tag(b, at, "00dc"))) {
            if (frames.size() >= 2000) break;
            frames.push_back(FrameImage(b, data, size, format, canvas));
        }
        at = next;
    }
    if (frames.empty()) return false;
    clip.Frames = std::move(frames);
    clip.FrameMs = frameMs;
    return true;
}

TAviAnimation::TAviAnimation(TAviClip clip, QWidget* parent) : QWidget(parent), FClip(std::move(clip)) {
    const QSize size = FClip.Frames.front().size();
    resize(size);
    FTimer = new QTimer(this);
    connect(FTimer, &QTimer::timeout, this, [this] {
        FFrame = (FFrame + 1) % FClip.Frames.size();
        update();
    });
    FTimer->start(FClip.FrameMs);
}

void TAviAnimation::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, FClip.Frames[FFrame]);
}

TFolderSearchAnimation::TFolderSearchAnimation(QWidget* parent) : QWidget(parent) {
    resize(80, 50);
    FTimer = new QTimer(this);
    connect(FTimer, &QTimer::timeout, this, [this] {
        FStep = (FStep + 1) % 16;
        update();
    });
    FTimer->start(90);
}

void TFolderSearchAnimation::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The folder.
    painter.setPen(QColor(128, 96, 0));
    painter.setBrush(QColor(255, 214, 90));
    painter.drawRect(QRectF(6, 8, 18, 5));
    painter.drawRect(QRectF(6, 12, 40, 28));
    // The magnifier circling over it.
    const double angle = FStep * 2 * M_PI / 16;
    const QPointF centre(38 + 12 * std::cos(angle), 22 + 8 * std::sin(angle));
    painter.setBrush(QColor(200, 230, 255, 200));
    painter.setPen(QPen(QColor(40, 40, 40), 2));
    painter.drawEllipse(centre, 8, 8);
    painter.drawLine(centre + QPointF(6, 6), centre + QPointF(13, 13));
}
