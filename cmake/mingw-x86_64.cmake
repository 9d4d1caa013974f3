# The same programs built for 64 bits, for machines that run no 32-bit code (scripts/wine-preset.sh).
set(SETUP_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
