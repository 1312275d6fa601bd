# One include root per module target in the build tree, holding links to the source folders of that
# module and of the modules it may use (RuvoModules.cmake), so a forbidden #include "module/x.h"
# does not compile.

include(RuvoModules)

# ruvo_header_closure(HEADER VISIBLE OUT): HEADER ("module/x.h") and every header it includes,
# directly or not, from modules outside VISIBLE.
function(ruvo_header_closure header visible out)
  set(todo ${header})
  set(closure "")
  while(todo)
    list(POP_FRONT todo next)
    if(next IN_LIST closure)
      continue()
    endif()
    list(APPEND closure ${next})
    set(path ${PROJECT_SOURCE_DIR}/src/${next})
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
    file(STRINGS ${path} includes REGEX "^#include \"[a-z_]+/[a-z_]+\\.h\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"(([a-z_]+)/[a-z_]+\\.h)\".*" "\\1;\\2" found "${line}")
      list(GET found 0 included)
      list(GET found 1 module)
      if(NOT module IN_LIST visible)
        list(APPEND todo ${included})
      endif()
    endforeach()
  endwhile()
  set(${out} ${closure} PARENT_SCOPE)
endfunction()

# ruvo_module_include_root(TARGET MODULE): gives TARGET (the library of MODULE) its own include root,
# and checks that it links no module the table forbids.
function(ruvo_module_include_root target module)
  set(visible ${module} ${RUVO_USES_${module}})
  get_target_property(links ${target} LINK_LIBRARIES)
  foreach(link IN LISTS links)
    string(REGEX REPLACE "^ruvo_" "" linked "${link}")
    if(linked IN_LIST RUVO_MODULES AND NOT linked IN_LIST visible)
      message(FATAL_ERROR "${target} links ${link}, but ${module} may use only: ${RUVO_USES_${module}}")
    endif()
  endforeach()

  set(root ${PROJECT_BINARY_DIR}/include-roots/${target})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root})
  foreach(used IN LISTS visible)
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${used} ${root}/${used} SYMBOLIC)
  endforeach()
  set(borrowed "")
  foreach(header IN LISTS RUVO_BORROWS_${module})
    ruvo_header_closure(${header} "${visible}" closure)
    list(APPEND borrowed ${closure})
  endforeach()
  foreach(header IN LISTS borrowed)
    get_filename_component(folder ${root}/${header} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${header} ${root}/${header} SYMBOLIC)
  endforeach()

  # A module sees only its own root, whatever it links. Tests, benchmarks, fuzz targets and programs
  # stand outside the table: linking a module gives them all of src/.
  set_target_properties(${target} PROPERTIES RUVO_MODULE ${module} RUVO_BORROWED "${borrowed}")
  target_include_directories(${target} PRIVATE ${root}
    INTERFACE $<$<NOT:$<BOOL:$<TARGET_PROPERTY:RUVO_MODULE>>>:${PROJECT_SOURCE_DIR}/src>)
endfunction()

# ruvo_layering_test(): a test compiling, for every pair of modules, one header of the second with
# the include path of the first; it must compile exactly when the table allows it.
function(ruvo_layering_test)
  # The compiler's own folders stay out of the flags, as in the build: -I/usr/include breaks the
  # standard library's #include_next.
  set(content "set(implicit_dirs \"${CMAKE_CXX_IMPLICIT_INCLUDE_DIRECTORIES}\")\n")
  foreach(module IN LISTS RUVO_MODULES)
    string(APPEND content "set(dirs_${module} \"$<TARGET_PROPERTY:ruvo_${module},INCLUDE_DIRECTORIES>\")\n"
           "set(borrowed_${module} \"$<TARGET_PROPERTY:ruvo_${module},RUVO_BORROWED>\")\n")
  endforeach()
  set(paths ${PROJECT_BINARY_DIR}/layering/include_paths.cmake)
  file(GENERATE OUTPUT ${paths} CONTENT "${content}")
  add_test(NAME layering
           COMMAND ${CMAKE_COMMAND} -DCXX=${CMAKE_CXX_COMPILER} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                   -DPATHS=${paths} -DWORK_DIR=${PROJECT_BINARY_DIR}/layering
                   -P ${PROJECT_SOURCE_DIR}/cmake/check_layering.cmake)
endfunction()
