// splitCommandLine over any command line: the list holds exactly the first
// twenty arguments that fit, each a whole field of the line behind the
// program name.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "launcher/arguments.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    static ArgList args; // 10 KB: kept off the stack, and what it held must not show through
    args.count = kMaxArguments;
    splitCommandLine(line, args);
    fuzz::checkList(args, fuzz::expectedArguments(line));
    return 0;
}
