# Checks every #include of the program's sources against the layers:
#   cmake -DSOURCE_DIR=src -DQT_INCLUDE_ROOT=<Qt's include folder>
#         [-DSTAMP=file] -P cmake/CheckLayers.cmake
# A layer may include its own headers and those of the layers below it, and
# the headers of the Qt modules it may use. Fails naming every include that
# breaks the rule; writes STAMP when there is none.

cmake_minimum_required(VERSION 3.25)

# layer folder (under src/) | the folders it may include | its Qt modules
set(LAYER_RULES
  "jetsql|jetsql|QtCore"
  "platform/core|platform/core|QtCore"
  "access|access|QtCore"
  "records|records jetsql platform/core|QtCore QtSql"
  "safekeeping|safekeeping access records jetsql platform/core|QtCore"
  "platform|platform platform/core|QtCore QtGui QtWidgets"
  "caseform|caseform records jetsql platform platform/core|QtCore QtGui QtWidgets"
  "find|find caseform records jetsql platform platform/core|QtCore QtGui QtWidgets"
  "print|print records jetsql platform platform/core|QtCore QtGui QtWidgets QtPrintSupport"
  "browser|browser safekeeping access records jetsql platform platform/core|QtCore QtGui QtWidgets"
  "deadlines|deadlines print records jetsql platform platform/core|QtCore QtGui QtWidgets"
  "session|session caseform safekeeping access records jetsql platform/core|QtCore"
  "commands|commands session caseform print browser safekeeping access records jetsql platform platform/core|QtCore QtGui QtWidgets QtPrintSupport"
  "app|app commands session caseform find deadlines print browser safekeeping access records jetsql platform platform/core|QtCore QtGui QtWidgets QtSql QtPrintSupport")
set(QT_MODULES QtCore QtGui QtWidgets QtSql QtPrintSupport QtTest QtNetwork)

foreach(rule ${LAYER_RULES})
  string(REPLACE "|" ";" fields "${rule}")
  list(GET fields 0 layer)
  list(GET fields 1 folders)
  list(GET fields 2 modules)
  list(APPEND LAYERS ${layer})
  string(REPLACE " " ";" MAY_INCLUDE_${layer} "${folders}")
  string(REPLACE " " ";" MAY_USE_${layer} "${modules}")
endforeach()

# The layer a path under src/ belongs to: its longest layer folder.
function(layer_of path out)
  set(found "")
  foreach(layer ${LAYERS})
    string(LENGTH "${layer}" n)
    string(LENGTH "${found}" m)
    if(path MATCHES "^${layer}/" AND n GREATER m)
      set(found ${layer})
    endif()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# The Qt module that holds a header, or empty when it is none of Qt's.
function(module_of header out)
  if(header MATCHES "^(Qt[A-Za-z]+)/")
    set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
    return()
  endif()
  foreach(module ${QT_MODULES})
    if(EXISTS "${QT_INCLUDE_ROOT}/${module}/${header}")
      set(${out} ${module} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
set(faults "")
foreach(file ${files})
  layer_of(${file} layer)
  if(NOT layer)
    string(APPEND faults "\n  src/${file}: in no layer")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line ${includes})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]*)[>\"].*" "\\1;\\2" parsed "${line}")
    list(GET parsed 0 kind)
    list(GET parsed 1 header)
    if(kind STREQUAL "\"")
      layer_of(${header} target)
      if(target AND NOT target IN_LIST MAY_INCLUDE_${layer})
        string(APPEND faults "\n  src/${file}: \"${header}\" (${layer} may include only: ${MAY_INCLUDE_${layer}})")
      endif()
    else()
      module_of(${header} module)
      if(module AND NOT module IN_LIST MAY_USE_${layer})
        string(APPEND faults "\n  src/${file}: <${header}> of ${module} (${layer} may use only: ${MAY_USE_${layer}})")
      endif()
    endif()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Includes that break the layers:${faults}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()
