// Quillor, the small text editor that the sample medium installs: one window, one edit control.
#include <windows.h>
#include <commdlg.h>
#include <winspool.h>

#include "base/system_libraries.h"
#include "quillor_ids.h"

enum {
    kPathCapacity = 260,
    kTitleCapacity = 300,
    kMessageCapacity = 400,
    kPrinterCapacity = 260,
    kMaxFileBytes = 16 * 1024 * 1024,   // more than an edit control is pleasant to work in
    kPrintMargin = 8,                   // page margin, in printed line heights
    kFontNameCapacity = 32,             // LF_FACESIZE
    kDefaultFontPoints = 10,
};

static const char kClassName[] = "Quillor";
static const char kAppName[] = "Quillor";
static const char kUntitled[] = "Untitled";
static const char kSettingsFile[] = "QUILLOR.INI";   // found in the Windows directory
static const char kFileFilter[] = "Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";

// The common dialogs and the spooler come from the system directory at run time (see WinMain).
typedef BOOL(WINAPI* FileNameCall)(LPOPENFILENAMEA);
typedef BOOL(WINAPI* DefaultPrinterCall)(LPSTR, LPDWORD);
typedef HRESULT(WINAPI* RestartRegistrationCall)(PCWSTR, DWORD);

// Restarted by an installer or the system only: not after a crash or a hang.
enum { kRestartOnlyWhenClosed = 1 | 2 };   // RESTART_NO_CRASH | RESTART_NO_HANG

// The editor's windows and the file being edited.
struct EditorState {
    HINSTANCE instance;
    HWND mainWindow;
    HWND editWindow;
    HFONT font;
    char filePath[kPathCapacity];   // empty while the text has no file
};

static EditorState editor;

// Takes the command line apart: an optional leading /p (print and leave), then one file name,
// with or without surrounding double quotes. An unquoted name runs to the end of the line,
// so that names with blanks also work when a caller forgot the quotes.
static void ParseCommandLine(const char* line, int* printMode, char* path, int capacity)
{
    int length = 0;
    *printMode = 0;
    path[0] = 0;
    while (*line == ' ' || *line == '\t') line++;
    if ((line[0] == '/' || line[0] == '-') && (line[1] == 'p' || line[1] == 'P') &&
        (line[2] == 0 || line[2] == ' ' || line[2] == '\t')) {
        *printMode = 1;
        line += 2;
        while (*line == ' ' || *line == '\t') line++;
    }
    if (*line == '"') {
        line++;
        while (*line != 0 && *line != '"' && length < capacity - 1) path[length++] = *line++;
    } else {
        while (*line != 0 && length < capacity - 1) path[length++] = *line++;
        while (length > 0 && (path[length - 1] == ' ' || path[length - 1] == '\t')) length--;
    }
    path[length] = 0;
}

// Reads a whole file as zero-terminated text in a movable global block, turning bare line
// feeds into CR LF (the edit control breaks lines only there) and zero bytes into blanks.
// Returns the block, or 0 when the file cannot be read; the caller frees it.
static HGLOBAL ReadTextFile(const char* path)
{
    HANDLE file = INVALID_HANDLE_VALUE;
    HGLOBAL raw = 0;
    HGLOBAL text = 0;
    char* rawBytes = 0;
    char* textBytes = 0;
    DWORD size = 0;
    DWORD bytesRead = 0;
    DWORD bareFeeds = 0;
    DWORD in = 0;
    DWORD out = 0;

    file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                       FILE_FLAG_SEQUENTIAL_SCAN, 0);
    if (file == INVALID_HANDLE_VALUE) goto done;
    size = GetFileSize(file, 0);
    if (size == INVALID_FILE_SIZE || size > kMaxFileBytes) goto done;
    raw = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size + 1);
    if (raw == 0) goto done;
    rawBytes = (char*)GlobalLock(raw);
    if (rawBytes == 0) goto done;
    if (!ReadFile(file, rawBytes, size, &bytesRead, 0) || bytesRead != size) goto done;

    for (in = 0; in < size; in++) {
        if (rawBytes[in] == '\n' && (in == 0 || rawBytes[in - 1] != '\r')) bareFeeds++;
    }
    text = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size + bareFeeds + 1);
    if (text == 0) goto done;
    textBytes = (char*)GlobalLock(text);
    if (textBytes == 0) {
        GlobalFree(text);
        text = 0;
        goto done;
    }
    for (in = 0; in < size; in++) {
        char c = rawBytes[in];
        if (c == '\n' && (in == 0 || rawBytes[in - 1] != '\r')) textBytes[out++] = '\r';
        textBytes[out++] = c == 0 ? ' ' : c;
    }
    textBytes[out] = 0;
    GlobalUnlock(text);

