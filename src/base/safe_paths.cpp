// Files and folders checked by their open handle against links, and the access list of the
// installation's folders.
#include "base/safe_paths.h"

#include <aclapi.h>
#include <sddl.h>

#include "base/capacities.h"
#include "text/bounded_text.h"

// Owner administrators; administrators and the system full control, users read and execute
// (0x1200A9), inherited by every file and folder below; the parent's entries are not.
static const char kProtectedFolder[] =
    "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";

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

int ReadFinalPath(HANDLE handle, char* final)
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

int CheckOpenedPath(HANDLE handle, const char* path, int isFile, int wholePath)
{
    // The path in full: ".", ".." and doubled separators resolved, as the system reads them.
    char full[kFinalCapacity];
    char wanted[kFinalCapacity];
    char* name = 0;
    DWORD length = GetFullPathNameA(path, kPathCapacity, full, &name);
    if (length == 0 || length >= kPathCapacity)
        return -1;
    if (wholePath)
        return IsPlainObject(handle, isFile, full, kFinalPrefix) ? 0 : -1;
    if (name == 0)
        return -1;
    // Only the last step must be no link: the folder is taken where the system finds it.
    char first = *name;
    *name = '\0';
    HANDLE parent = CreateFileA(full, FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, 0);
    *name = first;
    if (parent == INVALID_HANDLE_VALUE)
        return -1;
    char folder[kFinalCapacity];
    int found = ReadFinalPath(parent, folder);
    CloseHandle(parent);
    if (found == 0 || JoinPath(wanted, kFinalCapacity, folder, name) < 0)
        return -1;
    return IsPlainObject(handle, isFile, wanted, 0) ? 0 : -1;
}

HANDLE CreateCheckedFile(const char* path, DWORD access, PathCheck check, DWORD share)
{
    HANDLE file = CreateFileA(path, access | GENERIC_WRITE | DELETE, share, 0, CREATE_NEW,
                              FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT, 0);
    if (file != INVALID_HANDLE_VALUE && check != kNoCheck &&
        CheckOpenedPath(file, path, 1, check) != 0) {
        // Made through a link somewhere else: that file is this call's own, and goes again.
        DeleteOpenedFile(file);
        CloseHandle(file);
        SetLastError(ERROR_ACCESS_DENIED);
        file = INVALID_HANDLE_VALUE;
    }
    return file;
}

// The descriptor of kProtectedFolder, made once and kept for the rest of the process.
static PSECURITY_DESCRIPTOR folderDescriptor;

// folderDescriptor, made on the first call; 0 when it cannot be made.
static PSECURITY_DESCRIPTOR ProtectedDescriptor(void)
{
    if (folderDescriptor == 0)
        ConvertStringSecurityDescriptorToSecurityDescriptorA(kProtectedFolder, SDDL_REVISION_1,
                                                             &folderDescriptor, 0);
    return folderDescriptor;
}

int ProtectOpenedObject(HANDLE handle)
{
    PSECURITY_DESCRIPTOR descriptor = ProtectedDescriptor();
    return descriptor != 0 &&
                   SetKernelObjectSecurity(handle,
                                           OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                               PROTECTED_DACL_SECURITY_INFORMATION,
                                           descriptor)
               ? 0
               : -1;
}

// The service account that owns the system's own folders on Windows.
static const char kInstallerServiceSid[] =
    "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// Whether sid stands for an administrator: the group, the system, the installer service, or
// the account this process runs as.
static int IsAdministratorSid(PSID sid)
{
    if (IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid))
        return 1;
    int found = 0;
    PSID service = 0;
    if (ConvertStringSidToSidA(kInstallerServiceSid, &service)) {
        found = EqualSid(sid, service);
        LocalFree(service);
    }
    HANDLE token = 0;
    if (!found && OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        union {
            TOKEN_USER user;
            char bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
        } own;
        DWORD size = 0;
        found = GetTokenInformation(token, TokenUser, &own, sizeof own, &size) &&
                EqualSid(sid, own.user.User.Sid);
        CloseHandle(token);
    }
    return found;
}

int IsAdministratorsOnly(HANDLE handle)
{
    // What lets an account put a name into a folder, or give itself that right.
    const DWORD kChanging = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_APPEND_DATA | WRITE_DAC |
                            WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
    PSID owner = 0;
    PACL list = 0;
    PSECURITY_DESCRIPTOR descriptor = 0;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, 0, &list,
                        0, &descriptor) != ERROR_SUCCESS)
        return -1;
    int trusted = owner != 0 && list != 0 && IsAdministratorSid(owner);
    for (DWORD index = 0; trusted && index < list->AceCount; index++) {
        ACCESS_ALLOWED_ACE* entry = 0;
        if (!GetAce(list, index, reinterpret_cast<void**>(&entry))) {
            trusted = 0;
            break;
        }
        // Denials take rights away, and an entry only for what is made inside later applies
        // to nothing here; any other kind that allows a change must be the plain kind.
        if (entry->Header.AceType == ACCESS_DENIED_ACE_TYPE ||
            (entry->Header.AceFlags & INHERIT_ONLY_ACE) || !(entry->Mask & kChanging))
            continue;
        trusted = entry->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
                  IsAdministratorSid(reinterpret_cast<PSID>(&entry->SidStart));
    }
    LocalFree(descriptor);
    return trusted ? 0 : -1;
}

BOOL CreateProtectedFolder(const char* path)
{
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, ProtectedDescriptor(), FALSE};
    // Without the descriptor no folder is made: it would inherit what the parent allows.
    return attributes.lpSecurityDescriptor != 0 && CreateDirectoryA(path, &attributes);
}

int DeleteOpenedFile(HANDLE file)
{
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                      sizeof disposition) ? 0 : -1;
}
