// The main window procedure: the installation as a chain of private messages.
#include "setup/installation_sequence.h"

#include "background/background_bitmap.h"
#include "copy/copy_engine.h"
#include "copy/progress_dialog.h"
#include "dialogs/directory_dialog.h"
#include "resources/resource_ids.h"
#include "setup/message_boxes.h"
#include "setup/private_messages.h"
#include "setup/setup_state.h"
#include "system/registration.h"
#include "system/shortcuts.h"

namespace {

LRESULT OnCreate(HWND window, WPARAM wParam, LPARAM lParam)
{
    LoadBackground(window);
    return DefWindowProcA(window, WM_CREATE, wParam, lParam);
}

// The closing steps of the window's life, also run after the final report.
LRESULT OnDestroy(void)
{
    DeleteBackground();
    PostQuitMessage(0);
    return 0;
}

LRESULT OnSize(HWND window, WPARAM wParam, LPARAM lParam)
{
    KeepClientSize(lParam);
    return DefWindowProcA(window, WM_SIZE, wParam, lParam);
}

LRESULT OnPaint(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (setupState.backgroundBitmap == 0)
        return DefWindowProcA(window, WM_PAINT, wParam, lParam);
    PaintBackground(window);
    return 0;
}

LRESULT OnEraseBackground(HWND window, WPARAM wParam, LPARAM lParam)
{
    // The tiles cover the whole client area: the class background is never painted under them.
    if (setupState.backgroundBitmap == 0)
        return DefWindowProcA(window, WM_ERASEBKGND, wParam, lParam);
    return 0;
}

LRESULT OnStart(HWND window)
{
    if (RunDirectoryDialog() == IDC_DIRECTORY_CANCEL) {
        DestroyWindow(window);
        return 0;
    }
    StartCopy();
    return 0;
}

LRESULT OnNextFile(void)
{
    CopyNextEntry();
    return 0;
}

LRESULT OnCopyChunk(void)
{
    CopyNextChunk();
    return 0;
}

LRESULT OnCopyDone(void)
{
    FinishCopy();
    return 0;
}

void ShowFinalReport(void)
{
    UINT id = IDS_INSTALL_DONE;
    if (setupState.cancelled != 0)
        id = IDS_INSTALL_ABANDONED;
    else if (setupState.errorCount != 0)
        id = IDS_INSTALL_PARTIAL;
    ShowFormattedMessage(setupState.instance, setupState.caption, setupState.mainWindow, id,
                         setupState.applicationName, MB_ICONINFORMATION);
}

// The window is not destroyed here: it ends with the program.
LRESULT OnFinish(void)
{
    ShowFinalReport();
    return OnDestroy();
}

LRESULT OnRegister(void)
{
    RegisterApplication();
    return OnFinish();
}

LRESULT OnShortcuts(void)
{
    // -1: the programs folder cannot be read; the registration step follows in this call.
    if (CreateGroupShortcuts() == -1)
        return OnRegister();
    return 0;
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:      return OnCreate(window, wParam, lParam);
    case WM_DESTROY:     return OnDestroy();
    case WM_SIZE:        return OnSize(window, wParam, lParam);
    case WM_PAINT:       return OnPaint(window, wParam, lParam);
    case WM_ERASEBKGND:  return OnEraseBackground(window, wParam, lParam);
    case UM_START:       return OnStart(window);
    case UM_NEXT_FILE:   return OnNextFile();
    case UM_COPY_CHUNK:  return OnCopyChunk();
    case UM_COPY_DONE:   return OnCopyDone();
    case UM_SHORTCUTS:   return OnShortcuts();
    case UM_REGISTER:    return OnRegister();
    case UM_FINISH:      return OnFinish();
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
