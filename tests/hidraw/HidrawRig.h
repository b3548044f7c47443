// SPDX-License-Identifier: MIT
#pragma once
// Emulated hidraw devices under umockdev, so that the real HidapiPlatform talks
// to them through hidapi's own Linux code: libudev, open(), ioctl() for
// feature reports, poll() and read() for input reports.
//
// Run under umockdev-wrapper, and make the rig before any HidapiPlatform: the
// platform's udev monitor must find the testbed, and is made only when given
// udevControl(). Calls reach the devices on
// umockdev's thread while the backend waits, so change a device only between
// calls of the backend.

// GLib's headers before anything of Qt's, and with QT_NO_KEYWORDS: Qt's
// `signals` macro breaks them.
#include <umockdev.h>
// clang-format off
#include <linux/hidraw.h>
// clang-format on
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QString>
#include <QTest>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <stdexcept>

#include "cli/Cli.h"
#include "hid/Config.h"
#include "hid/HidapiPlatform.h"
#include "sim/BoardFirmware.h"
#include "sim/VirtualPlatform.h"

namespace torvex::test {

// One of our boards, by the IDs the tool looks for.
inline const sim::Identity kOurBoard{DeviceVendorId, DeviceProductId};

// In the order a round of calls makes them.
enum class HidrawCall { SetFeature, GetFeature, Read, None };

struct HidrawDevice {
  sim::Identity identity;
  sim::Bytes descriptor;
  sim::BoardFirmware firmware{};           // answers feature reports
  std::size_t replyLength = 0;             // feature replies cut to this (0: whole buffer)
  HidrawCall unplugOn = HidrawCall::None;  // the next such call unplugs, and fails
  // Every feature report sent (its bytes) or read (none), with its file.
  std::vector<std::pair<const void*, sim::Bytes>> featureCalls{};
  std::vector<UMockdevIoctlClient*> files{};  // every file opened, held
  struct HidrawNode* node = nullptr;
};

// One appearance of a device under one node name; files opened on it keep
// talking to it after a re-plug has made a new one.
struct HidrawNode {
  std::mutex* mutex;
  HidrawDevice* device;
  int number;
  std::string devnode{}, usbPath{}, hidrawPath{};  // usbPath and hidrawPath in sysfs
  UMockdevIoctlBase* handler = nullptr;
  int masterFd = -1;
  bool gone = false;
  std::deque<sim::Bytes> queue{};
};

// Notes the file; the node is gone from now on if this call was to unplug it.
inline HidrawNode& Enter(gpointer data, UMockdevIoctlClient* client, HidrawCall call) {
  auto& n = *static_cast<HidrawNode*>(data);
  auto& files = n.device->files;
  if (std::find(files.begin(), files.end(), client) == files.end())
    files.push_back(static_cast<UMockdevIoctlClient*>(g_object_ref(client)));
  if (call != HidrawCall::None && n.device->unplugOn == call)
    n.gone = std::exchange(n.device->unplugOn, HidrawCall::None) == call;
  return n;
}

inline gboolean Complete(UMockdevIoctlClient* client, long result, int error = 0) {
  umockdev_ioctl_client_complete(client, result, error);
  return TRUE;
}

inline gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
  const unsigned long request = umockdev_ioctl_client_get_request(client);
  const std::size_t size = _IOC_SIZE(request);
  const bool get = request == HIDIOCGFEATURE(size), set = request == HIDIOCSFEATURE(size);
  std::lock_guard lock(*static_cast<HidrawNode*>(data)->mutex);
  HidrawNode& n =
      Enter(data, client,
            get ? HidrawCall::GetFeature : (set ? HidrawCall::SetFeature : HidrawCall::None));
  HidrawDevice& d = *n.device;
  // The caller's buffer behind the ioctl argument.
  auto* arg = umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, size, nullptr);
  if (n.gone) return Complete(client, -1, ENODEV);
  if (!arg) return Complete(client, -1, EFAULT);
  std::uint8_t* buffer = arg->data;
  if (request == HIDIOCGRDESCSIZE) {
    const int length = static_cast<int>(d.descriptor.size());
    std::memcpy(buffer, &length, sizeof length);
    return Complete(client, 0);
  }
  if (set && size > 0) {
    d.featureCalls.emplace_back(client, sim::Bytes(buffer, buffer + size));
    d.firmware.receiveFeature(d.featureCalls.back().second);
    return Complete(client, static_cast<long>(size));
  }
  if (get && size > 0) {
    d.featureCalls.emplace_back(client, sim::Bytes{});
    const sim::Bytes reply = d.firmware.featureReply(size);
    // Like the kernel, copy back only what arrived; the rest of the buffer stays as it was.
    const std::size_t length = std::min(d.replyLength > 0 ? d.replyLength : size, reply.size());
    std::memcpy(buffer, reply.data(), length);
    return Complete(client, static_cast<long>(length));
  }
  return Complete(client, -1, EINVAL);
}

