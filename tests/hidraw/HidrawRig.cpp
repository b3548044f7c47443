#include "hidraw/HidrawRig.h"

// GLib's headers before anything of Qt's (its `signals` macro breaks them).
#include <umockdev.h>
// clang-format off
#include <linux/hidraw.h>
#include <linux/input.h>
// clang-format on
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <stdexcept>

#include "hid/Config.h"
#include "hid/ReportDescriptor.h"

namespace torvex::test {

namespace {

// High node numbers never reach a real /dev/hidrawN, and a name never comes
// back within a process (umockdev aborts on a reused node).
int g_nextNode = 200;

constexpr std::size_t kQueueCapacity = 64;  // the kernel's per-file input queue

std::string Hex(const sim::Bytes& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (const auto b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::string Utf8(const std::optional<std::u16string>& text) {
  std::string out;
  if (!text) return out;
  const std::u16string& s = *text;
  for (std::size_t i = 0; i < s.size(); ++i) {
    std::uint32_t cp = s[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size())
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[++i] - 0xDC00);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

}  // namespace

struct HidrawDevice;

// One appearance of a device under one node name; files opened on it keep
// talking to it after a re-plug has made a new one.
struct HidrawNode {
  struct HidrawState* rig = nullptr;
  HidrawDevice* device = nullptr;
  int number = 0;
  std::string usbPath;     // sysfs path of the USB device, root of the tree
  std::string hidrawPath;  // sysfs path of the hidraw node
  UMockdevIoctlBase* handler = nullptr;
  int masterFd = -1;
  bool gone = false;
  std::map<UMockdevIoctlClient*, std::deque<sim::Bytes>> files;
};

struct HidrawDevice {
  sim::Identity identity;
  sim::Bytes descriptor;
  bool numbered = false;
  std::shared_ptr<sim::BoardFirmware> firmware;  // null: not one of our boards
  HidrawNode* node = nullptr;
  std::size_t replyLength = 0;
  std::map<HidrawCall, int> calls;
  std::optional<std::pair<HidrawCall, int>> unplugAt;
  std::vector<sim::Bytes> received;
  int opens = 0;
};

struct HidrawState {
  UMockdevTestbed* testbed = nullptr;
  mutable std::recursive_mutex mutex;
  std::vector<std::unique_ptr<HidrawDevice>> devices;
  std::vector<std::unique_ptr<HidrawNode>> nodes;

  HidrawDevice& at(int i) { return *devices.at(i); }

  void plug(HidrawDevice& d);
  void finishUnplug(HidrawNode& n);
  void enqueue(HidrawDevice& d, sim::Bytes raw);
  void track(HidrawNode& n, UMockdevIoctlClient* client);
  bool unplugNow(HidrawDevice& d, HidrawCall call);
};

namespace {

// Files whose owner closed them stop receiving reports ("client-vanished"
// never fires in umockdev 0.17, so ask each client).
void ForgetClosed(HidrawNode& n) {
  for (auto it = n.files.begin(); it != n.files.end();) {
    if (umockdev_ioctl_client_get_connected(it->first)) {
      ++it;
    } else {
      g_object_unref(it->first);
      it = n.files.erase(it);
    }
  }
}

void OnConnected(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
  auto* n = static_cast<HidrawNode*>(data);
  std::lock_guard lock(n->rig->mutex);
  n->rig->track(*n, client);
}

// Writes `bytes` into the caller's buffer behind the ioctl argument.
bool Answer(UMockdevIoctlClient* client, const void* bytes, std::size_t size, long result) {
  GError* error = nullptr;
  UMockdevIoctlData* out =
      umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, size, &error);
  if (!out) {
    g_clear_error(&error);
    umockdev_ioctl_client_complete(client, -1, EFAULT);
    return true;
  }
  std::memcpy(out->data, bytes, size);
  umockdev_ioctl_client_complete(client, result, 0);
  return true;
}

bool AnswerText(UMockdevIoctlClient* client, const std::string& text, std::size_t room) {
  if (room == 0) {
    umockdev_ioctl_client_complete(client, 0, 0);
    return true;
  }
  std::string s = text.substr(0, room - 1);
  s.push_back('\0');
  return Answer(client, s.data(), s.size(), static_cast<long>(s.size()));
}

gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
  auto* n = static_cast<HidrawNode*>(data);
  HidrawState& rig = *n->rig;
  std::lock_guard lock(rig.mutex);
  rig.track(*n, client);
  HidrawDevice& d = *n->device;
  const unsigned long request = umockdev_ioctl_client_get_request(client);
  if (_IOC_TYPE(request) != 'H') return FALSE;
  const std::size_t size = _IOC_SIZE(request);
  const unsigned nr = _IOC_NR(request);
  const bool feature = nr == _IOC_NR(HIDIOCGFEATURE(0)) || nr == _IOC_NR(HIDIOCSFEATURE(0));
  if (feature && !n->gone &&
      rig.unplugNow(
          d, nr == _IOC_NR(HIDIOCGFEATURE(0)) ? HidrawCall::GetFeature : HidrawCall::SetFeature))
    n->gone = true;
  if (n->gone) {
    umockdev_ioctl_client_complete(client, -1, ENODEV);
    return TRUE;
  }
  if (request == HIDIOCGRDESCSIZE) {
    const int length = static_cast<int>(d.descriptor.size());
    return Answer(client, &length, sizeof length, 0);
  }
  if (request == HIDIOCGRDESC) {
    hidraw_report_descriptor desc{};
    desc.size = static_cast<std::uint32_t>(d.descriptor.size());
    std::copy(d.descriptor.begin(), d.descriptor.end(), desc.value);
    return Answer(client, &desc, sizeof desc, 0);
  }
  if (request == HIDIOCGRAWINFO) {
    hidraw_devinfo info{BUS_USB, static_cast<__s16>(d.identity.vendorId),
                        static_cast<__s16>(d.identity.productId)};
    return Answer(client, &info, sizeof info, 0);
  }
  if (nr == _IOC_NR(HIDIOCGRAWNAME(0)))
    return AnswerText(client, Utf8(d.identity.manufacturer) + " " + Utf8(d.identity.product), size);
  if (nr == _IOC_NR(HIDIOCGRAWPHYS(0)))
    return AnswerText(client, "usb-rig-" + std::to_string(n->number) + "/input0", size);
  if (nr == _IOC_NR(HIDIOCGRAWUNIQ(0)))
    return AnswerText(client, Utf8(d.identity.serialNumber), size);
  if (nr == _IOC_NR(HIDIOCSFEATURE(0))) {
    GError* error = nullptr;
    UMockdevIoctlData* in =
        umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, size, &error);
    if (!in || !d.firmware || size == 0) {
      g_clear_error(&error);
      umockdev_ioctl_client_complete(client, -1, EPIPE);
      return TRUE;
    }
    const sim::Bytes report(in->data, in->data + size);
    d.received.push_back(report);
    d.firmware->receiveFeature(report);
    umockdev_ioctl_client_complete(client, static_cast<long>(size), 0);
    return TRUE;
  }
  if (nr == _IOC_NR(HIDIOCGFEATURE(0))) {
    if (!d.firmware || size == 0) {
      umockdev_ioctl_client_complete(client, -1, EPIPE);
      return TRUE;
    }
    sim::Bytes reply = d.firmware->featureReply(size);
    // Like the kernel, copy back only what arrived; the rest of the buffer stays as it was.
    if (d.replyLength > 0 && d.replyLength < reply.size()) reply.resize(d.replyLength);
    return Answer(client, reply.data(), reply.size(), static_cast<long>(reply.size()));
  }
  umockdev_ioctl_client_complete(client, -1, EINVAL);
  return TRUE;
}

gboolean OnRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
  auto* n = static_cast<HidrawNode*>(data);
  HidrawState& rig = *n->rig;
  std::lock_guard lock(rig.mutex);
  rig.track(*n, client);
  if (!n->gone && rig.unplugNow(*n->device, HidrawCall::Read)) n->gone = true;
  if (n->gone) {
    umockdev_ioctl_client_complete(client, -1, EIO);
    return TRUE;
  }
  auto& queue = n->files[client];
  if (queue.empty()) {
    umockdev_ioctl_client_complete(client, -1, EAGAIN);
    return TRUE;
  }
  const sim::Bytes report = std::move(queue.front());
  queue.pop_front();
  UMockdevIoctlData* buffer = umockdev_ioctl_client_get_arg(client);
  const std::size_t n_bytes = std::min<std::size_t>(report.size(), buffer->data_len);
  std::memcpy(buffer->data, report.data(), n_bytes);
  umockdev_ioctl_client_complete(client, static_cast<long>(n_bytes), 0);
  return TRUE;
}

}  // namespace

