#include <gtest/gtest.h>

#include "uninstaller/UninstallSwitches.h"

TEST(UninstallSwitches, SwitchesBeforeTheCommandAndExitCodes)
{
    struct Case {
        const char* arguments;
        bool quiet;
        const char* log;
        const char* command;
        bool refused;
    } cases[] = {
        {"`C:\\Widgets` Learning Widgets", false, "", "`C:\\Widgets` Learning Widgets", false},
        {"/S `C:\\Widgets` Learning Widgets", true, "", "`C:\\Widgets` Learning Widgets", false},
        {"/s  /LOG=C:\\u.log `C:\\W` P", true, "C:\\u.log", "`C:\\W` P", false},
        {"\"/LOG=C:\\a b.log\" /S `C:\\W` P", true, "C:\\a b.log", "`C:\\W` P", false},
        // After the backquote everything belongs to the command, slashes included.
        {"`C:\\W` /S", false, "", "`C:\\W` /S", false},
        {"/X `C:\\W` P", false, "", "`C:\\W` P", true},
        {"/S", true, "", "", false},
        {"", false, "", "", false},
    };
    for (const Case& c : cases) {
        const UninstallSwitches s = SplitUninstallSwitches(c.arguments);
        EXPECT_EQ(s.quiet, c.quiet) << c.arguments;
        EXPECT_EQ(s.logPath, c.log) << c.arguments;
        EXPECT_EQ(s.command, c.command) << c.arguments;
        EXPECT_EQ(!s.error.empty(), c.refused) << c.arguments;
    }

    const std::pair<UninstallOutcome, int> codes[] = {
        {UninstallOutcome::Removed, 0},           {UninstallOutcome::FolderWasGone, 0},
        {UninstallOutcome::Declined, 1},          {UninstallOutcome::RemovalFailed, 2},
        {UninstallOutcome::FolderUnreachable, 2}, {UninstallOutcome::NoCommand, 3},
        {UninstallOutcome::BadCommand, 3},        {UninstallOutcome::UnsafeName, 3},
        {UninstallOutcome::NoEntry, 3},           {UninstallOutcome::EntryMismatch, 3},
        {UninstallOutcome::UnsafeFolder, 3},      {UninstallOutcome::NoRights, 5},
    };
    for (const auto& [outcome, code] : codes)
        EXPECT_EQ(UninstallExitCode(outcome), code) << static_cast<int>(outcome);
}
