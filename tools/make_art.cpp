// Draws Quillmarsh's own pictures and the thumbnails of the demo simulator
// folder, and writes them as Windows BMP files:
//   src/ui/res/nothumbnail.bmp            the picture of an aircraft without a thumbnail
//   src/ui/res/icon48.bmp, icon32.bmp, icon16.bmp   the program icon
//   demo/sim/Aircraft/<folder>/<texture folder>/thumbnail.bmp
//
// Usage: make_art <repository root>
//
// Standalone on purpose: no libraries, its own rasteriser (shapes sampled 4 x 4
// times a pixel), its own stroke font for capital letters and digits, a
// median-cut quantiser for the 8-bit thumbnails and a small BMP writer.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------- canvas

struct Rgb {
    double r = 0, g = 0, b = 0;  // 0..255
};

constexpr Rgb rgb(int r, int g, int b) { return {double(r), double(g), double(b)}; }

Rgb mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb shade(Rgb c, double f) {  // f < 1 darker, f > 1 towards white
    if (f <= 1) return {c.r * f, c.g * f, c.b * f};
    return mix(c, rgb(255, 255, 255), std::min(1.0, f - 1));
}

struct Pt {
    double x, y;
};

// Pixels, and the drawing coordinates that the shapes are given in: a pixel
// point p is the drawing point p / scale - shift.
struct Canvas {
    int w, h;
    std::vector<Rgb> px;
    double scale = 1;
    Pt shift{0, 0};
    Canvas(int width, int height, Rgb fill) : w(width), h(height), px(std::size_t(width) * height, fill) {}

    Pt toDrawing(double x, double y) const { return {x / scale - shift.x, y / scale - shift.y}; }
    double toPixelY(double y) const { return (y + shift.y) * scale; }

    Rgb& at(int x, int y) { return px[std::size_t(y) * w + x]; }
    void blend(int x, int y, Rgb c, double a) {
        if (x < 0 || y < 0 || x >= w || y >= h || a <= 0) return;
        Rgb& p = at(x, y);
        p = mix(p, c, std::min(1.0, a));
    }
};

// A shape is a test of a point in drawing coordinates (x right, y down; at
// scale 1, pixel (i, j) covers [i, i+1) x [j, j+1)).
using Shape = std::function<bool(double, double)>;

Shape ellipse(double cx, double cy, double rx, double ry) {
    return [=](double x, double y) {
        double dx = (x - cx) / rx, dy = (y - cy) / ry;
        return dx * dx + dy * dy <= 1;
    };
}

