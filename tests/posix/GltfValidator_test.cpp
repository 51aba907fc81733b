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

// The Khronos validator's report on a file.
nlohmann::json ValidatorReport(const std::string& file) {
  const std::string command = kNode + " '" +
                              std::string(VELKOR_TEST_SOURCES) + "/support/node/validate_gltf.js' '" + file + "'";
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), &pclose);
  std::string out;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe.get())) out.append(buffer, n);
  return nlohmann::json::parse(out);
}

// Exported through the real program: a car archive and a loose model of each game, and the
// sample car as the program ships it (a body and four wheels in twelve parts, its texture).
TEST(GltfValidator, ExportedCarsModelsAndTheSampleCarHaveNoErrors) {
  if (!ValidatorInstalled()) GTEST_SKIP() << "node or the npm package gltf-validator is not installed";
  test::TempDir home;
  const Bytes texture = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0x20, 10, 20, 30};
  std::vector<std::string> inputs = {"car.viv"};
  test::WriteBytes(home / "car.viv", sample::PackArchive(sample::RoadsterCar()));
  for (const bool nfs4 : {false, true}) {
    const std::string game = nfs4 ? "nfs4" : "nfs3";
    test::MakeFolder(home / game);
    test::WriteBytes(home / (game + "/car.viv"),
                     test::BuildViv({{"car.fce", test::GeometryCar(nfs4)}, {"car00.tga", texture}}));
    test::WriteBytes(home / (game + "/model.fce"), test::GeometryCar(nfs4));
    inputs.insert(inputs.end(), {game + "/car.viv", game + "/model.fce"});
  }
  for (const std::string& input : inputs) {
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
