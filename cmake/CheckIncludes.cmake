# cmake -DSOURCE_DIR=<repo> -P CheckIncludes.cmake
# The include views make a header of an unlinked library impossible to find; this check closes
# the two doors they leave open: a relative path out of a folder ("../"), and a logic file that
# reaches its own windows ("ui/...") or Qt's widget and GUI modules.
file(GLOB_RECURSE sources ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.h)
set(faults "")
foreach(file IN LISTS sources)
  file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include")
  file(RELATIVE_PATH rel ${SOURCE_DIR} ${file})
  string(REGEX MATCH "^src/[^/]+/ui/" in_ui "${rel}")
  string(REGEX MATCH "^src/app/" in_app "${rel}")
  foreach(line IN LISTS includes)
    if(line MATCHES "\"\\.\\./" OR line MATCHES "\"[^\"]*/\\.\\./")
      list(APPEND faults "${rel}: relative path out of its folder: ${line}")
    endif()
    if(NOT in_ui AND NOT in_app)
      if(line MATCHES "\"ui/" OR line MATCHES "<Qt(Widgets|Gui|PrintSupport)/"
         OR line MATCHES "<Q(Widget|Application|MainWindow|Dialog|MessageBox|FileDialog|Painter|PushButton|LineEdit|Label)>")
        list(APPEND faults "${rel}: a logic file includes window code: ${line}")
      endif()
    endif()
  endforeach()
endforeach()
if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "Include boundaries broken:\n${text}")
endif()
message(STATUS "Include boundaries hold in ${SOURCE_DIR}/src")
