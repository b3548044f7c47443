// SPDX-License-Identifier: MIT
// Linux: a udev monitor of the hidraw subsystem. udev announces a node once
// its rules have run (permissions set), so an "add" means the node can be opened.
#include <fcntl.h>
#include <libudev.h>
#include <unistd.h>

#include "hid/DeviceWatch.h"
#include "hid/LogCategory.h"

namespace torvex::hid {

struct DeviceWatch::Monitor {
  udev* context = nullptr;
  udev_monitor* monitor = nullptr;
  ~Monitor() {
    if (monitor) udev_monitor_unref(monitor);
    if (context) udev_unref(context);
  }
};

DeviceWatch::DeviceWatch(const std::string& udevControl) {
  if (::access(udevControl.c_str(), F_OK) != 0) {
    qCInfo(lcHid).nospace() << "no udev daemon (no " << udevControl.c_str()
                            << "): every poll rescans";
    return;
  }
  auto m = std::make_unique<Monitor>();
  m->context = udev_new();
  if (m->context) m->monitor = udev_monitor_new_from_netlink(m->context, "udev");
  const bool ready =
      m->monitor &&
      udev_monitor_filter_add_match_subsystem_devtype(m->monitor, "hidraw", nullptr) >= 0 &&
      udev_monitor_enable_receiving(m->monitor) >= 0;
  if (!ready) {
    qCInfo(lcHid) << "no udev monitor: every poll rescans";
    return;
  }
  // A poll must never wait for an event.
  const int fd = udev_monitor_get_fd(m->monitor);
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
    qCInfo(lcHid) << "udev monitor cannot be made non-blocking: every poll rescans";
    return;
  }
  qCInfo(lcHid) << "udev monitor: polls rescan when hidraw devices come or go";
  monitor_ = std::move(m);
}

DeviceWatch::~DeviceWatch() = default;

int DeviceWatch::descriptor() const {
  return monitor_ ? udev_monitor_get_fd(monitor_->monitor) : -1;
}

bool DeviceWatch::changed() {
  bool any = first_ || !monitor_;
  first_ = false;
  if (!monitor_) return any;
  while (udev_device* d = udev_monitor_receive_device(monitor_->monitor)) {
    udev_device_unref(d);
    any = true;
  }
  return any;
}

}  // namespace torvex::hid
