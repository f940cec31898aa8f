# How the programs that go onto the medium are built: for size, and with nothing they do not use.

# Code of a shipped program: the smallest code even where it is a little slower (the option
# comes after the build type's and wins; the copy waits on the disk, not on the processor), and
# no exception tables, unwind tables or type information. The routines share one section: the
# whole-program optimisation leaves out those that nothing calls, and a section per routine
# would start each at a 4-byte boundary, with up to three bytes of padding before it
# (SETUP.EXE: 192 bytes). No -fdata-sections: for PE targets it moves
# zero-filled globals such as the state record out of .bss into sections stored in the file.
# Calls push their arguments: the compiler's stack probes would force every call to store them
# through a frame set up in advance, a fifth of the code. Without probes a frame must stay below
# one page, so that each step down the stack lands on the guard page before the next (the
# Windows compilers probe only larger frames too); the build fails on a larger frame. Windows
# keeps the stack 4-byte aligned, and nothing here needs more. Loops stay loops: the compiler
# would turn a counting loop into a call of the C runtime's strlen, an import of its own.
# The objects carry both machine code and the compiler's own form: the shipped programs are
# optimised whole at link time (a routine called once goes into its caller, a constant argument
# into the routine), while the tests link the same libraries from the machine code. Data is
# aligned as the ABI asks, not a text or table of 32 bytes or more to 32 bytes: that padding
# filled a tenth of the constants. No calls turned into jumps at a routine's end: with the
# arguments pushed, the jump must first move them into the caller's own argument slots, which
# takes more bytes than the call and return it saves (SETUP.EXE: 48 bytes). No merging of equal
# statement tails: the jumps to the merged tail cost more than the tails (SETUP.EXE: 80 bytes).
# No jump tables: each of their addresses needs a relocation as well (SETUP.EXE: 36 bytes of
# relocations for 24 of code).
set(SHIPPED_COMPILE_OPTIONS
    -flto -ffat-lto-objects -Oz -malign-data=abi
    -fno-asynchronous-unwind-tables -fno-exceptions -fno-rtti
    -fomit-frame-pointer -mpreferred-stack-boundary=2 -mno-stack-arg-probe
    -Werror=frame-larger-than=4000 -fno-tree-loop-distribute-patterns
    -fno-optimize-sibling-calls -fno-tree-tail-merge -fno-jump-tables)

# The read-only data goes into the code section: a section's last block in the file is filled
# up to 512 bytes, and one section fewer fills one block fewer (SETUP.EXE: 512 bytes saved).
# Both are read-only, so no section becomes writable and executable and the programs keep
# their relocations (ASLR) and NX. The link script is the linker's own, with the constants
# named in its code section, so that they are placed there before its constants section
# (then empty and left out) would take them.
execute_process(COMMAND ${CMAKE_LINKER} --verbose OUTPUT_VARIABLE default_link_script
                COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "^.*\n=+\n(.*)\n=+\n.*$" "\\1" link_script "${default_link_script}")
set(code_end "KEEP (*(.gcc_except_table))")
string(FIND "${link_script}" "${code_end}" code_end_at)
if(code_end_at EQUAL -1)
    message(FATAL_ERROR "The linker's script has no end of its code section to place constants at")
endif()
string(REPLACE "${code_end}" "${code_end}\n    *(.rdata)\n    *(SORT(.rdata$*))" link_script
       "${link_script}")
set(SHIPPED_LINK_SCRIPT "${CMAKE_BINARY_DIR}/shipped-program.ld")
file(WRITE "${SHIPPED_LINK_SCRIPT}" "${link_script}\n")

# ship_program(TARGET [OWN_ENTRY] [MAX_BYTES N])
# Builds TARGET with SHIPPED_COMPILE_OPTIONS, drops unused sections, all symbols and the time stamp, writes the
# link map beside the program (NAME.map) for finding what is big, and fails the build when the
# map shows a piece of the C++ runtime or a libgcc DLL.
# OWN_ENTRY: the program starts at its own WinMainCRTStartup, so the C runtime's start-up code
# (argument parsing, constructors of globals, thread-local data, stdio) is left out; a
# constructor of a global then fails the build, since nobody would run it.
# MAX_BYTES: a test, TARGET_size, fails when the program file is larger.
function(ship_program target)
    cmake_parse_arguments(SHIP "OWN_ENTRY" "MAX_BYTES" "" ${ARGN})
    set(map "$<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_BASE_NAME:${target}>.map")
    target_compile_options(${target} PRIVATE ${SHIPPED_COMPILE_OPTIONS})
    # No link time stamp (and so a checksum that follows from the contents alone): two builds of
    # the same sources give the same bytes, whatever the folder or the hour.
    # The code is generated at link time, so the link gets the same options (the frame limit
    # included).
    target_link_options(${target} PRIVATE ${SHIPPED_COMPILE_OPTIONS} -s -Wl,--gc-sections
                        -Wl,--no-insert-timestamp "-Wl,-Map,${map}"
                        "-Wl,-T,${SHIPPED_LINK_SCRIPT}")
    if(SHIP_OWN_ENTRY)
        # Without the runtime's start-up nobody would fix up data imported from a DLL.
        # The entry point is named to the linker, which would otherwise not see it among the
        # objects optimised at link time and keep nothing.
        target_link_options(${target} PRIVATE -nostartfiles -Wl,--disable-auto-import
                            -Wl,-e,_WinMainCRTStartup)
        set(own_entry 1)
    else()
        set(own_entry 0)
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DMAP=${map} -DOWN_ENTRY=${own_entry}
                -P ${CMAKE_SOURCE_DIR}/cmake/check-link-map.cmake
        VERBATIM)
    if(SHIP_MAX_BYTES)
        add_test(NAME ${target}_size
                 COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${target}> -DMAX_BYTES=${SHIP_MAX_BYTES}
                         -P ${CMAKE_SOURCE_DIR}/cmake/check-size.cmake)
    endif()
endfunction()
