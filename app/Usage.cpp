#include "app/Usage.h"

#include <algorithm>

#include "app/CommandLine.h"
#include "app/CommandTable.h"

namespace velkor {
namespace {

constexpr std::size_t kVerbWidth = 5;          // the verbs' operands line up after their switches
constexpr std::size_t kDescriptionColumn = 19;  // where the help texts start, after the indent

std::string HelpLine(const CommandRow& row) {
  std::string left(row.Name());
  if (row.usageGroup == UsageGroup::Verbs)
    left.resize(std::max(left.size() + 1, kVerbWidth), ' ');
  else if (!row.usageOperands.empty())
    left += ' ';
  left += row.usageOperands;
  left.resize(std::max(left.size() + 1, kDescriptionColumn), ' ');
  return "  " + left + std::string(row.help) + "\n";
}

std::string HelpLines(UsageGroup group) {
  std::string lines;
  for (const CommandRow& row : CommandTable())
    if (row.usageGroup == group) lines += HelpLine(row);
  return lines;
}

std::string MakeUsageText() {
  return "usage: velkor SWITCH PATH\n\n" + HelpLines(UsageGroup::Verbs) + "\n  " + std::string(kNotifyWord) +
         " SWITCH PATH  also show the outcome as a desktop notification\n\n" + HelpLines(UsageGroup::Options) +
         "\n"
         "Loose files: *.fce models, fedata.eng/.bri/.ger/.fre/.ita/.spa/.swe texts and\n"
         "carp.txt, carp1.txt .. carp3.txt performance files. The output replaces the last\n"
         "character of the name with 3 or 4 (car.fce -> car.fc4).\n";
}

}  // namespace

const std::string& UsageText() {
  static const std::string text = MakeUsageText();
  return text;
}

}  // namespace velkor
