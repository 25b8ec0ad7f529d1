// Turns the media player's glyph art (res/playback/art.txt) into 27 16-colour bitmaps:
// EN_<kind>.bmp, DI_<kind>.bmp and CL_<kind>.bmp. Runs on the build machine.
//
//   make_playback_glyphs <art file> <output directory>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The standard 16-colour palette as (r, g, b).
constexpr std::uint8_t kPalette[16][3] = {
    {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF}};
constexpr int kOlive = 3, kGrey = 8, kWhite = 15, kBlack = 0;

const std::map<std::string, int> kColourNames = {
    {"black", 0}, {"maroon", 1}, {"green", 2}, {"navy", 4},  {"purple", 5},
    {"teal", 6},  {"red", 9},    {"lime", 10}, {"blue", 12}, {"fuchsia", 13}};

struct Glyph {
    std::string kind;
    int colour = kBlack;
    std::vector<std::string> rows;
};

using Pixels = std::vector<std::vector<int>>; // [row][column] palette indices

void Put16(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, unsigned v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

std::string Bitmap(const Pixels& pixels) {
    const int height = static_cast<int>(pixels.size());
    const int width = static_cast<int>(pixels[0].size());
    const int stride = ((width + 1) / 2 + 3) / 4 * 4;
    const unsigned offset = 14 + 40 + 16 * 4;
    const unsigned imageSize = static_cast<unsigned>(stride * height);
    std::string out;
    out += "BM";
    Put32(out, offset + imageSize);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, static_cast<unsigned>(width));
    Put32(out, static_cast<unsigned>(height));
    Put16(out, 1);
    Put16(out, 4);
    Put32(out, 0); // BI_RGB
    Put32(out, imageSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 16);
    Put32(out, 0);
    for (const auto& c : kPalette) {
        out += static_cast<char>(c[2]);
        out += static_cast<char>(c[1]);
        out += static_cast<char>(c[0]);
        out += '\0';
    }
    for (int y = height - 1; y >= 0; --y) { // bottom-up
        std::string row(static_cast<size_t>(stride), '\0');
        for (int x = 0; x < width; ++x) {
            const int shift = x % 2 == 0 ? 4 : 0;
            row[static_cast<size_t>(x / 2)] =
                static_cast<char>(row[static_cast<size_t>(x / 2)] | (pixels[y][x] << shift));
        }
        out += row;
    }
    return out;
}

Pixels Inked(const Glyph& g, int ink) {
    Pixels p(g.rows.size(), std::vector<int>(g.rows[0].size(), kOlive));
    for (size_t y = 0; y < g.rows.size(); ++y)
        for (size_t x = 0; x < g.rows[y].size(); ++x)
            if (g.rows[y][x] == '#')
                p[y][x] = ink;
    return p;
}

// Grey ink with a white relief one pixel down and right, where the art is clear.
Pixels Disabled(const Glyph& g) {
    Pixels p = Inked(g, kGrey);
    for (size_t y = 0; y + 1 < g.rows.size(); ++y)
        for (size_t x = 0; x + 1 < g.rows[y].size(); ++x)
            if (g.rows[y][x] == '#' && g.rows[y + 1][x + 1] != '#')
                p[y + 1][x + 1] = kWhite;
    return p;
}

bool Fail(const std::string& why) {
    std::cerr << "make_playback_glyphs: " << why << "\n";
    return false;
}

bool ReadArt(const char* path, std::vector<Glyph>& glyphs) {
    std::ifstream in(path);
    if (!in)
        return Fail(std::string("cannot read ") + path);
    std::string line;
    Glyph* current = nullptr;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("# ", 0) == 0)
            continue; // comment
        if (line.rfind("glyph ", 0) == 0) {
            std::istringstream words(line.substr(6));
            Glyph g;
            std::string colour;
            words >> g.kind >> colour;
            auto found = kColourNames.find(colour);
            if (g.kind.empty() || found == kColourNames.end())
                return Fail("bad glyph line: " + line);
            g.colour = found->second;
            glyphs.push_back(g);
            current = &glyphs.back();
        } else if (line.empty()) {
            current = nullptr;
        } else if (current) {
            if (line.find_first_not_of(".#") != std::string::npos)
                return Fail("art may hold only '.' and '#': " + line);
            if (!current->rows.empty() && line.size() != current->rows[0].size())
                return Fail(current->kind + ": rows differ in width");
            current->rows.push_back(line);
        }
    }
    for (const Glyph& g : glyphs) {
        const size_t w = g.rows.empty() ? 0 : g.rows[0].size();
        if (w < 12 || w > 21 || (g.rows.size() != 13 && g.rows.size() != 16))
            return Fail(g.kind + ": glyphs are 12 to 21 wide and 13 or 16 high");
    }
    return !glyphs.empty() || Fail("no glyphs");
}

bool Write(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return out.good() || Fail("cannot write " + path);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return Fail("usage: make_playback_glyphs <art file> <output directory>"), 2;
    std::vector<Glyph> glyphs;
    if (!ReadArt(argv[1], glyphs))
        return 1;
    const std::string dir = argv[2];
    for (const Glyph& g : glyphs) {
        if (!Write(dir + "/EN_" + g.kind + ".bmp", Bitmap(Inked(g, kBlack))) ||
            !Write(dir + "/CL_" + g.kind + ".bmp", Bitmap(Inked(g, g.colour))) ||
            !Write(dir + "/DI_" + g.kind + ".bmp", Bitmap(Disabled(g))))
            return 1;
    }
    return 0;
}
