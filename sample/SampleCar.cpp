#include "sample/SampleCar.h"

#include <array>
#include <string_view>

#include "archives/Qfs.h"
#include "carp/ParameterDescriptions.h"
#include "sample/SampleModel.h"

namespace velkor::sample {
namespace {

Bytes Text(std::string_view text) { return Bytes(text.begin(), text.end()); }

void PutText(Bytes& bytes, std::size_t at, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) bytes[at + i] = static_cast<std::uint8_t>(text[i]);
}

// A plain file of `size` bytes that says what it is and then counts.
Bytes Filler(std::string_view what, std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  PutText(bytes, 0, what.substr(0, size));
  return bytes;
}

Bytes PerformanceFile() {
  // NFS3 entry order: 0 1 2 3 75 4 5 6 7 76 8 77 9 78 10 11 79 12..74.
  std::vector<int> order = {0, 1, 2, 3, 75, 4, 5, 6, 7, 76, 8, 77, 9, 78, 10, 11, 79};
  for (int label = 12; label <= 74; ++label) order.push_back(label);
  std::array<std::string, 80> values;
  for (std::size_t n = 0; n < values.size(); ++n) values[n] = std::to_string(n * 10) + ".500000";
  values[0] = "7301";
  values[1] = "2";
  values[2] = "1215.000000";
  values[5] = "0,6000,6000,6000,6000,6000,6000,0";
  values[10] = "200,220,240,260,280,300,320,340,360,380,400,400,390,380,370,360,340,320,300,280,0";
  std::string text;
  for (int label : order) {
    text += std::string(parameterDescriptions[static_cast<std::size_t>(label)]) + "(" + std::to_string(label) +
            ")\r\n" + values[static_cast<std::size_t>(label)] + "\r\n";
  }
  return Text(text);
}

const std::array<std::string_view, 12> kNfs3PartNames = {
    "high body",   "high left front wheel", "high right front wheel", "high left rear wheel",
    "high right rear wheel", "medium body", "medium l front wheel", "medium r front wheel",
    "medium l rear wheel", "medium r rear wheel", "small body", "tiny body"};

// NFS3 model: 7940-byte header, then six blocks of 12N, 12N, 56M, 32N, 12N, 12N bytes;
// n vertices and m triangles spread over the twelve standard parts.
Bytes Nfs3Model(std::uint32_t n = 24, std::uint32_t m = 12) {
  constexpr std::uint32_t kHeader = 7940;
  const std::array<std::uint32_t, 6> blockLengths = {12 * n, 12 * n, 56 * m, 32 * n, 12 * n, 12 * n};
  Bytes bytes(kHeader);
  bytes[0] = 0x13;
  bytes[1] = 0x10;
  bytes[2] = 0x10;
  WriteU32LE(bytes, 0x04, m);
  WriteU32LE(bytes, 0x08, n);
  WriteU32LE(bytes, 0x0C, 2);
  std::uint32_t offset = 0;
  for (std::size_t b = 0; b < blockLengths.size(); ++b) {
    WriteU32LE(bytes, 0x10 + 4 * b, offset);
    offset += blockLengths[b];
  }
  WriteU32LE(bytes, 0xF8, 12);
  for (std::uint32_t part = 0; part < 12; ++part) {
    WriteU32LE(bytes, 0xFC + 12 * part, part * 100);           // part position, x
    WriteU32LE(bytes, 0x3FC + 4 * part, part * (n / 12));      // first vertex
    WriteU32LE(bytes, 0x4FC + 4 * part, n / 12);               // vertex count
    WriteU32LE(bytes, 0x5FC + 4 * part, part * (m / 12));      // first triangle
    WriteU32LE(bytes, 0x6FC + 4 * part, m / 12);               // triangle count
    PutText(bytes, 0xE04 + 64 * part, kNfs3PartNames[part]);
  }
  for (std::uint32_t q = 0; q < 16; ++q)
    for (std::uint32_t c = 0; c < 4; ++c) WriteU32LE(bytes, 0x800 + 16 * q + 4 * c, q * 16 + c * 50);
  for (std::size_t b = 0; b < blockLengths.size(); ++b) {
    for (std::uint32_t i = 0; i < blockLengths[b]; ++i) bytes.push_back(static_cast<std::uint8_t>(b * 40 + i));
  }
  return bytes;
}

// NFS4 model of the dashboard: 8248-byte header and fourteen blocks.
Bytes Nfs4DashModel() {
  constexpr std::uint32_t n = 4;
  constexpr std::uint32_t m = 2;
  const std::array<std::uint32_t, 14> blockLengths = {12 * n, 12 * n, 56 * m, 32 * n, 12 * n, 12 * n, 12 * n,
                                                      12 * n, 12 * n, 12 * n, 4 * n,  4 * n,  4 * n,  12 * m};
  Bytes bytes(8248);
  bytes[0] = 0x14;
  bytes[1] = 0x10;
  bytes[2] = 0x10;
  WriteU32LE(bytes, 0x08, m);
  WriteU32LE(bytes, 0x0C, n);
  std::uint32_t offset = 0;
  for (std::size_t b = 0; b < blockLengths.size(); ++b) {
    WriteU32LE(bytes, 0x14 + 4 * b, offset);
    offset += blockLengths[b];
  }
  WriteU32LE(bytes, 0x11C, 1);
  PutText(bytes, 0xE28, ":HB");
  for (std::size_t b = 0; b < blockLengths.size(); ++b)
    for (std::uint32_t i = 0; i < blockLengths[b]; ++i) bytes.push_back(static_cast<std::uint8_t>(b + i));
  return bytes;
}

// Uncompressed true-colour TGA, 32 bits per pixel, a diagonal gradient.
Bytes Texture(std::uint16_t width, std::uint16_t height) {
  Bytes bytes(18);
  bytes[2] = 2;
  WriteU16LE(bytes, 12, width);
  WriteU16LE(bytes, 14, height);
  bytes[16] = 32;
  bytes[17] = 8;
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      bytes.push_back(static_cast<std::uint8_t>(x * 16));
      bytes.push_back(static_cast<std::uint8_t>(y * 16));
      bytes.push_back(static_cast<std::uint8_t>((x + y) * 8));
      bytes.push_back(0xFF);
    }
  }
  return bytes;
}

