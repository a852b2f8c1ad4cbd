// Scenario helpers for the camera tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/canon/cdsdk.h"
#include "platform/canon/prsdk.h"
#include "platform/canon/simulator.h"

inline tavsim::SimCameraProfile SimSpec(const char* model, int sdks) {
  tavsim::SimCameraProfile profile;
  profile.model = model;
  profile.sdks = sdks;
  return profile;
}

/// Resets the simulator to these cameras and starts both SDKs, as the view does at start-up.
inline void StartSimulator(std::vector<tavsim::SimCameraProfile> cameras, bool threaded = false) {
  tavsim::SimScenario scenario;
  scenario.cameras = std::move(cameras);
  scenario.threaded = threaded;
  tavsim::SimReset(scenario);
  PR_StartSDK();
  cdVersionInfo version{};
  version.Size = sizeof version;
  version.MajorVersion = 5;
  ASSERT_EQ(cdOK, CDStartSDK(&version, 0));
  tavsim::SimClearCallLog();
}

inline bool Called(const char* function) { return !tavsim::SimCallsOf(function).empty(); }
