# End-to-end runs of the real program (SDL's dummy video and audio, no display needed).
if(TARGET Kodoban)
  add_test(NAME e2e_auto_play COMMAND ${CMAKE_CURRENT_LIST_DIR}/auto_play.sh $<TARGET_FILE:Kodoban>)
  set_tests_properties(e2e_auto_play PROPERTIES LABELS e2e TIMEOUT 120)
endif()

# The portable install into a fresh folder, run from elsewhere.
if(TARGET Kodoban)
  add_test(NAME e2e_install COMMAND ${CMAKE_CURRENT_LIST_DIR}/install.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(e2e_install PROPERTIES LABELS e2e TIMEOUT 120)
endif()

# Save files as the game reads them, for the scripts (scripted player, crash safety, soak).
if(TARGET kb_library)
  add_executable(kodoban-save-reader ${CMAKE_CURRENT_LIST_DIR}/save_reader.cpp)
  target_link_libraries(kodoban-save-reader PRIVATE kb_library)
endif()

# Crash safety, short: a few kills around the record and save.dat writes. The full run (50
# and 50 rounds, several minutes) is `tests/e2e/crash_safety.py BUILD_DIR SAVE_READER`.
if(TARGET Kodoban AND TARGET kodoban-save-reader)
  add_test(NAME e2e_crash_safety
           COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/crash_safety.py ${CMAKE_BINARY_DIR}
                   $<TARGET_FILE:kodoban-save-reader> 4 4)
  set_tests_properties(e2e_crash_safety PROPERTIES LABELS e2e TIMEOUT 180)
endif()

# The scripted player: the whole game on a private Xvfb, driven by real X key presses and
# drops (x_player), checked against the trace, the record file and save.dat.
pkg_check_modules(KODOBAN_XTST QUIET IMPORTED_TARGET x11 xtst)
if(TARGET Kodoban AND KODOBAN_XTST_FOUND)
  add_executable(kodoban-x-player ${PROJECT_SOURCE_DIR}/bench/x_player.c)
  target_link_libraries(kodoban-x-player PRIVATE PkgConfig::KODOBAN_XTST)
  add_test(NAME e2e_scripted_player
           COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/scripted_player.py ${CMAKE_BINARY_DIR}
                   $<TARGET_FILE:kodoban-x-player> $<TARGET_FILE:kodoban-save-reader>)
  # 77: Xvfb could not start on this machine.
  set_tests_properties(e2e_scripted_player PROPERTIES LABELS e2e TIMEOUT 300 SKIP_RETURN_CODE 77)
endif()
