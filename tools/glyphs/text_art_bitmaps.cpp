// Turns readable glyph text art into 16-colour (4 bits per pixel) BMP and ICO files. Runs
// on the build machine; standard C++ only.
//
//   text_art_bitmaps OUTPUT_DIR ART_FILE...
//
// An art file holds comment lines ("#"), blank lines and two kinds of glyph:
//
//   colour C RRGGBB [note]     gives the character C a colour (at most 16 per file)
//   glyph NAME WIDTH HEIGHT    then HEIGHT rows of WIDTH characters, one per pixel, in the
//                              file's colours; written as OUTPUT_DIR/name.bmp (lower case)
//
//   button KIND INK            then rows of "." (transparent olive) and "#" (ink) up to a
//                              blank line; written in the standard 16-colour palette three
//                              times: EN_KIND.bmp (black ink), CL_KIND.bmp (the named INK
//                              colour) and DI_KIND.bmp (grey ink with a white relief one
//                              pixel down and right)
//
//   icon NAME WIDTH HEIGHT     then HEIGHT rows of WIDTH characters in the file's colours,
//                              "." being transparent; every image of one NAME goes, in
//                              the file's order, into OUTPUT_DIR/name.ico

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

using Palette = std::vector<std::uint32_t>;   // 0xRRGGBB, at most 16
using Pixels = std::vector<std::vector<int>>; // [row][column] palette indices

const Palette kStandardPalette = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                  0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                  0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
constexpr int kBlack = 0, kOlive = 3, kGrey = 8, kWhite = 15;
const std::map<std::string, int> kInkNames = {
    {"black", 0}, {"maroon", 1}, {"green", 2}, {"navy", 4},  {"purple", 5},
    {"teal", 6},  {"red", 9},    {"lime", 10}, {"blue", 12}, {"fuchsia", 13}};

void Put16(std::string& out, unsigned value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

int Stride(int width, int bitsPerPixel) {
    return (width * bitsPerPixel + 31) / 32 * 4;
}

void PutPalette(std::string& out, const Palette& palette) {
    for (size_t i = 0; i < 16; ++i) {
        const std::uint32_t rgb = i < palette.size() ? palette[i] : 0;
        out.push_back(static_cast<char>(rgb & 0xFF));         // blue
        out.push_back(static_cast<char>((rgb >> 8) & 0xFF));  // green
        out.push_back(static_cast<char>((rgb >> 16) & 0xFF)); // red
        out.push_back(0);
    }
}

// Rows bottom-up, two pixels a byte, each row padded to four bytes.
void PutPixels(std::string& out, const Pixels& pixels) {
    const int height = static_cast<int>(pixels.size());
    const int width = static_cast<int>(pixels[0].size());
    for (int y = height - 1; y >= 0; --y) {
        std::string line(static_cast<size_t>(Stride(width, 4)), '\0');
        for (int x = 0; x < width; ++x) {
            const int colour = pixels[static_cast<size_t>(y)][static_cast<size_t>(x)];
            line[static_cast<size_t>(x / 2)] |= static_cast<char>(x % 2 ? colour : colour << 4);
        }
        out += line;
    }
}

void PutInfoHeader(std::string& out, int width, int height, std::uint32_t imageBytes) {
    Put32(out, 40); // BITMAPINFOHEADER
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height)); // positive: rows stored bottom-up
    Put16(out, 1);
    Put16(out, 4);
    Put32(out, 0); // BI_RGB
    Put32(out, imageBytes);
    Put32(out, 2835); // 72 dpi
    Put32(out, 2835);
    Put32(out, 16);
    Put32(out, 0);
}

// One icon image: its pixels (transparent ones black) and where it is transparent.
struct IconImage {
    Pixels pixels;
    std::vector<std::vector<bool>> transparent;
};