Shape rect(double x0, double y0, double x1, double y1) {
    return [=](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
}

Shape roundRect(double x0, double y0, double x1, double y1, double r) {
    return [=](double x, double y) {
        if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
        double cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
    };
}

Shape polygon(std::vector<Pt> pts) {  // even-odd rule
    return [pts = std::move(pts)](double x, double y) {
        bool in = false;
        for (std::size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            const Pt& a = pts[i];
            const Pt& b = pts[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
        }
        return in;
    };
}

double segmentDistance(Pt p, Pt a, Pt b) {
    double vx = b.x - a.x, vy = b.y - a.y;
    double len2 = vx * vx + vy * vy;
    double t = len2 > 0 ? std::clamp(((p.x - a.x) * vx + (p.y - a.y) * vy) / len2, 0.0, 1.0) : 0.0;
    double dx = p.x - (a.x + t * vx), dy = p.y - (a.y + t * vy);
    return std::sqrt(dx * dx + dy * dy);
}

Shape both(Shape a, Shape b) {
    return [=](double x, double y) { return a(x, y) && b(x, y); };
}
Shape either(Shape a, Shape b) {
    return [=](double x, double y) { return a(x, y) || b(x, y); };
}
Shape without(Shape a, Shape b) {
    return [=](double x, double y) { return a(x, y) && !b(x, y); };
}

// Paints `shape` in `colour`, each pixel by the share of its 4 x 4 samples
// that fall inside, times `alpha`.
void fill(Canvas& c, const Shape& shape, Rgb colour, double alpha = 1.0) {
    constexpr int n = 4;
    for (int y = 0; y < c.h; ++y) {
        for (int x = 0; x < c.w; ++x) {
            int inside = 0;
            for (int sy = 0; sy < n; ++sy)
                for (int sx = 0; sx < n; ++sx) {
                    Pt p = c.toDrawing(x + (sx + 0.5) / n, y + (sy + 0.5) / n);
                    inside += shape(p.x, p.y) ? 1 : 0;
                }
            if (inside) c.blend(x, y, colour, alpha * inside / (n * n));
        }
    }
}

// An antialiased line `width` wide.
void line(Canvas& c, Pt a, Pt b, double width, Rgb colour) {
    for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x) {
            double d = segmentDistance(c.toDrawing(x + 0.5, y + 0.5), a, b) * c.scale;
            c.blend(x, y, colour, std::clamp(width * c.scale / 2 + 0.5 - d, 0.0, 1.0));
        }
}

// Fills the rows from drawing y0 to y1 with a gradient from `top` to `bottom`.
void verticalGradient(Canvas& c, double y0, double y1, Rgb top, Rgb bottom) {
    int p0 = std::max(0, int(std::lround(c.toPixelY(y0)))), p1 = std::min(c.h, int(std::lround(c.toPixelY(y1))));
    for (int y = p0; y < p1; ++y) {
        Rgb row = mix(top, bottom, p1 - p0 > 1 ? double(y - p0) / (p1 - p0 - 1) : 0.0);
        for (int x = 0; x < c.w; ++x) c.at(x, y) = row;
    }
}

// ---------------------------------------------------------------- stroke font
//
// Each glyph is a set of polylines on a 4 x 6 grid (x right, y down), drawn as
// strokes with round ends. Curves are elliptic arcs cut into short segments.

using Polyline = std::vector<Pt>;

// Arc of the ellipse (cx, cy, rx, ry) from angle a0 to a1 in degrees; 0 is to
// the right and 90 is down.
Polyline arc(double cx, double cy, double rx, double ry, double a0, double a1) {
    Polyline pl;
    int steps = std::max(4, int(std::abs(a1 - a0) / 10));
    for (int i = 0; i <= steps; ++i) {
        double a = (a0 + (a1 - a0) * i / steps) * std::numbers::pi / 180;
        pl.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
    }
    return pl;
}

Polyline join(Polyline a, const Polyline& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<Polyline> glyph(char ch) {
    switch (ch) {
    case 'A': return {{{0, 6}, {2, 0}, {4, 6}}, {{0.75, 3.9}, {3.25, 3.9}}};
    case 'B':
        return {{{0, 0}, {0, 6}},
                join(join({{0, 0}}, arc(2.4, 1.45, 1.5, 1.45, -90, 90)), {{0, 2.9}}),
                join(join({{0, 2.9}}, arc(2.45, 4.45, 1.55, 1.55, -90, 90)), {{0, 6}})};
    case 'C': return {arc(2.1, 3, 2.1, 3, -45, -315)};
    case 'D': return {{{0, 0}, {0, 6}}, join(join({{0, 0}}, arc(1.4, 3, 2.6, 3, -90, 90)), {{0, 6}})};
    case 'E': return {{{4, 0}, {0, 0}, {0, 6}, {4, 6}}, {{0, 3}, {3, 3}}};
    case 'F': return {{{4, 0}, {0, 0}, {0, 6}}, {{0, 3}, {3, 3}}};
    case 'G': return {join(arc(2.1, 3, 2.1, 3, -45, -360), {{4.2, 3}, {2.4, 3}})};
    case 'H': return {{{0, 0}, {0, 6}}, {{4, 0}, {4, 6}}, {{0, 3}, {4, 3}}};
    case 'I': return {{{2, 0}, {2, 6}}, {{0.8, 0}, {3.2, 0}}, {{0.8, 6}, {3.2, 6}}};
    case 'J': return {join({{3.6, 0}}, arc(1.8, 4.3, 1.8, 1.7, 0, 180))};
    case 'K': return {{{0, 0}, {0, 6}}, {{4, 0}, {0.1, 3.7}}, {{1.5, 2.4}, {4, 6}}};
    case 'L': return {{{0, 0}, {0, 6}, {4, 6}}};
    case 'M': return {{{0, 6}, {0, 0}, {2, 4.2}, {4, 0}, {4, 6}}};
    case 'N': return {{{0, 6}, {0, 0}, {4, 6}, {4, 0}}};
    case 'O': return {arc(2, 3, 2, 3, 0, 360)};
    case 'P': return {join(join({{0, 6}, {0, 0}}, arc(2.4, 1.6, 1.6, 1.6, -90, 90)), {{0, 3.2}})};
    case 'Q': return {arc(2, 3, 2, 3, 0, 360), {{2.6, 4.6}, {4.2, 6.3}}};
    case 'R':
        return {join(join({{0, 6}, {0, 0}}, arc(2.4, 1.6, 1.6, 1.6, -90, 90)), {{0, 3.2}}),
                {{2.2, 3.2}, {4, 6}}};
    case 'S': return {join(arc(2, 1.5, 2, 1.5, -20, -270), arc(2, 4.5, 2, 1.5, -90, 160))};
    case 'T': return {{{0, 0}, {4, 0}}, {{2, 0}, {2, 6}}};
    case 'U': return {join(join({{0, 0}}, arc(2, 4, 2, 2, 180, 0)), {{4, 0}})};
    case 'V': return {{{0, 0}, {2, 6}, {4, 0}}};
    case 'W': return {{{0, 0}, {1, 6}, {2, 2}, {3, 6}, {4, 0}}};
    case 'X': return {{{0, 0}, {4, 6}}, {{4, 0}, {0, 6}}};
    case 'Y': return {{{0, 0}, {2, 3}, {4, 0}}, {{2, 3}, {2, 6}}};
    case 'Z': return {{{0, 0}, {4, 0}, {0, 6}, {4, 6}}};
    case '0': return {arc(2, 3, 1.9, 3, 0, 360)};
    case '1': return {{{0.9, 1.1}, {2.2, 0}, {2.2, 6}}, {{1, 6}, {3.4, 6}}};
    case '2': return {join(arc(2, 1.9, 2, 1.9, -170, 25), {{0, 6}, {4, 6}})};
    case '3': return {join(arc(2, 1.5, 1.9, 1.5, -160, 90), arc(2, 4.5, 2, 1.5, -90, 160))};
    case '4': return {{{3, 6}, {3, 0}, {0, 4.2}, {4, 4.2}}};
    case '5': return {join({{3.8, 0}, {0.4, 0}, {0.1, 2.9}}, arc(1.9, 4.1, 2.1, 1.9, -125, 150))};
    case '6': return {arc(2, 4, 2, 2, 0, 360), {{0.05, 3.8}, {3.3, 0}}};
    case '7': return {{{0, 0}, {4, 0}, {1.4, 6}}};
    case '8': return {arc(2, 1.5, 1.7, 1.5, 0, 360), arc(2, 4.4, 2, 1.6, 0, 360)};
    case '9': return {arc(2, 2, 2, 2, 0, 360), {{3.95, 2.2}, {0.7, 6}}};
    case '-': return {{{0.8, 3}, {3.2, 3}}};
    default: return {};  // space
    }
}

struct TextStyle {
    double unit;       // pixels per grid step
    double stroke;     // stroke width in pixels
    double gap;        // pixels between letters
    Rgb ink;
    double outline = 0;  // > 0: letters drawn as an outline of this width, light inside
    double halo = 0;     // outlined letters: light margin that blanks what lies behind
    Rgb paper = rgb(255, 255, 255);
};

double advance(char ch, const TextStyle& s) {
    return (ch == ' ' ? 2.5 * s.unit : 4 * s.unit + s.stroke) + s.gap;
}

double textWidth(std::string_view text, const TextStyle& s) {
    double w = -s.gap;
    for (char ch : text) w += advance(ch, s);
    return w;
}

// Draws `text` with its top left corner of ink at (left, top).
void drawText(Canvas& c, std::string_view text, double left, double top, const TextStyle& s) {
    std::vector<std::pair<Pt, Pt>> segs;
    double x = left + s.stroke / 2;
    for (char ch : text) {
        for (const Polyline& pl : glyph(ch))
            for (std::size_t i = 1; i < pl.size(); ++i)
                segs.push_back({{x + pl[i - 1].x * s.unit, top + s.stroke / 2 + pl[i - 1].y * s.unit},
                                {x + pl[i].x * s.unit, top + s.stroke / 2 + pl[i].y * s.unit}});
        x += advance(ch, s);
    }
    // The pixels around the text, then the distance of each from the strokes.
    const double k = c.scale, margin = s.stroke + s.halo + 2;
    auto toPixelX = [&](double dx) { return (dx + c.shift.x) * k; };
    int x0 = std::max(0, int(toPixelX(left - margin))), x1 = std::min(c.w, int(toPixelX(left + textWidth(text, s) + margin)));
    int y0 = std::max(0, int(c.toPixelY(top - margin))), y1 = std::min(c.h, int(c.toPixelY(top + 6 * s.unit + s.stroke + margin)));
    const double edge = s.stroke / 2 * k;
    for (int py = y0; py < y1; ++py)
        for (int px = x0; px < x1; ++px) {
            double d = 1e9;
            Pt p = c.toDrawing(px + 0.5, py + 0.5);
            for (const auto& [a, b] : segs) d = std::min(d, segmentDistance(p, a, b) * k);
            if (s.outline > 0) {
                c.blend(px, py, s.paper, std::clamp(edge + s.halo * k + 0.5 - d, 0.0, 1.0));
                c.blend(px, py, s.ink, std::clamp(s.outline * k / 2 + 0.5 - std::abs(d - edge), 0.0, 1.0));
            } else {
                c.blend(px, py, s.ink, std::clamp(edge + 0.5 - d, 0.0, 1.0));
            }
        }
}

// ---------------------------------------------------------------- BMP files

void putU16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void putU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}

// File header and BITMAPINFOHEADER of an uncompressed bottom-up bitmap.
std::vector<std::uint8_t> bmpHeader(int w, int h, int bits, std::uint32_t paletteSize, std::uint32_t imageSize) {
    std::vector<std::uint8_t> out;
    std::uint32_t offset = 14 + 40 + 4 * paletteSize;
    out.push_back('B');
    out.push_back('M');
    putU32(out, offset + imageSize);
    putU32(out, 0);
    putU32(out, offset);
    putU32(out, 40);
    putU32(out, std::uint32_t(w));
    putU32(out, std::uint32_t(h));  // positive: rows stored bottom-up
    putU16(out, 1);
    putU16(out, unsigned(bits));
    putU32(out, 0);  // BI_RGB
    putU32(out, imageSize);
    putU32(out, 2835);  // 72 dots per inch
    putU32(out, 2835);
    putU32(out, paletteSize);
    putU32(out, 0);
    return out;
}

std::uint8_t byteOf(double v) { return std::uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!f) {
        std::fprintf(stderr, "make_art: cannot write %s\n", path.c_str());
        std::exit(1);
    }
    std::printf("%8zu  %s\n", bytes.size(), path.c_str());
}

