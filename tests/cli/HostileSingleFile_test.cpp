// Hostile loose files through the real program: models, front-end texts and performance
// files of both games, cut at their structural boundaries and with hostile counts and
// offsets, converted with "/c3" and "/c4". The program ends with 0 or 1, says why it
// failed, and writes nothing but the converted file beside the input.

#include <gtest/gtest.h>

#include <filesystem>

#include "cli/HostileSupport.h"
#include "sample/SampleCar.h"

namespace velkor {
namespace {

using test::Mutation;

const Bytes& SampleFile(const std::vector<sample::Member>& members, const std::string& name) {
  for (const auto& member : members)
    if (member.first == name) return member.second;
  throw std::runtime_error("no sample file " + name);
}

void Append(std::vector<Mutation>& to, std::vector<Mutation> more) {
  for (auto& m : more) to.push_back(std::move(m));
}

// The NFS4 version of a sample file, made by the program itself.
Bytes ConvertedToNfs4(const test::HostileHome& home, const std::string& name, const Bytes& nfs3) {
  test::MakeFolder(home / "made");
  test::WriteBytes(home / ("made/" + name), nfs3);
  const auto run = test::RunVelkor({"/c4", home / ("made/" + name)}, home.path(), {}, home.Executable());
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  std::string converted = name;
  converted.back() = '4';
  const Bytes bytes = test::ReadBytes(home / ("made/" + converted));
  std::filesystem::remove_all(home / "made");
  return bytes;
}

// An FCE model of either version: header size, where the counts and block offsets lie, and
// the block lengths, as the format gives them.
struct ModelLayout {
  std::size_t headerSize;
  std::size_t recordCount;
  std::size_t elementCount;
  std::size_t blockOffsets;
  std::size_t partCount;
  std::vector<std::size_t> blockLengths;
};

std::vector<Mutation> ModelMutations(const Bytes& model, const ModelLayout& layout) {
  std::vector<std::size_t> cuts = {0, 3, 4, 100, layout.headerSize - 1, layout.headerSize};
  std::size_t end = layout.headerSize;
  for (const std::size_t length : layout.blockLengths) {
    end += length;
    cuts.push_back(end - 1);
    if (end < model.size()) cuts.push_back(end + 1);
  }
  std::vector<Mutation> mutations = test::Truncations(model, cuts);
  const auto size = static_cast<std::uint32_t>(model.size());
  Append(mutations, test::FieldValues(model, layout.recordCount, false, "recordCount", {size}));
  Append(mutations, test::FieldValues(model, layout.elementCount, false, "elementCount", {size}));
  Append(mutations, test::FieldValues(model, layout.partCount, false, "partCount", {64, 65}));
  for (std::size_t b = 0; b < layout.blockLengths.size(); ++b)
    Append(mutations, test::FieldValues(model, layout.blockOffsets + 4 * b, false,
                                        "blockOffsets[" + std::to_string(b + 1) + "]", {size}));
  Bytes unnamed = model;
  std::fill(unnamed.begin() + 0x0E04, unnamed.begin() + 0x1E04, 'x');  // part names without NUL
  mutations.push_back({"part names without NUL", unnamed});
  return mutations;
}

// Front-end texts: `tableAt` is where the text offsets begin, `count` how many there are.
std::vector<Mutation> FrontEndMutations(const Bytes& texts, std::size_t tableAt, std::size_t count) {
  const std::size_t firstText = tableAt + 4 * count;
  std::vector<Mutation> mutations =
      test::Truncations(texts, {0, 1, tableAt - 1, tableAt, tableAt + 1, firstText - 1, firstText, firstText + 1,
                                (firstText + texts.size()) / 2, texts.size() - 1});
  const auto size = static_cast<std::uint32_t>(texts.size());
  for (const std::size_t text : {std::size_t{0}, std::size_t{1}, count - 1})
    Append(mutations, test::FieldValues(texts, tableAt + 4 * text, false, "text offset " + std::to_string(text),
                                        {size, size - 1, 0}));
  Bytes unterminated = texts;
  unterminated.back() = 'x';
  mutations.push_back({"last text without NUL", unterminated});
  return mutations;
}

std::vector<Mutation> PerformanceMutations(const Bytes& text) {
  std::vector<std::size_t> cuts = {0, 1, text.size() - 1};
  std::size_t line = 0;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '\r' || text[i + 1] != '\n') continue;
    if (line++ % 9 == 0) {
      cuts.push_back(i);
      cuts.push_back(i + 1);
    }
  }
  std::vector<Mutation> mutations = test::Truncations(text, cuts);
  Bytes everyByte;
  for (int repeat = 0; repeat < 4; ++repeat)
    for (int b = 0; b < 256; ++b) everyByte.push_back(static_cast<std::uint8_t>(b));
  mutations.push_back({"every byte value", everyByte});
  mutations.push_back({"a million '('", Bytes(1000000, '(')});
  mutations.push_back({"huge labels", test::ToBytes("x(99999999999999999999)\r\n1\r\n(4294967296)\r\n2\r\n(-1)\r\n3\r\n")});
  mutations.push_back({"labels without values", test::ToBytes("(0)(1)(2)(79)(80)")});
  mutations.push_back({"no line ends", test::ToBytes("a(0)xx1 b(1)xx2 c(80)xx3")});
  Bytes withNul = text;
  withNul.at(text.size() / 2) = 0;
  mutations.push_back({"a NUL in the middle", withNul});
  return mutations;
}