done:
    if (rawBytes != 0) GlobalUnlock(raw);
    if (raw != 0) GlobalFree(raw);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return text;
}

// Shows a failure about a file, with the file's path in the text.
static void ShowFileMessage(const char* format, const char* path)
{
    char text[kMessageCapacity];
    wsprintfA(text, format, path);
    MessageBoxA(editor.mainWindow, text, kAppName, MB_ICONERROR);
}

// Sets the main window's title to "Quillor - " and the file being edited.
// Tells the system how to start the editor again after an installer or the system closed it:
// with the file being edited (quoted), or with nothing. Systems before Vista have no such list.
static void RegisterForRestart(void)
{
    char command[kPathCapacity + 2];
    WCHAR wideCommand[kPathCapacity + 2];
    RestartRegistrationCall registerRestart = (RestartRegistrationCall)FindSystemProcedure(
        "kernel32.dll", "RegisterApplicationRestart");
    if (registerRestart == 0) return;
    command[0] = 0;
    if (editor.filePath[0] != 0) wsprintfA(command, "\"%s\"", editor.filePath);
    if (MultiByteToWideChar(CP_ACP, 0, command, -1, wideCommand, kPathCapacity + 2) == 0) return;
    registerRestart(wideCommand, kRestartOnlyWhenClosed);
}

// Shows the file being edited in the title, and keeps the restart registration in step with it.
static void UpdateTitle(void)
{
    char title[kTitleCapacity];
    wsprintfA(title, "%s - %s", kAppName, editor.filePath[0] != 0 ? editor.filePath : kUntitled);
    SetWindowTextA(editor.mainWindow, title);
    RegisterForRestart();
}

// Puts the file's text into the edit control and makes it the file being edited.
// Returns 0, or -1 (with a message) when the file cannot be read; the editor is then unchanged.
static int OpenFileInEditor(const char* path)
{
    HGLOBAL text = ReadTextFile(path);
    if (text == 0) {
        ShowFileMessage("Cannot open \"%s\".", path);
        return -1;
    }
    const char* bytes = (const char*)GlobalLock(text);
    if (bytes != 0) {
        SetWindowTextA(editor.editWindow, bytes);
        GlobalUnlock(text);
    }
    GlobalFree(text);
    SendMessageA(editor.editWindow, EM_SETMODIFY, FALSE, 0);
    lstrcpynA(editor.filePath, path, kPathCapacity);
    UpdateTitle();
    return 0;
}

// Writes the edit control's text to the file at path, replacing its content.
// Returns 0, or -1 (with a message) when the file cannot be written.
static int SaveEditorToFile(const char* path)
{
    HANDLE file = INVALID_HANDLE_VALUE;
    HGLOBAL memory = 0;
    char* bytes = 0;
    DWORD written = 0;
    int length = GetWindowTextLengthA(editor.editWindow);
    int result = -1;

    memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, length + 1);
    if (memory == 0) goto done;
    bytes = (char*)GlobalLock(memory);
    if (bytes == 0) goto done;
    length = GetWindowTextA(editor.editWindow, bytes, length + 1);
    file = CreateFileA(path, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) goto done;
    if (!WriteFile(file, bytes, length, &written, 0) || written != (DWORD)length) goto done;
    result = 0;

done:
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (bytes != 0) GlobalUnlock(memory);
    if (memory != 0) GlobalFree(memory);
    if (result != 0) ShowFileMessage("Cannot write \"%s\".", path);
    return result;
}

// Asks for a file name with the common Open or Save As dialog.
// Returns 0 with the name in path, or -1 when the user cancelled.
static int AskFileName(int forSaving, char* path, int capacity)
{
    OPENFILENAMEA request;
    ZeroMemory(&request, sizeof(request));
    request.lStructSize = sizeof(request);
    request.hwndOwner = editor.mainWindow;
    request.lpstrFilter = kFileFilter;
    request.lpstrFile = path;
    request.nMaxFile = capacity;
    request.lpstrDefExt = "txt";
    request.Flags = forSaving ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY
                              : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    FileNameCall ask = (FileNameCall)FindSystemProcedure(
        "comdlg32.dll", forSaving ? "GetSaveFileNameA" : "GetOpenFileNameA");
    if (ask == 0) return -1;
    return ask(&request) ? 0 : -1;
}

