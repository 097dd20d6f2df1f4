#include "Images.h"

#include <cstring>

namespace kit {

namespace {

// Checks a BITMAPINFOHEADER-based DIB; returns its byte size (header, palette,
// pixels, and for icons the AND mask) or 0 with an error.
std::size_t CheckDib(const std::uint8_t* p, std::size_t size, bool icon, int& width, int& height, int& bits,
                     std::string& error)
{
    if (size < 40 || Get32(p) != 40) {
        error = "expected a BITMAPINFOHEADER (40 bytes) in Windows BMP format";
        return 0;
    }
    width = static_cast<std::int32_t>(Get32(p + 4));
    std::int32_t h = static_cast<std::int32_t>(Get32(p + 8));
    std::uint16_t planes = Get16(p + 12);
    bits = Get16(p + 14);
    std::uint32_t compression = Get32(p + 16);
    std::uint32_t used = Get32(p + 32);
    if (planes != 1 || compression != 0) {
        error = "expected one plane and no compression (BI_RGB)";
        return 0;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
        error = "unsupported bit depth " + std::to_string(bits);
        return 0;
    }
    if (icon && (h <= 0 || h % 2 != 0)) {
        error = "icon image height must be twice the icon's height (colour and mask)";
        return 0;
    }
    height = icon ? h / 2 : (h < 0 ? -h : h);
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096) {
        error = "bad image size";
        return 0;
    }
    std::size_t colours = bits <= 8 ? (used ? used : (1u << bits)) : used;
    if (bits <= 8 && colours > (1u << bits)) {
        error = "palette larger than the bit depth allows";
        return 0;
    }
    std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    std::size_t need = 40 + colours * 4 + stride * height;
    if (icon)
        need += (static_cast<std::size_t>(width) + 31) / 32 * 4 * height;
    if (need > size) {
        error = "the file is cut short (" + std::to_string(size) + " of " + std::to_string(need) + " bytes)";
        return 0;
    }
    return need;
}

}  // namespace

std::optional<Bytes> SidePictureResource(const Bytes& bmp, std::string& error)
{
    if (bmp.size() < 14 + 40 || bmp[0] != 'B' || bmp[1] != 'M') {
        error = "not a BMP file";
        return std::nullopt;
    }
    int width = 0, height = 0, bits = 0;
    std::size_t dib = CheckDib(bmp.data() + 14, bmp.size() - 14, false, width, height, bits, error);
    if (!dib)
        return std::nullopt;
    std::uint32_t used = Get32(bmp.data() + 14 + 32);
    std::size_t colours = bits <= 8 ? (used ? used : (1u << bits)) : used;
    if (Get32(bmp.data() + 10) != 14 + 40 + colours * 4) {
        error = "the pixels do not follow the palette directly (the resource would be misread)";
        return std::nullopt;
    }
    if (width != kSidePictureWidth || height != kSidePictureHeight || bits != 4) {
        error = std::to_string(width) + "x" + std::to_string(height) + " pixels at " + std::to_string(bits) +
                " bits per pixel; the wizard shows a side picture of 114x226 pixels with 16 colours (4 bits)";
        return std::nullopt;
    }
    return Bytes(bmp.begin() + 14, bmp.begin() + 14 + static_cast<std::ptrdiff_t>(dib));
}

std::optional<std::vector<IconImage>> IconImages(const Bytes& ico, std::string& error)
{
    if (ico.size() < 6 || Get16(ico.data()) != 0 || Get16(ico.data() + 2) != 1 || Get16(ico.data() + 4) == 0) {
        error = "not an ICO file";
        return std::nullopt;
    }
    std::size_t count = Get16(ico.data() + 4);
    if (ico.size() < 6 + count * 16) {
        error = "the icon directory is cut short";
        return std::nullopt;
    }
    std::vector<IconImage> images;
    bool have32 = false, have16 = false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = ico.data() + 6 + i * 16;
        std::uint32_t bytes = Get32(e + 8), offset = Get32(e + 12);
        if (offset > ico.size() || bytes > ico.size() - offset || bytes < 40) {
            error = "image " + std::to_string(i + 1) + " lies outside the file";
            return std::nullopt;
        }
        IconImage image{e[0], e[1], e[2], Get16(e + 4), Get16(e + 6),
                        Bytes(ico.begin() + offset, ico.begin() + offset + bytes)};
        static const std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        if (std::memcmp(image.data.data(), kPng, 8) != 0) {
            int w = 0, h = 0, bits = 0;
            std::string why;
            if (!CheckDib(image.data.data(), image.data.size(), true, w, h, bits, why)) {
                error = "image " + std::to_string(i + 1) + ": " + why;
                return std::nullopt;
            }
            if ((e[0] ? e[0] : 256) != w || (e[1] ? e[1] : 256) != h) {
                error = "image " + std::to_string(i + 1) + ": directory and image disagree about its size";
                return std::nullopt;
            }
            image.planes = 1;
            image.bitCount = static_cast<std::uint16_t>(bits);
            image.colorCount = bits < 8 ? static_cast<std::uint8_t>(1u << bits) : 0;
            have32 = have32 || (w == 32 && h == 32 && bits == 4);
            have16 = have16 || (w == 16 && h == 16 && bits == 4);
        }
        images.push_back(std::move(image));
    }
    if (!have32 || !have16) {
        error = "the wizard's icon needs a 32x32 and a 16x16 image of 16 colours (4 bits per pixel)";
        return std::nullopt;
    }
    return images;
}

Bytes GroupIconResource(const std::vector<IconImage>& images, const std::vector<std::uint16_t>& ids)
{
    Bytes out;
    Append16(out, 0);
    Append16(out, 1);
    Append16(out, static_cast<std::uint32_t>(images.size()));
    for (std::size_t i = 0; i < images.size(); ++i) {
        const IconImage& im = images[i];
        out.push_back(im.width);
        out.push_back(im.height);
        out.push_back(im.colorCount);
        out.push_back(0);
        Append16(out, im.planes);
        Append16(out, im.bitCount);
        Append32(out, static_cast<std::uint32_t>(im.data.size()));
        Append16(out, ids[i]);
    }
    return out;
}

}  // namespace kit
