# The Linux backend's Qt-free part: the settings store's file, the start-up entries, the
# one-instance lock (tests in their own temporary folders, forking helper processes for the
# crash and locking cases), and the pure reading of sysfs and UPower's values.
add_executable(store_tests
  ${CMAKE_CURRENT_LIST_DIR}/test_reg_document.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_reg_file_backend.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_autostart_and_lock.cpp
)
target_link_libraries(store_tests PRIVATE orvane_fakes orvane_posix settings_contract GTest::gtest_main)
gtest_discover_tests(store_tests TEST_PREFIX "store." DISCOVERY_MODE PRE_TEST)

add_executable(power_unit_tests ${CMAKE_CURRENT_LIST_DIR}/test_power_readings.cpp)
target_link_libraries(power_unit_tests PRIVATE orvane_fakes orvane_posix GTest::gtest_main)
gtest_discover_tests(power_unit_tests TEST_PREFIX "power." DISCOVERY_MODE PRE_TEST)
