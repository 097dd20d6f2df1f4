// The wizard's artwork: the side picture (bitmap 199) and the product icon
// (icon group 10), checked and turned into resource data.
#pragma once

#include "Bytes.h"

#include <optional>
#include <string>
#include <vector>

namespace kit {

constexpr int kSidePictureWidth = 114;
constexpr int kSidePictureHeight = 226;

// RT_BITMAP data (the BMP without its 14-byte file header), or an error text.
std::optional<Bytes> SidePictureResource(const Bytes& bmp, std::string& error);

struct IconImage {
    std::uint8_t width, height, colorCount;
    std::uint16_t planes, bitCount;
    Bytes data;  // RT_ICON data: the image as stored in the ICO file
};

// The images of an ICO file; must hold 32x32 and 16x16 images of 16 colours.
std::optional<std::vector<IconImage>> IconImages(const Bytes& ico, std::string& error);

// RT_GROUP_ICON data for images whose RT_ICON ids are given in the same order.
Bytes GroupIconResource(const std::vector<IconImage>& images, const std::vector<std::uint16_t>& ids);

}  // namespace kit
