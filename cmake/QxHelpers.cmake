# Each source folder declares its files with these two functions; the top level turns
# them into the module library (Windows build) or the pure library (native build).
#   qx_pure_sources(<files>)    pure C++: no Windows headers, built in both builds
#   qx_windows_sources(<files>) the rest of the module, Windows build only
set_property(GLOBAL PROPERTY QX_PURE_FILES "")
set_property(GLOBAL PROPERTY QX_WINDOWS_FILES "")

function(qx_pure_sources)
  foreach(f ${ARGN})
    set_property(GLOBAL APPEND PROPERTY QX_PURE_FILES ${CMAKE_CURRENT_SOURCE_DIR}/${f})
  endforeach()
endfunction()

function(qx_windows_sources)
  foreach(f ${ARGN})
    set_property(GLOBAL APPEND PROPERTY QX_WINDOWS_FILES ${CMAKE_CURRENT_SOURCE_DIR}/${f})
  endforeach()
endfunction()

# Adds a GoogleTest executable run by CTest (through Wine in the Windows build).
function(qx_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()
