// Writes the four stand-in controller firmware images that the updater embeds.
//
//   mkfirmware <output directory> [<major>.<minor>.<patch>]
//
// Each image is what the bootloader is given at flash address 0: a Cortex-M
// vector table, a deterministic Thumb-like program body, zero padding up to
// 0x70000 and the 12-byte identity and version trailer the updater reads back
// from flash. The four variants differ only in their two product IDs.
#include "product/controller_variants.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kInitialStackPointer = 0x20030000;
constexpr std::uint32_t kResetHandler = 0x181;
constexpr std::size_t kVectorCount = 96;
constexpr std::size_t kProgramEnd = 0x4BAF4; // one past the program's last byte
constexpr std::size_t kTrailerOffset = 0x70000;
constexpr std::size_t kImageSize = kTrailerOffset + 12;
constexpr std::uint32_t kBodySeed = 0x4b656c76;

struct Version
{
    std::uint16_t major = 0;
    std::uint16_t minor = 5;
    std::uint16_t patch = 20;
};

void put16(std::vector<std::uint8_t> &image, std::size_t offset, std::uint16_t value)
{
    image[offset] = static_cast<std::uint8_t>(value);
    image[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void put32(std::vector<std::uint8_t> &image, std::size_t offset, std::uint32_t value)
{
    put16(image, offset, static_cast<std::uint16_t>(value));
    put16(image, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

// Handlers sit right behind the reset code; reserved slots stay zero as on the real part.
std::uint32_t vectorEntry(std::size_t index)
{
    switch (index)
    {
        case 0:
            return kInitialStackPointer;
        case 1:
            return kResetHandler;
        case 7:
        case 8:
        case 9:
        case 10:
        case 13:
            return 0;
        default:
            break;
    }
    if (index < 16)
    {
        return 0x1B9 + 2 * static_cast<std::uint32_t>(index - 2);
    }
    return 0x1D7;
}

// A mix of common 16-bit Thumb encodings with random register and immediate
// fields, so the body looks like code without being meant to run.
std::uint16_t thumbLikeHalfword(std::mt19937 &rng)
{
    const std::uint32_t r = rng();
    const std::uint16_t lowRegs = static_cast<std::uint16_t>((r >> 8) & 0x3F);
    const std::uint16_t imm8 = static_cast<std::uint16_t>((r >> 16) & 0xFF);
    switch (r % 12)
    {
        case 0:
            return static_cast<std::uint16_t>(0x2000 | ((r >> 8) & 0x7) << 8 | imm8); // movs
        case 1:
            return static_cast<std::uint16_t>(0x6800 | ((r >> 16) & 0x1F) << 6 | lowRegs); // ldr
        case 2:
            return static_cast<std::uint16_t>(0x6000 | ((r >> 16) & 0x1F) << 6 | lowRegs); // str
        case 3:
            return static_cast<std::uint16_t>(0x1800 | ((r >> 16) & 0x7) << 6 | lowRegs); // adds
        case 4:
            return static_cast<std::uint16_t>(0x4200 | ((r >> 16) & 0x3) << 6 | lowRegs); // tst/cmp family
        case 5:
            return static_cast<std::uint16_t>(0xD000 | ((r >> 8) & 0xD) << 8 | imm8); // conditional branch
        case 6:
            return static_cast<std::uint16_t>(0xB500 | (imm8 & 0xF0)); // push {..., lr}
        case 7:
            return static_cast<std::uint16_t>(0xBD00 | (imm8 & 0xF0)); // pop {..., pc}
        case 8:
            return static_cast<std::uint16_t>(0x4600 | (imm8 & 0x7F)); // mov
        case 9:
            return static_cast<std::uint16_t>(0x9800 | ((r >> 8) & 0x7) << 8 | imm8); // ldr sp-relative
        case 10:
            return 0x4770; // bx lr
        default:
            return static_cast<std::uint16_t>(0x3000 | ((r >> 8) & 0x7) << 8 | imm8); // adds imm8
    }
}

std::vector<std::uint8_t> baseImage(const Version &version)
{
    std::vector<std::uint8_t> image(kImageSize, 0);
    for (std::size_t i = 0; i < kVectorCount; ++i)
    {
        put32(image, 4 * i, vectorEntry(i));
    }
    std::mt19937 rng(kBodySeed);
    for (std::size_t offset = 4 * kVectorCount; offset + 2 < kProgramEnd; offset += 2)
    {
        put16(image, offset, thumbLikeHalfword(rng));
    }
    // The last instruction returns, which also keeps the program's final byte non-zero.
    put16(image, kProgramEnd - 2, 0x4770);

    put16(image, kTrailerOffset, vorn::kVendorId);
    put16(image, kTrailerOffset + 6, version.patch);
    put16(image, kTrailerOffset + 8, version.minor);
    put16(image, kTrailerOffset + 10, version.major);
    return image;
}

bool parseNumber(const std::string &text, std::uint16_t &value)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
    {
        return false;
    }
    const unsigned long number = std::stoul(text);
    if (number > 0xFFFF)
    {
        return false;
    }
    value = static_cast<std::uint16_t>(number);
    return true;
}

bool parseVersion(const std::string &text, Version &version)
{
    const std::size_t first = text.find('.');
    const std::size_t second = first == std::string::npos ? first : text.find('.', first + 1);
    if (second == std::string::npos)
    {
        return false;
    }
    return parseNumber(text.substr(0, first), version.major) &&
           parseNumber(text.substr(first + 1, second - first - 1), version.minor) &&
           parseNumber(text.substr(second + 1), version.patch);
}

bool writeFile(const std::filesystem::path &path, const std::vector<std::uint8_t> &data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data.data()), static_cast<std::streamsize>(data.size()));
    out.close();
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3)
    {
        std::fprintf(stderr, "usage: mkfirmware <output directory> [<major>.<minor>.<patch>]\n");
        return 2;
    }
    Version version;
    if (argc == 3 && !parseVersion(argv[2], version))
    {
        std::fprintf(stderr, "mkfirmware: '%s' is not a version of the form 0.5.20\n", argv[2]);
        return 2;
    }

    const std::filesystem::path directory(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error)
    {
        std::fprintf(stderr, "mkfirmware: cannot create %s: %s\n", argv[1], error.message().c_str());
        return 1;
    }

    std::vector<std::uint8_t> image = baseImage(version);
    for (const vorn::ControllerVariant &variant : vorn::kVariants)
    {
        put16(image, kTrailerOffset + 2, variant.firmwarePid);
        put16(image, kTrailerOffset + 4, variant.updatePid);
        // The resource names keep the version of the shipped release: the window refers to them by name.
        const std::filesystem::path path = directory / (std::string("vorn_tarsel_v_0.5.20_") + variant.name + ".bin");
        if (!writeFile(path, image))
        {
            std::fprintf(stderr, "mkfirmware: cannot write %s\n", path.string().c_str());
            return 1;
        }
    }
    return 0;
}
