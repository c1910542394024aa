# The release the build makes, read from the top entry of
# packaging/debian/changelog, so that the packages, the Windows version
# resources, the manual pages and the AppStream release carry one version and
# one date:
#   VEXARO_VERSION          upstream version, 1.0.0
#   VEXARO_DEBIAN_REVISION  the Debian revision after the "-", 2
#   VEXARO_RELEASE_EPOCH    the entry's date in seconds since 1970 (UTC),
#                           for SOURCE_DATE_EPOCH
#   VEXARO_RELEASE_DATE     the same date as YYYY-MM-DD
# Read by the top CMakeLists.txt before project(), which takes the version
# from here: the one place it is set.
cmake_path(GET CMAKE_CURRENT_LIST_DIR PARENT_PATH vexaro_source)
set(VEXARO_CHANGELOG ${vexaro_source}/packaging/debian/changelog)
unset(vexaro_source)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VEXARO_CHANGELOG})
file(STRINGS ${VEXARO_CHANGELOG} changelog_lines)

list(GET changelog_lines 0 changelog_head)
if(NOT changelog_head MATCHES "^[a-z0-9.+-]+ \\(([0-9]+\\.[0-9]+\\.[0-9]+)-([0-9]+)\\) ")
  message(FATAL_ERROR "${VEXARO_CHANGELOG}: the first line \"${changelog_head}\" does not read "
                      "\"vexaro (X.Y.Z-N) ...\"")
endif()
set(VEXARO_VERSION ${CMAKE_MATCH_1})
set(VEXARO_DEBIAN_REVISION ${CMAKE_MATCH_2})

# The entry's trailer, " -- Name <mail>  Tue, 08 Dec 2026 01:00:00 +0000":
# its day, month and year, counted into days since 1970 here rather than by a
# date program, which Windows build machines lack.
foreach(line IN LISTS changelog_lines)
  if(line MATCHES "^ -- .*  [A-Z][a-z][a-z], ([0-9][0-9]?) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ([0-9][0-9]):([0-9][0-9]):([0-9][0-9]) \\+0000$")
    break()
  endif()
endforeach()
if(NOT CMAKE_MATCH_3)
  message(FATAL_ERROR "${VEXARO_CHANGELOG}: the first entry has no trailer line with a date in UTC "
                      "(\" -- Name <mail>  Tue, 08 Dec 2026 01:00:00 +0000\")")
endif()
set(day ${CMAKE_MATCH_1})
set(year ${CMAKE_MATCH_3})
math(EXPR seconds_of_day "${CMAKE_MATCH_4} * 3600 + ${CMAKE_MATCH_5} * 60 + ${CMAKE_MATCH_6}")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months ${CMAKE_MATCH_2} month_index)
if(month_index LESS 0)
  message(FATAL_ERROR "${VEXARO_CHANGELOG}: \"${CMAKE_MATCH_2}\" is no month")
endif()
math(EXPR month "${month_index} + 1")
# Days from the civil date (the proleptic Gregorian calendar), March-based
# years so that the leap day comes last.
if(month GREATER 2)
  set(y ${year})
  math(EXPR march_month "${month} - 3")
else()
  math(EXPR y "${year} - 1")
  math(EXPR march_month "${month} + 9")
endif()
math(EXPR era "${y} / 400")
math(EXPR year_of_era "${y} - ${era} * 400")
math(EXPR day_of_year "(153 * ${march_month} + 2) / 5 + ${day} - 1")
math(EXPR day_of_era "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
math(EXPR days "${era} * 146097 + ${day_of_era} - 719468")
math(EXPR VEXARO_RELEASE_EPOCH "${days} * 86400 + ${seconds_of_day}")
if(month LESS 10)
  set(month 0${month})
endif()
if(day LESS 10 AND NOT day MATCHES "^0")
  set(day 0${day})
endif()
set(VEXARO_RELEASE_DATE ${year}-${month}-${day})
unset(day)
unset(year)
unset(month)
