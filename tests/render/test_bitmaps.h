// Writes small 24-bit BMP files into a private resource folder, so that
// bitmap loading can be tested without the program's artwork.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace testbitmaps {

// Pixels as GDI colours (0x00BBGGRR), row by row from the top.
struct Picture {
    int32_t width;
    int32_t height;
    std::vector<uint32_t> pixels;
    uint32_t& at(int32_t x, int32_t y) { return pixels[static_cast<size_t>(y * width + x)]; }
};

inline Picture picture(int32_t width, int32_t height, uint32_t colour)
{
    return Picture{width, height,
                   std::vector<uint32_t>(static_cast<size_t>(width * height), colour)};
}

inline void put16(std::FILE* f, uint32_t v)
{
    std::fputc(v & 0xFF, f);
    std::fputc((v >> 8) & 0xFF, f);
}

inline void put32(std::FILE* f, uint32_t v)
{
    put16(f, v & 0xFFFF);
    put16(f, v >> 16);
}

// Bottom-up, BGR, rows padded to four bytes.
inline bool writeBmp(const std::string& path, const Picture& p)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    uint32_t rowBytes = (static_cast<uint32_t>(p.width) * 3 + 3) & ~3u;
    uint32_t dataBytes = rowBytes * static_cast<uint32_t>(p.height);
    std::fputc('B', f);
    std::fputc('M', f);
    put32(f, 54 + dataBytes);
    put32(f, 0);
    put32(f, 54);
    put32(f, 40);
    put32(f, static_cast<uint32_t>(p.width));
    put32(f, static_cast<uint32_t>(p.height));
    put16(f, 1);
    put16(f, 24);
    put32(f, 0);
    put32(f, dataBytes);
    put32(f, 2835);
    put32(f, 2835);
    put32(f, 0);
    put32(f, 0);
    for (int32_t y = p.height - 1; y >= 0; --y) {
        uint32_t written = 0;
        for (int32_t x = 0; x < p.width; ++x) {
            uint32_t c = p.pixels[static_cast<size_t>(y * p.width + x)];
            std::fputc((c >> 16) & 0xFF, f);
            std::fputc((c >> 8) & 0xFF, f);
            std::fputc(c & 0xFF, f);
            written += 3;
        }
        for (; written < rowBytes; ++written)
            std::fputc(0, f);
    }
    return std::fclose(f) == 0;
}

// Sets or (with null) removes an environment variable.
inline void setEnvironment(const char* name, const char* value)
{
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

// A fresh resource folder with a bitmaps/ subfolder, made the program's
// resource folder through TOVRINE_RESOURCES until restore() is called.
class ResourceFolder {
public:
    ResourceFolder()
    {
        namespace fs = std::filesystem;
        std::error_code error;
        fs::path temp = fs::temp_directory_path(error);
        for (int attempt = 0; !error && attempt < 100 && root_.empty(); ++attempt) {
            fs::path candidate = temp / ("tovrine-res-" + std::to_string(std::rand()));
            if (fs::create_directory(candidate, error))
                root_ = candidate.string();
        }
        ok_ = !root_.empty() && fs::create_directory(fs::path(root_) / "bitmaps", error);
        const char* old = std::getenv("TOVRINE_RESOURCES");
        hadOld_ = old != nullptr;
        if (old)
            old_ = old;
        setEnvironment("TOVRINE_RESOURCES", root_.c_str());
    }
    ~ResourceFolder() { restore(); }

    bool ok() const { return ok_; }
    bool add(const std::string& fileName, const Picture& p) const
    {
        return writeBmp((std::filesystem::path(root_) / "bitmaps" / fileName).string(), p);
    }
    void restore()
    {
        setEnvironment("TOVRINE_RESOURCES", hadOld_ ? old_.c_str() : nullptr);
        std::error_code error;
        if (!root_.empty())
            std::filesystem::remove_all(root_, error);
        root_.clear();
    }

private:
    std::string root_;
    std::string old_;
    bool hadOld_ = false;
    bool ok_ = false;
};

}  // namespace testbitmaps
