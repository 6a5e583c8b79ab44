# The graphics demo draws one picture with every operation; it must run to the end headless.
if(TARGET kodoban-graphics-demo)
  add_test(NAME GraphicsDemo.DrawsEveryOperation
           COMMAND kodoban-graphics-demo ${CMAKE_BINARY_DIR}/tests/graphics_demo.png)
  set_tests_properties(GraphicsDemo.DrawsEveryOperation PROPERTIES
    ENVIRONMENT "${KODOBAN_TEST_ENV}" LABELS graphics TIMEOUT 120
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endif()
