# cmake -DCHECK=<CheckIncludes.cmake> -DQT_HEADER_DIRS=<...> -DSCRATCH=<folder>
#       -P IncludeCheckTest.cmake
# The include check against a small tree of its own, one broken line at a time: each spelling a
# logic file could reach windows by, or a library without Qt could reach Qt or an unnamed library
# by, is refused with the file and line named, and what windows and src/app may include is not.
cmake_minimum_required(VERSION 3.25)
# Failures are lines of a text: a broken line may hold ";", "[" or "]".
set(failures "")

# A logic file of links whose fourth line is the one tried.
function(write_tree fourth_line)
  file(REMOVE_RECURSE ${SCRATCH})
  file(WRITE ${SCRATCH}/CMakeLists.txt
    "tw_subsystem(base NO_QT)\n"
    "tw_subsystem(isa NO_QT)\n"
    "tw_subsystem(simulator_cpu NO_QT FROM simulator FILES Timers CORE base)\n"
    "tw_subsystem(common CORE base)\n"
    "tw_subsystem(links CORE common CORE_QT SerialPort UI workspace_ui common_ui)\n")
  file(WRITE ${SCRATCH}/src/base/Plain.h "#pragma once\n#include <string>\n#include <sys/stat.h>\n")
  file(WRITE ${SCRATCH}/src/simulator/Timers.cpp "#include \"simulator/Timers.h\"\n#include <base/Plain.h>\n")
  # links reaches base through common, and base names its own header by its bare name.
  file(WRITE ${SCRATCH}/src/links/Format.h
    "#pragma once\n#include <qstring.h>\n#include <common/Paths.h>\n#include \"base/Plain.h\"\n")
  file(WRITE ${SCRATCH}/src/base/SamePath.cpp "#include \"SamePath.h\"\n#include \"base/Plain.h\"\n")
  file(WRITE ${SCRATCH}/src/base/SamePath.h "#pragma once\n")
  file(WRITE ${SCRATCH}/src/simulator/Listing.h "#pragma once\n#include <QString>\n")
  file(WRITE ${SCRATCH}/src/links/Messages.h
    "#pragma once\n#include <QString>\n#include \"links/Format.h\"\n${fourth_line}\nnamespace tw {}\n")
  file(WRITE ${SCRATCH}/src/links/ui/SerialSenderWindow.h
    "#include <QComboBox>\n#include <QtGui/QColor>\n#include \"links/ui/Other.h\"\n#include \"links/Messages.h\"\n")
  file(WRITE ${SCRATCH}/src/app/main.cpp "#include <QApplication>\n#include \"links/ui/SerialSenderWindow.h\"\n")
endfunction()

function(run_check out_rc out_text)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${SCRATCH} "-DQT_HEADER_DIRS=${ARGN}"
                  -P ${CHECK} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(${out_rc} ${rc} PARENT_SCOPE)
  set(${out_text} "${out}${err}" PARENT_SCOPE)
endfunction()

# Each row: the line, then what the check must say of it at src/links/Messages.h:4.
set(window_code "a logic file includes window code")
set(window_qt "a logic file includes a header of Qt's Widgets, Gui or PrintSupport")
set(rows
  "#include \"links/ui/SerialSenderWindow.h\"|${window_code}"
  "#include \"ui/SerialSenderWindow.h\"|${window_code}"
  "#include \"./ui/SerialSenderWindow.h\"|${window_code}"
  "#include <links/ui/SerialSenderWindow.h>|${window_code}"
  "#include \"links//ui/SerialSenderWindow.h\"|${window_code}"
  "#include \"workspace/ui/MainWindow.h\"|${window_code}"
  "#include <QComboBox>|${window_qt}"
  "#include <QColor>|${window_qt}"
  "#include <qcolor.h>|${window_qt}"
  "  #  include <QPainter> // spaced|${window_qt}"
  "#include <QtWidgets>|${window_qt}"
  "#include <QtPrintSupport/QPrinter>|${window_qt}"
  "#include \"../common/Paths.h\"|relative path out of its folder")
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 line)
  list(GET row 1 why)
  write_tree("${line}")
  run_check(rc text ${QT_HEADER_DIRS})
  if(rc EQUAL 0 OR NOT text MATCHES "src/links/Messages.h:4: ${why}")
    string(APPEND failures "[${line}] not refused as \"${why}\" at line 4:\n${text}\n")
  endif()
endforeach()

# Lines that the check itself could misread, each alone in a sound tree: a library without Qt
# reaching another library or Qt Core through angle brackets, and a line after bytes that CMake
# reads apart from the text (outside ASCII, ";", "[", "]", "\").
function(expect_one_fault path text expected)
  write_tree("")
  file(WRITE ${SCRATCH}/${path} "${text}")
  run_check(rc text ${QT_HEADER_DIRS})
  if(rc EQUAL 0 OR NOT text MATCHES "(^|\n)${path}:${expected}" OR NOT text MATCHES "broken: 1 faults")
    set(failures "${failures}${path} not refused once as \"${expected}\":\n${text}\n" PARENT_SCOPE)
  endif()
endfunction()
set(no_link "includes what it does not link")
expect_one_fault(src/base/SamePath.cpp
  "#include \"base/SamePath.h\"\n\n#include <sys/stat.h>\n#include <common/Paths.h>\n"
  "4: tw_base ${no_link}")
