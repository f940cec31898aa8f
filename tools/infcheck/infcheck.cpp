// Checks one setup script: each part in the order the installer reads the script, then the summary.
#include "infcheck.h"

#include "checker.h"

using namespace infcheck;

int CheckScript(const std::string& bytes, const char* scriptName, const char* mediumDir,
                std::string* output)
{
    Check check = {};
    check.text = bytes.c_str();
    check.scriptName = scriptName;
    check.mediumDir = mediumDir;
    check.output = output;

    SplitLines(&check);
    CheckEncoding(&check, bytes);
    CheckCarriageReturns(&check);
    CheckHeaders(&check);
    CheckInstall(&check);
    CheckFiles(&check);
    CheckGroup(&check);
    CheckRegistration(&check);
    CheckChecksums(&check);

    Say(&check, 0, Summary(check));
    if (check.errors > 0)
        return kCheckUnusable;
    return check.warnings > 0 ? kCheckWarnings : kCheckClean;
}
