# The posix thread model gives std::mutex (GoogleTest needs it); the static link
# takes winpthread in, so the program still needs no DLL beside it.
set(CMAKE_C_COMPILER ${KARVEL_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KARVEL_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KARVEL_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KARVEL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
