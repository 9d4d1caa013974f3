#include "framework/WideText.h"

#include "framework/AnsiText.h"
#include "framework/Utf8.h"

namespace {
static_assert(sizeof(wchar_t) == sizeof(char16_t), "the system's wide text is UTF-16");

// Folders are created only below 248 characters in the plain form (room for an 8.3 name is kept).
constexpr size_t kPlainPathLimit = 247;
constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
constexpr std::wstring_view kLongUncPrefix = L"\\\\?\\UNC\\";
}  // namespace

std::wstring Wide(std::string_view text)
{
    const std::u16string wide = Utf16FromUtf8(text);
    return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(std::wstring_view text)
{
    return Utf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::string Narrow(const wchar_t* text)
{
    return text ? Narrow(std::wstring_view(text)) : std::string();
}

std::string Utf8FromAnsi(std::string_view text)
{
    if (text.empty()) return {};
    const int length = static_cast<int>(std::min<size_t>(text.size(), 0x7FFFFFFF));
    const int needed = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (needed <= 0) return std::string(text);
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), needed);
    return Narrow(wide);
}

namespace {
// Calls `query(buffer, size)` (a system function that returns the length it needs when the buffer is too
// small) with a buffer that grows until the answer fits.
template <typename Query>
std::optional<std::wstring> GrowingQuery(Query query)
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (int tries = 0; tries < 4; ++tries) {
        const DWORD n = query(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::nullopt;
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.assign(n + 1, L'\0');
    }
    return std::nullopt;
}

std::optional<std::wstring> WideFullPath(const std::wstring& path)
{
    return GrowingQuery(
        [&](wchar_t* buffer, DWORD size) { return ::GetFullPathNameW(path.c_str(), size, buffer, nullptr); });
}
}  // namespace

std::optional<std::string> FullPathName(std::string_view path)
{
    const auto full = WideFullPath(Wide(path));
    if (!full) return std::nullopt;
    return Narrow(*full);
}

std::optional<std::string> LongPathName(std::string_view path)
{
    const std::wstring wide = SystemPath(path);
    const auto longName =
        GrowingQuery([&](wchar_t* buffer, DWORD size) { return ::GetLongPathNameW(wide.c_str(), buffer, size); });
    if (!longName) return std::nullopt;
    return PlainPath(Narrow(*longName));
}

bool SetCurrentFolderPath(const std::string& path)
{
    const std::optional<std::string> full = FullPathName(path);
    // One character is kept for the backslash that the system adds at the end.
    if (!full || Utf16Length(*full) >= MAX_PATH - 2) {
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    return ::SetCurrentDirectoryW(Wide(path).c_str()) != FALSE;
}

std::wstring SystemPath(std::string_view path)
{
    std::wstring wide = Wide(path);
    if (wide.size() <= kPlainPathLimit || wide.compare(0, 4, L"\\\\?\\") == 0 || wide.compare(0, 4, L"\\\\.\\") == 0)
        return wide;
    // The \\?\ form is taken as it stands: make the path full and canonical first, as the plain form
    // would have been read.
    const auto found = WideFullPath(wide);
    if (!found) return wide;
    const std::wstring& full = *found;
    if (full.compare(0, 2, L"\\\\") == 0) return std::wstring(kLongUncPrefix) + full.substr(2);
    return std::wstring(kLongPrefix) + full;
}

std::string PlainPath(std::string_view path)
{
    constexpr std::string_view unc = "\\\\?\\UNC\\";
    constexpr std::string_view local = "\\\\?\\";
    if (ansi::StartsWithNoCase(path, unc)) return "\\\\" + std::string(path.substr(unc.size()));
    if (ansi::StartsWithNoCase(path, local)) return std::string(path.substr(local.size()));
    return std::string(path);
}
