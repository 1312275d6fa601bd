# Helpers shared by every module and test folder.

set(RUVO_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion)
if(RUVO_WERROR)
  list(APPEND RUVO_WARNINGS -Werror)
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  # clang's -Wconversion also warns on sign changes; keep the same rules as the g++ build.
  list(APPEND RUVO_WARNINGS -Wno-sign-conversion)
endif()

include(RuvoLayering)

# ruvo_library(NAME SOURCES ... DEPENDS ...): a module's static library (ruvo_MODULE, or another made
# in its src/ folder), seeing and linking only the modules it is allowed to use; any other library (a
# benchmark's) sees all of src/.
function(ruvo_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${RUVO_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  # A library's module is the src/ folder it is made in (src/plot holds ruvo_plot and ruvo_chart_model).
  file(RELATIVE_PATH module ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  if(module IN_LIST RUVO_MODULES)
    ruvo_module_include_root(${name} ${module})
  else()
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  endif()
endfunction()

# ruvo_test(NAME SOURCES ... DEPENDS ...): one GoogleTest executable per module,
# each test discovered as its own CTest entry.
function(ruvo_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_options(${name} PRIVATE ${RUVO_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} ruvo_test_support GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
