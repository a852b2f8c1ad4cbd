// The two back ends behind the PRSDK calls: real cameras through libgphoto2 (the default) and
// the simulated camera, chosen by TAVORIN_CAMERA_SIM (a scenario file, or "default").
#pragma once

#include "platform/canon/prsdk.h"

namespace tavcam {
/// True when the simulated camera answers: TAVORIN_CAMERA_SIM is set, or a test reset the
/// simulator to a scenario of its own.
bool SimulatorChosen();
}  // namespace tavcam

namespace tavsim_pr {
#include "platform/canon/backend_calls.inc"
}  // namespace tavsim_pr

namespace tavgp {
#include "platform/canon/backend_calls.inc"
}  // namespace tavgp
