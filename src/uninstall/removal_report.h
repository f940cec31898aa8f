// The items the uninstaller could not remove, and the one report that ends every removal.
#pragma once

#include <windows.h>

#include "base/message_boxes.h"

// Counts an item left behind and names it in the report while there is room: path, then the
// string-table reason. retry marks an item that a later run may still remove (a file in use),
// for which the uninstall entry stays.
void AddLeftItem(const char* path, UINT reason, int retry);

// Shows the final report: removed completely, or removed except the items counted. Returns
// the exit status: kRemovedStatus only when nothing was left.
int ShowFinalReport(void);

// Shows string id formatted with one text argument, with the uninstaller's caption and no
// owner; returns the button pressed, or silentAnswer in a quiet run (see AskOrAnswer).
int ShowUninstallMessage(UINT id, const char* argument, UINT type,
                         int silentAnswer = kAnswerByType);
