// What the fuzz targets share: reading the choices a target makes from the front
// of its input, reporting a broken property, and a scratch file for the inputs that
// are files.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "engine/FilterOptions.h"
#include "engine/tests/Hex.h"

namespace qm::fuzz {

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    // The next byte; 0 once the input is used up.
    std::uint8_t Byte() {
        if (rest_.empty()) return 0;
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }

    // The next count bits (up to 8), from bytes taken as they are needed.
    unsigned Bits(int count) {
        unsigned value = 0;
        for (int k = 0; k < count; ++k) {
            if (bitsLeft_ == 0) {
                bits_ = Byte();
                bitsLeft_ = 8;
            }
            value = value << 1 | (bits_ & 1u);
            bits_ >>= 1;
            --bitsLeft_;
        }
        return value;
    }

    // Up to n bytes.
    std::string_view Take(std::size_t n) {
        const std::string_view taken = rest_.substr(0, n);
        rest_.remove_prefix(taken.size());
        return taken;
    }

    std::string_view Rest() const { return rest_; }

  private:
    std::string_view rest_;
    unsigned bits_ = 0;
    int bitsLeft_ = 0;
};

// Every option from the input's bits: a check box from one bit, a radio group from
// three, which also give -1 (no item) and the first value past the last item.
inline FilterOptions DecodeOptions(FuzzInput& in) {
    FilterOptions o;
    for (const FilterOptionField& f : FilterOptionFields()) {
        switch (f.kind) {
            case FilterOptionField::Kind::Check:
                o.*f.check = in.Bits(1) != 0;
                break;
            case FilterOptionField::Kind::Radio:
                o.*f.radio = static_cast<int>(in.Bits(3) % static_cast<unsigned>(f.items + 2)) - 1;
                break;
            case FilterOptionField::Kind::Text:
                break;
        }
    }
    return o;
}

// A property that does not hold ends the run, and libFuzzer keeps the input.
inline void Expect(bool holds, const char* what, std::string_view got = {},
                   std::string_view want = {}) {
    if (holds) return;
    std::fprintf(stderr, "broken: %s\n  got  %s\n  want %s\n", what, testing::Hex(got, 256).c_str(),
                 testing::Hex(want, 256).c_str());
    std::abort();
}

// The path of a file that holds content, in a folder of this process that goes when
// the process ends.
inline std::string ScratchFile(std::string_view name, std::string_view content) {
    struct Folder {
        Folder() {
            std::string pattern = (std::filesystem::temp_directory_path() / "qm-fuzz-XXXXXX");
            if (!mkdtemp(pattern.data())) std::abort();
            path = pattern;
        }
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
        std::filesystem::path path;
    };
    static const Folder folder;
    const std::filesystem::path file = folder.path / name;
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(content.data(), static_cast<std::streamsize>(content.size()));
    return file.string();
}

}  // namespace qm::fuzz
