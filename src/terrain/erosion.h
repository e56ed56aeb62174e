// Erosion: drops released on a 16-cell lattice with a random offset run
// downhill and raise the pit where they stop to one unit above its lowest
// neighbour, so depressions fill with sediment round by round.
#pragma once

#include "model/landscape.h"
#include "model/random_streams.h"

namespace kalvenor {

class Frontend;

constexpr long long kErodeUntilEsc = 2147483647; // the panel's round count
constexpr int kMostScriptErodeRounds = 100000;    // the most a script may ask for

// Runs up to `rounds` rounds (the panel passes 2147483647 and the user ends
// it with Esc). Each round shows "Press Esc to finish (%d)" with its number
// (the first round is 1), stops when the user aborts, then takes one 8-bit draw
// (discarded) and the offsets ox = draw AND 15, oy = draw AND 15, and drops at
// rows oy, oy + 16, ... <= sizeY and columns ox, ox + 16, ... <= sizeX in row
// order. A drop picks its first direction with (8-bit draw AND 3) and keeps the
// first strictly lowest of the four neighbours in cyclic order from there
// (up, down, left, right); each drop's last cell is plotted on the map.
// A count below kErodeUntilEsc also shows its progress. Returns the number of
// rounds completed.
long long erodeRounds(Landscape& land, long long rounds, RandomStreams& random, Frontend& ui);

} // namespace kalvenor
