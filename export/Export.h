#pragma once

#include <string>

namespace velkor {

// Writes what another program can open, beside the input: a car archive or an FCE model
// becomes X.glb (glTF binary, the car's texture embedded), a TGA image X.png, and an FSH
// or QFS image archive a new folder X holding one PNG per image record. Outputs appear
// whole or not at all; an existing folder X is never written into.
void ExportFile(const std::string& path);

}  // namespace velkor
