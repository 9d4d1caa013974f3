#pragma once
// The run's log: one line per step, each with its local time, appended to a file as it happens (every
// line is flushed, so a crash leaves the lines written so far). The log never fails the run: a file
// that cannot be created or written only loses the lines. Lines written before the file's name is
// known are kept and go into the file when it opens; a run without a log discards them.
//
// Also holds the run's unattended flag: set, the programs show no window and no message box; every
// box is written to the log instead and answered as described in MessageBox.h.

#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct LogTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

// "2026-12-07 17:30:01.123  text". Line breaks inside the text become " | ", so one step stays one line.
std::string FormatLogLine(const LogTime& time, const std::string& text);

// A file name made from a product name: characters that a file name cannot hold become '_'; an empty
// or unset name gives "Setup". ".log" is appended.
std::string LogFileNameFor(const std::string& productName);

// The n-th name tried for a log that must be a new file: `fileName` itself first, then "Name-2.log",
// "Name-3.log" and so on (the number before the extension).
std::string NumberedLogFileName(const std::string& fileName, int number);

class RunLog {
public:
    RunLog();
    ~RunLog();
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // Creates (replaces) the file and writes the lines kept so far into it. False when it cannot be
    // created: the log is then off.
    bool Open(const std::string& path);
    // How Open creates a file ("wb"): std::fopen unless the program installs the system's own, which
    // takes every name (the log's path is UTF-8 text like every other).
    using FileOpener = std::FILE* (*)(const std::string& path);
    static void SetFileOpener(FileOpener opener);
    // As Open, with a file the caller has created and opened for writing (the log closes it); null
    // turns the log off. The log is UTF-8 and begins with its byte-order mark, so that any viewer
    // shows the names in it as they are.
    bool Adopt(std::FILE* file, const std::string& path);
    // No file will come: the kept lines are dropped and later ones are not kept.
    void TurnOff();
    // False once the log is off; callers skip building lines that nobody reads.
    bool On() const { return on_; }
    void Write(const std::string& text);
    // A failure of the run (a file not copied, a script command that failed): written like any line
    // and counted, so the run can end with "installed with errors".
    void WriteError(const std::string& text);
    int ErrorCount() const { return errors_; }
    const std::string& Path() const { return path_; }

    // For tests: the time source (the local time by default).
    void SetClock(std::function<LogTime()> clock) { clock_ = std::move(clock); }

private:
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
    std::string path_;
    std::vector<std::string> kept_;
    std::atomic<bool> on_{true};
    std::atomic<int> errors_{0};
    std::function<LogTime()> clock_;
};

// The program's one log.
RunLog& TheRunLog();
inline void LogLine(const std::string& text)
{
    TheRunLog().Write(text);
}
inline void LogError(const std::string& text)
{
    TheRunLog().WriteError(text);
}

bool IsUnattended();
void SetUnattended(bool unattended);