// Saves the text to its file, asking for a name first when it has none.
// Returns 0 when saved, -1 when cancelled or failed.
static int SaveText(void)
{
    char path[kPathCapacity];
    lstrcpynA(path, editor.filePath, kPathCapacity);
    if (path[0] == 0 && AskFileName(1, path, kPathCapacity) != 0) return -1;
    if (SaveEditorToFile(path) != 0) return -1;
    SendMessageA(editor.editWindow, EM_SETMODIFY, FALSE, 0);
    lstrcpynA(editor.filePath, path, kPathCapacity);
    UpdateTitle();
    return 0;
}

// Offers to save unsaved changes before the text is replaced or the window closes.
// Returns 0 when the editor may go on, -1 when the user chose to stay.
static int ConfirmDiscard(void)
{
    char text[kMessageCapacity];
    if (!SendMessageA(editor.editWindow, EM_GETMODIFY, 0, 0)) return 0;
    wsprintfA(text, "Save the changes to \"%s\" ?",
              editor.filePath[0] != 0 ? editor.filePath : kUntitled);
    switch (MessageBoxA(editor.mainWindow, text, kAppName, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: return SaveText();
    case IDNO:  return 0;
    }
    return -1;
}

static void OnOpenCommand(void)
{
    char path[kPathCapacity];
    path[0] = 0;
    if (ConfirmDiscard() != 0) return;
    if (AskFileName(0, path, kPathCapacity) != 0) return;
    OpenFileInEditor(path);
}

// Creates the edit control's font from the settings file, Courier New of 10 points without it.
static HFONT CreateEditorFont(HWND window)
{
    char fontName[kFontNameCapacity];
    int points = GetPrivateProfileIntA(kAppName, "FontSize", kDefaultFontPoints, kSettingsFile);
    HDC screen = GetDC(window);
    int height = -MulDiv(points > 0 ? points : kDefaultFontPoints,
                         GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(window, screen);
    GetPrivateProfileStringA(kAppName, "Font", "Courier New", fontName, kFontNameCapacity,
                             kSettingsFile);
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       FIXED_PITCH | FF_MODERN, fontName);
}

static LRESULT OnCreate(HWND window)
{
    editor.mainWindow = window;
    editor.editWindow = CreateWindowExA(
        WS_EX_CLIENTEDGE, "EDIT", "",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
            ES_AUTOHSCROLL | ES_NOHIDESEL,
        0, 0, 0, 0, window, 0, editor.instance, 0);
    if (editor.editWindow == 0) return -1;
    // Without a limit an edit control stops at 32 K characters.
    SendMessageA(editor.editWindow, EM_LIMITTEXT, 0, 0);
    editor.font = CreateEditorFont(window);
    if (editor.font != 0) SendMessageA(editor.editWindow, WM_SETFONT, (WPARAM)editor.font, FALSE);
    return 0;
}

static LRESULT OnCommand(HWND window, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case IDM_FILE_OPEN: OnOpenCommand(); return 0;
    case IDM_FILE_SAVE: SaveText(); return 0;
    case IDM_FILE_EXIT: SendMessageA(window, WM_CLOSE, 0, 0); return 0;
    }
    return DefWindowProcA(window, WM_COMMAND, wParam, 0);
}

static LRESULT OnClose(HWND window)
{
    if (ConfirmDiscard() == 0) DestroyWindow(window);
    return 0;
}

// The system at log-off, or an installer through the restart manager, asks whether the editor
// may close: a changed text is offered for saving first, and Cancel keeps the editor open.
static LRESULT OnQueryEndSession(void)
{
    return ConfirmDiscard() == 0 ? TRUE : FALSE;
}

// Every program agreed: the session ends, or the one that asked closes this program now.
static LRESULT OnEndSession(HWND window, WPARAM ending)
{
    if (ending) DestroyWindow(window);
    return 0;
}

