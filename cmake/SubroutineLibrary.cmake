# The fixed-point and floating-point subroutine libraries: a small maker of ours turns the routine
# sources in src/assistants/routines into data/zcx.db of the program folder.
add_executable(tw_subroutine_maker ${CMAKE_SOURCE_DIR}/tools/subroutine-library/SubroutineLibraryMaker.cpp)
target_link_libraries(tw_subroutine_maker PRIVATE tw_assistants)
tw_target_options(tw_subroutine_maker)

set(TW_ROUTINE_DIR ${CMAKE_SOURCE_DIR}/src/assistants/routines)
file(GLOB TW_ROUTINE_SOURCES CONFIGURE_DEPENDS ${TW_ROUTINE_DIR}/fixed/*.asm ${TW_ROUTINE_DIR}/float/*.asm)
set(TW_FIXED_LIBRARY ${CMAKE_BINARY_DIR}/data/zcx.db)
add_custom_command(OUTPUT ${TW_FIXED_LIBRARY}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/data
  COMMAND tw_subroutine_maker ${TW_FIXED_LIBRARY} ${TW_ROUTINE_DIR}/fixed ${TW_ROUTINE_DIR}/float
  DEPENDS tw_subroutine_maker ${TW_ROUTINE_SOURCES}
  COMMENT "Building the subroutine libraries"
  VERBATIM)
add_custom_target(tw_subroutine_library ALL DEPENDS ${TW_FIXED_LIBRARY})
add_dependencies(tarnwick tw_subroutine_library)
