// tavorin-test: remote-controls a running Tavorin from the command line through TavorinLib.
#pragma once

/// Prints the message of a failed release (codes 1-4 or an unexpected one) to standard error;
/// `reason` is the program's own words on a failed save, or "".
void PrintReleaseError(int status, const char* reason = "");
/// Takes `shots` pictures `interval` seconds apart, each renamed to webcam.jpg in the current
/// folder; stops at the first failed shot or failed rename.
void RunWebcamLoop(int shots, int interval);
