# The tools say so when they can't do their job: a failed write of their output (/dev/full),
# a debug-dumps folder that doesn't exist and an inputs file that never ends exit with 1.
set(_chart ${CMAKE_SOURCE_DIR}/fuzz/corpus/chart_load/branch.tja)
set(_hostile_tool_cases
    "sim_output_full|$<TARGET_FILE:kodoban-sim> --auto ${_chart} > /dev/full"
    "sim_inputs_dev_zero|$<TARGET_FILE:kodoban-sim> --inputs /dev/zero ${_chart} > /dev/null"
    "chart_output_full|$<TARGET_FILE:kodoban-chart> ${_chart} > /dev/full"
    "chart_dumps_missing_folder|$<TARGET_FILE:kodoban-chart> --debug-dumps ${CMAKE_BINARY_DIR}/no-such-folder ${_chart} > /dev/null"
    "library_output_full|$<TARGET_FILE:kodoban-library> ${CMAKE_SOURCE_DIR}/tests/library/songs > /dev/full")
if(TARGET kodoban-sim AND TARGET kodoban-chart AND TARGET kodoban-library)
  foreach(_case ${_hostile_tool_cases})
    string(FIND "${_case}" "|" _bar)
    string(SUBSTRING "${_case}" 0 ${_bar} _name)
    math(EXPR _bar "${_bar} + 1")
    string(SUBSTRING "${_case}" ${_bar} -1 _command)
    add_test(NAME tools_exit_1.${_name}
             COMMAND sh -c "${_command}\ntest $? -eq 1"
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    set_tests_properties(tools_exit_1.${_name} PROPERTIES LABELS tools TIMEOUT 30)
  endforeach()
endif()
