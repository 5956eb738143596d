# `tessary -p missing.tsy` must end on its own, without a display, with exit code 1 and a
# message naming the document: not crash, not hang, not succeed. Also where the platform
# variable is set but empty and the display named cannot be reached.
set(ENV{QT_QPA_PLATFORM} "")
foreach(launch "" "${CMAKE_COMMAND};-E;env;QT_QPA_PLATFORM=;DISPLAY=:99")
  execute_process(COMMAND ${launch} ${PROGRAM} -p missing.tsy
                  RESULT_VARIABLE result ERROR_VARIABLE errors TIMEOUT 60)
  if(NOT result STREQUAL "1")
    message(FATAL_ERROR "${launch}: exit code ${result}, expected 1\n${errors}")
  endif()
  if(NOT errors MATCHES "missing.tsy")
    message(FATAL_ERROR "${launch}: no message naming the document:\n${errors}")
  endif()
endforeach()
