#pragma once
// Resource identifiers of setup.exe. The numbers are fixed: dialogs, tests and the scenario driver
// recognise the windows by them.

// Dialog templates
#define IDD_WELCOME 101
#define IDD_BACKDROP 102
#define IDD_REPLACE 103
#define IDD_FINISHED 104
#define IDD_NOROOM 106
#define IDD_EXITCONFIRM 108
#define IDD_SETUPFAILED 111
#define IDD_PROGRESS 112
#define IDD_BROWSE 113
#define IDD_UPDATING 115
#define IDD_OPTIONS 116

// Icons and bitmaps
#define IDI_APP 128
#define IDI_REPLACE 112
#define IDB_FOLDERTREE 114
#define IDB_CHECKS_CLASSIC 30995
#define IDB_CHECKS_FLAT 30996

// Controls (several dialogs share a number; each name says where it is used)
#define IDC_MESSAGE 1000            // main static text of welcome, finished, failed, exit, no-room, progress, replace
#define IDC_DRIVES_LABEL 1000       // options: "Drives:"
#define IDC_CURDIR_LABEL 1000       // browse: "Current directory:"
#define IDC_DRIVE_LIST 1001         // options: drive combo box
#define IDC_YESTOALL 1001           // replace: Yes To All
#define IDC_DESCRIPTION_FRAME 1002  // options: group box beside the section list
#define IDC_DESCRIPTION 1003        // options: description of the selected section
#define IDC_SPACE_REQUIRED 1004     // options
#define IDC_SPACE_AVAILABLE 1005    // options
#define IDC_CHANGE_FOLDER 1006      // options: Change Folder...
#define IDC_REPLACE_NO 1006         // replace: No
#define IDC_SOURCE_NAME 1007        // progress: file on the CD
#define IDC_DEST_FOLDER 1007        // options: destination folder of the selected section
#define IDC_TO_TEXT 1008            // progress: "to"
#define IDC_REPLACE_QUESTION 1008   // replace: "Would you like to replace the existing file"
#define IDC_CURDIR 1008             // browse: current directory, shortened
#define IDC_DEST_NAME 1009          // progress: destination path
#define IDC_NEWDIR_LABEL 1010       // browse: "New Directory:"
#define IDC_FIRST_SIZE 1010         // replace: size of the file on the CD
#define IDC_FIRST_DATE 1011         // replace
#define IDC_WITH_THIS 1012          // replace: "with this one?"
#define IDC_SECOND_SIZE 1013        // replace: size of the existing file
#define IDC_SECOND_DATE 1014        // replace
#define IDC_NEWDIR 1015             // browse: new folder name
#define IDC_FOLDER_TREE 1016        // browse: drives and folders
#define IDC_UPDATING_TEXT 1017      // updating files
#define IDC_COPY_BAR 1018           // progress: bytes copied of the section's total
#define IDC_FILE_COUNT 1019         // progress: "File n of m"
#define IDC_INSTRUCTION 1031        // options
#define IDC_OPTIONS_LABEL 1032      // options
#define IDC_DESCRIPTION_LABEL 1033  // options
#define IDC_FOLDER_FRAME 1034       // options
#define IDC_SECTION_LIST 4000       // options: section check list, created at run time
