# Fails when FILE is larger than LIMIT bytes.
# usage: cmake -DFILE=PATH -DLIMIT=BYTES -P SizeBudget.cmake
file(SIZE "${FILE}" size)
if(size GREATER LIMIT)
  message(FATAL_ERROR "${FILE} is ${size} bytes, over its budget of ${LIMIT}")
endif()
math(EXPR spare "${LIMIT} - ${size}")
message(STATUS "${FILE}: ${size} bytes, ${spare} under the budget")
