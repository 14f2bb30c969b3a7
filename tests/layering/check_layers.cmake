# Builds each probe program; those in UPWARD must fail with an undefined symbol of the layer they
# call, those in DOWNWARD must build.
foreach(name ${DOWNWARD})
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target probe_${name}_main
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "probe ${name} calls downward and should link:\n${out}")
  endif()
endforeach()
foreach(name ${UPWARD})
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target probe_${name}_main
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(result EQUAL 0)
    message(FATAL_ERROR "probe ${name} calls upward and linked all the same")
  endif()
  # Compiled, then refused by the linker: a compile error would prove nothing.
  if(NOT out MATCHES "undefined reference to `tarvella::")
    message(FATAL_ERROR "probe ${name} failed, but not at the link:\n${out}")
  endif()
endforeach()
