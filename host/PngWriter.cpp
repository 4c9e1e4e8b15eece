#include "host/PngWriter.h"

#include <algorithm>
#include <fstream>

namespace qx::host {

namespace {
constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr size_t kStoredBlockMax = 65535;

void PutBe(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(uint8_t(v >> (8 * i)));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    PutBe(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBe(out, Crc32(out.data() + start, out.size() - start));
}

// The zlib stream of raw: header, stored blocks, Adler-32 of the raw bytes.
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        const size_t n = std::min(kStoredBlockMax, raw.size() - pos);
        const bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00 (stored)
        z.push_back(uint8_t(n));
        z.push_back(uint8_t(n >> 8));
        z.push_back(uint8_t(~n));
        z.push_back(uint8_t(~n >> 8));
        z.insert(z.end(), raw.begin() + long(pos), raw.begin() + long(pos + n));
        pos += n;
    } while (pos < raw.size());
    PutBe(z, Adler32(raw.data(), raw.size()));
    return z;
}
}  // namespace

RgbImage::RgbImage(uint32_t w, uint32_t h, uint32_t fill) : width(w), height(h), pixels(size_t(w) * h * 3) {
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        pixels[3 * i] = uint8_t(fill >> 16);
        pixels[3 * i + 1] = uint8_t(fill >> 8);
        pixels[3 * i + 2] = uint8_t(fill);
    }
}

void RgbImage::Set(int x, int y, uint32_t rgb) {
    if (x < 0 || y < 0 || uint32_t(x) >= width || uint32_t(y) >= height) return;
    uint8_t* p = &pixels[(size_t(y) * width + size_t(x)) * 3];
    p[0] = uint8_t(rgb >> 16);
    p[1] = uint8_t(rgb >> 8);
    p[2] = uint8_t(rgb);
}

uint32_t RgbImage::Get(int x, int y) const {
    if (x < 0 || y < 0 || uint32_t(x) >= width || uint32_t(y) >= height) return 0;
    const uint8_t* p = &pixels[(size_t(y) * width + size_t(x)) * 3];
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

uint32_t Adler32(const uint8_t* data, size_t size) {
    uint32_t a = 1, b = 0;
    for (size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

std::vector<uint8_t> EncodePng(const RgbImage& image) {
    std::vector<uint8_t> out(kSignature, kSignature + sizeof kSignature);
    std::vector<uint8_t> header;
    PutBe(header, image.width);
    PutBe(header, image.height);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter set, no interlace
    PutChunk(out, "IHDR", header);

    // Each row starts with filter type 0 (none).
    std::vector<uint8_t> raw;
    const size_t stride = size_t(image.width) * 3;
    raw.reserve((stride + 1) * image.height);
    for (uint32_t y = 0; y < image.height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), image.pixels.begin() + long(y * stride), image.pixels.begin() + long((y + 1) * stride));
    }
    PutChunk(out, "IDAT", StoredZlib(raw));
    PutChunk(out, "IEND", {});
    return out;
}

bool WritePngFile(const std::string& path, const RgbImage& image, std::string& error) {
    const std::vector<uint8_t> bytes = EncodePng(image);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace qx::host
