#pragma once

// Helpers of the picture tests: temporary folders, whole files, libjpeg-
// turbo's command-line tools and their PPM files.

#include "common/Error.h"
#include "raster/Surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace masume::test {

namespace fs = std::filesystem;

inline const std::string Fixtures = MASUME_FIXTURES;

// A fresh folder, removed with its content at the end of the test.
class TempDir
{
public:
    TempDir()
    {
        std::string pattern = (fs::temp_directory_path() / "masume-picture-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    std::string file(const std::string &name) const { return (m_path / name).string(); }
    const fs::path &path() const { return m_path; }
    // The names in the folder, sorted.
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto &e : fs::directory_iterator(m_path))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

private:
    fs::path m_path;
};

inline std::vector<uint8_t> fileBytes(const std::string &name)
{
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string &name, const std::vector<uint8_t> &bytes)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

// The message of the masume::Error that f raises, or "" when it raises none.
template<typename F> std::string errorOf(F &&f)
{
    try {
        f();
    } catch (const Error &e) {
        return e.what();
    }
    return {};
}

// Runs a shell command line; its exit status, or -1 when it did not exit.
inline int run(const std::string &command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A binary PPM (P6) or PGM (P5) file of 8-bit samples as a 24-bit surface;
// an empty surface when the file is none.
inline Surface readPnm(const std::string &name)
{
    const std::vector<uint8_t> b = fileBytes(name);
    size_t pos = 0;
    auto token = [&]() {
        while (pos < b.size() && (std::isspace(b[pos]) || b[pos] == '#')) {
            if (b[pos] == '#')
                while (pos < b.size() && b[pos] != '\n')
                    ++pos;
            else
                ++pos;
        }
        std::string t;
        while (pos < b.size() && !std::isspace(b[pos]))
            t += char(b[pos++]);
        return t;
    };
    const std::string magic = token();
    if (magic != "P6" && magic != "P5")
        return {};
    const int w = std::stoi(token());
    const int h = std::stoi(token());
    if (std::stoi(token()) != 255)
        return {};
    ++pos; // the single blank after the maximum
    const int channels = magic == "P6" ? 3 : 1;
    if (b.size() < pos + size_t(w) * h * channels)
        return {};
    Surface s(w, h, PixelFormat::Rgb24);
    for (int y = 0; y < h; ++y) {
        uint8_t *row = s.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const uint8_t *p = &b[pos + (size_t(y) * w + x) * channels];
            row[3 * x] = p[channels == 3 ? 2 : 0];
            row[3 * x + 1] = p[channels == 3 ? 1 : 0];
            row[3 * x + 2] = p[0];
        }
    }
    return s;
}

inline void writePpm(const Surface &s, const std::string &name)
{
    std::string header
        = "P6\n" + std::to_string(s.width()) + " " + std::to_string(s.height()) + "\n255\n";
    std::vector<uint8_t> out(header.begin(), header.end());
    for (int y = 0; y < s.height(); ++y) {
        const uint8_t *row = s.constScanLine(y);
        for (int x = 0; x < s.width(); ++x) {
            out.push_back(row[3 * x + 2]);
            out.push_back(row[3 * x + 1]);
            out.push_back(row[3 * x]);
        }
    }
    writeBytes(name, out);
}

// A smooth, photo-like picture with some fine detail: gradients, a few
// discs and a band of noise, the same for the same seed.
inline Surface photoLike(int w, int h, unsigned seed)
{
    Surface s(w, h, PixelFormat::Rgb24);
    uint32_t state = seed * 2654435761u + 1;
    auto noise = [&]() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    for (int y = 0; y < h; ++y) {
        uint8_t *row = s.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const int dx = x - w / 3, dy = y - h / 2;
            const bool disc = int64_t(dx) * dx + int64_t(dy) * dy < int64_t(h) * h / 9;
            int r = 40 + 180 * x / std::max(1, w - 1);
            int g = 30 + 200 * y / std::max(1, h - 1);
            int b = disc ? 220 : 90 + (x + y) % 64;
            if (y % 97 < 6) {
                const uint32_t n = noise();
                r = (r + int(n & 63)) & 255;
                g = (g + int((n >> 8) & 63)) & 255;
                b = (b + int((n >> 16) & 63)) & 255;
            }
            row[3 * x] = uint8_t(b);
            row[3 * x + 1] = uint8_t(g);
            row[3 * x + 2] = uint8_t(r);
        }
    }
    return s;
}

} // namespace masume::test
