// What the information panels and `--info` tell of the landscape and the image.
#pragma once

#include <string>
#include <vector>

namespace kalvenor {

struct App;
struct Landscape;

// "LandScape Name: ...", "Comment: ...", "Grid: W x H cells", "Extent: ... meters",
// "UTM X: ...  UTM Y: ...", "Lowest point: ...", "Highest point: ...".
std::vector<std::string> landscapeInformation(const Landscape& land);

// The image size and depth, the last render and the last picture read.
std::vector<std::string> imageInformation(const App& app);

} // namespace kalvenor
