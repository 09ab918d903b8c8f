# The D-Bus power source against python3-dbusmock's upower template on a private bus (each
# run gets its own bus and mock).
add_executable(power_dbus_tests platform/linux/test_upower_source.cpp)
target_link_libraries(power_dbus_tests PRIVATE orvane_fakes orvane_linux Qt6::Test GTest::gtest)
target_compile_definitions(power_dbus_tests PRIVATE
  ORVANE_TESTS_DIR="${CMAKE_CURRENT_SOURCE_DIR}")

foreach(case "upower;--battery 85:7530;UPowerMock.*" "no_battery;--no-battery;NoBattery.*"
             "no_upower;--no-upower;NoUPower.*:SysfsSource.*"
             "upower_down;--upower-activatable;UPowerDown.*")
  list(GET case 0 name)
  list(GET case 1 mock)
  list(GET case 2 filter)
  separate_arguments(mock)
  orvane_test(power.dbus.${name} LABELS dbus TIMEOUT 60
    COMMAND ${mock_run} ${mock} -- $<TARGET_FILE:power_dbus_tests> --gtest_filter=${filter})
endforeach()
