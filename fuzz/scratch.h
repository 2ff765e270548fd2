// Files of the fuzz targets: written in the working directory, which
// fuzz/run.sh makes a fresh temporary directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

inline void writeBytes(const char* name, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(name, "wb");
    if (!f) std::abort();
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

inline std::string readBytes(const char* name) {
    std::string text;
    std::FILE* f = std::fopen(name, "rb");
    if (!f) return text;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
    std::fclose(f);
    return text;
}
