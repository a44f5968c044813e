# Runs the layer check on ROOT with LAYERS and compares the faults it names,
# sorted, with the lines of EXPECT.
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${ROOT} -DLAYERS=${LAYERS}
                        -P ${CMAKE_CURRENT_LIST_DIR}/../../cmake/LayerCheck.cmake
                RESULT_VARIABLE rc ERROR_VARIABLE out OUTPUT_VARIABLE out_std)
if(rc EQUAL 0)
  message(FATAL_ERROR "the check passed a tree with upward includes")
endif()
string(REGEX MATCHALL "[^\n]* includes the higher layer [^\n]*" named "${out}")
list(TRANSFORM named STRIP)
list(SORT named)
file(STRINGS ${EXPECT} expected)
list(SORT expected)
if(NOT named STREQUAL expected)
  list(JOIN named "\n" a)
  list(JOIN expected "\n" b)
  message(FATAL_ERROR "named:\n${a}\nexpected:\n${b}\noutput:\n${out}")
endif()
