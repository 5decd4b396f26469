# Libraries each build links, found once for every subsystem.
if(WIN32)
  # Nothing to find: the Win32 libraries come with the mingw-w64 toolchain.
else()
  find_package(PkgConfig REQUIRED)
  find_package(OpenSSL REQUIRED COMPONENTS Crypto)
  find_package(X11 REQUIRED)
  pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)
  pkg_check_modules(WEBKIT REQUIRED IMPORTED_TARGET webkit2gtk-4.1)
  pkg_check_modules(CURL REQUIRED IMPORTED_TARGET libcurl)
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)
