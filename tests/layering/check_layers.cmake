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
  # Refused by the linker, or before it for want of the higher layer's header; any other error
  # would prove nothing.
  if(NOT out MATCHES "undefined reference to `tarvella::" AND
     NOT out MATCHES "fatal error: [a-z]+/[a-z_]+\\.h: No such file or directory")
    message(FATAL_ERROR "probe ${name} failed, but not for its layer:\n${out}")
  endif()
endforeach()
