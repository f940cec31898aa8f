// Registry values by key path: walks the path through a chain of open keys, then closes it.
#include "base/key_paths.h"

#include "base/heap_blocks.h"
#include "base/run_log.h"
#include "base/run_record.h"

struct KeyChainNode {
    HKEY key;
    KeyChainNode* next;
};

// The keys of the walk under way, from the root key down; empty between two operations.
static struct {
    KeyChainNode* head;
    KeyChainNode* current;
    KeyChainNode* linking;
} keyChain;

static KeyChainNode* NewKeyChainNode(HKEY key)
{
    void* memory = AllocateBlock(sizeof(KeyChainNode));
    KeyChainNode* node = static_cast<KeyChainNode*>(memory);
    if (node != nullptr) {
        node->key = key;
        node->next = nullptr;
    }
    return node;
}

// Closes every key of the chain, the root key's node included, and frees the nodes.
static void CloseKeyChain(void)
{
    KeyChainNode* node = keyChain.head;
    while (node != nullptr) {
        KeyChainNode* next = node->next;
        if (node->key != nullptr)
            RegCloseKey(node->key);
        FreeBlock(node);
        node = next;
    }
    keyChain.head = nullptr;
    keyChain.current = nullptr;
    keyChain.linking = nullptr;
}

// Opens (or creates) the path one component at a time below root. On success *key is the key
// of the last component and the chain holds every key opened; on failure the chain is empty.
static LONG WalkKeyPath(HKEY root, const char* path, REGSAM access, int create, HKEY* key)
{
    char component[kKeyComponentLength + 1];
    keyChain.head = NewKeyChainNode(root);
    if (keyChain.head == nullptr)
        return -1;
    keyChain.current = keyChain.head;

    const char* at = path != nullptr ? path : "";
    while (*at != '\0') {
        int length = 0;
        while (*at != '\0' && *at != '\\') {
            if (length < kKeyComponentLength)
                component[length++] = *at;
            at++;
        }
        component[length] = '\0';
        if (*at == '\\')
            at++;

        keyChain.linking = NewKeyChainNode(nullptr);
        if (keyChain.linking == nullptr) {
            CloseKeyChain();
            return -1;
        }
        keyChain.current->next = keyChain.linking;

        HKEY parent = keyChain.current->key;
        HKEY opened = nullptr;
        LONG status;
        if (create) {
            DWORD disposition;
            char noClass[1] = "";
            status = RegCreateKeyExA(parent, component, 0, noClass, REG_OPTION_NON_VOLATILE,
                                     access, nullptr, &opened, &disposition);
        } else {
            status = RegOpenKeyExA(parent, component, 0, access, &opened);
        }
        if (status != ERROR_SUCCESS) {
            CloseKeyChain();
            return status;
        }
        keyChain.linking->key = opened;
        keyChain.current = keyChain.linking;
    }
    *key = keyChain.current->key;
    return 0;
}

static LONG OpenKeyPath(HKEY root, const char* path, REGSAM access, HKEY* key)
{
    return WalkKeyPath(root, path, access, 0, key);
}

static LONG CreateKeyPath(HKEY root, const char* path, REGSAM access, HKEY* key)
{
    return WalkKeyPath(root, path, access, 1, key);
}

// Data that leaves no room for a terminator and holds no zero byte of its own does not fit.
static LONG TerminateValue(char* data, DWORD size, DWORD capacity)
{
    if (size < capacity) {
        data[size] = '\0';
        return 0;
    }
    for (DWORD i = 0; i < size; i++) {
        if (data[i] == '\0')
            return 0;
    }
    return ERROR_MORE_DATA;
}

LONG ReadKeyPathValue(HKEY root, const char* path, const char* name, DWORD type,
                      char* buffer, DWORD capacity)
{
    if (capacity == 0)
        return ERROR_MORE_DATA;
    // The platform may write part of a value that does not fit, so the value is read aside
    // and the caller's buffer only changes on success.
    char* copy = static_cast<char*>(AllocateBlock(capacity));
    if (copy == nullptr)
        return -1;

    HKEY key = nullptr;
    DWORD size = capacity;
    LONG status = OpenKeyPath(root, path, KEY_QUERY_VALUE, &key);
    if (status == 0) {
        DWORD storedType = type;
        status = RegQueryValueExA(key, name, nullptr, &storedType,
                                  reinterpret_cast<BYTE*>(copy), &size);
        CloseKeyChain();
    }
    if (status == 0)
        status = TerminateValue(copy, size, capacity);
    if (status == 0) {
        DWORD count = size < capacity ? size + 1 : capacity;
        for (DWORD i = 0; i < count; i++)
            buffer[i] = copy[i];
    }
    FreeBlock(copy);
    return status;
}

LONG WriteKeyPathValue(HKEY root, const char* path, const char* name, DWORD type,
                       const void* data, DWORD size)
{
    HKEY key = nullptr;
    // What the value was is recorded first, so that a run undone puts it back.
    if (RecordRegistryValue(root, path, name, type, data, size) != 0)
        return -1;
    // Windows creates a missing subkey only below a key opened with KEY_CREATE_SUB_KEY, so
    // every component of the walk asks for it beside the right to set the value.
    LONG status = CreateKeyPath(root, path, KEY_SET_VALUE | KEY_CREATE_SUB_KEY, &key);
    if (status == 0) {
        status = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        CloseKeyChain();
    }
    LogRegistryValue(root, path, name, type, data, status);
    return status;
}

LONG DeleteKeyPathValue(HKEY root, const char* path, const char* name)
{
    HKEY key = nullptr;
    LONG status = OpenKeyPath(root, path, KEY_SET_VALUE, &key);
    if (status == 0) {
        status = RecordRegistryValue(root, path, name, 0, nullptr, 0) != 0
                     ? -1
                     : RegDeleteValueA(key, name);
        CloseKeyChain();
    }
    return status == ERROR_FILE_NOT_FOUND ? 0 : status;
}

int KeyChainLength(void)
{
    int count = 0;
    for (KeyChainNode* node = keyChain.head; node != nullptr; node = node->next)
        count++;
    return count;
}