// An icon resource file: a directory of images, each a 16-colour DIB of twice its
// height, the colour rows followed by the 1-bit mask (1: transparent).
std::string Icon(const Palette& palette, const std::vector<IconImage>& images) {
    std::vector<std::string> bodies;
    for (const IconImage& image : images) {
        const int height = static_cast<int>(image.pixels.size());
        const int width = static_cast<int>(image.pixels[0].size());
        std::string body;
        const int maskStride = Stride(width, 1);
        PutInfoHeader(body, width, height * 2,
                      static_cast<std::uint32_t>((Stride(width, 4) + maskStride) * height));
        PutPalette(body, palette);
        PutPixels(body, image.pixels);
        for (int y = height - 1; y >= 0; --y) {
            std::string line(static_cast<size_t>(maskStride), '\0');
            for (int x = 0; x < width; ++x)
                if (image.transparent[static_cast<size_t>(y)][static_cast<size_t>(x)])
                    line[static_cast<size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
            body += line;
        }
        bodies.push_back(std::move(body));
    }
    std::string out;
    Put16(out, 0);
    Put16(out, 1); // icon
    Put16(out, static_cast<unsigned>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<char>(images[i].pixels[0].size() & 0xFF)); // 256 is 0
        out.push_back(static_cast<char>(images[i].pixels.size() & 0xFF));
        out.push_back(16); // colours
        out.push_back(0);
        Put16(out, 1); // planes
        Put16(out, 4); // bits per pixel
        Put32(out, static_cast<std::uint32_t>(bodies[i].size()));
        Put32(out, offset);
        offset += static_cast<std::uint32_t>(bodies[i].size());
    }
    for (const std::string& body : bodies)
        out += body;
    return out;
}

