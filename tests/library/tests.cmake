# kodoban-library lists a small folder of our own: a genre folder, a song and a folded song.
if(TARGET kodoban-library)
  add_test(NAME library_tool_lists_folder
           COMMAND kodoban-library ${CMAKE_SOURCE_DIR}/tests/library/songs
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  set_tests_properties(library_tool_lists_folder PROPERTIES
    ENVIRONMENT "${KODOBAN_TEST_ENV}"
    PASS_REGULAR_EXPRESSION "\"title\":\"Inner\",\"genre\":\"Inner\",\"colour\":\"#FF40A0FF\".*\"title\":\"Tool Check\",\"genre\":\"Library Check\",\"colour\":\"#FFFF8000\",\"readable\":true,\"levels\":{\"easy\":0,\"normal\":0,\"hard\":7,\"oni\":7,\"edit\":0}")
  add_test(NAME library_tool_refuses_missing_folder
           COMMAND kodoban-library ${CMAKE_BINARY_DIR}/tests/no-such-folder
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  set_tests_properties(library_tool_refuses_missing_folder PROPERTIES WILL_FAIL TRUE)
endif()
