# Fails when a source folder includes what its layer may not: run as
#   cmake -DSOURCE_DIR=<repo>/src -P CheckIncludes.cmake
# Each rule: a folder, then a regular expression no include line in it may match.
cmake_policy(SET CMP0057 NEW)
set(rules
  "pagefile|#include[ \t]*<Q"
  "pagefile|#include[ \t]*\"(platform|raster|pageview|resources|shell|cli)/"
  "raster|#include[ \t]*<Q"
  "raster|#include[ \t]*\"(platform/system|platform/framework|pageview|resources|shell|cli)/"
  "platform/canvas|#include[ \t]*<Q"
  "platform/canvas|#include[ \t]*\"(platform/system|platform/framework|raster|pageview|resources|shell|cli)/"
  "platform/system|#include[ \t]*<(QtWidgets|QtPrintSupport|QApplication|QWidget|QDialog|QFileDialog|QMessageBox|QPrint)"
  "platform/system|#include[ \t]*\"(platform/framework|platform/text|raster|pageview|resources|shell|cli)/"
  # Only the Qt services (qt_services below) of the system folder take Qt.
  "platform/system|#include[ \t]*<Q"
  "platform/text|#include[ \t]*<(QtWidgets|QtPrintSupport|QApplication|QWidget|QDialog|QFileDialog|QMessageBox|QPrint)"
  "platform/text|#include[ \t]*\"(platform/framework|raster|pageview|resources|shell|cli)/"
  "platform/framework|#include[ \t]*\"(raster|pageview|resources|shell|cli)/"
  "pageview|#include[ \t]*\"(resources|shell|cli)/"
  "resources|#include[ \t]*\"(shell|cli)/"
  "shell|#include[ \t]*\"cli/"
  # The tool takes one header of resources/, Version.h, the constant it prints.
  "cli|#include[ \t]*\"(platform/framework|pageview/CPLIMDispView|resources/[^V]|shell)"
  # No Qt in the tool: label text comes from its module, loaded only when labels are drawn.
  "cli|#include[ \t]*<Q"
  "cli|#include[ \t]*\"platform/(text|system/(CStringQt|CFileDialog|MessageBox|PlatformUi))"
)
# The same for single files, named by their path without the extension: the drawing pass and
# its frame lie below the framework, though the view beside them in pageview/ does not.
set(file_rules
  "pageview/PagePass|#include[ \t]*\"(platform/framework|platform/text|pageview/CPLIMDispView|resources|shell|cli)"
  "pageview/PageFrame|#include[ \t]*\"(platform/framework|platform/text|pageview/CPLIMDispView|resources|shell|cli)"
  "pageview/PagePass|#include[ \t]*<Q"
  "pageview/PageFrame|#include[ \t]*<Q"
)
# The files of platform/system that are the Qt services (library plimdisp_system_qt), left
# alone by its rule against Qt.
set(qt_services CStringQt CFileDialog MessageBox PlatformUi)

set(violations "")
foreach(rule IN LISTS rules file_rules)
  string(REPLACE "|" ";" parts "${rule}")
  list(GET parts 0 folder)
  list(SUBLIST parts 1 -1 pattern_parts)
  string(JOIN "|" pattern ${pattern_parts})
  if(rule IN_LIST file_rules)
    file(GLOB sources "${SOURCE_DIR}/${folder}.h" "${SOURCE_DIR}/${folder}.cpp")
  else()
    file(GLOB_RECURSE sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  endif()
  foreach(source IN LISTS sources)
    get_filename_component(stem "${source}" NAME_WE)
    if(folder STREQUAL "platform/system" AND pattern STREQUAL "#include[ \t]*<Q" AND
       stem IN_LIST qt_services)
      continue()
    endif()
    file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
      if(line MATCHES "${pattern}")
        file(RELATIVE_PATH name "${SOURCE_DIR}" "${source}")
        string(APPEND violations "  ${name}: ${line}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes that cross a layer the wrong way:\n${violations}")
endif()
message(STATUS "Every include keeps to its layer.")
