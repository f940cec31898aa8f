// Registry values for the tests and the demo runner: read as stored, saved and put back, written for a test's set-up.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>

// One registry value as it is stored, read through this process's view (the 32-bit one, as the
// setup program sees it): whether its key and it are there, its type and its bytes.
struct StoredValue {
    bool keyExists;
    bool valueExists;
    DWORD type;
    std::string data;
};

// Reads a value (name nullptr or "": the key's default value) with every byte it holds.
StoredValue ReadStoredValue(HKEY root, const std::string& path, const char* name);

// Puts a value back as saved: written again, deleted when it was not there, and its key
// deleted when that was not there either.
void RestoreStoredValue(HKEY root, const std::string& path, const char* name,
                        const StoredValue& saved);

// A value as read back after the setup program wrote it. Wine's RegSetValueExA stores the
// terminating zero as well when the byte after the given data is zero, although the size given
// leaves it out, so the size the program passed shows only without that one zero.
StoredValue ReadWrittenValue(HKEY root, const std::string& path, const char* name);

// A string value as the setup program writes it: REG_SZ, the text's length as its size.
StoredValue StringWithoutTerminator(const std::string& text);

// Equal when both are missing in the same way, or both hold the same type and bytes.
bool operator==(const StoredValue& left, const StoredValue& right);
std::ostream& operator<<(std::ostream& out, const StoredValue& value);

// Reads a string value up to its first zero. 0, or -1 when it is not there.
int ReadRegistryText(HKEY root, const char* keyPath, const char* valueName, std::string* text);

// Writes a value of type with exactly the given bytes, creating its key. 0 or -1.
int WriteRegistryValue(HKEY root, const std::string& path, const char* name, DWORD type,
                       const std::string& bytes);

// Writes a REG_SZ value with its terminating zero, creating its key. 0 or -1.
int WriteRegistryText(HKEY root, const std::string& path, const char* name,
                      const std::string& text);

// Deletes a value. 0, or -1 when it could not be deleted (or was not there).
int DeleteRegistryValue(HKEY root, const std::string& path, const char* name);

// The folder where an installation puts its shortcuts, as its scope reads it: the machine's
// common Programs folder or desktop (allUsers), or the running user's own (Shell Folders
// "Programs" or "Desktop"); "" when the value is not there.
std::string ShortcutFolder(bool allUsers, bool desktop);

// The number of subkeys of a key, or -1 when the key is not there.
int SubkeyCount(HKEY root, const std::string& path);