void writeBmp24(const fs::path& path, const Canvas& c) {
    std::uint32_t stride = (std::uint32_t(c.w) * 3 + 3) & ~3u;
    std::vector<std::uint8_t> out = bmpHeader(c.w, c.h, 24, 0, stride * c.h);
    for (int y = c.h - 1; y >= 0; --y) {
        std::size_t start = out.size();
        for (int x = 0; x < c.w; ++x) {
            const Rgb& p = c.px[std::size_t(y) * c.w + x];
            out.push_back(byteOf(p.b));
            out.push_back(byteOf(p.g));
            out.push_back(byteOf(p.r));
        }
        out.resize(start + stride, 0);
    }
    writeFile(path, out);
}

// 8 bits a pixel with a palette of at most 256 colours chosen by median cut.
void writeBmp8(const fs::path& path, const Canvas& c) {
    using Colour = std::array<std::uint8_t, 3>;
    std::vector<Colour> pixels;
    for (const Rgb& p : c.px) pixels.push_back({byteOf(p.r), byteOf(p.g), byteOf(p.b)});

    struct Box {
        std::size_t begin, end;
    };
    std::vector<Colour> sorted = pixels;
    std::vector<Box> boxes{{0, sorted.size()}};
    auto widest = [&](const Box& b, int& channel) {
        int best = -1;
        for (int ch = 0; ch < 3; ++ch) {
            auto [lo, hi] = std::minmax_element(sorted.begin() + long(b.begin), sorted.begin() + long(b.end),
                                                [ch](const Colour& l, const Colour& r) { return l[ch] < r[ch]; });
            if ((*hi)[ch] - (*lo)[ch] > best) {
                best = (*hi)[ch] - (*lo)[ch];
                channel = ch;
            }
        }
        return best;
    };
    while (boxes.size() < 256) {
        // Split the box with the widest spread of one channel at its median.
        double bestRange = 0;
        int bestChannel = 0;
        std::size_t bestBox = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            int ch = 0;
            // Weighted by the pixels the box holds, so the large gradients get more colours.
            double range = boxes[i].end - boxes[i].begin > 1 ? widest(boxes[i], ch) * std::sqrt(double(boxes[i].end - boxes[i].begin)) : 0;
            if (range > bestRange) {
                bestRange = range;
                bestChannel = ch;
                bestBox = i;
            }
        }
        if (bestRange == 0) break;
        Box b = boxes[bestBox];
        auto first = sorted.begin() + long(b.begin), last = sorted.begin() + long(b.end);
        std::sort(first, last, [bestChannel](const Colour& l, const Colour& r) { return l[bestChannel] < r[bestChannel]; });
        std::size_t mid = b.begin + (b.end - b.begin) / 2;
        boxes[bestBox] = {b.begin, mid};
        boxes.push_back({mid, b.end});
    }
    std::vector<Colour> palette;
    for (const Box& b : boxes) {
        std::array<double, 3> sum{};
        for (std::size_t i = b.begin; i < b.end; ++i)
            for (int ch = 0; ch < 3; ++ch) sum[ch] += sorted[i][ch];
        double n = double(b.end - b.begin);
        palette.push_back({byteOf(sum[0] / n), byteOf(sum[1] / n), byteOf(sum[2] / n)});
    }

    std::uint32_t stride = (std::uint32_t(c.w) + 3) & ~3u;
    std::vector<std::uint8_t> out = bmpHeader(c.w, c.h, 8, std::uint32_t(palette.size()), stride * c.h);
    for (const Colour& p : palette) {
        out.push_back(p[2]);
        out.push_back(p[1]);
        out.push_back(p[0]);
        out.push_back(0);
    }
    for (int y = c.h - 1; y >= 0; --y) {
        std::size_t start = out.size();
        for (int x = 0; x < c.w; ++x) {
            const Colour& p = pixels[std::size_t(y) * c.w + x];
            std::size_t best = 0;
            int bestDist = 1 << 30;
            for (std::size_t i = 0; i < palette.size(); ++i) {
                int dr = p[0] - palette[i][0], dg = p[1] - palette[i][1], db = p[2] - palette[i][2];
                int dist = dr * dr + dg * dg + db * db;
                if (dist < bestDist) {
                    bestDist = dist;
                    best = i;
                }
            }
            out.push_back(std::uint8_t(best));
        }
        out.resize(start + stride, 0);
    }
    writeFile(path, out);
}

