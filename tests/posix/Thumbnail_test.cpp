// Thumbnails as the desktop's thumbnail services make them: the entry the setup writes is
// read back, its Exec line expanded as the services expand it and run through the shell;
// the PNG is decoded with stb_image (support/PngRead.h), not with anything of Velkor's.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "archives/Qfs.h"
#include "cli/RunVelkor.h"
#include "model/Fce3File.h"
#include "sample/SampleCar.h"
#include "support/ModelBuilder.h"
#include "support/PngRead.h"
#include "support/TestSupport.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

struct Picture : test::DecodedPng {
  std::size_t Count(bool (*test)(const std::uint8_t*)) const {
    std::size_t n = 0;
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) n += test(&rgba[i]);
    return n;
  }
};

Picture Decode(const Bytes& png) {
  Picture decoded{test::ReadPng(png)};
  EXPECT_FALSE(decoded.rgba.empty()) << "not a PNG";
  return decoded;
}

using test::ShellQuoted;

Bytes UniformTga(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  Bytes tga(18, 0);
  tga[2] = 2, test::PutU16(tga, 12, width), test::PutU16(tga, 14, height), tga[16] = 32, tga[17] = 8;
  for (int i = 0; i < width * height; ++i) test::Append(tga, {b, g, r, 255});
  return tga;
}

class ThumbnailTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(home.Run({"--setup"}).exitStatus, 0); }

  std::string Entry() const { return home / ".local/share/thumbnailers/velkor.thumbnailer"; }

  // The value of `key` in the entry, key-file escapes resolved.
  std::string EntryValue(const std::string& key, const std::string& entry = "") const {
    std::istringstream in(test::ReadText(entry.empty() ? Entry() : entry));
    for (std::string line; std::getline(in, line);) {
      if (line.rfind(key + "=", 0) != 0) continue;
      std::string value;
      for (std::size_t i = key.size() + 1; i < line.size(); ++i) value += line[i] == '\\' ? line[++i] : line[i];
      return value;
    }
    return "";
  }

  // Runs the entry's Exec line as a thumbnail service does: %s the size, %i and %o the
  // quoted paths, then through the shell (with `path` as PATH when given).
  test::RunResult Thumbnail(int size, const std::string& input, const std::string& output,
                            const std::string& entry = "", const std::string& path = "") {
    std::string command;
    const std::string exec = EntryValue("Exec", entry);
    for (std::size_t i = 0; i < exec.size(); ++i) {
      if (exec[i] != '%') { command += exec[i]; continue; }
      const char code = exec[++i];
      command += code == 's' ? std::to_string(size) : code == 'i' ? ShellQuoted(input) : code == 'o' ? ShellQuoted(output)
                 : code == '%' ? "%" : "<unknown code>";
    }
    std::map<std::string, std::string> environment;
    if (!path.empty()) environment["PATH"] = path;
    return test::RunVelkor({"-c", command}, home.path(), environment, "/bin/sh");
  }

  std::string Put(const std::string& name, const Bytes& bytes) {
    const std::string path = home / name;
    test::MakeFolder(path.substr(0, path.rfind('/')));
    test::WriteBytes(path, bytes);
    return path;
  }

  test::CliHome home;
};

bool Covered(const std::uint8_t* p) { return p[3] > 0; }
// A colour, not a grey: the untextured model is grey.
bool Coloured(const std::uint8_t* p) {
  return p[3] > 0 && std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}) >= 48;
}

TEST_F(ThumbnailTest, TheServicesDrawCarsFromTheEntryTheSetupWrote) {
  EXPECT_EQ(EntryValue("TryExec"), home.Program());
  const auto members = sample::RoadsterCar();
  const std::string car = Put("My Cars/Velkor's Roadster/car.viv", sample::PackArchive(members));
  const std::string output = home / "thumbnails/car one.png";
  test::MakeFolder(home / "thumbnails");

  const auto run = Thumbnail(256, car, output);
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const Bytes png = test::ReadBytes(output);
  const Picture picture = Decode(png);
  EXPECT_EQ(std::pair(picture.width, picture.height), std::pair(256, 256));
  const double covered = double(picture.Count(&Covered)) / (256.0 * 256.0);
  EXPECT_GT(covered, 0.10);
  EXPECT_LT(covered, 0.90);
  EXPECT_GT(picture.Count(&Coloured), picture.Count(&Covered) / 4) << "the car's texture is not to be seen";
  EXPECT_EQ(picture.rgba[3], 0) << "the background is not transparent";

  // Xfce's service creates the output empty first and reads back the file it holds open.
  const std::string held = home / "thumbnails/held.png";
  test::WriteBytes(held, {});
  const int descriptor = ::open(held.c_str(), O_RDONLY);
  ASSERT_GE(descriptor, 0);
  ASSERT_EQ(Thumbnail(256, car, held).exitStatus, 0);
  Bytes readBack(png.size() + 1);
  EXPECT_EQ(::pread(descriptor, readBack.data(), readBack.size(), 0), static_cast<ssize_t>(png.size()));
  readBack.resize(png.size());
  EXPECT_EQ(readBack, png);
  ::close(descriptor);

  // The loose model, textured with the car00.tga beside it.
  const std::string model = Put("loose/car.fce", test::MemberOf(members, "car.fce"));
  ASSERT_EQ(Thumbnail(64, model, output).exitStatus, 0);
  EXPECT_EQ(Decode(test::ReadBytes(output)).Count(&Coloured), 0u) << "no texture beside it: plain";
  Put("loose/car00.tga", test::MemberOf(members, "car00.tga"));
  ASSERT_EQ(Thumbnail(64, model, output).exitStatus, 0);
  EXPECT_GT(Decode(test::ReadBytes(output)).Count(&Coloured), 0u);

  // An NFS4 car's highest variant, car2.fce, is drawn with car200.tga (red), not car00.tga (green).
  const Bytes nfs4 =
      test::Through<Fce3File>(test::MemberOf(members, "car.fce"), [](auto& f, auto to) { f.ConvertTo4(to); });
  const Bytes green = UniformTga(4, 4, 0, 255, 0), red = UniformTga(4, 4, 255, 0, 0);
  const std::string nfs4Car = Put("nfs4/car.viv", test::BuildViv({{"car.fce", nfs4}, {"car00.tga", green},
                                                                  {"car2.fce", nfs4}, {"CAR200.TGA", red},
                                                                  {"car1.fce", nfs4}}));
  ASSERT_EQ(Thumbnail(96, nfs4Car, home / "out.png").exitStatus, 0);
  const Picture variant = Decode(test::ReadBytes(home / "out.png"));
  EXPECT_GT(variant.Count([](const std::uint8_t* p) { return p[3] > 0 && p[0] > 60 && p[1] == 0; }), 1000u);
  EXPECT_EQ(variant.Count([](const std::uint8_t* p) { return p[3] > 0 && p[1] > 0; }), 0u);

  // The entry installed with the program finds it through PATH.
  const std::string installed = VELKOR_TEST_SOURCES "/../desktop/velkor.thumbnailer";
  EXPECT_EQ(EntryValue("TryExec", installed), "velkor");
  const auto found = Thumbnail(32, car, home / "found.png", installed, home / "bin dir" + ":/usr/bin:/bin");
  EXPECT_EQ(found.exitStatus, 0) << found.err;
  EXPECT_EQ(Decode(test::ReadBytes(home / "found.png")).width, 32);
}

