# Files the script command tests work on: DLLs whose only content of interest is a FileVersion text,
# and a program that records the command line RUN gives it. They go to tests/script-files.
set(script_files_dir ${CMAKE_CURRENT_BINARY_DIR}/script-files)
set(script_versions
    "400|4.0.0|040904E4" "410|4.1.0|040904E4" "412|4.1.2|040904E4" "413|4.1.3|040904E4"
    "4139|4.1.3.9|040904E4" "41|4.1|040904E4" "commas|1, 0, 0, 1|040904E4" "german|4.1.0|040704E4")
foreach(entry IN LISTS script_versions)
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 id)
    list(GET parts 1 SCRIPT_VERSION_TEXT)
    list(GET parts 2 SCRIPT_VERSION_TABLE)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/scriptver${id}.rc)
    configure_file(${CMAKE_CURRENT_SOURCE_DIR}/win/setup/script-files/Version.rc.in ${rc} @ONLY)
    add_library(scriptver${id} SHARED ${CMAKE_CURRENT_SOURCE_DIR}/win/setup/script-files/VersionDll.cpp ${rc})
    set_target_properties(scriptver${id} PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${script_files_dir})
    target_link_options(scriptver${id} PRIVATE -static -static-libgcc -static-libstdc++)
    add_dependencies(win_setup_tests scriptver${id})
endforeach()
add_executable(scriptprobe ${CMAKE_CURRENT_SOURCE_DIR}/win/setup/script-files/RunProbe.cpp)
set_target_properties(scriptprobe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${script_files_dir})
target_link_options(scriptprobe PRIVATE -static -static-libgcc -static-libstdc++)
add_dependencies(win_setup_tests scriptprobe)