// FSH with one 4 x 4 image of 32-bit pixels (record code 0x7D).
Bytes Images(std::string_view name) {
  Bytes bytes(24);
  PutText(bytes, 0, "SHPI");
  WriteU32LE(bytes, 8, 1);
  PutText(bytes, 12, "GIMX");
  PutText(bytes, 16, name.substr(0, 4));
  WriteU32LE(bytes, 20, 24);
  Bytes record(16);
  record[0] = 0x7D;
  WriteU16LE(record, 4, 4);
  WriteU16LE(record, 6, 4);
  for (std::uint32_t i = 0; i < 4 * 4 * 4; ++i) record.push_back(static_cast<std::uint8_t>(i * 4));
  bytes.insert(bytes.end(), record.begin(), record.end());
  return bytes;
}

// NFS3 front-end texts: 47-byte header, 40 text offsets, then the texts.
Bytes FrontEndTexts(const std::array<std::string_view, 40>& texts) {
  Bytes bytes(47 + 40 * 4);
  PutText(bytes, 0, "VROD");  // the car's four-letter identifier
  WriteU16LE(bytes, 4, 9);
  WriteU16LE(bytes, 8, 1);
  WriteU16LE(bytes, 10, 3);     // class
  WriteU32LE(bytes, 12, 3);
  WriteU16LE(bytes, 16, 1);     // police-capable flag
  WriteU16LE(bytes, 22, 128);
  WriteU16LE(bytes, 24, 9000);  // price
  bytes[40] = 6;
  bytes[41] = 7;
  bytes[42] = 5;
  bytes[43] = 8;
  bytes[44] = 5;
  bytes[45] = 40;
  std::uint32_t offset = 47 + 40 * 4;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    WriteU32LE(bytes, 47 + 4 * i, offset);
    offset += static_cast<std::uint32_t>(texts[i].size() + 1);
  }
  for (const auto text : texts) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
  }
  return bytes;
}