TEST_F(ThumbnailTest, ImagesAreShrunkToFitAndInputItCannotReadEndsWithExitOneAndNoFile) {
  ASSERT_EQ(Thumbnail(100, Put("wide.tga", UniformTga(300, 150, 10, 200, 30)), home / "wide.png").exitStatus, 0);
  const Picture wide = Decode(test::ReadBytes(home / "wide.png"));
  EXPECT_EQ(std::pair(wide.width, wide.height), std::pair(100, 50));
  EXPECT_EQ(Bytes(wide.rgba.begin(), wide.rgba.begin() + 4), (Bytes{10, 200, 30, 255}));

  // FSH: one 2 x 1 image of 32-bit pixels (B, G, R, A), code 0x7D.
  const Bytes fsh = {'S', 'H', 'P', 'I', 0, 0, 0, 0, 1, 0, 0, 0, 'G', 'I', 'M', 'X', 'f', 't', '0', '0', 24, 0, 0, 0,
                     0x7D, 0, 0, 0, 2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 255, 40, 50, 60, 128};
  ASSERT_EQ(Thumbnail(128, Put("fedata.fsh", fsh), home / "fsh.png").exitStatus, 0);
  const Picture image = Decode(test::ReadBytes(home / "fsh.png"));
  EXPECT_EQ(std::pair(image.width, image.height), std::pair(2, 1));
  EXPECT_EQ(image.rgba, (Bytes{3, 2, 1, 255, 60, 50, 40, 128}));
  ASSERT_EQ(Thumbnail(128, Put("dash.qfs", QfsEncode(fsh)), home / "qfs.png").exitStatus, 0);
  EXPECT_EQ(Decode(test::ReadBytes(home / "qfs.png")).rgba, image.rgba);

  const auto car = sample::RoadsterCar();
  Bytes nanModel = test::MemberOf(car, "car.fce");
  test::PutU32(nanModel, 7940 + 4, 0x7FC00000);  // a coordinate of the body's first vertex
  Bytes shortTga = UniformTga(4, 4, 1, 2, 3);
  shortTga.resize(30);
  const std::vector<std::pair<std::string, Bytes>> inputs = {
      {"broken/car.viv", test::ToBytes("BIGF\xff\xff\xff\xff")},
      {"nomodel/car.viv", test::BuildViv({{"car00.tga", test::MemberOf(car, "car00.tga")}})},
      {"nan/car.viv", test::BuildViv({{"car.fce", nanModel}})},
      {"short.tga", shortTga},
      {"notes.txt", test::ToBytes("not a picture")},
  };
  for (const auto& [name, bytes] : inputs) {
    const std::string output = home / (name + ".png");
    const auto run = Thumbnail(128, Put(name, bytes), output);
    EXPECT_EQ(run.exitStatus, 1) << name << ": " << run.err;
    EXPECT_FALSE(test::PathExists(output)) << name;
    EXPECT_NE(run.err.find(name.substr(name.find('/') + 1)), std::string::npos) << name << ": " << run.err;
  }
  // A model larger than any car's is refused before it is read (a sparse file).
  const std::string big = Put("big.fce", test::MemberOf(car, "car.fce"));
  std::filesystem::resize_file(big, 33u << 20);
  const auto refused = Thumbnail(128, big, home / "big.png");
  EXPECT_EQ(refused.exitStatus, 1);
  EXPECT_NE(refused.err.find("more than a thumbnail reads"), std::string::npos) << refused.err;
  EXPECT_FALSE(test::PathExists(home / "big.png"));

  test::WriteText(home / "kept.png", "old");
  EXPECT_EQ(Thumbnail(128, home / "notes.txt", home / "kept.png").exitStatus, 1);
  EXPECT_EQ(test::ReadText(home / "kept.png"), "old");
  EXPECT_EQ(home.Run({"--thumbnail", "0", home / "notes.txt", home / "x.png"}).exitStatus, 2);
}

}  // namespace
}  // namespace velkor
