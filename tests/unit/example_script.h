// The worked example of a setup script that the script reader's tests walk and load.
#pragma once

// The sixteen-line script: CR LF after every line but the last.
inline const char kExample[] =
    ";Setup script\r\n"
    "[Install]\r\n"
    "Application=Quillor\r\n"
    "Caption = Quillor Setup \r\n"
    "Directory==D:\\Quillor\r\n"
    "Bitmap=SETUP.BMP\r\n"
    "\r\n"
    "[Files]\r\n"
    "Program=Quillor.exe\r\n"
    ";Help=Quillor.hlp\r\n"
    "\r\n"
    "Uninstall=%Purgax.exe\r\n"
    "[Group]\r\n"
    "Quillor.lnk=Quillor.exe,Quillor,%Quillor.exe,0\r\n"
    "[Registration]\r\n"
    "Suffixes=txt ini";