inline gboolean OnRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
  std::lock_guard lock(*static_cast<HidrawNode*>(data)->mutex);
  HidrawNode& n = Enter(data, client, HidrawCall::Read);
  if (n.gone) return Complete(client, -1, EIO);
  if (n.queue.empty()) return Complete(client, -1, EAGAIN);
  const sim::Bytes report = std::move(n.queue.front());
  n.queue.pop_front();
  UMockdevIoctlData* buffer = umockdev_ioctl_client_get_arg(client);
  const std::size_t length = std::min<std::size_t>(report.size(), buffer->data_len);
  std::memcpy(buffer->data, report.data(), length);
  return Complete(client, static_cast<long>(length));
}

class HidrawRig {
 public:
  ~HidrawRig() {
    for (auto& n : nodes_) {
      umockdev_testbed_detach_ioctl(testbed_, n->devnode.c_str(), nullptr);
      g_object_unref(n->handler);
    }
    for (auto& d : devices_)
      for (auto* client : d->files) g_object_unref(client);
    g_object_unref(testbed_);
  }

  int add(sim::Identity identity = kOurBoard,
          sim::Bytes descriptor = sim::BoardReportDescriptor()) {
    std::lock_guard lock(mutex_);
    plug(*devices_.emplace_back(new HidrawDevice{std::move(identity), std::move(descriptor)}));
    return static_cast<int>(devices_.size()) - 1;
  }

  HidrawDevice& operator[](int device) { return *devices_.at(device); }

  // A file standing for the socket of a running udev daemon, made on the first
  // call: a backend given it uses its udev watch, as umockdev delivers events.
  std::string udevControl() const {
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    const std::string path = std::string(root) + "/udev-control";
    g_free(root);
    std::ofstream{path, std::ios::app};
    return path;
  }

  std::string path(int device) const {  // e.g. "/dev/hidraw200"
    const HidrawNode* n = devices_.at(device)->node;
    return n ? n->devnode : std::string();
  }

  // Gone from sysfs, with a "remove" event; open files fail as on a real unplug.
  void unplug(int device) {
    std::lock_guard lock(mutex_);
    HidrawNode* n = std::exchange((*this)[device].node, nullptr);
    if (!n) return;
    n->gone = true;
    umockdev_testbed_uevent(testbed_, ("/sys" + n->hidrawPath).c_str(), "remove");
    // poll() on open files now says POLLHUP, so hid_read gives -1.
    ::close(n->masterFd);
    umockdev_testbed_remove_device(testbed_, ("/sys" + n->usbPath).c_str());
  }

  // Back under the next node name, with an "add" event.
  void replug(int device) {
    unplug(device);
    std::lock_guard lock(mutex_);
    plug((*this)[device]);
  }

  // One input report exactly as the kernel hands it to read(); a full queue
  // drops it, as the kernel does.
  void queueInput(int device, sim::Bytes raw) {
    std::lock_guard lock(mutex_);
    HidrawNode* n = (*this)[device].node;
    if (n && !n->gone && n->queue.size() < 64) n->queue.push_back(std::move(raw));
  }

  bool allFilesClosed(int device) {
    // umockdev learns of a close on its own thread, a moment after close() returned.
    return QTest::qWaitFor([&] {
      std::lock_guard lock(mutex_);
      return std::ranges::none_of(devices_.at(device)->files, umockdev_ioctl_client_get_connected);
    });
  }

