// Front-end text files of both versions: reading, writing, converting to the other version,
// and reading every file written.

#include "fuzz/FuzzSupport.h"
#include "model/FeData3File.h"
#include "model/FeData4File.h"

namespace {

template <typename Texts>
void RequireReadable(const std::string& path, const char* what) {
  Texts texts(path);
  velkor::fuzz::Require(velkor::fuzz::Attempt([&] { texts.Load(); }), std::string(what) + " cannot be read back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  fuzz::Input input(data, size);
  const std::string path = input.Write("fedata.eng");

  FeData3File nfs3(path);
  if (fuzz::Attempt([&] { nfs3.Load(); })) {
    fuzz::Require(fuzz::Attempt([&] { nfs3.SaveAs(input.Path("saved.en3")); }), "NFS3 texts cannot be written");
    fuzz::Require(fuzz::Attempt([&] { nfs3.ConvertTo4(input.Path("fedata.en4")); }), "NFS3 texts cannot be converted");
    RequireReadable<FeData3File>(input.Path("saved.en3"), "written NFS3 texts");
    RequireReadable<FeData4File>(input.Path("fedata.en4"), "texts converted to NFS4");
  }

  FeData4File nfs4(path);
  if (fuzz::Attempt([&] { nfs4.Load(); })) {
    fuzz::Require(fuzz::Attempt([&] { nfs4.SaveAs(input.Path("saved.en4")); }), "NFS4 texts cannot be written");
    fuzz::Require(fuzz::Attempt([&] { nfs4.ConvertTo3(input.Path("fedata.en3")); }), "NFS4 texts cannot be converted");
    RequireReadable<FeData4File>(input.Path("saved.en4"), "written NFS4 texts");
    RequireReadable<FeData3File>(input.Path("fedata.en3"), "texts converted to NFS3");
  }
  return 0;
}
