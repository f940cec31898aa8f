// The check of the medium's source files against the script's [Checksums] section: sizes in
// the size pass, SHA-256 digests from the chunks the copy reads, and the /VERIFY run.
#pragma once

#include <windows.h>

// Start-up, after the script is loaded: keeps where the section's entries start in
// setupState.checksumsCursor (0: the script has none, and nothing is checked).
void FindChecksums(void);

// The size pass, for the source just opened (file, of size bytes) at modulePath, named
// sourceName in the Files section: with the section, a source that has no valid entry or
// another size is noted as damaged; under /VERIFY its digest is compared too (the file is
// read to its end). The script itself is never listed, and passes.
void CheckSourceSize(HANDLE file, const char* sourceName, long long size);

// Notes the source at path as damaged: logged, counted, and the first one kept for the box.
void NoteDamaged(const char* path);

// After the size pass: the exit status when the run ends here (a damaged medium: its box and
// 1620; /VERIFY: 0 for a whole medium, 1620 after message 2055 without the section), or -1 to
// go on with the installation.
int EndMediumCheck(void);

// The copy, for the source just opened at modulePath: starts the digest that its chunks are
// added to, when it is checked. Returns 0, or -1 when the provider fails or it has no entry.
int StartSourceHash(const char* sourceName);

// Adds a chunk of the source being copied to its digest, when it is checked. Returns 0, or
// -1 when the provider fails.
int HashChunk(const char* data, int count);

// At the source's end: 0 when it has its entry's digest or is not checked, -1 when it differs
// (then noted as damaged), -2 when the provider failed. The digest's handles are released.
int EndSourceHash(void);
