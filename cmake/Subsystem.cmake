# tw_subsystem(NAME [NO_QT] [FROM DIR FILES stem...] [CORE core...] [CORE_QT module...]
#              [UI lib...] [UI_QT module...])
# Builds tw_NAME (logic) from src/NAME/**.cpp outside ui/, and tw_NAME_ui (windows) from
# src/NAME/ui/*.cpp. Either may be empty.
#   CORE   other subsystems' core libraries the logic uses (common, isa, ...)
#   UI     libraries the windows use besides their own core (workspace_ui, common_ui, assembler...)
#   NO_QT  the logic links no Qt at all (the instruction tables, the plain file access, the
#          disassemblers, the simulator's CPU): it may only name NO_QT cores, which this function
#          checks. Its .cpp files see no Qt folder, so the compiler refuses a Qt header there; the
#          ctest check architecture.IncludeBoundaries (cmake/CheckIncludes.cmake) refuses, in any
#          of its files, a Qt Core header or one named as a Qt class or module, and a header of a
#          library it does not name
#   CORE_QT Qt modules the logic needs besides Core (Sql for the subroutine libraries, SerialPort
#          for the links)
#   UI_QT  Qt modules the windows need besides Core, Gui, Widgets and PrintSupport
#   FROM DIR FILES stem...  a part of another subsystem's logic as a library of its own (no
#          windows): tw_NAME is built from src/DIR/<stem>.cpp and .h, which keep their include
#          names "DIR/<stem>.h". It comes before DIR's own tw_subsystem(), which leaves those files
#          out and names NAME after CORE. A file a part includes must be one of its stems: its
#          view holds no other file of DIR.
#
# Boundaries are enforced by the include paths: a library sees no src/ root, only an include
# view per library it links (build/include-views/<library>/NAME/... symlinks into src/NAME).
# A core view holds everything of src/NAME but ui/; a window view holds src/NAME/ui only. So a
# header of a library that is not linked cannot be found and the compiler stops. Where it never
# looks (a quoted include found beside the including file, a window module's header reached
# through Qt's root folder, a header compiled only within other libraries' files), the ctest check
# does, holding every file to what its own library links (docs/ARCHITECTURE.md, "What may include
# what").
set(TW_ALL_LIBRARIES "")
set(TW_NO_QT_SUBSYSTEMS "")
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

# A static library of the sources, or an interface library (deps and view only) when they hold
# nothing to compile. One without Qt (NO_QT after the view) runs no Qt tool: no moc, no rcc.
function(_tw_library target sources deps view)
  set(cpp ${sources})
  list(FILTER cpp INCLUDE REGEX "\\.cpp$")
  if(cpp)
    add_library(${target} STATIC ${sources})
    if(NO_QT IN_LIST ARGN)
      set_target_properties(${target} PROPERTIES AUTOMOC OFF AUTORCC OFF)
    endif()
    # The test driver's modules (tests/CMakeLists.txt) are shared objects built from them. No
    # function of ours is replaced from outside, so calls between them stay direct and inlinable.
    set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
    target_compile_options(${target} PRIVATE -fno-semantic-interposition)
    target_link_libraries(${target} PUBLIC ${deps})
    target_include_directories(${target} PUBLIC ${view})
    tw_target_options(${target})
  else()
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE ${deps})
    target_include_directories(${target} INTERFACE ${view})
  endif()
endfunction()

# The files src/DIR/<stem>.h and .cpp of a part; each stem must name at least one.
function(_tw_part_files dir stems out)
  set(files "")
  foreach(stem IN LISTS stems)
    file(GLOB found ${dir}/${stem}.h ${dir}/${stem}.cpp)
    if(NOT found)
      message(FATAL_ERROR "tw_subsystem FILES: neither ${dir}/${stem}.h nor .cpp is there")
    endif()
    list(APPEND files ${found})
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

