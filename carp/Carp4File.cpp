#include "carp/Carp4File.h"

#include <algorithm>
#include <utility>

#include "carp/Carp3File.h"
#include "carp/PerformanceText.h"

namespace velkor {
namespace {

// The NFS3 order with the understeer gradient (80) after label 30.
constexpr std::array<int, kNfs4ParameterCount> kNfs4EntryOrder = [] {
  std::array<int, kNfs4ParameterCount> order{0, 1, 2, 3, 75, 4, 5, 6, 7, 76, 8, 77, 9, 78, 10, 11, 79};
  int place = 17;
  for (int label = 12; label <= 30; ++label) order[place++] = label;
  order[place++] = 80;
  for (int label = 31; label <= 74; ++label) order[place++] = label;
  return order;
}();

}  // namespace

Carp4File::Carp4File(std::string p) : GameFile(std::move(p)) { typeTag = "CARP4"; }

int Carp4File::Load() {
  size = LoadPerformanceValues(OpenContent(), values);
  return 1;
}

int Carp4File::SaveAs(std::string p) {
  size = WritePerformanceText(p, BuildPerformanceText(kNfs4EntryOrder, values));
  return 1;
}

int Carp4File::ConvertTo3(std::string p) const {
  Carp3File nfs3(std::move(p));
  nfs3.Reset();
  std::copy_n(values.begin(), nfs3.values.size(), nfs3.values.begin());
  nfs3.Save();
  return 1;
}

}  // namespace velkor
