// Registry values for the tests and the demo runner: read as stored, saved and put back, written for a test's set-up.
#include "registry.h"

namespace {

// Larger than any value the setup program writes (a command of 260 bytes at most).
const DWORD kValueCapacity = 1024;

}  // namespace

StoredValue ReadStoredValue(HKEY root, const std::string& path, const char* name)
{
    StoredValue value = {false, false, 0, ""};
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return value;
    value.keyExists = true;
    std::string data(kValueCapacity, '\0');
    DWORD size = kValueCapacity;
    if (RegQueryValueExA(key, name, nullptr, &value.type, (BYTE*)&data[0], &size) ==
        ERROR_SUCCESS) {
        value.valueExists = true;
        value.data.assign(data.data(), size);
    }
    RegCloseKey(key);
    return value;
}

void RestoreStoredValue(HKEY root, const std::string& path, const char* name,
                        const StoredValue& saved)
{
    if (!saved.keyExists) {
        RegDeleteKeyA(root, path.c_str());
        return;
    }
    if (saved.valueExists) {
        WriteRegistryValue(root, path, name, saved.type, saved.data);
        return;
    }
    DeleteRegistryValue(root, path, name);
}

StoredValue ReadWrittenValue(HKEY root, const std::string& path, const char* name)
{
    StoredValue value = ReadStoredValue(root, path, name);
    size_t size = value.data.size();
    if (value.type == REG_SZ && size >= 2 && value.data[size - 1] == 0 &&
        value.data[size - 2] != 0) {
        value.data.resize(size - 1);
    }
    return value;
}

StoredValue StringWithoutTerminator(const std::string& text)
{
    StoredValue value = {true, true, REG_SZ, text};
    return value;
}

bool operator==(const StoredValue& left, const StoredValue& right)
{
    return left.keyExists == right.keyExists && left.valueExists == right.valueExists &&
           (!left.valueExists || (left.type == right.type && left.data == right.data));
}

std::ostream& operator<<(std::ostream& out, const StoredValue& value)
{
    if (!value.keyExists) return out << "(no key)";
    if (!value.valueExists) return out << "(no value)";
    std::string shown;
    for (char c : value.data) shown += c == 0 ? std::string("\\0") : std::string(1, c);
    return out << "type " << value.type << ", " << value.data.size() << " bytes \"" << shown
               << "\"";
}

int ReadRegistryText(HKEY root, const char* keyPath, const char* valueName, std::string* text)
{
    StoredValue value = ReadStoredValue(root, keyPath, valueName);
    *text = value.data.c_str();  // stops at the first zero, as a reader of the value would
    return value.valueExists ? 0 : -1;
}

int WriteRegistryValue(HKEY root, const std::string& path, const char* name, DWORD type,
                       const std::string& bytes)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return -1;
    }
    LONG status =
        RegSetValueExA(key, name, 0, type, (const BYTE*)bytes.data(), (DWORD)bytes.size());
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? 0 : -1;
}

int WriteRegistryText(HKEY root, const std::string& path, const char* name,
                      const std::string& text)
{
    return WriteRegistryValue(root, path, name, REG_SZ, std::string(text.c_str(), text.size() + 1));
}

int DeleteRegistryValue(HKEY root, const std::string& path, const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return -1;
    LONG status = RegDeleteValueA(key, name);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? 0 : -1;
}

int SubkeyCount(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
    DWORD count = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return (int)count;
}

std::string ShortcutFolder(bool allUsers, bool desktop)
{
    static const char* const names[2][2] = {{"Programs", "Desktop"},
                                            {"Common Programs", "Common Desktop"}};
    std::string folder;
    ReadRegistryText(allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                     "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                     names[allUsers][desktop], &folder);
    return folder;
}
