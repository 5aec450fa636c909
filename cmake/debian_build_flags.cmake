# Initial cache of the package's build folder (cmake -C, from
# scripts/package.sh): compile as Debian compiles its packages, with every
# hardening option dpkg-buildflags knows.
set(ENV{DEB_BUILD_MAINT_OPTIONS} hardening=+all)
foreach(flags CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(COMMAND dpkg-buildflags --get ${flags} OUTPUT_VARIABLE ${flags}
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endforeach()
set(CMAKE_CXX_FLAGS "${CPPFLAGS} ${CXXFLAGS}" CACHE STRING "" FORCE)
set(CMAKE_EXE_LINKER_FLAGS "${LDFLAGS}" CACHE STRING "" FORCE)