// ---------------------------------------------------------------- bitmap 133

void makeNoThumbnail(const fs::path& root) {
    const Rgb grey = rgb(128, 128, 128);
    Canvas c(300, 224, rgb(255, 255, 255));
    line(c, {0, 0}, {300, 224}, 1.6, rgb(150, 150, 150));
    line(c, {300, 0}, {0, 224}, 1.6, rgb(150, 150, 150));

    TextStyle s{.unit = 3.0, .stroke = 6.4, .gap = 4, .ink = grey, .outline = 1.5, .halo = 4};
    const double lineHeight = 6 * s.unit + s.stroke;
    const double spacing = 12;
    double top = (c.h - (2 * lineHeight + spacing)) / 2;
    // The diagonals stop short of the words.
    double half = textWidth("NO THUMBNAIL", s) / 2 + 10;
    fill(c, roundRect(c.w / 2.0 - half, top - 10, c.w / 2.0 + half, top + 2 * lineHeight + spacing + 10, 8), rgb(255, 255, 255));
    for (std::string_view text : {std::string_view("NO THUMBNAIL"), std::string_view("AVAILABLE")}) {
        drawText(c, text, std::round((c.w - textWidth(text, s)) / 2), std::round(top), s);
        top += lineHeight + spacing;
    }
    writeBmp24(root / "src/ui/res/nothumbnail.bmp", c);
}

// ---------------------------------------------------------------- icon 128
//
// A white aircraft seen from above, flying to the upper right, on a blue tile.

void makeIcon(const fs::path& root, int size) {
    Canvas c(size, size, rgb(0, 0, 0));
    verticalGradient(c, 0, size, rgb(66, 140, 222), rgb(18, 72, 150));
    double s = size;
    // Frame: one pixel darker all round.
    fill(c, without(rect(0, 0, s, s), rect(1, 1, s - 1, s - 1)), rgb(12, 48, 104));

    // The silhouette on a unit square, nose up, then turned 45 degrees.
    std::vector<Pt> half = {{0.5, 0.05},  {0.545, 0.11}, {0.555, 0.38}, {0.93, 0.56}, {0.93, 0.63},
                            {0.555, 0.55}, {0.545, 0.79}, {0.70, 0.88}, {0.70, 0.93}, {0.5, 0.90}};
    std::vector<Pt> shape = half;
    for (auto it = half.rbegin() + 1; it != half.rend() - 1; ++it) shape.push_back({1 - it->x, it->y});
    const double margin = size >= 32 ? 0.07 : 0.04;
    const double a = std::numbers::pi / 4;
    for (Pt& p : shape) {
        double x = p.x - 0.5, y = p.y - 0.5;
        double rx = x * std::cos(a) - y * std::sin(a), ry = x * std::sin(a) + y * std::cos(a);
        p = {(0.5 + rx * (1 - 2 * margin) * 1.1) * s, (0.5 + ry * (1 - 2 * margin) * 1.1) * s};
    }
    // A soft shadow below right, then the aircraft.
    std::vector<Pt> shadow = shape;
    for (Pt& p : shadow) p = {p.x + s / 24, p.y + s / 24};
    fill(c, polygon(shadow), rgb(10, 40, 90), 0.45);
    fill(c, polygon(shape), rgb(250, 252, 255));
    writeBmp24(root / ("src/ui/res/icon" + std::to_string(size) + ".bmp"), c);
}

