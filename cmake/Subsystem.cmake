# tw_subsystem(NAME [NO_QT] [CORE core...] [CORE_QT module...] [UI lib...] [UI_QT module...])
# Builds tw_NAME (logic) from src/NAME/**.cpp outside ui/, and tw_NAME_ui (windows) from
# src/NAME/ui/*.cpp. Either may be empty.
#   CORE   other subsystems' core libraries the logic uses (common, isa, ...)
#   UI     libraries the windows use besides their own core (workspace_ui, common_ui, assembler...)
#   NO_QT  the logic links no Qt at all (the instruction tables)
#   CORE_QT Qt modules the logic needs besides Core (Sql for the subroutine libraries, SerialPort
#          for the links)
#   UI_QT  Qt modules the windows need besides Core, Gui, Widgets and PrintSupport
#
# Boundaries are enforced by the include paths: a library sees no src/ root, only an include
# view per library it links (build/include-views/<library>/NAME/... symlinks into src/NAME).
# A core view holds everything of src/NAME but ui/; a window view holds src/NAME/ui only. So a
# header of a library that is not linked cannot be found and the build fails.
set(TW_ALL_LIBRARIES "")
set(TW_VIEW_ROOT ${CMAKE_BINARY_DIR}/include-views)

# Compile options every target of ours takes (set per target, not for the whole tree).
function(tw_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror=switch -Werror=return-type)
endfunction()

# Makes the include view of one library: symlinks VIEW/NAME/<entry> -> src/NAME/<entry>.
function(_tw_make_view view name entries)
  file(REMOVE_RECURSE ${view})
  file(MAKE_DIRECTORY ${view}/${name})
  foreach(entry IN LISTS entries)
    get_filename_component(base ${entry} NAME)
    file(CREATE_LINK ${entry} ${view}/${name}/${base} SYMBOLIC)
  endforeach()
endfunction()

function(tw_subsystem name)
  cmake_parse_arguments(ARG "NO_QT" "" "CORE;CORE_QT;UI;UI_QT" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "tw_subsystem(${name}): unknown arguments ${ARG_UNPARSED_ARGUMENTS}; "
      "the logic's libraries go after CORE (e.g. CORE common isa), the windows' after UI "
      "(e.g. UI workspace_ui common_ui assembler)")
  endif()
  set(dir ${CMAKE_SOURCE_DIR}/src/${name})
  file(GLOB_RECURSE core_sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  list(FILTER core_sources EXCLUDE REGEX "/ui/")
  file(GLOB_RECURSE ui_sources CONFIGURE_DEPENDS ${dir}/ui/*.cpp ${dir}/ui/*.h ${dir}/ui/*.qrc)
  # Top-level entries make the core view; re-globbed so new files and folders appear in it.
  file(GLOB top_entries LIST_DIRECTORIES true CONFIGURE_DEPENDS ${dir}/*)
  list(FILTER top_entries EXCLUDE REGEX "/ui$")

  set(core_view ${TW_VIEW_ROOT}/tw_${name})
  set(ui_view ${TW_VIEW_ROOT}/tw_${name}_ui)
  _tw_make_view(${core_view} ${name} "${top_entries}")
  if(EXISTS ${dir}/ui)
    _tw_make_view(${ui_view} ${name} "${dir}/ui")
  else()
    file(MAKE_DIRECTORY ${ui_view})
  endif()

  set(core_deps "")
  if(NOT ARG_NO_QT)
    list(APPEND core_deps Qt6::Core)
  endif()
  foreach(module IN LISTS ARG_CORE_QT)
    list(APPEND core_deps Qt6::${module})
  endforeach()
  foreach(dep IN LISTS ARG_CORE)
    list(APPEND core_deps tw_${dep})
  endforeach()
  set(ui_deps Qt6::Core Qt6::Gui Qt6::Widgets Qt6::PrintSupport tw_${name})
  foreach(module IN LISTS ARG_UI_QT)
    list(APPEND ui_deps Qt6::${module})
  endforeach()
  foreach(dep IN LISTS ARG_UI)
    list(APPEND ui_deps tw_${dep})
  endforeach()

  list(FILTER core_sources INCLUDE REGEX "\\.cpp$")
  if(core_sources)
    add_library(tw_${name} STATIC ${core_sources})
    target_link_libraries(tw_${name} PUBLIC ${core_deps})
    target_include_directories(tw_${name} PUBLIC ${core_view})
    tw_target_options(tw_${name})
  else()
    add_library(tw_${name} INTERFACE)
    target_link_libraries(tw_${name} INTERFACE ${core_deps})
    target_include_directories(tw_${name} INTERFACE ${core_view})
  endif()

  set(ui_cpp ${ui_sources})
  list(FILTER ui_cpp INCLUDE REGEX "\\.cpp$")
  if(ui_cpp)
    add_library(tw_${name}_ui STATIC ${ui_sources})
    target_link_libraries(tw_${name}_ui PUBLIC ${ui_deps})
    target_include_directories(tw_${name}_ui PUBLIC ${ui_view})
    tw_target_options(tw_${name}_ui)
  else()
    add_library(tw_${name}_ui INTERFACE)
    target_link_libraries(tw_${name}_ui INTERFACE ${ui_deps})
    target_include_directories(tw_${name}_ui INTERFACE ${ui_view})
  endif()

  set(TW_ALL_LIBRARIES ${TW_ALL_LIBRARIES} tw_${name}_ui tw_${name} PARENT_SCOPE)
endfunction()
