# The test programs (and their support library) are built at -O1 in the
# optimised build types: most of their compile time is the optimiser's work on
# GoogleTest's expanded macros, which buys nothing for code that runs once.
# The product code they test keeps its build type's own flags, so the suite
# still exercises what ships. Debug builds keep their own (lower) level.
#
#   torvane_test_program(TARGET)
function(torvane_test_program target)
  target_compile_options(${target} PRIVATE $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-O1>)
  # In a unity build a test file is no longer the main file of what GCC
  # compiles, and each test of a fixture kept in the file's anonymous
  # namespace draws the warning meant for such a class in a header. A test
  # file is never included anywhere else, so it cannot break the one
  # definition rule the warning guards.
  if(CMAKE_UNITY_BUILD AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
  endif()
endfunction()