void HidrawState::track(HidrawNode& n, UMockdevIoctlClient* client) {
  if (n.files.count(client)) return;
  ForgetClosed(n);
  g_object_ref(client);
  n.files[client];
  ++n.device->opens;
}

bool HidrawState::unplugNow(HidrawDevice& d, HidrawCall call) {
  const int count = ++d.calls[call];
  return d.unplugAt && d.unplugAt->first == call && d.unplugAt->second == count;
}

void HidrawState::enqueue(HidrawDevice& d, sim::Bytes raw) {
  std::lock_guard lock(mutex);
  HidrawNode* n = d.node;
  if (!n || n->gone) return;
  ForgetClosed(*n);
  // A full queue drops the new report, as the kernel does.
  for (auto& [client, queue] : n->files)
    if (queue.size() < kQueueCapacity) queue.push_back(raw);
}

void HidrawState::plug(HidrawDevice& d) {
  auto node = std::make_unique<HidrawNode>();
  HidrawNode& n = *node;
  n.rig = this;
  n.device = &d;
  n.number = g_nextNode++;
  const std::string id = std::to_string(n.number);
  const std::string name = "hidraw" + id;
  char hidName[32];
  std::snprintf(hidName, sizeof hidName, "0003:%04X:%04X.%04X", d.identity.vendorId,
                d.identity.productId, n.number);
  char hidId[32];
  std::snprintf(hidId, sizeof hidId, "0003:%08X:%08X", d.identity.vendorId, d.identity.productId);
  char vid[8], pid[8], bcd[8];
  std::snprintf(vid, sizeof vid, "%04x", d.identity.vendorId);
  std::snprintf(pid, sizeof pid, "%04x", d.identity.productId);
  std::snprintf(bcd, sizeof bcd, "%04x", d.identity.versionNumber);
  const std::string manufacturer = Utf8(d.identity.manufacturer);
  const std::string product = Utf8(d.identity.product);
  const std::string serial = Utf8(d.identity.serialNumber);

  n.usbPath = "/devices/pci0000:00/0000:00:14.0/usb1/1-" + id;
  const std::string intf = n.usbPath + "/1-" + id + ":1.0";
  const std::string hid = intf + "/" + hidName;
  n.hidrawPath = hid + "/hidraw/" + name;
  std::string tree = "P: " + n.usbPath +
                     "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: BUSNUM=001\nE: DEVNUM=" + id +
                     "\nA: idVendor=" + vid + "\nA: idProduct=" + pid + "\nA: bcdDevice=" + bcd;
  // An absent string has no attribute at all, as on a real device.
  if (d.identity.manufacturer) tree += "\nA: manufacturer=" + manufacturer;
  if (d.identity.product) tree += "\nA: product=" + product;
  if (d.identity.serialNumber) tree += "\nA: serial=" + serial;
  tree += "\n\nP: " + intf +
          "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\nA: bInterfaceNumber=00"
          "\nA: bInterfaceClass=03\n\nP: " +
          hid + "\nE: SUBSYSTEM=hid\nE: HID_ID=" + hidId + "\nE: HID_NAME=" + manufacturer + " " +
          product + "\nE: HID_UNIQ=" + serial + "\nH: report_descriptor=" + Hex(d.descriptor) +
          "\n\nP: " + n.hidrawPath + "\nN: " + name + "\nE: SUBSYSTEM=hidraw\nE: DEVNAME=/dev/" +
          name + "\nL: device=../../../" + hidName + "\n\n";
  GError* error = nullptr;
  if (!umockdev_testbed_add_from_string(testbed, tree.c_str(), &error)) {
    const std::string message = error ? error->message : "?";
    g_clear_error(&error);
    throw std::runtime_error("umockdev refused the device: " + message);
  }
  n.handler = umockdev_ioctl_base_new();
  g_signal_connect(n.handler, "client-connected", G_CALLBACK(OnConnected), &n);
  g_signal_connect(n.handler, "handle-ioctl", G_CALLBACK(OnIoctl), &n);
  g_signal_connect(n.handler, "handle-read", G_CALLBACK(OnRead), &n);
  const std::string devnode = "/dev/" + name;
  if (!umockdev_testbed_attach_ioctl(testbed, devnode.c_str(), n.handler, &error)) {
    const std::string message = error ? error->message : "?";
    g_clear_error(&error);
    throw std::runtime_error("umockdev cannot serve " + devnode + ": " + message);
  }
  n.masterFd = umockdev_testbed_get_dev_fd(testbed, devnode.c_str());

  // hidapi finds an open device's strings from fstat() of its file, which
  // umockdev 0.17 leaves to the PTY behind the node: give the device the
  // PTY's numbers so libudev maps them back to it.
  char pts[64] = {};
  struct stat st {};
  if (n.masterFd >= 0 && ptsname_r(n.masterFd, pts, sizeof pts) == 0 && ::stat(pts, &st) == 0) {
    const std::string numbers =
        std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev));
    const std::string sys = "/sys" + n.hidrawPath;
    umockdev_testbed_set_attribute(testbed, sys.c_str(), "dev", numbers.c_str());
    umockdev_testbed_set_property(testbed, sys.c_str(), "MAJOR",
                                  std::to_string(major(st.st_rdev)).c_str());
    umockdev_testbed_set_property(testbed, sys.c_str(), "MINOR",
                                  std::to_string(minor(st.st_rdev)).c_str());
    gchar* root = umockdev_testbed_get_root_dir(testbed);
    namespace fs = std::filesystem;
    const fs::path base(root);
    g_free(root);
    std::error_code ec;
    fs::create_directories(base / "sys/dev/char", ec);
    fs::remove(base / "sys/dev/char" / numbers, ec);
    fs::create_directory_symlink("../.." + n.hidrawPath, base / "sys/dev/char" / numbers, ec);
    fs::create_directories(base / "dev/.node", ec);
    fs::remove(base / "dev/.node" / name, ec);
    fs::create_symlink(numbers, base / "dev/.node" / name, ec);
  }
  // poll() must say readable for hidapi to read: one byte nobody reads keeps
  // it so, and an empty queue then answers EAGAIN (hid_read returns 0).
  if (n.masterFd >= 0) {
    const char byte = '\n';
    if (::write(n.masterFd, &byte, 1) != 1) throw std::runtime_error("cannot prime the PTY");
  }
  d.node = &n;
  nodes.push_back(std::move(node));
}

