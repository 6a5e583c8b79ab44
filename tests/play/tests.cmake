# kodoban-sim exit statuses: 1 for an unreadable chart or inputs file, 2 for a malformed
# input line, 0 and one JSON object for a play.
if(TARGET kodoban-sim)
  set(_sim_dir ${CMAKE_CURRENT_BINARY_DIR}/play_sim)
  file(MAKE_DIRECTORY ${_sim_dir})
  file(WRITE ${_sim_dir}/song.tja "TITLE:sim\nBPM:120\nCOURSE:Oni\nLEVEL:3\n#START\n1020,\n3000,\n#END\n")
  file(WRITE ${_sim_dir}/good.txt "0 F\n1000 K 20\n\n2000 FJ\n")
  file(WRITE ${_sim_dir}/bad.txt "0 F\n500 Q\n")
  add_test(NAME play_sim_plays COMMAND kodoban-sim --inputs ${_sim_dir}/good.txt ${_sim_dir}/song.tja)
  # Every field of the JSON object, in order: the totals, then one line per judgement and
  # per note record (three Greats of three notes fill the gauge; the big don is state 7).
  set_tests_properties(play_sim_plays PROPERTIES PASS_REGULAR_EXPRESSION
    "^{\"great\":3,\"good\":0,\"bad\":0,\"roll\":0,\"combo\":3,\"max_combo\":3,\"score\":[0-9]+,\"gauge\":100,\"clear_threshold\":80,\"end_clock\":5000,
\"judgements\":\\[
{\"clock\":0,\"note\":0,\"code\":25},
{\"clock\":1000,\"note\":1,\"code\":25},
{\"clock\":2000,\"note\":2,\"code\":25}\\],
\"lanes\":\\[\\],
\"notes\":\\[
{\"state\":1,\"hits\":0},
{\"state\":1,\"hits\":0},
{\"state\":7,\"hits\":0}\\]}")
  add_test(NAME play_sim_auto COMMAND kodoban-sim --auto --course oni ${_sim_dir}/song.tja)
  set_tests_properties(play_sim_auto PROPERTIES PASS_REGULAR_EXPRESSION "\"great\":3,.*\"end_clock\":5000")
  add_test(NAME play_sim_missing_chart
    COMMAND sh -c "$<TARGET_FILE:kodoban-sim> ${_sim_dir}/missing.tja; test $? -eq 1")
  add_test(NAME play_sim_missing_inputs
    COMMAND sh -c "$<TARGET_FILE:kodoban-sim> --inputs ${_sim_dir}/missing.txt ${_sim_dir}/song.tja; test $? -eq 1")
  # A directory opens like a file but cannot be read: an unreadable inputs file, status 1.
  add_test(NAME play_sim_inputs_directory
    COMMAND sh -c "$<TARGET_FILE:kodoban-sim> --inputs ${_sim_dir} ${_sim_dir}/song.tja; test $? -eq 1")
  add_test(NAME play_sim_malformed_inputs
    COMMAND sh -c "$<TARGET_FILE:kodoban-sim> --inputs ${_sim_dir}/bad.txt ${_sim_dir}/song.tja 2>&1; test $? -eq 2")
  set_tests_properties(play_sim_malformed_inputs PROPERTIES PASS_REGULAR_EXPRESSION "bad.txt:2")
endif()
