# Delay-import libraries for the DLLs that the programs import but that are not among the system's
# known DLLs. The loader resolves ordinary imports before any code of ours runs, searching the
# program's own folder first, so a VERSION.dll or LZ32.DLL beside setup.exe on a copied CD would be
# loaded. A delay import is loaded at its first call, by which time WinMain has restricted the search
# to the system folder.
#   setup_delay_import(<variable> <library> <DLL file name>): <variable> names the library to link.
function(setup_delay_import variable library dll)
    find_program(SETUP_DLLTOOL NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-dlltool dlltool REQUIRED)
    find_library(import_${library} NAMES lib${library}.a ${library} NO_CACHE REQUIRED)
    set(out ${CMAKE_BINARY_DIR}/delayimp/lib${library}-delay.a)
    if(NOT EXISTS ${out} OR ${import_${library}} IS_NEWER_THAN ${out})
        # The export list comes from the platform's own import library (names with their @size on
        # 32-bit Windows, where C names also carry a leading underscore).
        execute_process(COMMAND ${CMAKE_NM} ${import_${library}} OUTPUT_VARIABLE symbols ERROR_QUIET)
        if(CMAKE_SIZEOF_VOID_P EQUAL 4)
            set(prefix "__imp__")
        else()
            set(prefix "__imp_")
        endif()
        string(REGEX MATCHALL "${prefix}[A-Za-z0-9_]+(@[0-9]+)?" imports "${symbols}")
        list(TRANSFORM imports REPLACE "^${prefix}" "")
        list(REMOVE_DUPLICATES imports)
        list(JOIN imports "\n" exports)
        file(WRITE ${CMAKE_BINARY_DIR}/delayimp/${library}.def "LIBRARY ${dll}\nEXPORTS\n${exports}\n")
        # dlltool names the library's members and symbols after the output path: run in its folder
        # with a bare name, so that the programs do not depend on where the build is.
        execute_process(COMMAND ${SETUP_DLLTOOL} -k --input-def ${library}.def --dllname ${dll}
                                --output-delaylib lib${library}-delay.a
                        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/delayimp RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "dlltool could not make the delay-import library of ${dll}")
        endif()
    endif()
    set(${variable} ${out} PARENT_SCOPE)
endfunction()