// ---------------------------------------------------------------- thumbnails

enum class Kind { Airliner, Turboprop, LightSingle, Aerobatic, BusinessJet, Floatplane };

struct Livery {
    const char* path;  // below the repository root
    Kind kind;
    Rgb body, stripe, tail, accent;
    const char* registration;
    int bits;  // 8 bits at 300 x 200 pixels, or 24 bits at 256 x 128
};

const Rgb kWingGrey = rgb(196, 200, 208);
const Rgb kDark = rgb(52, 58, 70);
const Rgb kGlass = rgb(44, 62, 88);

bool isDark(Rgb c) { return 0.3 * c.r + 0.59 * c.g + 0.11 * c.b < 110; }

// Sky down to the horizon, then fields or water, over the whole canvas.
void drawBackground(Canvas& c, bool water) {
    const double horizon = 94, top = c.toDrawing(0, 0).y, bottom = c.toDrawing(0, c.h).y;
    verticalGradient(c, top, horizon, rgb(72, 124, 196), rgb(188, 214, 238));
    if (water) {
        verticalGradient(c, horizon, bottom, rgb(96, 140, 160), rgb(40, 88, 118));
        for (int i = 0; horizon + 6 + i * 3.6 < bottom; ++i) {  // a few light ripples
            double y = horizon + 6 + i * 3.6, x = 20 + (i * 67) % 200;
            fill(c, ellipse(x, y, 10 + i * 1.5, 0.6), rgb(190, 214, 224), 0.5);
        }
    } else {
        // Fields, and far hills on the horizon.
        verticalGradient(c, horizon, bottom, rgb(126, 160, 96), rgb(88, 124, 70));
        fill(c, both(either(ellipse(40, horizon + 10, 90, 16), ellipse(200, horizon + 12, 110, 15)), rect(0, 0, c.w, horizon + 3)),
             rgb(120, 150, 150), 0.8);
    }
}

// The fuselage of an aircraft flying to the left: a nose of `noseLen`, a tube,
// and a tail cone that rises to the tail.
struct Fuselage {
    double x0, x1, cy, r, noseLen, tailLen;
    Shape shape() const {
        double xn = x0 + noseLen, xt = x1 - tailLen;
        return either(either(both(ellipse(xn, cy, noseLen, r), rect(x0, cy - r, xn + 0.5, cy + r)),
                             rect(xn, cy - r, xt + 0.5, cy + r)),
                      polygon({{xt, cy - r}, {x1, cy - r * 0.75}, {x1, cy - r * 0.2}, {xt, cy + r}}));
    }
    double at(double f) const { return x0 + (x1 - x0) * f; }
};

void drawWindows(Canvas& c, const Fuselage& f, const Livery& l, double from, double to, double step, double y, double w, double h, bool round) {
    for (double x = f.at(from); x < f.at(to); x += step)
        fill(c, round ? ellipse(x, y, w / 2, h / 2) : roundRect(x - w / 2, y - h / 2, x + w / 2, y + h / 2, 0.8),
             isDark(l.body) ? rgb(120, 136, 160) : kGlass);
}

// Paints the fuselage in the body colour, with the cheatline (stripe colour, a
// thin accent line below it) from `bandTop` to `bandTop + bandHeight` radii
// below the axis when `bandHeight` > 0, and a darker belly from `belly` radii
// on when `belly` > 0. Returns the fuselage's shape for further clipping.
Shape paintFuselage(Canvas& c, const Fuselage& f, const Livery& l, double bandTop, double bandHeight, double belly = 0) {
    Shape body = f.shape();
    fill(c, body, l.body);
    if (bandHeight > 0) {
        double y0 = f.cy + f.r * bandTop, y1 = f.cy + f.r * (bandTop + bandHeight);
        fill(c, both(body, rect(0, y0, c.w, y1)), l.stripe);
        fill(c, both(body, rect(0, y1 + f.r * 0.08, c.w, y1 + f.r * 0.2)), l.accent);
    }
    if (belly > 0) fill(c, both(body, rect(0, f.cy + f.r * belly, c.w, c.h)), shade(l.body, 0.86));
    return body;
}

// The registration in dark letters, or light ones on a dark ground.
void drawRegistration(Canvas& c, const Livery& l, Rgb ground, double x, double y, double unit = 0.85) {
    TextStyle s{.unit = unit, .stroke = 1.1, .gap = 1.3, .ink = isDark(ground) ? rgb(236, 236, 240) : rgb(40, 40, 48)};
    drawText(c, l.registration, x, y, s);
}

void drawPropeller(Canvas& c, double x, double cy, double radius, Rgb spinner) {
    fill(c, ellipse(x - 1, cy, 2.2, radius), rgb(60, 60, 60), 0.3);
    fill(c, ellipse(x + 1, cy, 3.2, 3.2), spinner);
}

void drawWheel(Canvas& c, Pt axle, Pt mount, double r) {
    line(c, mount, axle, 1.6, kDark);
    fill(c, ellipse(axle.x, axle.y, r, r), rgb(36, 36, 40));
    fill(c, ellipse(axle.x, axle.y, r * 0.4, r * 0.4), rgb(150, 150, 156));
}

