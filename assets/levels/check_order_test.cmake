# The journey check against made-up reports: a curve that holds passes, and a
# wall, a level finished more often than the one before and a last level
# outside its share each fail with their own message.
# Run with cmake -P and -DCHECK=check_order.cmake -DWORK=a scratch folder.

# Writes reports for levels of these finish shares and walls, 80 s for the
# first and 200 s for the rest, and runs the check on them.
function(check_journey name finishes walls)
  set(reports "")
  set(number 0)
  foreach(finish wall IN ZIP_LISTS finishes walls)
    math(EXPR number "${number} + 1")
    set(length 200.0)
    if(number EQUAL 1)
      set(length 80.0)
    endif()
    set(report ${WORK}/${name}-${number}.model)
    file(WRITE ${report} "plays 1000\nlength_seconds ${length}\nfinish_share ${finish}\n"
      "ends 0-499 3\nwall_share ${wall} columns 400-499\n")
    list(APPEND reports ${report})
  endforeach()
  execute_process(COMMAND ${CMAKE_COMMAND} "-DREPORTS=${reports}" -DSLACK=0.02 -DMODEL=made-up
    -P ${CHECK} RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE said)
  set(${name}_failed ${failed} PARENT_SCOPE)
  set(${name}_said "${said}" PARENT_SCOPE)
endfunction()

check_journey(good "0.95;0.50;0.10" "0.01;0.33;0.90")
if(good_failed)
  message(FATAL_ERROR "a curve that holds failed: ${good_said}")
endif()
check_journey(wall "0.95;0.50;0.10" "0.01;0.34;0.10")
check_journey(order "0.95;0.50;0.53;0.10" "0.01;0.10;0.10;0.10")
check_journey(last "0.95;0.50;0.25" "0.01;0.10;0.10")
foreach(case wall order last)
  if(NOT ${case}_failed)
    message(FATAL_ERROR "the ${case} case passed")
  endif()
endforeach()
if(NOT wall_said MATCHES "level 2: columns 400-499 end 0.34 of the plays"
   OR NOT order_said MATCHES "level 3 is finished by more plays than level 2"
   OR NOT last_said MATCHES "level 3 is finished by 0.25, not 0.03-0.2")
  message(FATAL_ERROR "wrong messages:\n${wall_said}\n${order_said}\n${last_said}")
endif()
