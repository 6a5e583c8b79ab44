# kodoban-chart: prints JSON for a chart and exits 0; an unopenable chart gives exit status 1.
if(TARGET kodoban-chart)
  add_test(NAME ChartTool.PrintsJson
    COMMAND $<TARGET_FILE:kodoban-chart> --course Oni ${CMAKE_SOURCE_DIR}/fuzz/corpus/chart_load/branch.tja)
  set_tests_properties(ChartTool.PrintsJson PROPERTIES
    PASS_REGULAR_EXPRESSION "\"has_branches\":true" LABELS chart)
  add_test(NAME ChartTool.MissingChart
    COMMAND $<TARGET_FILE:kodoban-chart> ${CMAKE_BINARY_DIR}/no-such-chart.tja)
  set_tests_properties(ChartTool.MissingChart PROPERTIES WILL_FAIL TRUE LABELS chart)
endif()
