// Script lines as hostile input: argument reading for every pattern, frame
// lines and classification. Nothing is executed, so no file is written and no
// program is started.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "script/interpreter.h"
#include "script/script_args.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    const std::string line = kalvenor::prepareLine(raw);
    using kalvenor::ArgPattern;
    for (ArgPattern p : {ArgPattern::None, ArgPattern::Number, ArgPattern::TwoNumbers, ArgPattern::ThreeNumbers,
                         ArgPattern::Integer, ArgPattern::Word, ArgPattern::WordTwoNumbers, ArgPattern::RestOfLine})
        (void)kalvenor::parseArgs(line, p);
    std::array<float, 6> frame{};
    if (kalvenor::isFrameLine(line)) (void)kalvenor::readFrameLine(line, frame);
    (void)kalvenor::classifyLine(raw);
    return 0;
}