void HidrawState::finishUnplug(HidrawNode& n) {
  n.gone = true;
  umockdev_testbed_uevent(testbed, ("/sys" + n.hidrawPath).c_str(), "remove");
  // poll() on open files now says POLLHUP, so hid_read gives -1.
  if (n.masterFd >= 0) ::close(n.masterFd);
  n.masterFd = -1;
  umockdev_testbed_remove_device(testbed, ("/sys" + n.usbPath).c_str());
  n.device->node = nullptr;
}

HidrawRig::HidrawRig() : state_(std::make_unique<HidrawState>()) {
  state_->testbed = umockdev_testbed_new();
}

HidrawRig::~HidrawRig() {
  {
    std::lock_guard lock(state_->mutex);
    for (auto& d : state_->devices)
      if (d->firmware) d->firmware->onInputChanged = nullptr;
  }
  for (auto& n : state_->nodes) {
    umockdev_testbed_detach_ioctl(state_->testbed,
                                  ("/dev/hidraw" + std::to_string(n->number)).c_str(), nullptr);
    for (auto& [client, queue] : n->files) g_object_unref(client);
    g_object_unref(n->handler);
  }
  g_object_unref(state_->testbed);
}

bool HidrawRig::PreloadActive() {
  // umockdev answers only once a testbed exists.
  UMockdevTestbed* probe = umockdev_testbed_new();
  const bool active = umockdev_in_mock_environment();
  g_object_unref(probe);
  return active;
}

