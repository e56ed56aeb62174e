// Input for the toolkit's tests: events from a list, closing when it runs out.
#pragma once

#include <deque>

#include "panels/input.h"

namespace kalvenor {

class ScriptedInput : public InputSource {
public:
    std::deque<InputEvent> events;
    int presented = 0;

    std::optional<InputEvent> next() override
    {
        if (events.empty()) return std::nullopt;
        const InputEvent e = events.front();
        events.pop_front();
        return e;
    }
    void present() override { ++presented; }

    void move(int x, int y) { events.push_back({InputKind::Move, x, y}); }
    void click(int x, int y, int upX = -1, int upY = -1)
    {
        events.push_back({InputKind::LeftDown, x, y});
        events.push_back({InputKind::LeftUp, upX < 0 ? x : upX, upY < 0 ? y : upY});
    }
    void key(int code) { events.push_back({InputKind::Key, 0, 0, code}); }
};

} // namespace kalvenor
