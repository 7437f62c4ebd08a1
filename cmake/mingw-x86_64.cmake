# The 64-bit program, for 64-bit Windows.
set(QUIPMARK_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
