#pragma once
// Shared pieces of the script tests under Wine: temporary folders, file helpers, the script
// platform with recorded messages.

#include <windows.h>

#include <string>
#include <vector>

#include "scripts/ScriptPlatformWin.h"

namespace scripttest {

// A new empty folder below the temporary folder; no trailing backslash.
std::string MakeTempFolder(const std::string& tag);
// The folder of the test program's helper files (version DLLs, the RUN probe).
std::string HelperFolder();
void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// The real platform, except that messages are recorded and RENAME's pauses are skipped.
class RecordingPlatform : public WinScriptPlatform {
public:
    std::vector<std::string> messages;
    std::vector<bool> retryAnswers;
    int pauses = 0;

    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool AskRetry(const std::string& text) override
    {
        messages.push_back(text);
        if (retryAnswers.empty()) return false;
        const bool answer = retryAnswers.front();
        retryAnswers.erase(retryAnswers.begin());
        return answer;
    }
    void Pause(unsigned) override { ++pauses; }
};

}  // namespace scripttest
