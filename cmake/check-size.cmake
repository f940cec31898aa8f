# Fails when FILE is larger than MAX_BYTES. Usage: cmake -DFILE=PATH -DMAX_BYTES=N -P this
file(SIZE "${FILE}" bytes)
if(bytes GREATER MAX_BYTES)
    message(FATAL_ERROR "${FILE} has ${bytes} bytes, more than ${MAX_BYTES}")
endif()
message(STATUS "${FILE}: ${bytes} bytes, at most ${MAX_BYTES}")
