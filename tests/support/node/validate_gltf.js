// Runs the Khronos glTF validator on one file and prints its report as one line of JSON:
//   node validate_gltf.js FILE.glb
const fs = require("fs");
const validator = require("gltf-validator");

validator
  .validateBytes(new Uint8Array(fs.readFileSync(process.argv[2])))
  .then((report) => {
    const issues = report.issues;
    console.log(JSON.stringify({
      errors: issues.numErrors,
      warnings: issues.numWarnings,
      infos: issues.numInfos,
      messages: issues.messages.map((m) => `${m.severity} ${m.code} ${m.pointer || ""} ${m.message}`),
    }));
  })
  .catch((error) => {
    console.error(error);
    process.exit(2);
  });