int HidrawRig::addBoard(sim::Identity identity, sim::Bytes descriptor,
                        std::shared_ptr<sim::BoardFirmware> firmware) {
  if (identity.vendorId == 0 && identity.productId == 0) {
    identity.vendorId = DeviceVendorId;
    identity.productId = DeviceProductId;
  }
  auto d = std::make_unique<HidrawDevice>();
  d->identity = std::move(identity);
  d->numbered = hid::SummarizeReportDescriptor(descriptor).numbered;
  d->descriptor = std::move(descriptor);
  d->firmware = firmware ? std::move(firmware) : std::make_shared<sim::BoardFirmware>();
  HidrawDevice* raw = d.get();
  HidrawState* impl = state_.get();
  d->firmware->onInputChanged = [impl, raw] {
    sim::Bytes report = raw->firmware->inputReport();
    // The firmware speaks Windows-style; the kernel drops an unnumbered ID byte.
    if (!raw->numbered && !report.empty()) report.erase(report.begin());
    impl->enqueue(*raw, std::move(report));
  };
  std::lock_guard lock(state_->mutex);
  state_->devices.push_back(std::move(d));
  state_->plug(*raw);
  return static_cast<int>(state_->devices.size()) - 1;
}

int HidrawRig::addForeign(std::uint16_t vendorId, std::uint16_t productId, sim::Bytes descriptor) {
  auto d = std::make_unique<HidrawDevice>();
  d->identity.vendorId = vendorId;
  d->identity.productId = productId;
  d->identity.manufacturer = u"Other";
  d->identity.product = u"Keyboard";
  d->identity.serialNumber = u"OTHER";
  d->numbered = hid::SummarizeReportDescriptor(descriptor).numbered;
  d->descriptor = std::move(descriptor);
  std::lock_guard lock(state_->mutex);
  state_->devices.push_back(std::move(d));
  state_->plug(*state_->devices.back());
  return static_cast<int>(state_->devices.size()) - 1;
}

