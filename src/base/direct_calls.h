// The system routines that the setup program calls most often, called through the import
// library's jump stubs rather than through the import table.
#pragma once

#include <windows.h>

// A call through the import table takes six bytes and a relocation of the address it reads;
// a call of the jump stub takes five and none, and the stub itself eight and one relocation:
// with n calls the stub saves 3n - 10 bytes. So each routine here is called from five places
// or more. Each name is declared again under another one, without the import attribute, and
// bound to the stub's symbol; the macros make every call of the system name in the setup
// program's code use it (this header is included ahead of every source file of the setup
// program's library).
//
// Two stand at that edge, with five calls each in the setup program's sources: RegOpenKeyExA
// and RegCloseKey (uninstall_entries, key_paths, refused_folders twice, run_record). Measured
// in SETUP.EXE, the stub saves 8 bytes of relocations for RegOpenKeyExA, and 16 bytes (4 of
// code, 12 of relocations) for RegCloseKey, which the optimiser calls from a sixth place. One
// call fewer and the saving is about 2 bytes; two fewer and the stub costs more than it saves:
// take the routine out of this list then. Counted in the program as built (the optimiser
// copies a call or merges two): lstrcmpiA 9 calls, SetLastError 8, GlobalFree 7, RegQueryValueExA
// 6, GlobalAlloc, GetProcAddress and SelectObject 5 each; these seven saved 48 bytes of code
// and 80 of relocations.
extern "C" {
BOOL WINAPI CloseHandleDirect(HANDLE) __asm__("_CloseHandle@4");
HANDLE WINAPI CreateFileADirect(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)
    __asm__("_CreateFileA@28");
DWORD WINAPI GetLastErrorDirect(void) __asm__("_GetLastError@0");
BOOL WINAPI SetWindowTextADirect(HWND, LPCSTR) __asm__("_SetWindowTextA@8");
LONG WINAPI RegCloseKeyDirect(HKEY) __asm__("_RegCloseKey@4");
LONG WINAPI RegOpenKeyExADirect(HKEY, LPCSTR, DWORD, REGSAM, PHKEY) __asm__("_RegOpenKeyExA@20");
int WINAPI lstrcmpiADirect(LPCSTR, LPCSTR) __asm__("_lstrcmpiA@8");
void WINAPI SetLastErrorDirect(DWORD) __asm__("_SetLastError@4");
HGLOBAL WINAPI GlobalAllocDirect(UINT, SIZE_T) __asm__("_GlobalAlloc@8");
HGLOBAL WINAPI GlobalFreeDirect(HGLOBAL) __asm__("_GlobalFree@4");
LONG WINAPI RegQueryValueExADirect(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD)
    __asm__("_RegQueryValueExA@24");
FARPROC WINAPI GetProcAddressDirect(HMODULE, LPCSTR) __asm__("_GetProcAddress@8");
HGDIOBJ WINAPI SelectObjectDirect(HDC, HGDIOBJ) __asm__("_SelectObject@8");
}

#define CloseHandle CloseHandleDirect
#define CreateFileA CreateFileADirect
#define GetLastError GetLastErrorDirect
#define SetWindowTextA SetWindowTextADirect
#define RegCloseKey RegCloseKeyDirect
#define RegOpenKeyExA RegOpenKeyExADirect
#define lstrcmpiA lstrcmpiADirect
#define SetLastError SetLastErrorDirect
#define GlobalAlloc GlobalAllocDirect
#define GlobalFree GlobalFreeDirect
#define RegQueryValueExA RegQueryValueExADirect
#define GetProcAddress GetProcAddressDirect
#define SelectObject SelectObjectDirect
