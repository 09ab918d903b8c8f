# The D-Bus power source against python3-dbusmock's upower template on a private bus (each
# run gets its own bus and mock).
add_executable(power_dbus_tests platform/linux/test_upower_source.cpp)
target_link_libraries(power_dbus_tests PRIVATE orvane_fakes orvane_linux Qt6::Test GTest::gtest)
target_compile_definitions(power_dbus_tests PRIVATE
  ORVANE_TESTS_DIR="${CMAKE_CURRENT_SOURCE_DIR}")

set(power_tests $<TARGET_FILE:power_dbus_tests>)
orvane_test(power.dbus.upower LABELS dbus TIMEOUT 60
  COMMAND ${mock_run} --battery 85:7530 -- ${power_tests} --gtest_filter=UPowerMock.*)
orvane_test(power.dbus.no_battery LABELS dbus TIMEOUT 60
  COMMAND ${mock_run} --no-battery -- ${power_tests} --gtest_filter=NoBattery.*)
orvane_test(power.dbus.no_upower LABELS dbus TIMEOUT 60
  COMMAND ${mock_run} --no-upower -- ${power_tests} --gtest_filter=NoUPower.*:SysfsSource.*)
orvane_test(power.dbus.upower_down LABELS dbus TIMEOUT 60
  COMMAND ${mock_run} --upower-activatable -- ${power_tests} --gtest_filter=UPowerDown.*)
