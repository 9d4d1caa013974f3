// The folder steps of CreateDirectoryPath from an arbitrary path (the whole input).

#include <cstdint>
#include <string>

#include "framework/PathText.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input input(data, size);
    const std::string path = input.Rest();
    const auto steps = DirectoryPathSteps(path);
    if (!steps) {
        FUZZ_CHECK(path.size() > kMaxPathChars || path.rfind("\\\\", 0) == 0);
        return 0;
    }
    // From the root down: each step is a longer beginning of the path, ending where a folder ends.
    size_t previous = 0;
    for (const std::string& step : *steps) {
        FUZZ_CHECK(!step.empty() && step.size() > previous);
        FUZZ_CHECK(path.compare(0, step.size(), step) == 0);
        FUZZ_CHECK(step.size() == path.size() || path[step.size()] == '\\');
        previous = step.size();
    }
    return 0;
}
