# Installs the build into a scratch prefix and checks that the desktop integration arrived.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "install failed: ${result}")
endif()
foreach(file
    bin/tessary
    share/applications/tessary.desktop
    share/mime/packages/tessary.xml
    share/icons/hicolor/scalable/apps/tessary.svg)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
