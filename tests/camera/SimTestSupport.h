// Scenario helpers for the camera tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/canon/cdsdk.h"
#include "platform/canon/prsdk.h"
#include "platform/canon/simulator.h"

inline tavsim::SimCameraSpec SimSpec(const char* model, int sdks) {
  tavsim::SimCameraSpec spec;
  spec.model = model;
  spec.sdks = sdks;
  return spec;
}

/// Resets the simulator to these cameras and starts both SDKs, as the view does at start-up.
inline void StartSimulator(std::vector<tavsim::SimCameraSpec> cameras, bool threaded = false) {
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
