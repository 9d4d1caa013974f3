// Inputs the fuzz targets found to break a promise, kept as ordinary tests.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "framework/AnsiText.h"
#include "settings/UninstallEntry.h"
#include "uninstaller/UninstallCommandLine.h"

namespace {
bool Cp932LeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

class FuzzRegressionDoubleByte : public ::testing::Test {
protected:
    void SetUp() override { ansi::SetLeadByteTest(&Cp932LeadByte); }
    void TearDown() override { ansi::SetLeadByteTest(nullptr); }
};

UninstallEntrySource SourceWithFolder(const std::string& folder)
{
    UninstallEntrySource source;
    source.uninstallerPath = "C:\\WINDOWS\\TOVRADE.EXE";
    source.destDir = folder;
    source.productName = "Book";
    source.shortcutLocation = "NULL";
    source.fileSize = "1000";
    return source;
}
}  // namespace

// A folder ending in a lead byte alone swallowed the closing backquote as its trail byte: the entry
// was written, and its own uninstaller then refused the command line it stored.
TEST_F(FuzzRegressionDoubleByte, EntryWhoseFolderEndsInHalfACharacterIsRefused)
{
    const auto refused = BuildUninstallEntry(SourceWithFolder("C:\\\x83\\\x83XE\x83"));
    ASSERT_TRUE(std::holds_alternative<EntryRefusal>(refused));
    EXPECT_NE(std::get<EntryRefusal>(refused).message.find("incomplete character"), std::string::npos);

    // Whole double-byte characters, even one whose trail byte is a backslash, split back as written.
    const std::string folder = "C:\\\x83\\\x95\\Book";
    ASSERT_TRUE(std::holds_alternative<UninstallEntry>(BuildUninstallEntry(SourceWithFolder(folder))));
    const std::string written = ComposeUninstallString("C:\\WINDOWS\\TOVRADE.EXE", folder, "Book");
    const auto split = SplitUninstallCommandLine(ArgumentsAfterProgramName(written));
    ASSERT_TRUE(split.has_value());
    EXPECT_EQ(split->installFolder, folder);
    EXPECT_EQ(split->productName, "Book");
}
