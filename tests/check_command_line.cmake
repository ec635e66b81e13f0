# The program answers --help, --version and a wrong option without any display: DISPLAY,
# WAYLAND_DISPLAY and QT_QPA_PLATFORM are all unset for these runs.
function(run_tesra expected_rc out_has err_has)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
                          --unset=QT_QPA_PLATFORM "${PROGRAM}" ${ARGN}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 20)
  if(NOT rc EQUAL expected_rc)
    message(FATAL_ERROR "tesra ${ARGN}: exit ${rc}, expected ${expected_rc}: ${out} ${err}")
  endif()
  if(NOT out MATCHES "${out_has}" OR NOT err MATCHES "${err_has}")
    message(FATAL_ERROR "tesra ${ARGN}: standard output '${out}', standard error '${err}'")
  endif()
endfunction()

run_tesra(0 "Usage: .*FILE" "^$" --help)
run_tesra(0 "^Tesra [0-9.]+\n$" "^$" --version)
run_tesra(2 "^$" "Unknown option 'no-such-option'" --no-such-option)
run_tesra(0 "--propose <IMAGE>.*--lines <SET.lin>.*--bright" "^$" --help)
run_tesra(1 "^$" "missing.png" --propose missing.png)
run_tesra(2 "^$" "--bright goes only with --propose" --bright a.png)
# A window-less mode: the stored measurements as a table, also without any display.
run_tesra(1 "^field,lines,test_length_px.*\nspecimen,0,0,0,,,,,,\n$" "no-such-file" --fields no-such-file)
run_tesra(2 "^$" "--fields needs at least one image file" --fields)
