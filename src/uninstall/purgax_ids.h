// Resource ids of the uninstaller, shared by its resource script and its code.
#pragma once

// Names and captions.
#define IDS_UNINSTALL_CAPTION     1
#define IDS_CAPTION_FORMAT        2
#define IDS_FILES_SECTION        16
#define IDS_GROUP_SECTION        17

// Refusals: nothing is touched after them.
#define IDS_USAGE               100
#define IDS_REFUSED_FOLDER      101
#define IDS_LINKED_FOLDER       102
#define IDS_NO_ENTRY            103
#define IDS_ANOTHER_RUN         104
#define IDS_TRY_LATER           105
#define IDS_SHARED_FOLDER       106
#define IDS_UNDO_LEFT           107
#define IDS_NO_RUN_LOCK         108

// Questions.
#define IDS_CONFIRM             110
#define IDS_NO_SCRIPT_COPY      111

// The final report and the reasons of the items it lists.
#define IDS_REMOVED             120
#define IDS_REMOVED_EXCEPT      121
#define IDS_MORE_ITEMS          122
#define IDS_ENTRY_STAYS         123
#define IDS_FOLDER_STAYS        124
#define IDS_REASON_IN_USE       130
#define IDS_REASON_FAILED       131
#define IDS_REASON_LINK         132
#define IDS_REASON_OUTSIDE      133
#define IDS_REASON_KEPT         134
#define IDS_REASON_UNKNOWN      135
#define IDS_REASON_DEVICE       136
#define IDS_REASON_SHARED       137
#define IDS_REASON_OTHER        138
#define IDS_REASON_CUT          139
#define IDS_REASON_SPECIAL      140
#define IDS_REASON_NAMED_ELSEWHERE 141
