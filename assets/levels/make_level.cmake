# Writes one level: the generator lays it out, the checker proves that it can
# be finished and finds its best score, and the level's "limite" is set to
# PERCENT percent of that score, so that only a good run passes it.
# Run with cmake -P and -DGEN= -DCHECK= -DSEED= -DDIFFICULTY= -DNUMBER= -DPERCENT= -DOUT=
get_filename_component(folder ${OUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
set(partial ${OUT}.partial-level)

execute_process(
  COMMAND ${GEN} --seed ${SEED} --difficulty ${DIFFICULTY} --number ${NUMBER} --out ${partial}
  RESULT_VARIABLE status OUTPUT_VARIABLE report)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "level_gen failed for level ${NUMBER}:\n${report}")
endif()
message(STATUS "${report}")

# The limit comes from runs without mid-air jumps (a release and a press within
# one frame), so that it never asks for that trick.
execute_process(
  COMMAND ${CHECK} ${partial} --no-air-jumps --limit-percent ${PERCENT}
  RESULT_VARIABLE status OUTPUT_VARIABLE report)
if(NOT status EQUAL 0)
  file(REMOVE ${partial})
  message(FATAL_ERROR "level ${NUMBER} (seed ${SEED}) cannot be finished:\n${report}")
endif()
if(NOT report MATCHES "\nlimite (-?[0-9]+)")
  file(REMOVE ${partial})
  message(FATAL_ERROR "level_check gave no limit for level ${NUMBER}:\n${report}")
endif()
set(limit ${CMAKE_MATCH_1})
string(REGEX MATCH "best_score -?[0-9]+" best "${report}")
message(STATUS "level ${NUMBER}: ${best}, limite ${limit}")
file(APPEND ${partial} "limite ${limit}\n")
file(RENAME ${partial} ${OUT})
