#include "copy/ProgressTexts.h"

ProgressTexts ComputeProgress(unsigned long long filesDone, unsigned long long kibDone, unsigned long long filesTotal,
                              unsigned long long kibTotal)
{
    ProgressTexts shown;
    if (filesTotal == 0) {
        if (filesDone > 0) shown.fileCount = "File " + std::to_string(filesDone);
        return shown;
    }
    const unsigned long long total = filesDone > filesTotal ? filesDone : filesTotal;
    shown.fileCount = "File " + std::to_string(filesDone) + " of " + std::to_string(total);
    unsigned long long perMille = kibTotal > 0 ? kibDone * 1000 / kibTotal : filesDone * 1000 / total;
    if (filesDone == total) perMille = 1000;
    shown.perMille = static_cast<int>(perMille > 1000 ? 1000 : perMille);
    return shown;
}
