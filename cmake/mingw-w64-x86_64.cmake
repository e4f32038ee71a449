# Cross build for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64).
# The -posix compilers: the win32 thread model has no std::thread or
# std::mutex. Static linking: the executables then run without DLLs, also
# under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GT7P_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${GT7P_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GT7P_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${GT7P_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${GT7P_MINGW_PREFIX})
# The static Qt for Windows that scripts/qt-windows.sh builds: find_package
# looks only under the find root, so its prefix joins it. Qt's host tools
# (moc, rcc, uic) are those of the host Qt of the same version.
if(GT7P_QT_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${GT7P_QT_PREFIX})
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests and their discovery run through Wine unless told otherwise, by a
# runner that starts again a program Wine ended before it printed a thing.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR sh ${CMAKE_CURRENT_LIST_DIR}/../tests/windows/run_under_wine.sh)
endif()

# Strict C++17 hides M_PI in mingw's <cmath> without this.
add_compile_definitions(_USE_MATH_DEFINES)