LRESULT CALLBACK EditorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:   return OnCreate(window);
    case WM_SIZE:     MoveWindow(editor.editWindow, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
                      return 0;
    case WM_SETFOCUS: SetFocus(editor.editWindow); return 0;
    case WM_COMMAND:  return OnCommand(window, wParam);
    case WM_CLOSE:    return OnClose(window);
    case WM_QUERYENDSESSION: return OnQueryEndSession();
    case WM_ENDSESSION: return OnEndSession(window, wParam);
    case WM_DESTROY:  PostQuitMessage(0); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Prints the lines of text on the printer's device context, tabs expanded, as many lines
// to a page as fit between the margins. Returns 0, or -1 when the printer refused.
static int PrintLines(HDC printer, const char* documentName, const char* text)
{
    DOCINFOA document;
    TEXTMETRICA metrics;
    int lineHeight = 0;
    int top = 0;
    int bottom = 0;
    int y = 0;
    int pageOpen = 0;
    int result = 0;

    ZeroMemory(&document, sizeof(document));
    document.cbSize = sizeof(document);
    document.lpszDocName = documentName;
    GetTextMetricsA(printer, &metrics);
    lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
    if (lineHeight <= 0) lineHeight = 1;
    top = lineHeight * kPrintMargin / 2;
    bottom = GetDeviceCaps(printer, VERTRES) - top;
    if (StartDocA(printer, &document) <= 0) return -1;
    y = top;
    while (*text != 0 && result == 0) {
        int length = 0;
        while (text[length] != 0 && text[length] != '\r' && text[length] != '\n') length++;
        if (!pageOpen) {
            if (StartPage(printer) <= 0) { result = -1; break; }
            pageOpen = 1;
            y = top;
        }
        TabbedTextOutA(printer, lineHeight * kPrintMargin / 2, y, text, length, 0, 0, 0);
        y += lineHeight;
        text += length;
        if (*text == '\r') text++;
        if (*text == '\n') text++;
        if (y + lineHeight > bottom) {
            if (EndPage(printer) <= 0) result = -1;
            pageOpen = 0;
        }
    }
    if (pageOpen && EndPage(printer) <= 0) result = -1;
    if (result == 0) EndDoc(printer);
    else AbortDoc(printer);
    return result;
}

// Prints the file on the default printer without showing a window. A machine without a
// printer has nothing to print on, which is not a failure. Returns the exit status:
// 0, or 1 when the file cannot be read or the printer fails.
static int PrintFile(const char* path)
{
    char printerName[kPrinterCapacity];
    DWORD nameCapacity = kPrinterCapacity;
    DefaultPrinterCall defaultPrinter = 0;
    HGLOBAL text = 0;
    HDC printer = 0;
    const char* bytes = 0;
    int status = 1;

    text = ReadTextFile(path);
    if (text == 0) goto done;
    status = 0;
    defaultPrinter =
        (DefaultPrinterCall)FindSystemProcedure("winspool.drv", "GetDefaultPrinterA");
    if (defaultPrinter == 0 || !defaultPrinter(printerName, &nameCapacity)) goto done;
    printer = CreateDCA("WINSPOOL", printerName, 0, 0);
    if (printer == 0) goto done;
    bytes = (const char*)GlobalLock(text);
    if (bytes != 0 && PrintLines(printer, path, bytes) != 0) status = 1;

done:
    if (bytes != 0) GlobalUnlock(text);
    if (printer != 0) DeleteDC(printer);
    if (text != 0) GlobalFree(text);
    return status;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showState)
{
    WNDCLASSA windowClass;
    MSG message;
    HACCEL accelerators = 0;
    char path[kPathCapacity];
    int printMode = 0;
    int status = 0;

    // Quillor opens files from any folder, and a library planted beside it or in the current
    // directory must never be loaded: first of all, the search keeps to the system directory.
    ProtectLibrarySearch();
    editor.instance = instance;
    ParseCommandLine(commandLine != 0 ? commandLine : "", &printMode, path, kPathCapacity);
    if (printMode) return PrintFile(path);

    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = EditorWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_QUILLOR));
    windowClass.hCursor = LoadCursorA(0, (LPCSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDM_QUILLOR);
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
    accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_QUILLOR));

    if (CreateWindowExA(0, kClassName, kAppName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                        640, 480, 0, 0, instance, 0) == 0) {
        status = 1;
    } else {
        UpdateTitle();
        if (path[0] != 0) OpenFileInEditor(path);
        ShowWindow(editor.mainWindow, showState);
        UpdateWindow(editor.mainWindow);
        while (GetMessageA(&message, 0, 0, 0) > 0) {
            if (accelerators != 0 &&
                TranslateAcceleratorA(editor.mainWindow, accelerators, &message)) {
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        status = (int)message.wParam;
    }

    if (editor.font != 0) DeleteObject(editor.font);
    UnregisterClassA(kClassName, instance);
    return status;
}
