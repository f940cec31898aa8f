// The installation's places outside its folder: its shortcuts, its App Paths entry and the text-file commands that point at it.
#pragma once

// Removes the shortcuts that the trusted script's Group section names from the group folder,
// the desktop copy of the first one, and the group folder when it is empty then.
void RemoveShortcuts(void);

// Without a trusted script the shortcuts are not known: lists the group folder when it is
// there, and removes nothing.
void ListUnknownShortcuts(void);

// Removes App Paths\Quillor.exe when it points into the target folder.
void RemoveAppPath(void);

// Puts the txtfile open and print commands that point into the target folder back to the
// system's defaults; the suffix keys bound to txtfile stay.
void RestoreTextCommands(void);
