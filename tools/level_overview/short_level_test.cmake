# A 2600-column level and a blocks file full of mistakes: the picture must
# still be written, with the mistakes counted, and three strips high, not ten;
# and the marks of where plays end.
# Run with -DTOOL=level_overview -DWORK=a scratch folder.
string(REPEAT "0 " 40 sky)
string(REPEAT " 0" 38 underground)
string(REPEAT "${sky}1 1${underground}\n" 2600 columns)
file(WRITE ${WORK}/short.niv "#Collisions\n${columns}")
file(WRITE ${WORK}/short.blocks "# a note\n\ngap 2 100 140\ngap\ngap x 1 2\nGap 2 1 2\n"
  "gap 2 50 10\ngap 2 -5 10\ngap 12 1 2\ngap 2 1 99999999999\nflat 1 2 3 4\n")

# The picture's height, read from its header.
function(draw name)
  execute_process(COMMAND ${TOOL} ${WORK}/short.niv ${WORK}/${name}.png ${ARGN}
    RESULT_VARIABLE failed OUTPUT_VARIABLE said)
  if(failed OR NOT EXISTS ${WORK}/${name}.png)
    message(FATAL_ERROR "level_overview ${ARGN} failed: ${said}")
  endif()
  file(READ ${WORK}/${name}.png hex OFFSET 20 LIMIT 4 HEX)
  math(EXPR height "0x${hex}")
  set(${name} ${height} PARENT_SCOPE)
  set(${name}_said "${said}" PARENT_SCOPE)
endfunction()

draw(plain)
draw(one --columns-per-strip 10000)
draw(labelled --blocks ${WORK}/short.blocks)
draw(labelled_one --blocks ${WORK}/short.blocks --columns-per-strip 10000)
math(EXPR three "3 * ${one}")
math(EXPR three_labelled "3 * ${labelled_one}")
if(NOT plain EQUAL three OR NOT labelled EQUAL three_labelled OR NOT labelled GREATER plain)
  message(FATAL_ERROR "heights ${plain} ${one} ${labelled} ${labelled_one}: not three strips")
endif()
if(NOT labelled_said MATCHES "skipped 8 malformed")
  message(FATAL_ERROR "the eight malformed lines were not counted: ${labelled_said}")
endif()

# Where a model's plays end, marked from its report; a report without them is
# refused rather than drawn as if every play finished.
file(WRITE ${WORK}/short.model "plays 10\nends 0-499 1\nends 500-999 6\nwall_share 0.500 columns 600-699\n")
draw(ended --ends ${WORK}/short.model --ends ${WORK}/short.model)
if(NOT ended EQUAL plain)
  message(FATAL_ERROR "marking where plays end changed the picture's height: ${ended}")
endif()
file(WRITE ${WORK}/empty.model "plays 10\nfinish_share 1.000\n")
execute_process(COMMAND ${TOOL} ${WORK}/short.niv ${WORK}/refused.png --ends ${WORK}/empty.model
  RESULT_VARIABLE failed OUTPUT_VARIABLE said)
if(NOT failed OR NOT said MATCHES "no plays' ends")
  message(FATAL_ERROR "a report without ends was drawn: ${said}")
endif()
