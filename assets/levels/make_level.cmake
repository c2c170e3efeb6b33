# Writes one level: the generator lays out the seed file's blocks, the checker
# proves that the level can be finished without mid-air jumps, and the player
# model sets its "limite": the score that a share SHARE of practised players
# (a 60 ms timing error) pass.
# The model's figures go to REPORT, for the test that holds the levels in order.
# Run with cmake -P and -DGEN= -DCHECK= -DMODEL= -DSEED_FILE= -DNUMBER= -DSHARE=
# -DPLAYS= -DOUT= -DBLOCKS= -DREPORT=
get_filename_component(folder ${OUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
get_filename_component(blocks_folder ${BLOCKS} DIRECTORY)
file(MAKE_DIRECTORY ${blocks_folder})
set(partial ${OUT}.partial-level)

execute_process(
  COMMAND ${GEN} ${SEED_FILE} --out ${partial} --blocks ${BLOCKS}
  RESULT_VARIABLE status OUTPUT_VARIABLE report)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "level_gen failed for level ${NUMBER}:\n${report}")
endif()
message(STATUS "${report}")

execute_process(
  COMMAND ${CHECK} ${partial} --no-air-jumps
  RESULT_VARIABLE status OUTPUT_VARIABLE report)
if(NOT status EQUAL 0)
  file(REMOVE ${partial})
  message(FATAL_ERROR "level ${NUMBER} (${SEED_FILE}) cannot be finished:\n${report}")
endif()

execute_process(
  COMMAND ${MODEL} ${partial} --plays ${PLAYS} --sigma 60 --limit-share ${SHARE}
  RESULT_VARIABLE status OUTPUT_VARIABLE report)
if(NOT status EQUAL 0 OR NOT report MATCHES "\nlimite (-?[0-9]+)")
  file(REMOVE ${partial})
  message(FATAL_ERROR "level_model gave no limit for level ${NUMBER}:\n${report}")
endif()
set(limit ${CMAKE_MATCH_1})
string(REGEX MATCH "finish_share [0-9.]+" finish "${report}")
message(STATUS "level ${NUMBER}: ${finish}, limite ${limit}")
file(WRITE ${REPORT} "${report}")
file(APPEND ${partial} "limite ${limit}\n")
file(RENAME ${partial} ${OUT})
