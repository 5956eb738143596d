# `tessary -p missing.tsy` must end on its own, without a display, with exit code 1 and a
# message naming the document: not crash, not hang, not succeed.
set(ENV{QT_QPA_PLATFORM} "")
execute_process(COMMAND ${PROGRAM} -p missing.tsy
                RESULT_VARIABLE result ERROR_VARIABLE errors TIMEOUT 60)
if(NOT result STREQUAL "1")
  message(FATAL_ERROR "exit code ${result}, expected 1\n${errors}")
endif()
if(NOT errors MATCHES "missing.tsy")
  message(FATAL_ERROR "no message naming the document:\n${errors}")
endif()
