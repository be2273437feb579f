# The programs built on the engine (the sample, the skinned demo, the viewer,
# the capture tool) and their libraries share one shape; these functions are it.

# Compiles the targets as the engine is compiled: without exceptions or RTTI.
function(ql_engine_options)
  if(NOT MSVC)
    foreach(target IN LISTS ARGN)
      target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti)
    endforeach()
  endif()
endfunction()

# ql_add_program_library(name sources... LIBS libraries...): a static library
# of a program's parts, for the program and its tests; its folder is on the
# include path of whoever links it.
function(ql_add_program_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LIBS")
  add_library(${name} STATIC ${arg_UNPARSED_ARGUMENTS})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${arg_LIBS})
  ql_engine_options(${name})
endfunction()

# Gives `target`'s build folder the project's data/, so the program finds
# ./data/... when run from there: a link, or a copy on Windows, where making
# links needs rights a build may not have.
function(ql_data_beside target)
  if(WIN32)
    set(command copy_directory)
  else()
    set(command create_symlink)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E ${command} ${PROJECT_SOURCE_DIR}/data ${CMAKE_CURRENT_BINARY_DIR}/data VERBATIM)
endfunction()

# ql_add_program(name sources... LIBS libraries...): a program on the engine,
# compiled as the engine is, that runs from its build folder with data/ beside it.
function(ql_add_program name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LIBS")
  add_executable(${name} ${arg_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${arg_LIBS})
  ql_engine_options(${name})
  ql_data_beside(${name})
endfunction()
