#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <nlohmann/json.hpp>

#include "cli/RunVelkor.h"
#include "sample/SampleCar.h"
#include "support/GeometryModel.h"
#include "support/VivBuilder.h"

namespace velkor {
namespace {

// Node finds the validator installed locally or globally (tools/install-build-deps.sh --tests).
const std::string kNode = "NODE_PATH=\"${NODE_PATH:-$(npm root -g 2>/dev/null)}\" node";

bool ValidatorInstalled() { return std::system((kNode + " -e \"require('gltf-validator')\" >/dev/null 2>&1").c_str()) == 0; }

nlohmann::json ValidatorReport(const std::string& file) {
  const std::string command = kNode + " '" +
                              std::string(VELKOR_TEST_SOURCES) + "/support/node/validate_gltf.js' '" + file + "'";
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), &pclose);
  std::string out;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get())) out.append(buffer, n);
  return nlohmann::json::parse(out);
}

// Exported through the real program: the sample car as the program ships it (a body and
// four wheels in twelve parts, its texture), an NFS4 car archive and the same model loose.
TEST(GltfValidator, ExportedCarsModelsAndTheSampleCarHaveNoErrors) {
  if (!ValidatorInstalled()) GTEST_SKIP() << "node or the npm package gltf-validator is not installed";
  test::TempDir home;
  const Bytes texture = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0x20, 10, 20, 30};
  test::WriteBytes(home / "car.viv", sample::PackArchive(sample::RoadsterCar()));
  test::MakeFolder(home / "nfs4");
  test::WriteBytes(home / "nfs4/car.viv",
                   test::BuildViv({{"car.fce", test::GeometryCar(true)}, {"car00.tga", texture}}));
  test::WriteBytes(home / "nfs4/model.fce", test::GeometryCar(true));
  for (const std::string input : {"car.viv", "nfs4/car.viv", "nfs4/model.fce"}) {
    const auto run = test::RunVelkor({"--export", home / input}, home.path());
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const nlohmann::json report = ValidatorReport(home / (input.substr(0, input.rfind('.')) + ".glb"));
    SCOPED_TRACE(input + ": " + report.dump());
    EXPECT_EQ(report["errors"], 0);
    EXPECT_EQ(report["warnings"], 0);
  }
}

}  // namespace
}  // namespace velkor
