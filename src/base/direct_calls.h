// The system routines that the setup program calls most often, called through the import
// library's jump stubs rather than through the import table.
#pragma once

#include <windows.h>

// A call through the import table takes six bytes and a relocation of the address it reads;
// a call of the jump stub takes five and none, and the stub itself eight and one relocation.
// So each routine here is called from five places or more. Each name is declared again under
// another one, without the import attribute, and bound to the stub's symbol; the macros make
// every call of the system name in the setup program's code use it (this header is included
// ahead of every source file of the setup program's library).
extern "C" {
BOOL WINAPI CloseHandleDirect(HANDLE) __asm__("_CloseHandle@4");
HANDLE WINAPI CreateFileADirect(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE)
    __asm__("_CreateFileA@28");
DWORD WINAPI GetLastErrorDirect(void) __asm__("_GetLastError@0");
BOOL WINAPI SetWindowTextADirect(HWND, LPCSTR) __asm__("_SetWindowTextA@8");
LONG WINAPI RegCloseKeyDirect(HKEY) __asm__("_RegCloseKey@4");
LONG WINAPI RegOpenKeyExADirect(HKEY, LPCSTR, DWORD, REGSAM, PHKEY) __asm__("_RegOpenKeyExA@20");
}

#define CloseHandle CloseHandleDirect
#define CreateFileA CreateFileADirect
#define GetLastError GetLastErrorDirect
#define SetWindowTextA SetWindowTextADirect
#define RegCloseKey RegCloseKeyDirect
#define RegOpenKeyExA RegOpenKeyExADirect
