# One fuzz target's smoke run: a fresh copy of the committed corpus (so the
# run never adds to it), then the fuzzer for SECONDS seconds with the same
# limits as a long run. Any finding fails the test; its input is kept under
# WORK/.
#   cmake -DFUZZER=<exe> -DCORPUS=<dir> -DDICT=<file> -DWORK=<dir> -DSECONDS=<n> -P smoke_run.cmake
file(REMOVE_RECURSE ${WORK}/corpus)
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/findings)
file(GLOB seeds ${CORPUS}/*)
if(seeds)
  file(COPY ${seeds} DESTINATION ${WORK}/corpus)
endif()
set(args -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
  -dict=${DICT} -artifact_prefix=${WORK}/findings/)
execute_process(COMMAND ${FUZZER} ${args} ${WORK}/corpus RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${FUZZER} found a fault (exit ${rc}); the input is in ${WORK}/findings")
endif()
