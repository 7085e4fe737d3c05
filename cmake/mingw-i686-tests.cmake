# Cross-compiles the 32-bit tests: the product's toolchain with the posix thread model, as
# GoogleTest needs std::mutex. The tests load the shipped DLL of the product tree
# (LMPROF_PRODUCT_DIR), built with mingw-i686.cmake. Everything links statically.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