std::array<std::string_view, 40> RoadsterTexts(bool german) {
  std::array<std::string_view, 40> texts{};
  texts[0] = "Velkor";
  texts[1] = "Roadster";
  texts[2] = "Velkor Roadster";
  texts[3] = german ? "Hersteller: Velkor" : "Manufacturer: Velkor";
  texts[4] = german ? "Motor: 2,0 l Vierzylinder" : "Engine: 2.0 l four-cylinder";
  texts[5] = german ? "Leistung: 150 kW" : "Power: 200 hp";
  texts[16] = "5";
  texts[17] = german ? "Ein kleines Auto, nur zum Testen." : "A small car, made for testing only.";
  texts[39] = "2026";
  return texts;
}

}  // namespace

std::vector<Member> RoadsterCar() {
  return {
      {"carp.txt", PerformanceFile()},
      {"car.fce", RoadsterModel(1)},
      {"car00.tga", Texture(16, 16)},
      {"fedata.fsh", Images("ft00")},
      {"fedata.eng", FrontEndTexts(RoadsterTexts(false))},
      {"fedata.ger", FrontEndTexts(RoadsterTexts(true))},
  };
}

std::vector<Member> RealisticCar() {
  std::vector<Member> car = {
      {"carp.txt", PerformanceFile()},
      {"car.fce", Nfs3Model(160, 240)},
      {"car00.tga", Texture(256, 256)},
      {"fedata.fsh", Images("ft00")},
  };
  for (const char* language : {"eng", "bri", "ger", "fre", "ita", "spa", "swe"})
    car.emplace_back(std::string("fedata.") + language, FrontEndTexts(RoadsterTexts(false)));
  car.emplace_back("car.bnk", Filler("synthetic engine sound", 1200 * 1024));
  car.emplace_back("cardamage.bnk", Filler("synthetic damage sound", 848 * 1024));
  return car;
}

std::vector<Member> Nfs3ReferenceCar() {
  return {
      {"carp.txt", PerformanceFile()}, {"dash.qfs", QfsEncode(Images("dash"))},
      {"ocar.bnk", Filler("synthetic outside engine sound", 200)},
      {"ocard.bnk", Filler("synthetic outside damaged sound", 200)},
      {"scar.bnk", Filler("synthetic sound effects", 200)},
  };
}

std::vector<Member> Nfs4ReferenceCar(bool realistic) {
  const std::size_t bank = realistic ? 300 * 1024 : 400;
  return {
      {"dash.fsh", Images("dash")},
      {"dash.fce", Nfs4DashModel()},
      {"dash00.tga", Texture(8, 4)},
      {"careng.ctb", Filler("synthetic engine table", 120)},
      {"careng.ltb", Filler("synthetic engine load table", 120)},
      {"careng.bnk", Filler("synthetic engine sound", bank)},
      {"ocareng.bnk", Filler("synthetic outside engine sound", bank)},
      {"scareng.bnk", Filler("synthetic sound effects", bank)},
  };
}

Bytes PackArchive(const std::vector<Member>& members) {
  std::uint32_t dataStart = 16;
  std::uint32_t total = 0;
  for (const auto& [name, bytes] : members) {
    dataStart += static_cast<std::uint32_t>(name.size() + 9);
    total += static_cast<std::uint32_t>(bytes.size());
  }
  Bytes out = Text("BIGF");
  AppendU32BE(out, dataStart + total);
  AppendU32BE(out, static_cast<std::uint32_t>(members.size()));
  AppendU32BE(out, dataStart);
  std::uint32_t offset = dataStart;
  for (const auto& [name, bytes] : members) {
    AppendU32BE(out, offset);
    AppendU32BE(out, static_cast<std::uint32_t>(bytes.size()));
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
    offset += static_cast<std::uint32_t>(bytes.size());
  }
  for (const auto& member : members) out.insert(out.end(), member.second.begin(), member.second.end());
  return out;
}

}  // namespace velkor::sample
