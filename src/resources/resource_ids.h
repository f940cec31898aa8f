// Resource ids shared by the resource script and the code.
#pragma once

// String table: names and texts loaded at start-up.
#define IDS_CLASS_NAME            1
#define IDS_DIRECTORY_PROMPT      2
#define IDS_SIZE_FORMAT           3
#define IDS_DEFAULT_EDITOR        4
#define IDS_INSTALL_DONE          5
#define IDS_INSTALL_PARTIAL       6
#define IDS_INSTALL_ABANDONED     7
#define IDS_FILES_SECTION        16
#define IDS_GROUP_SECTION        17
#define IDS_INSTALL_SECTION      18
#define IDS_REGISTRATION_SECTION 19
#define IDS_APPLICATION_KEY      20
#define IDS_BITMAP_KEY           21
#define IDS_CAPTION_KEY          22
#define IDS_DIRECTORY_KEY        23
#define IDS_SUFFIXES_KEY         24
#define IDS_PUBLISHER_KEY        25
#define IDS_VERSION_KEY          26
#define IDS_CHECKSUMS_SECTION    27

// String table: failure messages, each with at most one "%s". The table is stored in blocks of
// sixteen ids, each with a cost of its own: new texts fill the free ids of the blocks in use
// (2032 to 2063) before they open another.
#define IDS_CANNOT_OPEN        2044
#define IDS_CANNOT_READ        2045
#define IDS_CANNOT_CREATE      2050
#define IDS_CANNOT_WRITE       2051
#define IDS_CANNOT_ALLOCATE    2052
#define IDS_CANNOT_LOCK        2053
#define IDS_CANNOT_MAKE_BITMAP 2054
#define IDS_NO_SECTION         2055
#define IDS_NO_APPLICATION     2056
#define IDS_ANOTHER_RUN        2060
#define IDS_REFUSED_TARGET     2061
#define IDS_NEAR_INSTALLATION  2062
#define IDS_TARGET_TOO_LONG    2063
#define IDS_NO_EDITOR          2057
#define IDS_DAMAGED_MEDIUM     2034
#define IDS_PROGRAM_SUFFIXES   2035
#define IDS_FOLDER_NOT_EMPTY   2036
#define IDS_UNDO_LEFT          2037

// String table: the command line.
#define IDS_UNKNOWN_SWITCH     2058
#define IDS_INCOMPLETE_TARGET  2059
#define IDS_SWITCH_LIST        2046
#define IDS_OLDER_VERSION      2032
#define IDS_RESTART_NEEDED     2033

// DIRECTORY dialog.
#define IDC_DIRECTORY_PROMPT 256
#define IDC_DIRECTORY_EDIT   257
#define IDC_DIRECTORY_SIZE   258
#define IDC_DIRECTORY_INSTALL 259
#define IDC_DIRECTORY_CANCEL 260

// COPY dialog, and the commands the copy engine sends it.
#define IDC_COPY_LABEL        256
#define IDC_COPY_OVERALL_BAR  257
#define IDC_COPY_FILE_BAR     258
#define IDC_COPY_OVERALL_TEXT 259
#define IDC_COPY_FILE_TEXT    260
#define IDC_COPY_CANCEL       261
#define CMD_COPY_NEW_ENTRY    256
#define CMD_COPY_PROGRESS     260

// REGISTRATION dialog (its buttons are IDYES and IDNO).
#define IDC_REGISTRATION_EDIT 257
