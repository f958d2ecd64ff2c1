// Writes the boot menu's 640x480 splash image as an XPM with 14 colours.
//
// The loader that reads it wants: the first line exactly "/* XPM */", one character per pixel and
// every colour written as "#RRGGBB" (it drops named colours). The picture is a dark green gradient
// with a faceted gem and its glow in the upper right corner, so that menu text in the middle and
// on the left stays readable. A continuous brightness field is mapped onto a 14-step green ramp
// with an 8x8 ordered dither, which keeps the gradient smooth without more colours.
//
// Usage: mkxpm OUTPUT

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kColours = 14;
constexpr double kPi = 3.14159265358979323846;

constexpr char kChars[kColours + 1] = "abcdefghijklmn";

// Dark green to pale mint, roughly even steps in perceived brightness.
constexpr const char* kPalette[kColours] = {
    "#020A05", "#04130A", "#061C0F", "#082614", "#0B311A", "#0E3D21", "#124A28",
    "#175931", "#1E6B3B", "#287F47", "#389756", "#52B06B", "#7DCB8E", "#C2EDCB",
};

constexpr int kBayer[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21},
};

// The gem: a brilliant seen from above, an octagonal table inside eight crown facets.
constexpr double kGemX = 528.0;
constexpr double kGemY = 104.0;
constexpr double kGemRadius = 54.0;
constexpr double kTableRadius = 24.0;
constexpr int kFacets = 8;

// Distance-like measure of a point to the gem's centre along an octagon (1 on the outline).
double OctagonRadius(double dx, double dy, double radius) {
    double angle = std::atan2(dy, dx);
    double sector = 2.0 * kPi / kFacets;
    double local = std::fmod(angle + kPi + sector / 2.0, sector) - sector / 2.0;
    return std::hypot(dx, dy) * std::cos(local) / (radius * std::cos(sector / 2.0));
}

// Brightness of a crown facet, lit from the upper left. Facets run from the table's corners to
// the outline's corners, which lie halfway between the flat sides.
double FacetLight(double dx, double dy) {
    double angle = std::atan2(dy, dx);
    double sector = 2.0 * kPi / kFacets;
    double centre = std::floor((angle + kPi + sector / 2.0) / sector) * sector - kPi;
    double light = std::cos(centre - (-3.0 * kPi / 4.0));  // facing up-left is brightest
    return 0.55 + 0.32 * light;
}

// Brightness in 0..1 at the centre of pixel (x, y).
double Brightness(int x, int y) {
    double u = (x + 0.5) / kWidth;
    double v = (y + 0.5) / kHeight;

    // Background: darker at the top, a broad lighter band low on the left, a vignette.
    double base = 0.14 + 0.16 * v;
    double band = std::exp(-std::pow((v - 0.78) / 0.22, 2.0)) * (0.10 * (1.0 - u));
    double cu = u - 0.5;
    double cv = v - 0.5;
    double vignette = 1.0 - 0.55 * (cu * cu + cv * cv);
    double value = (base + band) * vignette;

    double dx = x + 0.5 - kGemX;
    double dy = y + 0.5 - kGemY;
    double distance = std::hypot(dx, dy);

    // Soft glow around the gem and a faint ring of light.
    value += 0.42 * std::exp(-distance / 70.0);
    value += 0.05 * std::exp(-std::pow((distance - 118.0) / 10.0, 2.0));

    double r = OctagonRadius(dx, dy, kGemRadius);
    if (r <= 1.0) {
        double table = OctagonRadius(dx, dy, kTableRadius);
        double gem;
        if (table <= 1.0) {
            gem = 0.80 - 0.10 * (dy / kTableRadius);  // table, a little brighter at the top
        } else {
            gem = FacetLight(dx, dy);
        }
        // Dark edges between facets and on the outline give the cut.
        double sector = 2.0 * kPi / kFacets;
        double angle = std::atan2(dy, dx) + kPi;
        double seam = std::fabs(std::remainder(angle - sector / 2.0, sector)) * distance;
        if (seam < 1.2 && table > 1.0) gem -= 0.18;
        if (r > 0.94) gem -= 0.20 * (r - 0.94) / 0.06;
        if (std::fabs(table - 1.0) < 0.06) gem -= 0.12;
        // A small sparkle on the upper left facet.
        double sx = dx + 20.0;
        double sy = dy + 22.0;
        gem += 0.35 * std::exp(-(sx * sx + sy * sy) / 30.0);
        value = gem;
    }
    return std::clamp(value, 0.0, 1.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: mkxpm OUTPUT\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << "/* XPM */\n";
    out << "static char *greengem[] = {\n";
    out << "\"" << kWidth << " " << kHeight << " " << kColours << " 1\",\n";
    for (int i = 0; i < kColours; ++i) {
        out << "\"" << kChars[i] << " c " << kPalette[i] << "\",\n";
    }
    std::string row(kWidth, ' ');
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            double level = Brightness(x, y) * (kColours - 1);
            double threshold = (kBayer[y % 8][x % 8] + 0.5) / 64.0;
            int index = static_cast<int>(std::floor(level));
            if (level - index > threshold) ++index;
            row[x] = kChars[std::clamp(index, 0, kColours - 1)];
        }
        out << "\"" << row << "\"" << (y + 1 < kHeight ? ",\n" : "\n");
    }
    out << "};\n";
    out.close();
    if (!out) {
        std::cerr << "mkxpm: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
