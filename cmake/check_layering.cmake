# Run by the layering test: with each module's include path, preprocesses one header of every module
# and expects success exactly when the module may use that one (RuvoModules.cmake), or borrows that
# header; a refused header must fail for being not found, not for anything else.
# Arguments: CXX, SOURCE_DIR, PATHS (the include paths the build generated), WORK_DIR.
cmake_minimum_required(VERSION 3.25)

include(${SOURCE_DIR}/cmake/RuvoModules.cmake)
include(${PATHS})
file(MAKE_DIRECTORY ${WORK_DIR})

set(failures 0)
foreach(module IN LISTS RUVO_MODULES)
  set(flags "")
  foreach(dir IN LISTS dirs_${module})
    if(dir AND NOT dir IN_LIST implicit_dirs)
      list(APPEND flags -I${dir})
    endif()
  endforeach()
  foreach(other IN LISTS RUVO_MODULES)
    file(GLOB headers RELATIVE ${SOURCE_DIR}/src ${SOURCE_DIR}/src/${other}/*.h)
    list(SORT headers)
    list(GET headers 0 header)
    set(probe ${WORK_DIR}/${module}_includes_${other}.cpp)
    file(WRITE ${probe} "#include \"${header}\"\n")
    # -fPIC: Qt's headers refuse position-dependent code.
    execute_process(COMMAND ${CXX} -std=c++20 -fPIC -E -o /dev/null ${flags} ${probe}
                    RESULT_VARIABLE status ERROR_VARIABLE errors)
    if(other STREQUAL module OR other IN_LIST RUVO_USES_${module} OR header IN_LIST borrowed_${module})
      if(NOT status EQUAL 0)
        message(SEND_ERROR "${module} cannot include ${header}:\n${errors}")
        math(EXPR failures "${failures} + 1")
      endif()
    elseif(status EQUAL 0)
      message(SEND_ERROR "${module} may not use ${other}, yet includes ${header}")
      math(EXPR failures "${failures} + 1")
    elseif(NOT errors MATCHES "${header}(: No such file|' file not found)")  # g++, clang++
      message(SEND_ERROR "${module} including ${header} failed otherwise than not finding it:\n${errors}")
      math(EXPR failures "${failures} + 1")
    endif()
  endforeach()
endforeach()
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} include(s) break the module layering")
endif()