expect_one_fault(src/simulator/Timers.cpp
  "#include \"simulator/Timers.h\"\n#include <cstdint>\n#include <simulator/Listing.h>\n"
  "3: tw_simulator_cpu ${no_link}")
expect_one_fault(src/simulator/Timers.cpp
  "#include \"simulator/Timers.h\"\n#include <qstring.h>\n"
  "2: a library without Qt \\(tw_simulator_cpu\\) includes Qt")
expect_one_fault(src/base/Plain.h "#pragma once\n#include <qglobal.h>\n"
  "2: a library without Qt \\(tw_base\\) includes Qt")
string(ASCII 209 213 201 171 colour_in_gbk)
expect_one_fault(src/links/SerialSender.cpp
  "// 串口发送; 见 [手册]\r\n#include \"links/SerialSender.h\"\r\n// ${colour_in_gbk}\r\nstatic const char kOdd[] = \"[;\\\\\";\r\n// 行末 \\\r\n\r\n#include <QColor> // 颜色; [注] a\\b\r\n#include <QString>\r\n"
  "7: ${window_qt}: #include <QColor> // 颜色; \\[注\\] a\\\\b\n")

# A file is held to its own library's links, whoever includes it (a header of common that names
# links, included only from links, which links common; a window header that names a library its
# line does not), and a part to its own files, however it names them. The file is named as the
# compiler finds it, with what the library's line names; no message leaves that empty.
function(expect_held path text includer expected)
  write_tree("")
  file(WRITE ${SCRATCH}/${path} "${text}")
  if(includer)
    string(REGEX REPLACE "^src/" "" include_name "${path}")
    file(APPEND ${SCRATCH}/${includer} "#include \"${include_name}\"\n")
  endif()
  run_check(rc text ${QT_HEADER_DIRS})
  if(rc EQUAL 0 OR NOT text MATCHES "(^|\n)${path}:${expected}" OR NOT text MATCHES "broken: 1 faults"
     OR text MATCHES "\\(CORE \\)")
    set(failures "${failures}${path} not refused once as \"${expected}\":\n${text}\n" PARENT_SCOPE)
  endif()
endfunction()
expect_held(src/common/Probe.h "#pragma once\n#include \"links/Format.h\"\n" src/links/Messages.h
  "2: tw_common ${no_link}: src/links/Format.h, of tw_links \\(its tw_subsystem\\(\\) line names CORE base\\)")
expect_held(src/common/Probe.h "#pragma once\n\n#include <links/Format.h>\n" src/links/Messages.h
  "3: tw_common ${no_link}: src/links/Format.h, of tw_links")
expect_held(src/links/ui/Other.h "#pragma once\n#include \"isa/Mcs51.h\"\n" src/links/ui/SerialSenderWindow.h
  "2: tw_links_ui ${no_link}: src/isa/Mcs51.h, of tw_isa \\(its tw_subsystem\\(\\) line names UI workspace_ui common_ui\\)")
expect_held(src/simulator/Timers.cpp "#include \"simulator/Timers.h\"\n#include \"Listing.h\"\n" ""
  "2: tw_simulator_cpu ${no_link}: src/simulator/Listing.h, of tw_simulator")
expect_held(src/base/Plain.h "#pragma once\n#include \"../common/Paths.h\"\n" ""
  "2: relative path out of its folder")
expect_held(src/base/Other.h "#pragma once\n#include <common/Paths.h>\n" ""
  "2: tw_base ${no_link}: src/common/Paths.h, of tw_common \\(its tw_subsystem\\(\\) line names no library\\)")

# A byte-order mark before the first line hides nothing: the line is read as any other.
string(ASCII 239 187 191 byte_order_mark)
expect_one_fault(src/links/SerialSender.cpp "${byte_order_mark}#include <QtGui/QColor>\n#include <QString>\n"
  "1: ${window_qt}: #include <QtGui/QColor>\n")
expect_one_fault(src/base/SamePath.cpp "${byte_order_mark}#include <common/Paths.h>\n"
  "1: tw_base ${no_link}")

# A line written twice is named at both places; a file of a library without Qt is held to it.
write_tree("#include <QComboBox>\n\n#include <QComboBox>")
file(WRITE ${SCRATCH}/src/base/Plain.h "#pragma once\n#include <QString>\n#include \"links/Messages.h\"\n")
run_check(rc text ${QT_HEADER_DIRS})
foreach(expected "src/links/Messages.h:4: ${window_qt}" "src/links/Messages.h:6: ${window_qt}"
                 "src/base/Plain.h:2: a library without Qt \\(tw_base\\) includes Qt"
                 "src/base/Plain.h:3: tw_base includes what it does not link")
  if(NOT text MATCHES "${expected}")
    string(APPEND failures "no [${expected}] in:\n${text}\n")
  endif()
endforeach()

# Windows and src/app include all of it; without the Qt folders the check cannot run at all.
write_tree("")
run_check(rc text ${QT_HEADER_DIRS})
if(NOT rc EQUAL 0)
  string(APPEND failures "a tree that breaks no rule was refused:\n${text}\n")
endif()
run_check(rc text "")
if(rc EQUAL 0 OR NOT text MATCHES "No header folder of QtWidgets")
  string(APPEND failures "the check ran without the Qt folders:\n${text}\n")
endif()

file(REMOVE_RECURSE ${SCRATCH})
if(failures)
  message(NOTICE "${failures}")
  message(FATAL_ERROR "The include check let a broken line through or refused a sound tree (above)")
endif()
