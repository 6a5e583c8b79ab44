# End-to-end runs of the real program (SDL's dummy video and audio, no display needed).
if(TARGET Kodoban)
  add_test(NAME e2e_auto_play COMMAND ${CMAKE_CURRENT_LIST_DIR}/auto_play.sh $<TARGET_FILE:Kodoban>)
  set_tests_properties(e2e_auto_play PROPERTIES LABELS e2e TIMEOUT 120)
endif()
