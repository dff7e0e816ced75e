# torvane_library(<name> [DIRS <subdir>...] LINKS <targets>...)
# Builds torvane_<name> as a static library from every .cpp/.h in the
# calling folder (and the listed subfolders), so that adding a file never
# means editing a shared list.
function(torvane_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;LINKS;EXTRA" ${ARGN})
  set(globs ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(d ${ARG_DIRS})
    list(APPEND globs ${CMAKE_CURRENT_SOURCE_DIR}/${d}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${d}/*.h)
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${globs})
  if(NOT sources)
    return()  # a folder whose code has not been written yet
  endif()
  add_library(torvane_${name} STATIC ${sources} ${ARG_EXTRA})
  target_include_directories(torvane_${name} PUBLIC ${CMAKE_SOURCE_DIR})
  torvane_present_targets(links ${ARG_LINKS})
  target_link_libraries(torvane_${name} PUBLIC ${links})
endfunction()

# Keeps the torvane_* names that exist as targets (folders without code yet
# build no library) and every other name as it is.
function(torvane_present_targets out)
  set(result)
  foreach(item ${ARGN})
    if(item MATCHES "^torvane_" AND NOT TARGET ${item})
      continue()
    endif()
    list(APPEND result ${item})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# torvane_test(<name> [WIDGETS] LINKS <targets>...): one GoogleTest
# executable from every .cpp in the calling folder, run by CTest under the
# offscreen platform. WIDGETS gives the tests a QApplication.
function(torvane_test name)
  cmake_parse_arguments(ARG "WIDGETS" "" "LINKS" ${ARGN})
  set(main torvane_test_main)
  if(ARG_WIDGETS)
    set(main torvane_widget_test_main)
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name}_tests ${sources})
  torvane_present_targets(links ${ARG_LINKS})
  target_link_libraries(${name}_tests PRIVATE ${links} ${main} GTest::gtest GTest::gmock)
  add_test(NAME ${name} COMMAND ${name}_tests)
  set_tests_properties(${name} PROPERTIES
    # Leak checking stays off: fontconfig and Qt's platform plugins keep
    # process-lifetime allocations that LeakSanitizer reports at exit.
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TORVANE_CODEPAGE=UTF-8;ASAN_OPTIONS=detect_leaks=0"
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    TIMEOUT 600)
endfunction()
