# Each folder is a library of its own ("a floor"). The include root a floor
# offers holds a link to that one folder, and a floor sees only its own root
# and those of the floors it depends on; an #include of a folder that is not
# among them finds no file, so an include up a floor does not build.
#
#   torvane_floor(NAME [SOURCES file...] [EXCLUDE regex...] [DEPENDS target...])
#
# Without SOURCES the floor's sources are every .cpp of its folder but the
# program mains, the files of the other operating system (posix_* files build
# on POSIX systems, win_* files on Windows) and those matching an EXCLUDE
# pattern.
if(WIN32)
  set(TORVANE_OTHER_OS_FILES "/posix_[^/]*$")
else()
  set(TORVANE_OTHER_OS_FILES "/win_[^/]*$")
endif()

function(torvane_floor name)
  cmake_parse_arguments(FLOOR "" "" "SOURCES;EXCLUDE;DEPENDS" ${ARGN})
  set(folder ${CMAKE_SOURCE_DIR}/${name})
  if(FLOOR_SOURCES)
    set(sources ${FLOOR_SOURCES})
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
    list(FILTER sources EXCLUDE REGEX "_main\\.cpp$")
    foreach(pattern ${TORVANE_OTHER_OS_FILES} ${FLOOR_EXCLUDE})
      list(FILTER sources EXCLUDE REGEX "${pattern}")
    endforeach()
  endif()
  set(root ${CMAKE_BINARY_DIR}/floors/${name})
  file(MAKE_DIRECTORY ${root})
  if(NOT EXISTS ${root}/${name})
    file(CREATE_LINK ${folder} ${root}/${name} SYMBOLIC)
  endif()
  add_library(torvane_${name} STATIC ${sources})
  target_include_directories(torvane_${name} PUBLIC ${root})
  target_link_libraries(torvane_${name} PUBLIC ${FLOOR_DEPENDS} PRIVATE torvane_warnings)
endfunction()
