# Native check of dvr-sim's safety bounds: it refuses a command line
# without an address, and exits by itself when idle and when its lifetime
# is over, so a test that crashed leaves no simulator behind.
#   cmake -DSIM=path/to/dvr-sim -P dvr_sim_bounds.cmake
execute_process(COMMAND "${SIM}" --port 8000 RESULT_VARIABLE code OUTPUT_QUIET ERROR_QUIET TIMEOUT 10)
if(NOT code EQUAL 2)
  message(FATAL_ERROR "dvr-sim without --address answered ${code}, expected 2")
endif()

string(TIMESTAMP start "%s")
execute_process(COMMAND "${SIM}" --address 127.0.77.1 --idle 1 --lifetime 60
                RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 20)
string(TIMESTAMP stop "%s")
math(EXPR took "${stop} - ${start}")
if(NOT code EQUAL 0 OR NOT out MATCHES "idle, exiting" OR took GREATER 5)
  message(FATAL_ERROR "idle exit: code ${code} after ${took} s: ${out} ${err}")
endif()

execute_process(COMMAND "${SIM}" --address 127.0.77.2 --idle 60 --lifetime 2
                RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 20)
if(NOT code EQUAL 0 OR NOT out MATCHES "lifetime over, exiting")
  message(FATAL_ERROR "lifetime exit: code ${code}: ${out} ${err}")
endif()
