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
# WINEPREFIX runs it in that Wine prefix instead of the build tree's shared one.
function(qx_add_test name)
  cmake_parse_arguments(T "" "WINEPREFIX" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  if(T_WINEPREFIX)
    add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${T_WINEPREFIX} $<TARGET_FILE:${name}>
             --gtest_brief=1)
  else()
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

# Adds the module's resource script to a target (the DLL and every Windows test program)
# and makes it rebuild when the type library or a registry script changes.
function(qx_add_module_resources target)
  set(rc ${CMAKE_SOURCE_DIR}/server/QXAPOMain.rc)
  get_property(inputs GLOBAL PROPERTY QX_RESOURCE_INPUTS)
  target_sources(${target} PRIVATE ${rc})
  # The compiled type library lives in the build tree, the scripts next to the .rc.
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${inputs}"
    INCLUDE_DIRECTORIES "${CMAKE_BINARY_DIR}/server;${CMAKE_SOURCE_DIR}/server")
  add_dependencies(${target} qx_typelib)
endfunction()
