# The settings store files and the one-instance lock. Tests work in their own temporary
# folders and fork helper processes for the crash and locking cases.
add_executable(store_tests
  ${CMAKE_CURRENT_LIST_DIR}/test_reg_file_backend.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_autostart_and_lock.cpp
)
target_link_libraries(store_tests PRIVATE orvane_fakes orvane_linux settings_contract GTest::gtest_main)
gtest_discover_tests(store_tests TEST_PREFIX "store." DISCOVERY_MODE PRE_TEST)