// A fin that leans back, in the tail colour, on the top of the tail cone.
Shape fin(const Fuselage& f, double height, double chord, double sweep) {
    double top = f.cy - f.r - height;
    double base = f.cy - f.r * 0.7;
    return polygon({{f.x1 - chord, f.cy - f.r + 1},
                    {f.x1 - chord * 0.45 + sweep * 0.2, top},
                    {f.x1 + sweep * 0.1, top},
                    {f.x1, base + 1}});
}

void drawAirliner(Canvas& c, const Livery& l) {
    Fuselage f{24, 232, 58, 12.5, 22, 44};
    double L = f.x1 - f.x0;
    // Far wing, above the fuselage behind it.
    fill(c, polygon({{f.at(0.40), f.cy - 2}, {f.at(0.56), f.cy - f.r * 1.6}, {f.at(0.60), f.cy - f.r * 1.6}, {f.at(0.55), f.cy}}),
         shade(kWingGrey, 0.8));
    paintFuselage(c, f, l, 0.1, 0.24, 0.62);
    drawWindows(c, f, l, 0.16, 0.70, 5.2, f.cy - f.r * 0.3, 2.4, 3.0, false);
    fill(c, polygon({{f.x0 + 7, f.cy - f.r * 0.35}, {f.x0 + 12, f.cy - f.r * 0.72}, {f.x0 + 17, f.cy - f.r * 0.72}, {f.x0 + 16, f.cy - f.r * 0.32}}),
         kGlass);
    fill(c, fin(f, 34, 0.2 * L, 8), l.tail);
    fill(c, ellipse(f.x1 - 0.1 * L, f.cy - f.r - 15, 5, 5), l.accent);
    fill(c, polygon({{f.x1 - 0.14 * L, f.cy - f.r * 0.2}, {f.x1 - 0.01 * L, f.cy - f.r * 0.6}, {f.x1 + 3, f.cy - f.r * 0.5}, {f.x1 - 0.1 * L, f.cy + 1}}),
         shade(kWingGrey, 0.9));
    // Near wing, sweeping back and down towards the viewer, with its engine.
    fill(c, polygon({{f.at(0.36), f.cy + f.r * 0.5}, {f.at(0.60), f.cy + f.r * 2.3}, {f.at(0.66), f.cy + f.r * 2.3}, {f.at(0.56), f.cy + f.r * 0.7}}),
         kWingGrey);
    fill(c, polygon({{f.at(0.46), f.cy + f.r * 1.0}, {f.at(0.48), f.cy + f.r * 1.4}, {f.at(0.52), f.cy + f.r * 1.4}, {f.at(0.5), f.cy + f.r * 1.0}}),
         shade(kWingGrey, 0.8));
    fill(c, roundRect(f.at(0.41), f.cy + f.r * 1.25, f.at(0.55), f.cy + f.r * 2.05, 4.5), l.accent);
    fill(c, ellipse(f.at(0.415), f.cy + f.r * 1.65, 2.2, 4.4), kDark);
    drawRegistration(c, l, l.body, f.at(0.72), f.cy - f.r * 0.55);
}

void drawTurboprop(Canvas& c, const Livery& l) {
    Fuselage f{34, 226, 60, 11, 16, 48};
    double L = f.x1 - f.x0;
    paintFuselage(c, f, l, 0.15, 0.26, 0.64);
    drawWindows(c, f, l, 0.2, 0.72, 8, f.cy - f.r * 0.25, 3.6, 3.6, true);
    fill(c, polygon({{f.x0 + 5, f.cy - f.r * 0.3}, {f.x0 + 9, f.cy - f.r * 0.7}, {f.x0 + 14, f.cy - f.r * 0.72}, {f.x0 + 13, f.cy - f.r * 0.28}}),
         kGlass);
    // T-tail.
    fill(c, fin(f, 30, 0.18 * L, 10), l.tail);
    fill(c, roundRect(f.x1 - 0.1 * L, f.cy - f.r - 32, f.x1 + 8, f.cy - f.r - 28, 2), l.tail);
    // High wing on the roof, with the engine nacelle below it.
    fill(c, roundRect(f.at(0.30), f.cy - f.r - 3, f.at(0.52), f.cy - f.r + 2.5, 2.5), kWingGrey);
    fill(c, roundRect(f.at(0.25), f.cy - f.r + 1, f.at(0.42), f.cy - f.r + 8, 3.5), l.accent);
    drawPropeller(c, f.at(0.25), f.cy - f.r + 4.5, 17, l.stripe);
    fill(c, roundRect(f.at(0.27), f.cy + f.r - 2, f.at(0.38), f.cy + f.r + 3, 2.5), shade(l.body, 0.8));  // gear pod
    drawRegistration(c, l, l.body, f.at(0.75), f.cy - f.r * 0.55);
}

