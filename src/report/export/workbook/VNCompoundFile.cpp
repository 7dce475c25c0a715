// Writing a one-stream compound file.
#include "VNCompoundFile.h"

#include <cstdint>
#include <vector>

namespace {

constexpr std::uint32_t DifSect = 0xFFFFFFFC, FatSect = 0xFFFFFFFD, EndOfChain = 0xFFFFFFFE,
                        FreeSect = 0xFFFFFFFF, NoStream = 0xFFFFFFFF;
constexpr std::size_t Sector = 512, MiniSector = 64, MiniCutoff = 4096;
constexpr std::size_t EntriesPerSector = Sector / 4; // 128
constexpr std::size_t HeaderDifat = 109;

void Put16(std::string& s, std::size_t at, unsigned v) {
    s[at] = char(v & 0xFF);
    s[at + 1] = char((v >> 8) & 0xFF);
}
void Put32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s[at + std::size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

std::size_t SectorsFor(std::size_t bytes) {
    return (bytes + Sector - 1) / Sector;
}

// A directory entry: name, type, colour black, no siblings, child, start and size.
void Entry(std::string& dir, std::size_t at, std::string_view name, int type, std::uint32_t child,
           std::uint32_t start, std::uint32_t size) {
    for (std::size_t i = 0; i < name.size(); ++i)
        Put16(dir, at + 2 * i, static_cast<unsigned char>(name[i]));
    Put16(dir, at + 0x40, unsigned(2 * (name.size() + 1)));
    dir[at + 0x42] = char(type);
    dir[at + 0x43] = 1;
    Put32(dir, at + 0x44, NoStream);
    Put32(dir, at + 0x48, NoStream);
    Put32(dir, at + 0x4C, child);
    Put32(dir, at + 0x74, start);
    Put32(dir, at + 0x78, size);
}

} // namespace

std::string CompoundFileBytes(std::string_view streamName, std::string_view stream) {
    const bool mini = stream.size() < MiniCutoff;
    // Regular sectors before the directory: the stream itself, or the mini stream (the root's
    // own stream) followed by the MiniFAT.
    std::size_t miniSectors = 0, rootStreamSize = 0, dataSectors = 0, miniFatSectors = 0;
    if (mini) {
        miniSectors = (stream.size() + MiniSector - 1) / MiniSector;
        rootStreamSize = miniSectors * MiniSector;
        dataSectors = SectorsFor(rootStreamSize);
        miniFatSectors = miniSectors > 0 ? SectorsFor(miniSectors * 4) : 0;
    } else {
        dataSectors = SectorsFor(stream.size());
    }
    const std::size_t dirSector = dataSectors + miniFatSectors;
    const std::size_t ordinary = dirSector + 1;

    // The smallest FAT that maps every sector including its own and the DIFAT's.
    std::size_t fat = 1, difat = 0;
    for (;;) {
        difat = fat <= HeaderDifat ? 0 : (fat - HeaderDifat + 126) / 127;
        if (fat * EntriesPerSector >= ordinary + fat + difat) break;
        ++fat;
    }
    const std::size_t firstFat = ordinary, firstDifat = ordinary + fat;
    const std::size_t total = ordinary + fat + difat;

    std::string file((total + 1) * Sector, '\0');
    auto sectorAt = [](std::size_t n) { return (n + 1) * Sector; };

    // FAT entries.
    std::vector<std::uint32_t> table(fat * EntriesPerSector, FreeSect);
    for (std::size_t i = 0; i < dataSectors; ++i)
        table[i] = i + 1 < dataSectors ? std::uint32_t(i + 1) : EndOfChain;
    for (std::size_t i = 0; i < miniFatSectors; ++i)
        table[dataSectors + i] = i + 1 < miniFatSectors ? std::uint32_t(dataSectors + i + 1) : EndOfChain;
    table[dirSector] = EndOfChain;
    for (std::size_t i = 0; i < fat; ++i)
        table[firstFat + i] = FatSect;
    for (std::size_t i = 0; i < difat; ++i)
        table[firstDifat + i] = DifSect;
    for (std::size_t i = 0; i < table.size(); ++i)
        Put32(file, sectorAt(firstFat) + 4 * i, table[i]); // FAT sectors are consecutive

    // Stream data (the mini stream is the stream's bytes at offset 0 of the root's stream).
    if (!stream.empty()) file.replace(sectorAt(0), stream.size(), stream);
    if (mini && miniFatSectors > 0) {
        const std::size_t at = sectorAt(dataSectors);
        for (std::size_t i = 0; i < miniFatSectors * EntriesPerSector; ++i)
            Put32(file, at + 4 * i,
                  i < miniSectors ? (i + 1 < miniSectors ? std::uint32_t(i + 1) : EndOfChain) : FreeSect);
    }

    // Directory: the root, the stream, two free entries.
    std::string dir(Sector, '\0');
    Entry(dir, 0, "Root Entry", 5, 1, mini && rootStreamSize > 0 ? 0 : EndOfChain,
          std::uint32_t(rootStreamSize));
    const bool empty = stream.empty();
    Entry(dir, 128, streamName, 2, NoStream, empty ? EndOfChain : 0, std::uint32_t(stream.size()));
    for (std::size_t e = 2; e < 4; ++e)
        for (std::size_t f = 0x44; f < 0x50; f += 4)
            Put32(dir, e * 128 + f, NoStream);
    file.replace(sectorAt(dirSector), Sector, dir);

    // Header.
    static const unsigned char signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    file.replace(0, 8, reinterpret_cast<const char*>(signature), 8);
    Put16(file, 0x18, 0x003E);
    Put16(file, 0x1A, 0x0003);
    Put16(file, 0x1C, 0xFFFE);
    Put16(file, 0x1E, 9);
    Put16(file, 0x20, 6);
    Put32(file, 0x2C, std::uint32_t(fat));
    Put32(file, 0x30, std::uint32_t(dirSector));
    Put32(file, 0x38, MiniCutoff);
    Put32(file, 0x3C, miniFatSectors > 0 ? std::uint32_t(dataSectors) : EndOfChain);
    Put32(file, 0x40, std::uint32_t(miniFatSectors));
    Put32(file, 0x44, difat > 0 ? std::uint32_t(firstDifat) : EndOfChain);
    Put32(file, 0x48, std::uint32_t(difat));
    for (std::size_t i = 0; i < HeaderDifat; ++i)
        Put32(file, 0x4C + 4 * i, i < fat ? std::uint32_t(firstFat + i) : FreeSect);

    // DIFAT sectors: 127 FAT sector numbers each, then the next DIFAT sector.
    for (std::size_t d = 0; d < difat; ++d) {
        const std::size_t at = sectorAt(firstDifat + d);
        for (std::size_t k = 0; k < 127; ++k) {
            const std::size_t f = HeaderDifat + d * 127 + k;
            Put32(file, at + 4 * k, f < fat ? std::uint32_t(firstFat + f) : FreeSect);
        }
        Put32(file, at + 508, d + 1 < difat ? std::uint32_t(firstDifat + d + 1) : EndOfChain);
    }
    return file;
}
