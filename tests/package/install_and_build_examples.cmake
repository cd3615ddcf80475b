# cmake -P script: install BUILD_DIR into WORK_DIR/prefix, check the layout,
# and build the examples in EXAMPLES_DIR on their own with
# find_package(Arkseal) against that prefix only, and run them.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGN}\n${output}")
  endif()
  set(last_output "${output}" PARENT_SCOPE)
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

foreach(file
    include/arkseal/base/wipe.h
    include/arkseal/bignum/workspace/number_system.h
    include/arkseal/crypto/stream_cipher.h
    include/arkseal/curve/key_exchange.h
    lib/cmake/Arkseal/ArksealConfig.cmake
    lib/cmake/Arkseal/ArksealConfigVersion.cmake)
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
foreach(internal include/arkseal/bignum/kernels/word_kernels.h include/arkseal/curve/curve_internal.h)
  if(EXISTS ${prefix}/${internal})
    message(FATAL_ERROR "an internal header was installed: ${internal}")
  endif()
endforeach()

# Every installed header compiles with only the prefix's include folder on
# the include path, named as a consumer names it (<arkseal/crypto/aes.h>):
# none of them reaches for a header that stayed behind.
file(GLOB_RECURSE headers RELATIVE ${prefix}/include/arkseal ${prefix}/include/arkseal/*.h)
set(all_headers ${WORK_DIR}/all_headers.cpp)
file(WRITE ${all_headers} "")
foreach(header ${headers})
  file(APPEND ${all_headers} "#include <arkseal/${header}>\n")
endforeach()
run(${CXX_COMPILER} -std=c++20 -fsyntax-only -Wall -Wextra -I${prefix}/include ${all_headers})

# Nothing of the source or build tree is visible to the examples: only the
# prefix, through the package.
function(build_example name)
  set(dir ${WORK_DIR}/${name})
  run(${CMAKE_COMMAND} -S ${EXAMPLES_DIR}/${name} -B ${dir} -G ${GENERATOR}
      -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
      -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
      "-DCMAKE_CXX_FLAGS=${CONSUMER_FLAGS}"
      "-DCMAKE_EXE_LINKER_FLAGS=${CONSUMER_FLAGS}"
      -DCMAKE_PREFIX_PATH=${prefix}
      -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)
  run(${CMAKE_COMMAND} --build ${dir} -j2)
endfunction()

build_example(key-exchange)
run(${WORK_DIR}/key-exchange/key_exchange_example demo "correct horse battery staple")
build_example(library-basics)
run(${WORK_DIR}/library-basics/library_basics_example)
if(NOT last_output MATCHES "^a3 85 e0 87 92 d2 61 f7 ce bb 02 7f 48 9d b0 \n170141183460469231731687303715884105727 is prime")
  message(FATAL_ERROR "library-basics printed:\n${last_output}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
