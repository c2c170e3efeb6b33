# Holds the levels to one journey, from one player model's report on each
# (in order): no level finished by more plays at 60 ms than the one before,
# give or take SLACK (1000 seeded plays spread a share by a point or two),
# the first finished by 90 % or more and the last by 3 to 20 %; no wall: on
# every level but the last, no 100 columns end more than a third of the
# plays; and each level at least as long as the one before, from 60-100 s
# for the first to 180-240 s for the last two.
# Run with cmake -P and -DREPORTS="first;second;..." -DSLACK= -DMODEL=name

# CMake's arithmetic is integer only: "12.5" becomes 12500 thousandths.
function(to_thousandths value out)
  if(NOT value MATCHES "^([0-9]+)\\.?([0-9]*)$")
    message(FATAL_ERROR "not a number: \"${value}\"")
  endif()
  set(whole ${CMAKE_MATCH_1})
  set(fraction "${CMAKE_MATCH_2}000")
  string(SUBSTRING "${fraction}" 0 3 fraction)
  math(EXPR result "${whole} * 1000 + 1${fraction} - 1000")
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# One figure of a report, "NAME VALUE" on a line, in thousandths.
function(report_figure text name report out)
  if(NOT text MATCHES "${name} ([0-9.]+)")
    message(FATAL_ERROR "no ${name} in ${report}")
  endif()
  set(${out}_text ${CMAKE_MATCH_1} PARENT_SCOPE)
  to_thousandths(${CMAKE_MATCH_1} value)
  set(${out} ${value} PARENT_SCOPE)
endfunction()

to_thousandths(${SLACK} slack)
list(LENGTH REPORTS count)
math(EXPR second_last "${count} - 1")
set(failures "")
set(number 0)
foreach(report ${REPORTS})
  math(EXPR number "${number} + 1")
  if(NOT EXISTS ${report})
    message(FATAL_ERROR "no model report ${report}: build the levels first")
  endif()
  file(READ ${report} text)
  report_figure("${text}" finish_share ${report} finish)
  report_figure("${text}" length_seconds ${report} length)
  report_figure("${text}" wall_share ${report} wall)
  string(REGEX MATCH "wall_share [0-9.]+ columns ([0-9]+-[0-9]+)" ignored "${text}")
  set(wall_columns ${CMAKE_MATCH_1})
  message(STATUS "level ${number}, ${MODEL}: ${length_text} s, finished by ${finish_text} "
    "at 60 ms, ${wall_text} of the plays end in columns ${wall_columns}")

  if(number GREATER 1)
    math(EXPR allowed "${previous_finish} + ${slack}")
    if(finish GREATER allowed)
      string(APPEND failures
        "level ${number} is finished by more plays than level ${previous} (${MODEL})\n")
    endif()
    if(length LESS previous_length)
      string(APPEND failures "level ${number} is shorter than level ${previous}\n")
    endif()
  endif()
  if(number LESS count AND wall GREATER 333)
    string(APPEND failures
      "level ${number}: columns ${wall_columns} end ${wall_text} of the plays (${MODEL})\n")
  endif()
  if(number EQUAL 1 AND finish LESS 900)
    string(APPEND failures "level 1 is finished by ${finish_text}, under 0.9 (${MODEL})\n")
  endif()
  if(number EQUAL count AND (finish LESS 30 OR finish GREATER 200))
    string(APPEND failures "level ${number} is finished by ${finish_text}, not 0.03-0.2 (${MODEL})\n")
  endif()
  if(number EQUAL 1 AND (length LESS 60000 OR length GREATER 100000))
    string(APPEND failures "level 1 lasts ${length_text} s, not 60-100 s\n")
  endif()
  if(number GREATER_EQUAL second_last AND (length LESS 180000 OR length GREATER 240000))
    string(APPEND failures "level ${number} lasts ${length_text} s, not 180-240 s\n")
  endif()
  set(previous ${number})
  set(previous_finish ${finish})
  set(previous_length ${length})
endforeach()
if(NOT failures STREQUAL "")
  message(FATAL_ERROR "${failures}")
endif()
