#include "framework/RunLog.h"

#include <chrono>
#include <ctime>

namespace {
std::atomic<bool> unattended{false};

// Kept lines are a bounded buffer: a program that never decides on a file cannot grow it forever.
constexpr size_t kMaxKeptLines = 10000;

LogTime LocalNow()
{
    using namespace std::chrono;
    const system_clock::time_point now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    LogTime time;
    time.millisecond = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    // Called under the log's lock, so the shared result of localtime is not raced.
    if (const std::tm* local = std::localtime(&seconds)) {
        time.year = local->tm_year + 1900;
        time.month = local->tm_mon + 1;
        time.day = local->tm_mday;
        time.hour = local->tm_hour;
        time.minute = local->tm_min;
        time.second = local->tm_sec;
    }
    return time;
}

void AppendNumber(std::string& out, int value, int digits)
{
    std::string text = std::to_string(value < 0 ? 0 : value);
    if (text.size() < static_cast<size_t>(digits)) out.append(digits - text.size(), '0');
    out += text;
}
}  // namespace

std::string FormatLogLine(const LogTime& time, const std::string& text)
{
    std::string line;
    line.reserve(text.size() + 32);
    AppendNumber(line, time.year, 4);
    line += '-';
    AppendNumber(line, time.month, 2);
    line += '-';
    AppendNumber(line, time.day, 2);
    line += ' ';
    AppendNumber(line, time.hour, 2);
    line += ':';
    AppendNumber(line, time.minute, 2);
    line += ':';
    AppendNumber(line, time.second, 2);
    line += '.';
    AppendNumber(line, time.millisecond, 3);
    line += "  ";
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            line += " | ";
        } else if (c == '\0') {
            line += ' ';
        } else {
            line += c;
        }
    }
    line += "\r\n";
    return line;
}

std::string LogFileNameFor(const std::string& productName)
{
    std::string name;
    for (const char c : productName) {
        const bool forbidden =
            static_cast<unsigned char>(c) < 32 || std::string("\\/:*?\"<>|").find(c) != std::string::npos;
        name += forbidden ? '_' : c;
    }
    // Trailing dots and blanks are dropped by the file system, which would merge "X." with "X".
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
        name.pop_back();
    if (name.empty() || name == "Error") name = "Setup";
    return name + ".log";
}

std::string NumberedLogFileName(const std::string& fileName, int number)
{
    if (number <= 1) return fileName;
    const size_t dot = fileName.rfind('.');
    const size_t stem = dot == std::string::npos || dot == 0 ? fileName.size() : dot;
    return fileName.substr(0, stem) + "-" + std::to_string(number) + fileName.substr(stem);
}

RunLog::RunLog() : clock_(&LocalNow) {}

RunLog::~RunLog()
{
    if (file_) std::fclose(file_);
}

namespace {
std::FILE* OpenWithStandardLibrary(const std::string& path)
{
    return std::fopen(path.c_str(), "wb");
}
RunLog::FileOpener fileOpener = &OpenWithStandardLibrary;
}  // namespace

void RunLog::SetFileOpener(FileOpener opener)
{
    fileOpener = opener ? opener : &OpenWithStandardLibrary;
}

bool RunLog::Open(const std::string& path)
{
    return Adopt(fileOpener(path), path);
}

bool RunLog::Adopt(std::FILE* file, const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (file_) std::fclose(file_);
    file_ = file;
    if (!file_) {
        kept_.clear();
        on_ = false;
        return false;
    }
    path_ = path;
    std::fputs("\xEF\xBB\xBF", file_);
    for (const std::string& line : kept_)
        std::fputs(line.c_str(), file_);
    kept_.clear();
    std::fflush(file_);
    return true;
}

void RunLog::TurnOff()
{
    std::lock_guard<std::mutex> lock(mutex_);
    kept_.clear();
    on_ = false;
}

void RunLog::Write(const std::string& text)
{
    if (!on_) return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!on_) return;
    std::string line = FormatLogLine(clock_(), text);
    if (!file_) {
        if (kept_.size() < kMaxKeptLines) kept_.push_back(std::move(line));
        return;
    }
    std::fputs(line.c_str(), file_);
    std::fflush(file_);
}

void RunLog::WriteError(const std::string& text)
{
    ++errors_;
    Write(text);
}

RunLog& TheRunLog()
{
    static RunLog log;
    return log;
}

bool IsUnattended()
{
    return unattended;
}

void SetUnattended(bool value)
{
    unattended = value;
}
