# Cross-compiles the Windows program with Debian's MinGW-w64 for the
# processor that the including toolchain file names in QUIPMARK_MINGW_ARCH.
# The posix-thread compiler is needed for GoogleTest (std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QUIPMARK_MINGW_ARCH})
set(CMAKE_C_COMPILER   ${QUIPMARK_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUIPMARK_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  ${QUIPMARK_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QUIPMARK_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# The tests run inside scripts/with-wine.sh, whose `wine` on PATH is the
# loader for this build's processor; scripts/wine-test.sh also tells a test
# that ended before GoogleTest's verdict from one that passed.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-test.sh")
