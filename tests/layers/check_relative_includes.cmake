# A quoted include is looked up beside the including file first, so
# "../ui/x.h" would pass by the include roots: no source of a layer may
# step out of its folder that way.
set(offenders "")
foreach(folder core precision analysis settings evaluation plot report app cli ui adjustment)
  file(GLOB files ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(f ${files})
    file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]*\\.\\.")
    if(lines)
      list(APPEND offenders "${f}: ${lines}")
    endif()
  endforeach()
endforeach()
if(offenders)
  string(REPLACE ";" "\n" offenders "${offenders}")
  message(FATAL_ERROR "includes leaving their folder:\n${offenders}")
endif()
