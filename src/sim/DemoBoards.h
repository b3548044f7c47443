// SPDX-License-Identifier: MIT
#pragma once
namespace torvex::sim {
class VirtualPlatform;
// Two boards with different serial numbers and slightly different settings.
void AddDemoBoards(VirtualPlatform& platform);
}  // namespace torvex::sim
