// Writes the seed corpora of the fuzzing harnesses, one folder per harness:
//   velkor-fuzz-seeds <folder>
// creates <folder>/viv, <folder>/fsh, ... Every seed is made by Velkor's own code: the
// synthetic sample cars, and what Velkor's conversions make of them.

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Workflows.h"
#include "archives/Qfs.h"
#include "base/Endian.h"
#include "carp/Carp3File.h"
#include "files/AtomicOutput.h"
#include "fuzz/RecogniserNames.h"
#include "model/Fce3File.h"
#include "model/FeData3File.h"
#include "platform/File.h"
#include "sample/SampleCar.h"

namespace {

namespace fs = std::filesystem;
using velkor::Bytes;
using velkor::sample::Member;

Bytes ReadAll(const std::string& path) {
  velkor::platform::File file = velkor::platform::File::Open(path, velkor::platform::File::ReadExisting);
  Bytes bytes(static_cast<std::size_t>(file.Length()));
  file.ReadExact(bytes);
  return bytes;
}

const Bytes& Find(const std::vector<Member>& members, const std::string& name) {
  for (const auto& member : members)
    if (member.first == name) return member.second;
  throw std::runtime_error("no member " + name);
}

// An FSH file of the given records (name and record bytes), laid out one after another.
Bytes Fsh(const std::vector<std::pair<std::string, Bytes>>& records) {
  Bytes bytes(16 + 8 * records.size(), 0);
  bytes[0] = 'S', bytes[1] = 'H', bytes[2] = 'P', bytes[3] = 'I';
  velkor::WriteU32LE(bytes, 8, static_cast<std::uint32_t>(records.size()));
  for (std::size_t i = 0; i < records.size(); ++i) {
    for (std::size_t c = 0; c < 4; ++c) bytes[16 + 8 * i + c] = static_cast<std::uint8_t>(records[i].first[c]);
    velkor::WriteU32LE(bytes, 16 + 8 * i + 4, static_cast<std::uint32_t>(bytes.size()));
    bytes.insert(bytes.end(), records[i].second.begin(), records[i].second.end());
  }
  velkor::WriteU32LE(bytes, 4, static_cast<std::uint32_t>(bytes.size()));
  return bytes;
}

// An image record: header with code and size, then `extra` bytes of pixels (and palette).
Bytes Record(std::uint8_t code, std::uint16_t width, std::uint16_t height, std::size_t extra) {
  Bytes bytes(16, 0);
  bytes[0] = code;
  velkor::WriteU16LE(bytes, 4, width);
  velkor::WriteU16LE(bytes, 6, height);
  for (std::size_t i = 0; i < extra; ++i) bytes.push_back(static_cast<std::uint8_t>(i * 13));
  return bytes;
}

// An 8-bit greyscale TGA with a 3-byte identification field and a footer after the pixels.
Bytes GreyImage() {
  Bytes bytes(18, 0);
  bytes[0] = 3;
  bytes[2] = 3;
  velkor::WriteU16LE(bytes, 12, 3);
  velkor::WriteU16LE(bytes, 14, 2);
  bytes[16] = 8;
  const std::string rest = std::string("id!") + "\x01\x02\x03\x04\x05\x06" + "end";
  bytes.insert(bytes.end(), rest.begin(), rest.end());
  return bytes;
}

// Hostile variants of a seed: cut at each of `cuts` (where shorter), and the 32-bit field at
// each of `fields` (little- or big-endian) set to the values a hostile file holds there.
std::vector<std::pair<std::string, Bytes>> Mutations(const Bytes& bytes, const std::vector<std::size_t>& cuts,
                                                     const std::vector<std::size_t>& fields, bool bigEndian) {
  std::vector<std::pair<std::string, Bytes>> out;
  for (const std::size_t cut : cuts)
    if (cut < bytes.size()) out.emplace_back("cut" + std::to_string(cut), Bytes(bytes.begin(), bytes.begin() + cut));
  const auto size = static_cast<std::uint32_t>(bytes.size());
  for (const std::size_t at : fields) {
    for (const std::uint32_t value : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0x10000000u, size, size + 1, 0u}) {
      if (at + 4 > bytes.size()) continue;
      Bytes changed = bytes;
      for (std::size_t i = 0; i < 4; ++i)
        changed[at + i] = static_cast<std::uint8_t>(value >> (bigEndian ? 24 - 8 * i : 8 * i));
      out.emplace_back("field" + std::to_string(at) + "-" + std::to_string(value), changed);
    }
  }
  return out;
}

