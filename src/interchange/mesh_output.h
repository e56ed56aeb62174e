// The files the Open Asset Import Library writes for a mesh export, routed
// through the program's own atomic saves: the library is handed a file system
// whose every file goes to a temporary file beside its target, and the targets
// are replaced only after the library has finished every one of them. The
// library is told the final names, so what it writes inside one file about
// another (an OBJ's "mtllib") names the file as it will be.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct aiScene;

namespace kalvenor {

// Writes the scene with the library's exporter exporterId ("obj", "glb2", ...).
// files lists every path the exporter may write, the main file first; it may
// open no other. Returns nothing on success, else the reason it failed, with
// every previous file of the list as it was and no temporary file left.
std::optional<std::string> writeScene(const aiScene& scene, const char* exporterId,
                                      const std::vector<std::string>& files);

} // namespace kalvenor
