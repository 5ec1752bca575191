// splitCommandLine over any command line: the list holds exactly the first
// twenty arguments that fit, each a whole field of the line behind the
// program name.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "launcher/arguments.h"

namespace {

// The arguments as the header describes them, found another way: over the
// fields of the line rather than by scanning past the program name.
fuzz::Fields expectedArguments(std::string_view line) {
    if (!line.empty() && line[0] == '"') {
        const std::size_t closing = line.find('"', 1);
        if (closing == std::string_view::npos || closing + 2 > line.size()) {
            return {};
        }
        return fuzz::keptEntries(fuzz::fieldsOf(line.substr(closing + 2), ' '));
    }
    fuzz::Fields fields = fuzz::fieldsOf(line, ' ');
    if (fields.empty()) {
        return {};
    }
    fields.erase(fields.begin()); // the program name
    return fuzz::keptEntries(fields);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    static ArgList args; // 10 KB: kept off the stack, and what it held must not show through
    args.count = kMaxArguments;
    splitCommandLine(line, args);
    fuzz::checkList(args, expectedArguments(line));
    return 0;
}
