# The 32-bit program, for 32-bit Windows.
set(QUIPMARK_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
