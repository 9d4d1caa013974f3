#include <gtest/gtest.h>

#include "framework/InstallRecord.h"
#include "uninstaller/RecordCheck.h"

TEST(InstallRecord, WritesRelativePathsInsideTheFolderAndReadsThemBack)
{
    InstallRecord record;
    record.Add(RecordKind::Folder, "C:\\Widgets");
    record.Add(RecordKind::Folder, "C:\\Widgets\\Samples");
    record.Add(RecordKind::File, "C:\\Widgets\\Samples\\Chapter 1\\EXAMPLE1.TXT");
    record.Add(RecordKind::File, "c:\\widgets\\samples\\chapter 1\\example1.txt");  // the same file
    record.Add(RecordKind::SharedFile, "C:\\WINDOWS\\system32\\WIDGETS.TXT");
    record.Add(RecordKind::CreatedSharedFile, "C:\\WINDOWS\\system32\\WIDGETS.TXT");  // created wins
    record.Add(RecordKind::File, "C:\\Widgets\\SamplesOld\\A.TXT");                   // a neighbour, not inside
    const std::string stored = WriteInstallRecord(record, "C:\\Widgets\\Samples");
    EXPECT_EQ(stored,
              StoredRecordForm({kRecordFormatName, "folder C:\\Widgets", "folder C:\\Widgets\\Samples",
                                "file Chapter 1\\EXAMPLE1.TXT", "shared-created C:\\WINDOWS\\system32\\WIDGETS.TXT",
                                "file C:\\Widgets\\SamplesOld\\A.TXT"}));
    const std::optional<InstallRecord> read = ReadInstallRecord(stored, "C:\\Widgets\\Samples");
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->Has(RecordKind::File, "C:\\Widgets\\Samples\\Chapter 1\\EXAMPLE1.TXT"));
    EXPECT_TRUE(read->Has(RecordKind::CreatedSharedFile, "C:\\WINDOWS\\system32\\widgets.txt"));
    EXPECT_TRUE(read->Names("C:\\Widgets"));
    EXPECT_FALSE(read->Names("C:\\Widgets\\Samples\\Chapter 1"));
    EXPECT_EQ(read->Size(), 5u);
    // The list ends at an empty string, as a multi-string value does; what follows is not read.
    const std::optional<InstallRecord> ended =
        ReadInstallRecord(stored + std::string(1, '\0') + "file \\WINDOWS\\win.ini", "C:\\Widgets\\Samples");
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->Size(), 5u);

    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{},
                                               {"setup install record 2", "file A.TXT"},
                                               {kRecordFormatName, "files A.TXT"},
                                               {kRecordFormatName, "file "},
                                               {kRecordFormatName, "file \\WINDOWS\\win.ini"},
                                               {kRecordFormatName, "file A\tB.TXT"}}) {
        EXPECT_FALSE(ReadInstallRecord(StoredRecordForm(bad), "C:\\Book")) << (bad.size() > 1 ? bad[1] : "");
    }
}

TEST(InstallRecord, TheUninstallerFollowsOnlyPathsItWouldRemoveAnyway)
{
    const std::vector<std::string> guarded{"C:\\WINDOWS", "C:\\WINDOWS\\system32", "C:\\Users\\me",
                                           "C:\\Users\\me\\Desktop"};
    const std::vector<std::string> windows{"C:\\WINDOWS"};
    struct Case {
        RecordKind kind;
        const char* path;
        bool followed;
    } cases[] = {
        {RecordKind::File, "C:\\Book\\README.TXT", true},
        {RecordKind::File, "C:\\Users\\me\\Desktop\\Book.lnk", true},
        {RecordKind::CreatedSharedFile, "C:\\WINDOWS\\system32\\WIDGETS.TXT", true},
        {RecordKind::Folder, "C:\\Users\\me\\Start Menu\\Book", true},
        {RecordKind::File, "C:\\WINDOWS\\win.ini", false},
        {RecordKind::Folder, "C:\\WINDOWS\\Book", false},
        {RecordKind::Folder, "C:\\Users\\me\\Desktop", false},
        {RecordKind::Folder, "C:\\Users", false},  // holds a protected folder
        {RecordKind::SharedFile, "C:\\", false},
        {RecordKind::File, "C:\\Book\\..\\WINDOWS\\notepad.exe", false},
        {RecordKind::File, "C:\\Book\\README.TXT ", false},
        {RecordKind::File, "\\\\?\\C:\\WINDOWS\\win.ini", false},
    };
    for (const Case& c : cases) {
        InstallRecord record;
        record.Add(c.kind, c.path);
        EXPECT_EQ(!RefusedRecordPath(record, guarded, windows), c.followed) << c.path;
    }
}

TEST(InstallRecord, WhatThisRunMadeIsToldApartFromWhatItReplacedOrMet)
{
    InstallRecord record;
    record.Add(RecordKind::Folder, "C:\\Book", true);
    record.Add(RecordKind::File, "C:\\Book\\NEW.TXT", true);
    record.Add(RecordKind::File, "C:\\Book\\REPLACED.TXT");
    record.Add(RecordKind::SharedFile, "C:\\WINDOWS\\SHARED.DLL");
    record.Add(RecordKind::CreatedSharedFile, "C:\\WINDOWS\\SHARED.DLL", true);  // a later write made it
    record.Add(RecordKind::File, "C:\\Book\\LATER.TXT");
    record.Add(RecordKind::File, "c:\\book\\later.txt", true);  // met again, made now: made by this run
    // Many items, so that lookups go through a well filled table.
    for (int i = 0; i < 2000; ++i)
        record.Add(RecordKind::File, "C:\\Book\\Many\\F" + std::to_string(i) + ".TXT", i % 2 == 0);
    struct Case {
        const char* path;
        bool named;
        bool createdNow;
    };
    for (const Case& c : {Case{"c:\\BOOK", true, true}, Case{"C:\\Book\\new.txt", true, true},
                          Case{"C:\\Book\\REPLACED.TXT", true, false}, Case{"C:\\windows\\shared.dll", true, true},
                          Case{"C:\\Book\\LATER.TXT", true, true}, Case{"C:\\Book\\Many\\F1998.TXT", true, true},
                          Case{"C:\\Book\\Many\\F1999.TXT", true, false},
                          Case{"C:\\Book\\Many\\F2000.TXT", false, false}, Case{"C:\\Book\\NEW.TX", false, false}}) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(record.Names(c.path), c.named);
        EXPECT_EQ(record.CreatedNow(c.path), c.createdNow);
    }
    EXPECT_EQ(record.Size(), 2005u);
    EXPECT_EQ(record.Item(3).kind, RecordKind::CreatedSharedFile);
    EXPECT_EQ(record.Item(2004).path, "C:\\Book\\Many\\F1999.TXT");
    // The stored form does not carry it: a record read back made nothing in this run.
    InstallRecord merged;
    merged.Merge(record);
    EXPECT_TRUE(merged.Names("C:\\Book\\NEW.TXT"));
    EXPECT_FALSE(merged.CreatedNow("C:\\Book\\NEW.TXT"));
}