 private:
  void plug(HidrawDevice& d) {
    // High node numbers never reach a real /dev/hidrawN, and a name never
    // comes back within a process (umockdev aborts on a reused node).
    static int nextNode = 200;
    auto& n = *nodes_.emplace_back(new HidrawNode{&mutex_, &d, nextNode++});
    const std::string name = "hidraw" + std::to_string(n.number),
                      devnode = n.devnode = "/dev/" + name;
    const auto& id = d.identity;
    n.usbPath = "/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(n.number);
    const std::string hid =
        QString::asprintf("0003:%04X:%04X.%04X", id.vendorId, id.productId, n.number).toStdString();
    n.hidrawPath = n.usbPath + "/" + hid + "/hidraw/" + name;
    const auto utf8 = [](const auto& text) {
      return QString::fromStdU16String(text.value_or(u"")).toStdString();
    };
    const std::string product = utf8(id.product), serial = utf8(id.serialNumber);
    const QByteArray descriptor(reinterpret_cast<const char*>(d.descriptor.data()),
                                static_cast<qsizetype>(d.descriptor.size()));
    const std::string tree =
        QString::asprintf(
            "P: %s\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nA: idVendor=%04x\nA: idProduct=%04x\n"
            "A: bcdDevice=%04x\nA: manufacturer=%s\nA: product=%s\nA: serial=%s\n\n"
            "P: %s/%s\nE: SUBSYSTEM=hid\nE: HID_ID=0003:%08X:%08X\nE: HID_NAME=%s\nE: HID_UNIQ=%s\n"
            "H: report_descriptor=%s\n\nP: %s\nN: %s\nE: SUBSYSTEM=hidraw\nE: DEVNAME=%s\n"
            "L: device=../../../%s\n",
            n.usbPath.c_str(), id.vendorId, id.productId, id.versionNumber,
            utf8(id.manufacturer).c_str(), product.c_str(), serial.c_str(), n.usbPath.c_str(),
            hid.c_str(), id.vendorId, id.productId, product.c_str(), serial.c_str(),
            descriptor.toHex().constData(), n.hidrawPath.c_str(), name.c_str(), devnode.c_str(),
            hid.c_str())
            .toStdString();
    n.handler = umockdev_ioctl_base_new();
    g_signal_connect(n.handler, "handle-ioctl", G_CALLBACK(OnIoctl), &n);
    g_signal_connect(n.handler, "handle-read", G_CALLBACK(OnRead), &n);
    if (!umockdev_testbed_add_from_string(testbed_, tree.c_str(), nullptr) ||
        !umockdev_testbed_attach_ioctl(testbed_, devnode.c_str(), n.handler, nullptr))
      throw std::runtime_error("umockdev refused " + devnode);
    n.masterFd = umockdev_testbed_get_dev_fd(testbed_, devnode.c_str());

    // hidapi finds an open device's strings from fstat() of its file, which
    // umockdev 0.17 leaves to the PTY behind the node: map the PTY's numbers
    // back to the device.
    struct stat st {};
    if (::stat(ptsname(n.masterFd), &st) != 0) throw std::runtime_error("no PTY behind " + devnode);
    const std::string sys = "/sys" + n.hidrawPath, devMajor = std::to_string(major(st.st_rdev)),
                      devMinor = std::to_string(minor(st.st_rdev));
    umockdev_testbed_set_property(testbed_, sys.c_str(), "MAJOR", devMajor.c_str());
    umockdev_testbed_set_property(testbed_, sys.c_str(), "MINOR", devMinor.c_str());
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    const auto link = std::filesystem::path(root) / "sys/dev/char" / (devMajor + ":" + devMinor);
    g_free(root);
    std::filesystem::create_directories(link.parent_path());
    std::filesystem::remove(link);  // a PTY's numbers come back after an unplug
    std::filesystem::create_directory_symlink("../.." + n.hidrawPath, link);
    // poll() must say readable for hidapi to read: one byte nobody reads keeps
    // it so, and an empty queue then answers EAGAIN (hid_read returns 0).
    if (::write(n.masterFd, "\n", 1) != 1) throw std::runtime_error("cannot prime the PTY");
    d.node = &n;
  }

  UMockdevTestbed* testbed_ = umockdev_testbed_new();
  std::mutex mutex_;
  std::vector<std::unique_ptr<HidrawDevice>> devices_;
  std::vector<std::unique_ptr<HidrawNode>> nodes_;
};

// torvex-ctl run with `args` on `platform`: its exit code and all it wrote.
inline std::pair<int, QString> Ctl(hid::HidapiPlatform& platform, const QStringList& args,
                                   const volatile std::sig_atomic_t* stop = nullptr) {
  QString text;
  QTextStream o(&text), e(&text);
  cli::Io io{o, e, nullptr, false, false, stop};
  const int code = cli::Run(args, platform, io);
  o.flush();
  e.flush();
  return {code, text};
}

}  // namespace torvex::test
