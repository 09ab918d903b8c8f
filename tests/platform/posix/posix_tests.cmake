# The Linux backend's Qt-free part: the settings store's file, the start-up entries, the
# one-instance lock (tests in their own temporary folders, forking helper processes for the
# crash and locking cases), and the pure reading of sysfs and UPower's values.
orvane_gtest(store_tests PREFIX store
  SOURCES platform/posix/test_reg_document.cpp platform/posix/test_reg_file_backend.cpp
          platform/posix/test_autostart_and_lock.cpp
  LIBS orvane_fakes orvane_posix settings_contract GTest::gtest_main)
orvane_gtest(power_unit_tests PREFIX power SOURCES platform/posix/test_power_readings.cpp
  LIBS orvane_fakes orvane_posix GTest::gtest_main)
