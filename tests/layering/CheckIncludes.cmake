# Fails when a source folder includes what its layer may not: run as
#   cmake -DSOURCE_DIR=<repo>/src -P CheckIncludes.cmake
# Each rule: a folder, then a regular expression no include line in it may match.
set(rules
  "pagefile|#include[ \t]*<Q"
  "pagefile|#include[ \t]*\"(platform|raster|pageview|resources|shell|cli)/"
  "raster|#include[ \t]*<Q"
  "raster|#include[ \t]*\"(platform/system|platform/framework|pageview|resources|shell|cli)/"
  "platform/canvas|#include[ \t]*<Q"
  "platform/canvas|#include[ \t]*\"(platform/system|platform/framework|raster|pageview|resources|shell|cli)/"
  "platform/system|#include[ \t]*<(QtWidgets|QtPrintSupport|QApplication|QWidget|QDialog|QFileDialog|QMessageBox|QPrint)"
  "platform/system|#include[ \t]*\"(platform/framework|raster|pageview|resources|shell|cli)/"
  "platform/framework|#include[ \t]*\"(raster|pageview|resources|shell|cli)/"
  "pageview|#include[ \t]*\"(resources|shell|cli)/"
)

set(violations "")
foreach(rule IN LISTS rules)
  string(REPLACE "|" ";" parts "${rule}")
  list(GET parts 0 folder)
  list(SUBLIST parts 1 -1 pattern_parts)
  string(JOIN "|" pattern ${pattern_parts})
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(source IN LISTS sources)
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