function(tw_subsystem name)
  cmake_parse_arguments(ARG "NO_QT" "FROM" "FILES;CORE;CORE_QT;UI;UI_QT" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "tw_subsystem(${name}): unknown arguments ${ARG_UNPARSED_ARGUMENTS}; "
      "the logic's libraries go after CORE (e.g. CORE common isa), the windows' after UI "
      "(e.g. UI workspace_ui common_ui assembler)")
  endif()
  if(ARG_NO_QT)
    foreach(core IN LISTS ARG_CORE)
      if(NOT core IN_LIST TW_NO_QT_SUBSYSTEMS)
        message(FATAL_ERROR "tw_subsystem(${name} NO_QT): its core ${core} links Qt (or is declared later)")
      endif()
    endforeach()
    if(ARG_CORE_QT)
      message(FATAL_ERROR "tw_subsystem(${name} NO_QT): CORE_QT ${ARG_CORE_QT} makes it link Qt")
    endif()
    set(TW_NO_QT_SUBSYSTEMS ${TW_NO_QT_SUBSYSTEMS} ${name} PARENT_SCOPE)
  endif()
  list(TRANSFORM ARG_CORE_QT PREPEND Qt6::)
  list(TRANSFORM ARG_UI_QT PREPEND Qt6::)
  list(TRANSFORM ARG_UI PREPEND tw_)
  set(cores ${ARG_CORE})
  list(TRANSFORM cores PREPEND tw_)
  set(core_deps ${ARG_CORE_QT} ${cores})
  set(no_qt "")
  if(ARG_NO_QT)
    set(no_qt NO_QT)
  else()
    list(PREPEND core_deps Qt6::Core)
  endif()
  set(core_view ${TW_VIEW_ROOT}/tw_${name})

  if(ARG_FROM OR ARG_FILES)
    if(NOT ARG_FROM OR NOT ARG_FILES OR ARG_UI OR ARG_UI_QT)
      message(FATAL_ERROR "tw_subsystem(${name}): a part names its folder after FROM and its files "
        "after FILES, and has no windows")
    endif()
    if(TARGET tw_${ARG_FROM})
      message(FATAL_ERROR "tw_subsystem(${name} FROM ${ARG_FROM}): declare it before ${ARG_FROM}")
    endif()
    _tw_part_files(${CMAKE_SOURCE_DIR}/src/${ARG_FROM} "${ARG_FILES}" part_files)
    set(TW_PART_FILES_${ARG_FROM} ${TW_PART_FILES_${ARG_FROM}} ${part_files} PARENT_SCOPE)
    set(TW_PARTS_OF_${ARG_FROM} ${TW_PARTS_OF_${ARG_FROM}} ${name} PARENT_SCOPE)
    _tw_make_view(${core_view} ${ARG_FROM} "${part_files}")
    list(FILTER part_files INCLUDE REGEX "\\.cpp$")
    _tw_library(tw_${name} "${part_files}" "${core_deps}" ${core_view} ${no_qt})
    set(TW_ALL_LIBRARIES ${TW_ALL_LIBRARIES} tw_${name} PARENT_SCOPE)
    return()
  endif()
  foreach(part IN LISTS TW_PARTS_OF_${name})
    if(NOT part IN_LIST ARG_CORE)
      message(FATAL_ERROR "tw_subsystem(${name}): its part ${part} goes after CORE")
    endif()
  endforeach()

  set(dir ${CMAKE_SOURCE_DIR}/src/${name})
  file(GLOB_RECURSE core_sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  list(FILTER core_sources EXCLUDE REGEX "/ui/")
  file(GLOB_RECURSE ui_sources CONFIGURE_DEPENDS ${dir}/ui/*.cpp ${dir}/ui/*.h ${dir}/ui/*.qrc)
  # Top-level entries make the core view; re-globbed so new files and folders appear in it.
  file(GLOB top_entries LIST_DIRECTORIES true CONFIGURE_DEPENDS ${dir}/*)
  list(FILTER top_entries EXCLUDE REGEX "/ui$")
  # The files of its parts are theirs, in their views.
  foreach(part_file IN LISTS TW_PART_FILES_${name})
    list(REMOVE_ITEM core_sources ${part_file})
    list(REMOVE_ITEM top_entries ${part_file})
  endforeach()

  set(ui_view ${TW_VIEW_ROOT}/tw_${name}_ui)
  _tw_make_view(${core_view} ${name} "${top_entries}")
  if(EXISTS ${dir}/ui)
    _tw_make_view(${ui_view} ${name} "${dir}/ui")
  else()
    file(MAKE_DIRECTORY ${ui_view})
  endif()
  set(ui_deps Qt6::Core Qt6::Gui Qt6::Widgets Qt6::PrintSupport tw_${name} ${ARG_UI_QT} ${ARG_UI})

  list(FILTER core_sources INCLUDE REGEX "\\.cpp$")
  _tw_library(tw_${name} "${core_sources}" "${core_deps}" ${core_view} ${no_qt})
  _tw_library(tw_${name}_ui "${ui_sources}" "${ui_deps}" ${ui_view})

  set(TW_ALL_LIBRARIES ${TW_ALL_LIBRARIES} tw_${name}_ui tw_${name} PARENT_SCOPE)
endfunction()
