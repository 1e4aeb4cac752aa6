# Shared part of the two mingw-w64 toolchain files. The -posix compilers give
# std::thread and std::mutex (through winpthreads), which the plug-in links statically.
set(CMAKE_C_COMPILER ${VIZMARK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VIZMARK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VIZMARK_MINGW_TRIPLET}-windres)
set(CMAKE_OBJDUMP ${VIZMARK_MINGW_TRIPLET}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${VIZMARK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
