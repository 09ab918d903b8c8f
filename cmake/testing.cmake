# How every test is registered.

# orvane_test(NAME COMMAND cmd... [LABELS label...] [TIMEOUT seconds] [ENVIRONMENT var=value...]
#             [OFFSCREEN] [PROPERTIES property value...])
# A test that finds a tool it needs missing exits 77: a skip, not a failure. OFFSCREEN runs Qt
# on its offscreen platform with that platform's own chatter silenced.
function(orvane_test name)
  cmake_parse_arguments(PARSE_ARGV 1 T "OFFSCREEN" "TIMEOUT" "COMMAND;LABELS;ENVIRONMENT;PROPERTIES")
  add_test(NAME ${name} COMMAND ${T_COMMAND})
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 ${T_PROPERTIES})
  if(T_OFFSCREEN)
    list(APPEND T_ENVIRONMENT "QT_QPA_PLATFORM=offscreen" "QT_LOGGING_RULES=qt.qpa.*=false")
  endif()
  # One call each: their values are lists.
  foreach(property LABELS TIMEOUT ENVIRONMENT)
    if(T_${property})
      set_tests_properties(${name} PROPERTIES ${property} "${T_${property}}")
    endif()
  endforeach()
endfunction()

# orvane_gtest(TARGET PREFIX prefix SOURCES file... LIBS library...): a GoogleTest program whose
# every case is a test named PREFIX.Suite.Case. Cross-built, the whole program is the one test
# PREFIX: discovering every case would start the emulator once per case.
function(orvane_gtest target)
  cmake_parse_arguments(PARSE_ARGV 1 T "" "PREFIX" "SOURCES;LIBS")
  add_executable(${target} ${T_SOURCES})
  target_link_libraries(${target} PRIVATE ${T_LIBS})
  if(CMAKE_CROSSCOMPILING)
    orvane_test(${T_PREFIX} COMMAND ${target})
    return()
  endif()
  # Parameters are pointers here: printed in the name, they would change it at every build.
  gtest_discover_tests(${target} TEST_PREFIX "${T_PREFIX}." DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES)
endfunction()
