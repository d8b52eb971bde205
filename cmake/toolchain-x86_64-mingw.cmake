# Cross-compiles the same sources for 64-bit Windows with Debian's MinGW-w64.
# The shipped programs are 32-bit; this build runs their tests where 32-bit
# programs cannot run.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
