// FCE car models of both versions: reading, writing, converting to the other version, and
// reading every file written.

#include "fuzz/FuzzSupport.h"
#include "model/Fce3File.h"
#include "model/Fce4File.h"

namespace {

template <typename Model>
void RequireReadable(const std::string& path, const char* what) {
  Model model(path);
  velkor::fuzz::Require(velkor::fuzz::Attempt([&] { model.Load(); }), std::string(what) + " cannot be read back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  fuzz::Input input(data, size);
  const std::string path = input.Write("car.fce");

  Fce3File nfs3(path);
  if (fuzz::Attempt([&] { nfs3.Load(); })) {
    fuzz::Require(fuzz::Attempt([&] { nfs3.SaveAs(input.Path("saved.fc3")); }), "an NFS3 model cannot be written");
    fuzz::Require(fuzz::Attempt([&] { nfs3.ConvertTo4(input.Path("car.fc4")); }), "an NFS3 model cannot be converted");
    RequireReadable<Fce3File>(input.Path("saved.fc3"), "a written NFS3 model");
    RequireReadable<Fce4File>(input.Path("car.fc4"), "a model converted to NFS4");
  }

  Fce4File nfs4(path);
  if (fuzz::Attempt([&] { nfs4.Load(); })) {
    fuzz::Require(fuzz::Attempt([&] { nfs4.SaveAs(input.Path("saved.fc4")); }), "an NFS4 model cannot be written");
    fuzz::Require(fuzz::Attempt([&] { nfs4.ConvertTo3(input.Path("car.fc3"), 0); }), "an NFS4 model cannot be converted");
    fuzz::Require(fuzz::Attempt([&] { nfs4.ConvertTo3(input.Path("card.fc3"), 1); }),
                  "an NFS4 model cannot be converted with its alternate blocks");
    RequireReadable<Fce4File>(input.Path("saved.fc4"), "a written NFS4 model");
    RequireReadable<Fce3File>(input.Path("car.fc3"), "a model converted to NFS3");
    RequireReadable<Fce3File>(input.Path("card.fc3"), "a model converted to NFS3 with its alternate blocks");
  }
  return 0;
}