// The high-winged single shared by the trainer and the floatplane.
Fuselage drawHighWingSingle(Canvas& c, const Livery& l) {
    Fuselage f{44, 214, 56, 12, 14, 70};
    double L = f.x1 - f.x0;
    paintFuselage(c, f, l, 0.2, 0.28);
    // Cabin glass and the fin.
    fill(c, polygon({{f.at(0.14), f.cy - f.r * 0.05}, {f.at(0.2), f.cy - f.r * 0.85}, {f.at(0.4), f.cy - f.r * 0.85}, {f.at(0.4), f.cy - f.r * 0.05}}),
         kGlass);
    line(c, {f.at(0.29), f.cy - f.r * 0.85}, {f.at(0.29), f.cy - f.r * 0.05}, 1.4, l.body);
    fill(c, fin(f, 24, 0.22 * L, 14), l.tail);
    fill(c, roundRect(f.x1 - 0.14 * L, f.cy - f.r * 0.55, f.x1 + 6, f.cy - f.r * 0.2, 1.5), l.tail);
    // Wing on the cabin roof, with its strut.
    fill(c, roundRect(f.at(0.15), f.cy - f.r - 4, f.at(0.46), f.cy - f.r + 1, 2.5), l.stripe);
    line(c, {f.at(0.38), f.cy - f.r}, {f.at(0.22), f.cy + f.r * 0.75}, 1.8, shade(kWingGrey, 0.8));
    drawPropeller(c, f.x0 - 2, f.cy + 1, 16, l.accent);
    drawRegistration(c, l, l.body, f.at(0.56), f.cy - f.r * 0.3, 0.8);
    return f;
}

void drawLightSingle(Canvas& c, const Livery& l) {
    Fuselage f = drawHighWingSingle(c, l);
    drawWheel(c, {f.at(0.2), f.cy + f.r + 11}, {f.at(0.25), f.cy + f.r * 0.6}, 4.5);
    drawWheel(c, {f.at(0.08), f.cy + f.r + 12}, {f.at(0.08), f.cy + f.r * 0.6}, 3.8);
    drawWheel(c, {f.x1 - 4, f.cy + 4}, {f.x1 - 6, f.cy - 2}, 2);
}

void drawFloatplane(Canvas& c, const Livery& l) {
    Fuselage f = drawHighWingSingle(c, l);
    // Struts, then a float that reaches from under the engine to behind the cabin.
    line(c, {f.at(0.12), f.cy + f.r * 0.7}, {f.at(0.1), f.cy + f.r + 12}, 1.8, kDark);
    line(c, {f.at(0.36), f.cy + f.r * 0.8}, {f.at(0.4), f.cy + f.r + 12}, 1.8, kDark);
    Shape floatShape = either(polygon({{f.at(-0.08), f.cy + f.r + 11}, {f.at(0.56), f.cy + f.r + 11}, {f.at(0.64), f.cy + f.r + 14},
                                       {f.at(0.6), f.cy + f.r + 18}, {f.at(0.02), f.cy + f.r + 18}}),
                              ellipse(f.at(-0.06), f.cy + f.r + 14.5, 6, 3.5));
    fill(c, floatShape, l.accent);
    fill(c, both(floatShape, rect(0, f.cy + f.r + 16, c.w, c.h)), shade(l.accent, 0.7));
    // Its reflection in the water.
    fill(c, roundRect(f.at(-0.08), f.cy + f.r + 21, f.at(0.62), f.cy + f.r + 24, 1.5), shade(l.accent, 0.6), 0.35);
}

void drawAerobatic(Canvas& c, const Livery& l) {
    Fuselage f{52, 206, 58, 11, 16, 64};
    double L = f.x1 - f.x0;
    Shape body = paintFuselage(c, f, l, 0, 0);
    // Sunburst rays over the body in the stripe colour.
    for (int i = 0; i < 5; ++i) {
        double x = f.at(0.2 + 0.13 * i);
        fill(c, both(body, polygon({{x, f.cy + f.r}, {x + 8, f.cy + f.r}, {x + 22, f.cy - f.r}, {x + 16, f.cy - f.r}})), l.stripe);
    }
    fill(c, ellipse(f.at(0.36), f.cy - f.r + 1, 0.14 * L, 8), rgb(150, 186, 214), 0.85);  // canopy
    fill(c, ellipse(f.at(0.33), f.cy - f.r - 1, 0.07 * L, 3), rgb(230, 240, 250), 0.5);
    fill(c, fin(f, 26, 0.2 * L, 8), l.tail);
    // Low wing, then fixed gear and the propeller.
    fill(c, polygon({{f.at(0.16), f.cy + f.r * 0.45}, {f.at(0.5), f.cy + f.r * 0.45}, {f.at(0.46), f.cy + f.r * 1.05}, {f.at(0.2), f.cy + f.r * 1.05}}),
         l.accent);
    drawWheel(c, {f.at(0.18), f.cy + f.r + 12}, {f.at(0.24), f.cy + f.r}, 4.5);
    drawWheel(c, {f.x1 - 4, f.cy + 4}, {f.x1 - 6, f.cy - 2}, 2);
    drawPropeller(c, f.x0 - 2, f.cy + 1, 17, l.accent);
    drawRegistration(c, l, l.body, f.at(0.68), f.cy - f.r * 0.1, 0.8);
}

void drawBusinessJet(Canvas& c, const Livery& l) {
    Fuselage f{30, 226, 60, 10, 26, 58};
    double L = f.x1 - f.x0;
    paintFuselage(c, f, l, 0.18, 0.2);
    drawWindows(c, f, l, 0.2, 0.52, 9, f.cy - f.r * 0.25, 4.4, 3.6, true);
    fill(c, polygon({{f.x0 + 9, f.cy - f.r * 0.3}, {f.x0 + 15, f.cy - f.r * 0.78}, {f.x0 + 21, f.cy - f.r * 0.8}, {f.x0 + 21, f.cy - f.r * 0.3}}),
         kGlass);
    // T-tail with a swept fin.
    fill(c, fin(f, 30, 0.17 * L, 16), l.tail);
    fill(c, polygon({{f.x1 - 8, f.cy - f.r - 30}, {f.x1 + 12, f.cy - f.r - 33}, {f.x1 + 14, f.cy - f.r - 29}, {f.x1 - 2, f.cy - f.r - 27}}),
         l.tail);
    // Engine on the rear fuselage, with its pylon.
    fill(c, rect(f.at(0.66), f.cy - f.r * 0.5, f.at(0.74), f.cy - 1), shade(kWingGrey, 0.85));
    fill(c, roundRect(f.at(0.57), f.cy - f.r * 1.25, f.at(0.81), f.cy - f.r * 0.35, 4), l.accent);
    fill(c, ellipse(f.at(0.573), f.cy - f.r * 0.8, 1.8, 4), kDark);
    // Small low wing.
    fill(c, polygon({{f.at(0.36), f.cy + f.r * 0.6}, {f.at(0.55), f.cy + f.r * 1.9}, {f.at(0.6), f.cy + f.r * 1.9}, {f.at(0.54), f.cy + f.r * 0.8}}),
         kWingGrey);
    drawRegistration(c, l, l.accent, f.at(0.575) + 4, f.cy - f.r * 1.1, 0.75);
}

