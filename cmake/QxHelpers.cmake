# Each source folder declares its files with these two functions and then makes its one
# library with qx_folder_library:
#   qx_pure_sources(<files>)    pure C++: no Windows headers, built in both builds
#   qx_windows_sources(<files>) the rest of the folder, Windows build only
#   qx_folder_library(<name> [LINKS <libraries of the folders below>])
# The native build holds the pure files only; a folder without any there becomes an
# interface library that passes its links on.
function(qx_pure_sources)
  foreach(f ${ARGN})
    get_filename_component(path ${f} ABSOLUTE)
    set_property(DIRECTORY APPEND PROPERTY QX_PURE_FILES ${path})
  endforeach()
endfunction()

function(qx_windows_sources)
  foreach(f ${ARGN})
    get_filename_component(path ${f} ABSOLUTE)
    set_property(DIRECTORY APPEND PROPERTY QX_WINDOWS_FILES ${path})
  endforeach()
endfunction()

# Windows build: widl generates an IDL file's C++ declarations (<header>, found as
# "<folder>/<header>") and its identifier definitions into the folder's build directory;
# both become sources of the folder's library.
function(qx_idl_interfaces idl header)
  find_program(QX_WIDL widl REQUIRED)
  get_filename_component(stem ${idl} NAME_WE)
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/${idl})
  set(declarations ${CMAKE_CURRENT_BINARY_DIR}/${header})
  set(identifiers ${CMAKE_CURRENT_BINARY_DIR}/${stem}_i.c)
  add_custom_command(OUTPUT ${declarations} ${identifiers}
    COMMAND ${QX_WIDL} -m64 -h -o ${declarations} ${source}
    COMMAND ${QX_WIDL} -m64 -u -o ${identifiers} ${source}
    DEPENDS ${source} COMMENT "Generating ${header} and the identifiers of ${idl}")
  qx_windows_sources(${declarations} ${identifiers})
  set_property(DIRECTORY APPEND PROPERTY QX_GENERATED_HEADERS ${declarations})
endfunction()

function(qx_folder_library name)
  cmake_parse_arguments(L "" "" "LINKS" ${ARGN})
  get_property(sources DIRECTORY PROPERTY QX_PURE_FILES)
  if(QX_WINDOWS)
    get_property(windows_sources DIRECTORY PROPERTY QX_WINDOWS_FILES)
    list(APPEND sources ${windows_sources})
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC ${L_LINKS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${L_LINKS})
  endif()
  # Generated headers are built before anything that links the library compiles.
  get_property(generated DIRECTORY PROPERTY QX_GENERATED_HEADERS)
  if(generated)
    add_custom_target(${name}_interfaces DEPENDS ${generated})
    add_dependencies(${name} ${name}_interfaces)
    target_include_directories(${name} PUBLIC ${CMAKE_BINARY_DIR})
  endif()
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
    INCLUDE_DIRECTORIES "${CMAKE_BINARY_DIR}/frame;${CMAKE_SOURCE_DIR}/server")
  add_dependencies(${target} qx_typelib)
endfunction()