// Runs each mutation, named `name`, in a folder of its own through `command`.
void RunCases(const test::HostileHome& home, const std::vector<Mutation>& mutations, const std::string& name,
              const std::string& command) {
  int index = 0;
  for (const Mutation& m : mutations) {
    const std::string folder = "case" + std::to_string(index++);
    test::MakeFolder(home / folder);
    test::WriteBytes(home / (folder + "/" + name), m.bytes);
    test::RunOnHostileInput(home, {command, home / (folder + "/" + name)}, {folder},
                            command + " " + name + ", " + m.label);
    std::filesystem::remove_all(home / folder);
  }
}

// Element and record counts of the sample models: NFS3 car 24 and 12, NFS4 dashboard 4 and 2.
std::vector<std::size_t> Nfs3Blocks(std::size_t n, std::size_t m) { return {12 * n, 12 * n, 56 * m, 32 * n, 12 * n, 12 * n}; }
std::vector<std::size_t> Nfs4Blocks(std::size_t n, std::size_t m) {
  return {12 * n, 12 * n, 56 * m, 32 * n, 12 * n, 12 * n, 12 * n, 12 * n, 12 * n, 12 * n, 4 * n, 4 * n, 4 * n, 12 * m};
}

TEST(HostileSingleFile, MutatedModelsOfBothGames) {
  test::HostileHome home;
  const Bytes nfs3 = SampleFile(sample::RoadsterCar(), "car.fce");
  RunCases(home, ModelMutations(nfs3, {7940, 0x04, 0x08, 0x10, 0xF8, Nfs3Blocks(24, 12)}), "car.fce", "/c4");
  const Bytes nfs4 = SampleFile(sample::Nfs4ReferenceCar(), "dash.fce");
  RunCases(home, ModelMutations(nfs4, {8248, 0x08, 0x0C, 0x14, 0x11C, Nfs4Blocks(4, 2)}), "car.fce", "/c3");
}

TEST(HostileSingleFile, MutatedFrontEndTextsOfBothGames) {
  test::HostileHome home;
  const Bytes nfs3 = SampleFile(sample::RoadsterCar(), "fedata.eng");
  RunCases(home, FrontEndMutations(nfs3, 47, 40), "fedata.eng", "/c4");
  const Bytes nfs4 = ConvertedToNfs4(home, "fedata.eng", nfs3);
  RunCases(home, FrontEndMutations(nfs4, 960, 41), "fedata.eng", "/c3");
}

TEST(HostileSingleFile, MutatedPerformanceFilesOfBothGames) {
  test::HostileHome home;
  const Bytes nfs3 = SampleFile(sample::RoadsterCar(), "carp.txt");
  RunCases(home, PerformanceMutations(nfs3), "carp.txt", "/c4");
  const Bytes nfs4 = ConvertedToNfs4(home, "carp.txt", nfs3);
  RunCases(home, PerformanceMutations(nfs4), "carp2.txt", "/c3");
}

}  // namespace
}  // namespace velkor
