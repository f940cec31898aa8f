// Resource ids of the Quillor editor, shared by its resource script and its code.
#pragma once

#define IDI_QUILLOR   1
#define IDM_QUILLOR   1
#define IDA_QUILLOR   1

#define IDM_FILE_OPEN 101
#define IDM_FILE_SAVE 102
#define IDM_FILE_EXIT 103
