// Shell links read back through the shell's own link object, as the shell would read them.
#include "links.h"

#include <objbase.h>
#include <shlobj.h>

LinkContents LoadLink(const std::string& path)
{
    LinkContents contents = {E_FAIL, "", "", "", -1, -1};
    HRESULT com = CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    WCHAR widePath[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH);
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, (void**)&link);
    if (SUCCEEDED(result)) result = link->QueryInterface(IID_IPersistFile, (void**)&file);
    if (SUCCEEDED(result)) result = file->Load(widePath, STGM_READ);
    if (SUCCEEDED(result)) {
        char text[MAX_PATH] = "";
        if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) contents.target = text;
        text[0] = '\0';
        if (SUCCEEDED(link->GetDescription(text, MAX_PATH))) contents.description = text;
        text[0] = '\0';
        if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &contents.iconIndex)))
            contents.iconFile = text;
        link->GetShowCmd(&contents.showCommand);
    }
    contents.status = result;
    if (file) file->Release();
    if (link) link->Release();
    if (SUCCEEDED(com)) CoUninitialize();
    return contents;
}