// Every scene is drawn on 256 x 128 units. An 8-bit thumbnail shows it on 300 x
// 200 pixels, with more sky above and more ground below; a 24-bit one at 256 x
// 128, as thumbnails from another paint kit would come.
void makeThumbnail(const fs::path& root, const Livery& l) {
    Canvas c = l.bits == 24 ? Canvas(256, 128, rgb(0, 0, 0)) : Canvas(300, 200, rgb(0, 0, 0));
    if (l.bits != 24) {
        c.scale = 300.0 / 256;
        c.shift = {0, 22};
    }
    drawBackground(c, l.kind == Kind::Floatplane);
    switch (l.kind) {
    case Kind::Airliner: drawAirliner(c, l); break;
    case Kind::Turboprop: drawTurboprop(c, l); break;
    case Kind::LightSingle: drawLightSingle(c, l); break;
    case Kind::Aerobatic: drawAerobatic(c, l); break;
    case Kind::BusinessJet: drawBusinessJet(c, l); break;
    case Kind::Floatplane: drawFloatplane(c, l); break;
    }
    fs::path path = root / "demo/sim/Aircraft" / l.path / "thumbnail.bmp";
    if (l.bits == 24)
        writeBmp24(path, c);
    else
        writeBmp8(path, c);
}

// The liveries that have a thumbnail; their texture folders and colours match
// the aircraft.cfg files of demo/sim/Aircraft.
const Livery kLiveries[] = {
    {"Harrow_HA220/texture.House", Kind::Airliner, rgb(244, 246, 250), rgb(24, 52, 120), rgb(24, 52, 120), rgb(210, 40, 46), "G-HRWA", 8},
    {"Harrow_HA220/texture.Skylark", Kind::Airliner, rgb(250, 250, 250), rgb(80, 170, 220), rgb(250, 196, 40), rgb(80, 170, 220), "G-SKYL", 8},
    {"Harrow_HA220/texture.PolarCargo", Kind::Airliner, rgb(232, 234, 238), rgb(120, 124, 132), rgb(20, 120, 150), rgb(20, 120, 150), "G-PLRC", 8},
    {"Harrow_HA90_Tern/texture.Coastline", Kind::Turboprop, rgb(246, 246, 244), rgb(0, 128, 128), rgb(0, 96, 110), rgb(232, 232, 236), "G-TRNC", 8},
    {"Harrow_HA90_Tern/texture.Islander", Kind::Turboprop, rgb(250, 244, 226), rgb(236, 120, 40), rgb(46, 150, 70), rgb(236, 236, 230), "G-ISLA", 8},
    {"Kestrel K2/texture", Kind::LightSingle, rgb(248, 248, 248), rgb(236, 236, 236), rgb(40, 90, 170), rgb(200, 40, 40), "D-EKFC", 8},
    {"Kestrel K2/texture.Red", Kind::LightSingle, rgb(200, 32, 36), rgb(244, 244, 244), rgb(244, 244, 244), rgb(60, 60, 64), "D-EKRT", 8},
    {"Kestrel K2/texture.Blue", Kind::LightSingle, rgb(36, 80, 170), rgb(250, 214, 60), rgb(250, 214, 60), rgb(240, 240, 240), "D-EKBT", 8},
    {"KestrelMerlin7/texture.sunburst", Kind::Aerobatic, rgb(252, 216, 60), rgb(220, 60, 30), rgb(220, 60, 30), rgb(220, 60, 30), "D-EMSB", 8},
    {"Nordwind_NW500/texture.Demo", Kind::BusinessJet, rgb(246, 247, 250), rgb(150, 20, 40), rgb(150, 20, 40), rgb(190, 196, 206), "SE-NWD", 24},
    {"Nordwind_NW500/texture.Lueneburg", Kind::BusinessJet, rgb(28, 40, 64), rgb(200, 170, 90), rgb(200, 170, 90), rgb(60, 74, 100), "D-CLUE", 24},
    {"Brightwater_Skimmer/texture.Yellow", Kind::Floatplane, rgb(250, 204, 30), rgb(250, 204, 30), rgb(30, 30, 34), rgb(226, 226, 220), "C-FBWY", 8},
    {"Brightwater_Skimmer/texture.BushGreen", Kind::Floatplane, rgb(70, 110, 60), rgb(236, 232, 214), rgb(236, 232, 214), rgb(200, 200, 192), "C-FBWG", 8},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <repository root>\n", argv[0]);
        return 2;
    }
    fs::path root = argv[1];
    makeNoThumbnail(root);
    for (int size : {48, 32, 16}) makeIcon(root, size);
    for (const Livery& l : kLiveries) makeThumbnail(root, l);
    return 0;
}
