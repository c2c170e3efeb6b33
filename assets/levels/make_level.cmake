# Writes one level: the generator lays out the seed file's blocks, the checker
# proves that the level can be finished without mid-air jumps, and the player
# models set its "limite": the score that a share SHARE of practised players
# (a 60 ms timing error) pass.
# Each model's figures go to its report (REPORT_planner, REPORT_cautious), for
# the tests that hold the levels in order and to the overview.
# Run with cmake -P and -DGEN= -DCHECK= -DMODEL= -DSEED_FILE= -DNUMBER= -DSHARE=
# -DPLAYS= -DOUT= -DBLOCKS= -DREPORT_planner= -DREPORT_cautious=
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

# Each player model plays it; the limit is the lower of the two, so that the
# share passes it by the model that finds the level harder to score on.
set(limit "")
foreach(model planner cautious)
  execute_process(
    COMMAND ${MODEL} ${partial} --model ${model} --plays ${PLAYS} --sigma 60
      --limit-share ${SHARE} --blocks ${BLOCKS}
    RESULT_VARIABLE status OUTPUT_VARIABLE report)
  if(NOT status EQUAL 0 OR NOT report MATCHES "\nlimite (-?[0-9]+)")
    file(REMOVE ${partial})
    message(FATAL_ERROR "level_model --model ${model} gave no limit for level ${NUMBER}:\n${report}")
  endif()
  set(model_limit ${CMAKE_MATCH_1})
  if(limit STREQUAL "" OR model_limit LESS limit)
    set(limit ${model_limit})
  endif()
  string(REGEX MATCH "finish_share [0-9.]+" finish "${report}")
  string(REGEX MATCH "wall_share [0-9.]+ columns [0-9-]+" wall "${report}")
  message(STATUS "level ${NUMBER}, ${model}: ${finish}, ${wall}, limite ${model_limit}")
  file(WRITE ${REPORT_${model}} "${report}")
endforeach()
file(APPEND ${partial} "limite ${limit}\n")
file(RENAME ${partial} ${OUT})