void HidrawRig::unplug(int device) {
  std::lock_guard lock(state_->mutex);
  HidrawDevice& d = state_->at(device);
  if (d.node) state_->finishUnplug(*d.node);
}

void HidrawRig::replug(int device) {
  std::lock_guard lock(state_->mutex);
  HidrawDevice& d = state_->at(device);
  if (d.node) state_->finishUnplug(*d.node);
  d.unplugAt.reset();
  if (d.firmware) d.firmware->powerOn();
  state_->plug(d);
}

void HidrawRig::unplugOnCall(int device, HidrawCall call, int nth) {
  std::lock_guard lock(state_->mutex);
  HidrawDevice& d = state_->at(device);
  d.unplugAt = {call, d.calls[call] + nth};
}

std::string HidrawRig::path(int device) const {
  std::lock_guard lock(state_->mutex);
  const HidrawDevice& d = *state_->devices.at(device);
  return d.node ? "/dev/hidraw" + std::to_string(d.node->number) : std::string();
}

sim::BoardFirmware& HidrawRig::firmware(int device) {
  return *state_->at(device).firmware;
}

void HidrawRig::queueInput(int device, sim::Bytes raw) {
  state_->enqueue(state_->at(device), std::move(raw));
}

void HidrawRig::setFeatureReplyLength(int device, std::size_t length) {
  std::lock_guard lock(state_->mutex);
  state_->at(device).replyLength = length;
}

std::vector<sim::Bytes> HidrawRig::received(int device) const {
  std::lock_guard lock(state_->mutex);
  return state_->devices.at(device)->received;
}

int HidrawRig::opens(int device) const {
  std::lock_guard lock(state_->mutex);
  return state_->devices.at(device)->opens;
}

bool HidrawRig::allFilesClosed(int device) const {
  // umockdev learns of a close on its own thread, a moment after close() returned.
  for (int attempt = 0; attempt < 200; ++attempt) {
    {
      std::lock_guard lock(state_->mutex);
      bool open = false;
      for (const auto& n : state_->nodes)
        if (n->device == state_->devices.at(device).get()) {
          ForgetClosed(*n);
          open = open || !n->files.empty();
        }
      if (!open) return true;
    }
    ::usleep(10'000);
  }
  return false;
}

}  // namespace torvex::test
