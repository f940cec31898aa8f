// Files and folders checked by their open handle against links, and the access list of the
// installation's folders.
#include "base/safe_paths.h"

#include <sddl.h>

#include "base/capacities.h"
#include "text/bounded_text.h"

// Owner administrators; administrators and the system full control, users read and execute
// (0x1200A9), inherited by every file and folder below; the parent's entries are not.
static const char kProtectedFolder[] =
    "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";

// The final path carries a "\\?\" prefix before the drive.
enum { kFinalPrefix = 4, kFinalCapacity = kPathCapacity + kFinalPrefix };

// Whether both texts are equal in the platform's upper case (names differ in case only),
// byte by byte: the locale's comparison passes over some characters (hyphens).
static int SameName(char* found, char* wanted)
{
    CharUpperA(found);
    CharUpperA(wanted);
    int at = 0;
    while (found[at] == wanted[at] && wanted[at] != '\0')
        at++;
    return found[at] == wanted[at];
}

// Writes into final (kFinalCapacity bytes) the path by which the system knows the open object,
// links resolved, with its "\\?\" prefix. Returns its length, or 0.
static int ReadFinalPath(HANDLE handle, char* final)
{
    DWORD length = GetFinalPathNameByHandleA(handle, final, kFinalCapacity, 0);
    return length > kFinalPrefix && length < kFinalCapacity ? (int)length : 0;
}

// Whether the open object is a plain file with one name (isFile) or a plain folder, and is known
// to the system as wanted (a final path with its prefix, or without it from `from` on).
static int IsPlainObject(HANDLE handle, int isFile, char* wanted, int from)
{
    // The two small queries: the one that fills every field costs Wine a volume lookup.
    FILE_ATTRIBUTE_TAG_INFO kind;
    FILE_STANDARD_INFO facts;
    char final[kFinalCapacity];
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &kind, sizeof kind) ||
        !GetFileInformationByHandleEx(handle, FileStandardInfo, &facts, sizeof facts) ||
        ReadFinalPath(handle, final) == 0)
        return 0;
    DWORD shape = kind.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
    if (shape != (isFile ? 0u : (DWORD)FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    if (isFile && facts.NumberOfLinks != 1)
        return 0;
    return SameName(final + from, wanted);
}

int CheckOpenedPath(HANDLE handle, const char* path, int isFile)
{
    // The path in full: ".", ".." and doubled separators resolved, as the system reads them.
    char wanted[kFinalCapacity];
    DWORD length = GetFullPathNameA(path, kPathCapacity, wanted, 0);
    if (length == 0 || length >= kPathCapacity)
        return -1;
    return IsPlainObject(handle, isFile, wanted, kFinalPrefix) ? 0 : -1;
}

int CheckOpenedEntry(HANDLE handle, const char* path, int isFile)
{
    char wanted[kFinalCapacity];
    const char* name = path;
    for (const char* at = path; *at != '\0'; at++) {
        if (*at == '\\')
            name = at + 1;
    }
    int parentLength = (int)(name - path);
    if (parentLength == 0 || parentLength >= kPathCapacity)
        return -1;
    lstrcpynA(wanted, path, parentLength + 1);
    HANDLE parent = CreateFileA(wanted, FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, 0);
    if (parent == INVALID_HANDLE_VALUE)
        return -1;
    int length = ReadFinalPath(parent, wanted);
    CloseHandle(parent);
    if (length == 0 || length + 1 + TextLength(name) >= kFinalCapacity)
        return -1;
    // A root's final path ends in its separator already.
    if (wanted[length - 1] != '\\')
        wanted[length++] = '\\';
    lstrcpyA(wanted + length, name);
    return IsPlainObject(handle, isFile, wanted, 0) ? 0 : -1;
}

HANDLE OpenFileForWriting(const char* path, DWORD access, DWORD flags, int* created)
{
    access |= GENERIC_WRITE | DELETE;
    HANDLE file = CreateFileA(path, access, 0, 0, CREATE_NEW, flags, 0);
    *created = file != INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS)
        file = CreateFileA(path, access, 0, 0, OPEN_EXISTING, flags, 0);
    return file;
}

HANDLE OpenCheckedFile(const char* path, DWORD access, int* created, int wholePath)
{
    HANDLE file = OpenFileForWriting(path, access,
                                     FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT,
                                     created);
    if (file != INVALID_HANDLE_VALUE &&
        (wholePath ? CheckOpenedPath(file, path, 1) : CheckOpenedEntry(file, path, 1)) != 0) {
        // Made through a link somewhere else: that file is this call's own, and goes again.
        if (*created)
            DeleteOpenedFile(file);
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
    return file;
}

// The descriptor of kProtectedFolder, to be released with LocalFree; 0 when it cannot be made.
static PSECURITY_DESCRIPTOR MakeProtectedDescriptor(void)
{
    PSECURITY_DESCRIPTOR descriptor = 0;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kProtectedFolder, SDDL_REVISION_1,
                                                              &descriptor, 0))
        return 0;
    return descriptor;
}

int ProtectOpenedObject(HANDLE handle)
{
    PSECURITY_DESCRIPTOR descriptor = MakeProtectedDescriptor();
    if (descriptor == 0)
        return -1;
    BOOL done = SetKernelObjectSecurity(handle,
                                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                            PROTECTED_DACL_SECURITY_INFORMATION,
                                        descriptor);
    LocalFree(descriptor);
    return done ? 0 : -1;
}

BOOL CreateProtectedFolder(const char* path)
{
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, MakeProtectedDescriptor(), FALSE};
    // Without the descriptor no folder is made: it would inherit what the parent allows.
    if (attributes.lpSecurityDescriptor == 0)
        return FALSE;
    BOOL done = CreateDirectoryA(path, &attributes);
    DWORD error = GetLastError();
    LocalFree(attributes.lpSecurityDescriptor);
    SetLastError(error);
    return done;
}

int DeleteOpenedFile(HANDLE file)
{
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                      sizeof disposition) ? 0 : -1;
}
