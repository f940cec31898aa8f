// The [Install] keys: the bitmap, the application name, the caption and the proposed directory.
#include "checker.h"

#include <string>

#include "text/bounded_text.h"

namespace infcheck {

void CheckInstall(Check* check)
{
    int cursor = 0;
    if (OpenSection(check, kInstallSection, nullptr, &cursor) != 0)
        return;
    char settings[kInstallKeyCount][kTextCapacity] = {};
    int settingLines[kInstallKeyCount] = {};
    Entry entry;
    while (NextEntry(*check, &cursor, &entry) == 0)
        TakeNamedKeys(check, entry, kInstallSection, kInstallKeys, kInstallKeyCount, settings,
                      settingLines);

    for (int k = 0; k < kInstallKeyCount; k++) {
        if (settingLines[k] > 0)
            check->settingCount++;
    }
    CopyBounded(check->applicationName, kTextCapacity, settings[1], TextLength(settings[1]));
    if (settingLines[0] == 0 || settings[0][0] == '\0') {
        Say(check, 0, "note: no Bitmap: the main window shows no background picture");
    } else if (check->mediumDir != nullptr) {
        long long size = 0;
        if (FindMediumFile(check->mediumDir, settings[0], &size) != 0)
            Warn(check, settingLines[0], "source-missing",
                 "the bitmap " + Quoted(settings[0]) + " is not on the medium (" +
                     check->mediumDir + "): the main window shows no background picture");
    }
    // Without a name the installer would write into the program files folder itself and onto
    // the shared uninstall key, so it refuses such a script.
    if (settings[1][0] == '\0')
        Fail(check, "key-missing",
             "[Install] sets no Application, or an empty one: SETUP.EXE shows \"Key Application "
             "is missing or empty in section [Install] !\" and ends before any window");
    if (settingLines[2] == 0)
        Warn(check, 0, "key-missing",
             "[Install] sets no Caption: the main window, the dialogs and the question and "
             "report boxes have empty titles");
    if (settingLines[3] == 0)
        Say(check, 0, "note: no Directory: on a machine without a program files folder in the "
                      "registry the target directory field starts empty");
}

}  // namespace infcheck
