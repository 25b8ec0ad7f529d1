// Turns glyph text art into 16-colour (4 bits per pixel) BMP files.
//
//   glyph_bmp OUTPUT_DIR ART_FILE...
//
// An art file holds comment lines ("#"), colour lines "colour C RRGGBB [note]" giving the
// character C a colour (at most 16 per file), and glyphs: "glyph NAME WIDTH HEIGHT" followed
// by HEIGHT lines of WIDTH characters, one per pixel. Each glyph becomes OUTPUT_DIR/name.bmp
// (lower case). Built for the build machine; standard C++ only.

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Palette {
    std::map<char, int> index;
    std::vector<std::uint32_t> colours; // 0xRRGGBB
};

void Put16(std::string& out, unsigned value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

std::string Bitmap(const Palette& palette, const std::vector<std::string>& rows, int width) {
    const int height = static_cast<int>(rows.size());
    const int stride = (width * 4 + 31) / 32 * 4;
    const std::uint32_t pixelOffset = 14 + 40 + 16 * 4;
    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(stride * height);
    std::string out;
    out += "BM";
    Put32(out, pixelOffset + pixelBytes);
    Put32(out, 0);
    Put32(out, pixelOffset);
    Put32(out, 40); // BITMAPINFOHEADER
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height)); // positive: rows stored bottom-up
    Put16(out, 1);
    Put16(out, 4);
    Put32(out, 0); // BI_RGB
    Put32(out, pixelBytes);
    Put32(out, 2835); // 72 dpi
    Put32(out, 2835);
    Put32(out, 16);
    Put32(out, 0);
    for (int i = 0; i < 16; ++i) {
        const std::uint32_t rgb =
            i < static_cast<int>(palette.colours.size()) ? palette.colours[i] : 0;
        out.push_back(static_cast<char>(rgb & 0xFF));         // blue
        out.push_back(static_cast<char>((rgb >> 8) & 0xFF));  // green
        out.push_back(static_cast<char>((rgb >> 16) & 0xFF)); // red
        out.push_back(0);
    }
    for (int y = height - 1; y >= 0; --y) {
        std::string line(static_cast<size_t>(stride), '\0');
        for (int x = 0; x < width; ++x) {
            const int colour =
                palette.index.at(rows[static_cast<size_t>(y)][static_cast<size_t>(x)]);
            line[static_cast<size_t>(x / 2)] |= static_cast<char>(x % 2 ? colour : colour << 4);
        }
        out += line;
    }
    return out;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void Convert(const std::string& artPath, const std::string& outputDir) {
    std::ifstream in(artPath);
    if (!in)
        throw std::runtime_error("cannot read " + artPath);
    Palette palette;
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& why) {
        throw std::runtime_error(artPath + ":" + std::to_string(number) + ": " + why);
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword) || keyword[0] == '#')
            continue;
        if (keyword == "colour") {
            std::string character, rgb;
            if (!(words >> character >> rgb) || character.size() != 1 || rgb.size() != 6)
                fail("expected: colour C RRGGBB");
            if (palette.colours.size() == 16)
                fail("more than 16 colours");
            if (!palette.index.emplace(character[0], static_cast<int>(palette.colours.size()))
                     .second)
                fail("colour defined twice");
            palette.colours.push_back(static_cast<std::uint32_t>(std::stoul(rgb, nullptr, 16)));
        } else if (keyword == "glyph") {
            std::string name;
            int width = 0, height = 0;
            if (!(words >> name >> width >> height) || width <= 0 || height <= 0)
                fail("expected: glyph NAME WIDTH HEIGHT");
            std::vector<std::string> rows;
            while (static_cast<int>(rows.size()) < height && std::getline(in, line)) {
                ++number;
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                if (static_cast<int>(line.size()) != width)
                    fail("row is not " + std::to_string(width) + " characters wide");
                for (char c : line)
                    if (!palette.index.count(c))
                        fail(std::string("no colour for '") + c + "'");
                rows.push_back(line);
            }
            if (static_cast<int>(rows.size()) != height)
                fail("glyph " + name + " ends early");
            const std::string path = outputDir + "/" + Lower(name) + ".bmp";
            std::ofstream out(path, std::ios::binary);
            out << Bitmap(palette, rows, width);
            if (!out)
                throw std::runtime_error("cannot write " + path);
        } else {
            fail("unknown line");
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR ART_FILE...\n", argv[0]);
        return 2;
    }
    try {
        for (int i = 2; i < argc; ++i)
            Convert(argv[i], argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "glyph_bmp: %s\n", error.what());
        return 1;
    }
    return 0;
}
