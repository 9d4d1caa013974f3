#include "uninstaller/FolderResolution.h"

#include "framework/AnsiText.h"
#include "uninstaller/InstallFolderCheck.h"

namespace {
bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsLoopbackAddress(const std::string& host)
{
    // 127.0.0.0/8 written as four decimal numbers.
    if (host.rfind("127.", 0) != 0) return false;
    int dots = 0;
    for (char c : host) {
        if (c == '.')
            ++dots;
        else if (c < '0' || c > '9')
            return false;
    }
    return dots == 3;
}

// "\\host\share" and the rest after it ("" or "\Book\..."); nothing for a path of another form.
bool SplitUnc(std::string_view path, std::string& host, std::string& share, std::string& rest)
{
    if (path.size() < 5 || path[0] != '\\' || path[1] != '\\') return false;
    const size_t hostEnd = ansi::FindChar(path, '\\', 2);
    if (hostEnd == std::string_view::npos || hostEnd == 2) return false;
    const size_t shareEnd = ansi::FindChar(path, '\\', hostEnd + 1);
    host = std::string(path.substr(2, hostEnd - 2));
    share = std::string(
        path.substr(hostEnd + 1, shareEnd == std::string_view::npos ? std::string_view::npos : shareEnd - hostEnd - 1));
    rest = shareEnd == std::string_view::npos ? std::string() : std::string(path.substr(shareEnd));
    return !share.empty();
}

std::string JoinRest(const std::string& base, const std::string& rest)
{
    if (rest.empty() || rest == "\\") return base;
    return ansi::EndsWithChar(base, '\\') ? base + rest.substr(1) : base + rest;
}
}  // namespace

std::optional<std::string> PathFromFinalPath(std::string_view finalPath)
{
    std::string_view path = finalPath;
    if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + std::string(path.substr(8));
    if (path.rfind("\\\\?\\", 0) == 0) path.remove_prefix(4);
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\') return std::string(path);
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':' && path.size() == 2)
        return std::string(path) + "\\";
    if (path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '?' && path[2] != '.')
        return std::string(path);
    return std::nullopt;
}

std::optional<std::string> LocalPathOfAdminShare(std::string_view path, const std::vector<std::string>& machineNames,
                                                 std::string_view windowsFolder)
{
    std::string host, share, rest;
    if (!SplitUnc(path, host, share, rest)) return std::nullopt;
    bool local = ansi::EqualsNoCase(host, "localhost") || IsLoopbackAddress(host) || host == "::1" ||
                 ansi::EqualsNoCase(host, "0--1.ipv6-literal.net");
    for (const std::string& name : machineNames)
        local = local || (!name.empty() && ansi::EqualsNoCase(host, name));
    if (!local) return std::nullopt;
    if (share.size() == 2 && IsDriveLetter(share[0]) && share[1] == '$')
        return JoinRest(ansi::ToUpper(share.substr(0, 1)) + ":\\", rest);
    if (ansi::EqualsNoCase(share, "ADMIN$") && !windowsFolder.empty())
        return JoinRest(std::string(windowsFolder), rest);
    return std::nullopt;
}

std::optional<std::string> PathThroughDosDevice(std::string_view path, std::string_view dosDevice)
{
    if (path.size() < 3 || !IsDriveLetter(path[0]) || path[1] != ':' || path[2] != '\\') return std::nullopt;
    const std::string rest(path.substr(2));
    if (dosDevice.rfind("\\??\\", 0) == 0) {
        // "\??\C:\Data" or "\??\UNC\server\share": the same forms as a final path.
        std::optional<std::string> target = PathFromFinalPath("\\\\?\\" + std::string(dosDevice.substr(4)));
        if (target) return JoinRest(*target, rest);
        return std::nullopt;
    }
    // Network redirectors name the connection first ("\;Q:0000000000001234"), then server and share.
    for (std::string_view redirector : {"\\Device\\LanmanRedirector\\", "\\Device\\Mup\\"}) {
        if (!ansi::StartsWithNoCase(dosDevice, redirector)) continue;
        std::string_view tail = dosDevice.substr(redirector.size());
        if (!tail.empty() && tail[0] == ';') {
            const size_t slash = ansi::FindChar(tail, '\\');
            if (slash == std::string_view::npos) return std::nullopt;
            tail.remove_prefix(slash + 1);
        }
        if (tail.empty()) return std::nullopt;
        return JoinRest("\\\\" + std::string(tail), rest);
    }
    return std::nullopt;
}

std::vector<std::string> FolderChain(const std::string& canonical)
{
    std::vector<std::string> chain;
    std::string root;
    size_t start = 0;
    if (canonical.rfind("\\\\", 0) == 0) {
        const size_t hostEnd = ansi::FindChar(canonical, '\\', 2);
        if (hostEnd == std::string::npos) return chain;
        const size_t shareEnd = ansi::FindChar(canonical, '\\', hostEnd + 1);
        root = canonical.substr(0, shareEnd);
        start = shareEnd == std::string::npos ? canonical.size() : shareEnd + 1;
    } else {
        if (canonical.size() < 3) return chain;
        root = canonical.substr(0, 3);
        start = 3;
    }
    chain.push_back(root);
    std::string current = root;
    while (start < canonical.size()) {
        size_t end = ansi::FindChar(canonical, '\\', start);
        if (end == std::string::npos) end = canonical.size();
        current = canonical.substr(0, end);
        chain.push_back(current);
        start = end + 1;
    }
    return chain;
}

FolderPresence FindFolderPresence(const std::string& canonical,
                                  const std::function<PathKind(const std::string&)>& query)
{
    switch (query(canonical)) {
        case PathKind::Folder:
            return FolderPresence::Present;
        case PathKind::LinkedFolder:
            return FolderPresence::IsLink;
        case PathKind::File:
            return FolderPresence::NotAFolder;
        case PathKind::Unreachable:
            return FolderPresence::Unreachable;
        case PathKind::Missing:
            break;
    }
    // Missing: absent only when something above it is there, up to the drive root or the share. A drive
    // letter that is not there reads as "file not found" on some systems, so a missing root is unreachable.
    const std::vector<std::string> chain = FolderChain(canonical);
    if (chain.empty()) return FolderPresence::Unreachable;
    for (size_t i = chain.size() - 1; i-- > 0;) {
        switch (query(chain[i])) {
            case PathKind::Missing:
                continue;
            case PathKind::Folder:
            case PathKind::LinkedFolder:
            case PathKind::File:
                // The nearest thing above is there (a file where a folder should be counts too): the folder
                // cannot be there.
                return FolderPresence::Absent;
            case PathKind::Unreachable:
                // A folder that cannot be read or a link whose target is lost: the files may be behind it.
                return FolderPresence::Unreachable;
        }
    }
    return FolderPresence::Unreachable;
}
