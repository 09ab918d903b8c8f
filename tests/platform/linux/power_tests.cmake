# The D-Bus power source against python3-dbusmock's upower template on a private bus (each
# run gets its own bus and mock).
add_executable(power_dbus_tests platform/linux/test_upower_source.cpp)
target_link_libraries(power_dbus_tests PRIVATE orvane_fakes orvane_linux Qt6::DBus Qt6::Test GTest::gtest)
target_compile_definitions(power_dbus_tests PRIVATE ORVANE_TESTS_DIR="${CMAKE_CURRENT_SOURCE_DIR}")

# power_test(NAME CASES MOCK-OPTIONS...): the cases under the mock those options set up.
function(power_test name cases)
  orvane_test(power.dbus.${name} LABELS dbus TIMEOUT 60
    COMMAND ${mock_run} ${ARGN} -- $<TARGET_FILE:power_dbus_tests> --gtest_filter=${cases})
endfunction()
power_test(upower UPowerMock.* --battery 85:7530)
power_test(no_upower NoUPower.* --no-upower)
power_test(upower_down UPowerDown.* --upower-activatable)
