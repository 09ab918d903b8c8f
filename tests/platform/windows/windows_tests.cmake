# The Win32 backend against the real Win32 API, under Wine: the registry through the store's
# contract, the power status with injected answers and posted WM_POWERBROADCAST messages, the
# named mutex across two processes, links through associations made in Wine's registry.
add_executable(windows_tests
  platform/windows/test_registry.cpp
  platform/windows/test_power_and_session.cpp
  platform/windows/test_instance_and_links.cpp
)
target_link_libraries(windows_tests PRIVATE orvane_windows orvane_fakes settings_contract GTest::gtest)

orvane_test(windows COMMAND windows_tests TIMEOUT 300)
# The logic again in a German locale, where "," is the decimal separator.
orvane_test(core.german COMMAND core_tests TIMEOUT 300
  ENVIRONMENT "ORVANE_TEST_LOCALE=German_Germany.1252")

if(CMAKE_CROSSCOMPILING)
  # Under Wine, in a prefix of this build's own that the last test removes.
  set(prefix ${CMAKE_BINARY_DIR}/wineprefix)
  set(wine_prefix ${CMAKE_CURRENT_SOURCE_DIR}/platform/windows/wine-prefix.sh)
  orvane_test(wine.prefix COMMAND ${wine_prefix} create ${prefix} TIMEOUT 300
    PROPERTIES FIXTURES_SETUP wine)
  orvane_test(wine.remove COMMAND ${wine_prefix} remove ${prefix} PROPERTIES FIXTURES_CLEANUP wine)
  set_tests_properties(core windows core.german PROPERTIES FIXTURES_REQUIRED wine LABELS wine
    ENVIRONMENT_MODIFICATION "ORVANE_WINEPREFIX=set:${prefix}")
endif()
