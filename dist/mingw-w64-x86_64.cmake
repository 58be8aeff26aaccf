# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (GCC, win32 threads).
# Libraries and headers come only from the mingw-w64 sysroot and from the prefixes
# given in CMAKE_FIND_ROOT_PATH on the command line (scripts/windows names Allegro's).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# GCC cannot keep Win64 stack frames 32-byte aligned (GCC bug 54412), so an aligned AVX
# move of a spilled vector could fault: the assembler turns every aligned vector move
# into its unaligned twin. (Debian's mingw-w64 GCC already emits only unaligned ones.)
set(CMAKE_C_FLAGS_INIT -Wa,-muse-unaligned-vector-move)
set(CMAKE_CXX_FLAGS_INIT -Wa,-muse-unaligned-vector-move)

list(APPEND CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