std::string Bitmap(const Palette& palette, const Pixels& pixels) {
    const int height = static_cast<int>(pixels.size());
    const int width = static_cast<int>(pixels[0].size());
    const std::uint32_t pixelOffset = 14 + 40 + 16 * 4;
    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(Stride(width, 4) * height);
    std::string out = "BM";
    Put32(out, pixelOffset + pixelBytes);
    Put32(out, 0);
    Put32(out, pixelOffset);
    PutInfoHeader(out, width, height, pixelBytes);
    PutPalette(out, palette);
    PutPixels(out, pixels);
    return out;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A player button's art inked in one colour.
Pixels Inked(const std::vector<std::string>& rows, int ink) {
    Pixels p(rows.size(), std::vector<int>(rows[0].size(), kOlive));
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            if (rows[y][x] == '#')
                p[y][x] = ink;
    return p;
}

// Grey ink with a white relief one pixel down and right, where the art is clear.
Pixels Disabled(const std::vector<std::string>& rows) {
    Pixels p = Inked(rows, kGrey);
    for (size_t y = 0; y + 1 < rows.size(); ++y)
        for (size_t x = 0; x + 1 < rows[y].size(); ++x)
            if (rows[y][x] == '#' && rows[y + 1][x + 1] != '#')
                p[y + 1][x + 1] = kWhite;
    return p;
}

class ArtFile {
public:
    ArtFile(const std::string& path, std::string outputDir)
        : path_(path), in_(path), outputDir_(std::move(outputDir)) {
        if (!in_)
            throw std::runtime_error("cannot read " + path);
    }

    void Convert() {
        std::string line;
        while (NextLine(line)) {
            std::istringstream words(line);
            std::string keyword;
            if (!(words >> keyword) || keyword[0] == '#')
                continue;
            if (keyword == "colour")
                Colour(words);
            else if (keyword == "glyph")
                Glyph(words);
            else if (keyword == "button")
                Button(words);
            else if (keyword == "icon")
                IconArt(words);
            else
                Fail("unknown line");
        }
        for (const auto& [name, images] : icons_)
            WriteFile(name + ".ico", Icon(palette_, images));
    }

private:
    bool NextLine(std::string& line) {
        if (!std::getline(in_, line))
            return false;
        ++number_;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return true;
    }

    [[noreturn]] void Fail(const std::string& why) const {
        throw std::runtime_error(path_ + ":" + std::to_string(number_) + ": " + why);
    }

    void Write(const std::string& name, const Palette& palette, const Pixels& pixels) const {
        WriteFile(name + ".bmp", Bitmap(palette, pixels));
    }

    void WriteFile(const std::string& name, const std::string& bytes) const {
        const std::string path = outputDir_ + "/" + name;
        std::ofstream out(path, std::ios::binary);
        out << bytes;
        if (!out)
            throw std::runtime_error("cannot write " + path);
    }

    void Colour(std::istringstream& words) {
        std::string character, rgb;
        if (!(words >> character >> rgb) || character.size() != 1 || rgb.size() != 6)
            Fail("expected: colour C RRGGBB");
        if (palette_.size() == 16)
            Fail("more than 16 colours");
        if (!index_.emplace(character[0], static_cast<int>(palette_.size())).second)
            Fail("colour defined twice");
        palette_.push_back(static_cast<std::uint32_t>(std::stoul(rgb, nullptr, 16)));
    }

    // HEIGHT rows of WIDTH characters.
    std::vector<std::string> ReadRows(const std::string& name, int width, int height) {
        std::vector<std::string> rows;
        std::string line;
        while (static_cast<int>(rows.size()) < height && NextLine(line)) {
            if (static_cast<int>(line.size()) != width)
                Fail("row is not " + std::to_string(width) + " characters wide");
            rows.push_back(line);
        }
        if (static_cast<int>(rows.size()) != height)
            Fail(name + " ends early");
        return rows;
    }

    int ColourOf(char c) const {
        auto found = index_.find(c);
        if (found == index_.end())
            Fail(std::string("no colour for '") + c + "'");
        return found->second;
    }

    void Glyph(std::istringstream& words) {
        std::string name;
        int width = 0, height = 0;
        if (!(words >> name >> width >> height) || width <= 0 || height <= 0)
            Fail("expected: glyph NAME WIDTH HEIGHT");
        Pixels pixels;
        for (const std::string& row : ReadRows(name, width, height)) {
            pixels.emplace_back();
            for (char c : row)
                pixels.back().push_back(ColourOf(c));
        }
        Write(Lower(name), palette_, pixels);
    }

    void IconArt(std::istringstream& words) {
        std::string name;
        int width = 0, height = 0;
        if (!(words >> name >> width >> height) || width <= 0 || height <= 0 || width > 256 ||
            height > 256)
            Fail("expected: icon NAME WIDTH HEIGHT (at most 256)");
        IconImage image;
        for (const std::string& row : ReadRows(name, width, height)) {
            image.pixels.emplace_back();
            image.transparent.emplace_back();
            for (char c : row) {
                // A transparent pixel's colour is black: the mask shows the screen there.
                image.pixels.back().push_back(c == '.' ? BlackIndex() : ColourOf(c));
                image.transparent.back().push_back(c == '.');
            }
        }
        icons_[Lower(name)].push_back(std::move(image));
    }

    int BlackIndex() {
        for (size_t i = 0; i < palette_.size(); ++i)
            if (palette_[i] == 0)
                return static_cast<int>(i);
        Fail("an icon's palette needs black for its transparent pixels");
    }

    void Button(std::istringstream& words) {
        std::string kind, ink;
        if (!(words >> kind >> ink) || !kInkNames.count(ink))
            Fail("expected: button KIND INK (a named colour)");
        std::vector<std::string> rows;
        std::string line;
        while (NextLine(line) && !line.empty()) {
            if (line.find_first_not_of(".#") != std::string::npos)
                Fail("button art holds only '.' and '#'");
            if (!rows.empty() && line.size() != rows[0].size())
                Fail("rows differ in width");
            rows.push_back(line);
        }
        const size_t width = rows.empty() ? 0 : rows[0].size();
        if (width < 12 || width > 21 || (rows.size() != 13 && rows.size() != 16))
            Fail(kind + ": player glyphs are 12 to 21 wide and 13 or 16 high");
        Write("EN_" + kind, kStandardPalette, Inked(rows, kBlack));
        Write("CL_" + kind, kStandardPalette, Inked(rows, kInkNames.at(ink)));
        Write("DI_" + kind, kStandardPalette, Disabled(rows));
    }

    std::string path_;
    std::ifstream in_;
    std::string outputDir_;
    int number_ = 0;
    Palette palette_;
    std::map<char, int> index_;
    std::map<std::string, std::vector<IconImage>> icons_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR ART_FILE...\n", argv[0]);
        return 2;
    }
    try {
        for (int i = 2; i < argc; ++i)
            ArtFile(argv[i], argv[1]).Convert();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "text_art_bitmaps: %s\n", error.what());
        return 1;
    }
    return 0;
}
