// What a command or a long operation came to. The classic results (1 done,
// 0 failed, -1 cancelled or aborted) are made from it only at the edges that
// show or compare them.
#pragma once

namespace kalvenor {

enum class Outcome {
    Done,
    Failed,    // the failure has been shown to the user already
    Cancelled, // the user cancelled a requester or aborted the work
};

constexpr int classicResult(Outcome outcome)
{
    return outcome == Outcome::Done ? 1 : outcome == Outcome::Failed ? 0 : -1;
}

// 1 done, 0 failed, anything else (-1) cancelled or aborted.
constexpr Outcome outcomeOf(int classic)
{
    return classic == 1 ? Outcome::Done : classic == 0 ? Outcome::Failed : Outcome::Cancelled;
}

} // namespace kalvenor
