# The D-Bus power source against python3-dbusmock's upower template on a private bus (each
# run gets its own bus and mock).
add_executable(power_dbus_tests linux/test_upower_source.cpp)
target_link_libraries(power_dbus_tests PRIVATE orvane_fakes orvane_linux Qt6::Test GTest::gtest)
target_compile_definitions(power_dbus_tests PRIVATE
  ORVANE_TESTS_DIR="${CMAKE_CURRENT_SOURCE_DIR}")

set(_power_wrap ${CMAKE_CURRENT_SOURCE_DIR}/run-with-upower-mock.sh)
add_test(NAME power.dbus.upower
  COMMAND ${_power_wrap} --battery 85:7530 -- $<TARGET_FILE:power_dbus_tests>
          --gtest_filter=UPowerMock.*)
add_test(NAME power.dbus.no_battery
  COMMAND ${_power_wrap} --no-battery -- $<TARGET_FILE:power_dbus_tests>
          --gtest_filter=NoBattery.*)
add_test(NAME power.dbus.no_upower
  COMMAND ${_power_wrap} --no-upower -- $<TARGET_FILE:power_dbus_tests>
          --gtest_filter=NoUPower.*:SysfsSource.*)
add_test(NAME power.dbus.upower_down
  COMMAND ${_power_wrap} --upower-activatable -- $<TARGET_FILE:power_dbus_tests>
          --gtest_filter=UPowerDown.*)
set_tests_properties(power.dbus.upower power.dbus.no_battery power.dbus.no_upower
  power.dbus.upower_down
  PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 60 LABELS dbus)
