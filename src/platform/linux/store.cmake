# The settings store files and the one-instance lock; plain POSIX, no Qt.
target_sources(orvane_linux PRIVATE
  platform/linux/reg_file_backend.cpp
  platform/linux/autostart_backend.cpp
  platform/linux/single_instance_lock.cpp
)
