# Fails when the link map of a shipped program shows a piece it must not have: a member of the
# C++ runtime, the unwinder, the threads library or a libgcc DLL (all unused, or a DLL that would
# be looked for beside the program), or, with OWN_ENTRY, constructors of globals, which nobody
# runs without the C runtime's start-up.
# Usage: cmake -DMAP=FILE.map [-DOWN_ENTRY=1] -P this
file(READ "${MAP}" map)
string(REGEX MATCHALL "\n[^ \n]*/lib(stdc\\+\\+|supc\\+\\+|gcc_eh|gcc_s|pthread|winpthread)[^/\n]*\\.a\\([^\n]*"
       found "${map}")
if(OWN_ENTRY)
    string(REGEX MATCHALL "\n \\.(ctors|CRT\\$X[CI])[^ \n]*[ \n]+0x[0-9a-f]+ +0x0*[1-9a-f][^\n]*"
           constructors "${map}")
    list(APPEND found ${constructors})
endif()
if(found)
    string(REPLACE ";" "" found "${found}")
    message(FATAL_ERROR "${MAP} holds what a shipped program must not:${found}")
endif()
