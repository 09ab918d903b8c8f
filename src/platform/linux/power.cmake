target_sources(orvane_linux PRIVATE
  platform/linux/power_log.cpp
  platform/linux/upower_mapping.cpp
  platform/linux/upower_source.cpp
  platform/linux/sysfs_reader.cpp
  platform/linux/sysfs_source.cpp
  platform/linux/linux_power_source.cpp
)
