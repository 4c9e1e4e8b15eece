#pragma once
// A minimal PNG encoder: 8-bit RGB, no filtering, the image data in stored (uncompressed)
// deflate blocks inside a zlib stream. Pure C++.
#include <cstdint>
#include <string>
#include <vector>

namespace qx::host {

struct RgbImage {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> pixels;  // rows top to bottom, 3 bytes per pixel

    RgbImage(uint32_t w, uint32_t h, uint32_t fill = 0xFFFFFF);
    void Set(int x, int y, uint32_t rgb);  // ignores points outside
    uint32_t Get(int x, int y) const;
};

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);
uint32_t Adler32(const uint8_t* data, size_t size);

std::vector<uint8_t> EncodePng(const RgbImage& image);
bool WritePngFile(const std::string& path, const RgbImage& image, std::string& error);

}  // namespace qx::host
