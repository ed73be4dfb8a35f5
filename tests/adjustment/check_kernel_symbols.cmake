# Fails when an object of the dense kernels defines an external symbol that
# is neither its kernel set nor code of its renamed Eigen namespace. Symbols
# that a sanitizer's instrumentation adds (__odr_asan.*, __asan_*, …) belong
# to the instrumented build, not to the kernels, and are passed over.
set(bad "")
foreach(obj IN LISTS OBJECTS)
  execute_process(COMMAND ${NM} --defined-only --extern-only ${obj}
                  OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${obj}")
  endif()
  string(REPLACE "\n" ";" lines "${out}")
  foreach(line IN LISTS lines)
    if(line STREQUAL "")
      continue()
    endif()
    string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" sym "${line}")
    if(sym MATCHES "KdEigen|^_ZN2kd3adj7kernels[0-9]+k[A-Z]|^DW\\.ref\\.|^__odr_asan|^__asan|^__ubsan|^__sanitizer")
      continue()
    endif()
    string(APPEND bad "${obj}: ${sym}\n")
  endforeach()
endforeach()
if(bad)
  message(FATAL_ERROR "kernel objects export shared symbols:\n${bad}")
endif()
message(STATUS "kernel objects export only their kernels")
