# The fixture of the installed_tests: `cmake --install` of the build BUILD with
# prefix /usr into the empty folder ROOT.
#   cmake -DBUILD=... -DROOT=... -P InstallScratch.cmake
file(REMOVE_RECURSE ${ROOT})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${ROOT} ${CMAKE_COMMAND} --install ${BUILD} --prefix /usr
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()
