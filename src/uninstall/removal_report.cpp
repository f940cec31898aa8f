// The items the uninstaller could not remove, and the one report that ends every removal.
#include "uninstall/removal_report.h"

#include "base/message_boxes.h"
#include "base/run_log.h"
#include "text/bounded_text.h"
#include "uninstall/purgax_ids.h"
#include "uninstall/uninstall_state.h"

enum {
    kFormatCapacity = 256,
    // wsprintfA writes at most 1024 bytes, whatever its buffer.
    kFormattedCapacity = 1024,
};

static int AppendText(char* text, int length, const char* piece)
{
    return AppendBounded(text, kReportCapacity, length, piece, TextLength(piece));
}

// Appends string id formatted with a text and a number (each format uses what it names).
static int AppendFormatted(char* text, int length, UINT id, const char* argument, int number)
{
    char format[kFormatCapacity];
    char formatted[kFormattedCapacity];
    format[0] = '\0';
    LoadStringA(uninstallState.instance, id, format, kFormatCapacity);
    // Every argument is a name of at most 127 or a path of at most 259 characters.
    if (argument != nullptr)
        wsprintfA(formatted, format, argument, number);
    else
        wsprintfA(formatted, format, number);
    return AppendText(text, length, formatted);
}

void AddLeftItem(const char* path, UINT reason, int retry)
{
    UninstallState& u = uninstallState;
    u.itemCount++;
    if (retry)
        u.retryNeeded = 1;
    char reasonText[kTextCapacity];
    reasonText[0] = '\0';
    LoadStringA(u.instance, reason, reasonText, kTextCapacity);
    LogLine("Left: %s (%s)", path, reasonText);
    if (u.itemCount > kListedItems)
        return;
    u.listedLength = AppendText(u.listedItems, u.listedLength, "\n");
    u.listedLength = AppendText(u.listedItems, u.listedLength, path);
    u.listedLength = AppendText(u.listedItems, u.listedLength, " (");
    u.listedLength = AppendText(u.listedItems, u.listedLength, reasonText);
    u.listedLength = AppendText(u.listedItems, u.listedLength, ")");
}

int ShowFinalReport(void)
{
    UninstallState& u = uninstallState;
    static char text[kReportCapacity];
    int length = 0;
    text[0] = '\0';
    if (u.itemCount == 0) {
        length = AppendFormatted(text, length, IDS_REMOVED, u.applicationName, 0);
    } else {
        length = AppendFormatted(text, length, IDS_REMOVED_EXCEPT, u.applicationName,
                                 u.itemCount);
        length = AppendText(text, length, u.listedItems);
        if (u.itemCount > kListedItems) {
            length = AppendText(text, length, "\n");
            length = AppendFormatted(text, length, IDS_MORE_ITEMS, nullptr,
                                     u.itemCount - kListedItems);
        }
        if (u.retryNeeded) {
            length = AppendText(text, length, "\n\n");
            length = AppendFormatted(text, length, IDS_ENTRY_STAYS, nullptr, 0);
        }
    }
    // A folder that holds only what failed above is explained by the list already.
    if (u.folderStays && !u.retryNeeded) {
        length = AppendText(text, length, "\n\n");
        AppendFormatted(text, length, IDS_FOLDER_STAYS, u.target, 0);
    }
    UINT icon = u.itemCount == 0 ? MB_ICONINFORMATION : MB_ICONWARNING;
    AskOrAnswer(NULL, text, u.caption, MB_OK | icon | MB_SETFOREGROUND, IDOK);
    return u.itemCount == 0 ? kRemovedStatus : kPartlyRemovedStatus;
}

int ShowUninstallMessage(UINT id, const char* argument, UINT type, int silentAnswer)
{
    return ShowFormattedMessage(uninstallState.instance, uninstallState.caption, NULL, id,
                                argument, type | MB_SETFOREGROUND, silentAnswer);
}