class Seeds {
 public:
  explicit Seeds(fs::path root) : root_(std::move(root)) {}
  void Add(const std::string& harness, const std::string& name, const Bytes& bytes) {
    fs::create_directories(root_ / harness);
    velkor::WriteFileAtomically((root_ / harness / name).string(), bytes);
  }
  // A recogniser seed: the index of the name, then the content.
  void AddRecognised(const std::string& fileName, const Bytes& bytes) {
    for (std::size_t i = 0; i < velkor::fuzz::kRecogniserNames.size(); ++i) {
      if (fileName != velkor::fuzz::kRecogniserNames[i]) continue;
      Bytes seed{static_cast<std::uint8_t>(i)};
      seed.insert(seed.end(), bytes.begin(), bytes.end());
      Add("recognise", fileName, seed);
      return;
    }
    throw std::runtime_error("the recogniser harness has no name " + fileName);
  }

 private:
  fs::path root_;
};

void MakeSeeds(const fs::path& root) {
  using namespace velkor;
  Seeds seeds(root);
  const auto roadster = sample::RoadsterCar();
  const auto nfs3Reference = sample::Nfs3ReferenceCar();
  const auto nfs4Reference = sample::Nfs4ReferenceCar();

  // NFS4 versions of the roadster's files, and the whole car, by Velkor's conversions.
  const fs::path work = root / "work";
  fs::remove_all(work);
  fs::create_directories(work / "program");
  fs::create_directories(work / "parts");
  for (const auto& [name, bytes] : nfs4Reference) WriteFileAtomically((work / "program" / name).string(), bytes);
  WriteFileAtomically((work / "program/dash.qfs").string(), Find(nfs3Reference, "dash.qfs"));
  for (const auto& [name, bytes] : roadster) WriteFileAtomically((work / "parts" / name).string(), bytes);
  const auto in = [&](const std::string& name) { return (work / "parts" / name).string(); };
  const auto out = [&](const std::string& name) { return (work / name).string(); };
  {
    Carp3File performance(in("carp.txt"));
    performance.Load();
    performance.ConvertTo4(out("carp.tx4"));
    Fce3File model(in("car.fce"));
    model.Load();
    model.ConvertTo4(out("car.fc4"));
    FeData3File texts(in("fedata.eng"));
    texts.Load();
    texts.ConvertTo4(out("fedata.en4"));
  }
  const std::string roadsterArchive = out("roadster.viv");
  WriteFileAtomically(roadsterArchive, sample::PackArchive(roadster));
  ConvertCar(roadsterArchive, Game::Nfs4, false, (work / "program").string() + "/", (work / "nfs4").string() + "/",
             (work / "kept").string());
  const Bytes nfs4Car = ReadAll(out("roadster.vi4"));
  const Bytes nfs4Performance = ReadAll(out("carp.tx4"));
  const Bytes nfs4Model = ReadAll(out("car.fc4"));
  const Bytes nfs4Texts = ReadAll(out("fedata.en4"));
  fs::remove_all(work);

  const Bytes nested = sample::PackArchive(
      {{"inner.viv", sample::PackArchive({{"a.txt", {'a'}}, {"dash.fsh", Find(nfs4Reference, "dash.fsh")}})},
       {"car00.tga", Find(roadster, "car00.tga")}});
  seeds.Add("viv", "roadster", sample::PackArchive(roadster));
  seeds.Add("viv", "nfs4-roadster", nfs4Car);
  seeds.Add("viv", "nfs3-reference", sample::PackArchive(nfs3Reference));
  seeds.Add("viv", "nfs4-reference", sample::PackArchive(nfs4Reference));
  seeds.Add("viv", "empty", sample::PackArchive({}));
  seeds.Add("viv", "nested", nested);

  seeds.Add("car", "roadster", sample::PackArchive(roadster));
  // --check seeds: the index of the name the harness checks the rest under, then the content
  // (car.viv, car.fce, fedata.eng, carp.txt, car00.tga).
  const auto checked = [&](std::uint8_t index, const std::string& name, const Bytes& bytes) {
    Bytes seed{index};
    seed.insert(seed.end(), bytes.begin(), bytes.end());
    seeds.Add("check", name, seed);
  };
  checked(0, "roadster", sample::PackArchive(roadster));
  checked(0, "nfs4-roadster", nfs4Car);
  checked(1, "nfs3-model", Find(roadster, "car.fce"));
  checked(2, "nfs3-texts", Find(roadster, "fedata.eng"));
  checked(3, "nfs3-performance", Find(roadster, "carp.txt"));
  checked(4, "texture", Find(roadster, "car00.tga"));
  seeds.Add("car", "nfs4-roadster", nfs4Car);

  seeds.Add("fsh", "fedata", Find(roadster, "fedata.fsh"));
  seeds.Add("fsh", "dash", Find(nfs4Reference, "dash.fsh"));
  seeds.Add("fsh", "palette", Fsh({{"pal1", Record(0x7B, 2, 2, 4 + 16 + 1024)}}));
  seeds.Add("fsh", "three",
            Fsh({{"a565", Record(0x78, 2, 1, 4)}, {"a555", Record(0x7E, 1, 2, 4)}, {"none", Record(0x7A, 9, 9, 3)}}));

  // Compressed image archives: the FSH seeds through the compressor, under each header.
  const std::vector<std::pair<std::string, Bytes>> images = {
      {"fedata", Find(roadster, "fedata.fsh")}, {"dash", Find(nfs4Reference, "dash.fsh")},
      {"three", Fsh({{"a565", Record(0x78, 2, 1, 4)}, {"a555", Record(0x7E, 1, 2, 4)}})}};
  for (const auto& [name, fsh] : images) {
    seeds.Add("qfs", name, velkor::QfsEncode(fsh));
    seeds.Add("qfs", name + "-sized", velkor::QfsEncode(fsh, {true, false}));
    seeds.Add("qfs", name + "-wide", velkor::QfsEncode(fsh, {true, true}));
  }
  const Bytes small = velkor::QfsEncode(images.back().second);
  for (const auto& [name, bytes] : Mutations(small, {4, 5, small.size() / 2, small.size() - 1}, {2}, true))
    seeds.Add("qfs", "three-" + name, bytes);

  // Thumbnails: whole cars of both games, their models, images.
  seeds.Add("thumbnail", "roadster", sample::PackArchive(roadster));
  seeds.Add("thumbnail", "nfs4-roadster", nfs4Car);
  seeds.Add("thumbnail", "nfs3-model", Find(roadster, "car.fce"));
  seeds.Add("thumbnail", "nfs4-model", nfs4Model);
  seeds.Add("thumbnail", "texture", Find(roadster, "car00.tga"));
  seeds.Add("thumbnail", "fedata", Find(roadster, "fedata.fsh"));
  seeds.Add("thumbnail", "palette", Fsh({{"pal1", Record(0x7B, 2, 2, 4 + 16 + 1024)}}));
  seeds.Add("thumbnail", "dash", velkor::QfsEncode(Find(nfs4Reference, "dash.fsh")));

  seeds.Add("tga", "car00", Find(roadster, "car00.tga"));
  seeds.Add("tga", "dash00", Find(nfs4Reference, "dash00.tga"));
  seeds.Add("tga", "grey", GreyImage());

  seeds.Add("fce", "nfs3-car", Find(roadster, "car.fce"));
  seeds.Add("fce", "nfs4-car", nfs4Model);
  seeds.Add("fce", "nfs4-dash", Find(nfs4Reference, "dash.fce"));

  seeds.Add("fedata", "nfs3-eng", Find(roadster, "fedata.eng"));
  seeds.Add("fedata", "nfs3-ger", Find(roadster, "fedata.ger"));
  seeds.Add("fedata", "nfs4-eng", nfs4Texts);

  seeds.Add("carp", "nfs3", Find(roadster, "carp.txt"));
  seeds.Add("carp", "nfs4", nfs4Performance);

  // Hostile variants: archives cut and with hostile counts, offsets and lengths; models cut
  // at their header and with hostile counts and block offsets; texts with hostile offsets.
  const Bytes packed = sample::PackArchive(roadster);
  for (const auto& [name, bytes] : Mutations(packed, {0, 15, 16, 40, 100, packed.size() - 1}, {8, 16, 20, 36, 40}, true)) {
    seeds.Add("viv", "roadster-" + name, bytes);
    seeds.Add("car", "roadster-" + name, bytes);
  }
  const Bytes& model = Find(roadster, "car.fce");
  for (const auto& [name, bytes] : Mutations(model, {0, 4, 7939, 7940, model.size() - 1}, {4, 8, 0x10, 0x18, 0xF8}, false))
    seeds.Add("fce", "nfs3-car-" + name, bytes);
  for (const auto& [name, bytes] : Mutations(nfs4Model, {8247, nfs4Model.size() - 1}, {0x08, 0x0C, 0x14, 0x44, 0x11C}, false))
    seeds.Add("fce", "nfs4-car-" + name, bytes);
  const Bytes& texts = Find(roadster, "fedata.eng");
  for (const auto& [name, bytes] : Mutations(texts, {1, 47, 206, 207, texts.size() - 1}, {47, 51, 203}, false))
    seeds.Add("fedata", "nfs3-eng-" + name, bytes);
  for (const auto& [name, bytes] : Mutations(Find(roadster, "carp.txt"), {1, 100, 1000}, {}, false))
    seeds.Add("carp", "nfs3-" + name, bytes);
  const auto text = [](const std::string& t) { return Bytes(t.begin(), t.end()); };
  seeds.Add("lutris", "plain", text("game:\n  exe: /g/nfs.exe\n  prefix: /home/u/Games/nfs3\nname: NFS\nrunner: wine\n"
                                    "system: {}\nwine:\n  version: lutris-7.2\n"));
  seeds.Add("lutris", "quoted", text("# a game\ngame:\n    args: '-x'\n    prefix: '~/Games/it''s here' # mine\n"
                                     "script:\n  files:\n  - setup: N/A\n"));
  seeds.Add("lutris", "folded", text("---\r\ngame:\r\n  prefix: \"/a long\r\n    path \\u00e9\\\r\n    x\"\r\n"
                                     "  working_dir: /a plain value\r\n    over lines\r\n"));
  seeds.Add("winereg", "system", text("WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
                                      "[Software\\\\Electronic Arts\\\\Need For Speed III] 1700000000\n#time=1d9\n"
                                      "\"InstallPath\"=\"C:\\\\Games\\\\NFS3 \\\"SE\\\"\"\n\n"
                                      "[Software\\\\Wow6432Node\\\\Electronic Arts\\\\Need for Speed High Stakes] "
                                      "1700000000\n\"installpath\"=str(2):\"D:\\\\NFS4\\x00e9\"\n"));

  seeds.AddRecognised("car.viv", nested);
  seeds.AddRecognised("dash.fsh", Find(nfs4Reference, "dash.fsh"));
  seeds.AddRecognised("car00.tga", Find(roadster, "car00.tga"));
  seeds.AddRecognised("car.fce", Find(roadster, "car.fce"));
  seeds.AddRecognised("CAR.FCE", nfs4Model);
  seeds.AddRecognised("fedata.eng", Find(roadster, "fedata.eng"));
  seeds.AddRecognised("FEDATA.GER", nfs4Texts);
  seeds.AddRecognised("carp.txt", Find(roadster, "carp.txt"));
  seeds.AddRecognised("carp1.txt", nfs4Performance);
  seeds.AddRecognised("dash.qfs", Find(nfs3Reference, "dash.qfs"));

  // Thunar's actions: a user's own action beside one of Velkor's from an earlier setup.
  const std::string actions =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- mine -->\n<actions>\n<action><name>Terminal</name>"
      "<unique-id>1431136020265634-1</unique-id><command>xterm -e 'cd %f &amp;&amp; sh'</command>"
      "<patterns>*</patterns><directories/></action>\n<action><name>Pack to new VIV</name>"
      "<unique-id>velkor-pack</unique-id><command>velkor --notify /p %f</command></action>\n</actions>\n";
  seeds.Add("thunar", "uca.xml", Bytes(actions.begin(), actions.end()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: velkor-fuzz-seeds FOLDER\n");
    return 2;
  }
  try {
    MakeSeeds(argv[1]);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velkor-fuzz-seeds: %s\n", e.what());
    return 1;
  }
}
