#pragma once
// Emulated hidraw devices under umockdev, so that the real HidapiPlatform talks
// to a board through hidapi's own Linux code: libudev enumeration, open(),
// ioctl() for feature reports, poll() and read() for input reports. Boards
// answer from sim::BoardFirmware; other devices answer nothing.
//
// Run the program under umockdev-wrapper. Make the rig before any
// HidapiPlatform: the platform's udev monitor must find the testbed.
// Calls reach the devices on umockdev's worker thread while the backend waits
// for the answer; the rig locks its own state there. Touch a firmware only
// between calls of the backend.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/BoardFirmware.h"
#include "sim/VirtualPlatform.h"

namespace torvex::test {

// What an open hidraw file can be asked, for stepping into one kind of call.
enum class HidrawCall { Read, GetFeature, SetFeature };

struct HidrawState;

class HidrawRig {
 public:
  HidrawRig();
  ~HidrawRig();
  HidrawRig(const HidrawRig&) = delete;
  HidrawRig& operator=(const HidrawRig&) = delete;

  // False when the program does not run under umockdev's preload; such a
  // test program exits with kSkipped.
  static bool PreloadActive();
  static constexpr int kSkipped = 77;

  // One of our boards (the configured IDs unless identity says otherwise); its
  // input changes reach every open file as the kernel would queue them.
  int addBoard(sim::Identity identity = {}, sim::Bytes descriptor = sim::BoardReportDescriptor(),
               std::shared_ptr<sim::BoardFirmware> firmware = nullptr);
  // A HID device that is not ours: it refuses feature reports.
  int addForeign(std::uint16_t vendorId, std::uint16_t productId, sim::Bytes descriptor);

  // Gone from sysfs, with a "remove" event; open files fail as on a real unplug.
  void unplug(int device);
  // Back under the next node name, with an "add" event; the firmware powers on.
  void replug(int device);
  // Unplugs the device as the nth call (from 1) of a kind reaches it, so that
  // call already fails. unplug() afterwards finishes the job in sysfs.
  void unplugOnCall(int device, HidrawCall call, int nth);

  std::string path(int device) const;  // e.g. "/dev/hidraw200"
  sim::BoardFirmware& firmware(int device);

  // Queues one input report, exactly as the kernel hands it to read() (no ID
  // byte for a board without numbered reports), on every open file.
  void queueInput(int device, sim::Bytes raw);
  // Feature replies cut to this many bytes (0: as long as the buffer).
  void setFeatureReplyLength(int device, std::size_t length);
  // Feature reports the device received, in order.
  std::vector<sim::Bytes> received(int device) const;
  // Files of the device opened so far.
  int opens(int device) const;
  // Whether every file opened on the device has been closed (waits up to 2 s
  // for umockdev to notice).
  bool allFilesClosed(int device) const;

 private:
  std::unique_ptr<HidrawState> state_;
};

}  // namespace torvex::test
