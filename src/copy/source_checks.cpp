// The check of the medium's source files against the script's [Checksums] section: sizes in
// the size pass, SHA-256 digests from the chunks the copy reads, and the /VERIFY run.
#include "copy/source_checks.h"

#include "base/exit_statuses.h"
#include "base/run_log.h"
#include "base/script_hash.h"
#include "base/setup_messages.h"
#include "base/setup_state.h"
#include "resources/resource_ids.h"
#include "script/checksum_entry.h"
#include "script/script_scan.h"
#include "text/bounded_text.h"

void FindChecksums(void)
{
    int cursor = 0;
    setupState.checksumsCursor = 0;
    if (ScanForSection(setupState.scriptText, setupState.checksumsSection, &cursor) == 0)
        setupState.checksumsCursor = cursor;
}

// The entry of the source at modulePath: 1 with *checksum filled, 0 when it is not checked
// (no section, or the script itself), -1 when it has no valid entry.
static int FindSourceChecksum(const char* sourceName, SourceChecksum* checksum)
{
    if (setupState.checksumsCursor == 0 ||
        lstrcmpiA(setupState.modulePath, setupState.scriptPath) == 0)
        return 0;
    int found = FindChecksum(setupState.scriptText, setupState.checksumsCursor, sourceName,
                             TextLength(sourceName), checksum, &setupState.checksumsNext);
    return found == 1 ? 1 : -1;
}

void NoteDamaged(const char* path)
{
    LogLine("Damaged on the medium: %s", path);
    if (setupState.damagedCount++ == 0)
        CopyText(setupState.damagedFile, kPathCapacity, path);
}

// Ends the digest in running and compares it with expected: 0 when they agree, -1 when they
// differ, or -2 when the provider failed before (ok zero) or now.
static int EndAndCompare(RunningHash* running, int ok, const unsigned char* expected)
{
    unsigned char digest[kSha256Length];
    if (EndHash(running, ok ? digest : 0) != 0)
        return -2;
    for (int i = 0; i < kSha256Length; i++) {
        if (digest[i] != expected[i])
            return -1;
    }
    return 0;
}

// Reads the rest of file through workBuffer into a digest: 0 when it is checksum's, else
// nonzero (a failed read counts as a difference: the copy could not read it either).
static int CompareWholeFile(HANDLE file, const SourceChecksum& checksum)
{
    RunningHash* running = &setupState.sourceHash;
    DWORD count = 0;
    int ok = StartHash(running) == 0;
    while (ok && ReadFile(file, setupState.workBuffer, kChunkSize, &count, 0) && count > 0)
        ok = AddToHash(running, setupState.workBuffer, (int)count) == 0;
    return EndAndCompare(running, ok && count == 0, checksum.digest);
}

void CheckSourceSize(HANDLE file, const char* sourceName, long long size)
{
    SourceChecksum checksum;
    int found = FindSourceChecksum(sourceName, &checksum);
    if (found == 0)
        return;
    if (found < 0 || checksum.size != size ||
        (setupState.verifyOnly && CompareWholeFile(file, checksum) != 0))
        NoteDamaged(setupState.modulePath);
}

int EndMediumCheck(void)
{
    SetupState& s = setupState;
    if (s.verifyOnly && s.checksumsCursor == 0) {
        ShowSetupMessage(s.className, NULL, IDS_NO_SECTION, s.checksumsSection, MB_ICONERROR);
        return kExitDamagedMedium;
    }
    if (s.damagedCount != 0) {
        ShowSetupMessage(s.className, NULL, IDS_DAMAGED_MEDIUM, s.damagedFile, MB_ICONERROR);
        return kExitDamagedMedium;
    }
    if (s.verifyOnly) {
        LogLine("The medium is whole");
        return kExitInstalled;
    }
    return -1;
}

int StartSourceHash(const char* sourceName)
{
    SourceChecksum checksum;
    int found = FindSourceChecksum(sourceName, &checksum);
    if (found <= 0)
        return found;
    for (int i = 0; i < kSha256Length; i++)
        setupState.expectedDigest[i] = checksum.digest[i];
    return StartHash(&setupState.sourceHash);
}

int HashChunk(const char* data, int count)
{
    if (setupState.sourceHash.hash == 0)
        return 0;
    return AddToHash(&setupState.sourceHash, data, count);
}

int EndSourceHash(void)
{
    if (setupState.sourceHash.hash == 0)
        return 0;
    int result = EndAndCompare(&setupState.sourceHash, 1, setupState.expectedDigest);
    if (result == -1)
        NoteDamaged(setupState.modulePath);
    return result;
}
