// Writes the application icon: a green disc with a white "K", in nine images: 48x48, 32x32 and
// 16x16, each with 16 colours (4 bpp), 256 colours (8 bpp) and true colour (32 bpp with alpha for
// 48 and 16, 24 bpp for 32). Each size is drawn from the same vector shapes with 4x4
// supersampling; the palette images use their own green palettes and a 1-bit transparency mask.
//
// Usage: mkicon OUTPUT.ico

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <vector>

namespace {

struct Rgb {
    double r, g, b;
};

struct Pixel {
    Rgb colour;    // not premultiplied
    double alpha;  // coverage, 0..1
};

struct Format {
    int size;
    int bpp;
};

// Directory order: largest first, within a size fewest colours first.
constexpr std::array<Format, 9> kFormats = {{
    {48, 4},
    {48, 8},
    {48, 32},
    {32, 4},
    {32, 8},
    {32, 24},
    {16, 4},
    {16, 8},
    {16, 32},
}};

constexpr Rgb kWhite = {255, 255, 255};
constexpr Rgb kLight = {96, 214, 124};  // disc, upper left
constexpr Rgb kDark = {20, 112, 50};    // disc, lower right
constexpr Rgb kRim = {12, 76, 34};      // outline of the disc

Rgb Mix(const Rgb& a, const Rgb& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    double vx = bx - ax;
    double vy = by - ay;
    double t = std::clamp(((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
    return std::hypot(px - ax - t * vx, py - ay - t * vy);
}

// The design in unit coordinates (0..1, y down). Returns the colour and whether the point is
// inside the disc.
bool Shade(double x, double y, Rgb* colour) {
    double dx = x - 0.5;
    double dy = y - 0.5;
    double radius = std::hypot(dx, dy);
    if (radius > 0.47) return false;

    *colour = Mix(kLight, kDark, std::clamp((x + y) / 2.0 * 1.2 - 0.1, 0.0, 1.0));
    if (radius > 0.415) *colour = kRim;

    constexpr double kStroke = 0.065;  // half width of the letter's strokes
    bool letter = (x >= 0.33 && x <= 0.33 + 2 * kStroke && y >= 0.24 && y <= 0.76) ||
                  SegmentDistance(x, y, 0.40, 0.54, 0.66, 0.26) <= kStroke ||
                  SegmentDistance(x, y, 0.48, 0.47, 0.68, 0.74) <= kStroke;
    if (letter) *colour = kWhite;
    return true;
}

std::vector<Pixel> Render(int size) {
    constexpr int kSub = 4;
    std::vector<Pixel> pixels(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Rgb sum = {0, 0, 0};
            int covered = 0;
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    Rgb c;
                    if (Shade((x + (sx + 0.5) / kSub) / size, (y + (sy + 0.5) / kSub) / size, &c)) {
                        sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                        ++covered;
                    }
                }
            }
            Pixel& p = pixels[static_cast<size_t>(y) * size + x];
            p.alpha = static_cast<double>(covered) / (kSub * kSub);
            p.colour =
                covered ? Rgb{sum.r / covered, sum.g / covered, sum.b / covered} : Rgb{0, 0, 0};
        }
    }
    return pixels;
}

// Palettes: entry 0 is black, used under the transparency mask. The rest spans the colours the
// design mixes: disc shades, and each shade blended towards white for the letter's edges.
std::vector<Rgb> MakePalette(int bpp) {
    std::vector<Rgb> palette = {{0, 0, 0}};
    int shades = bpp == 4 ? 5 : 15;
    int blends = bpp == 4 ? 3 : 17;
    for (int s = 0; s < shades; ++s) {
        Rgb base = s == 0 ? kRim : Mix(kLight, kDark, (s - 1) / std::max(1.0, shades - 2.0));
        for (int b = 0; b < blends; ++b) palette.push_back(Mix(base, kWhite, b / (blends - 1.0)));
    }
    palette.resize(static_cast<size_t>(1) << bpp, Rgb{0, 0, 0});
    return palette;
}

int Nearest(const std::vector<Rgb>& palette, const Rgb& c) {
    int best = 0;
    double best_distance = 1e30;
    for (size_t i = 1; i < palette.size(); ++i) {
        double d = std::pow(palette[i].r - c.r, 2) + std::pow(palette[i].g - c.g, 2) +
                   std::pow(palette[i].b - c.b, 2);
        if (d < best_distance) {
            best_distance = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

void Put16(std::vector<uint8_t>* out, unsigned v) {
    out->push_back(static_cast<uint8_t>(v & 0xFF));
    out->push_back(static_cast<uint8_t>(v >> 8 & 0xFF));
}

void Put32(std::vector<uint8_t>* out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

uint8_t Byte(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0))); }

// One icon image: BITMAPINFOHEADER (height doubled), palette, colour rows bottom-up, AND mask.
std::vector<uint8_t> EncodeImage(const Format& format) {
    const int size = format.size;
    const std::vector<Pixel> pixels = Render(size);
    const std::vector<Rgb> palette = format.bpp <= 8 ? MakePalette(format.bpp) : std::vector<Rgb>{};

    std::vector<uint8_t> out;
    Put32(&out, 40);
    Put32(&out, static_cast<uint32_t>(size));
    Put32(&out, static_cast<uint32_t>(size * 2));
    Put16(&out, 1);
    Put16(&out, static_cast<unsigned>(format.bpp));
    for (int i = 0; i < 6; ++i) Put32(&out, 0);  // compression, sizes, resolution, colours
    for (const Rgb& c : palette) {
        out.push_back(Byte(c.b));
        out.push_back(Byte(c.g));
        out.push_back(Byte(c.r));
        out.push_back(0);
    }

    const int row_bytes = (size * format.bpp + 31) / 32 * 4;
    for (int y = size - 1; y >= 0; --y) {
        std::vector<uint8_t> row(static_cast<size_t>(row_bytes), 0);
        for (int x = 0; x < size; ++x) {
            const Pixel& p = pixels[static_cast<size_t>(y) * size + x];
            if (format.bpp == 32) {
                uint8_t* q = &row[static_cast<size_t>(x) * 4];
                q[0] = Byte(p.colour.b);
                q[1] = Byte(p.colour.g);
                q[2] = Byte(p.colour.r);
                q[3] = Byte(p.alpha * 255.0);
            } else if (format.bpp == 24) {
                if (p.alpha < 0.5) continue;
                uint8_t* q = &row[static_cast<size_t>(x) * 3];
                q[0] = Byte(p.colour.b);
                q[1] = Byte(p.colour.g);
                q[2] = Byte(p.colour.r);
            } else {
                int index = p.alpha < 0.5 ? 0 : Nearest(palette, p.colour);
                if (format.bpp == 8) {
                    row[static_cast<size_t>(x)] = static_cast<uint8_t>(index);
                } else {
                    row[static_cast<size_t>(x / 2)] |=
                        static_cast<uint8_t>(x % 2 == 0 ? index << 4 : index);
                }
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }

    const int mask_bytes = (size + 31) / 32 * 4;
    for (int y = size - 1; y >= 0; --y) {
        std::vector<uint8_t> row(static_cast<size_t>(mask_bytes), 0);
        for (int x = 0; x < size; ++x) {
            if (pixels[static_cast<size_t>(y) * size + x].alpha < 0.5) {
                row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: mkicon OUTPUT.ico\n";
        return 2;
    }
    std::vector<std::vector<uint8_t>> images;
    for (const Format& format : kFormats) images.push_back(EncodeImage(format));

    std::vector<uint8_t> file;
    Put16(&file, 0);  // reserved
    Put16(&file, 1);  // icon
    Put16(&file, static_cast<unsigned>(images.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const Format& format = kFormats[i];
        file.push_back(static_cast<uint8_t>(format.size));
        file.push_back(static_cast<uint8_t>(format.size));
        file.push_back(static_cast<uint8_t>(format.bpp == 4 ? 16 : 0));  // palette entries
        file.push_back(0);
        Put16(&file, 1);  // planes
        Put16(&file, static_cast<unsigned>(format.bpp));
        Put32(&file, static_cast<uint32_t>(images[i].size()));
        Put32(&file, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const auto& image : images) file.insert(file.end(), image.begin(), image.end());

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) {
        std::cerr << "mkicon: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
