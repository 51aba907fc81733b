#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "carp/Carp3File.h"
#include "carp/Carp4File.h"
#include "files/Errors.h"
#include "support/TestSupport.h"

namespace velkor {
namespace {

using test::TempDir;

std::string Label(int n) { return "(" + std::to_string(n) + ")"; }

// Loads `text` as a file of kind T from a fresh folder.
template <typename T>
std::unique_ptr<T> LoadText(const TempDir& dir, const std::string& text) {
  test::WriteText(dir / "carp.txt", text);
  auto file = std::make_unique<T>(dir / "carp.txt");
  EXPECT_EQ(file->Load(), 1);
  return file;
}

// Load's rule written the plain way: one search from the start for every label.
std::string ValueByPlainSearch(const std::string& text, int n) {
  const std::size_t p = text.find(Label(n));
  if (p == std::string::npos) return "";
  const std::size_t s = p + Label(n).size() + 2;
  if (s >= text.size()) return "";
  const std::size_t e = text.find('\r', s);
  return e == std::string::npos ? "" : text.substr(s, e - s);
}

TEST(CarpLoad, ReadsValuesByLabelWhateverTheOrderAndSurroundingText) {
  TempDir dir;
  const std::string torque = "0.00, 210.5 ,222 ,\t230.25,,  ";  // trailing blanks belong to the value
  const std::string highBytes = "\x80\xA0\xFF caf\xE9";
  std::string text = "leading junk\r\n";
  text += "torque curve (size 21) in 500 rpm increments(10)\r\n" + torque + "\r\n9,9,9\r\n";
  text += "(4)\r\n12\r\n";  // a description line holding only the label
  text += "mass [kg]" + Label(2) + "\r\n" + highBytes + "\r\n";
  text += "anything at all(0)\r\n SN 1, x \r\n";
  text += "between entries\r\n";
  text += "(79)\r\n3.5\r\n";

  const auto nfs3 = LoadText<Carp3File>(dir, text);
  EXPECT_EQ(nfs3->typeTag, "CARP3");
  EXPECT_EQ(nfs3->size, static_cast<std::int32_t>(text.size()));
  EXPECT_EQ(nfs3->values[0], " SN 1, x ");
  EXPECT_EQ(nfs3->values[2], highBytes);
  EXPECT_EQ(nfs3->values[4], "12");
  EXPECT_EQ(nfs3->values[10], torque) << "only the line after the label, taken whole";
  EXPECT_EQ(nfs3->values[79], "3.5");
  EXPECT_EQ(nfs3->values[1], "") << "a label that does not occur loads empty";

  const auto nfs4 = LoadText<Carp4File>(dir, text);
  EXPECT_EQ(nfs4->typeTag, "CARP4");
  EXPECT_EQ(nfs4->values[10], torque);
  EXPECT_EQ(nfs4->values[80], "") << "an NFS3 file has no understeer gradient";
}

TEST(CarpLoad, FirstOccurrenceOfALabelWins) {
  TempDir dir;
  // "(12)" first turns up inside label 3's value; "(1)" must not match inside "(10)" or "(11)".
  const std::string text =
      "(10)\r\nten\r\n(11)\r\neleven\r\n"
      "(3)\r\ngears (12)..behind\r\n"
      "(1)\r\none\r\n"
      "(12)\r\ntwelve\r\n";
  const auto file = LoadText<Carp3File>(dir, text);
  EXPECT_EQ(file->values[3], "gears (12)..behind");
  EXPECT_EQ(file->values[12], "behind") << "two characters after the label skipped unexamined";
  EXPECT_EQ(file->values[1], "one");
  EXPECT_EQ(file->values[10], "ten");
  EXPECT_EQ(file->values[11], "eleven");
}

TEST(CarpLoad, ValuesWithoutAFollowingCarriageReturnLoadEmpty) {
  TempDir dir;
  const auto lfOnly = LoadText<Carp3File>(dir, "Serial Number(0)\nA1\nCar Classification(1)\n2\n");
  EXPECT_EQ(lfOnly->values[0], "") << "no CR anywhere: every value is empty";
  EXPECT_EQ(lfOnly->values[1], "");

  const auto lastLine = LoadText<Carp3File>(dir, "(0)\r\nfirst\r\n(1)\r\nlast without line end");
  EXPECT_EQ(lastLine->values[0], "first");
  EXPECT_EQ(lastLine->values[1], "");

  const auto labelAtEnd = LoadText<Carp3File>(dir, "(0)\r\nfirst\r\n(5)\r");
  EXPECT_EQ(labelAtEnd->values[5], "");

  const auto empty = LoadText<Carp4File>(dir, "");
  EXPECT_EQ(empty->size, 0);
  for (const auto& value : empty->values) EXPECT_EQ(value, "");
}

TEST(CarpLoad, AnNfs4FileLoadedAsNfs3IgnoresLabel80) {
  TempDir dir;
  std::string text;
  for (int n = 0; n <= 80; ++n) text += "x" + Label(n) + "\r\nvalue " + std::to_string(n) + "\r\n";
  const auto nfs3 = LoadText<Carp3File>(dir, text);
  const auto nfs4 = LoadText<Carp4File>(dir, text);
  for (int n = 0; n < 80; ++n) EXPECT_EQ(nfs3->values[n], "value " + std::to_string(n));
  EXPECT_EQ(nfs4->values[80], "value 80");
}

// The loader finds all labels in one pass; it must agree with the plain rule on texts
// where labels nest, repeat, carry leading zeros or sit at the very end.
TEST(CarpLoad, AgreesWithOneSearchPerLabelOnAwkwardTexts) {
  TempDir dir;
  const std::string texts[] = {
      "((12)\r\nA\r\n",
      "(012)\r\nzero-led\r\n(12)\r\ntwelve\r\n",
      "(1(2)\r\nB\r\n(()\r\n(80)\r\nC\r\n",
      "(123)\r\nD\r\n(1234)\r\nE\r\n(23)\r\nF\r\n",
      "(0)(1)(2)\r\nG\r\n",
      "(00)\r\nH\r\n(0)\r\nI\r\n(7)",
      "(7)\r\n\r\r\n(8)\rX\r\n(9)\r\n\n\r(",
      "(-1)\r\nJ\r\n(+1)\r\nK\r\n( 1)\r\nL\r\n(1 )\r\nM\r\n",
  };
  for (const std::string& text : texts) {
    const auto nfs4 = LoadText<Carp4File>(dir, text);
    for (int n = 0; n <= 80; ++n) EXPECT_EQ(nfs4->values[n], ValueByPlainSearch(text, n)) << "label " << n << " in " << text;
  }
}

TEST(CarpLoad, AFileThatCannotBeReadRaisesAndLeavesTheValues) {
  TempDir dir;
  Carp3File file(dir / "missing.txt");
  file.values[0] = "kept";
  try {
    file.Load();
    FAIL() << "no error for a missing file";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find(dir / "missing.txt"), std::string::npos) << e.what();
  }
  EXPECT_EQ(file.values[0], "kept");
}

}  // namespace
}  // namespace velkor
