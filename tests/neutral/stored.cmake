qv_add_gtest(QvStoredObjectTests
  SOURCES StoredObjectTest.cpp HeldWritesTest.cpp
  LABELS neutral)

# A reader written in another language decodes the example's file.
find_package(Python3 COMPONENTS Interpreter QUIET)
if(NOT Python3_FOUND AND NOT CMAKE_CROSSCOMPILING)
  message(FATAL_ERROR "the tests need python3 (Debian: python3); install "
          "it, or configure with -DQV_BUILD_TESTS=OFF")
endif()
if(Python3_FOUND AND TARGET qv_store_example)
  # A cross build runs the example through the tests' emulator.
  list(JOIN CMAKE_CROSSCOMPILING_EMULATOR " " qv_runner)
  add_test(NAME QvNeutral.IndependentReader
    COMMAND ${CMAKE_COMMAND} -E env
      sh -c "${qv_runner} \"$1\" \"$2\" >/dev/null && \"$3\" \"$4\" \"$2\""
      qvsh $<TARGET_FILE:qv_store_example>
      ${CMAKE_CURRENT_BINARY_DIR}/example.qnf
      ${Python3_EXECUTABLE}
      ${CMAKE_CURRENT_SOURCE_DIR}/read_example_file.py)
  set_tests_properties(QvNeutral.IndependentReader PROPERTIES LABELS neutral)
endif()

# Full disks and killed saves; mounting a tmpfs needs root.
qv_add_gtest(QvSaveCrashTests SOURCES SaveCrashTest.cpp LABELS neutral)
