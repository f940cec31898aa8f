// The [Registration] section: the suffixes offered for binding to txtfile.
#include "checker.h"

#include <string.h>
#include <string>

#include "system/suffix_walk.h"
#include "text/bounded_text.h"

namespace infcheck {

void CheckRegistration(Check* check)
{
    int cursor = 0;
    if (OpenSection(check, kRegistrationSection, "the file types dialog is not offered",
                    &cursor) != 0)
        return;
    char suffixList[kTextCapacity] = {};
    int suffixLine = 0;
    Entry entry;
    while (NextEntry(*check, &cursor, &entry) == 0)
        TakeNamedKeys(check, entry, kRegistrationSection, kRegistrationKeys,
                      kRegistrationKeyCount, &suffixList, &suffixLine);
    if (suffixLine == 0) {
        Say(check, 0, "note: [Registration] has no Suffixes line: the file types dialog "
                      "starts with an empty list");
        return;
    }
    check->settingCount++;
    const char* walk = suffixList;
    char key[kWorkCapacity];
    while (NextSuffixKey(&walk, key, kWorkCapacity) > 0) {
        check->suffixCount++;
        Detail(check, "suffix " + Shown(key) + " -> txtfile");
        if (key[1] == '.')
            Warn(check, suffixLine, "suffix-dot",
                 "the suffix " + Quoted(key + 1) + " is written with its dot; the installer adds "
                 "one more and binds the key " + Quoted(key));
        else if (IsProgramSuffix(key))
            Warn(check, suffixLine, "suffix-program",
                 "the suffix " + Quoted(key + 1) + " is that of files that run; the installer "
                 "never binds it and names it in a box");
        else if (strpbrk(key, ",;") != nullptr)
            Warn(check, suffixLine, "suffix-separator",
                 "the suffix " + Quoted(key + 1) + " holds ',' or ';'; only blanks and tabs "
                 "separate suffixes");
    }
}

}  // namespace infcheck
