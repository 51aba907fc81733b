#pragma once

// Where things lie in the headers of the two FCE model versions, and the sizes of their
// data blocks. Everything else about a model is carried as raw bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velkor::fce {

inline constexpr std::size_t kPartSlots = 64;
inline constexpr std::size_t kPartRecordSize = 12;
inline constexpr std::size_t kPartTables = 4;
inline constexpr std::size_t kPartNameSize = 64;
inline constexpr std::size_t kQuadEntries = 16;
inline constexpr std::size_t kQuadComponents = 4;
inline constexpr std::size_t kMaxBlocks = 14;

// Header areas whose meaning Velkor does not use but that conversion carries unchanged
// from one version to the other.
enum class Area { CarriedValue, FourValues, Area192, QuadLead, Area1024 };
inline constexpr std::array<Area, 5> kCarriedAreas = {Area::CarriedValue, Area::FourValues, Area::Area192,
                                                      Area::QuadLead, Area::Area1024};

inline constexpr std::size_t AreaSize(Area area) {
  switch (area) {
    case Area::CarriedValue: return 4;
    case Area::FourValues: return 16;
    case Area::Area192: return 192;
    case Area::QuadLead: return 4;
    case Area::Area1024: return 1024;
  }
  return 0;
}

// A block's length is one of the two header counts times a fixed element size.
enum class CountKind { Elements, Records };
struct BlockShape {
  CountKind count;
  std::uint32_t elementSize;
};

struct Layout {
  std::string_view typeTag;
  std::size_t headerSize;
  std::array<std::uint8_t, 4> signature;
  std::size_t recordCount;
  std::size_t elementCount;
  std::size_t blockOffsets;
  std::size_t partCount;
  std::size_t partRecords;
  std::size_t partTables;  // four tables of kPartSlots 32-bit values, one after another
  std::size_t quadTable;
  std::size_t secondQuadTable;  // 0 when the version has none
  std::size_t quadComponentWidth;  // 4: 32-bit components; 1: signed bytes
  std::size_t partNames;
  std::array<std::size_t, 5> areas;  // indexed by Area
  std::size_t blockCount;
  std::array<BlockShape, kMaxBlocks> blocks;
};

inline constexpr BlockShape kElements12{CountKind::Elements, 12};
inline constexpr BlockShape kElements32{CountKind::Elements, 32};
inline constexpr BlockShape kElements4{CountKind::Elements, 4};
inline constexpr BlockShape kRecords56{CountKind::Records, 56};
inline constexpr BlockShape kRecords12{CountKind::Records, 12};

inline constexpr Layout kFce3Layout{
    .typeTag = "FCE3",
    .headerSize = 7940,
    .signature = {0x13, 0x10, 0x10, 0x00},
    .recordCount = 0x0004,
    .elementCount = 0x0008,
    .blockOffsets = 0x0010,
    .partCount = 0x00F8,
    .partRecords = 0x00FC,
    .partTables = 0x03FC,
    .quadTable = 0x0800,
    .secondQuadTable = 0,
    .quadComponentWidth = 4,
    .partNames = 0x0E04,
    .areas = {0x000C, 0x0028, 0x0038, 0x07FC, 0x0A04},
    .blockCount = 6,
    .blocks = {kElements12, kElements12, kRecords56, kElements32, kElements12, kElements12},
};

inline constexpr Layout kFce4Layout{
    .typeTag = "FCE4",
    .headerSize = 8248,
    .signature = {0x14, 0x10, 0x10, 0x00},
    .recordCount = 0x0008,
    .elementCount = 0x000C,
    .blockOffsets = 0x0014,
    .partCount = 0x011C,
    .partRecords = 0x0120,
    .partTables = 0x0420,
    .quadTable = 0x0824,
    .secondQuadTable = 0x08A4,
    .quadComponentWidth = 1,
    .partNames = 0x0E28,
    .areas = {0x0010, 0x004C, 0x005C, 0x0820, 0x0A28},
    .blockCount = 14,
    .blocks = {kElements12, kElements12, kRecords56, kElements32, kElements12, kElements12, kElements12,
               kElements12, kElements12, kElements12, kElements4, kElements4, kElements4, kRecords12},
};

// The twelve standard part positions with their names in each version.
struct StandardPart {
  std::string_view nfs4Name;
  std::string_view nfs3Name;
};
inline constexpr std::array<StandardPart, 12> kStandardParts = {{
    {":HB", "high body"},
    {":HLFW", "high left front wheel"},
    {":HRFW", "high right front wheel"},
    {":HLRW", "high left rear wheel"},
    {":HRRW", "high right rear wheel"},
    {":MB", "medium body"},
    {":MLFW", "medium l front wheel"},
    {":MRFW", "medium r front wheel"},
    {":MLRW", "medium l rear wheel"},
    {":MRRW", "medium r rear wheel"},
    {":LB", "small body"},
    {":TB", "tiny body"},
}};

}  // namespace velkor::fce
