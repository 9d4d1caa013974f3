#pragma once
// What the progress dialog shows of a section's copy.

#include <string>

// The progress bar's position (0 to 1000, by bytes; by files when the section has no bytes) and
// "File n of m". Until the count walk has reported (a total of 0) the count shows "File n" and the
// bar stays empty. Files that appeared after the walk raise the total, so n never exceeds m.
struct ProgressTexts {
    int perMille = 0;
    std::string fileCount;
};
ProgressTexts ComputeProgress(unsigned long long filesDone, unsigned long long kibDone, unsigned long long filesTotal,
                              unsigned long long kibTotal);
